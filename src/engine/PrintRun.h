#pragma once

#include "engine/PageElements.h"
#include "engine/PrintCheck.h"
#include "core/Errors.h"
#include "template/TemplateElements.h"

#include <QDateTime>
#include <QString>
#include <functional>
#include <optional>

namespace ostrivo {

class Printer;

// An error that ended a print run, with the template line where it happened (0 when none).
class PrintFailure : public Error {
public:
    PrintFailure(const Error& cause, QString templateFile, int line);
    int line() const noexcept { return line_; }
    const QString& templateFile() const noexcept { return templateFile_; }

private:
    QString templateFile_;
    int line_;
};

// The text of the "Stampa" message box for an element error: description, " n. ", number.
QString elementErrorText(const Error& error);

struct PrintSettings {
    // "Data_oggi" and "ora_adesso" print this moment.
    QDateTime now = QDateTime::currentDateTime();
    // Shows an error of an element drawn on a continuation page, or of a picture that cannot be
    // read (the "Stampa" message); the run goes on. Not called for a cancelled standard dialog.
    std::function<void(const Error&)> onElementError;
    // Called as each page after the first begins, with its number; the caller's chance to show
    // progress and keep its window alive. False stops the run there: the job is discarded and the
    // run fails with err::UserInterrupt.
    std::function<bool(int page)> onPage;
    // Says what the print leaves out without an error (a missing picture), with its template line.
    std::function<void(int line, const QString& warning)> onWarning;
};

// StampaModulo without its printer dialog: prints a template file on a printer. The template is
// read and checked once (checkForPrint); then every element is drawn as it is met, and tables add
// continuation pages that first receive the fixed elements again. A template that the check
// refuses, or a failure outside the redraw of a continuation page, ends the run with PrintFailure:
// the job is discarded and nothing is printed.
class PrintRun {
public:
    PrintRun(Printer& printer, QString templatePath, QString valoriParametri, PrintSettings settings = {});

    void run();

    // Errors reported through onElementError during the run.
    int elementErrors() const { return elementErrors_; }
    int pages() const { return page_; }

    // DisegnaPagina: every element but tables on the current page, as the template reads from its
    // first line (its own reading: a table's lines are skipped one by one). Reports its own errors
    // and returns.
    void DisegnaPagina();

private:
    void setUpPage();
    bool drawnOnPage(int line) const;
    void newPage(bool betweenRows);
    void reportElementError(const Error& e);

    Printer& printer_;
    QString templatePath_;
    QString values_;
    PrintSettings settings_;
    TemplateLines lines_;
    PageBlock pageBlock_;
    PageContext context_;
    int page_ = 1;
    int elementErrors_ = 0;
    // What DisegnaPagina draws, read at its first call, and how many of them it drew on the
    // current page: the run does not draw an element met on the same line there a second time.
    std::optional<TemplateElements> fixedElements_;
    std::size_t drawnOnPage_ = 0;
};

}  // namespace ostrivo
