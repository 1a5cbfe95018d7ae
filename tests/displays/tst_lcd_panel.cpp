// The LCD panel window driven offscreen: its first showing, the layout menu, binding a cell
// through the selection dialog, the shown text, blank cells, number colours, the titles switch
// and the layout file on close.

#include <QLCDNumber>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

#include <limits>

#include "display_rig.h"
#include "displays/ldc_panel.h"
#include "variables/ui/kselect_col_dlg.h"

namespace {

QColor number_colour(const ldc_panel& panel, int cell) {
    return panel.cell(cell).number()->palette().color(QPalette::Active, QPalette::WindowText);
}

int cell_count(const ldc_panel& panel) {
    int n = 0;
    for (int i = 0; i < ldc_panel::kCells; ++i) n += panel.cell(i).exists() ? 1 : 0;
    return n;
}

QAction* menu_entry(QWidget& window, const QString& menu_title, const QString& text) {
    for (QMenu* menu : window.findChildren<QMenu*>()) {
        if (menu->title() != menu_title) continue;
        for (QAction* action : menu->actions()) {
            if (action->text() == text) return action;
        }
    }
    return nullptr;
}

// Opens the window as the main window does.
void open(ldc_panel& panel, const QString& path) {
    panel.load_layout(path);
    panel.update_panels();
    panel.start_timer();
    panel.show();
}

}  // namespace

class LcdPanel : public QObject {
    Q_OBJECT
  private slots:
    void freshWindowShowsOneCellBoundToRecord();
    void numberOfPanelsMenuLaysOutColumnsAndRows();
    void linkMenuBindsCellThroughSelectionDialog();
    void cellShowsValueRoundedOrDashesWhenNotMeasured_data();
    void cellShowsValueRoundedOrDashesWhenNotMeasured();
    void cellsWithoutAColumnAreBlank_data();
    void cellsWithoutAColumnAreBlank();
    void numberTakesAlarmColourOfItsColumn_data();
    void numberTakesAlarmColourOfItsColumn();
    void defaultNumberColourIsNeitherAlarmNorAlertColour();
    void storedNumberColourIsKept();
    void titlesSwitchHidesTitlesAcrossRelayout();
    void closingWritesLayoutFileThatReopensAlike();
};

void LcdPanel::freshWindowShowsOneCellBoundToRecord() {
    DisplayRig rig;
    rig.publish({{0, 42}});
    ldc_panel panel(rig.station);
    open(panel, rig.file(QStringLiteral("lcd1.xml")));
    QCOMPARE(panel.windowTitle(), QStringLiteral("View Data"));
    QCOMPARE(cell_count(panel), 1);
    QCOMPARE(panel.size(), QSize(500, 500));
    QCOMPARE(panel.pos(), QPoint(100, 100));
    QCOMPARE(panel.cell(0).number()->digitCount(), 7);
    // Column 0 from the first showing on, no placeholder before it.
    QCOMPARE(panel.cell(0).shown_number(), QStringLiteral("42.000"));
    QCOMPARE(panel.cell(0).title_label()->text(), QStringLiteral("Record"));
    QCOMPARE(number_colour(panel, 0), LcdLayout().lcd);
    QVERIFY(grab_colours(panel, QStringLiteral("lcd_fresh.png")) > 2);
}

void LcdPanel::numberOfPanelsMenuLaysOutColumnsAndRows() {
    DisplayRig rig;
    ldc_panel panel(rig.station);
    open(panel, rig.file(QStringLiteral("lcd1.xml")));
    QAction* entry = menu_entry(panel, QStringLiteral("Number of panels"), QStringLiteral("6 (3x2)"));
    QVERIFY(entry);
    entry->trigger();
    QCOMPARE(cell_count(panel), 6);
    QCOMPARE(panel.layout().code, QStringLiteral("50"));
    QCoreApplication::processEvents();
    // Three columns, two rows: cell 2 ends the first row, cell 3 starts the second.
    const auto y_of = [&](int i) { return panel.cell(i).container()->geometry().y(); };
    const auto x_of = [&](int i) { return panel.cell(i).container()->geometry().x(); };
    QCOMPARE(y_of(2), y_of(0));
    QVERIFY(y_of(3) > y_of(0));
    QCOMPARE(x_of(3), x_of(0));
}

void LcdPanel::linkMenuBindsCellThroughSelectionDialog() {
    DisplayRig rig;
    rig.columns.set_name(5, QStringLiteral("Wind speed"));
    rig.columns.set_units(5, QStringLiteral("m/s"));
    rig.publish({{5, 12.5}});
    ldc_panel panel(rig.station);
    open(panel, rig.file(QStringLiteral("lcd1.xml")));
    menu_entry(panel, QStringLiteral("Number of panels"), QStringLiteral("4 (2x2)"))->trigger();

    menu_entry(panel, QStringLiteral("Links"), QStringLiteral("Panel 3"))->trigger();
    Kselect_col_dlg& dialog = panel.column_dialog();
    QVERIFY(dialog.isVisible());
    auto* table = dialog.findChild<QTableWidget*>(QStringLiteral("tableWidget"));
    QCOMPARE(table->item(0, 0)->checkState(), Qt::Checked);  // the cells in use are on column 0
    qobject_cast<QPushButton*>(table->cellWidget(5, Kselect_col_dlg::kSelect))->click();
    QVERIFY(!dialog.isVisible());
    QCOMPARE(panel.cell(2).column, 5);
    QCOMPARE(panel.cell(2).title_label()->text(), QStringLiteral("Wind speed"));
    QCOMPARE(panel.cell(2).units_label()->text(), QStringLiteral("m/s"));
    QCOMPARE(panel.cell(2).number()->value(), 12.5);

    // Cells past 16 bind nothing.
    QVERIFY(!menu_entry(panel, QStringLiteral("Links"), QStringLiteral("Panel 17"))->isEnabled());
    panel.on_link_menu(5 << 8 | 16);
    QCOMPARE(panel.cell(16).column, -1);
}

void LcdPanel::cellShowsValueRoundedOrDashesWhenNotMeasured_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("shown");
    QTest::newRow("45.3") << 45.3 << "45.300";
    QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN() << "----";
}

void LcdPanel::cellShowsValueRoundedOrDashesWhenNotMeasured() {
    QFETCH(double, value);
    QFETCH(QString, shown);
    DisplayRig rig;
    ldc_panel panel(rig.station);
    open(panel, rig.file(QStringLiteral("lcd1.xml")));
    panel.on_link_menu(3 << 8 | 0);
    rig.publish({{3, value}});
    panel.update_panels();
    QCOMPARE(panel.cell(0).shown_number(), shown);
}

void LcdPanel::cellsWithoutAColumnAreBlank_data() {
    QTest::addColumn<int>("cell");
    QTest::addColumn<bool>("blank");
    QTest::newRow("cell 1, bound to column 3") << 0 << false;
    QTest::newRow("cell 2, bound past the column list") << 1 << true;
    QTest::newRow("cell 17, never bound") << 16 << true;
    QTest::newRow("cell 32, never bound") << 31 << true;
}

void LcdPanel::cellsWithoutAColumnAreBlank() {
    QFETCH(int, cell);
    QFETCH(bool, blank);
    DisplayRig rig;
    rig.publish({{3, 7.5}});
    const QString path = rig.file(QStringLiteral("lcd1.xml"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(
        "<!DOCTYPE Config><main><config number=\"132\"/><lcd index=\"3\"/><lcd index=\"999\"/></main>");
    file.close();
    ldc_panel panel(rig.station);
    open(panel, path);
    QCOMPARE(cell_count(panel), 32);
    QCOMPARE(panel.cell(cell).shown_number().isEmpty(), blank);
    QCOMPARE(panel.cell(cell).title_label()->text().isEmpty(), blank);
    QCOMPARE(panel.cell(cell).units_label()->text().isEmpty(), blank);
}

void LcdPanel::numberTakesAlarmColourOfItsColumn_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QColor>("colour");
    // Alarm High 80, Alert High 50.
    QTest::newRow("alarm") << 90.0 << QColor(255, 0, 0);
    QTest::newRow("alert") << 60.0 << QColor(255, 255, 0);
    QTest::newRow("normal") << 20.0 << QColor(0, 0, 128);
}

void LcdPanel::numberTakesAlarmColourOfItsColumn() {
    QFETCH(double, value);
    QFETCH(QColor, colour);
    DisplayRig rig;
    rig.columns.set_alarm(3, 1, QStringLiteral("80"));
    rig.columns.set_alarm(3, 3, QStringLiteral("50"));
    ldc_panel panel(rig.station);
    open(panel, rig.file(QStringLiteral("lcd1.xml")));
    panel.on_lcd_colour_changed(QColor(0, 0, 128));
    panel.on_link_menu(3 << 8 | 0);
    rig.publish({{3, value}});
    panel.update_panels();
    QCOMPARE(number_colour(panel, 0), colour);
}

void LcdPanel::defaultNumberColourIsNeitherAlarmNorAlertColour() {
    DisplayRig rig;
    rig.columns.set_alarm(3, 1, QStringLiteral("80"));
    rig.columns.set_alarm(3, 3, QStringLiteral("50"));
    ldc_panel panel(rig.station);
    open(panel, rig.file(QStringLiteral("lcd1.xml")));
    panel.on_link_menu(3 << 8 | 0);
    QList<QColor> colours;
    for (double value : {20.0, 60.0, 90.0}) {
        rig.publish({{3, value}});
        panel.update_panels();
        colours << number_colour(panel, 0);
    }
    QVERIFY(colours[0] != colours[1]);
    QVERIFY(colours[0] != colours[2]);
}

void LcdPanel::storedNumberColourIsKept() {
    DisplayRig rig;
    const QString path = rig.file(QStringLiteral("lcd3.xml"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("<!DOCTYPE Config><main><colours lcd=\"#ff0000\"/><lcd index=\"3\"/></main>");
    file.close();
    rig.publish({{3, 20.0}});
    ldc_panel panel(rig.station);
    open(panel, path);
    QCOMPARE(number_colour(panel, 0), QColor(255, 0, 0));
    panel.close();
    LcdLayout saved;
    saved.load(path);
    QCOMPARE(saved.lcd, QColor(255, 0, 0));
}

void LcdPanel::titlesSwitchHidesTitlesAcrossRelayout() {
    DisplayRig rig;
    ldc_panel panel(rig.station);
    open(panel, rig.file(QStringLiteral("lcd1.xml")));
    QAction* titles = panel.findChild<QAction*>(QStringLiteral("actionTitles"));
    QVERIFY(titles->isChecked());
    titles->trigger();
    QVERIFY(!titles->isChecked());
    QVERIFY(panel.cell(0).title_label()->isHidden());
    menu_entry(panel, QStringLiteral("Number of panels"), QStringLiteral("4 (2x2)"))->trigger();
    QVERIFY(panel.cell(3).title_label()->isHidden());
    QVERIFY(!panel.cell(3).units_label()->isHidden());
}

void LcdPanel::closingWritesLayoutFileThatReopensAlike() {
    DisplayRig rig;
    const QString path = rig.file(QStringLiteral("lcd2.xml"));
    LcdLayout saved;
    {
        ldc_panel panel(rig.station);
        open(panel, path);
        menu_entry(panel, QStringLiteral("Number of panels"), QStringLiteral("32 (8x4)"))->trigger();
        panel.on_link_menu(7 << 8 | 15);
        panel.on_bg_colour_changed(QColor(10, 20, 30));
        panel.close();
        saved.load(path);
        QCOMPARE(saved.code, QStringLiteral("132"));
        QCOMPARE(saved.index[15], 7);
        QCOMPARE(saved.background, QColor(10, 20, 30));
    }
    ldc_panel again(rig.station);
    open(again, path);
    QCOMPARE(cell_count(again), 32);
    QCOMPARE(again.cell(15).column, 7);
    QCOMPARE(again.cell(0).title_label()->text(), QStringLiteral("Record"));
    QVERIFY(grab_colours(again, QStringLiteral("lcd_8x4.png")) > 2);
}

QTEST_MAIN(LcdPanel)
#include "tst_lcd_panel.moc"
