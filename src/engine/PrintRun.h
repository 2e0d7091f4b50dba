#pragma once

#include "engine/ParameterFilter.h"
#include "core/Errors.h"
#include "template/TemplateReader.h"

#include <QDateTime>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <functional>
#include <set>
#include <vector>

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
QString stampaMessage(const Error& error);

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
};

// One problem of a template for the print run, with its line (0 when not on a line).
struct TemplateProblem {
    int line = 0;
    QString message;
};

// The check lists at most this many problems, then one that says it stopped.
constexpr std::size_t kMaxCheckProblems = 100;

// Reads a template as the print run does, without printing or opening a database, and lists
// every problem it finds: the page block, the parameters (at most 10), the fields of each record,
// the table and product blocks (at most 54 columns, 49 factors). With values (the comma-terminated
// list of the parameter dialog), the values are checked against their parameters too.
std::vector<TemplateProblem> checkForPrint(const QString& name, const TemplateLines& lines,
                                           const QString* values = nullptr);

// StampaModulo without its printer dialog: prints a template file on a printer. Every element is
// drawn as it is met; tables add continuation pages that first receive the fixed elements again.
// A template that the print run cannot read, or a failure outside the redraw of a continuation
// page, ends the run with PrintFailure: the job is discarded and nothing is printed.
class PrintRun {
public:
    PrintRun(Printer& printer, QString templatePath, QString valoriParametri, PrintSettings settings = {});

    void run();

    // Errors reported through onElementError during the run.
    int elementErrors() const { return elementErrors_; }
    int pages() const { return page_; }

    // DisegnaPagina: every element but tables on the current page, the template read again from
    // its first line. Reports its own errors and returns.
    void DisegnaPagina();

private:
    struct Header;
    friend class EngineTableSink;

    void readHeaderAndParameters(TemplateReader& reader, bool setPrinter);
    void drawElement(TemplateReader& reader, const QString& section, const Record& record);
    void drawImage(TemplateReader& reader, const Record& record);
    void drawGrid(TemplateReader& reader, const Record& record);
    void drawField(TemplateReader& reader, const Record& record);
    void drawProduct(TemplateReader& reader, const ProductBlock& block);
    void drawText(TemplateReader& reader, const Record& record);
    void printTable(TemplateReader& reader, const TableBlock& block);
    void newPage(bool betweenRows);
    void reportElementError(const Error& e);

    Printer& printer_;
    QString templatePath_;
    QString values_;
    PrintSettings settings_;
    TemplateLines lines_;
    std::vector<PrintParameter> parameters_;
    QString filtro_;
    QSizeF pageUnits_;  // the page block's width and height
    bool landscape_ = false;
    int page_ = 1;
    int elementErrors_ = 0;
    // Elements (by their first line) that DisegnaPagina drew on the current page: the print run
    // does not draw them there a second time.
    std::set<int> drawnOnPage_;
    bool redrawing_ = false;
};

}  // namespace ostrivo
