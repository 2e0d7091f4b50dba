#include "core/OutputFile.h"

#include "core/Errors.h"
#include "core/Files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
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

// A temporary file is ".NAME.XXXXXX" beside its target. The last of the six characters checks
// the other five against NAME, so that a file of the user's that only looks like one
// (".conti.pdf.backup") is never taken for one.
constexpr char kNameCharacters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
constexpr int kNameCharacterCount = 62;

char checkCharacter(const QByteArray& target, const char* five)
{
    std::uint32_t hash = 2166136261u;  // FNV-1a: the same in every run
    auto mix = [&hash](char c) { hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u; };
    for (const char c : target)
        mix(c);
    for (int i = 0; i < 5; ++i)
        mix(five[i]);
    return kNameCharacters[hash % kNameCharacterCount];
}

bool isTemporaryOf(const QByteArray& entry, const QByteArray& target)
{
    const qsizetype n = target.size();
    if (entry.size() != n + 8 || entry.at(0) != '.' || entry.at(n + 1) != '.' || entry.sliced(1, n) != target)
        return false;
    const char* tail = entry.constData() + n + 2;
    for (int i = 0; i < 6; ++i) {
        if (tail[i] == '\0' || std::strchr(kNameCharacters, tail[i]) == nullptr)
            return false;
    }
    return tail[5] == checkCharacter(target, tail);
}

// Creates a temporary file for `target` in `folder`, locked for as long as it is open: the lock
// tells another run's clean-up that it is no leftover.
int createTemporary(const QByteArray& folder, const QByteArray& target, QByteArray& path)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        char tail[7] = {};
        for (int i = 0; i < 5; ++i)
            tail[i] = kNameCharacters[QRandomGenerator::system()->bounded(kNameCharacterCount)];
        tail[5] = checkCharacter(target, tail);
        path = folder + "/." + target + '.' + tail;
        const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0 && errno == EEXIST)
            continue;
        if (fd < 0)
            return -1;
        ::flock(fd, LOCK_EX);
        struct stat info {};
        if (::fstat(fd, &info) == 0 && info.st_nlink > 0)
            return fd;
        ::close(fd);  // a clean-up took it between its creation and the lock
    }
    errno = EEXIST;
    return -1;
}

// Removes what runs on `target` that were killed left in `folder`: temporaries of this user that
// no live run holds locked.
void removeStaleTemporaries(const QByteArray& folder, const QByteArray& target)
{
    DIR* dir = ::opendir(folder.constData());
    if (!dir)
        return;
    while (const dirent* entry = ::readdir(dir)) {
        if (!isTemporaryOf(QByteArray(entry->d_name), target))
            continue;
        const QByteArray path = folder + '/' + entry->d_name;
        const int fd = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat held {};
        struct stat named {};
        if (::fstat(fd, &held) == 0 && S_ISREG(held.st_mode) && held.st_uid == ::geteuid() && held.st_nlink == 1 &&
            ::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::lstat(path.constData(), &named) == 0 &&
            named.st_dev == held.st_dev && named.st_ino == held.st_ino)
            ::unlink(path.constData());
        ::close(fd);
    }
    ::closedir(dir);
}

// Extended attributes (ACLs, labels, a user's own) go with the content to the file that replaces
// the old one. Those the writer may not set are left out.
void copyExtendedAttributes(const QByteArray& from, int to)
{
    const ssize_t size = ::listxattr(from.constData(), nullptr, 0);
    if (size <= 0)
        return;
    QByteArray names(size, '\0');
    const ssize_t listed = ::listxattr(from.constData(), names.data(), static_cast<std::size_t>(names.size()));
    if (listed <= 0)
        return;
    for (const QByteArray& name : names.left(listed).split('\0')) {
        if (name.isEmpty())
            continue;
        const ssize_t length = ::getxattr(from.constData(), name.constData(), nullptr, 0);
        if (length < 0)
            continue;
        QByteArray value(length, '\0');
        if (::getxattr(from.constData(), name.constData(), value.data(), static_cast<std::size_t>(value.size())) == length)
            ::fsetxattr(to, name.constData(), value.constData(), static_cast<std::size_t>(value.size()), 0);
    }
}

void syncFolder(const QByteArray& folder)
{
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
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
    const QByteArray folder = native(inPlace_ ? QDir::tempPath() : QFileInfo(target_).absolutePath());
    const QByteArray name = native(QFileInfo(target_).fileName());
    removeStaleTemporaries(folder, name);
    QByteArray temporary;
    fd_ = createTemporary(folder, name, temporary);
    if (fd_ < 0)
        fail(errno);
    temporary_ = QFile::decodeName(temporary);
    if (!inPlace_) {
        // A replaced file keeps its permission bits, its extended attributes and, where allowed,
        // its owner; a new one gets what creating it would have given. (A hard link's other names
        // keep the old content: the file is replaced, not written into.)
        const mode_t mode = exists ? (info.st_mode & 07777) : (0666 & ~currentUmask());
        if (exists && ::fchown(fd_, info.st_uid, info.st_gid) != 0) {
            // Not permitted for someone else's file: it becomes the writer's, as any new file.
        }
        ::fchmod(fd_, mode);
        if (exists)
            copyExtendedAttributes(native(target_), fd_);
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
    // On the disk before it takes the old file's place: a crash just after the rename must not
    // leave an empty file where the old one was.
    if (::fsync(fd_) != 0)
        fail(errno);
    if (::close(fd_) != 0) {
        fd_ = -1;
        fail(errno);
    }
    fd_ = -1;
    if (::rename(native(temporary_).constData(), native(target_).constData()) != 0)
        fail(errno);
    temporary_.clear();
    syncFolder(native(QFileInfo(target_).absolutePath()));
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
