#pragma once

#include "dialogs/DialogForm.h"

namespace ostrivo {

class CanvasModel;
struct CanvasControl;
class PlatformDialogs;
class VN3Routine;

// "Inserimento/Modifica Campi database": the database, table, field, type, width, font and
// relation of the database field object CampiDB(index) with its label Label3(index).
class ProprietaCampoDB : public FormDialog {
    Q_OBJECT

public:
    ProprietaCampoDB(VN3Routine& model, CanvasModel& canvas, int index, PlatformDialogs& dialogs,
                     QWidget* parent = nullptr);

    static QString caption();

    // Fills the dialog from the model. False when the template has no reference database: the
    // user is told, and the dialog is not to be shown.
    bool load();

    QPushButton* T(int n) const { return button(n); }

private:
    // The tables of a database into Combo1(0); false (told to the user) when it cannot be read.
    bool listTables(const QString& database);
    // The stored table and field shown and selected, kept where the database lacks them.
    void showStoredField(int row, bool tablesListed);
    bool tableChosen();
    void fieldChosen();
    void widthEntered();
    void pressOk();

    VN3Routine& model_;
    CanvasControl& label_;
    int index_;
    PlatformDialogs& dialogs_;
    QString chosen_;
};

}  // namespace ostrivo
