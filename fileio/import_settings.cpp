#include "fileio/import_settings.h"

#include "fileio/kgenparse.h"

const QString ImportSettings::kDirectory = QStringLiteral("imp_dir");
const QString ImportSettings::kFilter = QStringLiteral("imp_filter");
const QString ImportSettings::kEnabled = QStringLiteral("imp_en");
const QString ImportSettings::kProcTime = QStringLiteral("proc_time");
const QString ImportSettings::kProcNames = QStringLiteral("proc_names");
const QString ImportSettings::kProcPart = QStringLiteral("proc_part");
const QString ImportSettings::kExportDirectory = QStringLiteral("exp_dir");
const QString ImportSettings::kExportEnabled = QStringLiteral("exp_en");

namespace {
// No file name holds a slash, on any system.
const QChar kNameSeparator = QLatin1Char('/');
}  // namespace

ImportSettings ImportSettings::from(const Kgenparse& store, const QString& default_directory) {
    ImportSettings s;
    // An empty directory would list the program's working folder.
    s.directory = store.value(kDirectory);
    if (s.directory.isEmpty()) s.directory = default_directory;
    s.filter = store.value(kFilter);
    s.enabled = store.value(kEnabled, QStringLiteral("0")) != QLatin1String("0");
    bool ok = false;
    const qlonglong t = store.value(kProcTime).toLongLong(&ok, 10);
    s.proc_time = ok ? t : 0;
    s.names_kept = store.contains(kProcNames);
    const QString names = store.value(kProcNames);
    if (!names.isEmpty()) s.proc_names = names.split(kNameSeparator);
    // "lines/mtime/name"
    const QStringList part = store.value(kProcPart).split(kNameSeparator);
    if (part.size() == 3) {
        s.part_lines = part.at(0).toInt();
        s.part_mtime = part.at(1).toLongLong();
        s.part_name = part.at(2);
    }
    return s;
}

int ImportSettings::lines_done(const QString& name, std::int64_t mtime) const {
    return name == part_name && mtime == part_mtime ? part_lines : 0;
}

bool ImportSettings::is_new(const QString& name, std::int64_t mtime) const {
    return mtime > proc_time || (mtime == proc_time && names_kept && !proc_names.contains(name));
}

QString default_import_directory(const QString& workspace_root) {
#ifdef _WIN32
    Q_UNUSED(workspace_root);
    return QStringLiteral("c:/temp/attachments");
#else
    return workspace_root + QStringLiteral("Import/");
#endif
}
