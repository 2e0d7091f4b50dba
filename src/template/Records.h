#pragma once

#include "template/TemplateReader.h"

#include <QString>
#include <QStringList>
#include <array>

namespace ostrivo {

// One type per record kind: the raw field texts in file order, as read. Every caller applies its
// own number rule to them (the loader, the print run and the parameter dialog read some fields
// differently). `fields()` lists the members in file order; readRecord and recordLine use it.

// [TESTA] line 2.
struct PageSizeRecord {
    QString width;
    QString height;
    static constexpr auto fields() { return std::array{&PageSizeRecord::width, &PageSizeRecord::height}; }
};

// [TESTA] line 3: the reference database and table.
struct PageSourceRecord {
    QString database;
    QString table;
    static constexpr auto fields() { return std::array{&PageSourceRecord::database, &PageSourceRecord::table}; }
};

struct ParameterRecord {
    QString column;
    QString op;
    QString typeWord;
    QString defaultValue;
    QString prompt;
    static constexpr auto fields()
    {
        return std::array{&ParameterRecord::column, &ParameterRecord::op, &ParameterRecord::typeWord,
                          &ParameterRecord::defaultValue, &ParameterRecord::prompt};
    }
};

struct ImageRecord {
    QString file;
    QString x;
    QString y;
    QString width;
    QString height;
    static constexpr auto fields()
    {
        return std::array{&ImageRecord::file, &ImageRecord::x, &ImageRecord::y, &ImageRecord::width,
                          &ImageRecord::height};
    }
};

// [GRIGLIA]: a rectangle ("R") or a line ("L") between two corners.
struct GridRecord {
    QString kind;
    QString x1;
    QString y1;
    QString x2;
    QString y2;
    static constexpr auto fields()
    {
        return std::array{&GridRecord::kind, &GridRecord::x1, &GridRecord::y1, &GridRecord::x2, &GridRecord::y2};
    }
};

// [CAMPI]: a database field.
struct FieldRecord {
    QString database;
    QString table;
    QString column;
    QString typeWord;
    QString x;
    QString y;
    QString width;
    QString fontName;
    QString fontSize;
    QString relation;
    static constexpr auto fields()
    {
        return std::array{&FieldRecord::database, &FieldRecord::table,    &FieldRecord::column,
                          &FieldRecord::typeWord, &FieldRecord::x,        &FieldRecord::y,
                          &FieldRecord::width,    &FieldRecord::fontName, &FieldRecord::fontSize,
                          &FieldRecord::relation};
    }
};

struct TextRecord {
    QString text;
    QString x;
    QString y;
    QString fontName;
    QString fontSize;
    QString color;
    static constexpr auto fields()
    {
        return std::array{&TextRecord::text,     &TextRecord::x,        &TextRecord::y,
                          &TextRecord::fontName, &TextRecord::fontSize, &TextRecord::color};
    }
};

// A table's line A: title and placement.
struct TablePlacementRecord {
    QString title;
    QString x;
    QString y;
    QString bottom;
    QString fontName;
    QString fontSize;
    static constexpr auto fields()
    {
        return std::array{&TablePlacementRecord::title,  &TablePlacementRecord::x,
                          &TablePlacementRecord::y,      &TablePlacementRecord::bottom,
                          &TablePlacementRecord::fontName, &TablePlacementRecord::fontSize};
    }
};

// A table's line B: where its rows come from.
struct TableSourceRecord {
    QString database;
    QString table;
    QString ordering;
    QString filter;
    static constexpr auto fields()
    {
        return std::array{&TableSourceRecord::database, &TableSourceRecord::table, &TableSourceRecord::ordering,
                          &TableSourceRecord::filter};
    }
};

struct ColumnRecord {
    QString title;
    QString field;
    QString width;
    QString typeWord;
    QString total;
    QString relation;
    QString chars;
    static constexpr auto fields()
    {
        return std::array{&ColumnRecord::title,    &ColumnRecord::field, &ColumnRecord::width,
                          &ColumnRecord::typeWord, &ColumnRecord::total, &ColumnRecord::relation,
                          &ColumnRecord::chars};
    }
};

// The first record of a "[*]" block; fields 1 to 3 are present but carry nothing.
struct ProductRecord {
    QString unused1;
    QString unused2;
    QString unused3;
    QString typeWord;
    QString x;
    QString y;
    QString width;
    QString fontName;
    QString fontSize;
    static constexpr auto fields()
    {
        return std::array{&ProductRecord::unused1, &ProductRecord::unused2, &ProductRecord::unused3,
                          &ProductRecord::typeWord, &ProductRecord::x,      &ProductRecord::y,
                          &ProductRecord::width,    &ProductRecord::fontName, &ProductRecord::fontSize};
    }
};

// One factor of a "[*]" block.
struct FactorRecord {
    QString database;
    QString table;
    QString column;
    static constexpr auto fields()
    {
        return std::array{&FactorRecord::database, &FactorRecord::table, &FactorRecord::column};
    }
};

// A product multiplies at most so many factors; a longer block is malformed.
constexpr int kMaxProductFactors = 49;

template <typename R>
constexpr int fieldCount()
{
    return static_cast<int>(R::fields().size());
}

// The comma-terminated fields of a line (the text after the last comma is not a field).
QStringList splitFields(const QString& line);

// Reads a record of kind R. The record must hold at least `needed` fields (the highest field its
// caller uses), else TemplateError on its line; fields it does not hold stay empty.
template <typename R>
R readRecord(const TemplateReader& reader, const Record& record, int needed = fieldCount<R>())
{
    reader.requireFields(record, needed);
    const QStringList parts = splitFields(record.text);
    R result;
    const auto members = R::fields();
    for (std::size_t i = 0; i < members.size() && i < static_cast<std::size_t>(parts.size()); ++i)
        result.*members[i] = parts[static_cast<qsizetype>(i)];
    return result;
}

// The record as a line of the file: every field followed by a comma.
template <typename R>
QString recordLine(const R& record)
{
    QString line;
    for (const auto member : R::fields()) {
        line += record.*member;
        line += QLatin1Char(',');
    }
    return line;
}

}  // namespace ostrivo
