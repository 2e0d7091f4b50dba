#include "platform/db/AccessFile.h"

#include "platform/Errors.h"
#include "platform/db/NumberText.h"

#include <QDate>
#include <algorithm>
#include <QFile>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

// libmdb's header wraps glib's in extern "C"; glib must come first for C++.
#include <glib.h>
#include <mdbtools.h>

namespace ostrivo::db {

QString accessDateText(double days)
{
    if (!std::isfinite(days) || days < -657434.0 || days >= 2958466.0)
        return {};
    // The whole part counts days (negative before 1899-12-30); the fraction is the time of that
    // day whatever the sign, so -1.25 is 1899-12-29 06:00.
    const double whole = std::trunc(days);
    long long seconds = std::llround(std::fabs(days - whole) * 86400.0);
    QDate date = QDate(1899, 12, 30).addDays(static_cast<qint64>(whole));
    if (seconds >= 86400) {
        date = date.addDays(1);
        seconds -= 86400;
    }
    if (date.year() < 100 || date.year() > 9999)
        return {};
    return QStringLiteral("%1 %2:%3:%4")
        .arg(date.toString(QStringLiteral("yyyy-MM-dd")))
        .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

namespace {

constexpr int kOffsetMask = 0x1fff;
constexpr int kDeletedRow = 0x4000;
constexpr std::size_t kMemoHeader = 12;
constexpr std::size_t kLongValueLimit = 1u << 30;  // what a Jet length field can describe

int engineType(int mdbType)
{
    switch (mdbType) {
    case MDB_NUMERIC:
        return type::Decimal;
    default:
        return mdbType;  // libmdb numbers the rest as the engine does
    }
}

// The column declaration of the query engine's copy: its affinity keeps each value's form
// (Currency and Decimal have none, so that exact digits kept as text are not turned into doubles).
QString declaration(int mdbType)
{
    switch (mdbType) {
    case MDB_BOOL:
    case MDB_BYTE:
    case MDB_INT:
    case MDB_LONGINT:
    case MDB_COMPLEX:
        return QStringLiteral("INTEGER");
    case MDB_MONEY:
    case MDB_NUMERIC:
        return QString();
    case MDB_FLOAT:
    case MDB_DOUBLE:
        return QStringLiteral("REAL");
    case MDB_DATETIME:
    case MDB_TEXT:
    case MDB_MEMO:
    case MDB_REPID:
        return QStringLiteral("TEXT COLLATE ACCESS");
    default:
        return QStringLiteral("BLOB");
    }
}

std::int64_t readLittle(const unsigned char* p, int bytes)
{
    std::uint64_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = (v << 8) | p[i];
    return static_cast<std::int64_t>(v);
}

void appendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Jet 4 text: UTF-16LE, or "compressed" (FF FE, then runs of one-byte Latin-1 characters and
// of UTF-16 units, each 00 byte switching between them).
void decodeJet4Text(const unsigned char* p, std::size_t n, std::string& out)
{
    out.clear();
    std::vector<char16_t> units;
    units.reserve(n);
    if (n >= 2 && p[0] == 0xFF && p[1] == 0xFE) {
        bool compressed = true;
        std::size_t i = 2;
        while (i < n) {
            if (p[i] == 0) {
                compressed = !compressed;
                ++i;
            } else if (compressed) {
                units.push_back(p[i++]);
            } else if (i + 1 < n) {
                units.push_back(static_cast<char16_t>(p[i] | (p[i + 1] << 8)));
                i += 2;
            } else {
                break;
            }
        }
    } else {
        for (std::size_t i = 0; i + 1 < n; i += 2)
            units.push_back(static_cast<char16_t>(p[i] | (p[i + 1] << 8)));
    }
    for (std::size_t i = 0; i < units.size(); ++i) {
        char32_t c = units[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (units[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        appendUtf8(out, c);
    }
}

std::string guidText(const unsigned char* p)
{
    static const char hex[] = "0123456789ABCDEF";
    // Data1, Data2 and Data3 are little-endian; the last eight bytes are in order.
    const int order[16] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
    std::string out = "{";
    for (int i = 0; i < 16; ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10)
            out += '-';
        out += hex[p[order[i]] >> 4];
        out += hex[p[order[i]] & 15];
    }
    out += '}';
    return out;
}

class AccessSource final : public TableSource {
public:
    explicit AccessSource(const QString& path) : path_(path)
    {
        const QByteArray native = QFile::encodeName(path);
        mdb_ = mdb_open(native.constData(), MDB_NOFLAGS);
        if (!mdb_)
            throw DatabaseError(err::NotADatabase, QStringLiteral("libmdb non riesce ad aprire il file"), path);
        if (!mdb_read_catalog(mdb_, MDB_TABLE)) {
            mdb_close(mdb_);
            throw DatabaseError(err::NotADatabase, QStringLiteral("catalogo del database illeggibile"), path);
        }
    }
    ~AccessSource() override { mdb_close(mdb_); }
    AccessSource(const AccessSource&) = delete;
    AccessSource& operator=(const AccessSource&) = delete;

    std::vector<SourceTable> readCatalog() override
    {
        std::vector<SourceTable> tables;
        for (unsigned int i = 0; i < mdb_->num_catalog; ++i) {
            auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb_->catalog, i));
            if (entry->object_type != MDB_TABLE)
                continue;
            SourceTable table;
            table.schema.name = QString::fromUtf8(entry->object_name);
            if (MdbTableDef* def = mdb_read_table(entry)) {
                if (mdb_read_columns(def)) {
                    for (unsigned int c = 0; c < def->num_cols; ++c) {
                        auto* col = static_cast<MdbColumn*>(g_ptr_array_index(def->columns, c));
                        // Jet 4 sizes text in bytes of UTF-16; the engine counts characters.
                        const bool wide = col->col_type == MDB_TEXT && mdb_->f->jet_version != MDB_VER_JET3;
                        table.schema.columns.push_back(ColumnDef{QString::fromUtf8(col->name), engineType(col->col_type),
                                                                 wide ? col->col_size / 2 : col->col_size});
                        table.declarations << declaration(col->col_type);
                    }
                    table.primaryKey = primaryKey(def);
                }
                mdb_free_tabledef(def);
            }
            tables.push_back(std::move(table));
        }
        return tables;
    }

    void loadTable(const SourceTable& table, RowWriter& rows) override
    {
        MdbCatalogEntry* entry = findEntry(table.schema.name);
        MdbTableDef* def = entry ? mdb_read_table(entry) : nullptr;
        if (!def)
            throw DatabaseError(err::TableNotFound,
                                QStringLiteral("tabella %1 non trovata nel file").arg(table.schema.name), path_);
        struct Free {
            MdbTableDef* def;
            ~Free() { mdb_free_tabledef(def); }
        } release{def};
        if (!mdb_read_columns(def) || def->num_cols != table.schema.columns.size())
            throw DatabaseError(err::NotADatabase,
                                QStringLiteral("colonne della tabella %1 illeggibili").arg(table.schema.name), path_);

        const bool jet3 = mdb_->f->jet_version == MDB_VER_JET3;
        std::vector<MdbField> fields(def->num_cols);
        mdb_rewind_table(def);
        while (mdb_read_next_dpg(def)) {
            const int count = mdb_get_int16(mdb_->pg_buf, mdb_->fmt->row_count_offset);
            for (int r = 0; r < count; ++r) {
                int start = 0;
                size_t size = 0;
                if (mdb_find_row(mdb_, r, &start, &size) != 0 || size == 0 || (start & kDeletedRow))
                    continue;
                start &= kOffsetMask;
                if (mdb_crack_row(def, start, size, fields.data()) < 0)
                    continue;
                for (unsigned int c = 0; c < def->num_cols; ++c)
                    bindValue(static_cast<MdbColumn*>(g_ptr_array_index(def->columns, c)), fields[c],
                              static_cast<int>(c), jet3, rows);
                rows.endRow();
            }
        }
    }

private:
    // The columns of the table's primary key (libmdb numbers them from 1), or none.
    static std::vector<int> primaryKey(MdbTableDef* def)
    {
        std::vector<int> key;
        mdb_read_indices(def);  // its result says nothing: the table holds what it read
        if (!def->indices)
            return key;
        for (unsigned int i = 0; i < def->num_idxs; ++i) {
            const auto* index = static_cast<const MdbIndex*>(g_ptr_array_index(def->indices, i));
            if (index->index_type != 1 || index->num_keys == 0 || index->num_keys > MDB_MAX_IDX_COLS)
                continue;
            for (unsigned int k = 0; k < index->num_keys; ++k) {
                const int column = index->key_col_num[k] - 1;
                if (column < 0 || column >= static_cast<int>(def->num_cols))
                    return {};
                key.push_back(column);
            }
            return key;
        }
        return key;
    }

    MdbCatalogEntry* findEntry(const QString& name) const
    {
        const QByteArray wanted = name.toUtf8();
        for (unsigned int i = 0; i < mdb_->num_catalog; ++i) {
            auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb_->catalog, i));
            if (entry->object_type == MDB_TABLE && wanted == entry->object_name)
                return entry;
        }
        return nullptr;
    }

    void text(const unsigned char* p, std::size_t n, bool jet3)
    {
        if (!jet3) {
            decodeJet4Text(p, n, text_);
            return;
        }
        // Jet 3 text is in the file's code page; libmdb knows which.
        text_.assign(n * 4 + 1, '\0');
        const int written = mdb_unicode2ascii(mdb_, reinterpret_cast<const char*>(p), n, text_.data(), text_.size());
        text_.resize(written > 0 ? static_cast<std::size_t>(written) : 0);
    }

    // A memo or OLE value: inline in the row, on one other page, or a chain of pages.
    bool longValue(const unsigned char* p, std::size_t n)
    {
        bytes_.clear();
        if (n < kMemoHeader)
            return n == 0;
        const std::uint32_t header = static_cast<std::uint32_t>(readLittle(p, 4));
        const std::size_t length = header & 0x3FFFFFFF;
        if (length > kLongValueLimit)
            return false;
        if (header & 0x80000000) {
            const std::size_t inlineLength = std::min(length, n - kMemoHeader);
            bytes_.assign(p + kMemoHeader, p + kMemoHeader + inlineLength);
            return true;
        }
        int pageRow = static_cast<int>(readLittle(p + 4, 4));
        const bool single = header & 0x40000000;
        // Each page gives at least one byte, so a chain longer than the value is a loop.
        for (std::size_t pages = 0; pageRow != 0 && pages <= length + 1; ++pages) {
            void* buffer = nullptr;
            int offset = 0;
            size_t size = 0;
            if (mdb_find_pg_row(mdb_, pageRow, &buffer, &offset, &size) != 0)
                return false;
            const auto* row = static_cast<const unsigned char*>(buffer) + offset;
            if (single) {
                bytes_.insert(bytes_.end(), row, row + std::min(size, length));
                return true;
            }
            if (size < 4)
                return false;
            bytes_.insert(bytes_.end(), row + 4, row + size);
            if (bytes_.size() >= length) {
                bytes_.resize(length);
                return true;
            }
            pageRow = static_cast<int>(readLittle(row, 4));
        }
        return bytes_.size() == length;
    }

    void bindValue(const MdbColumn* col, const MdbField& field, int c, bool jet3, RowWriter& rows)
    {
        if (col->col_type == MDB_BOOL) {
            // A Yes/No value is its null bit; it is never Null.
            rows.bindInteger(c, field.is_null ? 0 : -1);
            return;
        }
        if (field.is_null) {
            rows.bindNull(c);
            return;
        }
        const auto* p = mdb_->pg_buf + field.start;
        const std::size_t n = static_cast<std::size_t>(field.siz);
        const auto needs = [&](std::size_t bytes) {
            if (n >= bytes)
                return true;
            rows.bindNull(c);  // a damaged row: no value rather than bytes of another field
            return false;
        };
        switch (col->col_type) {
        case MDB_BYTE:
            if (needs(1))
                rows.bindInteger(c, p[0]);
            return;
        case MDB_INT:
            if (needs(2))
                rows.bindInteger(c, static_cast<std::int16_t>(readLittle(p, 2)));
            return;
        case MDB_LONGINT:
        case MDB_COMPLEX:
            if (needs(4))
                rows.bindInteger(c, static_cast<std::int32_t>(readLittle(p, 4)));
            return;
        case MDB_MONEY:
            if (needs(8)) {
                const std::int64_t v = readLittle(p, 8);
                const bool negative = v < 0;
                const unsigned __int128 magnitude =
                    negative ? static_cast<unsigned __int128>(-static_cast<__int128>(v)) : static_cast<unsigned __int128>(v);
                bindExact(exactNumber(magnitude, negative, 4), c, rows);
            }
            return;
        case MDB_NUMERIC:
            if (needs(17)) {
                // Sign byte, then four little-endian 32-bit words, the most significant first.
                unsigned __int128 magnitude = 0;
                for (int word = 0; word < 4; ++word)
                    magnitude = (magnitude << 32) | static_cast<std::uint32_t>(readLittle(p + 1 + 4 * word, 4));
                // libmdb keeps the scale in col_prec.
                const int scale = std::clamp(col->col_prec, 0, 28);
                bindExact(exactNumber(magnitude, (p[0] & 0x80) != 0, scale), c, rows);
            }
            return;
        case MDB_FLOAT:
            if (needs(4)) {
                float f;
                std::memcpy(&f, p, 4);
                rows.bindReal(c, doubleOfSingle(f));
            }
            return;
        case MDB_DOUBLE:
            if (needs(8)) {
                double d;
                std::memcpy(&d, p, 8);
                rows.bindReal(c, d);
            }
            return;
        case MDB_DATETIME:
            if (needs(8)) {
                double d;
                std::memcpy(&d, p, 8);
                const QString date = accessDateText(d);
                if (date.isEmpty())
                    rows.bindNull(c);
                else
                    rows.bindText(c, date.toStdString());
            }
            return;
        case MDB_REPID:
            if (needs(16))
                rows.bindText(c, guidText(p));
            return;
        case MDB_TEXT:
            text(p, n, jet3);
            rows.bindText(c, text_);
            return;
        case MDB_MEMO:
            if (!longValue(p, n)) {
                rows.bindNull(c);
                return;
            }
            text(bytes_.data(), bytes_.size(), jet3);
            rows.bindText(c, text_);
            return;
        case MDB_OLE:
            if (longValue(p, n))
                rows.bindBlob(c, bytes_.data(), bytes_.size());
            else
                rows.bindNull(c);
            return;
        default:  // Binary and types the engine does not know: the bytes as stored
            rows.bindBlob(c, p, n);
            return;
        }
    }

    static void bindExact(const ExactNumber& number, int c, RowWriter& rows)
    {
        switch (number.form) {
        case ExactNumber::Form::Integer:
            rows.bindInteger(c, number.integer);
            return;
        case ExactNumber::Form::Real:
            rows.bindReal(c, number.real);
            return;
        case ExactNumber::Form::Text:
            rows.bindText(c, number.text);
            return;
        }
    }

    QString path_;
    MdbHandle* mdb_ = nullptr;
    std::string text_;
    std::vector<unsigned char> bytes_;
};

}  // namespace

std::unique_ptr<TableSource> openAccessFile(const QString& path)
{
    return std::make_unique<AccessSource>(path);
}

}  // namespace ostrivo::db
