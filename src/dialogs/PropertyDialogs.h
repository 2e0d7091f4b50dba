#pragma once

#include "template/CanvasModel.h"

class QWidget;

namespace ostrivo {

class PlatformDialogs;
class VN3Routine;

// A right press on a canvas object: the property dialog of its kind, shown modally over parent
// (texts, database fields, tables and images have one; rectangles none). What the dialog stores
// goes into the model and the canvas. Returns true when the user confirmed it.
bool openPropertyDialog(QWidget* parent, VN3Routine& model, CanvasModel& canvas, CanvasRef object,
                        PlatformDialogs& dialogs);

}  // namespace ostrivo
