// veld-logger in the "File Remote" mode as a user runs it: files dropped into the import folder of
// a workspace, the program run and ended, the log read back.
#include <QtTest>

#include "logger_workspace.h"

class ImportLoggerTest : public QObject {
    Q_OBJECT
  private slots:
    void logImportsDroppedFilesAndAfterARestartOnlyWhatWasAdded();
    void logWithCyclesEndsAfterThatManyImportedRecords();
};

void ImportLoggerTest::logImportsDroppedFilesAndAfterARestartOnlyWhatWasAdded() {
    LoggerWorkspace ws;
    ws.write(QStringLiteral("Import/a_station.csv"),
             "Record,Date,Time,Air\n1,2026-12-07,10:00:00,20.0\n2,2026-12-07,10:10:00,21.5\n");
    ws.write(QStringLiteral("Import/b_station.csv"), "Record,Date,Time,Air\n3,2026-12-07,10:20:00,22.0\n");

    QByteArray printed;
    {
        QProcess logger;
        ws.start_logging(logger);
        QTRY_VERIFY_WITH_TIMEOUT(
            (printed += logger.readAll()).contains("Imported b_station.csv: 1 records\n"), 60000);
        printed = LoggerWorkspace::terminate(logger, printed);
    }
    QVERIFY2(printed.contains("Imported a_station.csv: 2 records\n"), printed);

    ws.write(QStringLiteral("Import/b_station.csv"), "4,2026-12-07,10:30:00,-5\n", QIODevice::Append);
    printed.clear();
    {
        QProcess logger;
        ws.start_logging(logger);
        QTRY_VERIFY_WITH_TIMEOUT(
            (printed += logger.readAll()).contains("Imported b_station.csv: 1 records\n"), 60000);
        printed = LoggerWorkspace::terminate(logger, printed);
    }
    QVERIFY2(!printed.contains("a_station"), printed);

    const QList<QByteArray> lines = ws.log_lines();
    QCOMPARE(lines.size(), 6);  // each run starts with the header
    QVERIFY2(lines[0].startsWith("Record,Date,Time,Air,AirF,"), lines[0]);
    QVERIFY2(lines[1].startsWith("1,2026-12-07,10:00:00,20.000000,41.000000,"), lines[1]);
    QVERIFY2(lines[2].startsWith("2,2026-12-07,10:10:00,21.500000,44.000000,"), lines[2]);
    QVERIFY2(lines[3].startsWith("3,2026-12-07,10:20:00,22.000000,45.000000,"), lines[3]);
    QVERIFY2(lines[5].startsWith("4,2026-12-07,10:30:00,-5.000000,-9.000000,"), lines[5]);
}

void ImportLoggerTest::logWithCyclesEndsAfterThatManyImportedRecords() {
    LoggerWorkspace ws;
    QByteArray file = "Record,Date,Time,Air\n";
    for (int n = 1; n <= 5; ++n) file += QByteArray::number(n) + ",2026-12-07,10:00:00,20.0\n";
    ws.write(QStringLiteral("Import/station.csv"), file);
    QProcess logger;
    ws.start_logging(logger, 3);
    QVERIFY(logger.waitForFinished(60000));
    QCOMPARE(logger.exitCode(), 0);
    const QList<QByteArray> lines = ws.log_lines();
    QCOMPARE(lines.size(), 4);  // the header and three records
    QVERIFY(lines[3].startsWith("3,"));
}

QTEST_GUILESS_MAIN(ImportLoggerTest)
#include "tst_import_logger.moc"
