#include "db/AccessFile.h"

#include "core/Errors.h"
#include "db/JetValues.h"
#include "db/NumberText.h"

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

using namespace jet;

namespace {

constexpr int kOffsetMask = 0x1fff;
constexpr int kDeletedRow = 0x4000;
constexpr unsigned char kDataPage = 0x01;
constexpr unsigned long kCatalogDefinitionPage = 2;
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

// A table definition read by libmdb, freed with it.
class TableDefinition {
public:
    explicit TableDefinition(MdbCatalogEntry* entry) : def_(mdb_read_table(entry)) {}
    ~TableDefinition()
    {
        if (def_)
            mdb_free_tabledef(def_);
    }
    TableDefinition(const TableDefinition&) = delete;
    TableDefinition& operator=(const TableDefinition&) = delete;
    MdbTableDef* get() const { return def_; }
    MdbTableDef* operator->() const { return def_; }

private:
    MdbTableDef* def_;
};

QString damageText(const QString& table, const QString& what)
{
    return QStringLiteral("tabella %1: %2").arg(table, what);
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
        // libmdb passes over catalog rows it cannot read with no more than a warning, and a
        // catalog that lost rows would hide tables: its pages and rows are checked as a table's.
        try {
            checkCatalog();
        } catch (...) {
            mdb_close(mdb_);
            throw;
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
            TableDefinition def(entry);
            if (!def.get() || !mdb_read_columns(def.get()))
                damaged(table.schema.name, QStringLiteral("la definizione della tabella è illeggibile"));
            for (unsigned int c = 0; c < def->num_cols; ++c) {
                auto* col = static_cast<MdbColumn*>(g_ptr_array_index(def->columns, c));
                // Jet 4 sizes text in bytes of UTF-16; the engine counts characters.
                const bool wide = col->col_type == MDB_TEXT && mdb_->f->jet_version != MDB_VER_JET3;
                table.schema.columns.push_back(ColumnDef{QString::fromUtf8(col->name), engineType(col->col_type),
                                                         wide ? col->col_size / 2 : col->col_size});
                table.declarations << declaration(col->col_type);
            }
            table.primaryKey = primaryKey(def.get());
            tables.push_back(std::move(table));
        }
        return tables;
    }

    void loadTable(const SourceTable& table, RowWriter& rows) override
    {
        MdbCatalogEntry* entry = findEntry(table.schema.name);
        if (!entry)
            throw DatabaseError(err::TableNotFound,
                                QStringLiteral("tabella %1 non trovata nel file").arg(table.schema.name), path_);
        TableDefinition definition(entry);
        MdbTableDef* def = definition.get();
        if (!def || !mdb_read_columns(def) || def->num_cols != table.schema.columns.size())
            damaged(table.schema.name, QStringLiteral("la definizione della tabella è illeggibile"));

        const bool jet3 = mdb_->f->jet_version == MDB_VER_JET3;
        walkRows(entry, def, table.schema.name, [&](int page, int row, const std::vector<MdbField>& fields) {
            for (unsigned int c = 0; c < def->num_cols; ++c) {
                auto* col = static_cast<MdbColumn*>(g_ptr_array_index(def->columns, c));
                if (!bindValue(col, fields[c], static_cast<int>(c), jet3, rows))
                    damaged(table.schema.name, QStringLiteral("pagina %1, riga %2: valore del campo %3 illeggibile")
                                                   .arg(page)
                                                   .arg(row)
                                                   .arg(QString::fromUtf8(col->name)));
            }
            rows.endRow();
        });
    }

private:
    [[noreturn]] void damaged(const QString& table, const QString& what) const
    {
        throw DatabaseError(err::DamagedDatabase, damageText(table, what), path_);
    }

    // The catalog, MSysObjects, whose definition is always on page 2.
    void checkCatalog()
    {
        MdbCatalogEntry catalog{};
        catalog.mdb = mdb_;
        catalog.object_type = MDB_TABLE;
        catalog.table_pg = kCatalogDefinitionPage;
        const QString name = QStringLiteral("MSysObjects");
        TableDefinition def(&catalog);
        if (!def.get() || !mdb_read_columns(def.get()))
            damaged(name, QStringLiteral("la definizione della tabella è illeggibile"));
        walkRows(&catalog, def.get(), name, [](int, int, const std::vector<MdbField>&) {});
    }

    // Cracks every live row of a table and hands its fields to onRow(page, row, fields). libmdb
    // passes over a page that is not the table's, or a row it cannot read, with a warning at
    // most: here each is an error naming the table, as is a row count that differs from the
    // count the definition holds.
    template <typename OnRow>
    void walkRows(const MdbCatalogEntry* entry, MdbTableDef* def, const QString& name, OnRow&& onRow)
    {
        std::vector<MdbField> fields(def->num_cols);
        const bool jet3 = mdb_->f->jet_version == MDB_VER_JET3;
        // A row counts the columns the table had when it was written; the definition keeps the
        // most a row can have (deleted columns included) just before its column count.
        int columnLimit = 0;
        for (unsigned int c = 0; c < def->num_cols; ++c)
            columnLimit = std::max(columnLimit, static_cast<const MdbColumn*>(g_ptr_array_index(def->columns, c))->col_num + 1);
        if (mdb_read_pg(mdb_, entry->table_pg) == static_cast<ssize_t>(mdb_->fmt->pg_size))
            columnLimit = std::max(columnLimit, mdb_get_int16(mdb_->pg_buf, mdb_->fmt->tab_num_cols_offset - 4));
        std::vector<int> key = primaryKey(def);
        std::erase_if(key, [&](int c) { return static_cast<const MdbColumn*>(g_ptr_array_index(def->columns, c))->col_type == MDB_BOOL; });
        const long pageSize = static_cast<long>(mdb_->fmt->pg_size);
        const int rowCountAt = mdb_->fmt->row_count_offset;
        const auto map = static_cast<unsigned int>(def->map_sz);
        std::int64_t rows = 0;
        for (gint32 page = mdb_map_find_next(mdb_, def->usage_map, map, 0); page != 0;
             page = mdb_map_find_next(mdb_, def->usage_map, map, static_cast<guint32>(page))) {
            if (page < 0)
                damaged(name, QStringLiteral("la mappa delle pagine è illeggibile"));
            if (mdb_read_pg(mdb_, static_cast<unsigned long>(page)) != pageSize)
                damaged(name, QStringLiteral("la pagina %1 manca (file troncato?)").arg(page));
            if (mdb_->pg_buf[0] != kDataPage || static_cast<unsigned long>(mdb_get_int32(mdb_->pg_buf, 4)) != entry->table_pg)
                damaged(name, QStringLiteral("la pagina %1 non è una pagina di dati della tabella").arg(page));
            const int count = mdb_get_int16(mdb_->pg_buf, rowCountAt);
            const long rowsFrom = rowCountAt + 2 + 2L * count;
            if (rowsFrom > pageSize)
                damaged(name, QStringLiteral("la pagina %1 dichiara %2 righe").arg(page).arg(count));
            for (int r = 0; r < count; ++r) {
                int start = 0;
                size_t size = 0;
                const bool found = mdb_find_row(mdb_, r, &start, &size) == 0;
                if (found && (start & kDeletedRow))
                    continue;
                start &= kOffsetMask;
                if (!found || size == 0 || start < rowsFrom || start + static_cast<long>(size) > pageSize)
                    damaged(name, QStringLiteral("pagina %1, riga %2: posizione della riga non valida").arg(page).arg(r));
                // libmdb reads a row that claims more columns than the table numbers as all Null.
                const int rowColumns = jet3 ? mdb_->pg_buf[start] : mdb_get_int16(mdb_->pg_buf, start);
                if (rowColumns < 1 || rowColumns > columnLimit)
                    damaged(name, QStringLiteral("pagina %1, riga %2: la riga dichiara %3 colonne").arg(page).arg(r).arg(rowColumns));
                if (mdb_crack_row(def, start, size, fields.data()) < 0)
                    damaged(name, QStringLiteral("pagina %1, riga %2: riga illeggibile").arg(page).arg(r));
                for (unsigned int c = 0; c < def->num_cols; ++c) {
                    const MdbField& field = fields[c];
                    if (!field.is_null &&
                        (field.siz < 0 || field.start < start || field.start + field.siz > start + static_cast<long>(size))) {
                        const auto* col = static_cast<const MdbColumn*>(g_ptr_array_index(def->columns, c));
                        damaged(name, QStringLiteral("pagina %1, riga %2: dimensione del campo %3 non valida")
                                          .arg(page)
                                          .arg(r)
                                          .arg(QString::fromUtf8(col->name)));
                    }
                }
                // Access keeps no Null in a primary key: one there is a damaged null mask.
                for (int c : key) {
                    if (fields[static_cast<std::size_t>(c)].is_null)
                        damaged(name, QStringLiteral("pagina %1, riga %2: la chiave primaria %3 è Null")
                                          .arg(page)
                                          .arg(r)
                                          .arg(QString::fromUtf8(static_cast<const MdbColumn*>(g_ptr_array_index(def->columns, c))->name)));
                }
                onRow(page, r, fields);
                ++rows;
            }
        }
        if (rows != static_cast<std::int64_t>(def->num_rows))
            damaged(name, QStringLiteral("lette %1 righe su %2").arg(rows).arg(def->num_rows));
    }

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

    // Decodes a text value into text_; returns its length in characters (UTF-16 units).
    std::size_t text(const unsigned char* p, std::size_t n, bool jet3)
    {
        if (!jet3)
            return decodeJet4Text(p, n, text_);
        // Jet 3 text is in the file's code page; libmdb knows which.
        text_.assign(n * 4 + 1, '\0');
        const int written = mdb_unicode2ascii(mdb_, reinterpret_cast<const char*>(p), n, text_.data(), text_.size());
        text_.resize(written > 0 ? static_cast<std::size_t>(written) : 0);
        return n;
    }

    // Row `r` of a page a memo's chain leads to, with its size; null when the page is no memo
    // page (zeroed, a table's) or the row is not one of its live rows. libmdb takes any page and
    // any row number on it.
    const unsigned char* memoRow(const unsigned char* page, int r, size_t& size) const
    {
        const std::size_t pageSize = mdb_->fmt->pg_size;
        const std::size_t table = static_cast<std::size_t>(mdb_->fmt->row_count_offset);
        if (page[0] != kDataPage || std::memcmp(page + 4, "LVAL", 4) != 0)
            return nullptr;
        const auto rows = static_cast<int>(readLittle(page + table, 2));
        if (r >= rows || table + 2 + 2 * static_cast<std::size_t>(rows) > pageSize)
            return nullptr;
        const auto entry = static_cast<int>(readLittle(page + table + 2 + 2 * r, 2));
        const std::size_t start = static_cast<std::size_t>(entry & kOffsetMask);
        const std::size_t end =
            r == 0 ? pageSize : static_cast<std::size_t>(readLittle(page + table + 2 * r, 2) & kOffsetMask);
        if ((entry & kDeletedRow) || start < table + 2 + 2 * static_cast<std::size_t>(rows) || end > pageSize || start >= end)
            return nullptr;
        size = end - start;
        return page + start;
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
            const unsigned char* row = memoRow(static_cast<const unsigned char*>(buffer), pageRow & 0xFF, size);
            if (!row)
                return false;
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

    bool bindValue(const MdbColumn* col, const MdbField& field, int c, bool jet3, RowWriter& rows)
    {
        if (col->col_type == MDB_BOOL) {
            // A Yes/No value is its null bit; it is never Null.
            rows.bindInteger(c, field.is_null ? 0 : -1);
            return true;
        }
        if (field.is_null) {
            rows.bindNull(c);
            return true;
        }
        const auto* p = mdb_->pg_buf + field.start;
        const std::size_t n = static_cast<std::size_t>(field.siz);
        // A value shorter than its type is a damaged row.
        const auto needs = [&](std::size_t bytes) { return n >= bytes; };
        switch (col->col_type) {
        case MDB_BYTE:
            if (!needs(1))
                return false;
            rows.bindInteger(c, p[0]);
            return true;
        case MDB_INT:
            if (!needs(2))
                return false;
            rows.bindInteger(c, static_cast<std::int16_t>(readLittle(p, 2)));
            return true;
        case MDB_LONGINT:
        case MDB_COMPLEX:
            if (!needs(4))
                return false;
            rows.bindInteger(c, static_cast<std::int32_t>(readLittle(p, 4)));
            return true;
        case MDB_MONEY:
        {
            if (!needs(8))
                return false;
            const std::int64_t v = readLittle(p, 8);
            const bool negative = v < 0;
            const unsigned __int128 magnitude =
                negative ? static_cast<unsigned __int128>(-static_cast<__int128>(v)) : static_cast<unsigned __int128>(v);
            bindExact(exactNumber(magnitude, negative, 4), c, rows);
            return true;
        }
        case MDB_NUMERIC:
        {
            if (!needs(17))
                return false;
            // Sign byte, then four little-endian 32-bit words, the most significant first.
            unsigned __int128 magnitude = 0;
            for (int word = 0; word < 4; ++word)
                magnitude = (magnitude << 32) | static_cast<std::uint32_t>(readLittle(p + 1 + 4 * word, 4));
            // libmdb keeps the scale in col_prec.
            const int scale = std::clamp(col->col_prec, 0, 28);
            bindExact(exactNumber(magnitude, (p[0] & 0x80) != 0, scale), c, rows);
            return true;
        }
        case MDB_FLOAT:
        {
            if (!needs(4))
                return false;
            float f;
            std::memcpy(&f, p, 4);
            rows.bindReal(c, doubleOfSingle(f));
            return true;
        }
        case MDB_DOUBLE:
        {
            if (!needs(8))
                return false;
            double d;
            std::memcpy(&d, p, 8);
            rows.bindReal(c, d);
            return true;
        }
        case MDB_DATETIME:
        {
            if (!needs(8))
                return false;
            double d;
            std::memcpy(&d, p, 8);
            const QString date = accessDateText(d);
            if (date.isEmpty())
                rows.bindNull(c);
            else
                rows.bindText(c, date.toStdString());
            return true;
        }
        case MDB_REPID:
            if (!needs(16))
                return false;
            rows.bindText(c, guidText(p));
            return true;
        case MDB_TEXT:
            // Longer than the column holds: the row's field offsets are wrong.
            if (text(p, n, jet3) > static_cast<std::size_t>(jet3 ? col->col_size : col->col_size / 2))
                return false;
            rows.bindText(c, text_);
            return true;
        case MDB_MEMO:
            if (!longValue(p, n))
                return false;
            text(bytes_.data(), bytes_.size(), jet3);
            rows.bindText(c, text_);
            return true;
        case MDB_OLE:
            if (!longValue(p, n))
                return false;
            rows.bindBlob(c, bytes_.data(), bytes_.size());
            return true;
        default:  // Binary and types the engine does not know: the bytes as stored
            rows.bindBlob(c, p, n);
            return true;
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
