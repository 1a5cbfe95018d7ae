// A backlog of 100,000 records in one file of the import folder, imported by one scan through a
// real acquisition core that writes the log, in real time: the windows are told as the import
// worker tells them (at most five times a second). Reports records per second.
#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "core/sdi12_core.h"
#include "devices/device_list.h"
#include "fileio/folder_import.h"
#include "fileio/import_services.h"
#include "fileio/import_store.h"
#include "link/clock.h"
#include "link/memory_serial_link.h"
#include "tests/bare_core.h"
#include "variables/column_list.h"

namespace {

constexpr int kRecords = 100000;

// A workspace with the import enabled and the import's owner as the station makes it.
// Thread: the benchmark's.
struct ImportBench final : ImportServices {
    ImportBench() : link(clock) {
        root = dir.path() + QStringLiteral("/");
        for (const char* sub : {"Config", "Devices", "LOG", "Import"})
            QDir().mkpath(root + QLatin1String(sub));
        bare = std::make_unique<BareCore>(columns, devices, link, clock, root);
        core = &bare->core;
        CoreSettings s = core->settings();
        s.filename = QStringLiteral("bench.csv");
        core->set_settings(s);
        columns.set_formula(5, QStringLiteral("=D*1.8+32"));
        store = std::make_unique<ImportStore>(root + QStringLiteral("Config/fileio.xml"), root + "Import/");
        store->set_values({{ImportSettings::kEnabled, QStringLiteral("1")}});
        QByteArray text = "Record,Date,Time,Air,RH\n";
        for (int i = 1; i <= kRecords; ++i)
            text += QByteArray::number(i) + ",2026-12-07,10:00:00," + QByteArray::number(i % 97) + ".25," +
                    QByteArray::number(i % 61) + ".5\n";
        QFile f(root + QStringLiteral("Import/backlog.csv"));
        if (!f.open(QIODevice::WriteOnly)) qFatal("cannot write the import file");
        f.write(text);
    }
    ~ImportBench() override { core->shut_down(); }

    ImportSettings settings() const override { return store->settings(); }
    QString ledger_path() const override { return root + QStringLiteral("Config/fileio_ledger.txt"); }
    QString log_path() const override { return core->log_file_path(); }
    bool running() const override { return true; }
    void print(const QString&) override {}
    void record_imported() override {}
    void records_added() override { ++notices; }
    RecordSink& records() override { return bare->log; }

    QTemporaryDir dir;
    QString root;
    SystemClock clock;
    MemorySerialLink link;
    ColumnList columns;
    DeviceList devices;
    std::unique_ptr<BareCore> bare;
    sdi12_core* core = nullptr;
    std::unique_ptr<ImportStore> store;
    int notices = 0;
};

void BM_ImportBacklog(benchmark::State& state) {
    int records = 0;
    int notices = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto bench = std::make_unique<ImportBench>();
        FolderImport import(bench->clock, *bench);
        state.ResumeTiming();
        records = import.scan();
        state.PauseTiming();
        notices = bench->notices;
        bench.reset();
        state.ResumeTiming();
    }
    if (records != kRecords) state.SkipWithError("not every record was imported");
    state.SetItemsProcessed(std::int64_t(state.iterations()) * records);
    state.counters["notices"] = notices;
}
BENCHMARK(BM_ImportBacklog)->Unit(benchmark::kSecond)->Iterations(3)->UseRealTime();

}  // namespace
