// The in-process bus over a MemorySerialLink in virtual time: echo and answers paced at 1200
// baud, the break that wakes SDI-12 sensors, service requests, the RS485 "%" prefix and faults
// as the recorder's side of the link sees them.
#include <QtTest>
#include <cmath>
#include <thread>

#include "link/memory_serial_link.h"
#include "sim/memory_link_bus.h"
#include "sim/paced_transmitter.h"
#include "sim/sim_config_reader.h"

namespace {

const char kBusConfig[] = R"(
[sensor]
address = 0
id = 13VELDINSTTH100 100SN0001
m_seconds = 1
values = 21.50 45.2

[sensor]
address = 1
id = 13VELDINSTRAIN10100SN0002
)";

struct Arrival {
    char byte;
    std::int64_t at_ms;
};

// The recorder's side: sends commands as the sensor link does and reads bytes while stepping
// the manual clock one millisecond at a time.
class RecorderSide {
  public:
    explicit RecorderSide(const std::string& config_text, const std::string& extra = std::string()) {
        const SimConfigResult result = parse_sim_config(config_text + extra);
        for (const auto& error : result.errors) qWarning("%s", error.c_str());
        config_ok = result.ok();
        link.open("COM2", kSensorLineSettings);
        bus = std::make_unique<MemoryLinkBus>(link, result.config);
    }

    // SDI-12: a 12 ms break and 12 ms marking; RS485: 12 ms, then "%". Returns the time the
    // command's first byte was written.
    std::int64_t send(const std::string& command, bool sdi12 = true, bool wake = true) {
        if (sdi12 && wake) {
            link.set_break(true);
            clock.advance(12);
            link.set_break(false);
            clock.advance(12);
        } else if (!sdi12) {
            clock.advance(12);
        }
        const std::int64_t start = clock.tick_ms();
        if (!sdi12) link.write_byte('%');
        for (const char c : command) link.write_byte(static_cast<std::uint8_t>(c));
        return start;
    }

    // Steps the clock until `count` LFs arrived or `limit_ms` passed; returns what arrived.
    std::vector<Arrival> receive(int line_ends, std::int64_t limit_ms) {
        std::vector<Arrival> arrivals;
        int seen = 0;
        for (std::int64_t waited = 0; waited <= limit_ms && seen < line_ends; ++waited) {
            std::uint8_t byte = 0;
            while (link.read_byte(byte)) {
                arrivals.push_back(Arrival{static_cast<char>(byte), clock.tick_ms()});
                if (byte == '\n') ++seen;
            }
            if (seen < line_ends) clock.advance(1);
        }
        return arrivals;
    }

    static std::string text_of(const std::vector<Arrival>& arrivals) {
        std::string text;
        for (const auto& a : arrivals) text.push_back(a.byte);
        return text;
    }

    ManualClock clock;
    MemorySerialLink link{clock};
    std::unique_ptr<MemoryLinkBus> bus;
    bool config_ok = false;
};

std::int64_t paced(std::int64_t start, std::size_t characters) {
    return std::llround(double(start) + double(characters) * PacedTransmitter::kCharMs);
}

}  // namespace

class MemoryLinkBusTest : public QObject {
    Q_OBJECT
  private slots:
    void echoAndAnswerArePacedAtOneCharacterEvery8Ms();
    void commandWithoutBreakIsEchoedButNotAnswered();
    void serviceRequestArrivesTttSecondsAfterTheAnswer();
    void measurementDataFollowsTheServiceRequest();
    void rs485CommandsNeedThePercentPrefix();
    void lateAnswerComesAfterItsDelay();
    void answerFromAnotherAddressHasNoEcho_data();
    void answerFromAnotherAddressHasNoEcho();
    void faultsCanBeSwitchedOffWhileRunning();
    void addressChangeTakesEffectOnTheBus();
    void addressChangeToAnOccupiedAddressIsRefused();
    void commandsFromAnotherThreadAreAnswered();
};

void MemoryLinkBusTest::echoAndAnswerArePacedAtOneCharacterEvery8Ms() {
    RecorderSide recorder(kBusConfig);
    QVERIFY(recorder.config_ok);
    recorder.clock.advance(1000);
    const std::int64_t start = recorder.send("0I!");
    const auto arrivals = recorder.receive(1, 2000);
    const std::string expected = "0I!013VELDINSTTH100 100SN0001\r\n";
    QCOMPARE(RecorderSide::text_of(arrivals), expected);
    for (std::size_t i = 0; i < arrivals.size(); ++i) QCOMPARE(arrivals[i].at_ms, paced(start, i + 1));
}

void MemoryLinkBusTest::commandWithoutBreakIsEchoedButNotAnswered() {
    RecorderSide recorder(kBusConfig);
    recorder.send("0I!", true, false);
    QCOMPARE(RecorderSide::text_of(recorder.receive(1, 1000)), std::string("0I!"));
    // The next woken command is answered as usual.
    recorder.send("1I!");
    QCOMPARE(RecorderSide::text_of(recorder.receive(1, 1000)),
             std::string("1I!113VELDINSTRAIN10100SN0002\r\n"));
}

void MemoryLinkBusTest::serviceRequestArrivesTttSecondsAfterTheAnswer() {
    RecorderSide recorder(kBusConfig);
    const std::int64_t start = recorder.send("0M!");
    const auto arrivals = recorder.receive(2, 3000);
    const std::string answer = "0M!00012\r\n";
    QCOMPARE(RecorderSide::text_of(arrivals), answer + "0\r\n");
    // The service request's first byte starts 1000 ms after the answer's last byte arrived.
    const double answer_end = double(start) + double(answer.size()) * PacedTransmitter::kCharMs;
    QCOMPARE(arrivals[answer.size()].at_ms, std::llround(answer_end + 1000.0 + PacedTransmitter::kCharMs));
    QVERIFY(arrivals[answer.size()].at_ms - arrivals[answer.size() - 1].at_ms >= 1000);
}

void MemoryLinkBusTest::measurementDataFollowsTheServiceRequest() {
    RecorderSide recorder(kBusConfig);
    recorder.send("0M!");
    recorder.receive(2, 3000);
    recorder.send("0D0!");
    QCOMPARE(RecorderSide::text_of(recorder.receive(1, 1000)), std::string("0D0!0+21.50+45.2\r\n"));
}

void MemoryLinkBusTest::rs485CommandsNeedThePercentPrefix() {
    RecorderSide recorder(std::string("bus = rs485\n") + kBusConfig);
    QVERIFY(recorder.config_ok);
    const std::int64_t start = recorder.send("0I!", false);
    const auto arrivals = recorder.receive(1, 1000);
    QCOMPARE(RecorderSide::text_of(arrivals), std::string("%0I!013VELDINSTTH100 100SN0001\r\n"));
    QCOMPARE(arrivals.front().at_ms, paced(start, 1));
    // Without "%" (even after a break) nothing answers.
    recorder.send("0I!", true, true);
    QCOMPARE(RecorderSide::text_of(recorder.receive(1, 1000)), std::string("0I!"));
}

void MemoryLinkBusTest::lateAnswerComesAfterItsDelay() {
    RecorderSide recorder(kBusConfig, "fault = late\nlate_ms = 300\n");
    QVERIFY(recorder.config_ok);
    const std::int64_t start = recorder.send("1I!");
    const auto arrivals = recorder.receive(1, 2000);
    QCOMPARE(RecorderSide::text_of(arrivals), std::string("1I!113VELDINSTRAIN10100SN0002\r\n"));
    const double echo_end = double(start) + 3 * PacedTransmitter::kCharMs;
    QCOMPARE(arrivals[3].at_ms, std::llround(echo_end + 300.0 + PacedTransmitter::kCharMs));
}

void MemoryLinkBusTest::answerFromAnotherAddressHasNoEcho_data() {
    QTest::addColumn<bool>("rs485");
    QTest::addColumn<QString>("line");
    QTest::newRow("SDI-12") << false << "713VELDINSTRAIN10100SN0002\r\n";
    QTest::newRow("RS485") << true << "%713VELDINSTRAIN10100SN0002\r\n";
}

void MemoryLinkBusTest::answerFromAnotherAddressHasNoEcho() {
    QFETCH(bool, rs485);
    QFETCH(QString, line);
    RecorderSide recorder(std::string(rs485 ? "bus = rs485\n" : "") + kBusConfig,
                          "fault = other-address\nother_address = 7\n");
    QVERIFY(recorder.config_ok);
    recorder.send("1I!", !rs485);
    QCOMPARE(QString::fromStdString(RecorderSide::text_of(recorder.receive(1, 1000))), line);
    // Sensor 0 has no fault.
    recorder.send("0!", !rs485);
    QCOMPARE(QString::fromStdString(RecorderSide::text_of(recorder.receive(1, 1000))),
             QString(rs485 ? "%0!0\r\n" : "0!0\r\n"));
}

void MemoryLinkBusTest::faultsCanBeSwitchedOffWhileRunning() {
    RecorderSide recorder(kBusConfig, "fault = silent\n");
    recorder.send("1I!");
    QCOMPARE(RecorderSide::text_of(recorder.receive(1, 1000)), std::string("1I!"));
    recorder.bus->with_bus([](SimBus& bus) { bus.set_faults_enabled(false); });
    recorder.send("1I!");
    QCOMPARE(RecorderSide::text_of(recorder.receive(1, 1000)),
             std::string("1I!113VELDINSTRAIN10100SN0002\r\n"));
}

void MemoryLinkBusTest::addressChangeTakesEffectOnTheBus() {
    RecorderSide recorder(kBusConfig);
    recorder.send("0A4!");
    QCOMPARE(RecorderSide::text_of(recorder.receive(1, 1000)), std::string("0A4!4\r\n"));
    recorder.send("0I!");
    QCOMPARE(RecorderSide::text_of(recorder.receive(1, 500)), std::string("0I!"));
    recorder.send("4I!");
    QCOMPARE(RecorderSide::text_of(recorder.receive(1, 1000)),
             std::string("4I!413VELDINSTTH100 100SN0001\r\n"));
}

void MemoryLinkBusTest::addressChangeToAnOccupiedAddressIsRefused() {
    RecorderSide recorder(kBusConfig);
    recorder.send("0A1!");
    QCOMPARE(RecorderSide::text_of(recorder.receive(1, 500)), std::string("0A1!"));
    char address = 0;
    recorder.bus->with_bus([&](SimBus& bus) { address = bus.sensors()[0].address(); });
    QCOMPARE(address, '0');
}

void MemoryLinkBusTest::commandsFromAnotherThreadAreAnswered() {
    RecorderSide recorder(kBusConfig);
    std::thread writer([&] {
        for (int i = 0; i < 20; ++i) recorder.send("0M!");
    });
    long count = 0;
    while (count < 20) {
        recorder.bus->with_bus([&](SimBus& bus) { count = bus.sensor('0')->measurement_count(); });
        std::this_thread::yield();
    }
    writer.join();
    QCOMPARE(count, 20L);
    const std::string text = RecorderSide::text_of(recorder.receive(40, 60000));
    int answers = 0;
    for (std::size_t at = text.find("0M!00012\r\n"); at != std::string::npos;
         at = text.find("0M!00012\r\n", at + 1))
        ++answers;
    QCOMPARE(answers, 20);
}

QTEST_APPLESS_MAIN(MemoryLinkBusTest)
#include "tst_memory_link_bus.moc"
