// veld-logger killed (kill -9) while it imports a long file, started again until the file is
// done: every record is in the log exactly once, in order.
#include <QFileInfo>
#include <QtTest>

#include "logger_workspace.h"

namespace {
constexpr int kRecords = 100000;
constexpr int kKills = 3;
constexpr qint64 kBytesBetweenKills = 2 * 1024 * 1024;  // some ten thousand records
}  // namespace

class ImportKillTest : public QObject {
    Q_OBJECT
  private slots:
    void importKilledMidFileLogsEachRecordOnce();
};

void ImportKillTest::importKilledMidFileLogsEachRecordOnce() {
    LoggerWorkspace ws;
    QByteArray text = "Record,Date,Time,Air\n";
    for (int i = 1; i <= kRecords; ++i)
        text += QByteArray::number(i) + ",2026-12-07,10:00:00," + QByteArray::number(i % 97) + ".5\n";
    ws.write(QStringLiteral("Import/big.csv"), text);

    for (int kill = 1; kill <= kKills; ++kill) {
        QProcess logger;
        ws.start_logging(logger);
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(ws.log_path()).size() > kill * kBytesBetweenKills, 120000);
        logger.kill();
        QVERIFY(logger.waitForFinished(60000));
        QVERIFY2(!logger.readAll().contains("Imported big.csv"), "killed after the file was done");
    }
    QByteArray printed;
    {
        QProcess logger;
        ws.start_logging(logger);
        QTRY_VERIFY_WITH_TIMEOUT((printed += logger.readAll()).contains("Imported big.csv"), 120000);
        printed = LoggerWorkspace::terminate(logger, printed);
    }

    int expected = 1;
    for (const QByteArray& line : ws.log_lines()) {
        if (line.startsWith("Record,")) continue;  // each run starts with the header
        const QByteArray number = line.left(line.indexOf(','));
        QVERIFY2(number == QByteArray::number(expected), line.left(60));
        ++expected;
    }
    QCOMPARE(expected - 1, kRecords);
}

QTEST_GUILESS_MAIN(ImportKillTest)
#include "tst_import_kill.moc"
