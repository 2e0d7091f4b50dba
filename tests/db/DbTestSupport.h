#pragma once

// Helpers shared by the database tests (header only: the test program takes *_test.cpp files).

#include "core/Errors.h"
#include "db/Dao.h"
#include "support/TestSupport.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <gtest/gtest.h>
#include <optional>
#include <vector>

namespace ostrivo::test::db {

// One CSV field of the ground truth: NULL is an empty unquoted field, "" an empty quoted one.
struct CsvField {
    QString text;
    bool quoted = false;
    bool isNull() const { return !quoted && text.isEmpty(); }
};
using CsvRow = std::vector<CsvField>;

// The ground truth's CSV: UTF-8, LF between records, CR LF kept inside quoted fields.
inline std::vector<CsvRow> parseCsv(const QString& content)
{
    std::vector<CsvRow> rows;
    CsvRow row;
    CsvField field;
    bool inQuotes = false;
    bool any = false;
    for (qsizetype i = 0; i < content.size(); ++i) {
        const QChar c = content.at(i);
        any = true;
        if (inQuotes) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < content.size() && content.at(i + 1) == QLatin1Char('"')) {
                    field.text += c;
                    ++i;
                } else {
                    inQuotes = false;
                }
            } else {
                field.text += c;
            }
        } else if (c == QLatin1Char('"')) {
            inQuotes = true;
            field.quoted = true;
        } else if (c == QLatin1Char(',')) {
            row.push_back(field);
            field = {};
        } else if (c == QLatin1Char('\n')) {
            row.push_back(field);
            field = {};
            rows.push_back(row);
            row.clear();
            any = false;
        } else {
            field.text += c;
        }
    }
    if (any) {
        row.push_back(field);
        rows.push_back(row);
    }
    return rows;
}

inline std::vector<CsvRow> readCsv(const QString& path)
{
    return parseCsv(QString::fromUtf8(readFile(path)));
}

// Runs a program of mdbtools; nullopt when it is not installed or fails.
inline std::optional<QByteArray> runTool(const QString& program, const QStringList& arguments)
{
    const std::optional<ProgramRun> run = runProgram(program, arguments);
    if (!run || !run->ok)
        return std::nullopt;
    return run->out;
}

// The bytes of every file of a folder, and the folder's listing, to prove nothing was written.
inline QStringList folderFingerprint(const QString& folder)
{
    QStringList out;
    const QFileInfoList entries =
        QDir(folder).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& info : entries) {
        QString line = info.fileName() + QLatin1Char(' ') + QString::number(info.size()) + QLatin1Char(' ') +
                       QString::number(info.lastModified().toMSecsSinceEpoch());
        if (info.isFile()) {
            QFile f(info.absoluteFilePath());
            if (f.open(QIODevice::ReadOnly))
                line += QLatin1Char(' ') +
                        QString::fromLatin1(QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256).toHex());
        }
        out << line;
    }
    return out;
}

// Runs `body` and returns the DatabaseError it throws; fails the test when it throws none.
template <typename Body>
ostrivo::DatabaseError expectDatabaseError(Body&& body)
{
    try {
        body();
    } catch (const ostrivo::DatabaseError& e) {
        return e;
    }
    ADD_FAILURE() << "no DatabaseError was thrown";
    return ostrivo::DatabaseError(0, QString(), QString());
}

// All values of one column of a record set walked with FindFirst/FindNext.
inline QStringList walk(ostrivo::db::Recordset& rs, const QString& criteria, const QString& column)
{
    QStringList values;
    rs.FindFirst(criteria);
    while (!rs.NoMatch()) {
        values << rs.Fields().Item(column).Value().text();
        rs.FindNext(criteria);
    }
    return values;
}

}  // namespace ostrivo::test::db
