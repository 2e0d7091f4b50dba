#include "core/Files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ostrivo {

QString resolveExistingFile(const QString& name)
{
    if (name.isEmpty())
        return {};
    const QFileInfo exact(name);
    if (exact.isFile())
        return name;

    // Walk the path one component at a time, matching each without regard to case.
    const bool absolute = QDir::isAbsolutePath(name);
    const QStringList parts = QDir::fromNativeSeparators(name).split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString current = absolute ? QStringLiteral("/") : QStringLiteral(".");
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QString& part = parts.at(i);
        const bool last = i + 1 == parts.size();
        QString candidate = QDir(current).filePath(part);
        QFileInfo info(candidate);
        if (!(last ? info.isFile() : info.isDir())) {
            if (part == QLatin1String(".") || part == QLatin1String(".."))
                return {};
            const QDir dir(current);
            const QStringList entries = dir.entryList(
                (last ? QDir::Files : QDir::Dirs) | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
            candidate.clear();
            for (const QString& entry : entries) {
                // QDir::System lists pipes and devices too: only a regular file will do.
                if (entry.compare(part, Qt::CaseInsensitive) == 0 &&
                    (!last || QFileInfo(dir.filePath(entry)).isFile())) {
                    candidate = dir.filePath(entry);
                    break;
                }
            }
            if (candidate.isEmpty())
                return {};
        }
        current = candidate;
    }
    if (!absolute && current.startsWith(QLatin1String("./")))
        current = current.mid(2);
    return current;
}

bool fileExists(const QString& name)
{
    return !resolveExistingFile(name).isEmpty();
}

namespace {

std::optional<QString> kindOf(const struct stat& info)
{
    if (S_ISREG(info.st_mode))
        return std::nullopt;
    if (S_ISDIR(info.st_mode))
        return QStringLiteral("è una cartella, non un file");
    if (S_ISFIFO(info.st_mode))
        return QStringLiteral("è una pipe, non un file regolare");
    if (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode))
        return QStringLiteral("è un dispositivo, non un file regolare");
    if (S_ISSOCK(info.st_mode))
        return QStringLiteral("è un socket, non un file regolare");
    return QStringLiteral("non è un file regolare");
}

}  // namespace

std::optional<QString> notARegularFile(const QString& path)
{
    struct stat info {};
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &info) != 0)
        return std::nullopt;
    return kindOf(info);
}

namespace {

struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    QString name;  // for a file not created yet: its name in the folder of device and inode
    bool characterDevice = false;
    bool operator==(const FileIdentity& o) const { return device == o.device && inode == o.inode && name == o.name; }
};

std::optional<FileIdentity> identityOf(const QString& path)
{
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) == 0)
        return FileIdentity{info.st_dev, info.st_ino, QString(), S_ISCHR(info.st_mode)};
    const QFileInfo file(path);
    if (::stat(QFile::encodeName(file.absolutePath()).constData(), &info) == 0)
        return FileIdentity{info.st_dev, info.st_ino, file.fileName(), false};
    return std::nullopt;
}

}  // namespace

std::optional<QString> outputOverInput(const QStringList& outputs, const QStringList& inputs, const QStringList& outputNames)
{
    std::vector<std::pair<QString, FileIdentity>> seen;
    for (const QString& input : inputs) {
        if (const auto id = identityOf(input))
            seen.emplace_back(input, *id);
    }
    const std::size_t inputCount = seen.size();
    for (qsizetype k = 0; k < outputs.size(); ++k) {
        const QString& output = outputNames.value(k, outputs.at(k));
        const auto id = identityOf(outputs.at(k));
        if (!id)
            continue;
        for (std::size_t i = 0; i < seen.size(); ++i) {
            if (!(seen[i].second == *id) || (i >= inputCount && id->characterDevice))
                continue;
            if (i < inputCount)
                return QStringLiteral("l'uscita \"%1\" è lo stesso file di \"%2\", che la stampa legge: scriverla lo distruggerebbe")
                    .arg(output, seen[i].first);
            return QStringLiteral("le uscite \"%1\" e \"%2\" sono lo stesso file: una cancellerebbe l'altra")
                .arg(seen[i].first, output);
        }
        seen.emplace_back(output, *id);
    }
    return std::nullopt;
}

std::optional<QString> decodedFileName(const QByteArray& bytes)
{
    QString name = QFile::decodeName(bytes);
    if (QFile::encodeName(name) != bytes)
        return std::nullopt;
    return name;
}

QString bytesForMessage(const QByteArray& bytes)
{
    QString shown;
    for (const char byte : bytes) {
        const auto b = static_cast<unsigned char>(byte);
        if (b >= 0x20 && b < 0x7F)
            shown += QLatin1Char(byte);
        else
            shown += QStringLiteral("\\x") + QString::number(b, 16).toUpper().rightJustified(2, QLatin1Char('0'));
    }
    return shown;
}

QString systemErrorText(int error)
{
    switch (error) {
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("spazio su disco esaurito");
    case EACCES:
    case EPERM:
        return QStringLiteral("accesso negato");
    case ENOENT:
        return QStringLiteral("il file o la sua cartella non esiste");
    case ENOTDIR:
        return QStringLiteral("una parte del percorso non è una cartella");
    case EISDIR:
        return QStringLiteral("è una cartella, non un file");
    case EROFS:
        return QStringLiteral("il disco è di sola lettura");
    case EFBIG:
        return QStringLiteral("file troppo grande");
    case EIO:
        return QStringLiteral("errore di lettura o scrittura sul disco");
    case ENXIO:
        return QStringLiteral("nessun programma legge dalla pipe o dal dispositivo");
    case EPIPE:
        return QStringLiteral("il programma che leggeva ha chiuso la pipe");
    case ENAMETOOLONG:
        return QStringLiteral("nome del file troppo lungo");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("troppi file aperti");
    default:
        return QStringLiteral("errore di sistema n. %1 (%2)").arg(error).arg(QString::fromLocal8Bit(std::strerror(error)));
    }
}

static QString inputMessage(const QString& file, const QString& problem)
{
    return QStringLiteral("%1: %2").arg(file, problem);
}

InputFileError::InputFileError(int number, QString file, QString problem)
    : Error(number, inputMessage(file, problem)), file_(std::move(file)), problem_(std::move(problem))
{
}

QByteArray readInputFile(const QString& path, qint64 limit)
{
    auto fail = [&](int number, const QString& problem) { throw InputFileError(number, path, problem); };
    // Opened without blocking, then checked: a pipe named in place of a file must not hang the
    // program, whoever writes it.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        fail(errno == ENOENT ? err::FileNotFound : err::PathFileAccess,
             QStringLiteral("impossibile aprire il file: %1").arg(systemErrorText(errno)));
    struct Close {
        int fd;
        ~Close() { ::close(fd); }
    } closing{fd};
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        fail(err::PathFileAccess, systemErrorText(errno));
    if (const auto kind = kindOf(info))
        fail(err::PathFileAccess, *kind);
    if (info.st_size > limit)
        fail(err::PathFileAccess, QStringLiteral("il file è più grande di %1 MB").arg(limit / (1024 * 1024)));
    QByteArray bytes;
    bytes.resize(static_cast<qsizetype>(info.st_size));
    qsizetype done = 0;
    // The size may change while the file is read: never past the limit, and what is there.
    for (;;) {
        if (done == bytes.size()) {
            if (done > limit)
                fail(err::PathFileAccess, QStringLiteral("il file è più grande di %1 MB").arg(limit / (1024 * 1024)));
            bytes.resize(std::min<qsizetype>(done + 64 * 1024, static_cast<qsizetype>(limit) + 1));
        }
        const ssize_t n = ::read(fd, bytes.data() + done, static_cast<std::size_t>(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            fail(err::PathFileAccess, QStringLiteral("lettura non riuscita: %1").arg(systemErrorText(errno)));
        if (n == 0)
            break;
        done += n;
    }
    bytes.truncate(done);
    return bytes;
}

}  // namespace ostrivo
