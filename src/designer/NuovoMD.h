#pragma once

#include <QDialog>
#include <QString>
#include <array>
#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace ostrivo {

class PlatformDialogs;
class VN3Routine;

// The page "Ok" stores.
struct NewPage {
    QString Orientamento;
    qint16 LarghezzaPagina = 0;
    double AltezzaPagina = 0;
};

// What the boxes give on "Ok": the page, or why it is refused. The grid has a line per unit and
// counts them in 16 bits, so each side must lie between 1 and 1000 units.
struct NewPageResult {
    std::optional<NewPage> page;
    QString problem;
    bool heightRefused = false;  // else the width, when refused
};
NewPageResult readNewPage(const QString& orientation, const QString& heightText, const QString& widthText);

// The height and width boxes' texts an orientation puts in; none for another text.
std::optional<std::pair<QString, QString>> pagePresets(const QString& orientation);

// "Nuovo modulo": the orientation and the size of a new template's page, stored in the model on
// "Ok". It opens on the open template's orientation and that orientation's sizes. Closing it
// otherwise stores nothing.
class NuovoMD : public QDialog {
    Q_OBJECT

public:
    NuovoMD(VN3Routine& model, PlatformDialogs& dialogs, QWidget* parent = nullptr);

    // Shows it modally over parent.
    static void ask(VN3Routine& model, PlatformDialogs& dialogs, QWidget* parent);

    QLabel* Label1(int i) const { return labels_.at(static_cast<std::size_t>(i)); }
    // Text1(0) the height, Text1(1) the width.
    QLineEdit* Text1(int i) const { return boxes_.at(static_cast<std::size_t>(i)); }
    QComboBox* Combo1() const { return orientation_; }
    QPushButton* SSCommand1() const { return ok_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void chooseOrientation(const QString& orientation);
    void pressOk();

    VN3Routine& model_;
    PlatformDialogs& dialogs_;
    std::array<QLabel*, 3> labels_{};
    std::array<QLineEdit*, 2> boxes_{};
    QComboBox* orientation_ = nullptr;
    QPushButton* ok_ = nullptr;
};

}  // namespace ostrivo
