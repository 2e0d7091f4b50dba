#include "designer/NuovoMD.h"

#include "core/Dialogs.h"
#include "core/widgets/Twips.h"
#include "template/CanvasModel.h"
#include "template/Helpers.h"
#include "template/Numbers.h"
#include "template/VN3Routine.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <cmath>

namespace ostrivo {

namespace {

const QString kTitle = QStringLiteral("Nuovo modulo");

// The layout in twips: left, top, width, height. Rows from the top: orientation, height, width.
struct Place {
    int left, top, width, height;
};
constexpr Place kCaptions[3] = {{240, 300, 1200, 255}, {240, 780, 1200, 255}, {240, 1260, 1200, 255}};
constexpr Place kOrientation = {1560, 240, 1800, 315};
constexpr Place kBoxes[2] = {{1560, 720, 1800, 315}, {1560, 1200, 1800, 315}};
constexpr Place kOk = {1560, 1740, 1200, 420};
constexpr int kWidth = 3720, kHeight = 2400;

QRect placed(const Twips& tw, const Place& p)
{
    return tw.rect(p.left, p.top, p.width, p.height);
}

bool withinLimits(double units)
{
    return units >= kMinPageUnits && units <= kMaxPageUnits;
}

}  // namespace

NewPageResult readNewPage(const QString& orientation, const QString& heightText, const QString& widthText)
{
    NewPageResult result;
    const double height = leadingNumber(heightText);
    const double width = leadingNumber(widthText);
    const QString limits = QStringLiteral("deve essere tra %1 e %2 unità").arg(kMinPageUnits).arg(kMaxPageUnits);
    if (!withinLimits(height)) {
        result.problem = QStringLiteral("L'altezza della pagina %1: \"%2\" non è accettata.").arg(limits, heightText);
        result.heightRefused = true;
        return result;
    }
    // Judged as it is kept: a whole number of units (1000.5 is kept as 1000).
    if (!(std::abs(width) < 2 * kMaxPageUnits) || !withinLimits(static_cast<double>(roundHalfEven(width)))) {
        result.problem = QStringLiteral("La larghezza della pagina %1: \"%2\" non è accettata.").arg(limits, widthText);
        return result;
    }
    result.page = NewPage{orientation, static_cast<qint16>(roundHalfEven(width)), height};
    return result;
}

std::optional<std::pair<QString, QString>> pagePresets(const QString& orientation)
{
    if (orientation == QLatin1String("Verticale"))
        return std::pair{QStringLiteral("75"), QStringLiteral("80")};
    if (orientation == QLatin1String("Orizzontale"))
        return std::pair{QStringLiteral("60"), QStringLiteral("120")};
    return std::nullopt;
}

NuovoMD::NuovoMD(VN3Routine& model, PlatformDialogs& dialogs, QWidget* parent)
    : QDialog(parent), model_(model), dialogs_(dialogs)
{
    setObjectName(QStringLiteral("NuovoMD"));
    setWindowTitle(kTitle);
    setModal(true);
    const Twips tw = Twips::forWidget(this);

    const std::array<QString, 3> captions = {QStringLiteral("Orientamento"), QStringLiteral("Altezza"),
                                             QStringLiteral("Larghezza")};
    // The captions' column widens to the longest caption in the dialog's font, and the rest moves
    // right with it: the form's twips leave "Orientamento" no room in a wider face.
    int widen = 0;
    for (std::size_t i = 0; i < captions.size(); ++i) {
        labels_[i] = new QLabel(captions[i], this);
        widen = std::max(widen, labels_[i]->sizeHint().width() - placed(tw, kCaptions[i]).width());
    }
    const QPoint moved(widen, 0);
    for (std::size_t i = 0; i < captions.size(); ++i)
        labels_[i]->setGeometry(placed(tw, kCaptions[i]).adjusted(0, 0, widen, 0));
    setFixedSize(tw.size(kWidth, kHeight) + QSize(widen, 0));

    orientation_ = new QComboBox(this);
    orientation_->setGeometry(placed(tw, kOrientation).translated(moved));
    orientation_->addItems({QStringLiteral("Verticale"), QStringLiteral("Orizzontale")});
    // The list shows what "Ok" will store: the open template's orientation, or "Verticale", whose
    // sizes the boxes hold.
    orientation_->setCurrentIndex(std::max(0, orientation_->findText(model_.Orientamento)));
    const auto initial = pagePresets(orientation_->currentText()).value();
    for (std::size_t i = 0; i < boxes_.size(); ++i) {
        boxes_[i] = new QLineEdit(i == 0 ? initial.first : initial.second, this);
        boxes_[i]->setGeometry(placed(tw, kBoxes[i]).translated(moved));
        boxes_[i]->installEventFilter(this);
    }
    ok_ = new QPushButton(QStringLiteral("Ok"), this);
    ok_->setGeometry(placed(tw, kOk).translated(moved));
    setTabOrder(orientation_, boxes_[0]);
    setTabOrder(boxes_[0], boxes_[1]);
    setTabOrder(boxes_[1], ok_);
    orientation_->setFocus();

    connect(orientation_, &QComboBox::activated, this, [this](int i) { chooseOrientation(orientation_->itemText(i)); });
    connect(ok_, &QPushButton::clicked, this, &NuovoMD::pressOk);
}

void NuovoMD::ask(VN3Routine& model, PlatformDialogs& dialogs, QWidget* parent)
{
    NuovoMD dialog(model, dialogs, parent);
    dialog.exec();
}

void NuovoMD::chooseOrientation(const QString& orientation)
{
    if (const auto presets = pagePresets(orientation)) {
        Text1(0)->setText(presets->first);
        Text1(1)->setText(presets->second);
    }
    Text1(0)->setFocus();
}

bool NuovoMD::eventFilter(QObject* watched, QEvent* event)
{
    for (std::size_t i = 0; i < boxes_.size(); ++i) {
        QLineEdit* box = boxes_[i];
        if (watched != box)
            continue;
        if (event->type() == QEvent::FocusIn) {
            // After the click that gave the focus has placed the cursor.
            QTimer::singleShot(0, box, [box] { box->selectAll(); });
        } else if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
                QString text = box->text();
                box->setText(NormalizzaValore(text, mode::Number));
                if (i == 0)
                    Text1(1)->setFocus();
                else
                    ok_->setFocus();
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void NuovoMD::pressOk()
{
    const NewPageResult result = readNewPage(orientation_->currentText(), Text1(0)->text(), Text1(1)->text());
    if (!result.page) {
        dialogs_.message(notice(kTitle, result.problem));
        QLineEdit* box = Text1(result.heightRefused ? 0 : 1);
        box->setFocus();
        box->selectAll();
        return;
    }
    model_.AltezzaPagina = result.page->AltezzaPagina;
    model_.LarghezzaPagina = result.page->LarghezzaPagina;
    model_.Orientamento = result.page->Orientamento;
    accept();
}

}  // namespace ostrivo
