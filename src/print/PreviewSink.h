#pragma once

#include "print/PrintSink.h"

#include <QImage>
#include <QSizeF>

#include <cstddef>
#include <functional>
#include <vector>

namespace ostrivo {

class Printer;

// The pages of a print kept as the ops that draw them, for a preview: any page is painted on its
// own, at any resolution, by PagePainter laid out as the printer named "PDF" lays out its pages;
// the same ops replayed on another printer print exactly what was shown. Pages can be painted while
// the print still runs: a page is complete once the next one has begun or the job ended.
class PreviewSink final : public PrintSink {
public:
    void submit(const PrintOp& op, const QImage* picture) override;
    void finish() override { ended_ = true; }
    void abort() override { aborted_ = true; }
    QString deviceName() const override { return QStringLiteral("PDF"); }

    const std::vector<PrintOp>& ops() const { return ops_; }
    // Pages begun so far (1 before the first op), and those of them no op will change any more.
    int pageCount() const { return static_cast<int>(pages_.size()); }
    int completePages() const { return ended_ ? pageCount() : pageCount() - 1; }
    bool ended() const { return ended_; }
    bool aborted() const { return aborted_; }

    // The paper of a page (from 1) in points: A4, turned as the orientation in force when it began.
    QSizeF paperPoints(int page) const;
    // Paints a page into an image at dotsPerInch (white paper). Throws Error 482 when the image
    // cannot be made (too large).
    QImage paintPage(int page, double dotsPerInch) const;

    // Issues every op on printer, as the print did (pictures as they were drawn); onPage as for
    // replayOps. On a failure or a stop the printer's job is aborted before the error goes on.
    void replay(Printer& printer, const std::function<bool(int page)>& onPage = {}) const;

private:
    struct Page {
        std::size_t firstOp = 0;  // its first op after the "newpage" that began it
        std::size_t endOp = 0;    // one past its last op
        int orientation = 0;      // as set before its first op (0: never set)
        double scaleWidth = 0;    // likewise
        double scaleHeight = 0;
    };

    std::vector<PrintOp> ops_;
    std::vector<int> pictureOf_;  // for each op, its index in pictures_ (-1: none)
    std::vector<QImage> pictures_;
    std::vector<Page> pages_{Page{}};
    int orientation_ = 0;
    double scaleWidth_ = 0;
    double scaleHeight_ = 0;
    bool ended_ = false;
    bool aborted_ = false;
};

}  // namespace ostrivo
