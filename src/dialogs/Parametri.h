#pragma once

#include "dialogs/DialogForm.h"
#include "dialogs/ListLines.h"

class QWidget;

namespace ostrivo {

class PlatformDialogs;
class VN3Routine;

// "Inserimento/Modifica parametri di stampa": the report's parameters, as lines of a list, and its
// reference database and table; the model changes only on "Ok".
class Parametri : public FormDialog {
    Q_OBJECT

public:
    Parametri(VN3Routine& model, PlatformDialogs& dialogs, QWidget* parent = nullptr);

    static QString caption();

    // Fills the dialog from the model, as it does when it is shown.
    void load();

    QPushButton* SSCommand1(int n) const { return button(n); }

private:
    bool tableChosen();
    void columnChosen();
    void insertRow();
    void moveRow(bool up);
    void removeRow();
    void pressOk();

    VN3Routine& model_;
    PlatformDialogs& dialogs_;
    EditedList rows_;
    QString chosen_;
};

// The report parameter editor, shown modally: edits ElencoParametri, DatabaseRif and TabellaRif,
// stored only on "Ok". Returns true when the user confirmed it.
bool showParametri(QWidget* parent, VN3Routine& model, PlatformDialogs& dialogs);

}  // namespace ostrivo
