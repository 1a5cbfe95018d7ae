// Loading all device definitions while another thread reads the slots, as the user interface
// does while the core logs. Meant to run under ThreadSanitizer as well.
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <atomic>
#include <thread>

#include "devices/device_list.h"
#include "devices/parse_dev_cfg.h"

namespace {

constexpr int kOptions = 3;
constexpr int kEntries = 4;
constexpr int kLoads = 150;

const QByteArray kDefinition =
    "<device><main description=\"Probe\" cells=\"4\"/>"
    "<log cell=\"0\" cmd=\"aM!\"/><log title=\"A\" cmd=\"aD0!\"/><log title=\"B\"/><log title=\"C\"/>"
    "<option description=\"x\" type=\"FLOAT\"/><option description=\"y\" type=\"SELECT\"/>"
    "<select opt=\"0\" val=\"Off\"/><select opt=\"1\" val=\"On\"/><option description=\"z\" type=\"LABEL\"/>"
    "</device>";

}  // namespace

class DeviceListThreadsTest : public QObject {
    Q_OBJECT

  private slots:
    void readersSeeWholeLoadsWhileAllSlotsAreLoadedRepeatedly() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        {
            QFile file(dir.filePath("probe.xml"));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(kDefinition);
        }
        DeviceList devices;
        for (int i = 0; i < DeviceList::kSlots; i += 2)
            devices.update(i, [](idev& d) { d.definition = QStringLiteral("probe.xml"); });

        std::atomic<bool> loading{true};
        const QString folder = dir.path() + "/";
        std::thread loader([&] {
            for (int n = 0; n < kLoads; ++n) parse_dev_cfg::load_all(devices, folder);
            loading = false;
        });

        // Meanwhile the core side reads: whole snapshots, single slots and a scan-like write.
        int torn = 0;
        int reads = 0;
        int loaded_seen = 0;
        while (loading || reads == 0) {
            const auto now = devices.snapshot();
            for (int i = 0; i < DeviceList::kSlots; ++i) {
                const idev& dev = now[i];
                const int options = int(dev.options.size());
                const int entries = int(dev.log_entries.size());
                const bool unloaded = options == 0 && entries == 0;
                const bool loaded = options == kOptions && entries == kEntries && dev.cells == 4 &&
                                    dev.options[1].stored_values.size() == 2;
                if (!unloaded && !loaded) ++torn;
                if (loaded) ++loaded_seen;
                if (i % 2 == 1 && !unloaded) ++torn;  // slots without a definition are never loaded
            }
            const idev one = devices.slot(reads % DeviceList::kSlots);
            if (one.address != slot_address(reads % DeviceList::kSlots)) ++torn;
            devices.update(reads % DeviceList::kSlots, [&](idev& d) { d.scanned = reads & 1; });
            ++reads;
        }
        loader.join();

        QCOMPARE(torn, 0);
        QVERIFY(reads > 0);
        Q_UNUSED(loaded_seen);
        for (int i = 0; i < DeviceList::kSlots; ++i) {
            const idev dev = devices.slot(i);
            QCOMPARE(int(dev.options.size()), i % 2 == 0 ? kOptions : 0);
            QCOMPARE(int(dev.log_entries.size()), i % 2 == 0 ? kEntries : 0);
        }
    }
};

QTEST_GUILESS_MAIN(DeviceListThreadsTest)
#include "tst_device_list_threads.moc"
