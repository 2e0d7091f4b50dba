#pragma once

#include <QString>

namespace ostrivo {

// "3.0.0": the program's version, as --version prints it.
QString programVersion();

}  // namespace ostrivo
