#pragma once

#include "engine/ParameterFilter.h"
#include "template/TemplateElements.h"

#include <QString>
#include <functional>
#include <vector>

namespace ostrivo {

// One problem of a template for the print run, with its line (0 when not on a line).
struct TemplateProblem {
    int line = 0;
    QString message;
};

// The check lists at most this many problems, then one that says it stopped.
constexpr std::size_t kMaxCheckProblems = 100;

// A template read for printing: its elements, its parameters (with their values when values were
// given) and every problem the check found in them.
struct CheckedTemplate {
    TemplateElements read;
    std::vector<PrintParameter> parameters;
    std::vector<TemplateProblem> problems;
};

// Reads a template as the print run does, without printing or opening a database, and lists
// every problem it finds: the page block, the parameters (at most 10), the fields of each record,
// the table and product blocks (at most 54 columns, 49 factors). With values (the comma-terminated
// list of the parameter dialog), the values are checked against their parameters too.
CheckedTemplate readForPrint(const QString& name, const TemplateLines& lines, const QString* values);
// The problems alone: the elements are not kept, but each is handed to `met`, when given, once
// it is checked.
using MetElement = std::function<void(const TemplateReader&, const TemplateElement&)>;
std::vector<TemplateProblem> checkForPrint(const QString& name, const TemplateLines& lines,
                                           const QString* values = nullptr, const MetElement& met = {});

// The line and the text a problem is listed with: a template error's own, else the fallback line
// and the error's description.
int problemLine(const Error& e, int fallback);
QString problemText(const Error& e);

}  // namespace ostrivo
