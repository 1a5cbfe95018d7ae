// The workspace folders on a fresh machine: start-up creates them, and says so when it cannot.

#include <QAction>
#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include "window_rig.h"

namespace {

QStringList lines_of(const QSignalSpy& spy) {
    QStringList lines;
    for (const auto& args : spy) lines << args.first().toString();
    return lines;
}

}  // namespace

class WorkspaceFoldersTest : public QObject {
    Q_OBJECT
    QTemporaryDir home_;

  private slots:
    void startUpCreatesTheWorkspaceFoldersUnderAFreshUserProfile() {
        const QString profile = home_.path() + QStringLiteral("/fresh user");
        qputenv("USERPROFILE", QFile::encodeName(profile));
        const QString root = profile + QStringLiteral("/Documents/Veld/");
        QVERIFY(!QDir(root).exists());

        WindowRig rig;
        QSignalSpy console(&rig.station.console(), &StationConsole::printline);
        QVERIFY(!QDir(root).exists());  // nothing is created before the first tick
        QTRY_VERIFY(rig.started());
        for (const char* sub : {"Config", "Devices", "LOG"}) QVERIFY2(QDir(root + sub).exists(), sub);
        for (const QString& line : lines_of(console)) QVERIFY2(!line.contains(root), qPrintable(line));
    }

    void existingFoldersAndTheirFilesAreKept() {
        const QString profile = home_.path() + QStringLiteral("/existing");
        qputenv("USERPROFILE", QFile::encodeName(profile));
        const QString root = profile + QStringLiteral("/Documents/Veld/");
        QVERIFY(QDir().mkpath(root + QStringLiteral("LOG")));
        QFile record(root + QStringLiteral("LOG/old.csv"));
        QVERIFY(record.open(QIODevice::WriteOnly));
        record.write("1,2022/01/01,00:00:00\r\n");
        record.close();

        WindowRig rig;
        QTRY_VERIFY(rig.started());
        QVERIFY(QDir(root + QStringLiteral("Config")).exists());
        QVERIFY(QDir(root + QStringLiteral("Devices")).exists());
        QCOMPARE(QFileInfo(root + QStringLiteral("LOG/old.csv")).size(), qint64(23));
    }

    void aFolderThatCannotBeCreatedIsReportedOnTheConsoleStream() {
        // A plain file where the profile folder should be: nothing can be created under it.
        const QString profile = home_.path() + QStringLiteral("/not-a-folder");
        QFile blocker(profile);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        qputenv("USERPROFILE", QFile::encodeName(profile));
        const QString root = profile + QStringLiteral("/Documents/Veld/");

        WindowRig rig;
        QSignalSpy console(&rig.station.console(), &StationConsole::printline);
        QTRY_VERIFY(rig.started());
        const QStringList lines = lines_of(console);
        QVERIFY(!lines.isEmpty());
        QCOMPARE(lines.first(), QStringLiteral("Hello World\r\n"));
        const QStringList problems = lines.filter(root);
        QVERIFY2(!problems.isEmpty(), qPrintable(lines.join(QLatin1Char('|'))));
        for (const QString& line : problems)
            QVERIFY2(line.endsWith(QStringLiteral("\r\n")), qPrintable(line));
        QVERIFY(rig.window->isVisible());  // the program goes on without its folders
    }

    void aSaveThatCannotWriteSaysSoOnTheConsoleStream() {
        const QString profile = home_.path() + QStringLiteral("/blocked-save");
        QFile blocker(profile);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        qputenv("USERPROFILE", QFile::encodeName(profile));
        const QString config = profile + QStringLiteral("/Documents/Veld/Config/");

        WindowRig rig;
        QTRY_VERIFY(rig.started());
        QSignalSpy console(&rig.station.console(), &StationConsole::printline);
        rig.window->findChild<QAction*>(QStringLiteral("actionSave"))->trigger();
        const QStringList lines = lines_of(console);
        QVERIFY2(!lines.filter(config + QStringLiteral("config.xml")).isEmpty(), qPrintable(lines.join('|')));
        QVERIFY2(!lines.filter(config + QStringLiteral("varlist.xml")).isEmpty(),
                 qPrintable(lines.join('|')));
    }

    void aSaveThatWorksSaysNothing() {
        const QString profile = home_.path() + QStringLiteral("/saving");
        qputenv("USERPROFILE", QFile::encodeName(profile));

        WindowRig rig;
        QTRY_VERIFY(rig.started());
        QSignalSpy console(&rig.station.console(), &StationConsole::printline);
        rig.window->findChild<QAction*>(QStringLiteral("actionSave"))->trigger();
        QVERIFY(QFile::exists(profile + QStringLiteral("/Documents/Veld/Config/varlist.xml")));
        QVERIFY2(lines_of(console).filter(QStringLiteral("Save")).isEmpty(),
                 qPrintable(lines_of(console).join('|')));
    }
};

QTEST_MAIN(WorkspaceFoldersTest)
#include "tst_workspace_folders.moc"
