#pragma once

#include "dialogs/DialogForm.h"
#include "dialogs/ListLines.h"

#include <QDialog>

namespace ostrivo {

class CanvasModel;
struct CanvasControl;
class PlatformDialogs;
class VN3Routine;

// "Inserimento/Modifica tabella": the title, font, source, ordering, filter and columns of the
// table object Tabelle(index). Columns are edited as lines of a list and stored only by "Ok".
class ProprietaTabella : public QDialog {
    Q_OBJECT

public:
    ProprietaTabella(VN3Routine& model, CanvasModel& canvas, int index, PlatformDialogs& dialogs,
                     QWidget* parent = nullptr);

    static QString caption();

    // Fills the dialog from the model. False when the template has neither a reference database
    // nor a title for this table: the user is told, and the dialog is not to be shown.
    bool load();

    QLabel* Label1(int n) const { return controls_.label(n); }
    QLineEdit* Text1(int n) const { return controls_.box(n); }
    QComboBox* Combo1(int n) const { return controls_.list(n); }
    QPushButton* T(int n) const { return controls_.button(n); }
    QListWidget* List1() const { return controls_.lines; }

private:
    bool tableChosen();
    void columnFieldChosen();
    void placeColumn();
    void editColumn(int row);
    void moveColumn(bool up);
    void removeColumn();
    void showColumns();
    void browse();
    void pressOk();
    bool modifying() const;

    VN3Routine& model_;
    CanvasControl& title_;
    int index_;
    PlatformDialogs& dialogs_;
    FormControls controls_;
    EditedList columns_;
    QString chosen_;
};

}  // namespace ostrivo
