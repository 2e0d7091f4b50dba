#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

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

}  // namespace ostrivo
