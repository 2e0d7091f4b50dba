#include "dialogs/ProprietaTabella.h"

#include "dialogs/DatabasePickers.h"
#include "dialogs/PropertyValues.h"
#include "core/Dialogs.h"
#include "template/CanvasModel.h"
#include "template/VN3Routine.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace ostrivo {

namespace {

using K = ControlKind;

constexpr int kWidth = 8385, kHeight = 6795;
constexpr ControlPlace kPlaces[] = {
    {K::Label, 0, "Titolo tabella", {84, 84, 1188, 288}},
    {K::EditBox, 0, "", {1260, 84, 5052, 288}},
    {K::Label, 1, "Font", {84, 420, 1188, 288}},
    {K::PickList, 0, "", {1260, 420, 2196, 288}},
    {K::Label, 2, "Dimensione font", {3948, 420, 1356, 288}},
    {K::PickList, 1, "", {5292, 420, 1020, 288}},
    {K::Label, 4, "Database rif.", {84, 756, 1188, 288}},
    {K::ReadOnlyBox, 1, "", {1260, 756, 5052, 288}},
    {K::Button, 0, "sfoglia", {6384, 756, 1188, 264}},
    {K::Label, 5, "Tabella rif.", {84, 1092, 1188, 288}},
    {K::PickList, 2, "", {1260, 1092, 5052, 288}},
    {K::Label, 6, "Ordinamento", {84, 1428, 1188, 288}},
    {K::EditBox, 2, "", {1260, 1428, 5052, 288}},
    {K::PickList, 3, "", {6384, 1428, 1860, 288}},
    {K::Label, 7, "Filtro", {84, 1764, 1188, 288}},
    {K::EditBox, 3, "", {1260, 1764, 6984, 288}},
    {K::Label, 3, "IMPOSTAZIONE COLONNE DELLA TABELLA", {0, 2184, 8412, 288}},
    {K::Label, 8, "Titolo colonna", {84, 2520, 1188, 288}},
    {K::EditBox, 4, "", {1260, 2520, 5052, 288}, 30},
    {K::Label, 9, "Campo db", {84, 2856, 1188, 288}},
    {K::PickList, 4, "", {1260, 2856, 2700, 288}},
    {K::ReadOnlyBox, 5, "", {4032, 2856, 2280, 288}},
    {K::Label, 10, "Largh. colonna", {84, 3192, 1188, 288}},
    {K::EditBox, 6, "", {1260, 3192, 768, 288}, 2},
    {K::Label, 13, "Largh. campo", {2436, 3192, 1128, 288}},
    {K::EditBox, 7, "", {3612, 3192, 768, 288}, 2},
    {K::Label, 11, "Calcolo totale", {4452, 3192, 1128, 288}},
    {K::PickList, 5, "", {5628, 3192, 684, 288}},
    {K::Label, 12, "Relazione", {84, 3528, 1188, 288}},
    {K::EditBox, 8, "", {1260, 3528, 5052, 288}, 100},
    {K::Button, 1, "inserisci", {6384, 3528, 1188, 264}},
    {K::Label, 14, "Lista colonne", {84, 3948, 8160, 288}},
    {K::LineList, 1, "", {84, 4200, 8160, 1680}},
    {K::Button, 2, "Ok", {84, 6048, 1356, 684}},
    {K::Button, 3, "Sposta su", {1512, 6048, 1356, 684}},
    {K::Button, 4, "Sposta giù", {2940, 6048, 1356, 684}},
    {K::Button, 5, "Cancella", {4368, 6048, 1356, 684}},
    {K::Button, 6, "Esci", {6888, 6048, 1356, 684}},
};

const QString kInsert = QStringLiteral("inserisci");
const QString kModify = QStringLiteral("modifica");
// The title the designer gives a table it inserts: such a table has not been set up yet.
const QString kNewTitle = QStringLiteral("Titolo");

}  // namespace

QString ProprietaTabella::caption()
{
    return QStringLiteral("Inserimento/Modifica tabella");
}

ProprietaTabella::ProprietaTabella(VN3Routine& model, CanvasModel& canvas, int index, PlatformDialogs& dialogs,
                                   QWidget* parent)
    : FormDialog(parent, caption(), kWidth, kHeight, kPlaces),
      model_(model),
      title_(canvas.control({CanvasSet::Label4, index})),
      index_(index),
      dialogs_(dialogs)
{
    setTabChain({Text1(0), Combo1(0), Combo1(1), T(0), Combo1(2), Text1(2), Combo1(3), Text1(3), Text1(4), Combo1(4),
                 Text1(6), Text1(7), Combo1(5), Text1(8), List1(), T(1), T(2), T(3), T(4), T(5), T(6)});
    auto* keys = new FormKeys(this);
    for (int n : {0, 2, 3, 4, 6, 7, 8})
        keys->selectAllOnFocus(Text1(n));
    const std::pair<QWidget*, QWidget*> moves[] = {
        {Text1(0), Combo1(0)}, {Text1(2), Text1(3)}, {Text1(3), Text1(4)}, {Text1(4), Combo1(4)},
        {Text1(6), Text1(7)},  {Text1(7), Combo1(5)}, {Text1(8), T(1)},     {Combo1(5), Text1(8)},
    };
    for (const auto& move : moves) {
        QWidget* to = move.second;
        keys->onEnter(move.first, [to] { to->setFocus(); });
    }
    for (int n : {0, 1, 2, 3, 4})
        keys->onEnter(Combo1(n));

    connect(Combo1(0), &QComboBox::activated, this, [this] { Combo1(1)->setFocus(); });
    connect(Combo1(1), &QComboBox::activated, this, [this] { Combo1(2)->setFocus(); });
    connect(Combo1(2), &QComboBox::activated, this, &ProprietaTabella::tableChosen);
    connect(Combo1(3), &QComboBox::activated, this,
            [this] { Text1(2)->setText(appendToOrdering(Text1(2)->text(), Combo1(3)->currentText())); });
    connect(Combo1(4), &QComboBox::activated, this, &ProprietaTabella::columnFieldChosen);
    connect(Combo1(5), &QComboBox::activated, this, [this] { Text1(8)->setFocus(); });
    connect(List1(), &QListWidget::currentRowChanged, this, [this](int row) { columns_.select(row); });
    connect(List1(), &QListWidget::itemClicked, this, [this](QListWidgetItem* item) { editColumn(List1()->row(item)); });
    connect(T(0), &QPushButton::clicked, this, [this] { browseDatabase(Text1(1), Combo1(2), chosen_, dialogs_, caption()); });
    connect(T(1), &QPushButton::clicked, this, &ProprietaTabella::placeColumn);
    connect(T(2), &QPushButton::clicked, this, &ProprietaTabella::pressOk);
    connect(T(3), &QPushButton::clicked, this, [this] { moveColumn(true); });
    connect(T(4), &QPushButton::clicked, this, [this] { moveColumn(false); });
    connect(T(5), &QPushButton::clicked, this, &ProprietaTabella::removeColumn);
    connect(T(6), &QPushButton::clicked, this, &QDialog::reject);
}

bool ProprietaTabella::load()
{
    const int i = index_;
    if (model_.DatabaseRif.trimmed().isEmpty() && model_.Tabelle(i, TableAttr::Title).isEmpty()) {
        dialogs_.message(notice(QStringLiteral("Inserimento tabella"),
                                QStringLiteral("E' necessario impostare il database di riferimento!")));
        return false;
    }
    fillList(Combo1(0), dialogs_.fontNames());
    fillList(Combo1(5), {QStringLiteral("N"), QStringLiteral("S")});
    selectOrKeep(Combo1(5), QStringLiteral("N"));
    fillList(Combo1(1), fontSizeEntries());
    selectOrKeep(Combo1(1), defaultFontSize());

    // A table not set up yet shows an empty title to type and, until it has a database of its
    // own, the reference database; whatever was set already is shown, so "Ok" keeps it.
    const QString title = model_.Tabelle(i, TableAttr::Title);
    const bool isNew = title.isEmpty() || title == kNewTitle;
    if (!isNew)
        Text1(0)->setText(title);
    const QString& storedDatabase = model_.Tabelle(i, TableAttr::Database);
    Text1(1)->setText(isNew && storedDatabase.isEmpty() ? model_.DatabaseRif : storedDatabase);
    Text1(2)->setText(model_.Tabelle(i, TableAttr::Ordering));
    Text1(3)->setText(model_.Tabelle(i, TableAttr::Filter));

    // An empty path names no database yet: "sfoglia" chooses one.
    const QString database = Text1(1)->text();
    const bool tablesListed = !database.trimmed().isEmpty() && fillTables(Combo1(2), database, dialogs_, caption());
    if (showStoredTable(Combo1(2), model_.Tabelle(i, TableAttr::Table), database, tablesListed, dialogs_, caption()))
        tableChosen();
    selectOrKeep(Combo1(0), model_.Tabelle(i, TableAttr::FontName));
    selectOrKeep(Combo1(1), model_.Tabelle(i, TableAttr::FontSize));

    for (const QStringList& values : storedColumns(model_, i))
        columns_.place(makeListLine(kColumnPlaces, values), false);
    showLines(List1(), columns_);
    Text1(0)->setFocus();
    return true;
}

bool ProprietaTabella::tableChosen()
{
    if (!fillFields({Combo1(3), Combo1(4)}, Text1(1)->text(), Combo1(2)->currentText(), dialogs_, caption()))
        return false;
    Combo1(3)->setFocus();
    return true;
}

void ProprietaTabella::columnFieldChosen()
{
    const std::optional<int> type = chosenFieldType(Combo1(4));
    if (!type)
        return;
    Text1(5)->setText(listTypeText(*type));
    Text1(6)->setFocus();
}

bool ProprietaTabella::modifying() const
{
    return T(1)->text() == kModify;
}

void ProprietaTabella::placeColumn()
{
    const bool replaces = modifying() && columns_.selected() >= 0;
    const ColumnBoxes boxes{Text1(4)->text(), Combo1(4)->currentText(), Text1(5)->text(), Text1(6)->text(),
                            Text1(7)->text(), Combo1(5)->currentText(), Text1(8)->text()};
    const LineOutcome outcome = columnFromBoxes(boxes, columns_.size() + (replaces ? 0 : 1));
    if (!outcome.refusal.isEmpty()) {
        reportProblem(dialogs_, caption(), outcome.refusal);
        return;
    }
    if (!outcome.warning.isEmpty())
        reportProblem(dialogs_, caption(), outcome.warning);
    columns_.place(makeListLine(kColumnPlaces, outcome.values), modifying());
    showLines(List1(), columns_);
    T(1)->setText(kInsert);
    Text1(4)->setFocus();
}

void ProprietaTabella::editColumn(int row)
{
    columns_.select(row);
    if (columns_.selected() < 0)
        return;
    const ListLine& line = columns_.lines()[static_cast<std::size_t>(row)];
    if (line.text.trimmed().isEmpty())
        return;
    const QStringList values = lineValues(kColumnPlaces, line);
    const auto value = [&](ColumnAttr a) { return values.value(linePlace(a)); };
    showWhole(Text1(4), value(ColumnAttr::Title));
    // A field the table no longer lists is kept, with its stored type code.
    if (value(ColumnAttr::FieldName).isEmpty())
        Combo1(4)->setCurrentIndex(-1);
    if (selectOrKeep(Combo1(4), value(ColumnAttr::FieldName), EntryMatch::Trimmed))
        columnFieldChosen();
    else
        Text1(5)->setText(value(ColumnAttr::TypeCode));
    showWhole(Text1(6), value(ColumnAttr::ColumnWidth));
    showWhole(Text1(7), value(ColumnAttr::FieldWidth));
    selectOrKeep(Combo1(5), value(ColumnAttr::Total) == QLatin1String("N") ? QStringLiteral("N") : QStringLiteral("S"));
    showWhole(Text1(8), value(ColumnAttr::Relation));
    T(1)->setText(kModify);
    Text1(4)->setFocus();
}

void ProprietaTabella::moveColumn(bool up)
{
    if (!(up ? columns_.moveUp() : columns_.moveDown()))
        return;
    showLines(List1(), columns_);
    // A moved line counts as chosen.
    editColumn(columns_.selected());
}

void ProprietaTabella::removeColumn()
{
    if (columns_.removeSelected())
        showLines(List1(), columns_);
}

void ProprietaTabella::pressOk()
{
    const TableProperties p{Text1(0)->text(), Combo1(0)->currentText(), Combo1(1)->currentText(), Text1(1)->text(),
                            Combo1(2)->currentText(), Text1(2)->text(), Text1(3)->text()};
    if (const QString refusal = tableRefusal(p); !refusal.isEmpty()) {
        reportProblem(dialogs_, caption(), refusal);
        Text1(0)->setFocus();
        return;
    }
    std::vector<QStringList> columns;
    for (const ListLine& line : columns_.lines())
        columns.push_back(lineValues(kColumnPlaces, line));
    storeTable(model_, index_, p, columns);
    // The title bar shows the title, as it does when the template is opened.
    title_.caption = p.title;
    accept();
}

}  // namespace ostrivo
