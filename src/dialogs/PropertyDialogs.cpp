#include "dialogs/PropertyDialogs.h"

#include "dialogs/ProprietaCampoDB.h"
#include "dialogs/ProprietaImmagine.h"
#include "dialogs/ProprietaTabella.h"
#include "dialogs/ProprietaTesto.h"

namespace ostrivo {

bool openPropertyDialog(QWidget* parent, VN3Routine& model, CanvasModel& canvas, CanvasRef object,
                        PlatformDialogs& dialogs)
{
    if (!canvas.exists(object))
        return false;
    switch (object.set) {
    case CanvasSet::Label1: {
        ProprietaTesto dialog(model, canvas, object.index, dialogs, parent);
        return dialog.exec() == QDialog::Accepted;
    }
    case CanvasSet::Label3: {
        ProprietaCampoDB dialog(model, canvas, object.index, dialogs, parent);
        return dialog.load() && dialog.exec() == QDialog::Accepted;
    }
    case CanvasSet::Label4: {
        ProprietaTabella dialog(model, canvas, object.index, dialogs, parent);
        return dialog.load() && dialog.exec() == QDialog::Accepted;
    }
    case CanvasSet::Pic1: {
        ProprietaImmagine dialog(model, canvas, object.index, dialogs, parent);
        return dialog.exec() == QDialog::Accepted;
    }
    case CanvasSet::Label2:
    case CanvasSet::Label5:
        break;
    }
    return false;
}

}  // namespace ostrivo
