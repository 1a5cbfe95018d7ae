// Logging cycles end to end in virtual time: script, simulated sensors, formulas, CSV file.
#include <sys/stat.h>
#include <QSignalSpy>
#include <QTime>

#include <QtTest>
#include <atomic>
#include <cerrno>
#include <thread>

#include "core_rig.h"
#include "sim/sim_bus.h"
#include "sim_configs.h"
#include "station/record_log.h"
#include "station/record_writer.h"
#include "thread_state.h"
#include "variables/column_list.h"

namespace {

const QByteArray kTh100 =
    "<device><main description=\"Temperature and humidity\" cells=\"2\"/>"
    "<log cell=\"0\" title=\"Temp\" cmd=\"aM!\"/><log title=\"RH\"/><log cmd=\"aD0!\"/></device>";
// A sensor that needs time: WAITRESP waits for its service request before the data command.
const QByteArray kSlowTh =
    "<device><main description=\"Slow\" cells=\"2\"/>"
    "<log cell=\"0\" title=\"Temp\" cmd=\"aM!\"/><log title=\"RH\" cmd=\"WAITRESP\"/><log "
    "cmd=\"aD0!\"/></device>";
const QByteArray kWind =
    "<device><main description=\"Wind\" cells=\"2\"/>"
    "<log cell=\"0\" title=\"Speed\" cmd=\"aM!\"/><log title=\"Dir\"/><log cmd=\"aD0!\"/></device>";
// A concurrent measurement: the data line waits 30 s while the others are served.
const QByteArray kRain =
    "<device><main description=\"Rain\" cells=\"3\"/>"
    "<log cell=\"0\" title=\"Rain\" cmd=\"aC!\"/><log title=\"T\"/><log title=\"V\"/>"
    "<log cell=\"0\" cmd=\"aD0!\"/><log cmd=\"START\"/></device>";

void name_columns(ColumnList& c) {
    c.set_name(3, QStringLiteral("T"));
    c.set_name(4, QStringLiteral("RH"));
    c.set_name(5, QStringLiteral("V5"));
}

QList<QByteArray> lines_of(const QByteArray& file) {
    QList<QByteArray> lines = file.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    return lines;
}

// Logging a sensor that takes 2 s to measure, stopped half a second into the first cycle, while the
// walk waits for the service request.
void start_waiting_for_service_request(CoreRig& rig, int interval) {
    rig.prepare_logging("[sensor]\naddress = 3\nid = 13X\nm_seconds = 2\nvalues = 1 2\n", 3, kSlowTh, 3);
    rig.set_interval(interval);
    rig.core->set_logging(true);
    rig.run_for(500);
}

}  // namespace

class LoggingCycleTest : public QObject {
    Q_OBJECT
  private slots:
    void fullCycleWritesHeaderAndRecordByteForByte();
    void cyclesStartAtWholeMultiplesOfTheInterval();
    void cycleLongerThanTheIntervalIsNotMadeUp();
    void headerIsWrittenAgainAfterStopAndStart();
    void aSilentSensorCostsItsAnswerWindowAndIsSaidOncePerCommand_data();
    void aSilentSensorCostsItsAnswerWindowAndIsSaidOncePerCommand();
    void aSensorThatFallsSilentIsMissingFromLaterRecordsAndALongCycleIsSaidOnce();
    void concurrentMeasurementResumesAfterThirtySeconds();
    void formulaColumnsEnterTheRecord();
    void valuesOutsideTheColumnsAreReportedAndDropped();
    void unwritableLogFileIsReportedAndItsRecordsFollowLater();
    void intervalOfZeroIsReplacedBySixtySeconds();
    void rebuildDuringACycleWaitsForTheNextCycle();
    void tooManyColumnsIsAColumnErrorAndNoRecord();
    void aRecordCountsOnlyOnceItsLineIsInTheFileOrHeldBack_data();
    void aRecordCountsOnlyOnceItsLineIsInTheFileOrHeldBack();
    void longColumnNamesAreReportedAndCut();
    void importFormTakesTheFirstFieldsFromColumnTexts();
    void currentValuesFileReplacesAPlantedLinkInsteadOfFollowingIt();
    void strayLineNeverMovesAValueIntoAnotherSensorsColumns_data();
    void strayLineNeverMovesAValueIntoAnotherSensorsColumns();
    void wallClockStepIsSaidOnceAndRecordsKeepTheInterval_data();
    void wallClockStepIsSaidOnceAndRecordsKeepTheInterval();
    void pulledPortAbandonsTheCycleAndLoggingResumesWhenItIsBack();
    void aPortMissingWhenLoggingStartsWritesNoRecordUntilItIsBack();
    void linesBeyondTheHeldBackBoundAreCountedAndSaid();
    void currentValuesFileThatCannotBeReplacedIsSaidOnce();
    void logFileNameThatLeavesTheLogFolderIsRefused_data();
    void logFileNameThatLeavesTheLogFolderIsRefused();
    void statusLineDoesNotWaitForARecordBeingWritten();
};

void LoggingCycleTest::fullCycleWritesHeaderAndRecordByteForByte() {
    CoreRig rig;
    name_columns(rig.columns);
    rig.prepare_logging(sim_configs::kOneSensor, 3, kTh100, 3);
    rig.core->set_logging(true);
    QVERIFY(rig.run_until_records(1, 5000));
    QCOMPARE(rig.log_file(), QByteArray("Record,Date,Time,T,RH,V5,\n"
                                        "0,7 Dec 2026, 16:14:34,21.500000,45.200001,nan\n"));
    QCOMPARE(rig.columns.label(3), QStringLiteral("Temp(3)"));
    QCOMPARE(rig.columns.value_text(4), QStringLiteral("45.2"));
    QVERIFY(rig.console.contains(
        QStringLiteral("Start\r\n7 Dec 2026, 16:14:34 : Gathering Data\r\nCELL 3\r\n3M!\r\n")));
    QCOMPARE(rig.core->status_text(sdi12_core::kStatusLine),
             QStringLiteral("Logging Y      Current record:1 at: 16:14:34      Next Log 16:15:00"));
}

void LoggingCycleTest::cyclesStartAtWholeMultiplesOfTheInterval() {
    CoreRig rig(utc_seconds(2026, 12, 7, 10, 15, 40));
    rig.prepare_logging(sim_configs::kOneSensor, 3, kTh100, 3);
    rig.core->set_logging(true);  // interval 60 s by default
    QVERIFY(rig.run_until_records(3, 200000));
    const QList<QByteArray> lines = lines_of(rig.log_file());
    QCOMPARE(lines.size(), 4);
    QVERIFY(lines[1].startsWith("0,7 Dec 2026, 10:15:40,"));
    QVERIFY(lines[2].startsWith("1,7 Dec 2026, 10:16:00,"));
    QVERIFY(lines[3].startsWith("2,7 Dec 2026, 10:17:00,"));
}

void LoggingCycleTest::cycleLongerThanTheIntervalIsNotMadeUp() {
    CoreRig rig(utc_seconds(2026, 12, 7, 10, 15, 40));
    // The sensor takes 7 s per measurement with a 5 s interval.
    rig.prepare_logging("[sensor]\naddress = 3\nid = 13X\nm_seconds = 7\nvalues = 1\n", 3, kSlowTh, 3);
    rig.set_interval(5);
    rig.core->set_logging(true);
    QVERIFY(rig.run_until_records(3, 60000));
    const QList<QByteArray> lines = lines_of(rig.log_file());
    QVERIFY(lines[1].startsWith("0,7 Dec 2026, 10:15:40,"));
    QVERIFY(lines[2].startsWith("1,7 Dec 2026, 10:15:50,"));  // 10:15:45 passed during the first cycle
    QVERIFY(lines[3].startsWith("2,7 Dec 2026, 10:16:00,"));
}

void LoggingCycleTest::headerIsWrittenAgainAfterStopAndStart() {
    CoreRig rig;
    name_columns(rig.columns);
    rig.prepare_logging(sim_configs::kOneSensor, 3, kTh100, 3);
    rig.core->set_logging(true);
    QVERIFY(rig.run_until_records(1, 5000));
    rig.core->set_logging(false);
    rig.run_for(100);
    rig.core->set_logging(true);
    QVERIFY(rig.run_until_records(2, 5000));
    const QList<QByteArray> lines = lines_of(rig.log_file());
    QCOMPARE(lines.size(), 4);
    QCOMPARE(lines[0], QByteArray("Record,Date,Time,T,RH,V5,"));
    QCOMPARE(lines[2], QByteArray("Record,Date,Time,T,RH,V5,"));
    QVERIFY(lines[3].startsWith("0,"));
}

void LoggingCycleTest::aSilentSensorCostsItsAnswerWindowAndIsSaidOncePerCommand_data() {
    QTest::addColumn<QByteArray>("definition");
    QTest::addColumn<int>("window_ms");
    QTest::newRow("the default window") << kTh100 << 1000;
    QTest::newRow("the window of the definition's TIMEOUT")
        << QByteArray(
               "<device><main description=\"Slow to wake\" cells=\"2\"/><log cmd=\"TIMEOUT 4\"/>"
               "<log cell=\"0\" title=\"Temp\" cmd=\"aM!\"/><log title=\"RH\"/><log cmd=\"aD0!\"/></device>")
        << 4000;
}

void LoggingCycleTest::aSilentSensorCostsItsAnswerWindowAndIsSaidOncePerCommand() {
    QFETCH(QByteArray, definition);
    QFETCH(int, window_ms);
    CoreRig rig;
    rig.prepare_logging("[sensor]\naddress = 3\nid = 13X\nfault = silent\n", 3, definition, 3);
    rig.core->set_logging(true);
    rig.run_for(window_ms - 100);
    QVERIFY(!rig.console.contains(QStringLiteral("no answer")));
    QVERIFY(rig.run_until_records(1, 2 * window_ms + 1000));
    QCOMPARE(rig.console.count(QStringLiteral("no answer from 3 to 3M!\r\n")), 1);
    // The walk goes on with 3D0!, silent as well, then the record says what was measured: nothing.
    QVERIFY(rig.run_until_records(2, 65000));
    QCOMPARE(rig.console.count(QStringLiteral("no answer from 3 to 3D0!\r\n")), 2);  // once in each cycle
    QVERIFY(!rig.console.contains(QStringLiteral("**TIMEOUT ERROR")));
    QVERIFY2(lines_of(rig.log_file())[1].endsWith(" 16:14:34,nan"), rig.log_file().constData());
}

void LoggingCycleTest::aSensorThatFallsSilentIsMissingFromLaterRecordsAndALongCycleIsSaidOnce() {
    CoreRig rig;
    rig.prepare_logging(sim_configs::kOneSensor + "fault = silent\n", 3, kTh100, 3);
    rig.bus->with_bus([](SimBus& bus) { bus.set_faults_enabled(false); });
    rig.set_interval(1);
    rig.core->set_logging(true);
    QVERIFY(rig.run_until_records(1, 3000));
    rig.bus->with_bus([](SimBus& bus) { bus.set_faults_enabled(true); });
    QVERIFY(rig.run_until_records(3, 10000));
    const QList<QByteArray> lines = lines_of(rig.log_file());
    QVERIFY2(lines[1].endsWith(",21.500000,45.200001,nan"), rig.log_file().constData());
    // Never the values it gave before it fell silent.
    QVERIFY2(lines[2].endsWith(",nan,nan,nan") && lines[3].endsWith(",nan,nan,nan"),
             rig.log_file().constData());
    // Two answer windows do not fit into a 1 s interval: said once, with the cycle's length.
    QCOMPARE(rig.console.count(QStringLiteral("longer than the logging interval of 1 s")), 1);
}

void LoggingCycleTest::concurrentMeasurementResumesAfterThirtySeconds() {
    CoreRig rig;
    rig.attach_bus(sim_configs::kThreeSensors);
    rig.define_device(0, QStringLiteral("rain.xml"), kRain, 3);
    rig.define_device(3, QStringLiteral("wind.xml"), kWind, 6);
    rig.core->rebuild_scripts();
    rig.core->set_logging(true);
    rig.run_for(3000);
    // The wind sensor was served while the first sensor measures; its data line is still pending.
    QCOMPARE(rig.columns.value_text(6), QStringLiteral("4.5"));
    QCOMPARE(rig.columns.value_text(3), QStringLiteral("nan"));
    QCOMPARE(rig.records_ended, 0);
    rig.run_for(27000);
    QCOMPARE(rig.columns.value_text(3), QStringLiteral("nan"));
    QVERIFY(rig.run_until_records(1, 10000));
    QCOMPARE(rig.columns.value_text(3), QStringLiteral("21.5"));
    const QStringList lines = rig.console_lines();
    QVERIFY(lines.indexOf(QStringLiteral("3M!")) < lines.indexOf(QStringLiteral("0D0!")));
    QCOMPARE(lines_of(rig.log_file())[1],
             QByteArray("0,7 Dec 2026, 16:14:34,21.500000,45.200001,nan,4.500000,270.000000,nan"));
}

void LoggingCycleTest::formulaColumnsEnterTheRecord() {
    CoreRig rig;
    rig.columns.set_formula(8, QStringLiteral("=D*2"));
    rig.prepare_logging(sim_configs::kOneSensor, 3, kTh100, 3);
    rig.core->set_logging(true);
    QVERIFY(rig.run_until_records(1, 5000));
    const QList<QByteArray> lines = lines_of(rig.log_file());
    QCOMPARE(lines[0], QByteArray("Record,Date,Time,,,,,,,"));  // columns 0..8, unnamed ones empty
    QVERIFY(lines[1].endsWith(",21.500000,45.200001,nan,nan,nan,43.000000"));
}

void LoggingCycleTest::valuesOutsideTheColumnsAreReportedAndDropped() {
    CoreRig rig;
    rig.attach_bus(sim_configs::kOneSensor);
    rig.define_device(3, QStringLiteral("zero.xml"),
                      "<d><main cells=\"1\"/><log cmd=\"CELL 0\"/><log cmd=\"aM!\"/><log cmd=\"aD0!\"/>"
                      "<log cmd=\"CELL 400\"/><log cmd=\"aM!\"/><log cmd=\"aD0!\"/></d>",
                      3);
    rig.core->rebuild_scripts();
    rig.core->set_logging(true);
    QVERIFY(rig.run_until_records(1, 5000));
    QCOMPARE(rig.console.count(QStringLiteral("Index Column Error\r\n")), 2);
    // CELL 400 is capped at 240, and every further value overwrites column 240.
    QCOMPARE(rig.columns.value_text(240), QStringLiteral("45.2"));
    QCOMPARE(rig.core->highest_cell(), 240);
}

void LoggingCycleTest::unwritableLogFileIsReportedAndItsRecordsFollowLater() {
    CoreRig rig;
    rig.prepare_logging(sim_configs::kOneSensor, 3, kTh100, 3);
    rig.set_interval(5);
    // A folder where the log file should be: it cannot be opened for appending.
    QVERIFY(QDir().mkpath(rig.root + QStringLiteral("LOG/test.csv")));
    rig.core->set_logging(true);
    QVERIFY(rig.run_until_records(2, 20000));
    QCOMPARE(rig.console.count(QStringLiteral("File Error ")), 1);  // said once per outage
    QVERIFY(QDir(rig.root + QStringLiteral("LOG/test.csv")).removeRecursively());
    QVERIFY(rig.run_until_records(3, 20000));
    QVERIFY(rig.console.contains(QStringLiteral("Log file writable again: 3 held lines written")));
    const QList<QByteArray> lines = lines_of(rig.log_file());
    QCOMPARE(lines.size(), 4);  // header and all three records, in order
    QVERIFY(lines[1].startsWith("0,") && lines[2].startsWith("1,") && lines[3].startsWith("2,"));
}

void LoggingCycleTest::intervalOfZeroIsReplacedBySixtySeconds() {
    CoreRig rig;
    QFile f(rig.root + QStringLiteral("Config/config.xml"));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(
        "<!DOCTYPE CoreConfig><main><config PortNo=\"2\" LogInterval=\"0\" Filename=\"x.csv\" "
        "CommMode=\"0\"/></main>");
    f.close();
    rig.core->read_core_config();
    QCOMPARE(rig.core->settings().interval, 60);
    QVERIFY(rig.console.contains(QStringLiteral("Logging interval 0 s")));
}

void LoggingCycleTest::rebuildDuringACycleWaitsForTheNextCycle() {
    CoreRig rig;
    start_waiting_for_service_request(rig, 10);
    rig.devices.update(3, [](idev& d) { d.start_column = 10; });
    rig.core->rebuild_scripts();
    QVERIFY(rig.run_until_records(2, 30000));
    const QList<QByteArray> lines = lines_of(rig.log_file());
    QVERIFY2(lines[1].endsWith(",1.000000,2.000000,nan"), lines[1].constData());
    QCOMPARE(rig.columns.value_text(10), QStringLiteral("1"));
}

void LoggingCycleTest::tooManyColumnsIsAColumnErrorAndNoRecord() {
    CoreRig rig;
    rig.write_record(201, true);
    QVERIFY(rig.console.contains(QStringLiteral("Column Error\r\n")));
    QCOMPARE(rig.log_file(), QByteArray());
    QCOMPARE(rig.core->record_number(), 0);
    rig.write_record(200, true);
    QCOMPARE(rig.core->record_number(), 1);
}

void LoggingCycleTest::aRecordCountsOnlyOnceItsLineIsInTheFileOrHeldBack_data() {
    QTest::addColumn<bool>("transfer");
    QTest::newRow("a downloaded or imported record is refused") << true;
    QTest::newRow("a cycle record is held back") << false;
}

void LoggingCycleTest::aRecordCountsOnlyOnceItsLineIsInTheFileOrHeldBack() {
    QFETCH(bool, transfer);
    CoreRig rig;
    const QString log = rig.root + QStringLiteral("LOG/test.csv");
    QVERIFY(QDir().mkpath(log));  // a folder where the file should be
    QVERIFY(!rig.write_record(3, transfer));
    QCOMPARE(rig.core->record_number(), transfer ? 0 : 1);
    QCOMPARE(rig.log().held_lines(), transfer ? 0 : 2);  // with the header
    // At exit, what is still held back is said with its number.
    QCOMPARE(rig.log().flush_at_exit(), transfer ? 0 : 2);
    QCOMPARE(rig.console.contains(QStringLiteral("2 record lines could not be written")), !transfer);
    QVERIFY(QDir(log).removeRecursively());
    QVERIFY(rig.write_record(3, transfer));
    // The header comes first, and no record twice.
    const QList<QByteArray> lines = lines_of(rig.log_file());
    QCOMPARE(lines.size(), transfer ? 2 : 3);
    QVERIFY(lines[0].startsWith("Record,"));
}

void LoggingCycleTest::longColumnNamesAreReportedAndCut() {
    CoreRig rig;
    rig.columns.set_name(3, QString(150, QLatin1Char('a')));
    rig.columns.set_name(4, QString(250, QLatin1Char('b')));
    rig.write_record(4, false);
    QCOMPARE(rig.console.count(QStringLiteral("Length Error\r\n")), 2);
    const QByteArray header = lines_of(rig.log_file())[0];
    QCOMPARE(header, "Record,Date,Time," + QByteArray(150, 'a') + ',' + QByteArray(200, 'b') + ',');
}

void LoggingCycleTest::importFormTakesTheFirstFieldsFromColumnTexts() {
    CoreRig rig;
    rig.core->set_column_value(0, 17.0f);
    rig.core->set_column_value(1, 20261207.0f);
    rig.core->set_column_value(2, 1614.0f);
    rig.core->set_column_value(3, 2.5f);
    rig.write_record(3, true);
    QCOMPARE(rig.log_file(), QByteArray("Record,Date,Time,,\n17,2.02612e+07,1614,2.500000\n"));
}

void LoggingCycleTest::currentValuesFileReplacesAPlantedLinkInsteadOfFollowingIt() {
    QTemporaryDir dir;
    const QString target = dir.path() + QStringLiteral("/victim.txt");
    const QString current = dir.path() + QStringLiteral("/veld_current.txt");
    QFile victim(target);
    QVERIFY(victim.open(QIODevice::WriteOnly));
    victim.write("precious\n");
    victim.close();
    QVERIFY(QFile::link(target, current));
    RecordWriter writer([](const QString&) {}, current);
    QVERIFY(writer.replace_current_values("0,7 Dec 2026, 16:14:34,1.000000\n"));
    QVERIFY(!QFileInfo(current).isSymLink());
    QFile check(target);
    QVERIFY(check.open(QIODevice::ReadOnly));
    QCOMPARE(check.readAll(), QByteArray("precious\n"));
    QFile written(current);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.readAll(), QByteArray("0,7 Dec 2026, 16:14:34,1.000000\n"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);  // no temporary left
}

// Sensors 0 and 3 measure at once; sensor 0 fills D and E, sensor 3 fills F and G.
const std::string kTwoQuickSensors =
    "[sensor]\naddress = 0\nid = 13A\nm_seconds = 0\nvalues = 21.5 45.2\n"
    "[sensor]\naddress = 3\nid = 13B\nm_seconds = 0\nvalues = 4.5 270\n";

void LoggingCycleTest::strayLineNeverMovesAValueIntoAnotherSensorsColumns_data() {
    QTest::addColumn<QByteArray>("stray");
    QTest::addColumn<int>("at_ms");  // after logging starts
    // What a measurement started before a restart leaves: its service request.
    QTest::newRow("service request before the first command") << QByteArray("0\r\n") << 0;
    QTest::newRow("service request right after 0M! is sent") << QByteArray("0\r\n") << 30;
    QTest::newRow("another sensor's data line") << QByteArray("3+9.9+9.9\r\n") << 30;
    QTest::newRow("line noise") << QByteArray("#~x\r\n") << 30;
}

void LoggingCycleTest::strayLineNeverMovesAValueIntoAnotherSensorsColumns() {
    QFETCH(QByteArray, stray);
    QFETCH(int, at_ms);
    CoreRig rig;
    rig.attach_bus(kTwoQuickSensors);
    rig.define_device(0, QStringLiteral("a.xml"), kTh100, 3);
    rig.define_device(3, QStringLiteral("b.xml"), kWind, 5);
    rig.core->rebuild_scripts();
    rig.core->set_logging(true);
    // Fed ahead: the bus's echo and answers queue up behind it.
    rig.link.feed(stray.toStdString(), rig.clock.tick_ms() + at_ms);
    QVERIFY(rig.run_until_records(1, 5000));
    // A stray line may cost a value (it then stays as a silent sensor's would); it never moves one.
    QVERIFY2(rig.log_file().endsWith(",21.500000,45.200001,4.500000,270.000000,nan\n"),
             rig.log_file().constData());
}

void LoggingCycleTest::wallClockStepIsSaidOnceAndRecordsKeepTheInterval_data() {
    QTest::addColumn<int>("step_s");
    QTest::addColumn<QString>("said");
    QTest::newRow("set back ten minutes") << -600 << QStringLiteral("Clock set back by 600 s\r\n");
    QTest::newRow("set forward ten minutes") << 600 << QStringLiteral("Clock set forward by 600 s\r\n");
}

void LoggingCycleTest::wallClockStepIsSaidOnceAndRecordsKeepTheInterval() {
    QFETCH(int, step_s);
    QFETCH(QString, said);
    CoreRig rig(utc_seconds(2026, 12, 7, 10, 15, 40));
    rig.prepare_logging(sim_configs::kOneSensor, 3, kTh100, 3);
    rig.set_interval(5);
    rig.core->set_logging(true);
    QVERIFY(rig.run_until_records(2, 10000));
    rig.clock.set_wall_ms(rig.clock.wall_ms() + std::int64_t(step_s) * 1000);
    QVERIFY(rig.run_until_records(5, 20000));  // set back, the old schedule would wait ten minutes
    QCOMPARE(rig.console.count(said), 1);
    const QList<QByteArray> lines = lines_of(rig.log_file());
    // After the step the records fall on whole multiples of 5 s of the new clock, 5 s apart.
    const auto clock_of = [](const QByteArray& line) {
        return QTime::fromString(QString::fromLatin1(line.split(',')[2].trimmed()),
                                 QStringLiteral("hh:mm:ss"));
    };
    QCOMPARE(clock_of(lines[4]).minute(), step_s < 0 ? 5 : 25);
    QCOMPARE(clock_of(lines[4]).second() % 5, 0);
    QCOMPARE(clock_of(lines[5]), clock_of(lines[4]).addSecs(5));
}

void LoggingCycleTest::pulledPortAbandonsTheCycleAndLoggingResumesWhenItIsBack() {
    CoreRig rig;
    start_waiting_for_service_request(rig, 5);
    rig.link.set_gone(true);
    rig.run_for(15000);
    QCOMPARE(rig.console.count(QStringLiteral(" lost: ")), 1);
    QCOMPARE(rig.console.count(QStringLiteral("abandoned: no record written")), 1);
    QVERIFY(rig.core->status_text(sdi12_core::kStatusLine)
                .contains(QStringLiteral("Port lost: the device was removed")));
    QCOMPARE(rig.records_ended, 0);
    QCOMPARE(rig.log_file(), QByteArray());

    rig.link.set_gone(false);
    QVERIFY(rig.run_until_records(1, 10000));
    QCOMPARE(rig.console.count(QStringLiteral(" is back\r\n")), 1);
    QVERIFY(!rig.core->status_text(sdi12_core::kStatusLine).contains(QStringLiteral("Port lost")));
    QVERIFY(lines_of(rig.log_file())[1].startsWith("0,"));
}

void LoggingCycleTest::aPortMissingWhenLoggingStartsWritesNoRecordUntilItIsBack() {
    CoreRig rig;
    rig.prepare_logging(sim_configs::kOneSensor, 3, kTh100, 3);
    rig.set_interval(5);
    rig.link.set_open_error(ENOENT);
    rig.core->set_logging(true);
    rig.run_for(16000);  // four cycle starts
    QCOMPARE(rig.console.count(QStringLiteral("cannot be opened")), 1);
    QVERIFY(!rig.console.contains(QStringLiteral("no answer")));  // nothing waits on a missing port
    QVERIFY(rig.core->status_text(sdi12_core::kStatusLine).contains(QStringLiteral("Port lost: ")));
    QCOMPARE(rig.log_file(), QByteArray());
    rig.link.set_open_error(0);
    QVERIFY(rig.run_until_records(1, 6000));
    QCOMPARE(rig.console.count(QStringLiteral(" is back\r\n")), 1);
    QVERIFY(lines_of(rig.log_file())[1].endsWith(",21.500000,45.200001,nan"));
}

void LoggingCycleTest::linesBeyondTheHeldBackBoundAreCountedAndSaid() {
    QTemporaryDir dir;
    const QString log = dir.path() + QStringLiteral("/log.csv");
    QVERIFY(QDir().mkpath(log));  // a folder where the file should be
    QString console;
    RecordWriter writer([&](const QString& m) { console += m + QStringLiteral("\n"); }, QString(), 2);
    for (int i = 0; i < 5; ++i) writer.append(log, QByteArray::number(i) + '\n');
    QCOMPARE(writer.dropped_lines(), 3);
    QCOMPARE(console.count(QStringLiteral("further lines are lost")), 1);
    QVERIFY(QDir(log).removeRecursively());
    QVERIFY(writer.append(log, "5\n"));
    QVERIFY(console.contains(
        QStringLiteral("Log file writable again: 2 held lines written, 3 lines were lost while it was not")));
    QFile f(log);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("0\n1\n5\n"));
}

void LoggingCycleTest::currentValuesFileThatCannotBeReplacedIsSaidOnce() {
    QTemporaryDir dir;
    const QString current = dir.path() + QStringLiteral("/veld_current.txt");
    QVERIFY(QDir().mkpath(current));  // a thing of that name that a file cannot replace
    QString console;
    RecordWriter writer([&](const QString& m) { console += m + QStringLiteral("\n"); }, current);
    QVERIFY(!writer.replace_current_values("1\n"));
    QVERIFY(!writer.replace_current_values("2\n"));
    QCOMPARE(console.count(QStringLiteral("Cannot replace ") + current), 1);
}

void LoggingCycleTest::logFileNameThatLeavesTheLogFolderIsRefused_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("parent folders") << QStringLiteral("../../../escaped.csv");
    QTest::newRow("a sub-folder") << QStringLiteral("sub/x.csv");
    QTest::newRow("a backslash path") << QStringLiteral("..\\x.csv");
    QTest::newRow("the parent itself") << QStringLiteral("..");
    QTest::newRow("a drive") << QStringLiteral("c:x.csv");
}

void LoggingCycleTest::logFileNameThatLeavesTheLogFolderIsRefused() {
    QFETCH(QString, name);
    CoreRig rig;
    QFile f(rig.root + QStringLiteral("Config/config.xml"));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("<!DOCTYPE CoreConfig><main><config Filename=\"" + name.toUtf8() + "\"/></main>");
    f.close();
    rig.core->read_core_config();
    QCOMPARE(rig.core->log_file_name(), QStringLiteral("test.csv"));
    QVERIFY(rig.console.contains(QStringLiteral("refused")));
    rig.write_record(3, false);
    QVERIFY(!rig.log_file().isEmpty());  // the record went to the name that was kept
}

void LoggingCycleTest::statusLineDoesNotWaitForARecordBeingWritten() {
    CoreRig rig;
    // A log file that blocks its writer (a FIFO nobody reads yet), as a slow disk or share would.
    const QString log = rig.root + QStringLiteral("LOG/test.csv");
    QCOMPARE(::mkfifo(QFile::encodeName(log).constData(), 0600), 0);
    std::atomic<pid_t> writer_id{0};
    std::thread writer([&] {
        writer_id = thread_state::this_thread_id();
        rig.write_record(3, false);
    });
    QTRY_VERIFY(writer_id != 0);
    QVERIFY(thread_state::wait_until_asleep(writer_id));  // the writer is now inside the file write
    // Would never return if the status line waited for the write.
    QVERIFY(rig.core->status_text(sdi12_core::kStatusLine).startsWith(QStringLiteral("Logging N")));
    QFile reader(log);
    QVERIFY(reader.open(QIODevice::ReadOnly));
    writer.join();
    QVERIFY(reader.readAll().startsWith("Record,Date,Time,"));
}

QTEST_GUILESS_MAIN(LoggingCycleTest)
#include "tst_logging_cycle.moc"
