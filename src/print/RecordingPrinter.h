#pragma once

#include "print/PrintOp.h"
#include "print/PrintOpBuilder.h"
#include "print/Printer.h"

#include <QStringList>

#include <vector>

namespace ostrivo {

// Keeps every operation as a PrintOp: what tests assert on, and the page list a preview or an
// export replays. Checks its arguments as every backend does.
class RecordingPrinter final : public Printer {
public:
    explicit RecordingPrinter(QString deviceName = QStringLiteral("Recorder"));

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
    QString deviceName() const override { return deviceName_; }

    void setDeviceName(QString name) { deviceName_ = std::move(name); }

    const std::vector<PrintOp>& ops() const { return ops_; }
    // The pictures as painted, one for each picture op, in order.
    const std::vector<QImage>& pictures() const { return pictures_; }
    // The ops of one page (pages from 1), "end" excluded.
    std::vector<PrintOp> opsOnPage(int page) const;
    // The ops of one kind, in order.
    std::vector<PrintOp> opsOfKind(PrintOp::Kind kind) const;
    // The texts printed on one page, in order.
    QStringList textsOnPage(int page) const;
    // The text ops whose text is exactly text, on any page.
    std::vector<PrintOp> findText(const QString& text) const;
    // Pages so far: 1 until the first newPage.
    int pageCount() const { return builder_.page(); }
    bool ended() const { return ended_; }
    bool aborted() const { return aborted_; }

private:
    QString deviceName_;
    PrintOpBuilder builder_;
    std::vector<PrintOp> ops_;
    std::vector<QImage> pictures_;
    bool ended_ = false;
    bool aborted_ = false;
};

}  // namespace ostrivo
