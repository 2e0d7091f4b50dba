#pragma once

#include "print/Printer.h"
#include "print/RecordingSink.h"

#include <memory>

namespace ostrivo {

// A printer front whose output is a recorded list, with the list's questions at hand.
class RecordingPrinter final : public Printer {
public:
    explicit RecordingPrinter(QString deviceName = QStringLiteral("Recorder"))
        : Printer(std::make_unique<RecordingSink>(std::move(deviceName))),
          recording_(&static_cast<RecordingSink&>(output()))
    {
    }

    RecordingSink& recording() { return *recording_; }
    const RecordingSink& recording() const { return *recording_; }

    void setDeviceName(QString name) { recording_->setDeviceName(std::move(name)); }
    const std::vector<PrintOp>& ops() const { return recording_->ops(); }
    const std::vector<QImage>& pictures() const { return recording_->pictures(); }
    std::vector<PrintOp> opsOnPage(int page) const { return recording_->opsOnPage(page); }
    std::vector<PrintOp> opsOfKind(PrintOp::Kind kind) const { return recording_->opsOfKind(kind); }
    QStringList textsOnPage(int page) const { return recording_->textsOnPage(page); }
    std::vector<PrintOp> findText(const QString& text) const { return recording_->findText(text); }
    int pageCount() const { return recording_->pageCount(); }
    bool ended() const { return recording_->ended(); }
    bool aborted() const { return recording_->aborted(); }

private:
    RecordingSink* recording_;  // the output, owned by the front
};

}  // namespace ostrivo
