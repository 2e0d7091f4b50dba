#pragma once

#include <QStringList>

namespace ostrivo {

// Exit statuses of the command line.
namespace exitcode {
constexpr int Printed = 0;
constexpr int Failed = 1;
constexpr int BadUsage = 2;
constexpr int PrintedWithErrors = 3;
}  // namespace exitcode

// The whole program: chooses between the designer, the print request and the command line.
int runProgram(int argc, char** argv);

// The text of --help, from which the manual page is also made.
QString usageText();
// What bad usage is answered with: the commands and how to get the rest.
QString usageSynopsis();

}  // namespace ostrivo
