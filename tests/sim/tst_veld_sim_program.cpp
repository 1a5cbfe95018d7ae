// veld-sim end to end: the real program on a pseudo-terminal, found through the workspace's
// Ports/COM<n> link and talked to with plain termios, as the recorder's port does.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString kExampleConfig = QStringLiteral(VELD_SOURCE_DIR "/examples/workspace/sim.conf");

QString simulator_path() {
    return qEnvironmentVariable("VELD_SIM");
}

// A running veld-sim; terminated (SIGTERM) when the test is done with it.
class RunningSim {
  public:
    explicit RunningSim(const QStringList& arguments) {
        process.start(simulator_path(), arguments);
        started = process.waitForStarted(10000);
        // The ready line comes once the link exists; wait for a whole line.
        while (started && !process.canReadLine() && process.state() == QProcess::Running)
            process.waitForReadyRead(10000);
        ready_line = QString::fromUtf8(process.readLine()).trimmed();
    }
    ~RunningSim() {
        if (process.state() != QProcess::NotRunning) {
            process.terminate();
            process.waitForFinished(10000);
        }
    }
    // Stops with SIGTERM and returns the exit code (-1 when it did not stop normally).
    int stop() {
        process.terminate();
        if (!process.waitForFinished(10000) || process.exitStatus() != QProcess::NormalExit) return -1;
        return process.exitCode();
    }

    QProcess process;
    bool started = false;
    QString ready_line;
};

// The port as a recorder opens it: raw, 1200 baud, non-blocking.
int open_port(const QString& path) {
    const int fd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return fd;
    termios settings{};
    ::tcgetattr(fd, &settings);
    ::cfmakeraw(&settings);
    ::cfsetispeed(&settings, B1200);
    ::cfsetospeed(&settings, B1200);
    ::tcsetattr(fd, TCSANOW, &settings);
    return fd;
}

// Reads up to and including the first LF, giving up after `limit_ms` without one.
QByteArray read_line(int fd, int limit_ms) {
    QByteArray line;
    QElapsedTimer waited;
    waited.start();
    while (!line.endsWith('\n') && waited.elapsed() < limit_ms) {
        pollfd watched{fd, POLLIN, 0};
        if (::poll(&watched, 1, 50) <= 0) continue;
        char byte = 0;
        while (::read(fd, &byte, 1) == 1) {
            line.append(byte);
            if (byte == '\n') break;
        }
    }
    return line;
}

QByteArray ask(int fd, const QByteArray& command) {
    if (::write(fd, command.constData(), size_t(command.size())) != command.size()) return "write failed";
    return read_line(fd, 5000);
}

}  // namespace

class VeldSimProgramTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void identifyCommandComesBackAsEchoAndAnswerInOneLine();
    void rs485ModeEchoesThePercentPrefix();
    void measurementValuesComeFromTheConfiguredPattern();
    void readyFileHoldsTheReadyLine();
    void staleLinkIsReplacedAndRemovedOnExit();
    void faultOptionAppliesToAllSensors();
    void usr1SwitchesTheFaultsOffAndOn();
    void helpExplainsOptionsConfigurationAndFaults();
    void configurationMistakeStopsWithItsLine();
};

void VeldSimProgramTest::initTestCase() {
    QVERIFY2(!simulator_path().isEmpty(), "VELD_SIM is not set");
    QVERIFY2(QFileInfo(simulator_path()).isExecutable(), qPrintable(simulator_path()));
}

void VeldSimProgramTest::identifyCommandComesBackAsEchoAndAnswerInOneLine() {
    QTemporaryDir workspace;
    RunningSim sim({"--workspace", workspace.path(), "--port", "7", "--config", kExampleConfig});
    QVERIFY(sim.started);
    const QString link = workspace.filePath("Ports/COM7");
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(sim.ready_line, "veld-sim: COM7 -> " + QFileInfo(link).symLinkTarget());
    const int fd = open_port(link);
    QVERIFY(fd >= 0);
    QCOMPARE(ask(fd, "0I!"), QByteArray("0I!013VELDINSTTH100 100SN0001\r\n"));
    QCOMPARE(ask(fd, "3I!"), QByteArray("3I!313VELDINSTWIND20100SN0003\r\n"));
    ::close(fd);
    // The recorder closes and opens its port again: the simulator stays usable.
    const int again = open_port(link);
    QVERIFY(again >= 0);
    QCOMPARE(ask(again, "1!"), QByteArray("1!1\r\n"));
    ::close(again);
    QCOMPARE(sim.stop(), 0);
}

void VeldSimProgramTest::rs485ModeEchoesThePercentPrefix() {
    QTemporaryDir workspace;
    RunningSim sim({"--workspace", workspace.path(), "--port", "3", "--rs485"});
    QVERIFY(sim.started);
    const int fd = open_port(workspace.filePath("Ports/COM3"));
    QVERIFY(fd >= 0);
    QCOMPARE(ask(fd, "%1I!"), QByteArray("%1I!113VELDINSTRAIN10100SN0002\r\n"));
    ::close(fd);
}

void VeldSimProgramTest::measurementValuesComeFromTheConfiguredPattern() {
    QTemporaryDir workspace;
    QFile config(workspace.filePath("quick.conf"));
    QVERIFY(config.open(QIODevice::WriteOnly));
    config.write("[sensor]\naddress = 5\nm_seconds = 0\nc_seconds = 1\nvalues = ramp(1.5, 0.5)\n");
    config.close();
    RunningSim sim({"--workspace", workspace.path(), "--config", config.fileName()});
    QVERIFY(sim.started);
    const int fd = open_port(workspace.filePath("Ports/COM2"));
    QVERIFY(fd >= 0);
    QCOMPARE(ask(fd, "5M!"), QByteArray("5M!50001\r\n"));
    QCOMPARE(ask(fd, "5D0!"), QByteArray("5D0!5+1.5\r\n"));
    QCOMPARE(ask(fd, "5C!"), QByteArray("5C!500101\r\n"));
    QCOMPARE(ask(fd, "5D0!"), QByteArray("5D0!5+2.0\r\n"));
    ::close(fd);
}

void VeldSimProgramTest::readyFileHoldsTheReadyLine() {
    QTemporaryDir workspace;
    const QString ready = workspace.filePath("ready.txt");
    RunningSim sim({"--workspace", workspace.path(), "--port", "12", "--ready-file", ready});
    QVERIFY(sim.started);
    QFile file(ready);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(file.readAll()).trimmed(), sim.ready_line);
    QVERIFY(sim.ready_line.startsWith("veld-sim: COM12 -> /dev/"));
}

void VeldSimProgramTest::staleLinkIsReplacedAndRemovedOnExit() {
    QTemporaryDir workspace;
    QVERIFY(QDir(workspace.path()).mkpath("Ports"));
    const QString link = workspace.filePath("Ports/COM4");
    QVERIFY(QFile::link("/nonexistent/pts/99", link));
    {
        RunningSim sim({"--workspace", workspace.path(), "--port", "4"});
        QVERIFY(sim.started);
        const QString target = QFileInfo(link).symLinkTarget();
        QVERIFY(target.startsWith("/dev/"));
        QCOMPARE(sim.ready_line, "veld-sim: COM4 -> " + target);
        QCOMPARE(sim.stop(), 0);
    }
    QVERIFY(!QFileInfo(link).isSymLink());
    QVERIFY(!QFileInfo::exists(link));
}

void VeldSimProgramTest::faultOptionAppliesToAllSensors() {
    QTemporaryDir workspace;
    RunningSim sim({"--workspace", workspace.path(), "--fault", "other-address", "--other-address", "9"});
    QVERIFY(sim.started);
    const int fd = open_port(workspace.filePath("Ports/COM2"));
    QVERIFY(fd >= 0);
    QCOMPARE(ask(fd, "3I!"), QByteArray("913VELDINSTWIND20100SN0003\r\n"));
    QCOMPARE(ask(fd, "0!"), QByteArray("9\r\n"));
    ::close(fd);
}

void VeldSimProgramTest::usr1SwitchesTheFaultsOffAndOn() {
    QTemporaryDir workspace;
    RunningSim sim({"--workspace", workspace.path(), "--fault", "other-address", "--other-address", "8"});
    QVERIFY(sim.started);
    const int fd = open_port(workspace.filePath("Ports/COM2"));
    QVERIFY(fd >= 0);
    QCOMPARE(ask(fd, "0!"), QByteArray("8\r\n"));
    // The signal is taken before the simulator reads again, so the next command sees it.
    QCOMPARE(::kill(pid_t(sim.process.processId()), SIGUSR1), 0);
    QCOMPARE(ask(fd, "0!"), QByteArray("0!0\r\n"));
    QCOMPARE(::kill(pid_t(sim.process.processId()), SIGUSR1), 0);
    QCOMPARE(ask(fd, "0!"), QByteArray("8\r\n"));
    ::close(fd);
}

void VeldSimProgramTest::helpExplainsOptionsConfigurationAndFaults() {
    QProcess help;
    help.start(simulator_path(), {"--help"});
    QVERIFY(help.waitForFinished(10000));
    QCOMPARE(help.exitCode(), 0);
    const QString text = QString::fromUtf8(help.readAllStandardOutput());
    for (const char* expected :
         {"--workspace", "--port", "--config", "--rs485", "--log", "--ready-file", "--fault", "[sensor]",
          "values =", "ramp(", "cycle(", "option.NAME", "silent", "late", "garbage-only", "long-line",
          "other-address", "Ports/COM<N>", "8.33 ms"})
        QVERIFY2(text.contains(QLatin1String(expected)), expected);
}

void VeldSimProgramTest::configurationMistakeStopsWithItsLine() {
    QTemporaryDir workspace;
    QFile config(workspace.filePath("bad.conf"));
    QVERIFY(config.open(QIODevice::WriteOnly));
    config.write("[sensor]\naddress = 0\nfault = sometimes\n");
    config.close();
    QProcess sim;
    sim.start(simulator_path(), {"--workspace", workspace.path(), "--config", config.fileName()});
    QVERIFY(sim.waitForFinished(10000));
    QCOMPARE(sim.exitCode(), 2);
    QVERIFY(
        QString::fromUtf8(sim.readAllStandardError()).contains("bad.conf:3: unknown fault \"sometimes\""));
    QVERIFY(!QFileInfo::exists(workspace.filePath("Ports/COM2")));
}

QTEST_GUILESS_MAIN(VeldSimProgramTest)
#include "tst_veld_sim_program.moc"
