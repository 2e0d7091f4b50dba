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
    FixedArray<QString, MaxCampi, 10> CampiDB;
    FixedArray<QString, MaxTabelle, 7> Tabelle;
    FixedArray<QString, MaxTabelle, MaxColonne, 7> ColonneTabella;
    FixedArray<QString, MaxParametri, 5> ElencoParametri;

    // What the designer keeps from an opened file without showing it, so that opening and saving
    // a template never changes what the print run prints. Indexed like the lists they go with;
    // an editor that moves or rebuilds rows moves or clears these entries with them.
    //
    // [GRIGLIA] record i: its kind letter and corner order.
    FixedArray<GridShape, MaxRettangoli> gridShapes;
    // A type word the type table does not know ("Null", "Txt", an empty word), as read; such a
    // word leaves the type code empty, and a save writes the word back while the code stays
    // outside the type table.
    FixedArray<std::optional<QString>, MaxParametri> parameterTypeWords;
    FixedArray<std::optional<QString>, MaxCampi> fieldTypeWords;
    FixedArray<std::optional<QString>, MaxTabelle, MaxColonne> columnTypeWords;
    // A table read with an empty title: the print run prints it, so a save keeps it while its
    // title bar is on the canvas (an empty title otherwise marks a row that holds no table).
    FixedArray<bool, MaxTabelle> untitledTables;
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
