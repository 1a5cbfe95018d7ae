// veld-logger in the "File Remote" mode as a user runs it: files dropped into the import folder of
// a workspace, the program run with --cycles, the log read back.
#include <QProcess>
#include <QtTest>

namespace {

struct Workspace {
    Workspace() {
        root = home.path() + QStringLiteral("/Documents/Veld/");
        for (const char* sub : {"Config", "Devices", "LOG", "Import"})
            QDir().mkpath(root + QLatin1String(sub));
        write(
            QStringLiteral("Config/config.xml"),
            "<!DOCTYPE CoreConfig>\n<main>\n <config PortNo=\"2\" LogInterval=\"60\" Filename=\"field.csv\" "
            "CommMode=\"3\"/>\n</main>\n");
        write(QStringLiteral("Config/varlist.xml"),
              "<!DOCTYPE Config>\n<config>\n <var col=\"D\" name=\"Air\"/>\n"
              " <var col=\"E\" name=\"AirF\" formula=\"=D*2+1\"/>\n</config>\n");
        write(QStringLiteral("Config/fileio.xml"),
              "<!DOCTYPE Config>\n<main>\n <config name=\"imp_en\" type=\"string\" value=\"1\"/>\n</main>\n");
    }
    void write(const QString& name, const QByteArray& text) {
        QFile f(root + name);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
    QList<QByteArray> log_lines() const {
        QFile f(root + QStringLiteral("LOG/field.csv"));
        if (!f.open(QIODevice::ReadOnly)) return {};
        QList<QByteArray> lines = f.readAll().split('\n');
        lines.removeAll(QByteArray());
        return lines;
    }
    QByteArray run(const QStringList& args) const {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("USERPROFILE"), home.path());
        p.setProcessEnvironment(env);
        p.start(qEnvironmentVariable("VELD_LOGGER"), args);
        if (!p.waitForFinished(60000)) {
            p.kill();
            p.waitForFinished();
            return "timed out";
        }
        return p.exitCode() == 0 ? p.readAllStandardOutput()
                                 : "exit code " + QByteArray::number(p.exitCode());
    }
    QTemporaryDir home;
    QString root;
};

}  // namespace

class ImportLoggerTest : public QObject {
    Q_OBJECT
  private slots:
    void logImportsDroppedFilesRecordByRecordAndGoesOnWhereItStopped();
};

void ImportLoggerTest::logImportsDroppedFilesRecordByRecordAndGoesOnWhereItStopped() {
    Workspace ws;
    ws.write(QStringLiteral("Import/a_station.csv"),
             "Record,Date,Time,Air\n1,2026-12-07,10:00:00,20.0\n2,2026-12-07,10:10:00,21.5\n");
    ws.write(QStringLiteral("Import/b_station.csv"),
             "Record,Date,Time,Air\n3,2026-12-07,10:20:00,22.0\n4,2026-12-07,10:30:00,-5\n");

    const QByteArray first = ws.run({QStringLiteral("log"), QStringLiteral("--cycles"), QStringLiteral("3")});
    QVERIFY2(first.contains("Imported a_station.csv: 2 records\n"), first);
    QVERIFY2(first.contains("Import of b_station.csv stopped after 1 records\n"), first);

    const QByteArray second =
        ws.run({QStringLiteral("log"), QStringLiteral("--cycles"), QStringLiteral("1")});
    QVERIFY2(second.contains("Imported b_station.csv: 1 records\n"), second);

    const QList<QByteArray> lines = ws.log_lines();
    QCOMPARE(lines.size(), 6);  // each run starts with the header
    QVERIFY2(lines[0].startsWith("Record,Date,Time,Air,AirF,"), lines[0]);
    QVERIFY2(lines[1].startsWith("1,2026-12-07,10:00:00,20.000000,41.000000,"), lines[1]);
    QVERIFY2(lines[2].startsWith("2,2026-12-07,10:10:00,21.500000,44.000000,"), lines[2]);
    QVERIFY2(lines[3].startsWith("3,2026-12-07,10:20:00,22.000000,45.000000,"), lines[3]);
    QVERIFY2(lines[5].startsWith("4,2026-12-07,10:30:00,-5.000000,-9.000000,"), lines[5]);
}

QTEST_GUILESS_MAIN(ImportLoggerTest)
#include "tst_import_logger.moc"
