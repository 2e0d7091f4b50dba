#pragma once

#include "core/OutputFile.h"
#include "print/PrintSink.h"

namespace ostrivo {

// Writes every op to a trace file, one JSON line each (printOpToJson). As a tap of a front, each
// line is written before the output sees the op, so a failed print leaves a trace that ends with
// the op that failed. The trace is an output like the PDF: written to a temporary file and put in
// place when the job finishes or is aborted (a failed print is traced too), never when the sink
// is dropped without either.
class TraceSink final : public PrintSink {
public:
    // Throws Error 75 naming the file when tracePath cannot be written.
    explicit TraceSink(const QString& tracePath);

    void submit(const PrintOp& op, const QImage* picture) override;
    void finish() override { commit(); }
    // A failed print is traced up to the failure.
    void abort() override { commit(); }

    QString tracePath() const { return file_.path(); }

private:
    void commit();

    OutputFile file_;
    bool committed_ = false;
};

}  // namespace ostrivo
