#include "checked_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QRandomGenerator>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace kestrom::safety {

namespace {

constexpr int kDraftAttempts = 16;

// Why a file of this kind is not one we read or replace; empty for a regular file.
QString notRegular(mode_t mode) {
    if (S_ISREG(mode)) return {};
    if (S_ISDIR(mode)) return QStringLiteral("it is a folder, not a regular file");
    if (S_ISCHR(mode) || S_ISBLK(mode)) return QStringLiteral("it is a device, not a regular file");
    if (S_ISFIFO(mode)) return QStringLiteral("it is a pipe, not a regular file");
    if (S_ISSOCK(mode)) return QStringLiteral("it is a socket, not a regular file");
    return QStringLiteral("it is not a regular file");
}

bool fullDiskInjected(const QString &path) {
    const QString text = qEnvironmentVariable("KESTROM_FULL_DISK");
    return !text.isEmpty() && path.contains(text);
}

QByteArray folderOf(const QByteArray &path) {
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0) return QByteArrayLiteral(".");
    return slash == 0 ? QByteArrayLiteral("/") : path.left(slash);
}

// A renamed file is only on the disk once its folder is.
int syncFolder(const QByteArray &path) {
    const int fd = ::open(folderOf(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return errno;
    const int error = ::fsync(fd) == 0 || errno == EINVAL ? 0 : errno;  // EINVAL: the folder cannot be synced
    ::close(fd);
    return error;
}

}  // namespace

QString fileErrorText(int error) {
    if (error == ENOSPC) return QStringLiteral("the disk is full");
    return QString::fromLocal8Bit(std::strerror(error));
}

CheckedFile::CheckedFile(QString path) : path_(std::move(path)) {}

CheckedFile::~CheckedFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!draft_.isEmpty()) ::unlink(draft_.constData());
}

bool CheckedFile::fail(int error) {
    error_ = fileErrorText(error);
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!draft_.isEmpty()) ::unlink(draft_.constData());
    draft_.clear();
    return false;
}

bool CheckedFile::open() {
    if (path_.isEmpty()) {
        error_ = QStringLiteral("no file name is given");
        return false;
    }
    target_ = QFile::encodeName(path_);
    struct stat status {};
    if (::lstat(target_.constData(), &status) == 0) {
        if (S_ISLNK(status.st_mode)) {  // the file it leads to is replaced, the link kept
            char *resolved = ::realpath(target_.constData(), nullptr);
            if (resolved == nullptr) {
                error_ = errno == ENOENT ? QStringLiteral("it is a link that leads nowhere")
                                         : fileErrorText(errno);
                return false;
            }
            target_ = resolved;
            std::free(resolved);
            if (::stat(target_.constData(), &status) != 0) return fail(errno);
        }
        if (const QString kind = notRegular(status.st_mode); !kind.isEmpty()) {
            error_ = kind;
            return false;
        }
        if (::access(target_.constData(), W_OK) != 0) return fail(errno);
        mode_ = int(status.st_mode & 07777);
    } else if (errno != ENOENT) {
        return fail(errno);
    }
    for (int attempt = 0; fd_ < 0; ++attempt) {
        draft_ = target_ + ".kestrom-" + QByteArray::number(QRandomGenerator::global()->generate(), 16);
        fd_ = ::open(draft_.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ < 0 && (errno != EEXIST || attempt + 1 == kDraftAttempts)) {
            draft_.clear();  // not ours to remove
            return fail(errno);
        }
    }
    if (mode_ >= 0) {
        if (::fchmod(fd_, mode_t(mode_)) != 0) return fail(errno);
        if (::geteuid() == 0) {  // root replacing someone's file leaves it theirs
            struct stat old {};
            if (::stat(target_.constData(), &old) == 0 && ::fchown(fd_, old.st_uid, old.st_gid) != 0)
                return fail(errno);
        }
    }
    failWrites_ = fullDiskInjected(path_);
    return true;
}

bool CheckedFile::write(QByteArrayView bytes) {
    if (fd_ < 0) return false;
    const char *next = bytes.data();
    qsizetype left = failWrites_ ? bytes.size() / 2 : bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd_, next, size_t(left));
        if (written < 0 && errno == EINTR) continue;
        if (written < 0) return fail(errno);
        if (written == 0) return fail(EIO);
        next += written;
        left -= written;
    }
    return failWrites_ ? fail(ENOSPC) : true;
}

bool CheckedFile::commit() {
    if (fd_ < 0) return false;
    if (::fsync(fd_) != 0) return fail(errno);
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) return fail(errno);
    if (::rename(draft_.constData(), target_.constData()) != 0) return fail(errno);
    draft_.clear();
    if (const int error = syncFolder(target_); error != 0) return fail(error);
    return true;
}

bool writeFileChecked(const QString &path, QByteArrayView bytes, QString &error) {
    CheckedFile file(path);
    if (file.open() && file.write(bytes) && file.commit()) return true;
    error = file.errorString();
    return false;
}

std::optional<QByteArray> readFileBounded(const QString &path, qint64 maxBytes, QString &error) {
    const QByteArray name = QFile::encodeName(path);
    struct stat status {};
    // Looked at before it is opened: opening a pipe waits for a writer, a device may act.
    if (::stat(name.constData(), &status) != 0) {
        error = fileErrorText(errno);
        return std::nullopt;
    }
    if (error = notRegular(status.st_mode); !error.isEmpty()) return std::nullopt;
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        error = fileErrorText(errno);
        return std::nullopt;
    }
    QByteArray bytes(qsizetype(maxBytes) + 1, Qt::Uninitialized);  // one more tells a larger file
    qsizetype got = 0;
    if (::fstat(fd, &status) != 0) {
        error = fileErrorText(errno);
    } else if (error = notRegular(status.st_mode); error.isEmpty()) {  // not swapped since
        while (got < bytes.size()) {
            const ssize_t read = ::read(fd, bytes.data() + got, size_t(bytes.size() - got));
            if (read < 0 && errno == EINTR) continue;
            if (read < 0) error = fileErrorText(errno);
            if (read <= 0) break;
            got += read;
        }
        if (error.isEmpty() && got > maxBytes)
            error = QStringLiteral("it is larger than %1 bytes").arg(maxBytes);
    }
    ::close(fd);
    if (!error.isEmpty()) return std::nullopt;
    bytes.truncate(got);
    return bytes;
}

}  // namespace kestrom::safety
