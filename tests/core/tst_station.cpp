// The recording station: start-up from a workspace and Save, as both programs use them.
#include <QSignalSpy>
#include <QtTest>

#include "core/sdi12_core.h"
#include "link/memory_serial_link.h"
#include "station/station.h"

namespace {

void write(const QString& path, const QByteArray& text) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(text);
}

}  // namespace

class StationTest : public QObject {
    Q_OBJECT
  private slots:
    void startUpReadsTheWorkspaceAndBuildsTheScript();
    void definitionNameThatLeavesTheDevicesFolderIsRefused();
    void saveWritesBothFilesAndSaysWhenItCannot();
};

void StationTest::startUpReadsTheWorkspaceAndBuildsTheScript() {
    QTemporaryDir dir;
    const QString root = dir.path() + QStringLiteral("/");
    QVERIFY(QDir().mkpath(root + QStringLiteral("Config")) &&
            QDir().mkpath(root + QStringLiteral("Devices")));
    write(root + QStringLiteral("Config/config.xml"),
          "<main><config LogInterval=\"10\"/><device addr=\"3\" id=\"3I!\" config=\"th.xml\" "
          "start=\"D\"/></main>");
    write(root + QStringLiteral("Config/varlist.xml"), "<config><var col=\"D\" name=\"Air\"/></config>");
    write(root + QStringLiteral("Devices/th.xml"),
          "<device><main cells=\"2\"/><log cell=\"0\" title=\"T\" cmd=\"aM!\"/><log cmd=\"aD0!\"/></device>");
    ManualClock clock;
    MemorySerialLink link(clock);
    Station station(link, clock, root);
    station.start_up();
    QVERIFY(QDir(root + QStringLiteral("LOG")).exists());
    QCOMPARE(station.core().settings().interval, 10);
    QCOMPARE(station.columns().name(3), QStringLiteral("Air"));
    QCOMPARE(station.columns().label(3), QStringLiteral("T(3)"));
    QCOMPARE(station.core().script(), (std::vector<QString>{"CELL 3", "3M!", "3D0!"}));
}

void StationTest::definitionNameThatLeavesTheDevicesFolderIsRefused() {
    QTemporaryDir dir;
    const QString root = dir.path() + QStringLiteral("/ws/");
    QVERIFY(QDir().mkpath(root + QStringLiteral("Config")));
    // A definition one folder up would be read if the name were taken as a path.
    write(dir.path() + QStringLiteral("/outside.xml"), "<device><log cell=\"0\" cmd=\"aM!\"/></device>");
    write(root + QStringLiteral("Config/config.xml"),
          "<main><device addr=\"3\" id=\"3I!\" config=\"../../outside.xml\" start=\"D\"/></main>");
    ManualClock clock;
    MemorySerialLink link(clock);
    Station station(link, clock, root);
    QString console;
    QObject::connect(&station.console(), &StationConsole::printline, [&](const QString& t) { console += t; });
    station.load_core_settings();
    station.load_device_definitions();
    QVERIFY(console.contains(QStringLiteral("\"../../outside.xml\" of address 3 refused")));
    QCOMPARE(station.devices().slot(3).definition, QString());
    QVERIFY(station.core().script().empty());
}

void StationTest::saveWritesBothFilesAndSaysWhenItCannot() {
    QTemporaryDir dir;
    const QString root = dir.path() + QStringLiteral("/");
    ManualClock clock;
    MemorySerialLink link(clock);
    Station station(link, clock, root);
    QString console;
    QObject::connect(&station.console(), &StationConsole::printline, [&](const QString& t) { console += t; });
    QVERIFY(!station.save());  // no Config folder yet
    QCOMPARE(console.count(QStringLiteral("Save: cannot write ")), 2);
    station.create_folders();
    QVERIFY(station.save());
    QVERIFY(QFile::exists(root + QStringLiteral("Config/config.xml")));
    QVERIFY(QFile::exists(root + QStringLiteral("Config/varlist.xml")));
}

QTEST_GUILESS_MAIN(StationTest)
#include "tst_station.moc"
