#pragma once

#include "core/Errors.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

namespace ostrivo {

// Templates come from Windows, where file names ignore case: a name that is missing as written is
// looked up among the names of its folder that differ only in case. Relative names are taken from
// the current directory. Returns the name to open, or an empty text when no such file exists.
QString resolveExistingFile(const QString& name);

// True when resolveExistingFile finds a regular file.
bool fileExists(const QString& name);

// What an existing path is when it is not a regular file (symbolic links followed): "è una
// cartella", "è una pipe" ...; nothing for a regular file or a missing path.
std::optional<QString> notARegularFile(const QString& path);

// The first output that is the same file as an input or as another output of a run, as a
// message for the user; nothing when there is none. Files are compared by device and inode (links
// followed), not by name; an output not created yet by its folder and name. A character device
// (the same /dev/null for two outputs) is no file whose content could be lost. `outputNames`, when
// given, are what the message calls the outputs (the names the user gave, where the paths differ).
std::optional<QString> outputOverInput(const QStringList& outputs, const QStringList& inputs,
                                       const QStringList& outputNames = {});

// A file name as the system gives it (argv, the environment) as a text, when it is one: Qt
// decodes names as UTF-8 and puts U+FFFD for bytes that are not, which would name another file.
// Nothing for such bytes.
std::optional<QString> decodedFileName(const QByteArray& bytes);
// Bytes shown in a message: printable ASCII as it is, anything else as \xHH.
QString bytesForMessage(const QByteArray& bytes);

// An operating system error number as the program words it ("spazio su disco esaurito", ...).
QString systemErrorText(int error);

// A file the program reads that cannot be read whole. problem() says why without the file name.
class InputFileError : public Error {
public:
    InputFileError(int number, QString file, QString problem);
    const QString& file() const noexcept { return file_; }
    const QString& problem() const noexcept { return problem_; }

private:
    QString file_;
    QString problem_;
};

// The templates and print requests the program reads are at most this large.
constexpr qint64 kMaxTextInputBytes = 16 * 1024 * 1024;

// Reads a whole input file of at most `limit` bytes. Anything but a regular file is refused
// before it is read (a pipe would block, a device never end); so is a file past the limit.
// Throws InputFileError.
QByteArray readInputFile(const QString& path, qint64 limit);

}  // namespace ostrivo
