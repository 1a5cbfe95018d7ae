// The core against the real simulator program over a pseudo-terminal, in real time.
#include <QSignalSpy>
#include <QtTest>

#include "core/sdi12_core.h"
#include "core_rig.h"
#include "sim_process.h"
#include "tests/bare_core.h"

namespace {

// Real milliseconds for the bus, a wall clock that starts at a fixed second so that record
// times are known in advance.
class PinnedWallClock final : public Clock {
  public:
    explicit PinnedWallClock(std::int64_t wall_seconds)
        : start_tick_(real_.tick_ms()), wall_start_(wall_seconds * 1000) {}
    std::int64_t tick_ms() const override { return real_.tick_ms(); }
    std::int64_t wall_ms() const override { return wall_start_ + real_.tick_ms() - start_tick_; }
    void sleep_ms(int ms) override { real_.sleep_ms(ms); }

  private:
    SystemClock real_;
    const std::int64_t start_tick_;
    const std::int64_t wall_start_;
};

const QByteArray kSensor =
    "[sensor]\naddress = 0\nid = 13VELDINSTTH100 100SN0001\nm_seconds = 1\nvalues = 21.50 45.2\n";

}  // namespace

class CoreOverPty : public QObject {
    Q_OBJECT
  private slots:
    void identifyCommandComesBackAsEchoAndAnswerInOneLine();
    void fullCycleOverThePtyWritesTheExpectedRecord();
};

void CoreOverPty::identifyCommandComesBackAsEchoAndAnswerInOneLine() {
    QTemporaryDir dir;
    const QString root = dir.path() + QStringLiteral("/");
    SimProcess sim;
    QVERIFY(sim.start(root, kSensor));
    SystemClock clock;
    std::unique_ptr<SerialLink> port = make_platform_serial_link();
    ColumnList columns;
    DeviceList devices;
    BareCore bare(columns, devices, *port, clock, root);
    sdi12_core& core = bare.core;
    QString console;
    connect(&core, &sdi12_core::printline, this, [&](const QString& t) { console += t; });
    QSignalSpy finished(&core, &sdi12_core::cmd_finnished);
    core.start();
    core.prepare_scan(0);
    core.do_cmd(QStringLiteral("0I!"));
    QVERIFY(finished.wait(5000));
    QCOMPARE(core.last_answer(), QStringLiteral("0I!013VELDINSTTH100 100SN0001\r"));
    QTRY_VERIFY(console.contains(QStringLiteral("0I!013VELDINSTTH100 100SN0001\r\r\n")));
    QVERIFY(!console.contains(QStringLiteral("File Error")));
    core.shut_down();
}

void CoreOverPty::fullCycleOverThePtyWritesTheExpectedRecord() {
    CoreRig layout;  // only for its workspace and definition writer
    SimProcess sim;
    QVERIFY(sim.start(layout.root, kSensor));
    layout.define_device(
        0, QStringLiteral("th.xml"),
        "<d><main cells=\"2\"/><log cell=\"0\" title=\"T\" cmd=\"aM!\"/><log title=\"RH\" cmd=\"WAITRESP\"/>"
        "<log cmd=\"aD0!\"/></d>",
        3);
    layout.columns.set_name(3, QStringLiteral("Air"));
    PinnedWallClock clock(utc_seconds(2026, 12, 7, 16, 14, 34));
    std::unique_ptr<SerialLink> port = make_platform_serial_link();
    BareCore bare(layout.columns, layout.devices, *port, clock, layout.root);
    sdi12_core& core = bare.core;
    CoreSettings s = core.settings();
    s.filename = QStringLiteral("test.csv");
    core.set_settings(s);
    core.rebuild_scripts();
    QSignalSpy ended(&core, &sdi12_core::end_of_log);
    core.start();
    core.set_logging(true);
    QVERIFY(ended.wait(10000));
    core.set_logging(false);
    core.shut_down();
    QCOMPARE(layout.log_file(), QByteArray("Record,Date,Time,Air,,,\n"
                                           "0,7 Dec 2026, 16:14:34,21.500000,45.200001,nan\n"));
}

QTEST_GUILESS_MAIN(CoreOverPty)
#include "tst_core_over_pty.moc"
