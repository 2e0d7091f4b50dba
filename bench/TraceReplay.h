#pragma once

#include "print/PrintOp.h"

#include <QString>

#include <vector>

namespace ostrivo::bench {

// Paints a trace straight onto QPainter and QPdfWriter, with the geometry of the printer named
// "PDF" (A4, printable area 5 mm inside each edge, units scaled separately in x and y, text at its
// point size with its top-left corner at the position) but none of the printer classes: no checks,
// no state tracking, no temporary file. The floor that QtPrinter is measured against.
void replayTraceToPdf(const std::vector<PrintOp>& ops, const QString& path);

}  // namespace ostrivo::bench
