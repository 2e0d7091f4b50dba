#include "dialogs/ProprietaCampoDB.h"

#include "dialogs/DatabasePickers.h"
#include "dialogs/PropertyValues.h"
#include "core/Dialogs.h"
#include "template/CanvasModel.h"
#include "template/Numbers.h"
#include "template/VN3Routine.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <cmath>

namespace ostrivo {

namespace {

using K = ControlKind;

constexpr int kWidth = 8325, kHeight = 3570;
constexpr ControlPlace kPlaces[] = {
    {K::Label, 0, "Database base", {84, 84, 1776, 288}},
    {K::ReadOnlyBox, 0, "", {1848, 84, 5136, 288}},
    {K::Label, 1, "Tabella base", {84, 420, 1716, 288}},
    {K::ReadOnlyBox, 1, "", {1848, 420, 5136, 288}},
    {K::Label, 2, "Database campo", {84, 756, 1716, 288}},
    {K::ReadOnlyBox, 2, "", {1848, 756, 5136, 288}},
    {K::Button, 2, "sfoglia", {7056, 756, 1188, 348}},
    {K::Label, 3, "Tabella campo", {84, 1092, 1716, 288}},
    {K::PickList, 0, "", {1848, 1092, 5136, 288}},
    {K::Label, 4, "Campo", {84, 1428, 1716, 288}},
    {K::PickList, 1, "", {1848, 1428, 2616, 288}},
    {K::ReadOnlyBox, 3, "", {4536, 1428, 1776, 288}},
    {K::EditBox, 5, "", {6384, 1428, 600, 288}, 3},
    {K::Label, 5, "Font", {84, 1764, 1716, 288}},
    {K::PickList, 2, "", {1848, 1764, 2616, 288}},
    {K::Label, 6, "Dimensione font", {84, 2100, 1716, 288}},
    {K::PickList, 3, "", {1848, 2100, 1020, 288}},
    {K::Label, 7, "Relazione con db base", {84, 2436, 1716, 288}},
    {K::EditBox, 4, "", {1848, 2436, 6396, 288}, 200},
    {K::Button, 0, "Ok", {84, 2856, 1356, 600}},
    {K::Button, 1, "Annulla", {6888, 2856, 1356, 600}},
};

}  // namespace

QString ProprietaCampoDB::caption()
{
    return QStringLiteral("Inserimento/Modifica Campi database");
}

ProprietaCampoDB::ProprietaCampoDB(VN3Routine& model, CanvasModel& canvas, int index, PlatformDialogs& dialogs,
                                   QWidget* parent)
    : FormDialog(parent, caption(), kWidth, kHeight, kPlaces),
      model_(model),
      label_(canvas.control({CanvasSet::Label3, index})),
      index_(index),
      dialogs_(dialogs)
{
    setTabChain({Combo1(0), Combo1(1), Combo1(2), Combo1(3), Text1(4), T(0), T(1), T(2), Text1(5)});
    auto* keys = new FormKeys(this);
    for (QWidget* w : {Combo1(0), Combo1(1), Combo1(2), Combo1(3)})
        keys->onEnter(w);
    keys->onEnter(Text1(4), [this] { T(0)->setFocus(); });
    keys->onEnter(Text1(5), [this] { widthEntered(); });
    connect(Combo1(0), &QComboBox::activated, this, &ProprietaCampoDB::tableChosen);
    connect(Combo1(1), &QComboBox::activated, this, &ProprietaCampoDB::fieldChosen);
    connect(Combo1(2), &QComboBox::activated, this, [this] { Combo1(3)->setFocus(); });
    connect(Combo1(3), &QComboBox::activated, this, [this] { Text1(4)->setFocus(); });
    connect(T(2), &QPushButton::clicked, this, [this] { browseDatabase(Text1(2), Combo1(0), chosen_, dialogs_, caption()); });
    connect(T(0), &QPushButton::clicked, this, &ProprietaCampoDB::pressOk);
    connect(T(1), &QPushButton::clicked, this, &QDialog::reject);
}

bool ProprietaCampoDB::load()
{
    if (model_.DatabaseRif.trimmed().isEmpty()) {
        dialogs_.message(notice(QStringLiteral("Inserimento campi"),
                                QStringLiteral("E' necessario impostare il database di riferimento!")));
        return false;
    }
    fillList(Combo1(2), dialogs_.fontNames());
    fillList(Combo1(3), fontSizeEntries());
    selectOrKeep(Combo1(3), defaultFontSize());
    Text1(0)->setText(model_.DatabaseRif);
    Text1(1)->setText(model_.TabellaRif);
    Text1(2)->setText(model_.DatabaseRif);

    const int i = index_;
    if (model_.CampiDB(i, FieldAttr::Database).isEmpty()) {
        listTables(Text1(0)->text());
        // A new object: the width its label has.
        Text1(5)->setText(QString::number(static_cast<qint64>(std::floor(label_.width))));
    } else {
        Text1(2)->setText(model_.CampiDB(i, FieldAttr::Database));
        showStoredField(i, listTables(Text1(2)->text()));
        // The stored type text, even where the database now says otherwise.
        Text1(3)->setText(model_.CampiDB(i, FieldAttr::TypeCode));
        showWhole(Text1(5), formatShortest(label_.width));
        selectOrKeep(Combo1(2), model_.CampiDB(i, FieldAttr::FontName));
        selectOrKeep(Combo1(3), model_.CampiDB(i, FieldAttr::FontSize));
        showWhole(Text1(4), model_.CampiDB(i, FieldAttr::Relation));
    }
    Combo1(0)->setFocus();
    return true;
}

bool ProprietaCampoDB::listTables(const QString& database)
{
    return fillTables(Combo1(0), database, dialogs_, caption());
}

void ProprietaCampoDB::showStoredField(int row, bool tablesListed)
{
    const QString table = model_.CampiDB(row, FieldAttr::Table);
    const QString field = model_.CampiDB(row, FieldAttr::FieldName);
    const bool fieldsListed =
        showStoredTable(Combo1(0), table, Text1(2)->text(), tablesListed, dialogs_, caption()) && tableChosen();
    if (selectOrKeep(Combo1(1), field, EntryMatch::Trimmed)) {
        fieldChosen();
    } else if (fieldsListed && !field.isEmpty() && !offersIgnoringCase(Combo1(1), field)) {
        reportProblem(dialogs_, caption(),
                      QStringLiteral("Il campo \"%1\" non è più nella tabella \"%2\": resta memorizzato com'era.")
                          .arg(field, table));
    }
}

bool ProprietaCampoDB::tableChosen()
{
    if (!fillFields({Combo1(1)}, Text1(2)->text(), Combo1(0)->currentText(), dialogs_, caption()))
        return false;
    Combo1(1)->setFocus();
    return true;
}

void ProprietaCampoDB::fieldChosen()
{
    const std::optional<int> type = chosenFieldType(Combo1(1));
    if (!type)
        return;  // a kept field: its stored type stays
    Text1(3)->setText(fieldTypeText(*type));
    Text1(5)->setFocus();
}

void ProprietaCampoDB::widthEntered()
{
    Text1(5)->setText(formatShortest(leadingNumber(Text1(5)->text())));
    Combo1(2)->setFocus();
}

void ProprietaCampoDB::pressOk()
{
    const FieldProperties p{Text1(2)->text(),       Combo1(0)->currentText(), Combo1(1)->currentText(),
                            Text1(3)->text(),       Text1(5)->text(),         Combo1(2)->currentText(),
                            Combo1(3)->currentText(), Text1(4)->text()};
    if (const QString refusal = fieldRefusal(p); !refusal.isEmpty()) {
        reportProblem(dialogs_, caption(), refusal);
        return;
    }
    storeFieldProperties(model_, index_, label_, p);
    accept();
}

}  // namespace ostrivo
