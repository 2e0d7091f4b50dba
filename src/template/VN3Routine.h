#pragma once

#include "template/FixedArray.h"

#include <QString>

namespace ostrivo {

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

    // Clearing the canvas: the object counters go to 0 and the object lists are emptied;
    // TestoAttivo and RettangoloAttivo are rewritten as objects are created, so they stay;
    // DatabaseRif, TabellaRif and NumParametri keep their values too.
    void clearCanvasLists();
};

}  // namespace ostrivo
