#include "sim/port_symlink.h"

#include <sys/stat.h>
#include <unistd.h>
#include <QDir>
#include <cerrno>
#include <cstring>

bool PortSymlink::create(const std::string& workspace, int port, const std::string& target,
                         std::string* error) {
    const QString folder = QDir(QString::fromStdString(workspace)).filePath(QStringLiteral("Ports"));
    if (!QDir().mkpath(folder)) {
        *error = "cannot create " + folder.toStdString();
        return false;
    }
    const std::string path = QDir(folder).filePath(QStringLiteral("COM%1").arg(port)).toStdString();
    struct stat existing {};
    if (::lstat(path.c_str(), &existing) == 0 && !S_ISLNK(existing.st_mode)) {
        *error = path + " exists and is not a link; not replacing it";
        return false;
    }
    // A link under a temporary name renamed over the old one: never a moment without a link.
    const std::string temporary = path + ".veld-sim-" + std::to_string(::getpid());
    ::unlink(temporary.c_str());
    if (::symlink(target.c_str(), temporary.c_str()) != 0 || ::rename(temporary.c_str(), path.c_str()) != 0) {
        *error = "cannot link " + path + " to " + target + ": " + std::strerror(errno);
        ::unlink(temporary.c_str());
        return false;
    }
    path_ = path;
    target_ = target;
    return true;
}

void PortSymlink::remove() {
    if (path_.empty()) return;
    char buffer[4096];
    const auto length = ::readlink(path_.c_str(), buffer, sizeof buffer - 1);
    if (length >= 0 && std::string(buffer, static_cast<std::size_t>(length)) == target_)
        ::unlink(path_.c_str());
    path_.clear();
}
