#pragma once

class QWidget;

namespace ostrivo {

class PlatformDialogs;
class VN3Routine;

// The report parameter editor, shown modally: edits ElencoParametri, DatabaseRif and TabellaRif,
// stored only on "Ok". Returns true when the user confirmed it.
bool showParametri(QWidget* parent, VN3Routine& model, PlatformDialogs& dialogs);

}  // namespace ostrivo
