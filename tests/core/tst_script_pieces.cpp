// The pure pieces of the script engine: line classes, data answers, option commands, the script
// built from definitions and the texts of the log file.
#include <QtTest>

#include "core/data_answer.h"
#include "core/logging_script.h"
#include "core/option_commands.h"
#include "core/record_format.h"
#include "core/script_line.h"
#include "core_rig.h"

class ScriptPieces : public QObject {
    Q_OBJECT
  private slots:
    void linesAreClassifiedByKeywordThenBySecondCharacter_data();
    void linesAreClassifiedByKeywordThenBySecondCharacter();
    void dataAnswersAreCutIntoNumbers_data();
    void dataAnswersAreCutIntoNumbers();
    void scriptIsBuiltFromTheLoggingEntriesInAddressOrder();
    void titleBeforeAnyCellNamesNoColumn();
    void optionCommandsCarryAddressAndPreparedValue_data();
    void optionCommandsCarryAddressAndPreparedValue();
    void optionAnswersLoseEchoAddressAndLineEnd_data();
    void optionAnswersLoseEchoAddressAndLineEnd();
    void recordLineHasNumberTimeAndSixDecimals();
    void headerEndsWithACommaBeforeTheLineEnd();
    void logFileNameComesFromTheLocalTime_data();
    void logFileNameComesFromTheLocalTime();
    void nextCycleIsTheNextWholeMultipleOfTheInterval_data();
    void nextCycleIsTheNextWholeMultipleOfTheInterval();
    void timeoutSecondsBecomeMillisecondsWithoutOverflow_data();
    void timeoutSecondsBecomeMillisecondsWithoutOverflow();
};

void ScriptPieces::linesAreClassifiedByKeywordThenBySecondCharacter_data() {
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("number");
    QTest::newRow("cell") << QByteArray("CELL 12") << -81 << 12;
    QTest::newRow("cell without space") << QByteArray("CELL7") << -81 << 7;
    QTest::newRow("delay") << QByteArray("DLY 500") << 0 << 500;
    QTest::newRow("start") << QByteArray("START") << -81 << 0;
    QTest::newRow("timeout") << QByteArray("TIMEOUT 5") << -81 << 5;
    QTest::newRow("waitresp") << QByteArray("WAITRESP") << 106 << 0;
    QTest::newRow("end") << QByteArray("END") << 160 << 0;
    QTest::newRow("data") << QByteArray("3D0!") << 3 << 0;
    QTest::newRow("measure") << QByteArray("3M!") << 2 << 0;
    QTest::newRow("measure with crc") << QByteArray("3MC1!") << 2 << 0;
    QTest::newRow("verify") << QByteArray("3S!") << 2 << 0;
    QTest::newRow("concurrent") << QByteArray("3C!") << 7 << 0;
    QTest::newRow("identify is only waited for") << QByteArray("3I!") << 106 << 0;
    QTest::newRow("lower-case keyword is a command") << QByteArray("cell 3") << 0 << 0;
    QTest::newRow("other text is skipped") << QByteArray("hello") << 0 << 0;
    QTest::newRow("empty line is skipped") << QByteArray() << 0 << 0;
}

void ScriptPieces::linesAreClassifiedByKeywordThenBySecondCharacter() {
    QFETCH(QByteArray, line);
    QFETCH(int, code);
    QFETCH(int, number);
    const ScriptLineAction a = classify_line(line);
    QCOMPARE(a.code, code);
    QCOMPARE(a.number, number);
}

void ScriptPieces::dataAnswersAreCutIntoNumbers_data() {
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QVector<float>>("values");
    QTest::newRow("echo then two values") << QByteArray("0D0!0+1.25-3.5\r") << QVector<float>{1.25f, -3.5f};
    QTest::newRow("no sign in the first 10 reads the echo digit")
        << QByteArray("0D0!0 1.25 3.5 xx") << QVector<float>{0.0f};
    QTest::newRow("exponent with sign") << QByteArray("0D0!0+1.5E+2-2E-1") << QVector<float>{150.0f, -0.2f};
    QTest::newRow("lower-case e ends the token") << QByteArray("0D0!0+1.5e2") << QVector<float>{1.5f};
    QTest::newRow("number longer than 16 characters is split")
        << QByteArray("0D0!0+1234567890123456789") << QVector<float>{123456789012345.0f, 6789.0f};
    QTest::newRow("sign alone reads as zero") << QByteArray("0D0!0+-1") << QVector<float>{0.0f, -1.0f};
    QTest::newRow("empty answer") << QByteArray("0D0!0\r") << QVector<float>{0.0f};
    QTest::newRow("nothing") << QByteArray("") << QVector<float>{};
}

void ScriptPieces::dataAnswersAreCutIntoNumbers() {
    QFETCH(QByteArray, line);
    QFETCH(QVector<float>, values);
    const std::vector<float> got = split_data_answer(line);
    QCOMPARE(QVector<float>(got.begin(), got.end()), values);
}

void ScriptPieces::scriptIsBuiltFromTheLoggingEntriesInAddressOrder() {
    std::array<idev, DeviceList::kSlots> all;
    for (int i = 0; i < DeviceList::kSlots; ++i) all[i].address = slot_address(i);
    all[3].definition = QStringLiteral("th.xml");
    all[3].start_column = 7;
    all[3].cells = 2;
    all[3].log_entries = {{2, QStringLiteral("Temp"), QStringLiteral("aM!")},
                          {-1, QStringLiteral("RH"), QString()},
                          {-1, QString(), QStringLiteral("aD0!")},
                          {-1, QString(), QStringLiteral("START")}};
    all[1].definition = QStringLiteral("rain.xml");
    all[1].start_column = 3;
    all[1].cells = 1;
    all[1].log_entries = {{0, QStringLiteral("Rain"), QStringLiteral("aC!")}};
    all[5].log_entries = {{0, QStringLiteral("Ignored"), QStringLiteral("aM!")}};  // no definition

    const LoggingScript s = build_logging_script(all);
    const std::vector<QByteArray> expected{"CELL 3", "1C!", "CELL 9", "3M!", "3D0!", "START"};
    QCOMPARE(s.lines, expected);
    QCOMPARE(int(s.labels.size()), 3);
    QCOMPARE(s.labels[0], std::make_pair(3, QStringLiteral("Rain(1)")));
    QCOMPARE(s.labels[1], std::make_pair(9, QStringLiteral("Temp(3)")));
    QCOMPARE(s.labels[2], std::make_pair(10, QStringLiteral("RH(3)")));
    QCOMPARE(s.end_columns[3], 8);
    QCOMPARE(s.end_columns[1], 3);
}

void ScriptPieces::titleBeforeAnyCellNamesNoColumn() {
    std::array<idev, DeviceList::kSlots> all;
    all[0].address = QStringLiteral("0");
    all[0].definition = QStringLiteral("x.xml");
    all[0].log_entries = {{-1, QStringLiteral("Loose"), QStringLiteral("aM!")}};
    const LoggingScript s = build_logging_script(all);
    QVERIFY(s.labels.empty());
    QCOMPARE(s.lines, std::vector<QByteArray>{"0M!"});
}

void ScriptPieces::optionCommandsCarryAddressAndPreparedValue_data() {
    QTest::addColumn<QString>("type");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("command");
    QTest::newRow("read") << "FLOAT" << 1 << ""
                          << "3XRAVG!";
    QTest::newRow("float write loses plus") << "FLOAT" << 2 << "+12.5"
                                            << "3XWAVG=12.5!";
    QTest::newRow("select shown value becomes stored value") << "SELECT" << 2 << "Fahrenheit"
                                                             << "3XWAVG=F!";
    QTest::newRow("select unknown value stays") << "SELECT" << 2 << "K"
                                                << "3XWAVG=K!";
    QTest::newRow("label write keeps plus") << "LABEL" << 2 << "+1"
                                            << "3XWAVG=+1!";
    QTest::newRow("unknown kind") << "FLOAT" << 5 << "1"
                                  << "";
}

void ScriptPieces::optionCommandsCarryAddressAndPreparedValue() {
    QFETCH(QString, type);
    QFETCH(int, kind);
    QFETCH(QString, value);
    QFETCH(QString, command);
    dev_opt o;
    o.type = type;
    o.read_cmd = QStringLiteral("aXRAVG!");
    o.write_cmd = QStringLiteral("aXWAVG=#!");
    o.stored_values = QStringList{QStringLiteral("C"), QStringLiteral("F")};
    o.displayed_values = QStringList{QStringLiteral("Celsius"), QStringLiteral("Fahrenheit")};
    QCOMPARE(build_command(o, kind, QStringLiteral("3"), value), command);
}

void ScriptPieces::optionAnswersLoseEchoAddressAndLineEnd_data() {
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("answer");
    QTest::newRow("float") << QByteArray("0XR!0+12.5\r\n") << "FLOAT"
                           << "12.5";
    QTest::newRow("select keeps text") << QByteArray("0XRUNIT!0C\r") << "SELECT"
                                       << "C";
    QTest::newRow("label keeps plus") << QByteArray("0XRSN!0+SN1\r") << "LABEL"
                                      << "+SN1";
    QTest::newRow("no bang") << QByteArray("garbage\r") << "FLOAT"
                             << "";
}

void ScriptPieces::optionAnswersLoseEchoAddressAndLineEnd() {
    QFETCH(QByteArray, line);
    QFETCH(QString, type);
    QFETCH(QString, answer);
    QCOMPARE(extract_answer(line, type), answer);
}

void ScriptPieces::recordLineHasNumberTimeAndSixDecimals() {
    const QByteArray first = format_cycle_fields(0, utc_seconds(2026, 12, 7, 16, 14, 34));
    QCOMPARE(format_record_line(first, {1.25f, -3.5f, 0.0f}),
             QByteArray("0,7 Dec 2026, 16:14:34,1.250000,-3.500000,0.000000\n"));
    QCOMPARE(format_record_line("3,1 Jan 2027, 00:00:05", {}), QByteArray("3,1 Jan 2027, 00:00:05\n"));
}

void ScriptPieces::headerEndsWithACommaBeforeTheLineEnd() {
    QCOMPARE(format_header_line({"Record", "Date", "Time", "T"}), QByteArray("Record,Date,Time,T,\n"));
}

void ScriptPieces::logFileNameComesFromTheLocalTime_data() {
    QTest::addColumn<QString>("current");
    QTest::addColumn<QString>("made");
    QTest::newRow("csv") << "old.csv"
                         << "20261207_1614.csv";
    QTest::newRow("default none") << "none"
                                  << "20261207_1614.txt";
}

void ScriptPieces::logFileNameComesFromTheLocalTime() {
    QFETCH(QString, current);
    QFETCH(QString, made);
    QCOMPARE(make_log_file_name(current, utc_seconds(2026, 12, 7, 16, 14, 59)), made);
}

void ScriptPieces::nextCycleIsTheNextWholeMultipleOfTheInterval_data() {
    QTest::addColumn<qint64>("now");
    QTest::addColumn<int>("interval");
    QTest::addColumn<qint64>("next");
    auto at = [](int h, int m, int s) { return qint64(utc_seconds(2026, 12, 7, h, m, s)); };
    QTest::newRow("minute") << at(10, 15, 40) << 60 << at(10, 16, 0);
    QTest::newRow("on the minute goes to the next") << at(10, 16, 0) << 60 << at(10, 17, 0);
    QTest::newRow("hour") << at(10, 15, 40) << 3600 << at(11, 0, 0);
    QTest::newRow("five seconds") << at(10, 15, 40) << 5 << at(10, 15, 45);
}

void ScriptPieces::nextCycleIsTheNextWholeMultipleOfTheInterval() {
    QFETCH(qint64, now);
    QFETCH(int, interval);
    QFETCH(qint64, next);
    QCOMPARE(next_multiple(now, interval), next);
}

void ScriptPieces::timeoutSecondsBecomeMillisecondsWithoutOverflow_data() {
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<int>("ms");
    QTest::newRow("five seconds") << QByteArray("TIMEOUT 5") << 5000;
    QTest::newRow("largest that fits") << QByteArray("TIMEOUT 2147483") << 2147483000;
    QTest::newRow("one more") << QByteArray("TIMEOUT 2147484") << INT_MAX;
    QTest::newRow("far beyond") << QByteArray("TIMEOUT 99999999999") << INT_MAX;
    QTest::newRow("negative") << QByteArray("TIMEOUT -3") << -3000;
}

void ScriptPieces::timeoutSecondsBecomeMillisecondsWithoutOverflow() {
    QFETCH(QByteArray, line);
    QFETCH(int, ms);
    QCOMPARE(script_timeout_ms(classify_line(line).number), ms);
}

QTEST_GUILESS_MAIN(ScriptPieces)
#include "tst_script_pieces.moc"
