#include "db/RowWriter.h"

#include "db/AccessText.h"

#include <algorithm>
#include <bit>
#include <sqlite3.h>
#include <stdexcept>

namespace ostrivo::db {

void RowWriter::watchKey(std::vector<int> columns, std::vector<bool> accessText, int columnCount)
{
    watching_ = false;
    if (columns.empty() || columns.size() != accessText.size())
        return;
    keyPosition_.assign(static_cast<std::size_t>(columnCount), -1);
    for (std::size_t k = 0; k < columns.size(); ++k) {
        if (columns[k] < 0 || columns[k] >= columnCount || keyPosition_[static_cast<std::size_t>(columns[k])] >= 0)
            return;
        keyPosition_[static_cast<std::size_t>(columns[k])] = static_cast<int>(k);
    }
    accessText_ = std::move(accessText);
    row_.assign(columns.size(), KeyPart{});
    previous_.assign(columns.size(), KeyPart{});
    watching_ = true;
    increasing_ = true;
}

RowWriter::KeyPart* RowWriter::keyPart(int column)
{
    if (!watching_)
        return nullptr;
    const int position = keyPosition_[static_cast<std::size_t>(column)];
    return position < 0 ? nullptr : &row_[static_cast<std::size_t>(position)];
}

void RowWriter::bindNull(int column)
{
    if (KeyPart* part = keyPart(column))
        part->type = 0;
    sqlite3_bind_null(insert_, column + 1);
}

void RowWriter::bindInteger(int column, std::int64_t value)
{
    if (KeyPart* part = keyPart(column)) {
        part->type = SQLITE_INTEGER;
        part->integer = value;
    }
    sqlite3_bind_int64(insert_, column + 1, value);
}

void RowWriter::bindReal(int column, double value)
{
    if (KeyPart* part = keyPart(column)) {
        part->type = value == value ? SQLITE_FLOAT : 0;
        part->real = value;
    }
    sqlite3_bind_double(insert_, column + 1, value);
}

void RowWriter::bindText(int column, std::string_view text)
{
    if (KeyPart* part = keyPart(column)) {
        const bool access = accessText_[static_cast<std::size_t>(keyPosition_[static_cast<std::size_t>(column)])];
        part->type = access ? SQLITE_TEXT : 0;
        part->text.assign(text);
    }
    sqlite3_bind_text64(insert_, column + 1, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
}

void RowWriter::bindBlob(int column, const void* data, std::size_t size)
{
    if (KeyPart* part = keyPart(column))
        part->type = 0;
    // A zero-length blob must stay a blob (an empty binary value is not Null).
    sqlite3_bind_blob64(insert_, column + 1, size ? data : "", size, SQLITE_TRANSIENT);
}

// Negative, zero or positive as this row's key is below, equal to or above the previous one's;
// zero too when they cannot be compared.
int RowWriter::compareKeys() const
{
    for (std::size_t k = 0; k < row_.size(); ++k) {
        const KeyPart& a = row_[k];
        const KeyPart& b = previous_[k];
        if (a.type == 0 || a.type != b.type)
            return 0;
        int c = 0;
        switch (a.type) {
        case SQLITE_INTEGER:
            c = (a.integer > b.integer) - (a.integer < b.integer);
            break;
        case SQLITE_FLOAT:
            c = (a.real > b.real) - (a.real < b.real);
            break;
        default:
            c = compareAccessText(a.text, b.text);
            break;
        }
        if (c != 0)
            return c;
    }
    return 0;
}

void RowWriter::watchRow()
{
    if (rows_ == 0) {
        for (const KeyPart& part : row_)
            watching_ = watching_ && part.type != 0;
    } else {
        for (std::size_t k = 0; k < row_.size(); ++k)
            watching_ = watching_ && row_[k].type != 0 && row_[k].type == previous_[k].type;
        increasing_ = increasing_ && compareKeys() > 0;
    }
    if (!watching_) {
        hashes_ = {};
        return;
    }
    std::uint64_t h = 0x9E3779B97F4A7C15ULL;
    for (const KeyPart& part : row_) {
        std::uint64_t v = 0;
        switch (part.type) {
        case SQLITE_INTEGER:
            v = static_cast<std::uint64_t>(part.integer);
            break;
        case SQLITE_FLOAT:
            v = std::bit_cast<std::uint64_t>(part.real == 0 ? 0.0 : part.real);  // -0 equals 0
            break;
        default:
            v = hashAccessText(part.text);
            break;
        }
        h = (h ^ v) * 0xff51afd7ed558ccdULL;
        h ^= h >> 32;
    }
    hashes_.push_back(h);
    previous_ = row_;
}

bool RowWriter::proveKey()
{
    if (!watching_)
        return false;
    bool unique = increasing_;
    if (!unique) {
        std::sort(hashes_.begin(), hashes_.end());
        unique = std::adjacent_find(hashes_.begin(), hashes_.end()) == hashes_.end();
    }
    hashes_ = {};
    return unique;
}

void RowWriter::endRow()
{
    const int rc = sqlite3_step(insert_);
    sqlite3_reset(insert_);
    if (rc != SQLITE_DONE)
        throw std::runtime_error(sqlite3_errmsg(sqlite3_db_handle(insert_)));
    if (watching_)
        watchRow();
    ++rows_;
}

}  // namespace ostrivo::db
