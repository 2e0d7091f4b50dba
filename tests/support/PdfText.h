#pragma once

#include <QString>
#include <functional>
#include <vector>

namespace ostrivo::test {

// A word of a PDF as pdftotext -bbox reads it, in points from the page's top-left corner.
struct PdfWord {
    int page = 0;
    double xMin = 0;
    double yMin = 0;
    double xMax = 0;
    double yMax = 0;
    QString text;
};

// True when pdftotext can be run.
bool havePdfToText();
// Every word of a PDF, page by page, line by line from the top, each line from the left; empty
// when the file cannot be read.
std::vector<PdfWord> pdfWords(const QString& pdf);

// Page units of an 80 x 75 (or any W x H) scale on the "PDF" printer's A4 page, in points: the
// printable area lies 5 mm inside each edge.
struct PdfPageMap {
    double unitsWide = 80;
    double unitsHigh = 75;
    bool landscape = false;
    double x(double units) const;
    double y(double units) const;
    double unitWidth() const;
    double unitHeight() const;
};

// The result of running the built binary.
struct RunResult {
    int exitCode = -1;
    QString out;
    QString err;
};
// `inChild`, when given, runs in the child before the program starts (to drop privileges).
RunResult runBinary(const QStringList& arguments, const QString& workingDirectory, int timeoutMs = 120000,
                    const std::function<void()>& inChild = {});

}  // namespace ostrivo::test
