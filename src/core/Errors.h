#pragma once

#include <QString>
#include <QStringView>
#include <QByteArray>
#include <exception>

namespace ostrivo {

// The classic runtime error numbers the program reports ("Stampa" message boxes, stderr).
namespace err {
constexpr int InvalidArgument = 5;
constexpr int Overflow = 6;
constexpr int SubscriptOutOfRange = 9;
constexpr int UserInterrupt = 18;
constexpr int TypeMismatch = 13;
constexpr int FileNotFound = 53;
constexpr int InputPastEndOfFile = 62;
constexpr int PathFileAccess = 75;
constexpr int InvalidPropertyValue = 380;
constexpr int InvalidPicture = 481;
constexpr int PrinterError = 482;
constexpr int NoCurrentRecord = 3021;
constexpr int InvalidOperation = 3219;
constexpr int DatabaseNotFound = 3024;
constexpr int DamagedDatabase = 3049;
constexpr int TooFewParameters = 3061;
constexpr int QueryTimeout = 3234;
constexpr int QuerySyntax = 3075;
constexpr int TableNotFound = 3078;
constexpr int ItemNotFound = 3265;
constexpr int NotADatabase = 3343;
constexpr int ObjectInvalid = 3420;
constexpr int CancelledDialog = 32755;
}  // namespace err

// Input quoted in a message: in double quotes, at most kQuotedInputCharacters characters of it
// (then "..."), control characters and bytes the code page leaves undefined written as \r, \n,
// \t, \xNN or \uNNNN, so that a message stays one readable line whatever the input holds.
constexpr qsizetype kQuotedInputCharacters = 200;
QString quoteInput(QStringView text);

// The standard description of a classic error number (empty for an unknown number).
QString classicDescription(int number);

// The one error type of the program: a classic number and a description for the user.
class Error : public std::exception {
public:
    Error(int number, QString description);
    // An error with the classic description of its number.
    explicit Error(int number);

    int number() const noexcept { return number_; }
    const QString& description() const noexcept { return description_; }
    const char* what() const noexcept override { return utf8_.constData(); }

protected:
    void setDescription(QString description);

private:
    int number_;
    QString description_;
    QByteArray utf8_;
};

// A template (or print request) file that cannot be read as the format says.
class TemplateError : public Error {
public:
    // line: 1-based line number in the file, 0 when the problem is not on a line.
    TemplateError(int number, QString file, int line, QString problem);

    const QString& file() const noexcept { return file_; }
    int line() const noexcept { return line_; }
    const QString& problem() const noexcept { return problem_; }

private:
    QString file_;
    int line_;
    QString problem_;
};

// A failed database operation. Names the file, the table or column where known, and the SQL.
class DatabaseError : public Error {
public:
    DatabaseError(int number, QString detail, QString file, QString sql = {});

    const QString& file() const noexcept { return file_; }
    const QString& sql() const noexcept { return sql_; }
    const QString& detail() const noexcept { return detail_; }

private:
    QString detail_;
    QString file_;
    QString sql_;
};

}  // namespace ostrivo
