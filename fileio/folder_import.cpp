#include "fileio/folder_import.h"

#include <QFile>

#include "fileio/import_line.h"
#include "fileio/import_services.h"
#include "remote/download_target.h"
#include "remote/downloaded_record.h"

int FolderImport::scan() {
    const ImportSettings settings = services_.settings();
    if (!settings.enabled) return 0;
    const std::vector<FolderEntry> entries = list_import_folder(settings.directory);
    watch(entries, settings);
    const int next = next_import_file(entries, settings);
    if (next < 0 || !services_.running()) return 0;
    const FolderEntry& entry = entries[std::size_t(next)];
    if (!settled(entry)) return 0;

    int lines = 0;
    bool stopped = false;
    const int skip = settings.lines_done(entry.name, entry.mtime);
    const int records = import_file(entry, skip, lines, stopped);
    if (records < 0) {
        const int tries = ++failed_tries_[entry.name];
        if (tries < kOpenTries) return 0;
        services_.print(QStringLiteral("Cannot read %1: passed over").arg(entry.name));
        failed_tries_.remove(entry.name);
        services_.mark_imported(entry.name, entry.mtime);
        return 0;
    }
    failed_tries_.remove(entry.name);
    if (stopped) {
        services_.mark_part(entry.name, entry.mtime, lines);
        services_.print(QStringLiteral("Import of %1 stopped after %2 records").arg(entry.name).arg(records));
        return records;
    }
    services_.mark_imported(entry.name, entry.mtime);
    services_.print(QStringLiteral("Imported %1: %2 records").arg(entry.name).arg(records));
    return records;
}

void FolderImport::watch(const std::vector<FolderEntry>& entries, const ImportSettings& settings) {
    const std::int64_t now = clock_.tick_ms();
    QHash<QString, Seen> seen;
    for (const FolderEntry& e : entries) {
        if (!is_import_candidate(e, settings.filter) || !settings.is_new(e.name, e.mtime)) continue;
        const auto before = seen_.constFind(e.name);
        seen.insert(e.name, before != seen_.constEnd() && before->entry == e ? *before : Seen{e, now});
    }
    seen_.swap(seen);
}

bool FolderImport::settled(const FolderEntry& entry) const {
    const auto it = seen_.constFind(entry.name);
    return it != seen_.constEnd() && clock_.tick_ms() - it->since_ms >= kScanIntervalMs;
}

int FolderImport::import_file(const FolderEntry& entry, int skip, int& lines, bool& stopped) {
    QFile file(entry.path);
    if (!file.open(QIODevice::ReadOnly)) return -1;
    DownloadTarget& target = services_.target();
    int records = 0;
    for (lines = 0; lines < kMaxLines; ++lines) {
        const QByteArray line = file.readLine(kMaxLineBytes + 1);
        if (line.isEmpty()) break;
        if (lines < skip) continue;
        if (!services_.running()) {
            stopped = true;  // this line is left for the next import
            break;
        }
        DownloadedRecord record;
        if (!parse_import_line(line, record)) continue;
        record.store(target.columns());
        // Derived columns are computed before the record is written, so they belong to it.
        target.run_formula_pass();
        target.write_record(kRecordColumns);
        target.publish_values();
        services_.record_added();
        ++records;
        // Lets the displays catch up.
        clock_.sleep_ms(kRecordPauseMs);
    }
    if (lines == kMaxLines && !file.atEnd())
        services_.print(
            QStringLiteral("%1: lines after line %2 are not imported").arg(entry.name).arg(kMaxLines));
    return records;
}
