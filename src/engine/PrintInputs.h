#pragma once

#include <QString>
#include <QStringList>

namespace ostrivo {

// The files a print of a template reads: the template, and the databases and pictures its records
// name that exist (as the print run finds them). A template that cannot be read gives itself
// alone: the print run will report it.
QStringList printInputFiles(const QString& templatePath);

}  // namespace ostrivo
