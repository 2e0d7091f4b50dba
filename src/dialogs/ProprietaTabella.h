#pragma once

#include "dialogs/DialogForm.h"
#include "dialogs/ListLines.h"

namespace ostrivo {

class CanvasModel;
struct CanvasControl;
class PlatformDialogs;
class VN3Routine;

// "Inserimento/Modifica tabella": the title, font, source, ordering, filter and columns of the
// table object Tabelle(index). Columns are edited as lines of a list and stored only by "Ok".
class ProprietaTabella : public FormDialog {
    Q_OBJECT

public:
    ProprietaTabella(VN3Routine& model, CanvasModel& canvas, int index, PlatformDialogs& dialogs,
                     QWidget* parent = nullptr);

    static QString caption();

    // Fills the dialog from the model. False when the template has neither a reference database
    // nor a title for this table: the user is told, and the dialog is not to be shown.
    bool load();

    QPushButton* T(int n) const { return button(n); }

private:
    bool tableChosen();
    void columnFieldChosen();
    void placeColumn();
    void editColumn(int row);
    void moveColumn(bool up);
    void removeColumn();
    void pressOk();
    bool modifying() const;

    VN3Routine& model_;
    CanvasControl& title_;
    int index_;
    PlatformDialogs& dialogs_;
    EditedList columns_;
    QString chosen_;
};

}  // namespace ostrivo
