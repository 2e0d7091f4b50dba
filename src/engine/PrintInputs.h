#pragma once

#include <QString>
#include <QStringList>

namespace ostrivo {

// The files a print of a template may read: the template, and every existing file that a field
// of any of its lines names, looked up as the print run looks names up (case aside). Where a
// line stands in the file does not count: a file malformed part-way gives no certainty about
// which of its records the print would still reach, and no such file may be replaced by an
// output. Throws TemplateError when the template itself cannot be read, since then its names
// are unknown.
QStringList printInputFiles(const QString& templatePath);

}  // namespace ostrivo
