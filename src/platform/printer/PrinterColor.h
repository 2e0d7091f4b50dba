#pragma once

#include <QColor>
#include <QtGlobal>

namespace ostrivo {

// The colour of a template colour integer: RGB with red in the low byte (255 is red). Negative
// values (and their 32-bit unsigned twins) with the high bit set are the old system-colour
// references 0x80000000 | index, mapped to the classic desktop scheme (window text and button text
// black, window background white ...); anything that names no colour is black.
QColor printerColor(qint64 color);
// The template colour of an RGB colour: red + 256 * green + 65536 * blue.
qint64 templateColor(const QColor& color);

}  // namespace ostrivo
