#pragma once

#include "engine/ParameterFilter.h"
#include "core/Errors.h"
#include "core/TemplateColor.h"
#include "template/TemplateElements.h"

#include <QDateTime>
#include <QSizeF>
#include <QString>
#include <functional>
#include <set>
#include <vector>

namespace ostrivo {

class Printer;

// What the fixed elements of a page are drawn with: everything but tables (TablePrinter).
struct PageContext {
    // The parameters with their values, and FiltroParametri built from them.
    std::vector<PrintParameter> parameters;
    QString filter;
    // "Data_oggi" and "ora_adesso" print this moment.
    QDateTime now;
    // The page block's width and height, and whether it turns the page.
    QSizeF pageUnits;
    bool landscape = false;
    // A picture that cannot be read is left out and reported here; the run goes on.
    std::function<void(const Error&)> reportError;
    // A missing picture is left out and reported here with its line, when set.
    std::function<void(int line, const QString& warning)> warn;
    // The lines of the pictures left out so far: each is reported, and tried, once a print, not
    // once a page.
    std::set<int> picturesLeftOut;
};

// Draws the elements of a template but its tables on the printer's current page, each as it is
// met, by the rules of its kind. A database field or product queries its database.
class PageElements {
public:
    PageElements(Printer& printer, const TemplateReader& reader, PageContext& context)
        : printer_(printer), reader_(reader), context_(context)
    {
    }

    // A table is no fixed element: nothing is drawn for one.
    void draw(const TemplateElement& element);

    void draw(const PictureElement& element);
    void draw(const GridElement& element);
    void draw(const FieldElement& element);
    void draw(const TextElement& element);
    void draw(const ProductElement& element);
    void draw(const TableElement&) {}

private:
    void setFont(const QString& name, double size, TemplateColor color);
    void printAt(double x, double y, const QString& text);

    Printer& printer_;
    const TemplateReader& reader_;
    PageContext& context_;
};

}  // namespace ostrivo
