// The two link profiles over an in-memory port in virtual time: wake-up framing, line assembly,
// overflow and error reports; and the port names.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <cerrno>

#include "core/modem_link.h"
#include "core/sensor_link.h"
#include "link/clock.h"
#include "link/memory_serial_link.h"

namespace {

// Collects what a link prints, the way the console shows it.
struct Console {
    QString text;
    std::function<void(const QString&, bool)> printer() {
        return [this](const QString& t, bool raw) { text += raw ? t : t + QStringLiteral("\r\n"); };
    }
};

using Event = MemorySerialLink::Event;

QString q(const std::string& text) {
    return QString::fromStdString(text);
}

struct SensorRig {
    ManualClock clock;
    MemorySerialLink port{clock};
    Console console;
    SensorLink link{port, clock, console.printer()};

    SensorRig() {
        clock.advance(5000);
        link.open_port(2, "/nonexistent-workspace/");
    }
    void read_all() {
        while (port.pending_input() > 0) link.read_step();
    }
};

struct ModemRig {
    ManualClock clock;
    MemorySerialLink port{clock};
    Console console;
    ModemLink link{port, console.printer()};

    ModemRig() { link.open_port(3, "/nonexistent-workspace/"); }
    void read_all() {
        while (port.pending_input() > 0) link.read_step();
    }
};

}  // namespace

class LinkProfilesTest : public QObject {
    Q_OBJECT

  private slots:
    void windowsPortNamesUseTheDeviceNamespaceFromTen_data();
    void windowsPortNamesUseTheDeviceNamespaceFromTen();
    void workspacePortLinkIsPreferredWhenItExists();
    void danglingWorkspaceLinkFallsBackToTheSerialDevice();

    void sensorPortOpensWithSdi12LineSettings();
    void sdi12CommandIsWokenByATwelveMillisecondBreak();
    void rs485CommandIsPrefixedWithPercentAfterAPause();
    void commandStopsAtTheFirstLineEnd_data();
    void commandStopsAtTheFirstLineEnd();
    void answerLineEndsAtLineFeedAndKeepsCarriageReturn();
    void echoedCommandAndAnswerMakeOneLine();
    void partialLineOverflowsOnlyBeyond250Characters_data();
    void partialLineOverflowsOnlyBeyond250Characters();
    void highBitIsMaskedOff();
    void breakHeardAsNulNeverReachesTheLine();
    void aPortThatCannotBeOpenedIsSaidWithItsReasonAndIsLost_data();
    void aPortThatCannotBeOpenedIsSaidWithItsReasonAndIsLost();
    void refusedSettingsReportDcbError();
    void countersResetTogether();

    void modemPortOpensWith9600EightNoParity();
    void negativeModemPortNumberClosesThePort();
    void modemTextIsWrittenWholeWithoutWakeUp();
    void modemLineEndsAtCarriageReturnOrLineFeed();
    void emptyModemLinesAreDropped();
    void modemBytesKeepTheirHighBit();
    void modemPartialLineOverflowsOnlyBeyond8190Characters_data();
    void modemPartialLineOverflowsOnlyBeyond8190Characters();
};

void LinkProfilesTest::windowsPortNamesUseTheDeviceNamespaceFromTen_data() {
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("name");
    QTest::newRow("first") << 1 << "COM1:";
    QTest::newRow("last short name") << 9 << "COM9:";
    QTest::newRow("first namespace name") << 10 << "\\\\.\\COM10";
    QTest::newRow("highest offered") << 98 << "\\\\.\\COM98";
}

void LinkProfilesTest::windowsPortNamesUseTheDeviceNamespaceFromTen() {
    QFETCH(int, port);
    QFETCH(QString, name);
    QCOMPARE(q(windows_port_name(port)), name);
}

void LinkProfilesTest::workspacePortLinkIsPreferredWhenItExists() {
#ifdef _WIN32
    QSKIP("Windows names ports by number only");
#else
    QTemporaryDir workspace;
    QVERIFY(workspace.isValid());
    const std::string root = workspace.path().toStdString() + "/";
    QCOMPARE(q(port_device_name(3, root)), QString("/dev/ttyS2"));

    QVERIFY(QDir(workspace.path()).mkdir("Ports"));
    QFile target(workspace.filePath("pty-stand-in"));
    QVERIFY(target.open(QIODevice::WriteOnly));
    target.close();
    QVERIFY(QFile::link(target.fileName(), workspace.filePath("Ports/COM3")));

    QCOMPARE(q(port_device_name(3, root)), q(root + "Ports/COM3"));
    QCOMPARE(q(port_device_name(4, root)), QString("/dev/ttyS3"));
    QCOMPARE(q(port_device_name(12, root)), QString("/dev/ttyS11"));
#endif
}

void LinkProfilesTest::danglingWorkspaceLinkFallsBackToTheSerialDevice() {
#ifdef _WIN32
    QSKIP("Windows names ports by number only");
#else
    // A simulator that ended without tidying up must not hide a real port.
    QTemporaryDir workspace;
    QVERIFY(workspace.isValid());
    QVERIFY(QDir(workspace.path()).mkdir("Ports"));
    QVERIFY(QFile::link(workspace.filePath("gone"), workspace.filePath("Ports/COM2")));
    QCOMPARE(q(port_device_name(2, workspace.path().toStdString() + "/")), QString("/dev/ttyS1"));
#endif
}

void LinkProfilesTest::sensorPortOpensWithSdi12LineSettings() {
    SensorRig rig;
    QVERIFY(rig.link.is_open());
    QCOMPARE(q(rig.port.opened_names().back()), q(port_device_name(2, "/nonexistent-workspace/")));
    const LineSettings s = rig.port.last_settings();
    QCOMPARE(s.baud, 1200);
    QCOMPARE(s.data_bits, 7);
    QVERIFY(s.even_parity);
    QVERIFY(s.parity_check);
    QVERIFY(!s.transparent);
    QCOMPARE(rig.console.text, QString());
}

void LinkProfilesTest::sdi12CommandIsWokenByATwelveMillisecondBreak() {
    SensorRig rig;
    const std::int64_t t = rig.clock.tick_ms();
    rig.link.send_command("0M!\r\n", CommMode::Sdi12);

    const std::vector<Event> events = rig.port.events();
    QCOMPARE(events.size(), std::size_t(5));
    QCOMPARE(events[0].kind, Event::BreakOn);
    QCOMPARE(events[0].at_ms, t);
    QCOMPARE(events[1].kind, Event::BreakOff);
    QCOMPARE(events[1].at_ms, t + 12);
    const char expected[] = "0M!";
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(events[2 + i].kind, Event::Byte);
        QCOMPARE(events[2 + i].byte, std::uint8_t(expected[i]));
        QCOMPARE(events[2 + i].at_ms, t + 24);
    }
}

void LinkProfilesTest::rs485CommandIsPrefixedWithPercentAfterAPause() {
    SensorRig rig;
    const std::int64_t t = rig.clock.tick_ms();
    rig.link.send_command("0M!\r\n", CommMode::Rs485);

    const std::vector<Event> events = rig.port.events();
    QCOMPARE(events.size(), std::size_t(4));
    const char expected[] = "%0M!";
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(events[i].kind, Event::Byte);  // no break at all
        QCOMPARE(events[i].byte, std::uint8_t(expected[i]));
        QCOMPARE(events[i].at_ms, t + 12);
    }
}

void LinkProfilesTest::commandStopsAtTheFirstLineEnd_data() {
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QByteArray>("sent");
    QTest::newRow("CR LF, SDI-12") << QByteArray("0M!\r\n") << 0 << QByteArray("0M!");
    QTest::newRow("no line end") << QByteArray("0D0!") << 0 << QByteArray("0D0!");
    QTest::newRow("LF then more") << QByteArray("0D0!\nXYZ") << 0 << QByteArray("0D0!");
    QTest::newRow("CR first") << QByteArray("\r0M!") << 0 << QByteArray();
    QTest::newRow("CR LF, RS485") << QByteArray("aI!\r\n") << 1 << QByteArray("%aI!");
    QTest::newRow("empty, RS485") << QByteArray() << 1 << QByteArray("%");
}

void LinkProfilesTest::commandStopsAtTheFirstLineEnd() {
    QFETCH(QByteArray, command);
    QFETCH(int, mode);
    QFETCH(QByteArray, sent);
    SensorRig rig;
    rig.link.send_command(command, static_cast<CommMode>(mode));
    QCOMPARE(QByteArray::fromStdString(rig.port.written()), sent);
}

void LinkProfilesTest::answerLineEndsAtLineFeedAndKeepsCarriageReturn() {
    SensorRig rig;
    rig.port.feed("0+1.5\r\n");
    const int lines_before = rig.link.line_counter();
    rig.read_all();
    QCOMPARE(rig.link.line_counter(), lines_before + 1);
    QCOMPARE(rig.link.complete_line(), QByteArray("0+1.5\r"));
    QCOMPARE(rig.link.partial_line(), QByteArray());
    QCOMPARE(rig.link.byte_counter(), 6);
    // Every byte is mirrored alone, the LF as a line end.
    QCOMPARE(rig.console.text, QString("0+1.5\r\r\n"));
}

void LinkProfilesTest::echoedCommandAndAnswerMakeOneLine() {
    SensorRig rig;
    rig.port.feed("0D0!0+1.25+3.5\r\n");
    rig.read_all();
    QCOMPARE(rig.link.complete_line(), QByteArray("0D0!0+1.25+3.5\r"));
    QCOMPARE(rig.link.line_counter(), 1);
}

void LinkProfilesTest::partialLineOverflowsOnlyBeyond250Characters_data() {
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("overflows");
    QTest::newRow("250 fit") << 250 << false;
    QTest::newRow("251 overflow") << 251 << true;
}

void LinkProfilesTest::partialLineOverflowsOnlyBeyond250Characters() {
    QFETCH(int, length);
    QFETCH(bool, overflows);
    SensorRig rig;
    rig.port.feed(std::string(std::size_t(length), 'x'));
    rig.read_all();
    QCOMPARE(rig.link.partial_line().size(), length);
    rig.console.text.clear();

    rig.link.read_step();  // nothing waiting: only the overflow check runs
    QCOMPARE(rig.console.text, overflows ? QString("Input Overflow Error\r\n") : QString());
    QCOMPARE(rig.link.partial_line().size(), overflows ? 0 : length);

    // A line that fits ends normally; after an overflow the next line starts from nothing.
    rig.port.feed(overflows ? "ab\n" : "\n");
    rig.read_all();
    QCOMPARE(rig.link.complete_line(), overflows ? QByteArray("ab") : QByteArray(length, 'x'));
    QCOMPARE(rig.link.line_counter(), 1);
}

void LinkProfilesTest::highBitIsMaskedOff() {
    SensorRig rig;
    // "0+1" CR LF as a pty hands it through: 7E1 parity left in bit 7 of some bytes.
    rig.port.feed(std::string{'\xB0', '+', '\xB1', '\x8D', '\x8A'});
    rig.read_all();
    QCOMPARE(rig.link.complete_line(), QByteArray("0+1\r"));
    QCOMPARE(rig.link.line_counter(), 1);
    QCOMPARE(rig.console.text, QString("0+1\r\r\n"));
}

void LinkProfilesTest::breakHeardAsNulNeverReachesTheLine() {
    SensorRig rig;
    // A single-wire interface hears its own wake-up break; a driver that hands it on gives a NUL.
    rig.port.feed(
        std::string("\0"
                    "0D0!0+1.5\r\n",
                    12));
    rig.read_all();
    QCOMPARE(rig.link.complete_line(), QByteArray("0D0!0+1.5\r"));
    QCOMPARE(rig.link.byte_counter(), 10);
}

void LinkProfilesTest::aPortThatCannotBeOpenedIsSaidWithItsReasonAndIsLost_data() {
    QTest::addColumn<int>("error");
    QTest::addColumn<QString>("remedy");
    QTest::newRow("missing adapter") << ENOENT << "(is the adapter plugged in?)";
    QTest::newRow("no permission") << EACCES << "dialout group";
}

void LinkProfilesTest::aPortThatCannotBeOpenedIsSaidWithItsReasonAndIsLost() {
    QFETCH(int, error);
    QFETCH(QString, remedy);
    ManualClock clock;
    MemorySerialLink port(clock);
    port.set_open_error(error);
    Console console;
    SensorLink link(port, clock, console.printer());
    link.open_port(7, "/nonexistent-workspace/");
    const QStringList said = console.text.split(QStringLiteral("\r\n"));
    QCOMPARE(said.mid(0, 2), (QStringList{QStringLiteral("File Error %1").arg(error), "DCB error"}));
    QVERIFY2(said[2].startsWith(QStringLiteral("Port COM7 (/dev/ttyS6) cannot be opened: ")) &&
                 said[2].contains(remedy),
             qPrintable(said[2]));
    QVERIFY(!link.is_open());
    QVERIFY(link.lost());
    const QString before = console.text;

    // Nothing is sent or waited for on it, and nothing more is said until it is back.
    port.feed("0+1\r\n");
    link.read_step();
    link.send_command("0M!", CommMode::Sdi12);
    QCOMPARE(console.text, before);
    QCOMPARE(link.line_counter(), 0);
    QVERIFY(port.events().empty());
    port.set_open_error(0);
    QVERIFY(link.reopen());
    QVERIFY(console.text.endsWith(QStringLiteral("Port COM7 (/dev/ttyS6) is back\r\n")));
}

void LinkProfilesTest::refusedSettingsReportDcbError() {
    ManualClock clock;
    MemorySerialLink port(clock);
    port.set_settings_refused(true);
    Console console;
    SensorLink link(port, clock, console.printer());
    link.open_port(1, "/nonexistent-workspace/");
    QCOMPARE(console.text, QString("DCB error\r\n"));
    QVERIFY(link.is_open());
}

void LinkProfilesTest::countersResetTogether() {
    SensorRig rig;
    rig.port.feed("1\n2\n");
    rig.read_all();
    QCOMPARE(rig.link.line_counter(), 2);
    QCOMPARE(rig.link.byte_counter(), 2);
    rig.link.reset_counters();
    QCOMPARE(rig.link.line_counter(), 0);
    QCOMPARE(rig.link.byte_counter(), 0);
}

void LinkProfilesTest::modemPortOpensWith9600EightNoParity() {
    ModemRig rig;
    QVERIFY(rig.link.is_open());
    QCOMPARE(q(rig.port.opened_names().back()), q(port_device_name(3, "/nonexistent-workspace/")));
    const LineSettings s = rig.port.last_settings();
    QCOMPARE(s.baud, 9600);
    QCOMPARE(s.data_bits, 8);
    QVERIFY(!s.even_parity);
    QVERIFY(!s.parity_check);
    QVERIFY(s.transparent);
}

void LinkProfilesTest::negativeModemPortNumberClosesThePort() {
    ModemRig rig;
    const std::size_t opens = rig.port.opened_names().size();
    rig.link.open_port(-1, "/nonexistent-workspace/");
    QVERIFY(!rig.link.is_open());
    QCOMPARE(rig.port.opened_names().size(), opens);
    QCOMPARE(rig.console.text, QString());
}

void LinkProfilesTest::modemTextIsWrittenWholeWithoutWakeUp() {
    ModemRig rig;
    const std::int64_t t = rig.clock.tick_ms();
    rig.link.write_text("ATZ\r\n");
    const std::vector<Event> events = rig.port.events();
    QCOMPARE(events.size(), std::size_t(5));
    for (const Event& e : events) {
        QCOMPARE(e.kind, Event::Byte);
        QCOMPARE(e.at_ms, t);
    }
    QCOMPARE(q(rig.port.written()), QString("ATZ\r\n"));
}

void LinkProfilesTest::modemLineEndsAtCarriageReturnOrLineFeed() {
    ModemRig rig;
    rig.port.feed("CONNECT 9600\r");
    rig.read_all();
    QCOMPARE(rig.link.received_text(), QString("CONNECT 9600"));
    QCOMPARE(rig.link.line_counter(), 1);

    rig.port.feed("HI THERE\n");
    rig.read_all();
    QCOMPARE(rig.link.received_text(), QString("HI THERE"));
    QCOMPARE(rig.link.line_counter(), 2);
    QCOMPARE(rig.link.byte_total(), 20);
    QCOMPARE(rig.console.text, QString("CONNECT 9600\r\nHI THERE\r\n"));

    rig.link.clear_received_text();
    QCOMPARE(rig.link.received_text(), QString());
}

void LinkProfilesTest::emptyModemLinesAreDropped() {
    ModemRig rig;
    rig.port.feed("\r\n\r\n101\r\n\r\n");
    rig.read_all();
    QCOMPARE(rig.link.line_counter(), 1);
    QCOMPARE(rig.link.received_text(), QString("101"));
    QCOMPARE(rig.console.text, QString("101\r\n"));
    QCOMPARE(rig.link.byte_total(), 3);
}

void LinkProfilesTest::modemBytesKeepTheirHighBit() {
    ModemRig rig;
    rig.port.feed(std::string{'\xE9', '\xB0', '\n'});
    rig.read_all();
    QCOMPARE(rig.link.received_text(), QString(QChar(0xE9)) + QChar(0xB0));
}

void LinkProfilesTest::modemPartialLineOverflowsOnlyBeyond8190Characters_data() {
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("overflows");
    QTest::newRow("8190 fit") << 8190 << false;
    QTest::newRow("8191 overflow") << 8191 << true;
}

void LinkProfilesTest::modemPartialLineOverflowsOnlyBeyond8190Characters() {
    QFETCH(int, length);
    QFETCH(bool, overflows);
    ModemRig rig;
    rig.port.feed(std::string(std::size_t(length), 'r'));
    rig.read_all();
    rig.console.text.clear();

    rig.link.read_step();
    QCOMPARE(rig.console.text, overflows ? QString("Input Overflow Error\r\n") : QString());
    QCOMPARE(rig.link.partial_line().size(), overflows ? 0 : length);
    QCOMPARE(rig.link.byte_total(), length);
}

QTEST_GUILESS_MAIN(LinkProfilesTest)
#include "tst_link_profiles.moc"
