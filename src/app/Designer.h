#pragma once

#include <QString>

namespace ostrivo {

// The program without arguments: a print request when Varnil3<PCLocal>.pss is in the current
// directory (printed, the file deleted, the process ended without showing the designer),
// otherwise the designer window. With a template path, the designer with that template open,
// working in its folder; a waiting print request is left alone. Returns the exit status.
int runDesigner(int argc, char** argv, const QString& templatePath = {});

}  // namespace ostrivo
