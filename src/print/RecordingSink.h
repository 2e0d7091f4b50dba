#pragma once

#include "print/PrintOp.h"
#include "print/PrintSink.h"

#include <QStringList>

#include <vector>

namespace ostrivo {

// Keeps every op: what tests assert on, and the page list a preview or an export replays.
class RecordingSink : public PrintSink {
public:
    explicit RecordingSink(QString deviceName = QStringLiteral("Recorder")) : deviceName_(std::move(deviceName)) {}

    void submit(const PrintOp& op, const QImage* picture) override;
    void finish() override { ended_ = true; }
    void abort() override { aborted_ = !ended_; }
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
    // Pages so far: 1 until the first newpage.
    int pageCount() const { return pages_; }
    bool ended() const { return ended_; }
    bool aborted() const { return aborted_; }

private:
    QString deviceName_;
    std::vector<PrintOp> ops_;
    std::vector<QImage> pictures_;
    int pages_ = 1;
    bool ended_ = false;
    bool aborted_ = false;
};

}  // namespace ostrivo
