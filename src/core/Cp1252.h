#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

namespace ostrivo {

// Windows-1252, the code page of template and print request files. The five bytes the code page
// leaves undefined (81, 8D, 8F, 90, 9D) read as the character of the same code and write back
// unchanged, so no byte of a file is ever lost.
QString decodeCp1252(const QByteArray& bytes);

// The first character of text that Windows-1252 cannot store, if any.
std::optional<char32_t> firstUnencodableCp1252(const QString& text);

// Throws Error (invalid argument) naming the first character that cannot be stored.
QByteArray encodeCp1252(const QString& text);

// Splits file content into lines: CR LF, LF alone or CR alone end a line; a last line without
// a line end is a line; no empty line follows a final line end.
QStringList splitLines(const QString& content);

// Writes lines as Windows-1252, each ended with CR LF, through a temporary file in the same folder
// renamed over the target: a failed write leaves an existing file whole. Nothing is written when a
// line holds a character the code page cannot store. A failed write throws Error 75 (path/file
// access error) naming the file.
void writeCp1252Lines(const QString& path, const QStringList& lines);

}  // namespace ostrivo
