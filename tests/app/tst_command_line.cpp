// veld-recorder's own options, answered before any window exists: they work without a display.
#include <QProcess>
#include <QtTest>

#include "app/product_info.h"

class CommandLineTest : public QObject {
    Q_OBJECT
  private slots:
    void helpAndVersionPrintAndExitWithoutADisplay_data() {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("printed");
        QTest::newRow("--help") << "--help"
                                << "Usage: veld-recorder";
        QTest::newRow("--help names the workspace variable") << "--help"
                                                             << "$VELD_WORKSPACE";
        QTest::newRow("--version") << "--version"
                                   << QStringLiteral("veld-recorder %1\n").arg(product_info::version());
    }
    void helpAndVersionPrintAndExitWithoutADisplay() {
        QFETCH(QString, option);
        QFETCH(QString, printed);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) environment.remove(name);
        QProcess recorder;
        recorder.setProcessEnvironment(environment);
        recorder.start(QStringLiteral(VELD_RECORDER), {option});
        QVERIFY(recorder.waitForFinished(60000));
        QCOMPARE(recorder.exitStatus(), QProcess::NormalExit);
        QCOMPARE(recorder.exitCode(), 0);
        QVERIFY2(QString::fromUtf8(recorder.readAllStandardOutput()).contains(printed), qPrintable(printed));
    }
};

QTEST_GUILESS_MAIN(CommandLineTest)
#include "tst_command_line.moc"
