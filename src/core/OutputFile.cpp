#include "core/OutputFile.h"

#include "core/Errors.h"
#include "core/Files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ostrivo {

namespace {

constexpr std::size_t kBufferSize = 64 * 1024;

QByteArray native(const QString& path)
{
    return QFile::encodeName(path);
}

bool writeAll(int fd, const char* data, std::size_t length)
{
    while (length > 0) {
        const ssize_t n = ::write(fd, data, length);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        length -= static_cast<std::size_t>(n);
    }
    return true;
}

// A reader that closed its end of a pipe is an error to report, not a signal that ends the program.
class IgnoreBrokenPipe {
public:
    IgnoreBrokenPipe()
    {
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        sigemptyset(&ignore.sa_mask);
        sigaction(SIGPIPE, &ignore, &previous_);
    }
    ~IgnoreBrokenPipe() { sigaction(SIGPIPE, &previous_, nullptr); }
    IgnoreBrokenPipe(const IgnoreBrokenPipe&) = delete;
    IgnoreBrokenPipe& operator=(const IgnoreBrokenPipe&) = delete;

private:
    struct sigaction previous_ {};
};

mode_t currentUmask()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

}  // namespace

OutputFile::OutputFile(QString path, QString label) : path_(std::move(path)), label_(std::move(label)) {}

OutputFile::~OutputFile()
{
    discard();
}

void OutputFile::fail(int error) const
{
    throw Error(err::PathFileAccess,
                QStringLiteral("Impossibile scrivere %1 \"%2\": %3").arg(label_, path_, systemErrorText(error)));
}

void OutputFile::openForWriting()
{
    // What a name that is no UTF-8 becomes once decoded: written, it would replace another file.
    if (path_.contains(QChar::ReplacementCharacter))
        throw Error(err::PathFileAccess, QStringLiteral("Impossibile scrivere %1 \"%2\": %3")
                                             .arg(label_, path_, QStringLiteral("il nome contiene U+FFFD, il segno di un nome "
                                                                                "non UTF-8 letto come un altro")));
    target_ = path_;
    struct stat info {};
    const bool exists = ::stat(native(path_).constData(), &info) == 0;
    if (exists) {
        // A link is followed: the file it names is replaced, the link stays.
        const QFileInfo link(path_);
        if (link.isSymLink())
            target_ = link.canonicalFilePath();
        inPlace_ = S_ISCHR(info.st_mode) || S_ISFIFO(info.st_mode);
        if (!S_ISREG(info.st_mode) && !inPlace_)
            throw Error(err::PathFileAccess, QStringLiteral("Impossibile scrivere %1 \"%2\": %3")
                                                 .arg(label_, path_, notARegularFile(path_).value_or(QString())));
        if (!inPlace_) {
            // The rename needs only the folder's permission; the file's own (read-only, immutable,
            // someone else's) must count as they would for a plain write. Opened without
            // truncating: the content stays as it is.
            const int probe = ::open(native(target_).constData(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
            if (probe < 0)
                fail(errno);
            ::close(probe);
        }
    }
    // The content waits next to a regular target, so that the rename cannot cross disks; for a
    // device or a pipe, in the temporary folder.
    const QString folder = inPlace_ ? QDir::tempPath() : QFileInfo(target_).absolutePath();
    QByteArray pattern = native(QDir(folder).filePath(QStringLiteral(".%1.XXXXXX").arg(QFileInfo(target_).fileName())));
    fd_ = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd_ < 0)
        fail(errno);
    temporary_ = QFile::decodeName(pattern);
    if (!inPlace_) {
        // A replaced file keeps its permission bits and, where allowed, its owner; a new one gets
        // what creating it would have given.
        const mode_t mode = exists ? (info.st_mode & 07777) : (0666 & ~currentUmask());
        if (exists && ::fchown(fd_, info.st_uid, info.st_gid) != 0) {
            // Not permitted for someone else's file: it becomes the writer's, as any new file.
        }
        ::fchmod(fd_, mode);
    }
    buffer_.reserve(kBufferSize);
    error_ = 0;
    QIODevice::open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

qint64 OutputFile::writeData(const char* data, qint64 length)
{
    if (error_ != 0 || fd_ < 0)
        return -1;
    if (buffer_.size() + static_cast<std::size_t>(length) > kBufferSize && !flushBuffer())
        return -1;
    if (static_cast<std::size_t>(length) >= kBufferSize) {
        if (!writeAll(fd_, data, static_cast<std::size_t>(length))) {
            error_ = errno;
            return -1;
        }
        return length;
    }
    buffer_.append(data, static_cast<std::size_t>(length));
    return length;
}

bool OutputFile::flushBuffer()
{
    if (buffer_.empty())
        return true;
    if (!writeAll(fd_, buffer_.data(), buffer_.size())) {
        error_ = errno != 0 ? errno : EIO;
        return false;
    }
    buffer_.clear();
    return true;
}

void OutputFile::checkWritten() const
{
    if (error_ != 0)
        fail(error_);
}

void OutputFile::commit()
{
    if (fd_ < 0)
        openForWriting();
    if (!flushBuffer())
        fail(error_);
    if (inPlace_) {
        // A device or a pipe receives the whole content, or nothing when the run failed before.
        if (::lseek(fd_, 0, SEEK_SET) != 0)
            fail(errno);
        const int out = ::open(native(target_).constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
        if (out < 0)
            fail(errno);
        ::fcntl(out, F_SETFL, ::fcntl(out, F_GETFL) & ~O_NONBLOCK);
        IgnoreBrokenPipe ignore;
        char chunk[kBufferSize];
        int error = 0;
        for (;;) {
            const ssize_t n = ::read(fd_, chunk, sizeof chunk);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 || (n > 0 && !writeAll(out, chunk, static_cast<std::size_t>(n)))) {
                error = errno;
                break;
            }
            if (n == 0)
                break;
        }
        if (::close(out) != 0 && error == 0)
            error = errno;
        if (error != 0)
            fail(error);
        removeTemporary();
        return;
    }
    if (::close(fd_) != 0) {
        fd_ = -1;
        fail(errno);
    }
    fd_ = -1;
    if (::rename(native(temporary_).constData(), native(target_).constData()) != 0)
        fail(errno);
    temporary_.clear();
    QIODevice::close();
}

void OutputFile::discard()
{
    buffer_.clear();
    removeTemporary();
}

void OutputFile::removeTemporary()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    if (!temporary_.isEmpty())
        ::unlink(native(temporary_).constData());
    temporary_.clear();
    if (isOpen())
        QIODevice::close();
}

}  // namespace ostrivo
