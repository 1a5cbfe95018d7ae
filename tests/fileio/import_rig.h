#pragma once

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <functional>
#include <memory>

#include "core_rig.h"
#include "fileio/folder_import.h"
#include "fileio/import_services.h"
#include "fileio/import_store.h"

// The folder import over a temporary workspace in virtual time: a real acquisition core writes
// the log, fileio.xml keeps the settings and fileio_ledger.txt the progress, the import folder is
// Import/ in the workspace. Scans run on the test's thread; the running flag is the rig's.
struct ImportRig final : ImportServices {
    static constexpr std::int64_t kBase = 1796637600;  // 2026-12-07 10:00:00 UTC

    ImportRig() {
        QDir().mkpath(folder());
        restart();
        set({{ImportSettings::kEnabled, QStringLiteral("1")}});
    }

    QString folder() const { return acq.root + QStringLiteral("Import/"); }
    // A new store and import over the same files, as after the program was started again.
    void restart() {
        store = std::make_unique<ImportStore>(acq.root + QStringLiteral("Config/fileio.xml"), folder());
        import = std::make_unique<FolderImport>(acq.clock, *this);
    }
    void set(const std::vector<std::pair<QString, QString>>& values) { store->set_values(values); }

    // Writes (or appends to) a file of the import folder with its modification time.
    void drop(const QString& name, const QByteArray& text, std::int64_t mtime = kBase, bool append = false) {
        QFile f(folder() + name);
        if (!f.open(append ? QIODevice::Append : QIODevice::WriteOnly)) qFatal("cannot write a test file");
        f.write(text);
        f.flush();  // else closing writes and stamps the present time
        f.setFileTime(QDateTime::fromSecsSinceEpoch(mtime, Qt::UTC), QFileDevice::FileModificationTime);
    }
    // `count` scans, a scan interval apart; returns the records they imported.
    int scan(int count = 1) {
        int records = 0;
        for (int i = 0; i < count; ++i) {
            records += import->scan();
            acq.clock.advance(FolderImport::kScanIntervalMs);
        }
        return records;
    }
    // The record lines of the log (the header left out).
    QList<QByteArray> log_records() const {
        QList<QByteArray> lines = acq.log_file().split('\n');
        if (!lines.isEmpty()) lines.removeFirst();
        lines.removeAll(QByteArray());
        return lines;
    }
    QStringList logged_numbers() const {
        QStringList numbers;
        for (const QByteArray& line : log_records()) numbers << QString::fromUtf8(line.split(',').value(0));
        return numbers;
    }

    QString ledger_path() const override { return acq.root + QStringLiteral("Config/fileio_ledger.txt"); }
    QString log_path() const override { return acq.core->log_file_path(); }
    ImportSettings settings() const override { return store->settings(); }
    bool running() const override { return running_flag; }
    void print(const QString& text) override { console << text; }
    void record_imported() override {
        ++records_imported;
        if (records_imported == stop_after) running_flag = false;
        acq.clock.advance(ms_per_record);
        if (on_record) on_record(records_imported);
    }
    void records_added() override { ++notices; }
    RecordSink& records() override { return acq.log(); }

    CoreRig acq;
    std::unique_ptr<ImportStore> store;
    std::unique_ptr<FolderImport> import;
    bool running_flag = true;
    int stop_after = -1;                 // the record after which the flag is cleared
    int ms_per_record = 0;               // virtual time each record takes
    std::function<void(int)> on_record;  // after each record, with the records so far
    int records_imported = 0;
    int notices = 0;  // the windows told
    QStringList console;
};
