#pragma once

#include "print/PrintOpBuilder.h"
#include "print/Printer.h"

#include "core/OutputFile.h"

#include <memory>

namespace ostrivo {

// Writes every operation to a trace file, one JSON line each (printOpToJson), then hands it to
// the inner printer. Each line is written before the inner printer sees the op, so a failed print
// leaves a trace that ends with the op that failed. The trace is an output like the PDF: written
// to a temporary file and put in place when the document ends or is aborted (a failed print is
// traced too), never when the tracer is dropped without either.
class TracingPrinter final : public Printer {
public:
    // Throws Error 75 naming the file when tracePath cannot be written.
    TracingPrinter(std::unique_ptr<Printer> inner, const QString& tracePath);
    ~TracingPrinter() override;

    void setOrientation(int orientation) override;
    void setScale(double width, double height) override;
    void setFontName(const QString& name) override;
    void setFontSize(double points) override;
    void setTextColor(TemplateColor color) override;
    void setPosition(double x, double y) override;
    void printText(const QString& text) override;
    void drawLine(double x1, double y1, double x2, double y2, TemplateColor color) override;
    void drawBox(double x1, double y1, double x2, double y2, TemplateColor color) override;
    void paintPicture(const QString& file, const QImage& picture, double x, double y, double width,
                      double height) override;
    void newPage() override;
    void endDocument() override;
    void abortDocument() override;
    QString deviceName() const override;
    QSizeF printableInches() const override { return inner_->printableInches(); }

    Printer& inner() { return *inner_; }
    QString tracePath() const { return file_.path(); }

private:
    void write(const PrintOp& op);
    void commit();

    std::unique_ptr<Printer> inner_;
    PrintOpBuilder builder_;
    OutputFile file_;
    bool committed_ = false;
};

}  // namespace ostrivo
