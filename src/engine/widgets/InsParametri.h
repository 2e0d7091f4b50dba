#pragma once

#include "engine/ParameterPrompts.h"

#include <QDialog>
#include <QString>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;

namespace ostrivo {

class PlatformDialogs;
class VN3Routine;

// The print-time parameter dialog, "Inserimento parametri per la stampa": one prompt and one box
// per [PARAMETRI] line of the template file on disk, pre-filled from a print request or from the
// parameter's default; Enter normalises a box by the parameter's type and moves on. "Ok" hands on
// the values as valueOnOk gives them, so Enter or not, a number or a date means the same.
class InsParametri : public QDialog {
    Q_OBJECT

public:
    // Builds the rows from the template NomeModulo; errors are left to ask().
    // Its messages go through dialogs.
    InsParametri(VN3Routine& model, PlatformDialogs& dialogs, const std::vector<ParameterPrompt>& prompts,
                 QWidget* parent = nullptr);

    // Shows the dialog modally and sets ValoriParametri and NumParametri: the comma-terminated
    // values on "Ok", "Null" on "Annulla" or the close control. Without parameters it does not
    // wait ("Ok" at once). A template that cannot be read is reported, and gives "Null".
    static QString ask(VN3Routine& model, PlatformDialogs& dialogs, QWidget* parent = nullptr);

    int rowCount() const { return static_cast<int>(boxes_.size()); }
    // Member n of each set; 0 is the hidden pattern.
    QLabel* Label1(int n) const { return labels_.at(static_cast<std::size_t>(n)); }
    QLineEdit* Text1(int n) const { return n == 0 ? patternBox_ : boxes_.at(static_cast<std::size_t>(n - 1)); }
    QPushButton* T(int n) const { return n == 0 ? ok_ : cancel_; }

    // The caption of this dialog.
    static QString caption();

    // "Annulla", Escape and the close control all end here.
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void pressOk();
    void pressCancel();
    void enterInBox(int n);

    VN3Routine& model_;
    PlatformDialogs& dialogs_;
    std::vector<ParameterPrompt> prompts_;
    std::vector<QLabel*> labels_;    // [0] is the hidden pattern
    std::vector<QLineEdit*> boxes_;  // boxes 1..n
    QLineEdit* patternBox_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

}  // namespace ostrivo
