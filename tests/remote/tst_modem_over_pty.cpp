// The unattended download end to end: veld-sim's modem and remote logger on a pseudo-terminal,
// veld-logger in the "Modem" mode calling it at the scheduled time, the log read back.
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

#include "remote/dialout_settings.h"

namespace {

constexpr int kModemPort = 5;
// The "Modem" mode, logging into LOG/field.csv.
const QByteArray kModemModeConfig =
    "<!DOCTYPE CoreConfig>\n<main>\n <config PortNo=\"2\" LogInterval=\"5\" Filename=\"field.csv\" "
    "CommMode=\"2\"/>\n</main>\n";

// A workspace under a temporary USERPROFILE, the way the programs find it.
struct Workspace {
    Workspace() {
        root = home.path() + QStringLiteral("/Documents/Veld/");
        for (const char* sub : {"Config", "Devices", "LOG"}) QDir().mkpath(root + QLatin1String(sub));
    }
    bool write(const QString& name, const QByteArray& text) const {
        QFile f(root + name);
        return f.open(QIODevice::WriteOnly) && f.write(text) == text.size();
    }
    QByteArray read(const QString& name) const {
        QFile f(root + name);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QProcessEnvironment environment() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("USERPROFILE"), home.path());
        return env;
    }
    QTemporaryDir home;
    QString root;
};

// A process that is ended, if still running, when the test ends.
struct Program : QProcess {
    ~Program() override {
        if (state() == QProcess::NotRunning) return;
        terminate();
        if (!waitForFinished(3000)) kill();
        waitForFinished(1000);
    }
};

// Schedules a daily call a few seconds from now in gsmdialout.xml and a second one
// `second_after_s` later (should the program start late, that one still comes), runs veld-logger
// log --cycles `records` and returns what it printed; empty when it failed.
QByteArray run_logger_at_next_call(const Workspace& ws, int records, int second_after_s = 20) {
    const QString path = ws.root + QStringLiteral("Config/gsmdialout.xml");
    DialoutSettings s;
    read_dialout_settings(path, s);
    const QDateTime first = QDateTime::currentDateTime().addSecs(6);
    const QDateTime second = first.addSecs(second_after_s);
    s.type = DialoutSettings::kTwiceDaily;
    s.days.fill(false);
    s.days[first.date().dayOfWeek() - 1] = true;
    s.time0 = first.time();
    s.time1 = second.date() == first.date() ? second.time() : first.time();
    if (!write_dialout_settings(path, s)) return QByteArray();

    Program logger;
    logger.setProcessEnvironment(ws.environment());
    logger.start(qEnvironmentVariable("VELD_LOGGER"),
                 {QStringLiteral("log"), QStringLiteral("--cycles"), QString::number(records)});
    if (!logger.waitForFinished(90000)) return QByteArray();
    const QByteArray out = logger.readAllStandardOutput() + logger.readAllStandardError();
    if (logger.exitStatus() != QProcess::NormalExit || logger.exitCode() != 0)
        qWarning("%s", out.constData());
    return logger.exitCode() == 0 ? out : QByteArray();
}

}  // namespace

class ModemOverPtyTest : public QObject {
    Q_OBJECT
  private slots:
    void theLoggerInModemModeDownloadsTheRemoteRecordsAndTheNextRunResumes();
    void aRepeatedAndACutLineLeaveEachRecordOnceInTheLog();
};

// Starts veld-sim's modem on the workspace's port with the logger holding `records`.
bool start_modem(Program& sim, const Workspace& ws, const QString& records, const QString& faults = {}) {
    QStringList args{
        QStringLiteral("--modem"),   QStringLiteral("--workspace"), ws.root, QStringLiteral("--port"),
        QString::number(kModemPort), QStringLiteral("--records"),   records, QStringLiteral("--connect-ms"),
        QStringLiteral("300")};
    if (!faults.isEmpty()) args << QStringLiteral("--modem-fault") << faults;
    sim.start(qEnvironmentVariable("VELD_SIM"), args);
    if (!sim.waitForStarted(5000)) return false;
    for (int waited = 0; !sim.canReadLine() && waited < 5000; waited += 50) sim.waitForReadyRead(50);
    return QFileInfo::exists(ws.root + QStringLiteral("Ports/COM%1").arg(kModemPort));
}

void ModemOverPtyTest::theLoggerInModemModeDownloadsTheRemoteRecordsAndTheNextRunResumes() {
    Workspace ws;
    QVERIFY(ws.write(QStringLiteral("Config/config.xml"), kModemModeConfig));

    Program sim;
    QVERIFY(start_modem(sim, ws, QStringLiteral("1-7")));

    // Two runs of the program, each stopping after its records: the second resumes right after
    // the last record the first stored.
    DialoutSettings s;
    s.comport = kModemPort;
    s.columns = 6;
    s.record = 1;  // the logger holds 1..7: records 2..7 are new
    const QString settings_path = ws.root + QStringLiteral("Config/gsmdialout.xml");
    QVERIFY(write_dialout_settings(settings_path, s));
    const QByteArray first_run = run_logger_at_next_call(ws, 4);
    QVERIFY2(first_run.contains(">DOWNLD 1 5 6"), first_run.constData());
    const QByteArray second_run = run_logger_at_next_call(ws, 2);
    QVERIFY2(second_run.contains(">DOWNLD 5 2 6"), second_run.constData());
    for (const char* said : {"Connecting..", ">ATDT 555 555555", "HI THERE"})
        QVERIFY2(second_run.contains(said), said);

    // Each run starts its part of the log with a header line.
    QList<QByteArray> lines;
    for (const QByteArray& line : ws.read(QStringLiteral("LOG/field.csv")).split('\n'))
        if (!line.isEmpty() && !line.startsWith("Record,")) lines << line;
    QCOMPARE(lines.size(), 6);
    const QRegularExpression date_time(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d,\\d\\d:\\d\\d:\\d\\d$"));
    for (int n = 2; n <= 7; ++n) {
        const QList<QByteArray> fields = lines[n - 2].split(',');
        QCOMPARE(fields.size(), 7);
        QCOMPARE(fields[0], QByteArray::number(n));
        QVERIFY2(date_time.match(QString::fromLatin1(fields[1] + ',' + fields[2])).hasMatch(), lines[n - 2]);
        // Column k of record n holds n + (k - 3) / 4.
        for (int k = 3; k <= 6; ++k) QCOMPARE(fields[k].toDouble(), n + (k - 3) / 4.0);
    }
    read_dialout_settings(settings_path, s);
    QCOMPARE(s.record, 7);
}

void ModemOverPtyTest::aRepeatedAndACutLineLeaveEachRecordOnceInTheLog() {
    Workspace ws;
    QVERIFY(ws.write(QStringLiteral("Config/config.xml"), kModemModeConfig));
    Program sim;
    // The first call: records 1, 1 again, 2, 3, then half of 4 and the carrier drops.
    QVERIFY(start_modem(sim, ws, QStringLiteral("1-7"), QStringLiteral("repeat=1,cut-line=3")));
    DialoutSettings s;
    s.comport = kModemPort;
    s.columns = 6;
    s.record = 0;  // a new installation: the logger's first record is the first one fetched
    QVERIFY(write_dialout_settings(ws.root + QStringLiteral("Config/gsmdialout.xml"), s));

    // The second call of the run fetches the rest.
    const QByteArray out = run_logger_at_next_call(ws, 7, 12);
    QVERIFY2(out.contains("Record 1 came again: dropped"), out.constData());
    QVERIFY2(out.contains("fields not stored: the call ends; the next call goes on after record 3"),
             out.constData());
    QVERIFY2(out.contains(">DOWNLD 3 4 6"), out.constData());
    QStringList numbers;
    for (const QByteArray& line : ws.read(QStringLiteral("LOG/field.csv")).split('\n'))
        if (!line.isEmpty() && !line.startsWith("Record,"))
            numbers << QString::fromLatin1(line.split(',').value(0));
    QCOMPARE(numbers, (QStringList{"1", "2", "3", "4", "5", "6", "7"}));
}

QTEST_GUILESS_MAIN(ModemOverPtyTest)
#include "tst_modem_over_pty.moc"
