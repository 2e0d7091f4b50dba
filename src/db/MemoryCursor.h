#pragma once

#include "db/MemoryStore.h"
#include "db/SelectShape.h"
#include "db/ValueMemo.h"

#include <QString>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace ostrivo::db {

// A record set: its statement is stepped lazily, never copied. Searches of a simple query run as
// one statement (the query's condition and the criteria together) in the query's order; other
// record sets test the criteria row by row.
class MemoryCursor final : public Cursor {
public:
    MemoryCursor(std::shared_ptr<MemoryStore> store, MemoryStore::SourceProvider source, QString file,
                 QString accessSql, const QString& engineSql);

    int columnCount() const override { return static_cast<int>(columns_.size()); }
    const ColumnDef& column(int index) const override { return columns_.at(static_cast<std::size_t>(index)); }
    bool findFirst(const QString& criteria) override;
    bool findNext(const QString& criteria) override;
    bool hasCurrent() override;
    const Variant& value(int column) override;

private:
    ValueMemo& memo(int column)
    {
        const std::unique_ptr<ValueMemo>& m = memos_[static_cast<std::size_t>(column)];
        return m ? *m : newMemo(column);
    }
    ValueMemo& newMemo(int column);
    QString ordering(const SelectShape& shape, const QStringList& equality) const;
    struct Finder {
        QString criteria;      // as the caller wrote it
        QString engineSql;     // translated
        Statement together;    // the query's rows that meet it, or null
        QStringList equality;  // with `together`: the columns it compares with constants
        Statement test;        // the criteria on one row of the query, or null until needed
        std::vector<int> testColumns;
    };
    enum class At { Fresh, Query, Together, None };

    Finder& finder(const QString& criteria);
    void compileTest(Finder& finder);
    bool passes(Finder& finder);
    void restartQuery();
    void stepQuery();
    bool step(sqlite3_stmt* statement, const QString& sql);
    // Runs a step of the engine against what is left of the record set's time (QueryBudget).
    template <typename Step>
    int timed(Step&& step);
    bool stepped(int rc, sqlite3_stmt* statement, const QString& sql);
    bool scanQuery(Finder& finder);
    sqlite3_stmt* current() const;
    [[noreturn]] void fail(int number, const QString& detail, const QString& sql) const;

    std::shared_ptr<MemoryStore> store_;
    MemoryStore::SourceProvider source_;
    QString file_;
    QString accessSql_;
    std::optional<SelectShape> shape_;  // set when searches can run as one statement
    Statement query_;
    int rowidColumn_ = -1;              // a hidden last column, with a simple query
    std::vector<ColumnDef> columns_;
    std::vector<QString> declaredTypes_;
    std::vector<std::unique_ptr<ValueMemo>> memos_;  // per column, made when first read
    std::vector<Variant> unshared_;  // per column, its last value that no memo keeps
    std::map<QString, std::unique_ptr<Finder>> finders_;
    At at_ = At::Fresh;
    bool queryRow_ = false;
    bool queryStepped_ = false;
    Finder* together_ = nullptr;
    Finder* last_ = nullptr;  // the criteria of the last search, usually those of the next one
    QueryBudget::Account spent_;  // in the engine, over all searches
};


}  // namespace ostrivo::db
