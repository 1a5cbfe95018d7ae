#include "fileio/import_scan.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace {
constexpr int kMinNameLength = 3;

#ifdef Q_OS_UNIX
bool describe(FolderEntry& e) {
    struct stat st {};
    if (::lstat(QFile::encodeName(e.path).constData(), &st) != 0) return false;
    if (S_ISREG(st.st_mode))
        e.kind = EntryKind::kRegular;
    else if (S_ISDIR(st.st_mode))
        e.kind = EntryKind::kDirectory;
    else if (S_ISLNK(st.st_mode))
        e.kind = EntryKind::kSymlink;
    else
        e.kind = EntryKind::kOther;
    e.size = std::int64_t(st.st_size);
    e.mtime = std::int64_t(st.st_mtime);
    e.id = QByteArray::number(qulonglong(st.st_dev)) + ':' + QByteArray::number(qulonglong(st.st_ino));
    return true;
}
#else
bool describe(FolderEntry& e) {
    const QFileInfo info(e.path);
    if (!info.exists() && !info.isSymLink()) return false;
    if (info.isSymLink())
        e.kind = EntryKind::kSymlink;
    else if (info.isDir())
        e.kind = EntryKind::kDirectory;
    else if (info.isFile())
        e.kind = EntryKind::kRegular;
    else
        e.kind = EntryKind::kOther;
    e.size = info.size();
    e.mtime = info.lastModified().toSecsSinceEpoch();
    // No inode to follow a renamed file by: the name stands for it.
    e.id = e.name.toUtf8();
    return true;
}
#endif
}  // namespace

std::vector<FolderEntry> list_import_folder(const QString& directory) {
    std::vector<FolderEntry> entries;
    if (directory.isEmpty()) return entries;
    const QDir dir(directory);
    const QStringList names = dir.entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    entries.reserve(std::size_t(names.size()));
    for (const QString& name : names) {
        FolderEntry e;
        e.name = name;
        e.path = dir.absoluteFilePath(name);
        // Gone since it was listed: the next scan sees it as it is then.
        if (describe(e)) entries.push_back(std::move(e));
    }
    return entries;
}

bool is_upload_in_progress(const QString& name) {
    static const char* const kSuffixes[] = {".part", ".tmp", ".filepart", ".crdownload", "~"};
    if (name.startsWith(QLatin1Char('.'))) return true;
    for (const char* suffix : kSuffixes)
        if (name.endsWith(QLatin1String(suffix), Qt::CaseInsensitive)) return true;
    return false;
}

bool is_import_name(const QString& name, const QString& filter) {
    return name.size() >= kMinNameLength && name.contains(filter, Qt::CaseSensitive) &&
           !is_upload_in_progress(name);
}
