#include "dialogs/PropertyDialogs.h"

namespace ostrivo {

bool openPropertyDialog(QWidget*, VN3Routine&, CanvasModel&, CanvasRef, PlatformDialogs&)
{
    // The property dialogs are not built yet: a right press only selects.
    return false;
}

}  // namespace ostrivo
