#pragma once

#include <QStringList>
#include <QTextStream>

namespace ostrivo {

namespace db {
struct ImportProgress;
}

// How fast a table was copied: "1234 righe/s, 5.6 MB/s", with two figures at least.
QString importRate(const db::ImportProgress& progress);

// `import SOURCE DEST [--replace] [--table NAME]...`: copies an Access or SQLite file's tables into
// the PostgreSQL database of a connection file. Needs no display. Returns the exit status.
int runImportCommand(const QStringList& arguments, QTextStream& out, QTextStream& err);

}  // namespace ostrivo
