#pragma once

class QCoreApplication;

namespace ostrivo {

// Qt's own Italian texts (qtbase_it from Qt's translations folder), so that its file, colour, font
// and message dialogs speak as the program does. False when they are not installed: the dialogs
// then keep Qt's English.
bool installQtItalian(QCoreApplication& app);

}  // namespace ostrivo
