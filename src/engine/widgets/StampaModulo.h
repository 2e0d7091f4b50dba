#pragma once

#include <QString>

class QWidget;

namespace ostrivo {

class PlatformDialogs;

// The print run as the program shows it: when the template exists, the printer dialog; then the
// run on the chosen printer, element errors of continuation pages in "Stampa" message boxes, a
// failure in one message naming the template's line (message boxes through dialogs); for the printer named "PDF", the file it
// wrote opened with the default viewer. Cancelling the printer dialog prints nothing.
void StampaModulo(QWidget* parent, PlatformDialogs& dialogs, const QString& templatePath,
                  const QString& valoriParametri);

}  // namespace ostrivo
