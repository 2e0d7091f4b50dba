#include "print/RecordingSink.h"

namespace ostrivo {

void RecordingSink::submit(const PrintOp& op, const QImage* picture)
{
    ops_.push_back(op);
    if (picture)
        pictures_.push_back(*picture);
    if (op.kind == PrintOp::Kind::NewPage)
        pages_ = op.page;
}

std::vector<PrintOp> RecordingSink::opsOnPage(int page) const
{
    std::vector<PrintOp> result;
    for (const PrintOp& op : ops_) {
        if (op.kind != PrintOp::Kind::End && op.page == page)
            result.push_back(op);
    }
    return result;
}

std::vector<PrintOp> RecordingSink::opsOfKind(PrintOp::Kind kind) const
{
    std::vector<PrintOp> result;
    for (const PrintOp& op : ops_) {
        if (op.kind == kind)
            result.push_back(op);
    }
    return result;
}

QStringList RecordingSink::textsOnPage(int page) const
{
    QStringList result;
    for (const PrintOp& op : ops_) {
        if (op.kind == PrintOp::Kind::Text && op.page == page)
            result.push_back(op.text);
    }
    return result;
}

std::vector<PrintOp> RecordingSink::findText(const QString& text) const
{
    std::vector<PrintOp> result;
    for (const PrintOp& op : ops_) {
        if (op.kind == PrintOp::Kind::Text && op.text == text)
            result.push_back(op);
    }
    return result;
}

}  // namespace ostrivo
