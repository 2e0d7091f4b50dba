#include "print/TraceSink.h"

namespace ostrivo {

TraceSink::TraceSink(const QString& tracePath) : file_(tracePath, QStringLiteral("il file di traccia"))
{
    file_.openForWriting();
}

void TraceSink::submit(const PrintOp& op, const QImage*)
{
    QByteArray line = printOpToJson(op);
    line += '\n';
    file_.write(line);
    file_.checkWritten();
}

void TraceSink::commit()
{
    if (!committed_) {
        committed_ = true;
        file_.commit();
    }
}

}  // namespace ostrivo
