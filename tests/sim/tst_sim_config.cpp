// The simulator's configuration file: keys, mistakes with their line, and the demo sensors of
// the example workspace answering as the demo sensors are documented.
#include <QtTest>

#include "sim/demo_sim_config.h"
#include "sim/sim_bus.h"
#include "sim/sim_config_reader.h"

namespace {

const std::string kExampleConfig = VELD_SOURCE_DIR "/examples/workspace/sim.conf";

// Sends `command` on an always-awake bus and returns everything that comes back after the echo.
std::string answer_of(SimBus& bus, const std::string& command, std::int64_t* now) {
    for (const char c : command) bus.receive_byte(static_cast<std::uint8_t>(c), *now);
    std::string bytes;
    for (const auto& out : bus.take_output()) {
        bytes.push_back(static_cast<char>(out.byte));
        *now = std::max(*now, out.at_ms);
    }
    return bytes.substr(0, command.size()) == command ? bytes.substr(command.size())
                                                      : "echo missing: " + bytes;
}

}  // namespace

class SimConfigTest : public QObject {
    Q_OBJECT
  private slots:
    void exampleConfigGivesTheDemoSensorsAnswers_data();
    void exampleConfigGivesTheDemoSensorsAnswers();
    void demoValuesChangeWithEachMeasurement();
    void builtInDemoConfigIsTheExampleFile();
    void readsGlobalAndSensorKeys();
    void mistakesAreReportedWithTheirLine_data();
    void mistakesAreReportedWithTheirLine();
    void missingFileIsReported();
};

void SimConfigTest::exampleConfigGivesTheDemoSensorsAnswers_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("answer");
    QTest::newRow("0 identify") << "0I!"
                                << "013VELDINSTTH100 100SN0001\r\n";
    QTest::newRow("0 measure") << "0M!"
                               << "00012\r\n";
    QTest::newRow("1 identify") << "1I!"
                                << "113VELDINSTRAIN10100SN0002\r\n";
    QTest::newRow("1 measure") << "1M!"
                               << "10003\r\n";
    QTest::newRow("1 concurrent") << "1C!"
                                  << "100103\r\n";
    QTest::newRow("3 identify") << "3I!"
                                << "313VELDINSTWIND20100SN0003\r\n";
    QTest::newRow("3 measure") << "3M!"
                               << "30002\r\n";
    QTest::newRow("0 AVG") << "0XRAVG!"
                           << "0+10\r\n";
    QTest::newRow("0 UNIT") << "0XRUNIT!"
                            << "0C\r\n";
    QTest::newRow("0 SN") << "0XRSN!"
                          << "0SN0001\r\n";
    QTest::newRow("0 RST") << "0XWRST=1!"
                           << "0OK\r\n";
    QTest::newRow("0 UNIT write") << "0XWUNIT=F!"
                                  << "0F\r\n";
    QTest::newRow("1 TIP") << "1XRTIP!"
                           << "1+0.2\r\n";
    QTest::newRow("1 SN") << "1XRSN!"
                          << "1SN0002\r\n";
    QTest::newRow("3 AVG") << "3XRAVG!"
                           << "3+3\r\n";
    QTest::newRow("3 SN") << "3XRSN!"
                          << "3SN0003\r\n";
    QTest::newRow("3 HEAT") << "3XRHEAT!"
                            << "30\r\n";
    QTest::newRow("no sensor at 2") << "2I!"
                                    << "";
}

void SimConfigTest::exampleConfigGivesTheDemoSensorsAnswers() {
    QFETCH(QString, command);
    QFETCH(QString, answer);
    const SimConfigResult result = load_sim_config(kExampleConfig);
    QVERIFY2(result.ok(), result.errors.empty() ? "" : result.errors.front().c_str());
    QCOMPARE(result.config.mode, BusMode::Sdi12);
    SimBus bus(result.config);
    bus.set_always_awake(true);
    std::int64_t now = 0;
    std::string text = answer_of(bus, command.toStdString(), &now);
    // A service request follows the answer of 0M!; it is not part of the answer line.
    if (command == "0M!") {
        QCOMPARE(text.substr(text.size() - 3), std::string("0\r\n"));
        text.resize(text.size() - 3);
    }
    QCOMPARE(QString::fromStdString(text), answer);
}

void SimConfigTest::demoValuesChangeWithEachMeasurement() {
    const SimConfigResult result = load_sim_config(kExampleConfig);
    QVERIFY(result.ok());
    SimBus bus(result.config);
    bus.set_always_awake(true);
    std::int64_t now = 0;
    const QStringList firsts{"0+21.50+45.2\r\n", "1+0.2+12.5+3.30\r\n", "3+4.5+270\r\n"};
    int index = 0;
    for (const char address : {'0', '1', '3'}) {
        const std::string a(1, address);
        std::vector<std::string> data;
        for (int i = 0; i < 3; ++i) {
            answer_of(bus, a + "M!", &now);
            data.push_back(answer_of(bus, a + "D0!", &now));
        }
        QCOMPARE(QString::fromStdString(data[0]), firsts[index++]);
        QVERIFY(data[1] != data[0]);
        QVERIFY(data[2] != data[1]);
        // Still the same number of values: one sign each.
        const auto signs = [](const std::string& line) {
            return std::count(line.begin(), line.end(), '+') + std::count(line.begin(), line.end(), '-');
        };
        QCOMPARE(signs(data[1]), signs(data[0]));
        QCOMPARE(signs(data[2]), signs(data[0]));
    }
}

void SimConfigTest::builtInDemoConfigIsTheExampleFile() {
    QFile file(QString::fromStdString(kExampleConfig));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(QByteArray(demo_sim_config_text()), file.readAll());
    const SimConfig demo = demo_sim_config();
    QCOMPARE(int(demo.sensors.size()), 3);
    QCOMPARE(demo.sensors[2].address, '3');
}

void SimConfigTest::readsGlobalAndSensorKeys() {
    const SimConfigResult result = parse_sim_config(R"(# a comment
; another
bus = rs485

[sensor]
address = b
id =  13ACME   SENSOR1.0  
m_seconds = 12
c3_seconds = 7
values3 = ramp(1, 2)  cycle(3,4)
option.GAIN = +2.5
label.VER = 1.0
command.ZERO = DONE
fault = late, garbage
late_ms = 250
garbage_count = 3
long_line_length = 400
other_address = Z
seed = 99

[sensor]
address = 4
id = " 13ACME  X  "
)");
    for (const auto& error : result.errors) qWarning("%s", error.c_str());
    QVERIFY(result.ok());
    QCOMPARE(result.config.mode, BusMode::Rs485);
    QCOMPARE(int(result.config.sensors.size()), 2);
    const SensorConfig& sensor = result.config.sensors[0];
    QCOMPARE(sensor.address, 'b');
    QCOMPARE(sensor.identification, std::string("13ACME   SENSOR1.0"));
    QVERIFY(sensor.measurements[0].defined);
    QCOMPARE(sensor.measurements[0].m_seconds, 12);
    QCOMPARE(sensor.measurements[0].concurrent_seconds(), 12);
    QCOMPARE(sensor.measurements[3].concurrent_seconds(), 7);
    QCOMPARE(int(sensor.measurements[3].values.size()), 2);
    QCOMPARE(sensor.measurements[3].values[0].text(2), std::string("+5"));
    QCOMPARE(sensor.measurements[3].values[1].text(1), std::string("+4"));
    QVERIFY(!sensor.measurements[1].defined);
    QCOMPARE(sensor.options.at("GAIN").value, std::string("+2.5"));
    QCOMPARE(sensor.options.at("GAIN").access, SensorOption::Access::ReadWrite);
    QCOMPARE(sensor.options.at("VER").access, SensorOption::Access::ReadOnly);
    QCOMPARE(sensor.options.at("ZERO").access, SensorOption::Access::WriteOnly);
    QCOMPARE(sensor.options.at("ZERO").value, std::string("DONE"));
    QVERIFY(sensor.faults.late && sensor.faults.garbage);
    QVERIFY(!sensor.faults.silent && !sensor.faults.other_address);
    QCOMPARE(sensor.faults.late_ms, 250);
    QCOMPARE(sensor.faults.garbage_count, 3);
    QCOMPARE(sensor.faults.long_line_length, 400);
    QCOMPARE(sensor.faults.other_address_char, 'Z');
    QCOMPARE(sensor.seed, std::uint32_t(99));
    QCOMPARE(result.config.sensors[1].address, '4');
    QCOMPARE(result.config.sensors[1].identification, std::string(" 13ACME  X  "));
    QVERIFY(!result.config.sensors[1].faults.any());
}

void SimConfigTest::mistakesAreReportedWithTheirLine_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    QTest::newRow("unknown key") << "[sensor]\naddress = 0\ncolour = red\n"
                                 << "config:3: unknown key \"colour\"";
    QTest::newRow("unknown global key") << "port = 2\n"
                                        << "config:1: unknown key \"port\"";
    QTest::newRow("bad bus") << "bus = can\n"
                             << "config:1: bus is sdi12 or rs485";
    QTest::newRow("unknown section") << "[sensors]\n"
                                     << "config:1: unknown section [sensors]";
    QTest::newRow("no equals") << "[sensor]\naddress 0\n"
                               << "config:2: expected KEY = VALUE";
    QTest::newRow("long address") << "[sensor]\naddress = 10\n"
                                  << "config:2: an address is one character";
    QTest::newRow("no address") << "\n[sensor]\nid = x\n"
                                << "config:2: this [sensor] has no address";
    QTest::newRow("same address twice") << "[sensor]\naddress = 1\n[sensor]\naddress = 1\n"
                                        << "config:3: a second sensor at address 1";
    QTest::newRow("ttt too long") << "[sensor]\naddress = 0\nm_seconds = 1000\n"
                                  << "config:3: m_seconds is a whole";
    QTest::newRow("set 0 by number") << "[sensor]\naddress = 0\nm0_seconds = 1\n"
                                     << "config:3: unknown key";
    QTest::newRow("bad value") << "[sensor]\naddress = 0\nvalues = 1.5 abc\n"
                               << "config:3: values: not a number";
    QTest::newRow("exponent") << "[sensor]\naddress = 0\nvalues = 1e3\n"
                              << "config:3: values: not a number";
    QTest::newRow("bad pattern") << "[sensor]\naddress = 0\nvalues = sine(1, 2)\n"
                                 << "config:3: values: unknown pattern \"sine\"";
    QTest::newRow("ramp one argument") << "[sensor]\naddress = 0\nvalues = ramp(1)\n"
                                       << "config:3: values: ramp needs";
    QTest::newRow("ramp period") << "[sensor]\naddress = 0\nvalues = ramp(1, 1, 0.5)\n"
                                 << "config:3: values: the period";
    QTest::newRow("empty cycle") << "[sensor]\naddress = 0\nvalues = cycle()\n"
                                 << "config:3: values: cycle() needs";
    QTest::newRow("ten values") << "[sensor]\naddress = 0\nvalues2 = 1 2 3 4 5 6 7 8 9 10\n"
                                << "config:3: values2: at most 9 values";
    QTest::newRow("unknown fault") << "[sensor]\naddress = 0\nfault = slow\n"
                                   << "config:3: unknown fault \"slow\"";
    QTest::newRow("option with bang") << "[sensor]\naddress = 0\noption.A = 1!\n"
                                      << "config:3: an option value";
    QTest::newRow("option without name") << "[sensor]\naddress = 0\noption. = 1\n"
                                         << "config:3: an option name";
    QTest::newRow("bad other address") << "[sensor]\naddress = 0\nother_address = %\n"
                                       << "config:3: other_address";
}

void SimConfigTest::mistakesAreReportedWithTheirLine() {
    QFETCH(QString, text);
    QFETCH(QString, message);
    const SimConfigResult result = parse_sim_config(text.toStdString());
    QVERIFY(!result.ok());
    QVERIFY2(QString::fromStdString(result.errors.front()).startsWith(message),
             result.errors.front().c_str());
}

void SimConfigTest::missingFileIsReported() {
    const SimConfigResult result = load_sim_config("/nonexistent/veld/sim.conf");
    QVERIFY(!result.ok());
    QVERIFY(QString::fromStdString(result.errors.front())
                .startsWith("/nonexistent/veld/sim.conf: cannot be read"));
}

QTEST_APPLESS_MAIN(SimConfigTest)
#include "tst_sim_config.moc"
