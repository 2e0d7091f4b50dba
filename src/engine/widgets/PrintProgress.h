#pragma once

#include <QDialog>
#include <QElapsedTimer>

class QLabel;
class QPushButton;

namespace ostrivo {

// "Stampa in corso": the window of a print that runs longer than showAfterMs. The print stays on
// the thread that owns the database: between pages (PrintSettings::onPage) the window is shown
// once the print has run long enough, brought up to date and the event loop given a turn, so that
// the program repaints and "Interrompi" can be pressed. It is application modal: while it shows,
// nothing else of the program takes input, so no command can start inside the print.
class PrintProgress : public QDialog {
    Q_OBJECT

public:
    explicit PrintProgress(QWidget* parent = nullptr, int showAfterMs = 500);

    // For PrintSettings::onPage: false once the user stopped the print.
    bool pageBegun(int page);

    bool wasShown() const { return shown_; }
    bool stopped() const { return stopped_; }
    QLabel* heading() const { return heading_; }
    QPushButton* stopButton() const { return stop_; }

    // "Interrompi", Escape and the close control: the print stops at its next page. The window
    // stays until the print has ended, so that nothing else takes input meanwhile.
    void reject() override;

private:
    void showNow();

    QElapsedTimer started_;
    QElapsedTimer lastTurn_;
    int showAfterMs_;
    bool shown_ = false;
    bool stopped_ = false;
    QLabel* heading_ = nullptr;
    QLabel* detail_ = nullptr;
    QPushButton* stop_ = nullptr;
};

}  // namespace ostrivo
