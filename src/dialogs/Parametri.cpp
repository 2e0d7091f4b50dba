#include "dialogs/Parametri.h"

#include "dialogs/DatabasePickers.h"
#include "dialogs/PropertyValues.h"
#include "core/Dialogs.h"
#include "template/VN3Routine.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace ostrivo {

namespace {

using K = ControlKind;

constexpr int kWidth = 9840, kHeight = 4716;
constexpr ControlPlace kPlaces[] = {
    {K::Label, 0, "Database di riferimento", {84, 84, 1800, 288}},
    {K::ReadOnlyBox, 0, "", {1932, 84, 4464, 288}},
    {K::Button, 0, "sfoglia", {6468, 84, 1104, 288}},
    {K::Label, 1, "Tabella del database", {84, 420, 1800, 288}},
    {K::PickList, 0, "", {1932, 420, 4464, 288}},
    {K::Label, 3, "Campo del database", {84, 756, 1800, 288}},
    {K::PickList, 1, "", {1932, 756, 4464, 288}},
    {K::ReadOnlyBox, 2, "", {6468, 756, 1860, 288}},
    {K::Label, 2, "Testo di richiesta", {84, 1092, 1800, 288}},
    {K::EditBox, 1, "", {1932, 1092, 4464, 288}},
    {K::Label, 4, "Operatore", {84, 1428, 1800, 288}},
    {K::PickList, 2, "", {1932, 1428, 2196, 288}},
    {K::Label, 5, "Valore di default", {4200, 1428, 1380, 288}},
    {K::EditBox, 3, "<nessuno>", {5628, 1428, 2700, 288}},
    {K::Button, 6, "inserisci", {8400, 1428, 1356, 288}},
    {K::Label, 6, "Lista parametri", {84, 1848, 9672, 288}},
    {K::LineList, 1, "", {84, 2100, 9672, 1680}},
    {K::Button, 1, "Ok", {84, 3948, 1356, 684}},
    {K::Button, 2, "Sposta su", {1512, 3948, 1356, 684}},
    {K::Button, 3, "Sposta giù", {2940, 3948, 1356, 684}},
    {K::Button, 5, "Cancella", {4368, 3948, 1356, 684}},
    {K::Button, 4, "Esci", {8400, 3948, 1356, 684}},
};

}  // namespace

QString Parametri::caption()
{
    return QStringLiteral("Inserimento/Modifica parametri di stampa");
}

Parametri::Parametri(VN3Routine& model, PlatformDialogs& dialogs, QWidget* parent)
    : FormDialog(parent, caption(), kWidth, kHeight, kPlaces), model_(model), dialogs_(dialogs)
{
    setTabChain({SSCommand1(0), Combo1(0), Combo1(1), Text1(1), Combo1(2), Text1(3), SSCommand1(6), List1(),
                 SSCommand1(1), SSCommand1(2), SSCommand1(3), SSCommand1(5), SSCommand1(4)});
    fillList(Combo1(2), operatorEntries());
    auto* keys = new FormKeys(this);
    for (int n : {1, 3})
        keys->selectAllOnFocus(Text1(n));
    keys->onEnter(Text1(1), [this] { Combo1(2)->setFocus(); });
    keys->onEnter(Text1(3), [this] { SSCommand1(6)->setFocus(); });
    for (int n : {0, 1, 2})
        keys->onEnter(Combo1(n));

    connect(Combo1(0), &QComboBox::activated, this, &Parametri::tableChosen);
    connect(Combo1(1), &QComboBox::activated, this, &Parametri::columnChosen);
    connect(Combo1(2), &QComboBox::activated, this, [this] { Text1(3)->setFocus(); });
    connect(List1(), &QListWidget::currentRowChanged, this, [this](int row) { rows_.select(row); });
    connect(SSCommand1(0), &QPushButton::clicked, this, [this] { browseDatabase(Text1(0), Combo1(0), chosen_, dialogs_, caption()); });
    connect(SSCommand1(6), &QPushButton::clicked, this, &Parametri::insertRow);
    connect(SSCommand1(5), &QPushButton::clicked, this, &Parametri::removeRow);
    connect(SSCommand1(2), &QPushButton::clicked, this, [this] { moveRow(true); });
    connect(SSCommand1(3), &QPushButton::clicked, this, [this] { moveRow(false); });
    connect(SSCommand1(1), &QPushButton::clicked, this, &Parametri::pressOk);
    connect(SSCommand1(4), &QPushButton::clicked, this, &QDialog::reject);
}

void Parametri::load()
{
    Combo1(0)->setFocus();
    bool tablesListed = false;
    if (!model_.DatabaseRif.trimmed().isEmpty()) {
        Text1(0)->setText(model_.DatabaseRif);
        tablesListed = fillTables(Combo1(0), model_.DatabaseRif, dialogs_, caption());
    }
    // The reference table stays, also where the database cannot be read or no longer lists it.
    if (!model_.TabellaRif.trimmed().isEmpty() &&
        showStoredTable(Combo1(0), model_.TabellaRif, model_.DatabaseRif, tablesListed, dialogs_, caption()))
        tableChosen();

    for (QStringList values : storedParameters(model_)) {
        values << model_.TabellaRif << model_.DatabaseRif;
        rows_.place(makeListLine(kParameterPlaces, values), false);
    }
    showLines(List1(), rows_);
}

bool Parametri::tableChosen()
{
    if (!fillFields({Combo1(1)}, Text1(0)->text(), Combo1(0)->currentText(), dialogs_, caption()))
        return false;
    Combo1(1)->setFocus();
    return true;
}

void Parametri::columnChosen()
{
    const std::optional<int> type = chosenFieldType(Combo1(1));
    if (!type)
        return;
    Text1(2)->setText(listTypeText(*type));
    Text1(1)->setFocus();
}

void Parametri::insertRow()
{
    const ParameterBoxes boxes{Combo1(1)->currentText(), Text1(1)->text(), Combo1(2)->currentText(),
                               Text1(3)->text(),         Text1(2)->text(), Combo1(0)->currentText(),
                               Text1(0)->text()};
    const LineOutcome outcome = parameterFromBoxes(boxes, rows_.size() + 1);
    if (!outcome.refusal.isEmpty()) {
        reportProblem(dialogs_, caption(), outcome.refusal);
        return;
    }
    if (!outcome.warning.isEmpty())
        reportProblem(dialogs_, caption(), outcome.warning);
    rows_.place(makeListLine(kParameterPlaces, outcome.values), false);
    showLines(List1(), rows_);
}

void Parametri::moveRow(bool up)
{
    if (up ? rows_.moveUp() : rows_.moveDown())
        showLines(List1(), rows_);
}

void Parametri::removeRow()
{
    if (rows_.removeSelected())
        showLines(List1(), rows_);
}

void Parametri::pressOk()
{
    std::vector<QStringList> rows;
    for (const ListLine& line : rows_.lines())
        rows.push_back(lineValues(kParameterPlaces, line).mid(0, kParameterValues));
    storeParameters(model_, Text1(0)->text(), Combo1(0)->currentText(), rows);
    accept();
}

bool showParametri(QWidget* parent, VN3Routine& model, PlatformDialogs& dialogs)
{
    Parametri dialog(model, dialogs, parent);
    dialog.load();
    return dialog.exec() == QDialog::Accepted;
}

}  // namespace ostrivo
