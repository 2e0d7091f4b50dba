#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace ostrivo {

class VN3Routine;

// "Varnil3" + the environment variable PCLocal + ".pss", in the current directory.
QString printRequestFileName();

// What a print request file holds: line 1 the template, lines 2 to 31 the values of parameters
// 1 to 30 (later lines are ignored).
struct PrintRequest {
    QString templatePath;
    QStringList values;  // at most 30
};

// Reads a request file's bytes (Windows-1252, CR LF or LF, a last line without line end).
PrintRequest parsePrintRequest(const QByteArray& bytes);

// Stores a request into the model: NomeModulo and ValoriRichiesta (cleared first).
void applyPrintRequest(const PrintRequest& request, VN3Routine& model);

// Print request mode of the start-up: when printRequestFileName() is a file, reads it into the model,
// calls print when the template it names is a file (a missing one: nothing printed, no message),
// and deletes the request file in every case. Returns the exit status (0, or 1 with a message on
// stderr when the print threw or the file could not be read or deleted); nothing when there is no
// such file (none, or a folder of that name), which means designer mode.
std::optional<int> handlePrintRequest(VN3Routine& model, const std::function<void()>& print);

}  // namespace ostrivo
