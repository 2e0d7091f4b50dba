#include "dialogs/ProprietaTesto.h"

#include "dialogs/PropertyValues.h"
#include "core/Dialogs.h"
#include "template/CanvasModel.h"
#include "template/Numbers.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace ostrivo {

namespace {

using K = ControlKind;

constexpr int kWidth = 4320, kHeight = 2160;
constexpr ControlPlace kPlaces[] = {
    {K::Label, 0, "Testo", {168, 84, 1020, 288}},
    {K::EditBox, 0, "", {1176, 84, 3036, 288}, 50},
    {K::Label, 1, "Font", {168, 420, 1020, 288}},
    {K::PickList, 0, "", {1176, 420, 3036, 288}},
    {K::Label, 2, "Dimensione", {168, 756, 1020, 288}},
    {K::PickList, 1, "", {1176, 756, 1104, 288}},
    {K::Label, 3, "Colore", {168, 1092, 1020, 288}},
    {K::EditBox, 3, "clicca qui!", {1176, 1092, 1104, 288}},
    {K::Swatch, 1, "", {2352, 1092, 1860, 288}},
    {K::Button, 0, "Ok", {336, 1512, 1188, 516}},
    {K::Button, 1, "Annulla", {2772, 1512, 1188, 516}},
};

// Texts the print run replaces by today's date and the time: only their look can change.
bool isPlaceholder(const QString& text)
{
    return text == QLatin1String("Data_oggi") || text == QLatin1String("ora_adesso");
}

}  // namespace

QString ProprietaTesto::caption()
{
    return QStringLiteral("Proprietà del testo");
}

ProprietaTesto::ProprietaTesto(VN3Routine&, CanvasModel& canvas, int index, PlatformDialogs& dialogs, QWidget* parent)
    : FormDialog(parent, caption(), kWidth, kHeight, kPlaces),
      label_(canvas.control({CanvasSet::Label1, index})),
      dialogs_(dialogs)
{
    setTabChain({Text1(0), Combo1(0), Combo1(1), Text1(3), T(0), T(1), Text1(1)});
    auto* keys = new FormKeys(this);
    keys->onClick(Text1(3), [this] { chooseColor(); });
    connect(Text1(3), &QLineEdit::textEdited, this, &ProprietaTesto::showSwatch);
    connect(Combo1(0), &QComboBox::activated, this, &ProprietaTesto::fontChosen);
    connect(Combo1(1), &QComboBox::activated, this, &ProprietaTesto::sizeChosen);
    connect(T(0), &QPushButton::clicked, this, &ProprietaTesto::pressOk);
    connect(T(1), &QPushButton::clicked, this, &QDialog::reject);
    load();
}

void ProprietaTesto::load()
{
    showWhole(Text1(0), label_.caption);
    Text1(3)->setText(QString::number(label_.foreColor.value()));
    showSwatch();

    // A font or size the lists do not offer stays as it is, as an entry of its own.
    fillList(Combo1(0), dialogs_.fontNames());
    selectOrKeep(Combo1(0), label_.fontName);
    fontChosen();
    fillList(Combo1(1), fontSizeEntries());
    selectOrKeep(Combo1(1), defaultFontSize());
    selectOrKeep(Combo1(1), formatShortest(label_.fontSize));
    sizeChosen();
    Text1(0)->setFocus();
}

void ProprietaTesto::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (shown_)
        return;
    shown_ = true;
    if (isPlaceholder(Text1(0)->text())) {
        Text1(0)->setEnabled(false);
        Combo1(0)->setFocus();
    }
}

void ProprietaTesto::fontChosen()
{
    if (Combo1(0)->currentIndex() < 0)
        return;
    QFont font = Text1(0)->font();
    font.setFamily(Combo1(0)->currentText());
    Text1(0)->setFont(font);
}

void ProprietaTesto::sizeChosen()
{
    const double size = leadingNumber(Combo1(1)->currentText());
    if (size <= 0)
        return;
    QFont font = Text1(0)->font();
    font.setPointSizeF(size);
    Text1(0)->setFont(font);
}

void ProprietaTesto::showSwatch()
{
    if (const auto color = colorFromText(Text1(3)->text()))
        paintSwatch(Text1(1), TemplateColor(*color).toQColor());
}

void ProprietaTesto::chooseColor()
{
    const qint64 initial = roundHalfAway(leadingNumber(Text1(3)->text()));
    if (const auto color = dialogs_.chooseColor(TemplateColor(initial))) {
        Text1(3)->setText(QString::number(color->value()));
        showSwatch();
    }
}

void ProprietaTesto::pressOk()
{
    const TextProperties p{Text1(0)->text(), Combo1(0)->currentText(), Combo1(1)->currentText(), Text1(3)->text()};
    if (const QString refusal = textRefusal(p); !refusal.isEmpty()) {
        reportProblem(dialogs_, caption(), refusal);
        Text1(3)->setFocus();
        return;
    }
    storeTextProperties(label_, p);
    accept();
}

}  // namespace ostrivo
