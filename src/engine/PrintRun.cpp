#include "engine/PrintRun.h"

#include "engine/TablePrinter.h"
#include "print/Printer.h"

#include <algorithm>

namespace ostrivo {

namespace {

QString failureMessage(const Error& cause, const QString& file, int line)
{
    const QString text = problemText(cause);
    if (line > 0)
        return QStringLiteral("%1, riga %2: %3 n. %4").arg(file, QString::number(line), text, QString::number(cause.number()));
    return QStringLiteral("%1: %2 n. %3").arg(file, text, QString::number(cause.number()));
}

}  // namespace

PrintFailure::PrintFailure(const Error& cause, QString templateFile, int line)
    : Error(cause.number(), failureMessage(cause, templateFile, line)), templateFile_(std::move(templateFile)), line_(line)
{
}

QString elementErrorText(const Error& error)
{
    return error.description() + QStringLiteral(" n. ") + QString::number(error.number());
}

PrintRun::PrintRun(Printer& printer, QString templatePath, QString valoriParametri, PrintSettings settings)
    : printer_(printer), templatePath_(std::move(templatePath)), values_(std::move(valoriParametri)),
      settings_(std::move(settings))
{
}

void PrintRun::setUpPage()
{
    printer_.setOrientation(pageBlock_.orientation);
    printer_.setScale(pageBlock_.width, pageBlock_.height);
}

void PrintRun::run()
{
    int currentLine = 0;
    try {
        lines_ = TemplateReader(templatePath_).lines();
        CheckedTemplate read = readForPrint(templatePath_, lines_, &values_);
        if (!read.problems.empty()) {
            const TemplateProblem& first = read.problems.front();
            currentLine = first.line;
            throw TemplateError(err::InvalidArgument, templatePath_, first.line, first.message);
        }
        pageBlock_ = read.read.page;
        setUpPage();
        context_.parameters = std::move(read.parameters);
        context_.filter = parameterFilter(context_.parameters);
        context_.now = settings_.now;
        context_.pageUnits = QSizeF(pageBlock_.width, pageBlock_.height);
        context_.landscape = pageBlock_.orientation == 2;
        context_.reportError = [this](const Error& e) { reportElementError(e); };
        context_.warn = settings_.onWarning;

        const TemplateReader reader(templatePath_, lines_);
        PageElements page(printer_, reader, context_);
        for (const TemplateElement& element : read.read.elements) {
            currentLine = lineOf(element);
            if (const auto* table = std::get_if<TableElement>(&element))
                printTable(printer_, reader, *table, context_.filter, [this](bool betweenRows) { newPage(betweenRows); });
            else if (!drawnOnPage(currentLine))
                page.draw(element);
        }
        currentLine = 0;  // the end of the job belongs to no line
        printer_.endDocument();
    } catch (const Error& e) {
        printer_.abortDocument();
        throw PrintFailure(e, templatePath_, problemLine(e, currentLine));
    } catch (const std::exception& e) {
        printer_.abortDocument();
        throw PrintFailure(Error(err::InvalidArgument, QString::fromLocal8Bit(e.what())), templatePath_, currentLine);
    }
}

void PrintRun::DisegnaPagina()
{
    try {
        setUpPage();
        TemplateReader reader(templatePath_, lines_);
        if (!fixedElements_)
            fixedElements_ = readTemplateElements(reader, ElementReading::PageRedraw);
        PageElements page(printer_, reader, context_);
        drawnOnPage_ = 0;
        for (const TemplateElement& element : fixedElements_->elements) {
            page.draw(element);
            ++drawnOnPage_;
        }
        if (fixedElements_->broken)
            throw *fixedElements_->broken;
    } catch (const Error& e) {
        if (e.number() != err::CancelledDialog)
            reportElementError(e);
    }
}

bool PrintRun::drawnOnPage(int line) const
{
    if (!fixedElements_)
        return false;
    const auto drawn = fixedElements_->elements.begin() + static_cast<std::ptrdiff_t>(drawnOnPage_);
    const auto at = std::lower_bound(fixedElements_->elements.begin(), drawn, line,
                                     [](const TemplateElement& e, int l) { return lineOf(e) < l; });
    return at != drawn && lineOf(*at) == line;
}

void PrintRun::reportElementError(const Error& e)
{
    ++elementErrors_;
    if (settings_.onElementError)
        settings_.onElementError(e);
}

void PrintRun::newPage(bool betweenRows)
{
    printer_.newPage();
    ++page_;
    if (settings_.onPage && !settings_.onPage(page_))
        throw Error(err::UserInterrupt);
    drawnOnPage_ = 0;
    if (betweenRows)
        DisegnaPagina();
}

}  // namespace ostrivo
