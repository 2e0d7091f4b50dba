#pragma once

#include <QString>

namespace ostrivo {

// Opens a local file with the desktop's default application for its type (the PDF viewer for
// catering.pdf). Relative names are taken from the current directory. False when the desktop
// could not start one; callers need not act on it.
bool openWithDefaultViewer(const QString& path);

}  // namespace ostrivo
