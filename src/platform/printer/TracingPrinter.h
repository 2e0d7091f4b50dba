#pragma once

#include "platform/printer/PrintOpBuilder.h"
#include "platform/printer/Printer.h"

#include <QFile>

#include <memory>

namespace ostrivo {

// Writes every operation to a trace file, one JSON line each (printOpToJson), then hands it to
// the inner printer. Each line is written and flushed before the inner printer sees the op, so a
// failed print leaves a trace that ends with the op that failed.
class TracingPrinter final : public Printer {
public:
    // Creates or truncates tracePath; throws Error 75 naming the file when it cannot.
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

    Printer& inner() { return *inner_; }
    QString tracePath() const { return file_.fileName(); }

private:
    void write(const PrintOp& op);

    std::unique_ptr<Printer> inner_;
    PrintOpBuilder builder_;
    QFile file_;
};

}  // namespace ostrivo
