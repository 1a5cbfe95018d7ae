// The console window in virtual time: when text is shown, how much is kept, what reaches
// console.txt and when.
#include <sys/stat.h>
#include <QDir>
#include <QFile>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QtTest>

#include "devices/ui/comms_console.h"
#include "link/clock.h"

namespace {

struct ConsoleRig {
    ConsoleRig() : clock(1700000000000), console(dir.path() + QStringLiteral("/LOG/console.txt"), clock) {
        QDir(dir.path()).mkpath(QStringLiteral("LOG"));
        console.show();
    }
    QTextEdit& view() { return *console.findChild<QTextEdit*>(QStringLiteral("textEdit")); }
    QString shown() { return view().toPlainText(); }
    QByteArray saved() {
        QFile f(dir.path() + QStringLiteral("/LOG/console.txt"));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    // A tick of the main window's 250 ms timer, just after the display is due.
    void tick(int ms = comms_console::kShowEveryMs + 1) {
        clock.advance(ms);
        console.newline(QString());
    }
    void lines(int first, int count) {
        for (int i = first; i < first + count; ++i) console.newline(QStringLiteral("line %1\r\n").arg(i));
    }

    QTemporaryDir dir;
    ManualClock clock;
    comms_console console;
};

}  // namespace

class CommsConsole : public QObject {
    Q_OBJECT
  private slots:
    void linesArrivingWithinAFlushAppearTogether();
    void viewFollowsTheEndOnlyWhenItWasAtTheBottom_data();
    void viewFollowsTheEndOnlyWhenItWasAtTheBottom();
    void pastAThousandLinesTheTextShrinksToThreeQuarters();
    void consoleFileGetsTheShownTextInChunksTwoSecondsApart();
    void clockSetBackStopsNeitherDisplayNorFile();
    void unwritableFileKeepsTheTextAndSaysSoOnce();
    void aFifoInPlaceOfTheConsoleFileIsSaidAndNeverWaitedFor();
};

void CommsConsole::linesArrivingWithinAFlushAppearTogether() {
    ConsoleRig rig;
    rig.clock.advance(1);
    rig.console.newline(QStringLiteral("first\r\n"));  // the first flush is due at once
    QCOMPARE(rig.shown(), QStringLiteral("first\n"));
    for (int i = 0; i < 10; ++i) {
        rig.clock.advance(10);
        rig.lines(i, 1);
    }
    QCOMPARE(rig.shown(), QStringLiteral("first\n"));
    rig.tick(200);
    QCOMPARE(rig.shown().count(QStringLiteral("line ")), 10);
}

void CommsConsole::viewFollowsTheEndOnlyWhenItWasAtTheBottom_data() {
    QTest::addColumn<bool>("scrolledUp");
    QTest::newRow("at the bottom: follows") << false;
    QTest::newRow("scrolled up: stays") << true;
}

void CommsConsole::viewFollowsTheEndOnlyWhenItWasAtTheBottom() {
    QFETCH(bool, scrolledUp);
    ConsoleRig rig;
    QScrollBar& bar = *rig.view().verticalScrollBar();
    for (int i = 0; i < 20; ++i) {
        rig.lines(i * 10, 10);
        rig.tick();
    }
    QVERIFY(bar.maximum() > 0);
    QCOMPARE(bar.value(), bar.maximum());  // it followed while the text outgrew the view
    if (scrolledUp) bar.setValue(bar.maximum() / 2);
    const int before = bar.value();
    rig.lines(200, 50);
    rig.tick();
    QCOMPARE(bar.value(), scrolledUp ? before : bar.maximum());
}

void CommsConsole::pastAThousandLinesTheTextShrinksToThreeQuarters() {
    ConsoleRig rig;
    rig.lines(0, 1000);
    rig.tick();
    const QString full = rig.shown();
    QCOMPARE(full.count(QLatin1Char('\n')), 1000);
    rig.lines(1000, 1);
    rig.tick();
    const QString grown = full + QStringLiteral("line 1000\n");
    QCOMPARE(rig.shown(), grown.right(grown.size() * 3 / 4));
}

void CommsConsole::consoleFileGetsTheShownTextInChunksTwoSecondsApart() {
    ConsoleRig rig;
    QString sent;
    std::vector<std::int64_t> writes;
    qint64 size = 0;
    for (int i = 0; i < 400; ++i) {
        // Lines and single received characters, as the core prints them.
        const QString text = i % 3 ? QStringLiteral("0D0!0+%1\r\r\n").arg(i) : QStringLiteral("x");
        sent += text;
        rig.clock.advance(37);
        rig.console.newline(text);
        if (rig.saved().size() != size) {
            size = rig.saved().size();
            writes.push_back(rig.clock.tick_ms());
        }
    }
    for (int i = 0; i < 10; ++i) rig.tick();  // the rest goes out within 2 s
    QCOMPARE(QString::fromUtf8(rig.saved()), sent);
    QVERIFY(writes.size() > 3);
    for (std::size_t i = 1; i < writes.size(); ++i) QVERIFY(writes[i] - writes[i - 1] >= 2000);
    QCOMPARE(rig.shown(), QString(sent).remove(QLatin1Char('\r')));
}

void CommsConsole::clockSetBackStopsNeitherDisplayNorFile() {
    ConsoleRig rig;
    rig.tick();
    rig.lines(0, 1);
    rig.tick();
    QCOMPARE(rig.shown(), QStringLiteral("line 0\n"));
    rig.clock.set_wall_ms(rig.clock.wall_ms() - 60000);
    rig.lines(1, 1);  // notices the step back
    rig.tick(2001);
    rig.lines(2, 1);
    rig.tick(2001);
    QCOMPARE(rig.shown(), QStringLiteral("line 0\nline 1\nline 2\n"));
    QCOMPARE(rig.saved(), QByteArray("line 0\r\nline 1\r\nline 2\r\n"));
}

void CommsConsole::unwritableFileKeepsTheTextAndSaysSoOnce() {
    ConsoleRig rig;
    QVERIFY(QDir(rig.dir.path() + QStringLiteral("/LOG")).removeRecursively());
    QString sent;
    const QString block(10000, QLatin1Char('y'));
    for (int i = 0; i < 110; ++i) {  // more than is kept: the oldest goes
        sent += block + QStringLiteral("\r\n");
        rig.console.newline(block + QStringLiteral("\r\n"));
        rig.tick(2001);
    }
    QCOMPARE(rig.shown().count(QStringLiteral("Cannot write ")), 1);
    QCOMPARE(rig.shown().count(QStringLiteral("Older console text is dropped")), 1);
    QVERIFY(QDir(rig.dir.path()).mkpath(QStringLiteral("LOG")));
    rig.tick(2001);
    const QString saved = QString::fromUtf8(rig.saved());
    QVERIFY(saved.startsWith(QStringLiteral("[older console text dropped")));
    QVERIFY(saved.size() <= comms_console::kMaxUnsavedChars);
    QVERIFY(sent.endsWith(saved.mid(saved.indexOf(QLatin1Char('\n')) + 1)));
    rig.tick();
    QCOMPARE(rig.shown().count(QStringLiteral("can be written again")), 1);
}

void CommsConsole::aFifoInPlaceOfTheConsoleFileIsSaidAndNeverWaitedFor() {
    ConsoleRig rig;
    const QString path = rig.dir.path() + QStringLiteral("/LOG/console.txt");
    QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    rig.lines(0, 1);
    rig.tick(2001);  // appending would wait in open() for a reader of the FIFO
    rig.tick();
    QVERIFY2(rig.shown().contains(QStringLiteral("Cannot write %1 (not a regular file (a FIFO))").arg(path)),
             qPrintable(rig.shown()));
    QVERIFY(QFile::remove(path));
    rig.tick(2001);
    QCOMPARE(rig.saved(), QByteArray("line 0\r\n"));
}

QTEST_MAIN(CommsConsole)
#include "tst_comms_console.moc"
