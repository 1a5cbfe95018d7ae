// Where every file lives: the workspace root from the environment, and the folders made at start.
#include <QtTest>

#include "settings/workspace.h"

class Workspace : public QObject {
    Q_OBJECT
  private slots:
    void pathsFollowTheEnvironment_data();
    void pathsFollowTheEnvironment();
    void missingFoldersAreCreatedAndExistingOnesKept();
    void folderThatCannotBeMadeIsReported();
    void processEnvironmentKeepsItsOrder();
};

void Workspace::pathsFollowTheEnvironment_data() {
    QTest::addColumn<QStringList>("environment");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("path");
    const QStringList ann{"PATH=/bin", "USERPROFILE=C:\\Users\\ann", "HOME=/home/ann"};
    QTest::newRow("config folder") << ann << "config.xml" << 2
                                   << "C:/Users/ann/Documents/Veld/Config/config.xml";
    QTest::newRow("no folder") << ann << "config.xml" << 0 << "C:/Users/ann/Documents/Veld/config.xml";
    QTest::newRow("devices") << ann << "th.xml" << 1 << "C:/Users/ann/Documents/Veld/Devices/th.xml";
    QTest::newRow("log") << ann << "console.txt" << 3 << "C:/Users/ann/Documents/Veld/LOG/console.txt";
    QTest::newRow("unknown kind means no folder") << ann << "x" << 7 << "C:/Users/ann/Documents/Veld/x";
    QTest::newRow("first entry containing the name wins")
        << QStringList{"OLD_USERPROFILE=D:\\old", "USERPROFILE=C:\\Users\\ann"} << "a" << 0
        << "D:/old/Documents/Veld/a";
    QTest::newRow("value keeps what follows the first equals sign")
        << QStringList{"USERPROFILE=/srv/a=b"} << "a" << 0 << "/srv/a=b/Documents/Veld/a";
    QTest::newRow("named workspace wins over userprofile")
        << QStringList{"USERPROFILE=C:\\Users\\ann", "VELD_WORKSPACE=/srv/veld"} << "config.xml" << 2
        << "/srv/veld/Config/config.xml";
    QTest::newRow("named workspace keeps its slash")
        << QStringList{"VELD_WORKSPACE=/srv/veld/"} << "a" << 0 << "/srv/veld/a";
    QTest::newRow("empty named workspace is not set")
        << QStringList{"VELD_WORKSPACE=", "USERPROFILE=/home/ann"} << "a" << 0
        << "/home/ann/Documents/Veld/a";
#ifdef Q_OS_WIN
    QTest::newRow("neither") << QStringList{"PATH=x"} << "console.txt" << 3 << ".\\LOG/console.txt";
#else
    QTest::newRow("home without userprofile")
        << QStringList{"HOME=/home/bo"} << "console.txt" << 3 << "/home/bo/Documents/Veld/LOG/console.txt";
    QTest::newRow("neither") << QStringList{"PATH=x"} << "console.txt" << 3 << "./LOG/console.txt";
#endif
}

void Workspace::pathsFollowTheEnvironment() {
    QFETCH(QStringList, environment);
    QFETCH(QString, name);
    QFETCH(int, kind);
    QFETCH(QString, path);
    QCOMPARE(workspace_path_for(environment, name, kind), path);
}

void Workspace::missingFoldersAreCreatedAndExistingOnesKept() {
    QTemporaryDir dir;
    const QString root = dir.path() + QStringLiteral("/Documents/Veld/");
    QVERIFY(QDir().mkpath(root + QStringLiteral("LOG")));
    QFile keep(root + QStringLiteral("LOG/old.csv"));
    QVERIFY(keep.open(QIODevice::WriteOnly));
    keep.close();
    QCOMPARE(ensure_workspace_folders(root), QStringList());
    for (const char* sub : {"Config", "Devices", "LOG"})
        QVERIFY(QFileInfo(root + QLatin1String(sub)).isDir());
    QVERIFY(QFileInfo::exists(root + QStringLiteral("LOG/old.csv")));
}

void Workspace::folderThatCannotBeMadeIsReported() {
    QTemporaryDir dir;
    QFile blocker(dir.path() + QStringLiteral("/Veld"));  // a file where the root should be
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QStringList problems = ensure_workspace_folders(dir.path() + QStringLiteral("/Veld/"));
    QVERIFY(!problems.isEmpty());
    QVERIFY(problems.first().contains(QStringLiteral("Cannot create workspace folder")));
}

void Workspace::processEnvironmentKeepsItsOrder() {
    qputenv("ZZ_USERPROFILE_FIRST", "x");
    const QStringList env = process_environment();
    QVERIFY(env.contains(QStringLiteral("ZZ_USERPROFILE_FIRST=x")));
    // Appended last by putenv: a sorted copy would put it elsewhere only by chance.
    QCOMPARE(env.last(), QStringLiteral("ZZ_USERPROFILE_FIRST=x"));
}

QTEST_GUILESS_MAIN(Workspace)
#include "tst_workspace.moc"
