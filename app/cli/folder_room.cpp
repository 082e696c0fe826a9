#include "folder_room.h"

#include <fcntl.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstring>

namespace kestrom::cli {

QString fileErrorText(int error) {
    if (error == ENOSPC || error == EDQUOT) return QStringLiteral("the disk is full");
    return QString::fromLocal8Bit(std::strerror(error));
}

QString folderWriteProblem(const QString &folder) {
    const QByteArray probe =
        QFile::encodeName(QDir(folder).filePath(QStringLiteral(".kestrom-room-%1").arg(::getpid())));
    const int fd = ::open(probe.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return fileErrorText(errno);
    // More than one block's worth of room is what the next file written there needs.
    const QByteArray bytes(4096, '\n');
    const ssize_t wrote = ::write(fd, bytes.constData(), size_t(bytes.size()));
    int error = wrote < 0 ? errno : wrote < bytes.size() ? ENOSPC : 0;
    if (error == 0 && ::fsync(fd) != 0) error = errno;
    ::close(fd);
    ::unlink(probe.constData());
    return error == 0 ? QString() : fileErrorText(error);
}

}  // namespace kestrom::cli
