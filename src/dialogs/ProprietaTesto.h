#pragma once

#include "dialogs/DialogForm.h"

namespace ostrivo {

class CanvasModel;
struct CanvasControl;
class PlatformDialogs;
class VN3Routine;

// "Proprietà del testo": the text, font, size and colour of the text object Label1(index). It
// edits the canvas label only; the writer reads texts from there.
class ProprietaTesto : public FormDialog {
    Q_OBJECT

public:
    ProprietaTesto(VN3Routine& model, CanvasModel& canvas, int index, PlatformDialogs& dialogs,
                   QWidget* parent = nullptr);

    static QString caption();

    QPushButton* T(int n) const { return button(n); }

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
    bool shown_ = false;
};

}  // namespace ostrivo
