// The user guide built into the program: it is there, it opens with a heading, it has the
// sections a new user needs, and its window closes from the keyboard.
#include <QTextBrowser>
#include <QtTest>

#include "app/user_guide_window.h"

class UserGuideTest : public QObject {
    Q_OBJECT

  private slots:
    void theGuideIsBuiltInAndOpensWithATitle() {
        const QString guide = UserGuideWindow::guide_markdown();
        QVERIFY(guide.size() > 1000);
        QVERIFY(guide.startsWith(QStringLiteral("# ")));
    }

    void theGuideHasEachSection_data() {
        QTest::addColumn<QString>("heading");
        for (const char* heading :
             {"## Getting started", "## Device definitions", "## Formulas", "## Alarm and alert levels",
              "## The four modes", "## The CSV log", "## Running unattended", "## Troubleshooting"})
            QTest::newRow(heading) << QString::fromLatin1(heading);
    }
    void theGuideHasEachSection() {
        QFETCH(QString, heading);
        const QStringList lines = UserGuideWindow::guide_markdown().split(QLatin1Char('\n'));
        QVERIFY2(lines.contains(heading), qPrintable(heading));
    }

    void troubleshootingExplainsTheConsoleMessages_data() {
        QTest::addColumn<QString>("message");
        for (const char* message :
             {"no answer from", "cannot be opened", "Logging paused for", "File Error", "**TIMEOUT ERROR",
              "Column Error", "Import paused", "WARNING - GAP IN LOGFILE", "Unexpected answer ignored",
              "unknown attribute", "unknown element", "keeping what was read before it", "DCB error",
              "is in use by veld-logger (pid"})
            QTest::newRow(message) << QString::fromLatin1(message);
    }
    void troubleshootingExplainsTheConsoleMessages() {
        QFETCH(QString, message);
        const QString guide = UserGuideWindow::guide_markdown();
        const QString troubleshooting = guide.mid(guide.indexOf(QStringLiteral("\n## Troubleshooting")));
        QVERIFY2(troubleshooting.contains(message), qPrintable(message));
    }

    void theWindowShowsTheGuideUnderItsTitle() {
        UserGuideWindow window;
        window.show_guide();
        QCOMPARE(window.windowTitle(), QStringLiteral("User Guide"));
        auto* browser = window.findChild<QTextBrowser*>(QStringLiteral("guideBrowser"));
        QVERIFY(browser);
        QVERIFY(browser->toPlainText().contains(QStringLiteral("Troubleshooting")));
    }

    void theWindowClosesFromTheKeyboard_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::newRow("Escape") << int(Qt::Key_Escape) << int(Qt::NoModifier);
        QTest::newRow("Ctrl+W") << int(Qt::Key_W) << int(Qt::ControlModifier);
    }
    void theWindowClosesFromTheKeyboard() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        UserGuideWindow window;
        window.show_guide();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QTest::keyClick(window.windowHandle(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QTRY_VERIFY(!window.isVisible());
    }
};

QTEST_MAIN(UserGuideTest)
#include "tst_user_guide.moc"
