// The folder import in virtual time: which files it takes, when, how often, and what reaches the log.
#include <QtTest>

#include "import_rig.h"

namespace {
QByteArray numbered_records(int first, int last) {
    QByteArray text = "Record,Date,Time,T\n";
    for (int i = first; i <= last; ++i) text += QByteArray::number(i) + ",2026-12-07,10:00:00,1.5\n";
    return text;
}
}  // namespace

class FolderImportTest : public QObject {
    Q_OBJECT
  private slots:
    void scanRulesDecideWhichRecordsAreImported_data();
    void scanRulesDecideWhichRecordsAreImported();
    void recordsReachTheLogWithTheirFirstThreeFieldsFromTheFile();
    void oneFilePerScanTheOldestFirst();
    void filesOfTheSameSecondAreEachImportedOnceAlsoAfterARestart();
    void filesOfTheLastSecondBeforeNamesWereKeptAreNotImportedAgain();
    void fileWrittenInPiecesIsImportedOnceWhole();
    void stoppingDuringALongFileStopsAfterTheRecordAndTheNextImportGoesOn();
};

void FolderImportTest::scanRulesDecideWhichRecordsAreImported_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("enabled");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<int>("records");
    const QByteArray one = "1,2026-12-07,10:00:00,1.5\n";
    QTest::newRow("a matching file") << "data.csv" << one << "1"
                                     << "" << 1;
    QTest::newRow("import disabled") << "data.csv" << one << "0"
                                     << "" << 0;
    QTest::newRow("enabled by another text") << "data.csv" << one << "yes"
                                             << "" << 1;
    QTest::newRow("filter in the name") << "day_data.csv" << one << "1"
                                        << "data" << 1;
    QTest::newRow("filter only in other case") << "DATA.csv" << one << "1"
                                               << "data" << 0;
    QTest::newRow("four bytes") << "data.csv" << QByteArray("1,,\n") << "1"
                                << "" << 0;
    QTest::newRow("two-character name") << "ab" << one << "1"
                                        << "" << 0;
    QTest::newRow("header and blank lines skipped")
        << "data.csv" << QByteArray("Record,Date,Time,T\n\n\r\n17,d,t,1\n\n18,d,t,2") << "1"
        << "" << 2;
    QTest::newRow("record numbers -1 to 1000000 only")
        << "data.csv" << QByteArray("-2,d,t,1\n-1,d,t,1\n1000000,d,t,1\n1000001,d,t,1\nx1,d,t,1\n") << "1"
        << "" << 2;
}

void FolderImportTest::scanRulesDecideWhichRecordsAreImported() {
    QFETCH(QString, name);
    QFETCH(QByteArray, text);
    QFETCH(QString, enabled);
    QFETCH(QString, filter);
    QFETCH(int, records);
    ImportRig rig;
    rig.set({{ImportSettings::kEnabled, enabled}, {ImportSettings::kFilter, filter}});
    rig.drop(name, text);
    QCOMPARE(rig.scan(4), records);
    QCOMPARE(rig.log_records().size(), records);
    QCOMPARE(rig.records_added, records);
    if (records > 0)
        QCOMPARE(rig.console, QStringList{QStringLiteral("Imported %1: %2 records").arg(name).arg(records)});
}

void FolderImportTest::recordsReachTheLogWithTheirFirstThreeFieldsFromTheFile() {
    ImportRig rig;
    rig.acq.columns.set_formula(5, QStringLiteral("=D*2"));
    rig.drop(QStringLiteral("mixed.csv"),
             "17,2026-12-07,10:00:00,1.5,2.25\n"   // separate date and time
             "18,2026-12-07 10:00:05,ignored,3\n"  // date and time in one field
             "19,7 Dec 2026, 16:14:34,4\r\n");     // a line of this program's own log
    QCOMPARE(rig.scan(3), 3);
    const QList<QByteArray> lines = rig.log_records();
    QCOMPARE(lines.size(), 3);
    QVERIFY2(lines[0].startsWith("17,2026-12-07,10:00:00,1.500000,2.250000,3.000000,"), lines[0]);
    QVERIFY2(lines[1].startsWith("18,2026-12-07,10:00:05,3.000000,2.250000,6.000000,"), lines[1]);
    QVERIFY2(lines[2].startsWith("19,7 Dec 2026, 16:14:34,4.000000,"), lines[2]);
    // Columns 0..40: the first three plus 38 values (the date of the last one holds a comma).
    QCOMPARE(lines[0].count(','), 40);
}

void FolderImportTest::oneFilePerScanTheOldestFirst() {
    ImportRig rig;
    rig.drop(QStringLiteral("a_new.csv"), numbered_records(20, 21), ImportRig::kBase + 20);
    rig.drop(QStringLiteral("b_old.csv"), numbered_records(10, 11), ImportRig::kBase + 10);
    rig.scan();  // sees both settled for the first time
    QCOMPARE(rig.scan(), 2);
    QCOMPARE(rig.logged_numbers(), (QStringList{"10", "11"}));
    QCOMPARE(rig.scan(), 2);
    QCOMPARE(rig.scan(3), 0);
    QCOMPARE(rig.logged_numbers(), (QStringList{"10", "11", "20", "21"}));
}

void FolderImportTest::filesOfTheSameSecondAreEachImportedOnceAlsoAfterARestart() {
    ImportRig rig;
    rig.drop(QStringLiteral("first.csv"), numbered_records(1, 2));
    rig.drop(QStringLiteral("second.csv"), numbered_records(3, 4));
    QCOMPARE(rig.scan(5), 4);
    rig.restart();
    // A third file of the same second, dropped while the program was not running.
    rig.drop(QStringLiteral("third.csv"), numbered_records(5, 5));
    QCOMPARE(rig.scan(5), 1);
    QCOMPARE(rig.logged_numbers(), (QStringList{"1", "2", "3", "4", "5"}));
}

void FolderImportTest::filesOfTheLastSecondBeforeNamesWereKeptAreNotImportedAgain() {
    ImportRig rig;
    rig.set({{ImportSettings::kProcTime, QString::number(ImportRig::kBase)}});
    rig.restart();
    rig.drop(QStringLiteral("imported_before.csv"), numbered_records(1, 2));
    rig.drop(QStringLiteral("later.csv"), numbered_records(3, 3), ImportRig::kBase + 1);
    QCOMPARE(rig.scan(5), 1);
    QCOMPARE(rig.logged_numbers(), QStringList{"3"});
}

void FolderImportTest::fileWrittenInPiecesIsImportedOnceWhole() {
    ImportRig rig;
    rig.drop(QStringLiteral("slow.csv"), numbered_records(1, 3));
    QCOMPARE(rig.scan(), 0);
    rig.drop(QStringLiteral("slow.csv"), "4,2026-12-07,10:00:01,2\n", ImportRig::kBase + 1, true);
    QCOMPARE(rig.scan(), 0);
    rig.drop(QStringLiteral("slow.csv"), "5,2026-12-07,10:00:01,2\n", ImportRig::kBase + 1, true);
    QCOMPARE(rig.scan(), 0);
    QCOMPARE(rig.scan(4), 5);
    QCOMPARE(rig.logged_numbers(), (QStringList{"1", "2", "3", "4", "5"}));
}

void FolderImportTest::stoppingDuringALongFileStopsAfterTheRecordAndTheNextImportGoesOn() {
    ImportRig rig;
    rig.drop(QStringLiteral("long.csv"), numbered_records(1, 10));
    rig.stop_after = 3;
    QCOMPARE(rig.scan(2), 3);
    QCOMPARE(rig.console, QStringList{QStringLiteral("Import of long.csv stopped after 3 records")});
    QCOMPARE(rig.scan(2), 0);  // stopped: nothing more

    rig.restart();
    rig.running_flag = true;
    QCOMPARE(rig.scan(3), 7);
    QStringList all;
    for (int i = 1; i <= 10; ++i) all << QString::number(i);
    QCOMPARE(rig.logged_numbers(), all);
}

QTEST_GUILESS_MAIN(FolderImportTest)
#include "tst_folder_import.moc"
