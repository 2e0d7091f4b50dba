#pragma once

#include "print/PrintOp.h"

#include <QString>

#include <vector>

namespace ostrivo::bench {

// Paints a trace onto a QPdfWriter with the painting code of the printer named "PDF" (PagePainter:
// A4, printable area 5 mm inside each edge) but without the printer front or its sink: no checks,
// no state tracking, no temporary file. The floor that the printer named "PDF" is measured against.
void replayTraceToPdf(const std::vector<PrintOp>& ops, const QString& path);

}  // namespace ostrivo::bench
