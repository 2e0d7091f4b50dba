#pragma once

#include "template/CanvasModel.h"
#include "template/VN3Routine.h"

#include <QString>
#include <optional>

namespace ostrivo {

class TemplateReader;

// Beyond this no position, size or width fits the print run's fixed-point numbers: the loader
// refuses such a number, and a save that would write one writes nothing.
constexpr double kLargestNumber = 1e14;

// Loading a template into the designer: the model's lists and the canvas objects are rebuilt
// from the file, each object in front of those read before it. On success NomeModulo is `path`
// and no object is current. All or nothing: a file that cannot be read or is malformed raises
// TemplateError (file, line, what was expected) and leaves model and canvas as they were.
// Malformed: a first line other than "[TESTA]", a page block of fewer than three lines or more, a
// page outside 1 to 1000 units either way, a record with fewer fields than its kind has, a list's
// capacity exceeded, a table without "[FINE TABELLA]", a product block without "[/*]", a number
// beyond what the print run holds. A picture that is missing or does not decode is no fault: its
// object shows no picture. A table body whose bottom in the file lies above its top keeps the
// negative height that gives that bottom back.
// Kept for the save, though the designer does not edit it (see VN3Routine): [GRIGLIA] kind letters
// and corner order, type words the type table does not know, tables without a title, columns
// after one without a title, computed product blocks.
void CaricaModulo(const QString& path, VN3Routine& model, CanvasModel& canvas);
// The same from lines already read (tests, fuzzing): NomeModulo becomes the reader's file name.
void CaricaModulo(TemplateReader& reader, VN3Routine& model, CanvasModel& canvas);

// The text a save writes for the open template (lines joined with CR LF, the last one ended).
// Applies the "Data" rule to the model as the save does. Rows of the parameter and column lists
// are written up to the last one in use, so an empty row between filled ones keeps the numbering
// of the rest; an empty table row is skipped. Loading what it wrote and writing again gives the
// same text.
QString templateText(VN3Routine& model, const CanvasModel& canvas);

// Saving: the file is written to a temporary file in the same folder and renamed over the old
// one, so a failed save leaves the old file whole; raises Error naming the file and the reason.
// Nothing is written when a value would not read back as it is (a comma or a line break in a
// field, a record that would open with "[", a character Windows-1252 cannot store).
void SalvaModulo(const QString& path, VN3Routine& model, const CanvasModel& canvas);

// Why SalvaModulo would write nothing: the first value that would not read back as it is, named
// with its object; nothing when the template can be saved.
std::optional<QString> unsavableValue(VN3Routine& model, const CanvasModel& canvas);

}  // namespace ostrivo
