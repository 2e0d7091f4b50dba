#pragma once

#include "template/CanvasModel.h"

#include <QString>
#include <optional>

namespace ostrivo {

class PlatformDialogs;
class VN3Routine;

// The position readout, Label6(0) and Label6(1).
struct Readout {
    QString x = QStringLiteral("PosX");
    QString y = QStringLiteral("PosY");
    bool operator==(const Readout&) const = default;
};

// "PosX 12,00" and "PosY 3,50": a control's left and top with two decimals, shown the Italian way.
Readout readoutOf(const CanvasControl& control);

// The object OggettoCorrente and TipoOggettoCorrente name, when it still exists.
std::optional<CanvasRef> currentObject(const VN3Routine& model, const CanvasModel& canvas);

enum class PressButton { Left, Right, Other };

struct PressOutcome {
    std::optional<Readout> readout;  // the readout's new texts, when the press changes them
    bool openPropertyDialog = false;
};

// A press on an object. Left and right both make it current with its own kind, so that the size
// buttons, "Cancella oggetto" and the property dialog act on the object pressed; a left press
// shows its position (images excepted), a right press asks for its property dialog (rectangles
// have none). Table bodies take no press.
PressOutcome pressObject(VN3Routine& model, const CanvasModel& canvas, CanvasRef object, PressButton button);

// One pointer move with the left button held on the pressed object, the pointer's offset from the
// object's top-left corner in twips: the object steps by whole page units (floor of the offset
// over the page size). A table's body follows 3 units below its title bar; a database field's
// place is kept in CampiDB as it moves. Returns the readout's new texts (none for images).
std::optional<Readout> dragObject(VN3Routine& model, CanvasModel& canvas, CanvasRef object, double offsetXTwips,
                                  double offsetYTwips);

// The size buttons Picture2(0..3): one unit lower, higher, narrower, wider, on the current object.
enum class SizeStep { Lower = 0, Higher = 1, Narrower = 2, Wider = 3 };
// Returns whether the click changed a size. A size never goes below zero.
bool resizeCurrentObject(VN3Routine& model, CanvasModel& canvas, SizeStep step);

// "Inserisci oggetto" for every kind but "PARAMETRI": a new object at the page's top-left corner,
// in front of the others. An insert past a list's capacity is refused with a message; a kind
// text that is none of the object kinds inserts nothing. Returns the new object.
std::optional<CanvasRef> insertObject(VN3Routine& model, CanvasModel& canvas, const QString& kind,
                                      PlatformDialogs& dialogs);

// "Cancella oggetto": asks, and on "Sì" deletes the current object and leaves nothing current.
// Returns whether it deleted.
bool deleteCurrentObject(VN3Routine& model, CanvasModel& canvas, PlatformDialogs& dialogs);

// Moves the current object dx units right and dy units down, as a drag of that many units does.
// Returns the readout's new texts (none for images, or when nothing is current).
std::optional<Readout> moveCurrentObject(VN3Routine& model, CanvasModel& canvas, int dx, int dy);

// What a key pressed on the canvas does: an arrow moves the current object one unit; with Shift
// it changes its size one unit as the size button with the same triangle does; Delete deletes it
// as "Cancella oggetto" does. Other keys and modifiers are not the canvas's.
struct CanvasKey {
    enum class Action { None, Move, Resize, Delete };
    Action action = Action::None;
    int dx = 0;  // Move: units right
    int dy = 0;  // Move: units down
    SizeStep step = SizeStep::Lower;
    bool operator==(const CanvasKey&) const = default;
};
CanvasKey canvasKey(int key, Qt::KeyboardModifiers modifiers);

}  // namespace ostrivo
