#pragma once

#include "engine/PrintCheck.h"

#include <QString>
#include <map>
#include <memory>
#include <utility>
#include <vector>

namespace ostrivo {

namespace db {
class Database;
class FieldCollection;
class Recordset;
}  // namespace db

// The files a template's elements name, opened as the print opens them and only read: each
// database, each table through the query the print makes of it, each column the print reads or
// orders a table by, each picture. A database, table or column that is missing or cannot be read
// is a problem (the print would fail on it); a missing picture is a warning (the print leaves it
// out). A file, or a table of a database, is reported once, at the first line that names it.
// Records that do not read are passed over: the check of the template lists them.
class NamedFilesCheck {
public:
    NamedFilesCheck();
    ~NamedFilesCheck();
    NamedFilesCheck(const NamedFilesCheck&) = delete;
    NamedFilesCheck& operator=(const NamedFilesCheck&) = delete;

    void check(const TemplateReader& reader, const TemplateElement& element);

    const std::vector<TemplateProblem>& problems() const { return problems_; }
    const std::vector<TemplateProblem>& warnings() const { return warnings_; }

private:
    void picture(const TemplateReader& reader, const PictureElement& element);
    // The columns of a table as the print's query on it gives them; none when it cannot be read.
    const db::FieldCollection* table(const QString& database, const QString& table, int line);
    void column(const db::FieldCollection* fields, const QString& column, int line);
    void problem(int line, const Error& e);

    std::map<QString, std::unique_ptr<db::Database>> databases_;  // null: reported
    std::map<std::pair<QString, QString>, std::unique_ptr<db::Recordset>> tables_;
    std::map<QString, bool> pictures_;
    std::vector<TemplateProblem> problems_;
    std::vector<TemplateProblem> warnings_;
};

}  // namespace ostrivo
