#include "engine/widgets/InsParametri.h"

#include "core/Dialogs.h"

#include "core/Errors.h"
#include "core/widgets/Twips.h"
#include "template/VN3Routine.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace ostrivo {

namespace {

// The layout in twips: pattern label and box, the two buttons, the inner area before any row.
constexpr int kLabelLeft = 168, kLabelTop = 84, kLabelWidth = 3120, kLabelHeight = 264;
constexpr int kBoxLeft = 3276, kBoxWidth = 2868, kBoxHeight = 288;
constexpr int kOkLeft = 336, kCancelLeft = 4452, kButtonTop = 504, kButtonWidth = 1440, kButtonHeight = 600;
constexpr int kInnerWidth = 6270, kInnerHeight = 1215;
constexpr int kRowStep = kLabelHeight + 40;     // each row lies this far below the previous one
constexpr int kButtonStep = kLabelHeight + 10;  // the buttons move down this much per row

}  // namespace

QString InsParametri::caption()
{
    return QStringLiteral("Inserimento parametri per la stampa");
}

InsParametri::InsParametri(VN3Routine& model, PlatformDialogs& dialogs, const std::vector<ParameterPrompt>& prompts,
                           QWidget* parent)
    : QDialog(parent), model_(model), dialogs_(dialogs), prompts_(prompts)
{
    setWindowTitle(caption());
    setModal(true);
    const Twips tw = Twips::forWidget(this);

    auto* pattern = new QLabel(QStringLiteral("Label1"), this);
    pattern->setGeometry(tw.rect(kLabelLeft, kLabelTop, kLabelWidth, kLabelHeight));
    pattern->hide();
    labels_.push_back(pattern);
    patternBox_ = new QLineEdit(this);
    patternBox_->setGeometry(tw.rect(kBoxLeft, kLabelTop, kBoxWidth, kBoxHeight));
    patternBox_->hide();

    ok_ = new QPushButton(QStringLiteral("Ok"), this);
    cancel_ = new QPushButton(QStringLiteral("Annulla"), this);
    int height = kInnerHeight;
    int buttonTop = kButtonTop;

    model_.NumParametri = 0;
    for (std::size_t i = 0; i < prompts_.size(); ++i) {
        const int n = static_cast<int>(i) + 1;
        const ParameterPrompt& p = prompts_[i];
        const int top = kLabelTop + (n - 1) * kRowStep;
        height += kRowStep;
        buttonTop += kButtonStep;

        auto* label = new QLabel(QStringLiteral("Label1"), this);
        label->setGeometry(tw.rect(kLabelLeft, top, kLabelWidth, kLabelHeight));
        if (const auto word = operatorWord(p.op))
            label->setText(p.prompt + *word);
        label->show();
        labels_.push_back(label);

        auto* box = new QLineEdit(this);
        box->setGeometry(tw.rect(kBoxLeft, top, kBoxWidth, kBoxHeight));
        const QString request = n <= VN3Routine::MaxValoriRichiesta ? model_.ValoriRichiesta(n) : QString();
        box->setText(initialValue(p, request));
        box->installEventFilter(this);
        box->show();
        boxes_.push_back(box);
        model_.NumParametri = static_cast<qint16>(n);
    }
    // Tab order: the boxes in order, then the buttons.
    QWidget* previous = nullptr;
    for (QLineEdit* box : boxes_) {
        if (previous)
            setTabOrder(previous, box);
        previous = box;
    }
    if (previous)
        setTabOrder(previous, ok_);
    setTabOrder(ok_, cancel_);

    ok_->setGeometry(tw.rect(kOkLeft, buttonTop, kButtonWidth, kButtonHeight));
    cancel_->setGeometry(tw.rect(kCancelLeft, buttonTop, kButtonWidth, kButtonHeight));
    setFixedSize(tw.size(kInnerWidth, height));
    connect(ok_, &QPushButton::clicked, this, &InsParametri::pressOk);
    connect(cancel_, &QPushButton::clicked, this, &InsParametri::pressCancel);
    if (!boxes_.empty())
        boxes_.front()->setFocus();
}

bool InsParametri::eventFilter(QObject* watched, QEvent* event)
{
    for (std::size_t i = 0; i < boxes_.size(); ++i) {
        if (watched != boxes_[i])
            continue;
        if (event->type() == QEvent::FocusIn) {
            // Selected after the click that gave the focus has placed the cursor.
            QLineEdit* box = boxes_[i];
            QTimer::singleShot(0, box, [box] { box->selectAll(); });
        } else if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
                enterInBox(static_cast<int>(i) + 1);
                return true;  // Enter confirms the box; it never presses a button from here
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void InsParametri::enterInBox(int n)
{
    const ParameterPrompt& p = prompts_.at(static_cast<std::size_t>(n - 1));
    QLineEdit* box = Text1(n);
    box->setText(normaliseTypedValue(box->text(), p.typeWord, p.op));
    if (n < rowCount())
        Text1(n + 1)->setFocus();
    else
        ok_->setFocus();
}

void InsParametri::pressOk()
{
    QString values;
    for (int n = 1; n <= rowCount(); ++n) {
        const ParameterPrompt& p = prompts_.at(static_cast<std::size_t>(n - 1));
        const QString value = Text1(n)->text().trimmed();
        if (const std::optional<QString> why = typeMismatch(value, p.typeWord, p.op)) {
            // A value of another type would print a wrong report: the dialog stays on its box.
            dialogs_.message(notice(caption(), QStringLiteral("Il valore %1 di %2 %3: correggerlo.")
                                                   .arg(quoteInput(value), quoteInput(p.prompt), *why)));
            Text1(n)->setFocus();
            Text1(n)->selectAll();
            return;
        }
        const std::optional<QString> listed = valueOnOk(value, p.typeWord, p.op);
        if (!listed) {
            // The values travel as one comma-terminated list: a comma would split this one.
            dialogs_.message(notice(caption(), QStringLiteral("Il valore %1 di %2 contiene una virgola, che "
                                                              "separa i valori dei parametri: toglierla o sostituirla.")
                                                   .arg(quoteInput(value), quoteInput(p.prompt))));
            Text1(n)->setFocus();
            return;
        }
        values += *listed + QLatin1Char(',');
    }
    model_.ValoriParametri = values;
    accept();
}

void InsParametri::pressCancel()
{
    reject();
}

void InsParametri::reject()
{
    model_.ValoriParametri = QStringLiteral("Null");
    QDialog::reject();
}

QString InsParametri::ask(VN3Routine& model, PlatformDialogs& dialogs, QWidget* parent)
{
    std::vector<ParameterPrompt> prompts;
    try {
        prompts = readParameterPrompts(model.NomeModulo);
    } catch (const Error& e) {
        // Nothing was read: no parameters, and the print must not run.
        model.NumParametri = 0;
        model.ValoriParametri = QStringLiteral("Null");
        dialogs.message(notice(caption(), e.description()));
        return model.ValoriParametri;
    }
    InsParametri dialog(model, dialogs, prompts, parent);
    if (prompts.empty()) {
        model.ValoriParametri.clear();
        return model.ValoriParametri;
    }
    model.ValoriParametri = QStringLiteral("Null");  // whatever ends the dialog but "Ok"
    dialog.exec();
    return model.ValoriParametri;
}

}  // namespace ostrivo
