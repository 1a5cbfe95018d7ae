#include "settings/regular_file.h"

#include <QFileInfo>

#ifndef Q_OS_WIN
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#endif

namespace {

#ifndef Q_OS_WIN

QString kind_of(mode_t mode) {
    if (S_ISFIFO(mode)) return QStringLiteral("a FIFO");
    if (S_ISDIR(mode)) return QStringLiteral("a directory");
    if (S_ISCHR(mode)) return QStringLiteral("a character device");
    if (S_ISBLK(mode)) return QStringLiteral("a block device");
    if (S_ISSOCK(mode)) return QStringLiteral("a socket");
    return QStringLiteral("not a file");
}

RegularFileOpen refused(mode_t mode) {
    RegularFileOpen result;
    result.reason = QStringLiteral("not a regular file (%1)").arg(kind_of(mode));
    return result;
}

RegularFileOpen failed(int error) {
    RegularFileOpen result;
    // A folder on the way that is no folder (a workspace that could not be made) holds no file either.
    result.missing = error == ENOENT || error == ENOTDIR;
    result.reason = QString::fromLocal8Bit(std::strerror(error));
    return result;
}

int open_flags(QIODevice::OpenMode mode) {
    // O_NONBLOCK: a FIFO swapped in after the first look must not hold open() until a writer
    // (or reader) comes; O_NOCTTY: a terminal must not become ours.
    int flags = O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    if (!(mode & QIODevice::WriteOnly)) return flags | O_RDONLY;
    flags |= ((mode & QIODevice::ReadOnly) ? O_RDWR : O_WRONLY) | O_CREAT;
    if (mode & QIODevice::Append) flags |= O_APPEND;
    if (mode & QIODevice::Truncate) flags |= O_TRUNC;
    return flags;
}

#endif

}  // namespace

RegularFileOpen open_regular_file(QFile& file, QIODevice::OpenMode mode) {
#ifdef Q_OS_WIN
    const QFileInfo info(file.fileName());
    if (info.exists() && !info.isFile()) return {false, false, QStringLiteral("not a regular file")};
    if (!info.exists() && !(mode & QIODevice::WriteOnly))
        return {false, true, QStringLiteral("does not exist")};
    if (!file.open(mode)) return {false, false, file.errorString()};
    return {true, false, QString()};
#else
    const QByteArray path = QFile::encodeName(file.fileName());
    // A look before opening: opening a device can itself do something (rewind a tape, hang up).
    struct stat st {};
    if (::stat(path.constData(), &st) == 0) {
        if (!S_ISREG(st.st_mode)) return refused(st.st_mode);
    } else if (errno != ENOENT || !(mode & QIODevice::WriteOnly)) {
        return failed(errno);
    }
    const int fd = ::open(path.constData(), open_flags(mode), 0666);
    if (fd < 0) return failed(errno);
    if (::fstat(fd, &st) != 0) {
        const int error = errno;
        ::close(fd);
        return failed(error);
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        return refused(st.st_mode);
    }
    // Reading and writing a regular file never waits anyway; the descriptor is left as usual.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (!file.open(fd, mode, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return {false, false, file.errorString()};
    }
    return {true, false, QString()};
#endif
}
