#pragma once

#include "print/PrintOp.h"

#include <QImage>
#include <QSizeF>
#include <QString>

namespace ostrivo {

// Where a printer front's drawing operations go: a PDF file or a system printer, a recorded
// list, a trace file, page images. The front has checked every op before a sink sees it, so a
// sink only draws, keeps or writes.
//
// A job is a run of submit calls that ends with the "end" op and then finish, or is cut short by
// abort (after a failure, or when the engine gives up). abort after a finish that succeeded
// changes nothing; a sink is not reused for a second job.
class PrintSink {
public:
    virtual ~PrintSink() = default;

    // One op; picture is the image of a picture op (null for every other kind).
    virtual void submit(const PrintOp& op, const QImage* picture) = 0;
    // The job is complete (the "end" op was submitted): print it, write the file, put it in place.
    virtual void finish() = 0;
    // The job is abandoned: nothing is printed and no output is left behind, unless the sink's
    // output is a record of the failure (the trace).
    virtual void abort() = 0;
    // Throws when the sink can take nothing more (its job failed): the front asks before each
    // call that submits no op, so that a call after a failure fails whatever it is.
    virtual void checkUsable() const {}

    // What a front reports of the sink that prints (its output; taps are not asked).
    virtual QString deviceName() const { return {}; }
    // The printable area of a portrait page in inches, which the engine reads pictures scaled to.
    // Unless a sink knows better, that of the printer named "PDF": A4 less 5 mm on each side.
    virtual QSizeF printableInches() const { return QSizeF((210.0 - 10.0) / 25.4, (297.0 - 10.0) / 25.4); }
};

}  // namespace ostrivo
