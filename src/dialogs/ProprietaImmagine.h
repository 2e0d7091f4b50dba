#pragma once

#include "dialogs/DialogForm.h"

namespace ostrivo {

class CanvasModel;
struct CanvasControl;
class PlatformDialogs;
class VN3Routine;

// "Proprietà immagine": the picture file of the image object Immagini(index) and Pic1(index).
// Only "Ok" writes the path and shows the picture; "Annulla" leaves both as they were.
class ProprietaImmagine : public FormDialog {
    Q_OBJECT

public:
    ProprietaImmagine(VN3Routine& model, CanvasModel& canvas, int index, PlatformDialogs& dialogs,
                      QWidget* parent = nullptr);

    static QString caption();
    // The file dialog's filter.
    static QString pictureFilter();

    QLabel* Label1() const { return FormDialog::Label1(0); }
    QLineEdit* Text1() const { return FormDialog::Text1(0); }
    QPushButton* T(int n) const { return button(n); }

private:
    void browse();
    void pressOk();

    VN3Routine& model_;
    CanvasControl& picture_;
    int index_;
    PlatformDialogs& dialogs_;
    // The file chosen last in this opening: the file dialog offers it again.
    QString chosen_;
};

}  // namespace ostrivo
