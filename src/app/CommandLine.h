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

// A template names its database and pictures relative to its own folder: `print`, `check` and
// `resave` work there, as the designer does. Enters the folder of templatePath and returns the
// template's name from there. Outputs the user named stay where the user meant them: make them
// absolute before.
QString enterTemplateFolder(const QString& templatePath);

// The text of --help, from which the manual page is also made.
QString usageText();
// What bad usage is answered with: the commands and how to get the rest.
QString usageSynopsis();

}  // namespace ostrivo
