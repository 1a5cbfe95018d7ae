// veld-logger as a user runs it: a process over a workspace, the simulator on a pty.
#include <QProcess>
#include <QtTest>
#include <csignal>

#include "../core/sim_process.h"

namespace {

const QByteArray kTwoSensors =
    "[sensor]\naddress = 0\nid = 13VELDINSTTH100 100SN0001\nm_seconds = 0\nvalues = 21.50 45.2\n"
    "[sensor]\naddress = 3\nid = 13VELDINSTWIND20100SN0003\nm_seconds = 0\nvalues = 4.5 270\n"
    "[sensor]\naddress = 7\nid = 13QUIET\nfault = silent\n";

// A workspace under a temporary USERPROFILE, the way the program finds it.
struct LoggerWorkspace {
    LoggerWorkspace() {
        root = home.path() + QStringLiteral("/Documents/Veld/");
        for (const char* sub : {"Config", "Devices", "LOG"}) QDir().mkpath(root + QLatin1String(sub));
    }
    void write(const QString& name, const QByteArray& text) {
        QFile f(root + name);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
    QProcessEnvironment environment() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("USERPROFILE"), home.path());
        return env;
    }
    QByteArray log_file() const {
        QFile f(root + QStringLiteral("LOG/field.csv"));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QTemporaryDir home;
    QString root;
};

void configure(LoggerWorkspace& ws) {
    ws.write(QStringLiteral("Config/config.xml"),
             "<!DOCTYPE CoreConfig>\n<main>\n <config PortNo=\"2\" LogInterval=\"5\" Filename=\"field.csv\" "
             "CommMode=\"0\"/>\n"
             " <device addr=\"0\" id=\"0I!013VELDINSTTH100 100SN0001\" config=\"th.xml\" "
             "start=\"D\"/>\n</main>\n");
    ws.write(QStringLiteral("Devices/th.xml"),
             "<device><main description=\"TH\" cells=\"2\"/><log cell=\"0\" title=\"T\" cmd=\"aM!\"/>"
             "<log title=\"RH\"/><log cmd=\"aD0!\"/></device>");
    ws.write(QStringLiteral("Config/varlist.xml"),
             "<!DOCTYPE Config>\n<config>\n <var col=\"D\" name=\"Air\" units=\"C\"/>\n"
             " <var col=\"G\" name=\"AirF\" formula=\"=D*1.8+32\"/>\n</config>\n");
}

struct Run {
    int code;
    QByteArray out;
};

Run run_logger(const LoggerWorkspace& ws, const QStringList& args, int timeout_ms = 30000) {
    QProcess p;
    p.setProcessEnvironment(ws.environment());
    p.start(qEnvironmentVariable("VELD_LOGGER"), args);
    if (!p.waitForFinished(timeout_ms)) {
        p.kill();
        p.waitForFinished();
        return {-1, p.readAllStandardOutput()};
    }
    return {p.exitCode(), p.readAllStandardOutput() + p.readAllStandardError()};
}

}  // namespace

class VeldLoggerTest : public QObject {
    Q_OBJECT
  private slots:
    void argumentsAreCheckedBeforeAnythingRuns_data();
    void argumentsAreCheckedBeforeAnythingRuns();
    void scanPrintsOneLinePerAnsweringSensor();
    void scanWithoutItsPortSaysWhyAndExitsWithFive();
    void logWithCyclesEndsWithoutItsPortAndSaysSo();
    void logWithCyclesWritesThatManyRecordsAndExits();
    void cmdPrintsTheAnswerLine();
    void cmdWithoutAnswerExitsWithThree();
    void terminationFinishesTheRecordInProgress();
    void measurementLeftRunningByAnEarlierRunShiftsNoValue();
    void vanishedPortIsSaidAndRecordsResumeWhenItIsBack();
    void quietLogPrintsRecordLinesAndWarningsButNoTraffic();
    void portHeldByARunningLoggerIsRefusedWithItsNameAndPid();
};

void VeldLoggerTest::argumentsAreCheckedBeforeAnythingRuns_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("code");
    QTest::newRow("help") << QStringList{"--help"} << 0;
    QTest::newRow("no command") << QStringList{} << 2;
    QTest::newRow("quiet without command") << QStringList{"--quiet"} << 2;
    QTest::newRow("unknown command") << QStringList{"dance"} << 2;
    QTest::newRow("cycles not a number") << QStringList{"log", "--cycles", "x"} << 2;
    QTest::newRow("cycles zero") << QStringList{"log", "--cycles", "0"} << 2;
    QTest::newRow("cmd without text") << QStringList{"cmd"} << 2;
    QTest::newRow("scan with argument") << QStringList{"scan", "now"} << 2;
}

void VeldLoggerTest::argumentsAreCheckedBeforeAnythingRuns() {
    QFETCH(QStringList, args);
    QFETCH(int, code);
    LoggerWorkspace ws;
    const Run r = run_logger(ws, args);
    QCOMPARE(r.code, code);
    QVERIFY(r.out.contains("Usage: veld-logger"));
}

void VeldLoggerTest::scanPrintsOneLinePerAnsweringSensor() {
    LoggerWorkspace ws;
    SimProcess sim;
    QVERIFY(sim.start(ws.root, kTwoSensors));
    const Run r = run_logger(ws, {"scan"});
    QVERIFY2(r.code == 0, r.out.constData());
    QCOMPARE(r.out.count("scanning address "), 16);
    QVERIFY2(r.out.endsWith("\n0 0I!013VELDINSTTH100 100SN0001\n3 3I!313VELDINSTWIND20100SN0003\n"),
             r.out.constData());
}

void VeldLoggerTest::scanWithoutItsPortSaysWhyAndExitsWithFive() {
    if (QFile::exists(QStringLiteral("/dev/ttyS96"))) QSKIP("this machine has that serial device");
    LoggerWorkspace ws;
    ws.write(QStringLiteral("Config/config.xml"),
             "<!DOCTYPE CoreConfig>\n<main>\n <config PortNo=\"97\" CommMode=\"0\"/>\n</main>\n");
    const Run r = run_logger(ws, {"scan"});
    QCOMPARE(r.code, 5);
    QVERIFY2(r.out.contains("Port COM97 (/dev/ttyS96) cannot be opened: "), r.out.constData());
    QVERIFY(!r.out.contains("scanning address "));
}

void VeldLoggerTest::logWithCyclesEndsWithoutItsPortAndSaysSo() {
    if (QFile::exists(QStringLiteral("/dev/ttyS96"))) QSKIP("this machine has that serial device");
    LoggerWorkspace ws;
    ws.write(QStringLiteral("Config/config.xml"),
             "<!DOCTYPE CoreConfig>\n<main>\n <config PortNo=\"97\" LogInterval=\"1\" "
             "CommMode=\"0\"/>\n</main>\n");
    const Run r = run_logger(ws, {"log", "--cycles", "2"});
    QCOMPARE(r.code, 5);
    QCOMPARE(r.out.count("cannot be opened"), 1);
    QCOMPARE(ws.log_file(), QByteArray());
}

void VeldLoggerTest::logWithCyclesWritesThatManyRecordsAndExits() {
    LoggerWorkspace ws;
    configure(ws);
    SimProcess sim;
    QVERIFY(sim.start(ws.root, kTwoSensors));
    const Run r = run_logger(ws, {"log", "--cycles", "2"});
    QVERIFY2(r.code == 0, r.out.constData());
    QVERIFY(r.out.contains(" : Gathering Data"));
    const QList<QByteArray> lines = ws.log_file().split('\n');
    QCOMPARE(lines.size(), 4);  // header, two records, and nothing after the last line end
    QCOMPARE(lines[0], QByteArray("Record,Date,Time,Air,,,AirF,"));
    QVERIFY2(lines[1].startsWith("0,") && lines[1].endsWith(",21.500000,45.200001,nan,70.699997"),
             lines[1].constData());
    QVERIFY(lines[2].startsWith("1,"));
    QVERIFY(lines[3].isEmpty());
}

void VeldLoggerTest::cmdPrintsTheAnswerLine() {
    LoggerWorkspace ws;
    configure(ws);
    SimProcess sim;
    QVERIFY(sim.start(ws.root, kTwoSensors));
    const Run r = run_logger(ws, {"cmd", "3I!"});
    QVERIFY2(r.code == 0, r.out.constData());
    QVERIFY2(r.out.endsWith("\n3I!313VELDINSTWIND20100SN0003\n"), r.out.constData());
}

void VeldLoggerTest::cmdWithoutAnswerExitsWithThree() {
    LoggerWorkspace ws;
    configure(ws);
    SimProcess sim;
    QVERIFY(sim.start(ws.root, kTwoSensors));
    const Run r = run_logger(ws, {"cmd", "7I!"});
    QCOMPARE(r.code, 3);
}

void VeldLoggerTest::terminationFinishesTheRecordInProgress() {
    LoggerWorkspace ws;
    configure(ws);
    SimProcess sim;
    QVERIFY(sim.start(ws.root, kTwoSensors));
    QProcess p;
    p.setProcessEnvironment(ws.environment());
    p.start(qEnvironmentVariable("VELD_LOGGER"), {"log"});
    QVERIFY(p.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(ws.log_file().count('\n') >= 2, 15000);
    ::kill(pid_t(p.processId()), SIGTERM);
    QVERIFY(p.waitForFinished(10000));
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QCOMPARE(p.exitCode(), 0);
    QVERIFY(p.readAllStandardOutput().contains("Stop"));
    QVERIFY(ws.log_file().endsWith('\n'));
}

void VeldLoggerTest::measurementLeftRunningByAnEarlierRunShiftsNoValue() {
    LoggerWorkspace ws;
    configure(ws);
    ws.write(QStringLiteral("Config/config.xml"),
             "<!DOCTYPE CoreConfig>\n<main>\n <config PortNo=\"2\" LogInterval=\"5\" Filename=\"field.csv\" "
             "CommMode=\"0\"/>\n"
             " <device addr=\"0\" id=\"x\" config=\"th.xml\" start=\"D\"/>\n"
             " <device addr=\"3\" id=\"y\" config=\"wind.xml\" start=\"H\"/>\n</main>\n");
    ws.write(QStringLiteral("Devices/wind.xml"),
             "<device><main description=\"W\" cells=\"2\"/><log cell=\"0\" title=\"S\" cmd=\"aM!\"/>"
             "<log title=\"D\"/><log cmd=\"aD0!\"/></device>");
    SimProcess sim;
    QVERIFY(sim.start(ws.root,
                      "[sensor]\naddress = 0\nid = 13A\nm_seconds = 1\nvalues = 21.50 45.2\n"
                      "[sensor]\naddress = 3\nid = 13B\nm_seconds = 0\nvalues = 4.5 270\n"));
    // A measurement started by an earlier run: its service request comes while the next run talks.
    QCOMPARE(run_logger(ws, {"cmd", "0M!"}).code, 0);
    const Run r = run_logger(ws, {"log", "--cycles", "3"});
    QVERIFY2(r.code == 0, r.out.constData());
    const QList<QByteArray> lines = ws.log_file().split('\n');
    QCOMPARE(lines.size(), 5);
    for (int i = 1; i <= 3; ++i)
        QVERIFY2(lines[i].endsWith(",21.500000,45.200001,nan,70.699997,4.500000,270.000000,nan"),
                 lines[i].constData());
}

void VeldLoggerTest::vanishedPortIsSaidAndRecordsResumeWhenItIsBack() {
    LoggerWorkspace ws;
    configure(ws);  // a record every 5 s
    auto sim = std::make_unique<SimProcess>();
    QVERIFY(sim->start(ws.root, kTwoSensors));
    QProcess p;
    p.setProcessEnvironment(ws.environment());
    p.start(qEnvironmentVariable("VELD_LOGGER"), {"log"});
    QVERIFY(p.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(ws.log_file().count('\n') >= 2, 15000);
    // Ended as a pulled adapter vanishes; the simulator takes its link with it, so no other pty
    // that gets the same number meanwhile can be mistaken for it.
    sim.reset();
    QByteArray out;
    QTRY_VERIFY_WITH_TIMEOUT((out += p.readAllStandardOutput()).contains(" lost: "), 15000);
    const int after_loss = ws.log_file().count('\n');
    // At least one cycle start (every 5 s on the clock) finds the port gone.
    const qint64 next_cycle = (QDateTime::currentSecsSinceEpoch() / 5 + 1) * 5;
    QTRY_VERIFY_WITH_TIMEOUT(QDateTime::currentSecsSinceEpoch() > next_cycle, 15000);
    QCOMPARE(ws.log_file().count('\n'), after_loss);  // nothing is written while it is gone
    sim = std::make_unique<SimProcess>();
    QVERIFY(sim->start(ws.root, kTwoSensors));
    QTRY_VERIFY_WITH_TIMEOUT(ws.log_file().count('\n') >= after_loss + 1, 15000);
    ::kill(pid_t(p.processId()), SIGTERM);
    QVERIFY(p.waitForFinished(10000));
    out += p.readAllStandardOutput();
    QVERIFY2(out.count(" lost: ") == 1 && out.count(") is back") == 1, out.constData());
    QVERIFY2(!out.contains("DCB error"), out.constData());
}

void VeldLoggerTest::quietLogPrintsRecordLinesAndWarningsButNoTraffic() {
    LoggerWorkspace ws;
    configure(ws);
    // A second slot whose sensor stays silent: a warning each record.
    ws.write(QStringLiteral("Config/config.xml"),
             "<!DOCTYPE CoreConfig>\n<main>\n <config PortNo=\"2\" LogInterval=\"5\" Filename=\"field.csv\" "
             "CommMode=\"0\"/>\n"
             " <device addr=\"0\" id=\"x\" config=\"th.xml\" start=\"D\"/>\n"
             " <device addr=\"7\" id=\"y\" config=\"th.xml\" start=\"H\"/>\n</main>\n");
    SimProcess sim;
    QVERIFY(sim.start(ws.root, kTwoSensors));
    const Run r = run_logger(ws, {"--quiet", "log", "--cycles", "2"});
    QVERIFY2(r.code == 0, r.out.constData());
    QCOMPARE(ws.log_file().count('\n'), 3);
    QList<QByteArray> lines = r.out.split('\n');
    QVERIFY(lines.takeLast().isEmpty());
    int records = 0;
    int warnings = 0;
    for (const QByteArray& line : lines) {
        if (line.endsWith(" : Gathering Data"))
            ++records;
        else if (line.startsWith("no answer from 7"))
            ++warnings;
        else
            QFAIL(("neither a record nor a warning: " + line).constData());
    }
    QCOMPARE(records, 2);
    QVERIFY2(warnings >= 2, r.out.constData());
}

void VeldLoggerTest::portHeldByARunningLoggerIsRefusedWithItsNameAndPid() {
    if (!QFile::exists(QStringLiteral("/proc/locks"))) QSKIP("no /proc/locks on this system");
    LoggerWorkspace ws;
    configure(ws);
    SimProcess sim;
    QVERIFY(sim.start(ws.root, kTwoSensors));
    QProcess logging;
    logging.setProcessEnvironment(ws.environment());
    logging.start(qEnvironmentVariable("VELD_LOGGER"), {"log"});
    QVERIFY(logging.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(ws.log_file().count('\n') >= 2, 15000);  // it holds the port now
    const Run r = run_logger(ws, {"scan"});
    const qint64 pid = logging.processId();
    ::kill(pid_t(pid), SIGTERM);
    QVERIFY(logging.waitForFinished(10000));
    QCOMPARE(r.code, 5);
    const QByteArray said = "COM2 is in use by veld-logger (pid " + QByteArray::number(pid) + ")";
    QVERIFY2(r.out.contains(") cannot be opened: " + said + "\n"), r.out.constData());
    QVERIFY(!r.out.contains("scanning address "));
}

QTEST_GUILESS_MAIN(VeldLoggerTest)
#include "tst_veld_logger.moc"
