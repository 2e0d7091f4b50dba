#pragma once

#include "dialogs/DialogForm.h"

#include <QDialog>

namespace ostrivo {

class CanvasModel;
struct CanvasControl;
class PlatformDialogs;
class VN3Routine;

// "Proprietà del testo": the text, font, size and colour of the text object Label1(index). It
// edits the canvas label only; the writer reads texts from there.
class ProprietaTesto : public QDialog {
    Q_OBJECT

public:
    ProprietaTesto(VN3Routine& model, CanvasModel& canvas, int index, PlatformDialogs& dialogs,
                   QWidget* parent = nullptr);

    static QString caption();

    QLabel* Label1(int n) const { return controls_.label(n); }
    QLineEdit* Text1(int n) const { return controls_.box(n); }
    QComboBox* Combo1(int n) const { return controls_.list(n); }
    QPushButton* T(int n) const { return controls_.button(n); }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void load();
    void fontChosen();
    void sizeChosen();
    void chooseColor();
    void showSwatch();
    void pressOk();

    CanvasControl& label_;
    PlatformDialogs& dialogs_;
    FormControls controls_;
    bool shown_ = false;
};

}  // namespace ostrivo
