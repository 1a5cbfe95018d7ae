// The import worker on its own thread as the station runs it, in real time.
#include <QtTest>

#include "core/sdi12_core.h"
#include "core/sensor_link.h"
#include "fileio/fileio_core.h"
#include "link/memory_serial_link.h"
#include "station/station.h"

class ImportWorkerTest : public QObject {
    Q_OBJECT
  private slots:
    void fileRemoteModeRunsTheImportAndOtherModesStopIt();
    void stopAfterRecordsEndsTheWorkerAtThatRecord();
};

void ImportWorkerTest::fileRemoteModeRunsTheImportAndOtherModesStopIt() {
    QTemporaryDir dir;
    const QString root = dir.path() + QStringLiteral("/");
    SystemClock clock;
    MemorySerialLink link(clock), modem(clock);
    Station station(link, clock, root, &modem);
    station.create_folders();
    CoreSettings settings = station.core().settings();
    settings.filename = QStringLiteral("import.csv");
    settings.comm_mode = int(CommMode::FileRemote);
    station.core().set_settings(settings);
    fileio_core& importer = station.importer();
    importer.store().set_values({{QStringLiteral("imp_en"), QStringLiteral("1")}});
    QStringList console;
    int records = 0;
    connect(&importer, &fileio_core::printline, this, [&](const QString& t) { console << t; });
    connect(&importer, &fileio_core::end_of_log, this, [&] { ++records; });

    QVERIFY(station.apply_import_mode());
    QVERIFY(importer.import_running());
    QFile file(root + QStringLiteral("Import/first.csv"));  // the folder is made when the import starts
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("1,2026-12-07,10:00:00,1\n2,2026-12-07,10:01:00,2\n");
    file.close();
    QTRY_COMPARE_WITH_TIMEOUT(console, QStringList{QStringLiteral("Imported first.csv: 2 records\r\n")},
                              20000);
    QCOMPARE(records, 2);

    settings.comm_mode = int(CommMode::Sdi12);
    station.core().set_settings(settings);
    QVERIFY(!station.apply_import_mode());
    QVERIFY(!importer.import_running());
    QVERIFY(importer.wait(5000));
}

void ImportWorkerTest::stopAfterRecordsEndsTheWorkerAtThatRecord() {
    QTemporaryDir dir;
    const QString root = dir.path() + QStringLiteral("/");
    SystemClock clock;
    MemorySerialLink link(clock), modem(clock);
    Station station(link, clock, root, &modem);
    station.create_folders();
    CoreSettings settings = station.core().settings();
    settings.filename = QStringLiteral("import.csv");
    settings.comm_mode = int(CommMode::FileRemote);
    station.core().set_settings(settings);
    fileio_core& importer = station.importer();
    importer.store().set_values({{QStringLiteral("imp_en"), QStringLiteral("1")}});
    QDir().mkpath(root + QStringLiteral("Import"));
    QFile file(root + QStringLiteral("Import/long.csv"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    for (int i = 1; i <= 1000; ++i) file.write(QByteArray::number(i) + ",2026-12-07,10:00:00,1\n");
    file.close();
    QStringList console;
    connect(&importer, &fileio_core::printline, this, [&](const QString& t) { console << t; });

    importer.stop_after_records(3);
    QVERIFY(station.apply_import_mode());
    QVERIFY(importer.wait(20000));
    QVERIFY(!importer.import_running());
    importer.deliver_notices();
    QCOMPARE(console, QStringList{QStringLiteral("Import of long.csv stopped after 3 records\r\n")});
}

QTEST_GUILESS_MAIN(ImportWorkerTest)
#include "tst_import_worker.moc"
