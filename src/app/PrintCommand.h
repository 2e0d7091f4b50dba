#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>

namespace ostrivo {

// `print` and `check` of the command line. Both need a QGuiApplication (fonts) but no display, and
// show no dialog. They return the exit status.
int runPrintCommand(const QStringList& arguments, QTextStream& out, QTextStream& err);
int runCheckCommand(const QStringList& arguments, QTextStream& out, QTextStream& err);

// The comma-terminated values a print takes from --values: value n of the list, trimmed, where the
// list has it (numbers with "." as the decimal mark, as the print run reads them); where it does
// not, the parameter's default (empty for "<nessuno>") as the dialog's "Ok" hands it on. A date
// given is completed as Enter completes it. Error (TypeMismatch) naming the parameter and its
// prompt for a value or a default that cannot be of the parameter's type (typeMismatch).
QString valuesWithDefaults(const QString& templatePath, const QString* values);

}  // namespace ostrivo
