#include "template/VN3Routine.h"

namespace ostrivo {

void VN3Routine::clearCanvasLists()
{
    NumTesti = 0;
    NumCampi = 0;
    NumImmagini = 0;
    NumRettangoli = 0;
    NumTabelle = 0;
    Immagini.clear();
    CampiDB.clear();
    ElencoParametri.clear();
    Tabelle.clear();
    ColonneTabella.clear();
    gridShapes.clear();
    productBlocks.clear();
}

}  // namespace ostrivo
