// The folder import in virtual time: which files it takes, when, how often, which lines become
// records, and what reaches the log.
#include <QtTest>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

#include "import_rig.h"

namespace {
QByteArray numbered_records(int first, int last) {
    QByteArray text = "Record,Date,Time,T\n";
    for (int i = first; i <= last; ++i) text += QByteArray::number(i) + ",2026-12-07,10:00:00,1.5\n";
    return text;
}
QStringList numbers(int first, int last) {
    QStringList all;
    for (int i = first; i <= last; ++i) all << QString::number(i);
    return all;
}
}  // namespace

class FolderImportTest : public QObject {
    Q_OBJECT
  private slots:
    void scanRulesDecideWhichRecordsAreImported_data();
    void scanRulesDecideWhichRecordsAreImported();
    void recordsReachTheLogWithTheirFirstThreeFieldsFromTheFile();
    void lineRulesDecideWhatIsImportedAndSaid_data();
    void lineRulesDecideWhatIsImportedAndSaid();
    void shortLineLeavesItsMissingColumnsEmpty();
    void filesAreImportedOldestFirstAndTimesHideNone_data();
    void filesAreImportedOldestFirstAndTimesHideNone();
    void filesOfTheSameSecondAreEachImportedOnceAlsoAfterARestart();
    void progressOfAnEarlierVersionIsTakenOver_data();
    void progressOfAnEarlierVersionIsTakenOver();
    void appendedLinesAreImportedOnceAndAnUnfinishedLineWaits();
    void renamedFileIsNotImportedAgain();
    void uploadUnderATemporaryNameIsImportedOnceWhenRenamed();
    void fileThatShrankOrChangedItsStartIsANewFile_data();
    void fileThatShrankOrChangedItsStartIsANewFile();
    void fileWrittenAnewWhileItIsReadIsNotMixedWithTheOldOne();
    void onlyRegularFilesAreRead_data();
    void onlyRegularFilesAreRead();
    void longFileIsImportedWhole();
    void unwritableLogPausesTheImportUntilItTakesRecordsAgain();
    void windowsAreToldAtMostFiveTimesASecondAndAtTheEndOfAFile_data();
    void windowsAreToldAtMostFiveTimesASecondAndAtTheEndOfAFile();
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
    for (const char* upload :
         {"up.csv.part", "up.csv.tmp", "up.csv.filepart", "up.csv.crdownload", "up.csv~", ".up.csv"})
        QTest::newRow(upload) << upload << one << "1"
                              << ".csv" << 0;
    QTest::newRow("header and blank lines skipped")
        << "data.csv" << QByteArray("Record,Date,Time,T\n\n\r\n17,d,t,1\n\n18,d,t,2\n") << "1"
        << "" << 2;
    QTest::newRow("record numbers -1 to 1000000 only")
        << "data.csv" << QByteArray("-2,d,t,1\n-1,d,t,1\n1000000,d,t,1\n1000001,d,t,1\nx1,d,t,1\n") << "1"
        << "" << 2;
    QTest::newRow("a last line without line end waits")
        << "data.csv" << QByteArray("17,d,t,1\n18,d,t,2") << "1"
        << "" << 1;
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
    QCOMPARE(rig.records_imported, records);
    const QStringList said{QStringLiteral("Imported %1: %2 records").arg(name).arg(records)};
    QCOMPARE(rig.console, records > 0 ? said : QStringList());
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
    QVERIFY2(lines[1].startsWith("18,2026-12-07,10:00:05,3.000000,nan,6.000000,"), lines[1]);
    QVERIFY2(lines[2].startsWith("19,7 Dec 2026, 16:14:34,4.000000,nan,"), lines[2]);
    // Columns 0..40: the first three plus 38 values (the date of the last one holds a comma).
    QCOMPARE(lines[0].count(','), 40);
}

void FolderImportTest::lineRulesDecideWhatIsImportedAndSaid_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QStringList>("logged");
    QTest::addColumn<QStringList>("said");
    const QByteArray longest = "2,d,t," + QByteArray(9999 - 7, '7') + "\n";  // 9999 bytes with its line end
    const QByteArray too_long = "2,d,t," + QByteArray(9999 - 6, '7') + "\n";
    const QByteArray huge = "2,d,t," + QByteArray(3 << 20, '7') + "\n";  // over several reads
    QTest::newRow("a line of 9999 bytes")
        << "1,d,t,1\n" + longest + "3,d,t,3\n"
        << QStringList{"1", "2", "3"} << QStringList{"Imported data.csv: 3 records"};
    QTest::newRow("a line of 10000 bytes")
        << "1,d,t,1\n" + too_long + "3,d,t,3\n"
        << QStringList{"1", "3"}
        << QStringList{"data.csv line 2: longer than 9999 bytes, skipped", "Imported data.csv: 2 records"};
    QTest::newRow("a line of megabytes")
        << "1,d,t,1\n" + huge + "3,d,t,3\n"
        << QStringList{"1", "3"}
        << QStringList{"data.csv line 2: longer than 9999 bytes, skipped", "Imported data.csv: 2 records"};
    QTest::newRow("a NUL byte") << QByteArray("1,d,t,1\n2,d,t,\0002\n3,d,t,3\n", 25) << QStringList{"1", "3"}
                                << QStringList{"data.csv line 2: control characters, refused",
                                               "Imported data.csv: 2 records"};
    QTest::newRow("a CR inside a line")
        << QByteArray("1,d,t,1\n2,d,t,2\r2,d,t,2\n3,d,t,3\n") << QStringList{"1", "3"}
        << QStringList{"data.csv line 2: control characters, refused", "Imported data.csv: 2 records"};
    QTest::newRow("DEL") << QByteArray("1,d,t,1\n2,d\x7f,t,2\n") << QStringList{"1"}
                         << QStringList{"data.csv line 2: control characters, refused",
                                        "Imported data.csv: 1 records"};
    QTest::newRow("tabs and CR LF line ends")
        << QByteArray("1,d\tx,t,1\r\n2,d,t,2\r\n") << QStringList{"1", "2"}
        << QStringList{"Imported data.csv: 2 records"};
}

void FolderImportTest::lineRulesDecideWhatIsImportedAndSaid() {
    QFETCH(QByteArray, text);
    QFETCH(QStringList, logged);
    QFETCH(QStringList, said);
    ImportRig rig;
    rig.drop(QStringLiteral("data.csv"), text);
    rig.scan(3);
    QCOMPARE(rig.logged_numbers(), logged);
    QCOMPARE(rig.console, said);
}

void FolderImportTest::shortLineLeavesItsMissingColumnsEmpty() {
    ImportRig rig;
    rig.drop(QStringLiteral("data.csv"), "1,2026-12-07,10:00:00,1.5,2.5,3.5\n2,2026-12-07\n");
    QCOMPARE(rig.scan(), 2);
    const QList<QByteArray> lines = rig.log_records();
    QVERIFY2(lines[0].startsWith("1,2026-12-07,10:00:00,1.500000,2.500000,3.500000,nan,"), lines[0]);
    QVERIFY2(lines[1].startsWith("2,2026-12-07,,nan,nan,nan,nan,"), lines[1]);
}

void FolderImportTest::filesAreImportedOldestFirstAndTimesHideNone_data() {
    QTest::addColumn<int>("later_offset");  // the second file's time against the first's
    QTest::addColumn<QStringList>("order");
    QTest::newRow("copied with an older time") << -3600 << numbers(1, 4);
    QTest::newRow("of the same second") << 0 << numbers(1, 4);
    QTest::newRow("a time in the future") << 86400 * 365 << numbers(1, 4);
}

void FolderImportTest::filesAreImportedOldestFirstAndTimesHideNone() {
    QFETCH(int, later_offset);
    QFETCH(QStringList, order);
    ImportRig rig;
    // Two files in one scan, the older first whatever the names say.
    rig.drop(QStringLiteral("b_old.csv"), numbered_records(1, 2), ImportRig::kBase - 10);
    rig.drop(QStringLiteral("a_new.csv"), numbered_records(3, 4), ImportRig::kBase);
    QCOMPARE(rig.scan(), 4);
    // A file dropped later with any time, and one after it.
    rig.drop(QStringLiteral("c.csv"), numbered_records(5, 5), ImportRig::kBase + later_offset);
    QCOMPARE(rig.scan(), 1);
    rig.drop(QStringLiteral("d.csv"), numbered_records(6, 6), ImportRig::kBase + 1);
    QCOMPARE(rig.scan(3), 1);
    QCOMPARE(rig.logged_numbers(), (order + QStringList{"5", "6"}));
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
    QCOMPARE(rig.logged_numbers(), numbers(1, 5));
}

void FolderImportTest::progressOfAnEarlierVersionIsTakenOver_data() {
    QTest::addColumn<QString>("proc_names");  // "-": the names were not kept yet
    QTest::addColumn<QString>("proc_part");
    QTest::addColumn<QStringList>("logged");
    // old.csv (records 1-2) is older than proc_time, same.csv (3-4) of proc_time, later.csv (5-7)
    // newer.
    QTest::newRow("before names were kept") << "-"
                                            << "" << numbers(5, 7);
    QTest::newRow("with the names of proc_time") << "same.csv"
                                                 << "" << numbers(5, 7);
    QTest::newRow("another name of proc_time") << "other.csv"
                                               << "" << numbers(3, 7);
    QTest::newRow("stopped part way in a file")
        << "same.csv" << QString("3/%1/later.csv").arg(ImportRig::kBase + 1) << numbers(7, 7);
}

void FolderImportTest::progressOfAnEarlierVersionIsTakenOver() {
    QFETCH(QString, proc_names);
    QFETCH(QString, proc_part);
    QFETCH(QStringList, logged);
    ImportRig rig;
    rig.drop(QStringLiteral("old.csv"), numbered_records(1, 2), ImportRig::kBase - 100);
    rig.drop(QStringLiteral("same.csv"), numbered_records(3, 4), ImportRig::kBase);
    rig.drop(QStringLiteral("later.csv"), numbered_records(5, 7), ImportRig::kBase + 1);
    rig.set({{ImportSettings::kProcTime, QString::number(ImportRig::kBase)}});
    if (proc_names != QLatin1String("-")) rig.set({{ImportSettings::kProcNames, proc_names}});
    if (!proc_part.isEmpty()) rig.set({{ImportSettings::kProcPart, proc_part}});
    rig.restart();
    rig.scan(3);
    QCOMPARE(rig.logged_numbers(), logged);
    // Taken over once: the ledger holds it from now on.
    rig.restart();
    QCOMPARE(rig.scan(3), 0);
}

void FolderImportTest::appendedLinesAreImportedOnceAndAnUnfinishedLineWaits() {
    ImportRig rig;
    rig.drop(QStringLiteral("slow.csv"), numbered_records(1, 3));
    QCOMPARE(rig.scan(), 3);
    // A slow writer: a line a second, the last one not finished yet.
    rig.drop(QStringLiteral("slow.csv"), "4,2026-12-07,10:00:01,2\n5,2026-12", ImportRig::kBase + 1, true);
    QCOMPARE(rig.scan(), 1);
    QCOMPARE(rig.scan(), 0);
    rig.drop(QStringLiteral("slow.csv"), "-07,10:00:02,2\n", ImportRig::kBase + 2, true);
    QCOMPARE(rig.scan(), 1);
    rig.restart();
    rig.drop(QStringLiteral("slow.csv"), "6,2026-12-07,10:00:03,2\n", ImportRig::kBase + 3, true);
    QCOMPARE(rig.scan(3), 1);
    QCOMPARE(rig.logged_numbers(), numbers(1, 6));
}

void FolderImportTest::renamedFileIsNotImportedAgain() {
    ImportRig rig;
    rig.drop(QStringLiteral("data.csv"), numbered_records(1, 2));
    QCOMPARE(rig.scan(), 2);
    QVERIFY(QFile::rename(rig.folder() + "data.csv", rig.folder() + "data_done.csv"));
    QCOMPARE(rig.scan(2), 0);
    rig.restart();
    QVERIFY(QFile::rename(rig.folder() + "data_done.csv", rig.folder() + "archived.csv"));
    QCOMPARE(rig.scan(2), 0);
    QCOMPARE(rig.logged_numbers(), numbers(1, 2));
}

void FolderImportTest::uploadUnderATemporaryNameIsImportedOnceWhenRenamed() {
    ImportRig rig;
    rig.set({{ImportSettings::kFilter, QStringLiteral(".csv")}});
    rig.drop(QStringLiteral("up.csv.part"), numbered_records(1, 2));
    QCOMPARE(rig.scan(2), 0);
    rig.drop(QStringLiteral("up.csv.part"), "3,2026-12-07,10:00:00,1\n", ImportRig::kBase, true);
    QVERIFY(QFile::rename(rig.folder() + "up.csv.part", rig.folder() + "up.csv"));
    QCOMPARE(rig.scan(3), 3);
    QCOMPARE(rig.logged_numbers(), numbers(1, 3));
}

void FolderImportTest::fileThatShrankOrChangedItsStartIsANewFile_data() {
    QTest::addColumn<QByteArray>("second");  // what the file holds at the second scan
    QTest::addColumn<QStringList>("logged");
    QTest::addColumn<QString>("said");
    QTest::newRow("written anew, shorter")
        << numbered_records(7, 7) << numbers(1, 3) + numbers(7, 7)
        << "data.csv is shorter than what was imported of it: imported as a new file";
    QTest::newRow("written anew, longer, its start changed")
        << numbered_records(7, 10) << numbers(1, 3) + numbers(7, 10)
        << "data.csv has changed from its start: imported as a new file";
    QTest::newRow("written anew with more lines after the same start")
        << numbered_records(1, 5) << numbers(1, 5) << "";
}

void FolderImportTest::fileThatShrankOrChangedItsStartIsANewFile() {
    QFETCH(QByteArray, second);
    QFETCH(QStringList, logged);
    QFETCH(QString, said);
    ImportRig rig;
    rig.drop(QStringLiteral("data.csv"), numbered_records(1, 3));
    QCOMPARE(rig.scan(), 3);
    rig.console.clear();
    rig.drop(QStringLiteral("data.csv"), second, ImportRig::kBase + 5);  // overwritten in place
    rig.scan(2);
    QCOMPARE(rig.logged_numbers(), logged);
    QCOMPARE(rig.console.contains(said), !said.isEmpty());
}

void FolderImportTest::fileWrittenAnewWhileItIsReadIsNotMixedWithTheOldOne() {
    ImportRig rig;
    // Longer than one read, so the import reads it again after it was written anew.
    const int count = int(2 * FolderImport::kChunkBytes / 20);
    rig.drop(QStringLiteral("data.csv"), numbered_records(1, count));
    rig.on_record = [&](int records) {
        if (records == 1)
            rig.drop(QStringLiteral("data.csv"), numbered_records(900001, 900000 + count),
                     ImportRig::kBase + 9);
    };
    rig.scan(3);
    const QStringList logged = rig.logged_numbers();
    const int first_new = logged.indexOf(QStringLiteral("900001"));
    QVERIFY(first_new > 0);
    QCOMPARE(logged.mid(0, first_new), numbers(1, first_new));         // the old version's first read
    QCOMPARE(logged.mid(first_new), numbers(900001, 900000 + count));  // then the new one, whole
    QCOMPARE(rig.console.filter(QStringLiteral("has changed from its start: imported as a new file")).size(),
             1);
}

void FolderImportTest::onlyRegularFilesAreRead_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("a link to a file outside the folder") << "link";
    QTest::newRow("a link to nowhere") << "dangling";
    QTest::newRow("a FIFO") << "fifo";
}

void FolderImportTest::onlyRegularFilesAreRead() {
#ifndef Q_OS_UNIX
    QSKIP("links and FIFOs of a POSIX system");
#else
    QFETCH(QString, kind);
    ImportRig rig;
    const QString outside = rig.acq.root + QStringLiteral("secret.csv");
    QFile secret(outside);
    QVERIFY(secret.open(QIODevice::WriteOnly));
    secret.write(numbered_records(90, 99));
    secret.close();
    const QString path = rig.folder() + QStringLiteral("other.csv");
    if (kind == QLatin1String("link")) QVERIFY(QFile::link(outside, path));
    if (kind == QLatin1String("dangling")) QVERIFY(QFile::link(rig.acq.root + "gone.csv", path));
    if (kind == QLatin1String("fifo")) QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    rig.drop(QStringLiteral("data.csv"), numbered_records(1, 2));
    QCOMPARE(rig.scan(4), 2);  // a FIFO would block a scan that opened it
    QCOMPARE(rig.logged_numbers(), numbers(1, 2));
    QCOMPARE(rig.console,
             (QStringList{"other.csv is not a regular file: not imported", "Imported data.csv: 2 records"}));
#endif
}

void FolderImportTest::longFileIsImportedWhole() {
    ImportRig rig;
    rig.drop(QStringLiteral("long.csv"), numbered_records(1, 10001));
    QCOMPARE(rig.scan(), 10001);
    QCOMPARE(rig.log_records().size(), 10001);
}

void FolderImportTest::unwritableLogPausesTheImportUntilItTakesRecordsAgain() {
    ImportRig rig;
    rig.drop(QStringLiteral("a.csv"), numbered_records(1, 2));
    QCOMPARE(rig.scan(), 2);
    // A folder where the log file should be: no one can append to it, not even root.
    const QString log = rig.acq.core->log_file_path();
    const QByteArray before = rig.acq.log_file();
    QVERIFY(QFile::remove(log));
    QVERIFY(QDir().mkpath(log));
    rig.drop(QStringLiteral("b.csv"), numbered_records(3, 4), ImportRig::kBase + 1);
    QCOMPARE(rig.scan(3), 0);
    QCOMPARE(rig.console.count(QStringLiteral("Import paused: the log file cannot be written")), 1);

    QVERIFY(QDir(log).removeRecursively());
    QFile restored(log);
    QVERIFY(restored.open(QIODevice::WriteOnly));
    restored.write(before);
    restored.close();
    QCOMPARE(rig.scan(2), 2);
    QVERIFY(rig.console.contains(QStringLiteral("Import resumed")));
    QCOMPARE(rig.logged_numbers(), numbers(1, 4));
    QCOMPARE(rig.records_imported, 4);
}

void FolderImportTest::windowsAreToldAtMostFiveTimesASecondAndAtTheEndOfAFile_data() {
    QTest::addColumn<int>("records");
    QTest::addColumn<int>("ms_per_record");
    QTest::addColumn<int>("notices");
    // Told at the first record, then each 200 ms, and at the end.
    QTest::newRow("a fast file") << 1000 << 0 << 2;
    QTest::newRow("records 50 ms apart") << 10 << 50 << 4;
    QTest::newRow("records 300 ms apart") << 3 << 300 << 3;
}

void FolderImportTest::windowsAreToldAtMostFiveTimesASecondAndAtTheEndOfAFile() {
    QFETCH(int, records);
    QFETCH(int, ms_per_record);
    QFETCH(int, notices);
    ImportRig rig;
    rig.ms_per_record = ms_per_record;
    rig.drop(QStringLiteral("data.csv"), numbered_records(1, records));
    QCOMPARE(rig.scan(), records);
    QCOMPARE(rig.notices, notices);
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
    QCOMPARE(rig.logged_numbers(), numbers(1, 10));
}

QTEST_GUILESS_MAIN(FolderImportTest)
#include "tst_folder_import.moc"
