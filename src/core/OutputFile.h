#pragma once

#include <QIODevice>
#include <QString>
#include <string>

namespace ostrivo {

// A file the program writes (a PDF, a trace, a template). Everything goes first to a temporary
// file, so that a failed or abandoned run leaves the target as it was; commit() then hands the
// content over: synced to disk and renamed over a regular file (an existing one keeps its
// permission bits and extended attributes), copied into a device or a pipe, which is never
// replaced. A file a plain write would refuse (read-only, immutable) is refused. Temporaries that
// a killed run left for the same file are removed. Errors throw Error 75 naming the file and the
// cause ("spazio su disco esaurito").
class OutputFile final : public QIODevice {
public:
    // `label` names the file in messages, e.g. "il file PDF".
    OutputFile(QString path, QString label);
    // Without commit(): the temporary file is removed and the target left alone.
    ~OutputFile() override;

    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    const QString& path() const { return path_; }

    // Checks the target and creates the temporary file. A folder, or anything but a regular
    // file, a character device or a pipe, is refused.
    void openForWriting();
    // Throws the first write error, if there was one.
    void checkWritten() const;
    // Writes out what is buffered and hands the content to the target.
    void commit();
    // Drops the content; the target stays as it was.
    void discard();

    bool isSequential() const override { return true; }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 length) override;

private:
    [[noreturn]] void fail(int error) const;
    bool flushBuffer();
    void removeTemporary();

    QString path_;
    QString label_;
    QString target_;      // the file the content goes to (symbolic links followed)
    QString temporary_;   // empty when none
    bool inPlace_ = false;  // a device or a pipe: copied into, never replaced
    int fd_ = -1;
    int error_ = 0;       // the first errno of a failed write
    std::string buffer_;
};

}  // namespace ostrivo
