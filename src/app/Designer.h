#pragma once

namespace ostrivo {

// The program without arguments: a print request when Varnil3<PCLocal>.pss is in the current
// directory (printed, the file deleted, the process ended without showing the designer),
// otherwise the designer window. Returns the exit status.
int runDesigner(int argc, char** argv);

}  // namespace ostrivo
