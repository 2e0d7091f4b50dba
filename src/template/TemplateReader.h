#pragma once

#include "core/Errors.h"

#include <QString>
#include <QStringList>
#include <QByteArray>
#include <QByteArrayView>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace ostrivo {

// The lines of a template: the file's Windows-1252 bytes once, and where each line starts; a line
// is decoded when it is read. A template of many short lines costs little more than its size;
// copies share it.
class TemplateLines {
public:
    TemplateLines();
    // Lines already split (tests, fuzzing).
    TemplateLines(const QStringList& lines);
    // The bytes of a file: CR LF, LF alone or CR alone end a line (as splitLines).
    static TemplateLines fromBytes(QByteArray bytes);

    qsizetype size() const { return static_cast<qsizetype>(data_->starts.size()) - 1; }
    bool isEmpty() const { return size() == 0; }
    // Line i (from 0), without its line end.
    QString at(qsizetype i) const;
    // Its length in characters.
    qsizetype length(qsizetype i) const { return bytes(i).size(); }
    QStringList toStringList() const;

private:
    QByteArrayView bytes(qsizetype i) const;
    struct Data {
        QByteArray bytes;                   // the content, line ends included
        std::vector<std::uint32_t> starts;  // where each line starts, and the end
    };
    std::shared_ptr<const Data> data_;
};

// The section lines of a template file.
inline const QString kTesta = QStringLiteral("[TESTA]");
inline const QString kParametri = QStringLiteral("[PARAMETRI]");
inline const QString kImmagini = QStringLiteral("[IMMAGINI]");
inline const QString kGriglia = QStringLiteral("[GRIGLIA]");
inline const QString kCampi = QStringLiteral("[CAMPI]");
inline const QString kTesto = QStringLiteral("[TESTO]");
inline const QString kTabella = QStringLiteral("[TABELLA]");
inline const QString kFineTabella = QStringLiteral("[FINE TABELLA]");
inline const QString kFine = QStringLiteral("[FINE]");
inline const QString kProdotto = QStringLiteral("[*]");
inline const QString kFineProdotto = QStringLiteral("[/*]");

// One line of a template file with its 1-based line number.
struct Record {
    QString text;
    int line = 0;
};

// The lines of a table block of the [TABELLA] section.
struct TableBlock {
    Record placement;           // line A: title, x, y, bottom, font name, font size
    Record source;              // line B: database, table, ordering, filter
    std::vector<Record> columns;
    Record terminator;          // the line that ended the column records
};

// The lines of a computed product block opened by "[*]".
struct ProductBlock {
    Record first;               // type word, x, y, width, font name, font size in fields 4 to 9
    std::vector<Record> factors;  // database, table, column
    Record terminator;          // "[/*]"
};

// How a table's column records end.
enum class TableEnd {
    FineTabella,   // the designer: the line "[FINE TABELLA]" exactly
    AnySection,    // the print run: any line that begins with "["
};

// Whether the last line of the file is handed to the handlers.
enum class LastLine {
    Interpreted,
    NeverInterpreted,  // the print run tests for the end of the file before each line
};

// A template line longer than this is malformed (a template is at most kMaxTextInputBytes).
constexpr qsizetype kMaxTemplateLine = 64 * 1024;

// The common reader of template files: sections and records, read as Windows-1252 with CR LF or
// LF line ends. A malformed file raises TemplateError with the file name, the line number and
// what was expected; nothing of the file is ever interpreted past that point.
class TemplateReader {
public:
    // Reads the whole file; TemplateError when it cannot be read: missing, not a regular file,
    // larger than kMaxTextInputBytes, or a line longer than kMaxTemplateLine.
    explicit TemplateReader(const QString& path);
    // A reader over lines already in memory; `name` names them in messages.
    TemplateReader(const QString& name, TemplateLines lines);
    TemplateReader(const QString& name, const QStringList& lines) : TemplateReader(name, TemplateLines(lines)) {}

    const QString& fileName() const { return fileName_; }
    int lineCount() const { return static_cast<int>(lines_.size()); }
    const TemplateLines& lines() const { return lines_; }
    // True when no line is left to read.
    bool atEnd() const { return next_ >= lines_.size(); }
    // Number of the line read last (0 before the first).
    int lineNumber() const { return static_cast<int>(next_); }

    // The next line; at the end of the file TemplateError saying what was expected instead.
    Record nextLine(const QString& expected);
    // The first line, which must open the page block: every reader that clears or scales a page
    // from it refuses a file that does not begin with "[TESTA]".
    Record pageBlockStart();

    // The record on a line (from 1), wherever the reading is.
    Record recordAt(int line) const { return {lines_.at(line - 1), line}; }

    // Field n of a record (EstraiCampo); a missing field raises TemplateError on the record's line.
    QString field(const Record& record, int n) const;
    // Checks that a record has at least n fields.
    void requireFields(const Record& record, int n) const;

    [[noreturn]] void fail(int number, int line, const QString& problem) const;

    static bool isSectionLine(const QString& line) { return line.startsWith(QLatin1Char('[')); }

    using RecordHandler = std::function<void(const QString& section, const Record& record)>;

    // The common loop: every line that begins with "[" becomes the current section; every other
    // line is handed to the handler with the current section. Handlers may read further lines
    // through nextLine() or the block readers before the loop goes on.
    // `current`, when given, is the line the loop starts on (already read).
    void forEachRecord(const RecordHandler& handler, LastLine lastLine = LastLine::Interpreted,
                       const Record* current = nullptr, const QString& initialSection = {});

    // Reads line B and the column records of the table whose line A is `placement`, up to and
    // including the line that ends them; at most maxColumns columns.
    TableBlock readTableBlock(const Record& placement, TableEnd end, int maxColumns);
    // Reads the factor lines of the product block whose first record is `first`, up to and
    // including "[/*]"; at most maxFactors factors.
    ProductBlock readProductBlock(const Record& first, int maxFactors);

private:
    QString fileName_;
    TemplateLines lines_;
    qsizetype next_ = 0;
};

}  // namespace ostrivo
