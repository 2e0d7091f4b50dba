#pragma once

#include "template/FixedArray.h"

#include <QString>
#include <QStringList>
#include <array>
#include <optional>
#include <vector>

namespace ostrivo {

// What a [GRIGLIA] record holds beyond the box the canvas shows: its kind letter and the direction
// of its corners. The canvas keeps the box between the two corners (left, top, width, height, never
// negative); a save writes the corners back in the order they were read.
struct GridShape {
    // The letter as read: "R" a box, "L" a line from corner 1 to corner 2, any other letter an
    // element the print run ignores. None for a rectangle made in the designer, which saves as "R".
    std::optional<QString> kind;
    bool rightToLeft = false;  // corner 2 lies left of corner 1
    bool bottomToTop = false;  // corner 2 lies above corner 1
    // The box as read (left, top, width, height) and its right and bottom edges as the file gave
    // them. While the box stays as read, the save writes those edges rather than computing them
    // again in single precision, which moves a large one by hundredths at every save.
    std::optional<std::array<double, 4>> readBox{};
    std::array<double, 2> readFar{};
    bool operator==(const GridShape&) const = default;
};

// A computed product block ("[*]" ... "[/*]"): the designer neither shows nor edits it, and writes
// it back as read, after the records of the section it followed.
struct ProductBlockLines {
    // The last section the designer writes ("[TESTA]" ... "[FINE]") that stood before the block.
    QString afterSection;
    // Its record lines between "[*]" and "[/*]", unchanged: the product line, then the factors.
    QStringList records;
    bool operator==(const ProductBlockLines&) const = default;
};

// The columns of the attribute lists, in the order the lists hold them.

// CampiDB: one database-field object; a row whose Database is empty is deleted.
enum class FieldAttr {
    Database = 1,
    Table,
    FieldName,
    TypeCode,
    X,
    Y,
    Width,
    FontName,
    FontSize,
    Relation,
    Last = Relation
};
// Tabelle: one table object; a row whose Title is empty holds no table. Ordering is field names
// joined by "-"; Filter an extra condition of the row query.
enum class TableAttr { Title = 1, FontName, FontSize, Database, Table, Ordering, Filter, Last = Filter };
// ColonneTabella: one column of a table; a table's columns run up to the first without a Title.
// ColumnWidth is in page units, FieldWidth in characters, Total "S" or "N".
enum class ColumnAttr { Title = 1, FieldName, ColumnWidth, FieldWidth, TypeCode, Total, Relation, Last = Relation };
// ElencoParametri: one report parameter; rows are used from 1 up to the first without a FieldName.
enum class ParameterAttr { FieldName = 1, Prompt, Operator, DefaultValue, TypeCode, Last = TypeCode };

// What the designer keeps from an opened file beside a row's texts, so that opening and saving a
// template never changes what the print run prints. It clears with the row; the dialogs, which
// rewrite a list's texts in place, leave it with the row's number.
//
// A type word the type table does not know ("Null", "Txt", an empty word), as read: such a word
// leaves the type code empty, and a save writes the word back while the code stays outside the
// type table.
struct KeptTypeWord {
    std::optional<QString> typeWord;
    bool operator==(const KeptTypeWord&) const = default;
};
// A table read with an empty title: the print run prints it, so a save keeps it while its title
// bar is on the canvas (an empty title otherwise marks a row that holds no table).
struct KeptTitle {
    bool untitled = false;
    bool operator==(const KeptTitle&) const = default;
};

// The template model: the module-level state and fixed-capacity lists shared by the designer, the
// dialogs and the print command. One instance per process, owned by main and passed by reference;
// tests make their own. Lists are indexed from 1; numbers in them are decimal texts.
class VN3Routine {
public:
    static constexpr int MaxImmagini = 100;
    static constexpr int MaxTesti = 500;
    static constexpr int MaxRettangoli = 500;
    static constexpr int MaxCampi = 200;
    static constexpr int MaxTabelle = 10;
    static constexpr int MaxColonne = 60;
    static constexpr int MaxParametri = 30;
    static constexpr int MaxValoriRichiesta = 30;

    QString NomeModulo;
    QString Orientamento = QStringLiteral("Verticale");
    qint16 LarghezzaPagina = 80;
    double AltezzaPagina = 75;
    QString DatabaseRif;
    QString TabellaRif;

    // Highest index created since the last clear (deleted objects leave holes).
    qint16 NumTesti = 0;
    qint16 NumRettangoli = 0;
    qint16 NumCampi = 0;
    qint16 NumTabelle = 0;
    qint16 NumImmagini = 0;
    qint16 NumLineeGriglia = 0;
    qint16 NumParametri = 0;

    qint16 OggettoCorrente = 0;
    QString TipoOggettoCorrente;

    QString ValoriParametri;
    FixedArray<QString, MaxValoriRichiesta> ValoriRichiesta;

    FixedArray<QString, MaxImmagini> Immagini;
    FixedArray<QString, MaxTesti> TestoAttivo;
    FixedArray<QString, MaxRettangoli> RettangoloAttivo;
    RecordList<QString, FieldAttr, KeptTypeWord, MaxCampi> CampiDB;
    RecordList<QString, TableAttr, KeptTitle, MaxTabelle> Tabelle;
    RecordList<QString, ColumnAttr, KeptTypeWord, MaxTabelle, MaxColonne> ColonneTabella;
    RecordList<QString, ParameterAttr, KeptTypeWord, MaxParametri> ElencoParametri;

    // Also kept from an opened file without showing it: [GRIGLIA] record i's kind letter and corner
    // order. Apart from RettangoloAttivo, which a canvas clear leaves as it is.
    FixedArray<GridShape, MaxRettangoli> gridShapes;
    // The computed product blocks, in file order.
    std::vector<ProductBlockLines> productBlocks;

    // Clearing the canvas: the object counters go to 0 and the object lists are emptied;
    // TestoAttivo and RettangoloAttivo are rewritten as objects are created, so they stay;
    // DatabaseRif, TabellaRif and NumParametri keep their values too. What was kept from the
    // last opened file goes with the objects.
    void clearCanvasLists();

    bool operator==(const VN3Routine&) const = default;
};

}  // namespace ostrivo
