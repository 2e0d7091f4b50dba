#pragma once

#include "template/TemplateElements.h"

#include <QString>
#include <functional>

namespace ostrivo {

class Printer;

// Prints a table: its frame and header, one row per record its query finds (the source record's
// condition and ordering, and FiltroParametri), continuation pages and the totals row. newPage
// starts a page; between rows it first receives the template's fixed elements again.
void printTable(Printer& printer, const TemplateReader& reader, const TableElement& table, const QString& filter,
                const std::function<void(bool betweenRows)>& newPage);

}  // namespace ostrivo
