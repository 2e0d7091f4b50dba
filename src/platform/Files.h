#pragma once

#include <QString>

namespace ostrivo {

// Templates come from Windows, where file names ignore case: a name that is missing as written is
// looked up among the names of its folder that differ only in case. Relative names are taken from
// the current directory. Returns the name to open, or an empty text when no such file exists.
QString resolveExistingFile(const QString& name);

// True when resolveExistingFile finds a regular file.
bool fileExists(const QString& name);

}  // namespace ostrivo
