#pragma once

#include <QStringList>
#include <QTextStream>

namespace ostrivo {

// `import SOURCE DEST [--replace] [--table NAME]...`: copies an Access or SQLite file's tables into
// the PostgreSQL database of a connection file. Needs no display. Returns the exit status.
int runImportCommand(const QStringList& arguments, QTextStream& out, QTextStream& err);

}  // namespace ostrivo
