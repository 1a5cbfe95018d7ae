// A simulated sensor's answers: each command kind, measurement patterns, address change,
// options and every fault.
#include <QtTest>

#include "sim/sim_config_reader.h"
#include "sim/sim_sensor.h"

namespace {

const char kSensorBlock[] = R"(
[sensor]
address = 0
id = 13TESTINSTX  100SN9
m_seconds = 2
c_seconds = 5
values = 1.25 -3.5
m2_seconds = 0
values2 = 7
option.AVG = +10
label.SN = SN9
command.RST = OK
)";

// The sensor of `text` (one [sensor] block); fails the test through `ok` on a config mistake.
SimSensor make_sensor(const std::string& text, bool* ok) {
    const SimConfigResult result = parse_sim_config(text);
    *ok = result.ok() && result.config.sensors.size() == 1;
    for (const auto& error : result.errors) qWarning("%s", error.c_str());
    return SimSensor(*ok ? result.config.sensors[0] : SensorConfig{});
}

std::string ask(SimSensor& sensor, const std::string& command, bool faults_on = true) {
    return sensor.answer(SimCommand::parse(command), faults_on).text;
}

}  // namespace

class SimSensorTest : public QObject {
    Q_OBJECT
  private slots:
    void answersEachCommandKind_data();
    void answersEachCommandKind();
    void serviceRequestFollowsMeasureOnlyWhenTimeIsSet_data();
    void serviceRequestFollowsMeasureOnlyWhenTimeIsSet();
    void dataAnswerHoldsTheLastMeasurementsValues();
    void valuesChangeWithEachMeasurement_data();
    void valuesChangeWithEachMeasurement();
    void manyValuesAreSpreadOverDataLines_data();
    void manyValuesAreSpreadOverDataLines();
    void addressChangeMovesAllAnswers();
    void optionWriteIsReadBack();
    void silentSensorNeverAnswers();
    void lateSensorDelaysItsAnswer();
    void garbageComesBeforeTheAnswer();
    void garbageOnlyReplacesTheAnswer();
    void garbageIsTheSameForTheSameSeed();
    void longLineFaultPadsTheAnswerPast250Characters();
    void otherAddressFaultAnswersAsThatAddress();
    void faultsSwitchedOffAnswerNormally();
};

void SimSensorTest::answersEachCommandKind_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("answer");
    QTest::newRow("acknowledge") << "0!"
                                 << "0\r\n";
    QTest::newRow("identify") << "0I!"
                              << "013TESTINSTX  100SN9\r\n";
    QTest::newRow("measure") << "0M!"
                             << "00022\r\n";
    QTest::newRow("concurrent") << "0C!"
                                << "000502\r\n";
    QTest::newRow("measure set 2") << "0M2!"
                                   << "00001\r\n";
    QTest::newRow("concurrent set 2") << "0C2!"
                                      << "000001\r\n";
    QTest::newRow("measure set without values") << "0M3!"
                                                << "00000\r\n";
    QTest::newRow("concurrent set without values") << "0C3!"
                                                   << "000000\r\n";
    QTest::newRow("data before any measurement") << "0D0!"
                                                 << "0\r\n";
    QTest::newRow("read option") << "0XRAVG!"
                                 << "0+10\r\n";
    QTest::newRow("read label") << "0XRSN!"
                                << "0SN9\r\n";
    QTest::newRow("write label") << "0XWSN=SN1!"
                                 << "";
    QTest::newRow("write command") << "0XWRST=1!"
                                   << "0OK\r\n";
    QTest::newRow("read command") << "0XRRST!"
                                  << "";
    QTest::newRow("read unknown option") << "0XRNONE!"
                                         << "";
    QTest::newRow("write unknown option") << "0XWNONE=1!"
                                          << "";
    QTest::newRow("unknown extended") << "0XZ!"
                                      << "";
    QTest::newRow("unknown") << "0V!"
                             << "";
}

void SimSensorTest::answersEachCommandKind() {
    QFETCH(QString, command);
    QFETCH(QString, answer);
    bool ok = false;
    SimSensor sensor = make_sensor(kSensorBlock, &ok);
    QVERIFY(ok);
    QCOMPARE(QString::fromStdString(ask(sensor, command.toStdString())), answer);
}

void SimSensorTest::serviceRequestFollowsMeasureOnlyWhenTimeIsSet_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("serviceRequest");
    QTest::addColumn<int>("afterMs");
    QTest::newRow("measure with ttt 2") << "0M!"
                                        << "0\r\n"
                                        << 2000;
    QTest::newRow("concurrent never") << "0C!"
                                      << "" << 0;
    QTest::newRow("measure with ttt 0") << "0M2!"
                                        << "" << 0;
    QTest::newRow("identify") << "0I!"
                              << "" << 0;
}

void SimSensorTest::serviceRequestFollowsMeasureOnlyWhenTimeIsSet() {
    QFETCH(QString, command);
    QFETCH(QString, serviceRequest);
    QFETCH(int, afterMs);
    bool ok = false;
    SimSensor sensor = make_sensor(kSensorBlock, &ok);
    QVERIFY(ok);
    const SensorAnswer answer = sensor.answer(SimCommand::parse(command.toStdString()), true);
    QCOMPARE(QString::fromStdString(answer.service_request), serviceRequest);
    if (!serviceRequest.isEmpty()) QCOMPARE(answer.service_request_ms, afterMs);
}

void SimSensorTest::dataAnswerHoldsTheLastMeasurementsValues() {
    bool ok = false;
    SimSensor sensor = make_sensor(kSensorBlock, &ok);
    QVERIFY(ok);
    ask(sensor, "0M!");
    QCOMPARE(ask(sensor, "0D0!"), std::string("0+1.25-3.5\r\n"));
    QCOMPARE(ask(sensor, "0D1!"), std::string("0\r\n"));
    ask(sensor, "0M2!");
    QCOMPARE(ask(sensor, "0D0!"), std::string("0+7\r\n"));
    QCOMPARE(sensor.measurement_count(), 2L);
}

void SimSensorTest::valuesChangeWithEachMeasurement_data() {
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QStringList>("values");
    QTest::newRow("fixed") << "21.5" << QStringList{"+21.5", "+21.5", "+21.5", "+21.5"};
    QTest::newRow("fixed negative") << "-3.50" << QStringList{"-3.50", "-3.50", "-3.50", "-3.50"};
    QTest::newRow("ramp") << "ramp(0.0, 0.2)" << QStringList{"+0.0", "+0.2", "+0.4", "+0.6"};
    QTest::newRow("ramp with period")
        << "ramp(21.40, 0.05, 3)" << QStringList{"+21.40", "+21.45", "+21.50", "+21.40"};
    QTest::newRow("ramp through zero") << "ramp(-0.2,0.1)" << QStringList{"-0.2", "-0.1", "+0.0", "+0.1"};
    QTest::newRow("ramp downwards") << "ramp(10, -4)" << QStringList{"+10", "+6", "+2", "-2"};
    QTest::newRow("cycle") << "cycle(4.5, 5.1, 3.8)" << QStringList{"+4.5", "+5.1", "+3.8", "+4.5"};
    QTest::newRow("cycle keeps each item's decimals")
        << "cycle(270 -1 0.00)" << QStringList{"+270", "-1", "+0.00", "+270"};
}

void SimSensorTest::valuesChangeWithEachMeasurement() {
    QFETCH(QString, pattern);
    QFETCH(QStringList, values);
    bool ok = false;
    SimSensor sensor = make_sensor("[sensor]\naddress = 7\nvalues = " + pattern.toStdString() + "\n", &ok);
    QVERIFY(ok);
    QStringList seen;
    for (int i = 0; i < values.size(); ++i) {
        QCOMPARE(ask(sensor, "7M!"), std::string("70001\r\n"));
        const std::string data = ask(sensor, "7D0!");
        QVERIFY(data.size() > 3 && data[0] == '7');
        seen << QString::fromStdString(data.substr(1, data.size() - 3));
    }
    QCOMPARE(seen, values);
}

void SimSensorTest::manyValuesAreSpreadOverDataLines_data() {
    QTest::addColumn<QString>("measure");
    QTest::addColumn<QList<int>>("valuesPerLine");
    // Nine values of 10 characters: 3 fit in 35 characters (aM), 7 in 75 (aC).
    QTest::newRow("after M") << "5M!" << QList<int>{3, 3, 3, 0};
    QTest::newRow("after C") << "5C!" << QList<int>{7, 2, 0};
}

void SimSensorTest::manyValuesAreSpreadOverDataLines() {
    QFETCH(QString, measure);
    QFETCH(QList<int>, valuesPerLine);
    std::string values;
    for (int i = 1; i <= 9; ++i) values += " " + std::to_string(10000 + i) + ".125";
    bool ok = false;
    SimSensor sensor = make_sensor("[sensor]\naddress = 5\nvalues =" + values + "\n", &ok);
    QVERIFY(ok);
    ask(sensor, measure.toStdString());
    int total = 0;
    for (int line = 0; line < valuesPerLine.size(); ++line) {
        const std::string data = ask(sensor, "5D" + std::to_string(line) + "!");
        const auto count = std::count(data.begin(), data.end(), '+');
        QCOMPARE(int(count), valuesPerLine[line]);
        total += int(count);
    }
    QCOMPARE(total, 9);
}

void SimSensorTest::addressChangeMovesAllAnswers() {
    bool ok = false;
    SimSensor sensor = make_sensor(kSensorBlock, &ok);
    QVERIFY(ok);
    QCOMPARE(ask(sensor, "0A5!"), std::string("5\r\n"));
    QCOMPARE(sensor.address(), '5');
    QCOMPARE(ask(sensor, "5I!"), std::string("513TESTINSTX  100SN9\r\n"));
    ask(sensor, "5M!");
    QCOMPARE(ask(sensor, "5D0!"), std::string("5+1.25-3.5\r\n"));
}

void SimSensorTest::optionWriteIsReadBack() {
    bool ok = false;
    SimSensor sensor = make_sensor(kSensorBlock, &ok);
    QVERIFY(ok);
    QCOMPARE(ask(sensor, "0XWAVG=12!"), std::string("012\r\n"));
    QCOMPARE(ask(sensor, "0XRAVG!"), std::string("012\r\n"));
    QCOMPARE(sensor.option_value("AVG"), std::string("12"));
    ask(sensor, "0XWSN=SN1!");
    QCOMPARE(sensor.option_value("SN"), std::string("SN9"));
}

void SimSensorTest::silentSensorNeverAnswers() {
    bool ok = false;
    SimSensor sensor = make_sensor(std::string(kSensorBlock) + "fault = silent\n", &ok);
    QVERIFY(ok);
    QCOMPARE(ask(sensor, "0I!"), std::string());
    const SensorAnswer measured = sensor.answer(SimCommand::parse("0M!"), true);
    QVERIFY(measured.text.empty());
    QVERIFY(measured.service_request.empty());
    QVERIFY(!sensor.swallows_echo(true));
}

void SimSensorTest::lateSensorDelaysItsAnswer() {
    bool ok = false;
    SimSensor sensor = make_sensor(std::string(kSensorBlock) + "fault = late\nlate_ms = 1500\n", &ok);
    QVERIFY(ok);
    const SensorAnswer answer = sensor.answer(SimCommand::parse("0M!"), true);
    QCOMPARE(answer.text, std::string("00022\r\n"));
    QCOMPARE(answer.delay_ms, 1500);
    QCOMPARE(answer.service_request_ms, 2000);
}

void SimSensorTest::garbageComesBeforeTheAnswer() {
    bool ok = false;
    SimSensor sensor = make_sensor(std::string(kSensorBlock) + "fault = garbage\ngarbage_count = 40\n", &ok);
    QVERIFY(ok);
    const std::string answer = ask(sensor, "0I!");
    const std::string plain = "013TESTINSTX  100SN9\r\n";
    QCOMPARE(answer.size(), plain.size() + 40);
    QCOMPARE(answer.substr(40), plain);
    const std::string garbage = answer.substr(0, 40);
    QCOMPARE(garbage.find_first_of("\r\n"), std::string::npos);
    for (const char c : garbage) QVERIFY(c > 0);
}

void SimSensorTest::garbageOnlyReplacesTheAnswer() {
    bool ok = false;
    SimSensor sensor =
        make_sensor(std::string(kSensorBlock) + "fault = garbage-only\ngarbage_count = 25\n", &ok);
    QVERIFY(ok);
    const std::string answer = ask(sensor, "0I!");
    QCOMPARE(answer.size(), std::size_t(25));
    QCOMPARE(answer.find_first_of("\r\n"), std::string::npos);
    QVERIFY(answer.find("TESTINST") == std::string::npos);
}

void SimSensorTest::garbageIsTheSameForTheSameSeed() {
    bool ok = false;
    const std::string block = std::string(kSensorBlock) + "fault = garbage-only\ngarbage_count = 30\nseed = ";
    SimSensor first = make_sensor(block + "42\n", &ok);
    QVERIFY(ok);
    SimSensor again = make_sensor(block + "42\n", &ok);
    SimSensor other = make_sensor(block + "43\n", &ok);
    const std::string bytes = ask(first, "0I!");
    QCOMPARE(ask(again, "0I!"), bytes);
    QVERIFY(ask(other, "0I!") != bytes);
    QVERIFY(ask(first, "0I!") != bytes);  // noise, not a repeated pattern
}

void SimSensorTest::longLineFaultPadsTheAnswerPast250Characters() {
    bool ok = false;
    SimSensor sensor =
        make_sensor(std::string(kSensorBlock) + "fault = long-line\nlong_line_length = 260\n", &ok);
    QVERIFY(ok);
    const std::string answer = ask(sensor, "0I!");
    QCOMPARE(answer.size(), std::size_t(262));
    QCOMPARE(answer.substr(0, 20), std::string("013TESTINSTX  100SN9"));
    QCOMPARE(answer.substr(20, 240), std::string(240, '#'));
    QCOMPARE(answer.substr(260), std::string("\r\n"));
}

void SimSensorTest::otherAddressFaultAnswersAsThatAddress() {
    bool ok = false;
    SimSensor sensor =
        make_sensor(std::string(kSensorBlock) + "fault = other-address\nother_address = 5\n", &ok);
    QVERIFY(ok);
    QVERIFY(sensor.swallows_echo(true));
    QCOMPARE(ask(sensor, "0I!"), std::string("513TESTINSTX  100SN9\r\n"));
    const SensorAnswer measured = sensor.answer(SimCommand::parse("0M!"), true);
    QCOMPARE(measured.text, std::string("50022\r\n"));
    QCOMPARE(measured.service_request, std::string("5\r\n"));

    SimSensor next = make_sensor(std::string(kSensorBlock) + "fault = other-address\n", &ok);
    QCOMPARE(next.other_address(), '1');
    QCOMPARE(ask(next, "0!"), std::string("1\r\n"));
}

void SimSensorTest::faultsSwitchedOffAnswerNormally() {
    bool ok = false;
    SimSensor sensor = make_sensor(std::string(kSensorBlock) + "fault = silent garbage other-address\n", &ok);
    QVERIFY(ok);
    QVERIFY(!sensor.swallows_echo(false));
    QCOMPARE(ask(sensor, "0I!", false), std::string("013TESTINSTX  100SN9\r\n"));
    FaultConfig none;
    sensor.set_faults(none);
    QCOMPARE(ask(sensor, "0I!"), std::string("013TESTINSTX  100SN9\r\n"));
}

QTEST_APPLESS_MAIN(SimSensorTest)
#include "tst_sim_sensor.moc"
