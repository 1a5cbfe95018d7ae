// The termios link on a real pseudo-terminal pair: the test holds the master side the way the
// simulator does, the link opens the slave by name.
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "core/modem_link.h"
#include "core/sensor_link.h"
#include "link/clock.h"
#include "link/posix_serial_link.h"
#include "thread_state.h"

namespace {

// A pty pair. The slave stays open here too, so the master keeps working while the link
// closes and reopens its side.
class PtyPair {
  public:
    PtyPair() {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) return;
        const char* name = ::ptsname(master_);
        if (name == nullptr) return;
        slave_name_ = name;
        slave_ = ::open(name, O_RDWR | O_NOCTTY);
    }
    ~PtyPair() { hang_up(); }
    bool valid() const { return master_ >= 0 && slave_ >= 0; }
    const std::string& slave_name() const { return slave_name_; }

    bool send(const std::string& bytes) {
        return ::write(master_, bytes.data(), bytes.size()) == ssize_t(bytes.size());
    }
    // Collects `count` bytes from the master side; gives up after a generous limit so that a
    // broken link fails the test instead of hanging it.
    std::string receive(std::size_t count) {
        std::string got;
        while (got.size() < count) {
            pollfd p{master_, POLLIN, 0};
            if (::poll(&p, 1, 10000) <= 0) break;
            char buffer[64];
            const ssize_t n = ::read(master_, buffer, std::min(sizeof buffer, count - got.size()));
            if (n <= 0) break;
            got.append(buffer, std::size_t(n));
        }
        return got;
    }
    void hang_up() {
        if (slave_ >= 0) ::close(slave_);
        if (master_ >= 0) ::close(master_);
        slave_ = master_ = -1;
    }

  private:
    int master_ = -1;
    int slave_ = -1;
    std::string slave_name_;
};

// Longer than the test program's own time limit: a wait that only ends through wake() or a
// byte either ends, or the test is stopped as hanging.
constexpr int kUnendingMs = INT_MAX;

std::string read_bytes(PosixSerialLink& link, std::size_t count) {
    std::string got;
    std::uint8_t byte;
    while (got.size() < count && link.wait_readable(kUnendingMs))
        while (got.size() < count && link.read_byte(byte)) got.push_back(char(byte));
    return got;
}

// This process's name as the kernel keeps it (the test program's, cut to 15 characters).
QString own_program_name() {
    QFile comm(QStringLiteral("/proc/self/comm"));
    return comm.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(comm.readAll()).trimmed() : QString();
}

}  // namespace

class PosixSerialLinkTest : public QObject {
    Q_OBJECT

  private slots:
    void ptyAcceptsTheSensorSettingsEveryTimeItIsOpened();
    void ptyAcceptsTheModemSettingsAsSuccess();
    void bytesCrossThePtyBothWaysUnchanged();
    void readWithNothingWaitingReturnsAtOnce();
    void waitEndsWhenAByteArrives();
    void wakeFromAnotherThreadEndsTheWait();
    void wakeEndsTheWaitWithoutAnOpenPort();
    void waitWithoutAnOpenPortEndsAtItsTimeout();
    void hungUpPeerIsNotReportedAsDataButAsAFault();
    void breakOnAPtyIsHarmless();
    void portIsNotSharedWithASecondLink();
    void refusedOpenNamesTheProcessHoldingThePort();
    void sensorLinkSaysWhichProgramHoldsItsPort();
    void modemLinkSaysWhichProgramHoldsItsPort();
    void reopeningThePortClosesTheFirstHandle();
    void missingPortReportsFileErrorWithTheSystemCode();
    void sensorLinkTalksThroughTheWorkspacePortLink();
};

void PosixSerialLinkTest::ptyAcceptsTheSensorSettingsEveryTimeItIsOpened() {
    PtyPair pty;
    QVERIFY(pty.valid());
    // Once the pty holds the raw settings (after a first run), glibc's read-back finds 8N1 where
    // 7E1 was asked for; that is the pty, not a refusal.
    for (int run = 0; run < 2; ++run) {
        PosixSerialLink link;
        const OpenResult result = link.open(pty.slave_name(), kSensorLineSettings);
        QVERIFY(result.opened);
        QVERIFY2(result.settings_ok, qPrintable(QStringLiteral("run %1").arg(run)));
        QCOMPARE(result.error_code, 0);
        QVERIFY(link.is_open());
    }
}

void PosixSerialLinkTest::ptyAcceptsTheModemSettingsAsSuccess() {
    PtyPair pty;
    QVERIFY(pty.valid());
    PosixSerialLink link;
    const OpenResult result = link.open(pty.slave_name(), kModemLineSettings);
    QVERIFY(result.opened);
    QVERIFY(result.settings_ok);
}

void PosixSerialLinkTest::bytesCrossThePtyBothWaysUnchanged() {
    PtyPair pty;
    QVERIFY(pty.valid());
    PosixSerialLink link;
    QVERIFY(link.open(pty.slave_name(), kSensorLineSettings).opened);

    // Raw mode: no CR/LF translation, no echo, 8-bit bytes through.
    const std::string out = "0M!\r\n\xB0";
    for (const char c : out) QVERIFY(link.write_byte(std::uint8_t(c)));
    QCOMPARE(QByteArray::fromStdString(pty.receive(out.size())), QByteArray::fromStdString(out));

    const std::string in = "0+1.5\r\n\xB1";
    QVERIFY(pty.send(in));
    QCOMPARE(QByteArray::fromStdString(read_bytes(link, in.size())), QByteArray::fromStdString(in));
}

void PosixSerialLinkTest::readWithNothingWaitingReturnsAtOnce() {
    PtyPair pty;
    QVERIFY(pty.valid());
    PosixSerialLink link;
    QVERIFY(link.open(pty.slave_name(), kSensorLineSettings).opened);
    std::uint8_t byte;
    QVERIFY(!link.read_byte(byte));
    QVERIFY(!link.wait_readable(0));
}

void PosixSerialLinkTest::waitEndsWhenAByteArrives() {
    PtyPair pty;
    QVERIFY(pty.valid());
    PosixSerialLink link;
    QVERIFY(link.open(pty.slave_name(), kSensorLineSettings).opened);

    // The byte comes once the wait has begun.
    const pid_t waiter = thread_state::this_thread_id();
    std::thread sensor([&pty, waiter] {
        thread_state::wait_until_asleep(waiter);
        pty.send("0");
    });
    const bool readable = link.wait_readable(kUnendingMs);
    sensor.join();
    QVERIFY(readable);
    std::uint8_t byte = 0;
    QVERIFY(link.read_byte(byte));
    QCOMPARE(byte, std::uint8_t('0'));
}

// Waits without end while another thread calls wake() once the wait has begun; returns what the
// wait said.
static bool wait_woken_from_another_thread(PosixSerialLink& link) {
    const pid_t waiter = thread_state::this_thread_id();
    std::thread waker([&link, waiter] {
        thread_state::wait_until_asleep(waiter);
        link.wake();
    });
    const bool readable = link.wait_readable(kUnendingMs);
    waker.join();
    return readable;
}

void PosixSerialLinkTest::wakeFromAnotherThreadEndsTheWait() {
    PtyPair pty;
    QVERIFY(pty.valid());
    PosixSerialLink link;
    QVERIFY(link.open(pty.slave_name(), kSensorLineSettings).opened);

    QVERIFY(!wait_woken_from_another_thread(link));
}

void PosixSerialLinkTest::wakeEndsTheWaitWithoutAnOpenPort() {
    PosixSerialLink link;
    QVERIFY(!wait_woken_from_another_thread(link));
}

void PosixSerialLinkTest::waitWithoutAnOpenPortEndsAtItsTimeout() {
    PosixSerialLink link;
    QVERIFY(!link.is_open());
    QVERIFY(!link.wait_readable(20));
}

void PosixSerialLinkTest::hungUpPeerIsNotReportedAsDataButAsAFault() {
    PtyPair pty;
    QVERIFY(pty.valid());
    PosixSerialLink link;
    QVERIFY(link.open(pty.slave_name(), kSensorLineSettings).opened);
    QVERIFY(link.fault().empty());
    pty.hang_up();
    // The slave now polls as hung up for ever; a caller looping on the wait must not be told
    // that data is waiting, or it would spin.
    QVERIFY(!link.wait_readable(20));
    std::uint8_t byte;
    QVERIFY(!link.read_byte(byte));
    QVERIFY(!link.fault().empty());
}

void PosixSerialLinkTest::breakOnAPtyIsHarmless() {
    PtyPair pty;
    QVERIFY(pty.valid());
    PosixSerialLink link;
    QVERIFY(link.open(pty.slave_name(), kSensorLineSettings).opened);
    link.set_break(true);
    link.set_break(false);
    QVERIFY(link.write_byte('!'));
    // A break cannot cross a pty: the peer sees only the byte.
    QCOMPARE(QByteArray::fromStdString(pty.receive(1)), QByteArray("!"));
}

void PosixSerialLinkTest::portIsNotSharedWithASecondLink() {
    PtyPair pty;
    QVERIFY(pty.valid());
    PosixSerialLink first;
    QVERIFY(first.open(pty.slave_name(), kSensorLineSettings).opened);
    PosixSerialLink second;
    const OpenResult refused = second.open(pty.slave_name(), kSensorLineSettings);
    QVERIFY(!refused.opened);
    QCOMPARE(refused.error_code, EBUSY);
    QVERIFY(!second.is_open());

    first.close();
    QVERIFY(second.open(pty.slave_name(), kSensorLineSettings).opened);
}

void PosixSerialLinkTest::refusedOpenNamesTheProcessHoldingThePort() {
    if (!QFile::exists(QStringLiteral("/proc/locks"))) QSKIP("no /proc/locks on this system");
    PtyPair pty;
    QVERIFY(pty.valid());
    PosixSerialLink first;
    QVERIFY(first.open(pty.slave_name(), kSensorLineSettings).opened);
    PosixSerialLink second;
    const OpenResult refused = second.open(pty.slave_name(), kSensorLineSettings);
    // Two links of one process hold the port as two processes would: the holder is this one.
    QCOMPARE(refused.holder_pid, int(::getpid()));
    QCOMPARE(QString::fromStdString(refused.holder_program), own_program_name());
    QCOMPARE(port_in_use_text(3, refused),
             "COM3 is in use by " + refused.holder_program + " (pid " + std::to_string(::getpid()) + ")");

    first.close();
    const OpenResult taken = second.open(pty.slave_name(), kSensorLineSettings);
    QVERIFY(taken.opened);
    QCOMPARE(taken.holder_pid, 0);
    QCOMPARE(port_in_use_text(3, taken), std::string());
}

void PosixSerialLinkTest::sensorLinkSaysWhichProgramHoldsItsPort() {
    if (!QFile::exists(QStringLiteral("/proc/locks"))) QSKIP("no /proc/locks on this system");
    PtyPair pty;
    QVERIFY(pty.valid());
    QTemporaryDir workspace;
    QVERIFY(workspace.isValid());
    QVERIFY(QDir(workspace.path()).mkdir("Ports"));
    QVERIFY(QFile::link(QString::fromStdString(pty.slave_name()), workspace.filePath("Ports/COM3")));
    const std::string root = workspace.path().toStdString() + "/";
    PosixSerialLink holder;
    QVERIFY(holder.open(port_device_name(3, root), kSensorLineSettings).opened);

    PosixSerialLink port;
    ManualClock clock;
    QString console;
    SensorLink link(port, clock, [&console](const QString& t, bool raw) { console += raw ? t : t + "\r\n"; });
    link.open_port(3, root);
    const QString in_use = QString("COM3 is in use by %1 (pid %2)").arg(own_program_name()).arg(::getpid());
    QVERIFY2(console.endsWith(QString("Port COM3 (%1) cannot be opened: %2\r\n")
                                  .arg(QString::fromStdString(port_device_name(3, root)), in_use)),
             qPrintable(console));
    QVERIFY(link.lost());
    QCOMPARE(link.loss_reason(), in_use);
}

void PosixSerialLinkTest::modemLinkSaysWhichProgramHoldsItsPort() {
    if (!QFile::exists(QStringLiteral("/proc/locks"))) QSKIP("no /proc/locks on this system");
    PtyPair pty;
    QVERIFY(pty.valid());
    QTemporaryDir workspace;
    QVERIFY(workspace.isValid());
    QVERIFY(QDir(workspace.path()).mkdir("Ports"));
    QVERIFY(QFile::link(QString::fromStdString(pty.slave_name()), workspace.filePath("Ports/COM4")));
    const std::string root = workspace.path().toStdString() + "/";
    PosixSerialLink holder;
    QVERIFY(holder.open(port_device_name(4, root), kModemLineSettings).opened);

    PosixSerialLink port;
    QString console;
    ModemLink link(port, [&console](const QString& t, bool raw) { console += raw ? t : t + "\r\n"; });
    link.open_port(4, root);
    QVERIFY(!link.is_open());
    QVERIFY2(console.endsWith(
                 QString("COM4 is in use by %1 (pid %2)\r\n").arg(own_program_name()).arg(::getpid())),
             qPrintable(console));
}

void PosixSerialLinkTest::reopeningThePortClosesTheFirstHandle() {
    PtyPair pty;
    QVERIFY(pty.valid());
    PosixSerialLink link;
    QVERIFY(link.open(pty.slave_name(), kSensorLineSettings).opened);
    // Were the first handle still open, its lock would refuse the second open.
    QVERIFY(link.open(pty.slave_name(), kSensorLineSettings).opened);
    QVERIFY(link.write_byte('x'));
    QCOMPARE(QByteArray::fromStdString(pty.receive(1)), QByteArray("x"));
}

void PosixSerialLinkTest::missingPortReportsFileErrorWithTheSystemCode() {
    QTemporaryDir workspace;
    QVERIFY(workspace.isValid());
    const std::string root = workspace.path().toStdString() + "/";
    const std::string device = port_device_name(97, root);
    if (QFile::exists(QString::fromStdString(device))) QSKIP("this machine has that serial device");

    PosixSerialLink port;
    ManualClock clock;
    QString console;
    SensorLink link(port, clock, [&console](const QString& t, bool raw) { console += raw ? t : t + "\r\n"; });
    link.open_port(97, root);
    const QString said =
        QString(
            "File Error %1\r\nDCB error\r\nPort COM97 (%2) cannot be opened: %3 (is the "
            "adapter plugged in?)\r\n")
            .arg(ENOENT)
            .arg(QString::fromStdString(device), QString::fromLocal8Bit(std::strerror(ENOENT)));
    QCOMPARE(console, said);
    QVERIFY(!link.is_open());
    link.read_step();
    QCOMPARE(console, said);
}

void PosixSerialLinkTest::sensorLinkTalksThroughTheWorkspacePortLink() {
    PtyPair pty;
    QVERIFY(pty.valid());
    QTemporaryDir workspace;
    QVERIFY(workspace.isValid());
    QVERIFY(QDir(workspace.path()).mkdir("Ports"));
    QVERIFY(QFile::link(QString::fromStdString(pty.slave_name()), workspace.filePath("Ports/COM5")));

    PosixSerialLink port;
    ManualClock clock;
    QString console;
    SensorLink link(port, clock, [&console](const QString& t, bool raw) { console += raw ? t : t + "\r\n"; });
    link.open_port(5, workspace.path().toStdString() + "/");
    QVERIFY(link.is_open());
    QCOMPARE(console, QString());  // the pty ignores 7E1 silently: nothing to report

    link.send_command("0I!\r\n", CommMode::Rs485);
    QCOMPARE(QByteArray::fromStdString(pty.receive(4)), QByteArray("%0I!"));

    // The interface echoes the command; the parity bit arrives in bit 7 on a pty.
    QVERIFY(pty.send("0I!\xB0\xB1\xB3\r\n"));
    while (link.line_counter() == 0 && link.wait_readable(kUnendingMs)) link.read_step();
    QCOMPARE(link.line_counter(), 1);
    QCOMPARE(link.complete_line(), QByteArray("0I!013\r"));
    QCOMPARE(console, QString("0I!013\r\r\n"));
}

QTEST_GUILESS_MAIN(PosixSerialLinkTest)
#include "tst_posix_serial_link.moc"
