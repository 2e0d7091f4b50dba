#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>
#include <optional>

namespace ostrivo {

struct TemplateProblem;

// `resave TEMPLATE [--output FILE]`: opens the template as the designer does and writes it as its
// save does, over TEMPLATE (through a temporary file) or to FILE. A file the designer refuses is
// reported with its line and nothing is written. Needs no window. Returns the exit status.
int runResaveCommand(const QStringList& arguments, QTextStream& out, QTextStream& err);

// What the designer's open would refuse in a template, with its line; nothing when it opens.
std::optional<TemplateProblem> designerRefusal(const QString& path);

}  // namespace ostrivo
