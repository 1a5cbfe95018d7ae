// The LCD value text, the layout codes and the two layout files.
#include <sys/stat.h>

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include "display_model/format_lcd_value.h"
#include "display_model/lcd_grid.h"
#include "display_model/lcd_layout.h"
#include "display_model/plot_layout.h"

class DisplayPieces : public QObject {
    Q_OBJECT
  private slots:
    void lcdValueIsRoundedToTheDigitsShown_data();
    void lcdValueIsRoundedToTheDigitsShown();
    void layoutCodeGivesColumnsAndRowsWithinThirtyTwoCells_data();
    void layoutCodeGivesColumnsAndRowsWithinThirtyTwoCells();
    void lcdLayoutFileRoundTrips();
    void lcdLayoutFileBindsOnlySixteenCellsAndKeepsWhatItDoesNotSay();
    void plotLayoutFileRoundTrips();
    void unwritableLayoutFileReportsMinusOne();
    void layoutFileThatIsNoFileOrIsGarbledIsSaidAndKeepsTheDefaults_data();
    void layoutFileThatIsNoFileOrIsGarbledIsSaidAndKeepsTheDefaults();
};

void DisplayPieces::lcdValueIsRoundedToTheDigitsShown_data() {
    QTest::addColumn<float>("value");
    QTest::addColumn<QString>("shown");
    QTest::newRow("1.5") << 1.5f << "1.5000";
    QTest::newRow("-1.5") << -1.5f << "-1.5000";
    QTest::newRow("45.3, held as 45.2999") << 45.3f << "45.300";
    QTest::newRow("12345.678 rounded, not cut") << 12345.678f << "12346";
    QTest::newRow("-12345.6") << -12345.6f << "-12346";
    QTest::newRow("zero") << 0.0f << "0.0000";
    QTest::newRow("tiny negative rounds to an unsigned zero") << -0.00001f << "0.0000";
    QTest::newRow("rounding carries into the integer part") << 99.99996f << "100.00";
    QTest::newRow("99999.4") << 99999.4f << "99999";
    QTest::newRow("-99999.4") << -99999.4f << "-99999";
    QTest::newRow("99999.9 rounds to six digits") << 99999.9f << "OL";
    QTest::newRow("123456.7") << 123456.7f << "OL";
    QTest::newRow("-123456.7") << -123456.7f << "OL";
    QTest::newRow("huge") << 3e38f << "OL";
    QTest::newRow("infinity") << std::numeric_limits<float>::infinity() << "OL";
    QTest::newRow("nan, not measured") << std::numeric_limits<float>::quiet_NaN() << "----";
    QTest::newRow("123.45, held as 123.44999") << 123.45f << "123.45";
}

void DisplayPieces::lcdValueIsRoundedToTheDigitsShown() {
    QFETCH(float, value);
    QFETCH(QString, shown);
    QCOMPARE(format_lcd_value(value), shown);
}

void DisplayPieces::layoutCodeGivesColumnsAndRowsWithinThirtyTwoCells_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("rows");
    QTest::newRow("1 (1x1)") << 17 << 1 << 1;
    QTest::newRow("2 (1x2): two columns, one row") << 33 << 2 << 1;
    QTest::newRow("6 (3x2)") << 50 << 3 << 2;
    QTest::newRow("32 (8x4)") << 132 << 8 << 4;
    QTest::newRow("32 (4x8)") << 72 << 4 << 8;
    QTest::newRow("0: one cell") << 0 << 1 << 1;
    QTest::newRow("below 16: one column") << 5 << 1 << 5;
    QTest::newRow("nine rows become eight") << 0x19 << 1 << 8;
    QTest::newRow("8x8 from a file: cut to 32 cells") << 0x88 << 8 << 4;
    QTest::newRow("5x8 from a file") << 0x58 << 5 << 6;
    QTest::newRow("255") << 255 << 8 << 4;
    QTest::newRow("negative") << -3 << 1 << 8;
}

void DisplayPieces::layoutCodeGivesColumnsAndRowsWithinThirtyTwoCells() {
    QFETCH(int, code);
    QFETCH(int, columns);
    QFETCH(int, rows);
    const LcdGrid grid = LcdGrid::from_code(code);
    QCOMPARE(grid.columns, columns);
    QCOMPARE(grid.rows, rows);
}

void DisplayPieces::lcdLayoutFileRoundTrips() {
    QTemporaryDir dir;
    LcdLayout written;
    written.x = 12, written.y = 34, written.w = 640, written.h = 480;
    written.background = QColor(1, 2, 3);
    written.title = QColor(250, 128, 0);
    written.units = QColor(0, 0, 255);
    written.lcd = QColor(16, 32, 48);
    written.code = QStringLiteral("34");
    written.show_titles = false;
    for (int i = 0; i < LcdLayout::kBoundCells; ++i) written.index[size_t(i)] = 3 + i;
    const QString path = dir.filePath(QStringLiteral("lcd2.xml"));
    QCOMPARE(written.save(path), 0);

    LcdLayout read;
    read.load(path);
    QCOMPARE(read.write(), written.write());
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    QVERIFY(text.contains("<!DOCTYPE Config>"));
    QVERIFY(text.contains("bg=\"#010203\""));
    QCOMPARE(text.count("<lcd "), LcdLayout::kBoundCells);
}

void DisplayPieces::lcdLayoutFileBindsOnlySixteenCellsAndKeepsWhatItDoesNotSay() {
    QByteArray doc =
        "<!DOCTYPE Config><main><config number=\"51\" show_titles=\"0\"/><layout x=\"7\" w=\"big\"/>";
    for (int i = 0; i < 20; ++i) doc += "<lcd index=\"" + QByteArray::number(100 + i) + "\"/>";
    doc += "<colours lcd=\"#00ff00\" bg=\"nonsense\"/></main>";
    LcdLayout layout;
    layout.read(doc);
    QCOMPARE(layout.code, QStringLiteral("51"));
    QCOMPARE(layout.show_titles, false);
    QCOMPARE(layout.show_units, true);
    QCOMPARE(layout.x, 7);
    QCOMPARE(layout.w, LcdLayout().w);
    QCOMPARE(layout.lcd, QColor(0, 255, 0));
    QCOMPARE(layout.background, LcdLayout().background);
    for (int i = 0; i < LcdLayout::kBoundCells; ++i) QCOMPARE(layout.index[size_t(i)], 100 + i);
}

void DisplayPieces::plotLayoutFileRoundTrips() {
    QTemporaryDir dir;
    PlotLayout written;
    written.x = 5, written.y = 6, written.w = 700, written.h = 350;
    written.axis = QColor(10, 20, 30);
    written.num_points = PlotLayout::kCurrentLog;
    written.index = 17;
    const QString path = dir.filePath(QStringLiteral("plot3.xml"));
    QCOMPARE(written.save(path), 0);
    PlotLayout read;
    read.load(path);
    QCOMPARE(read.write(), written.write());
    QCOMPARE(read.num_points, PlotLayout::kCurrentLog);
}

void DisplayPieces::unwritableLayoutFileReportsMinusOne() {
    QTemporaryDir dir;
    QCOMPARE(LcdLayout().save(dir.filePath(QStringLiteral("missing/lcd1.xml"))), -1);
    QCOMPARE(PlotLayout().save(QString()), -1);
}

void DisplayPieces::layoutFileThatIsNoFileOrIsGarbledIsSaidAndKeepsTheDefaults_data() {
    QTest::addColumn<int>("kind");  // 0: a FIFO, 1: a folder, 2: garbled XML
    QTest::addColumn<QString>("said");
    QTest::newRow("a FIFO, which must not block") << 0 << "not a regular file (a FIFO)";
    QTest::newRow("a folder") << 1 << "not a regular file";
    QTest::newRow("garbled") << 2 << "line 1";
}

void DisplayPieces::layoutFileThatIsNoFileOrIsGarbledIsSaidAndKeepsTheDefaults() {
    QFETCH(int, kind);
    QFETCH(QString, said);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("lcd1.xml"));
    if (kind == 0) QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    if (kind == 1) QVERIFY(QDir().mkpath(path));
    if (kind == 2) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("<main><layout x=\"7\"><<");
    }
    LcdLayout lcd;
    const QString lcd_said = lcd.load(path);
    QVERIFY2(lcd_said.contains(said) && lcd_said.contains(QStringLiteral("the default layout")),
             qPrintable(lcd_said));
    QCOMPARE(lcd.w, LcdLayout().w);
    PlotLayout plot;
    QVERIFY(plot.load(path).contains(said));
    QCOMPARE(plot.index, PlotLayout().index);
}

QTEST_GUILESS_MAIN(DisplayPieces)
#include "tst_display_pieces.moc"
