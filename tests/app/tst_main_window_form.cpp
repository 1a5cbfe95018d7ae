// The main window's form as the deferred start-up builds it: title, status bar, tabs, the tables'
// headers and cells' flags, menus, and the actions' texts and shortcuts. These checks only read,
// so they share one window over a real acquisition core, built once for the whole program.

#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

#include "window_rig.h"

namespace {

QStringList action_names(const QList<QAction*>& actions) {
    QStringList names;
    for (QAction* a : actions) {
        if (a->isSeparator()) continue;
        names << (a->menu() ? a->menu()->objectName() : a->objectName());
    }
    return names;
}

}  // namespace

class MainWindowFormTest : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> home_;
    std::unique_ptr<WindowRig> rig_;

  private slots:
    void initTestCase() {
        home_ = std::make_unique<QTemporaryDir>();
        QVERIFY(home_->isValid());
        qputenv("USERPROFILE", QFile::encodeName(home_->path()));
        rig_ = std::make_unique<WindowRig>();
        QTRY_VERIFY(rig_->started());
    }
    void cleanupTestCase() {
        rig_.reset();
        home_.reset();
    }

    void windowIsTitledAndTheStatusBarShowsTheVersion() {
        WindowRig& rig = *rig_;
        QCOMPARE(rig.window->objectName(), QStringLiteral("MainWindow"));
        QCOMPARE(rig.window->windowTitle(), QStringLiteral("Veld Recorder"));
        QLabel* label = status_label(*rig.window);
        QVERIFY(label);
        QVERIFY2(label->text().contains(QStringLiteral("Veld Recorder")), qPrintable(label->text()));
        QVERIFY2(label->text().contains(QStringLiteral("Ver. 1302.005")), qPrintable(label->text()));
        QVERIFY(rig.find<QWidget>("mainToolBar"));
        QVERIFY(rig.find<QWidget>("menuBar"));
        QVERIFY(rig.find<QWidget>("statusBar"));
    }

    void timeColumnCarriesItsAlertLevelAfterStartUp() {
        WindowRig& rig = *rig_;
        QCOMPARE(rig.columns.alarm(ColumnList::kTimeColumn, 2), QStringLiteral("4.56"));
    }

    void tabsComeInTheirOrderWithTheirTables() {
        WindowRig& rig = *rig_;
        auto* tabs = rig.find<QTabWidget>("tabWidget");
        const QStringList pages{"tab", "tab_3", "tab_2", "tab_4"};
        const QStringList titles{"Device List", "Variable List", "Formulas", "Alarm Levels"};
        const QStringList tables{"device_table", "columnTable", "formulaTable", "alarmTable"};
        QCOMPARE(tabs->count(), 4);
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(tabs->widget(i)->objectName(), pages[i]);
            QCOMPARE(tabs->tabText(i), titles[i]);
            QVERIFY(tabs->widget(i)->findChild<QTableWidget*>(tables[i]));
        }
        QCOMPARE(rig.find<QLabel>("label")->text(), QStringLiteral("List of devices"));
        QVERIFY(rig.find<QTableWidget>("device_table")->horizontalHeader()->isSortIndicatorShown());
    }

    void tablesHaveTheirHeaders_data() {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QStringList>("headers");
        QTest::newRow("devices") << "device_table"
                                 << QStringList{"A", "ID String", "Configuration", "Cells", "Edit", "Edit"};
        QTest::newRow("variables") << "columnTable"
                                   << QStringList{"Col", "Variable", "Name", "Units", "Current"};
        QTest::newRow("formulas") << "formulaTable" << QStringList{"Col", "Variable", "Name", "formula"};
        QTest::newRow("alarms") << "alarmTable"
                                << QStringList{"Col", "Alarm Low", "Alarm High", "Alert Low", "Alert High"};
    }
    void tablesHaveTheirHeaders() {
        QFETCH(QString, table);
        QFETCH(QStringList, headers);
        WindowRig& rig = *rig_;
        auto* widget = rig.window->findChild<QTableWidget*>(table);
        QVERIFY(widget);
        QCOMPARE(widget->columnCount(), headers.size());
        for (int c = 0; c < headers.size(); ++c)
            QCOMPARE(widget->horizontalHeaderItem(c)->text(), headers[c]);
    }

    void menusHoldTheirActionsInOrder_data() {
        QTest::addColumn<QString>("menu");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QStringList>("actions");
        QTest::newRow("Veld") << "menuQ_Log"
                              << "Veld"
                              << QStringList{"actionComPort",
                                             "actionScan_for_devices",
                                             "actionStart_Logging_2",
                                             "actionStop_Logging",
                                             "actionChange_Address",
                                             "actionManualCommand",
                                             "actionAuto_Assign",
                                             "actionSave",
                                             "actionGSM",
                                             "actionImport_Export",
                                             "actionPublishing",
                                             "actionQuit"};
        QTest::newRow("View") << "menuView"
                              << "View" << QStringList{"actionLCD",       "actionChart",   "actionChart_2",
                                                       "actionChart_3",   "actionChart_4", "actionConsole",
                                                       "menuLCD_Panels_2"};
        QTest::newRow("LCD Panels") << "menuLCD_Panels_2"
                                    << "LCD Panels"
                                    << QStringList{"actionLCD_21", "actionLCD_22", "actionLCD_23",
                                                   "actionLCD_24"};
        QTest::newRow("Edit") << "menuEdit"
                              << "Edit"
                              << QStringList{"actionCopy", "actionPaste", "actionCut", "actionClear"};
        QTest::newRow("Help") << "menuHelp"
                              << "Help" << QStringList{"actionUser_Guide", "actionAbout"};
    }
    void menusHoldTheirActionsInOrder() {
        QFETCH(QString, menu);
        QFETCH(QString, title);
        QFETCH(QStringList, actions);
        WindowRig& rig = *rig_;
        auto* widget = rig.window->findChild<QMenu*>(menu);
        QVERIFY(widget);
        QCOMPARE(widget->title(), title);
        QCOMPARE(action_names(widget->actions()), actions);
    }

    void menuBarShowsTheFourMenusInOrder() {
        WindowRig& rig = *rig_;
        QCOMPARE(action_names(rig.window->menuBar()->actions()),
                 (QStringList{"menuQ_Log", "menuView", "menuEdit", "menuHelp"}));
    }

    void actionsCarryTheirTextsAndShortcuts_data() {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shortcut");
        const char* rows[][3] = {
            {"actionComPort", "Configuration", ""},
            {"actionScan_for_devices", "Scan for devices", ""},
            {"actionStart_Logging_2", "Start Logging", ""},
            {"actionStop_Logging", "Stop Logging", ""},
            {"actionChange_Address", "Change Address", ""},
            {"actionManualCommand", "ManualCommand", ""},
            {"actionAuto_Assign", "Auto Assign", ""},
            {"actionSave", "Save", ""},
            {"actionGSM", "GSM", ""},
            {"actionImport_Export", "Import/Export", ""},
            {"actionPublishing", "Publishing", ""},
            {"actionQuit", "Quit", "Ctrl+Q"},
            {"actionLCD", "LCD", ""},
            {"actionChart", "Chart 1", ""},
            {"actionChart_2", "Chart 2", ""},
            {"actionChart_3", "Chart 3", ""},
            {"actionChart_4", "Chart 4", ""},
            {"actionConsole", "Console", ""},
            {"actionLCD_21", "LCD 1", ""},
            {"actionLCD_22", "LCD 2", ""},
            {"actionLCD_23", "LCD 3", ""},
            {"actionLCD_24", "LCD 4", ""},
            {"actionCopy", "Copy", "Ctrl+C"},
            {"actionPaste", "Paste", "Ctrl+V"},
            {"actionCut", "Cut", "Ctrl+X"},
            {"actionClear", "Clear", "Del"},
            {"actionUser_Guide", "User Guide", "F1"},
            {"actionAbout", "About", ""},
            // Actions that no menu shows.
            {"actionManual_Entry", "Manual Entry", ""},
            {"actionLoggingConfiguration", "Logging Configuration", ""},
            {"actionView_Console", "View Console", ""},
            {"actionEdit_Options", "Edit Options", ""},
            {"actionClear_Titles", "Clear Titles", ""},
            {"actionLCD_1", "LCD 1", ""},
            {"actionLCD2", "LCD 2", ""},
            {"actionLCD_3", "LCD 3", ""},
            {"actionLCD_4", "LCD 4", ""},
        };
        for (const auto& r : rows) QTest::newRow(r[0]) << r[0] << r[1] << r[2];
    }
    void actionsCarryTheirTextsAndShortcuts() {
        QFETCH(QString, action);
        QFETCH(QString, text);
        QFETCH(QString, shortcut);
        WindowRig& rig = *rig_;
        auto* a = rig.window->findChild<QAction*>(action);
        QVERIFY(a);
        QCOMPARE(a->text(), text);
        QCOMPARE(a->shortcut().toString(), shortcut);
    }

    void changeAddressStartsDisabled() {
        WindowRig& rig = *rig_;
        QVERIFY(!rig.find<QAction>("actionChange_Address")->isEnabled());
    }

    void onlyNameAndUnitsAreEditable() {
        WindowRig& rig = *rig_;
        auto* table = rig.find<QTableWidget>("columnTable");
        for (int c = 0; c < 5; ++c) {
            const bool editable = table->item(7, c)->flags() & Qt::ItemIsEditable;
            QCOMPARE(editable, c == 2 || c == 3);
        }
        QVERIFY(!(table->item(255, 2)->flags() & Qt::ItemIsEditable));
    }
};

QTEST_MAIN(MainWindowFormTest)
#include "tst_main_window_form.moc"
