#pragma once

#include "template/CanvasModel.h"
#include "template/VN3Routine.h"

#include <QString>

namespace ostrivo {

// Loading a template into the designer: the model's lists and the canvas objects are rebuilt
// from the file. All or nothing: a file that cannot be read or is malformed raises TemplateError
// (file, line, what was expected) and leaves model and canvas as they were.
void CaricaModulo(const QString& path, VN3Routine& model, CanvasModel& canvas);

// The text a save writes for the open template (lines joined with CR LF, the last one ended).
// Applies the "Data" rule to the model as the save does.
QString templateText(VN3Routine& model, const CanvasModel& canvas);

// Saving: the file is written to a temporary file in the same folder and renamed over the old
// one, so a failed save leaves the old file whole; raises Error naming the file and the reason.
void SalvaModulo(const QString& path, VN3Routine& model, const CanvasModel& canvas);

}  // namespace ostrivo
