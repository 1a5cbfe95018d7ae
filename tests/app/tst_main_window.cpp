// The main window end to end over a real acquisition core on an in-memory port: deferred start-up,
// the splash, the device, Variable List, formula and alarm tables, the menu commands, saving and
// closing. Each test starts a window of its own; the form's read-only checks share one
// (tst_main_window_form.cpp).

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSplashScreen>
#include <QStatusBar>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextBrowser>
#include <QtTest>

#include "app/user_guide_window.h"
#include "core/core_config.h"
#include "fileio/fileio_core.h"
#include "station/record_log.h"
#include "variables/varlist_file.h"
#include "widgets/column_widths.h"
#include "window_rig.h"

namespace {

QString cell(QTableWidget* table, int row, int column) {
    const QTableWidgetItem* item = table->item(row, column);
    return item ? item->text() : QStringLiteral("<no item>");
}

QSplashScreen* visible_splash() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* splash = qobject_cast<QSplashScreen*>(w); splash && splash->isVisible()) return splash;
    }
    return nullptr;
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> home_;
    QString workspace() const { return home_->path() + QStringLiteral("/Documents/Veld/"); }

  private slots:
    void init() {
        home_ = std::make_unique<QTemporaryDir>();
        QVERIFY(home_->isValid());
        qputenv("USERPROFILE", QFile::encodeName(home_->path()));
    }
    void cleanup() { home_.reset(); }

    void interfaceIsBuiltOnTheFirstTickNotBefore() {
        WindowRig rig;
        QSignalSpy console(&rig.core, &sdi12_core::printline);
        QVERIFY(!rig.started());
        QVERIFY(!rig.core.isRunning());
        QTRY_VERIFY(rig.started());
        QVERIFY(rig.core.isRunning());
        QVERIFY(!console.isEmpty());
        QCOMPARE(console.first().first().toString(), QStringLiteral("Hello World\r\n"));
    }

    void splashShowsThePictureThenFadesAway() {
        WindowRig rig;
        QSplashScreen* splash = visible_splash();
        QVERIFY(splash);
        QCOMPARE(splash->pixmap().size(), QSize(400, 300));
        // Thirty ticks of 100 ms, then the splash is gone and the window stays.
        QTRY_VERIFY_WITH_TIMEOUT(visible_splash() == nullptr, 20000);
        QVERIFY(rig.window->isVisible());
    }

    void variableListIsReadFromTheWorkspaceAtStartUp() {
        ColumnList saved;
        saved.set_name(3, QStringLiteral("AirTemp"));
        saved.set_units(3, QStringLiteral("degC"));
        QVERIFY(QDir().mkpath(workspace() + QStringLiteral("Config")));
        QCOMPARE(write_varlist(saved, workspace() + QStringLiteral("Config/varlist.xml")), 0);

        WindowRig rig;
        QTRY_VERIFY(rig.started());
        auto* table = rig.find<QTableWidget>("columnTable");
        QCOMPARE(table->rowCount(), 257);
        QCOMPARE(cell(table, 3, 0), QStringLiteral("D"));
        QCOMPARE(cell(table, 3, 2), QStringLiteral("AirTemp"));
        QCOMPARE(cell(table, 3, 3), QStringLiteral("degC"));
        QCOMPARE(cell(table, 0, 2), rig.columns.name(0));
        QCOMPARE(cell(table, 254, 0), QStringLiteral("IU"));
        QCOMPARE(cell(table, 255, 0), QString());
        QCOMPARE(cell(table, 256, 4), QStringLiteral("0"));
        QCOMPARE(table->rowHeight(10), 20);
    }

    void editingNameOrUnitsStoresItInTheColumnList_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::newRow("name of D") << 3 << 2;
        QTest::newRow("units of E") << 4 << 3;
        QTest::newRow("name of A") << 0 << 2;
        QTest::newRow("units of IU") << 254 << 3;
    }
    void editingNameOrUnitsStoresItInTheColumnList() {
        QFETCH(int, row);
        QFETCH(int, column);
        WindowRig rig;
        QTRY_VERIFY(rig.started());
        auto* table = rig.find<QTableWidget>("columnTable");
        table->item(row, column)->setText(QStringLiteral("typed 12.5"));
        const QString stored = column == 2 ? rig.columns.name(row) : rig.columns.units(row);
        QCOMPARE(stored, QStringLiteral("typed 12.5"));
    }

    void editsOfOtherCellsAndSpareRowsAreNotStored() {
        WindowRig rig;
        QTRY_VERIFY(rig.started());
        auto* table = rig.find<QTableWidget>("columnTable");
        const QString label_before = rig.columns.label(3);
        table->item(3, 1)->setText(QStringLiteral("not a label"));
        table->item(3, 4)->setText(QStringLiteral("99"));
        table->item(255, 2)->setText(QStringLiteral("spare"));
        table->item(256, 3)->setText(QStringLiteral("spare"));
        QCOMPARE(rig.columns.label(3), label_before);
        QCOMPARE(rig.columns.size(), 255);
    }

    void kEditTagsStoreNameOrUnits() {
        WindowRig rig;
        QTRY_VERIFY(rig.started());
        rig.window->on_column_edit_changed(5 << 8 | 2, QStringLiteral("Rain"));
        rig.window->on_column_edit_changed(5 << 8 | 3, QStringLiteral("mm"));
        rig.window->on_column_edit_changed(6 << 8 | 4, QStringLiteral("ignored"));
        rig.window->on_column_edit_changed(300 << 8 | 2, QStringLiteral("beyond"));
        QCOMPARE(rig.columns.name(5), QStringLiteral("Rain"));
        QCOMPARE(rig.columns.units(5), QStringLiteral("mm"));
        QCOMPARE(rig.columns.name(6), QString());
        QCOMPARE(rig.columns.units(6), QString());
    }

    void deviceTableShowsScannedSlotsAfterADeviceListChange() {
        WindowRig rig;
        QTRY_VERIFY(rig.started());
        auto* table = rig.find<QTableWidget>("device_table");
        QCOMPARE(table->rowCount(), 0);
        rig.devices.update(1, [](idev& d) {
            d.scanned = 1;
            d.identification.clear();
        });
        rig.devices.update(3, [](idev& d) {
            d.scanned = 1;
            d.identification = QStringLiteral("3I!313VELDINSTWIND20100SN0003\r");
            d.description = QStringLiteral("Wind sensor");
            d.start_column = 8;
            d.end_column = 9;
        });
        emit rig.core.devlist_changed();
        QTRY_COMPARE(table->rowCount(), 4);
        QCOMPARE(cell(table, 3, 0), QStringLiteral("3"));
        QCOMPARE(cell(table, 3, 1), QStringLiteral("3I!313VELDINSTWIND20100SN0003"));
        QCOMPARE(cell(table, 3, 2), QStringLiteral("Wind sensor"));
        QCOMPARE(cell(table, 3, 3), QStringLiteral("I..J"));
        QCOMPARE(cell(table, 1, 0), QStringLiteral("1"));
        QCOMPARE(cell(table, 1, 1), QString());
        QCOMPARE(cell(table, 1, 2), QString());
        QCOMPARE(cell(table, 1, 3), QString());
        QVERIFY(table->item(0, 0) == nullptr);  // not scanned: untouched
        QVERIFY(table->item(2, 0) == nullptr);
        QVERIFY(!(table->item(3, 1)->flags() & Qt::ItemIsEditable));
        QVERIFY(!rig.find<QAction>("actionChange_Address")->isEnabled());
    }

    void changeAddressIsEnabledOnceEverySlotIsScanned() {
        WindowRig rig;
        QTRY_VERIFY(rig.started());
        auto* change = rig.find<QAction>("actionChange_Address");
        rig.devices.update_all([](auto& all) {
            for (idev& d : all) d.scanned = 1;
        });
        emit rig.core.devlist_changed();
        QTRY_VERIFY(change->isEnabled());
        QCOMPARE(rig.find<QTableWidget>("device_table")->rowCount(), 16);
    }

    void currentValuesAreRefreshedAfterEachCycle() {
        WindowRig rig;
        QTRY_VERIFY(rig.started());
        auto* table = rig.find<QTableWidget>("columnTable");
        QSignalSpy processed(rig.window.get(), &MainWindow::end_of_processing);
        rig.columns.set_value(3, 1234567.0);
        rig.columns.set_value(4, 21.5);
        rig.station.record_log().show_values();  // as the end of a cycle does
        emit rig.core.end_of_log();
        QTRY_COMPARE(processed.count(), 1);
        QCOMPARE(cell(table, 3, 4), QStringLiteral("1.23457e+06"));
        QCOMPARE(cell(table, 4, 4), QStringLiteral("21.5"));
        QCOMPARE(cell(table, 256, 4), QStringLiteral("0"));

        rig.columns.set_value(4, -3.25);
        rig.station.record_log().show_values();
        emit rig.window->dummy_end_of_log();
        QTRY_COMPARE(processed.count(), 2);
        QCOMPARE(cell(table, 4, 4), QStringLiteral("-3.25"));
    }

    void deviceTableColumnsFitItsViewport() {
        WindowRig rig;
        QTRY_VERIFY(rig.started());
        rig.window->resize(1000, 600);
        auto* table = rig.find<QTableWidget>("device_table");
        auto fitted = [table] {
            const auto widths = column_widths::device_table(table->viewport()->width());
            for (int c = 0; c < 6; ++c)
                if (table->columnWidth(c) != widths[c]) return false;
            return true;
        };
        QTRY_VERIFY(table->viewport()->width() > 670);  // the layout has followed the resize
        QTRY_VERIFY2(fitted(), qPrintable(QStringLiteral("viewport %1: %2 %3 %4 %5")
                                              .arg(table->viewport()->width())
                                              .arg(table->columnWidth(0))
                                              .arg(table->columnWidth(1))
                                              .arg(table->columnWidth(2))
                                              .arg(table->columnWidth(3))));
        QCOMPARE(table->columnWidth(4), 50);
        QVERIFY(table->columnWidth(2) > table->columnWidth(1));
    }

    void scanForDevicesEmptiesTheDeviceTableKeepingItsHeaders() {
        WindowRig rig;
        QTRY_VERIFY(rig.started());
        auto* table = rig.find<QTableWidget>("device_table");
        rig.devices.update(0, [](idev& d) { d.scanned = 1; });
        emit rig.core.devlist_changed();
        QTRY_COMPARE(table->rowCount(), 1);
        const int width = table->columnWidth(1);

        rig.find<QAction>("actionScan_for_devices")->trigger();
        QCOMPARE(table->rowCount(), 0);
        QCOMPARE(table->columnCount(), 6);
        QCOMPARE(table->horizontalHeaderItem(1)->text(), QStringLiteral("ID String"));
        QCOMPARE(table->columnWidth(1), width);
        // The scan asks the first address for its identification.
        QTRY_VERIFY(QString::fromStdString(rig.link.written()).contains(QStringLiteral("0I!")));
    }

    void anAddressChangeEventClearsTheDeviceTableForTheCoresRescanOtherEventsDoNothing() {
        WindowRig rig;
        QTRY_VERIFY(rig.started());
        auto* table = rig.find<QTableWidget>("device_table");
        rig.devices.update(2, [](idev& d) { d.scanned = 1; });
        emit rig.core.devlist_changed();
        QTRY_COMPARE(table->rowCount(), 3);
        emit rig.core.cmd_event(7);
        QCoreApplication::sendPostedEvents();  // the queued event arrives; it must change nothing
        QCOMPARE(table->rowCount(), 3);
        emit rig.core.cmd_event(sdi12_core::kAddressChange);
        QTRY_COMPARE(table->rowCount(), 0);
    }

    void startAndStopLoggingSwitchTheCoreAndTheStatusBar() {
        WindowRig rig;
        QTRY_VERIFY(rig.started());
        rig.find<QAction>("actionStart_Logging_2")->trigger();
        QTRY_COMPARE(rig.core.mode(), int(sdi12_core::kLogging));
        QTRY_VERIFY(status_label(*rig.window)->text().startsWith(QStringLiteral("Logging Y")));
        rig.find<QAction>("actionStop_Logging")->trigger();
        QTRY_COMPARE(rig.core.mode(), int(sdi12_core::kIdle));
        QTRY_VERIFY(status_label(*rig.window)->text().startsWith(QStringLiteral("Logging N")));
        QCOMPARE(status_label(*rig.window)->text(), rig.core.status_text(sdi12_core::kStatusLine));
    }

    void formulaAndAlarmEditsGoIntoTheColumnListAsTyped_data() {
        QTest::addColumn<QString>("table");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("typed");
        QTest::newRow("formula of D") << "formulaTable" << 3 << "=E*2+";  // stored as typed, not checked
        QTest::newRow("Alarm Low of D") << "alarmTable" << 1 << "-10";
        QTest::newRow("Alarm High of D") << "alarmTable" << 2 << "12.5";
        QTest::newRow("Alert High of D") << "alarmTable" << 4 << "x";
    }

    void formulaAndAlarmEditsGoIntoTheColumnListAsTyped() {
        QFETCH(QString, table);
        QFETCH(int, column);
        QFETCH(QString, typed);
        WindowRig rig;
        QTRY_VERIFY(rig.started());
        auto* widget = rig.find<QTableWidget>(table.toLatin1().constData());
        QCOMPARE(widget->rowCount(), 257);
        QVERIFY(widget->item(3, column)->flags() & Qt::ItemIsEditable);
        QVERIFY(!(widget->item(3, 0)->flags() & Qt::ItemIsEditable));
        widget->item(3, column)->setText(typed);
        if (table == QLatin1String("formulaTable"))
            QCOMPARE(rig.columns.formula(3), typed);
        else
            QCOMPARE(rig.columns.alarm(3, column - 1), typed);
        // The Time column's Alert Low level is there from the start.
        QCOMPARE(cell(rig.find<QTableWidget>("alarmTable"), 2, 3), QStringLiteral("4.56"));
    }

    void configurationModeDecidesWhetherTheDeviceTableServes_data() {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("SDI-12") << "SDI-12" << true;
        QTest::newRow("RS485") << "RS485" << true;
        QTest::newRow("Modem") << "Modem" << false;
        QTest::newRow("File Remote") << "File Remote" << false;
    }

    void configurationModeDecidesWhetherTheDeviceTableServes() {
        QFETCH(QString, mode);
        QFETCH(bool, enabled);
        WindowRig rig;
        QTRY_VERIFY(rig.started());
        rig.find<QAction>("actionComPort")->trigger();
        auto* dialog = rig.window->findChild<QDialog*>(QStringLiteral("selectComPort"));
        QVERIFY(dialog && dialog->isVisible());
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Logging Configuration"));
        auto* modes = dialog->findChild<QComboBox*>(QStringLiteral("modeComboBox"));
        modes->setCurrentIndex(modes->findText(mode));
        auto* buttons = dialog->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
        QTest::mouseClick(buttons->button(QDialogButtonBox::Ok), Qt::LeftButton);
        QTRY_VERIFY(!dialog->isVisible());
        QCOMPARE(rig.find<QTableWidget>("device_table")->isEnabled(), enabled);
    }

    void saveWritesTheSettingsAndTheVariableList() {
        WindowRig rig;
        QTRY_VERIFY(rig.started());
        rig.find<QTableWidget>("columnTable")->item(5, 2)->setText(QStringLiteral("Rain"));
        rig.find<QTableWidget>("columnTable")->item(5, 3)->setText(QStringLiteral("mm"));
        rig.find<QAction>("actionSave")->trigger();

        QVERIFY(QFile::exists(workspace() + QStringLiteral("Config/config.xml")));
        ColumnList read_back;
        QVERIFY(read_varlist(read_back, workspace() + QStringLiteral("Config/varlist.xml")) > 0);
        QCOMPARE(read_back.name(5), QStringLiteral("Rain"));
        QCOMPARE(read_back.units(5), QStringLiteral("mm"));
        QCOMPARE(rig.window->statusBar()->currentMessage(), QStringLiteral("Saved"));
    }

    void closingWithChangesAsksAndFollowsTheAnswer_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("stays_open");
        QTest::addColumn<QString>("saved_name");
        QTest::newRow("Save") << int(QMessageBox::Save) << false << "Rain";
        QTest::newRow("Discard") << int(QMessageBox::Discard) << false << "";
        QTest::newRow("Cancel") << int(QMessageBox::Cancel) << true << "";
    }
    void closingWithChangesAsksAndFollowsTheAnswer() {
        QFETCH(int, answer);
        QFETCH(bool, stays_open);
        QFETCH(QString, saved_name);
        WindowRig rig;
        QTRY_VERIFY(rig.started());
        rig.find<QTableWidget>("columnTable")->item(5, 2)->setText(QStringLiteral("Rain"));
        rig.window->close();
        QVERIFY(rig.window->isVisible());
        auto* box = rig.window->findChild<QMessageBox*>(QStringLiteral("unsavedChangesBox"));
        QVERIFY(box && box->isVisible());
        QTest::mouseClick(box->button(QMessageBox::StandardButton(answer)), Qt::LeftButton);
        QCOMPARE(rig.window->isVisible(), stays_open);
        ColumnList read_back;
        read_varlist(read_back, workspace() + QStringLiteral("Config/varlist.xml"));
        QCOMPARE(read_back.name(5), saved_name);
    }

    void closingAfterSaveOrWithoutChangesDoesNotAsk_data() {
        QTest::addColumn<bool>("edit_and_save");
        QTest::newRow("nothing changed") << false;
        QTest::newRow("changed, then saved") << true;
    }
    void closingAfterSaveOrWithoutChangesDoesNotAsk() {
        QFETCH(bool, edit_and_save);
        WindowRig rig;
        QTRY_VERIFY(rig.started());
        if (edit_and_save) {
            rig.find<QTableWidget>("formulaTable")->item(4, 3)->setText(QStringLiteral("A*2"));
            rig.find<QAction>("actionSave")->trigger();
        }
        rig.find<QAction>("actionQuit")->trigger();
        QVERIFY(!rig.window->isVisible());
        QVERIFY(!rig.window->findChild<QMessageBox*>(QStringLiteral("unsavedChangesBox")));
    }

    void windowFitsTheScreenItOpensOnAndIsCentredThere() {
        WindowRig rig;
        QTRY_VERIFY(rig.started());
        const QRect available = rig.window->screen()->availableGeometry();
        const QRect frame = rig.window->frameGeometry();
        QVERIFY2(available.contains(frame), qPrintable(QStringLiteral("%1,%2 %3x%4")
                                                           .arg(frame.x())
                                                           .arg(frame.y())
                                                           .arg(frame.width())
                                                           .arg(frame.height())));
        QVERIFY(qAbs(frame.center().x() - available.center().x()) <= 1);
        QVERIFY(qAbs(frame.center().y() - available.center().y()) <= 1);
    }

    void importExportCancelLeavesTheImportAsItWas_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("running");
        QTest::newRow("File Remote: it runs again") << 3 << true;
        QTest::newRow("SDI-12: it stays off") << 0 << false;
    }
    void importExportCancelLeavesTheImportAsItWas() {
        QFETCH(int, mode);
        QFETCH(bool, running);
        WindowRig rig;
        QTRY_VERIFY(rig.started());
        CoreSettings s = rig.core.settings();
        s.comm_mode = mode;
        rig.core.set_settings(s);
        rig.window->init_commode();
        rig.find<QAction>("actionImport_Export")->trigger();
        QVERIFY(!rig.station.importer().import_running());
        auto* dialog = rig.window->findChild<QDialog*>(QStringLiteral("FileComsDialog"));
        QVERIFY(dialog && dialog->isVisible());
        QTest::mouseClick(dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel),
                          Qt::LeftButton);
        QCOMPARE(rig.station.importer().import_running(), running);
    }

    void f1OpensTheUserGuideAtItsFirstHeading() {
        WindowRig rig;
        QTRY_VERIFY(rig.started());
        rig.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(rig.window.get()));
        // Through the window system, as a key press from the keyboard comes.
        QTest::keyClick(rig.window->windowHandle(), Qt::Key_F1);
        QWidget* guide = nullptr;
        QTRY_VERIFY((guide = rig.window->findChild<QWidget*>(QStringLiteral("UserGuideWindow"))) != nullptr);
        QVERIFY(guide->isVisible());
        QCOMPARE(guide->windowTitle(), QStringLiteral("User Guide"));
        auto* browser = guide->findChild<QTextBrowser*>(QStringLiteral("guideBrowser"));
        QVERIFY(browser);
        const QString first_heading =
            UserGuideWindow::guide_markdown().section(QLatin1Char('\n'), 0, 0).mid(2);
        QVERIFY(!first_heading.isEmpty());
        QCOMPARE(browser->document()->firstBlock().text(), first_heading);
        QCOMPARE(browser->document()->firstBlock().blockFormat().headingLevel(), 1);
    }

    void aboutNamesTheProductAndItsVersion() {
        WindowRig rig;
        QTRY_VERIFY(rig.started());
        QString title, text;
        QTimer closer;
        connect(&closer, &QTimer::timeout, [&] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                auto* box = qobject_cast<QMessageBox*>(w);
                if (!box || !box->isVisible()) continue;
                title = box->windowTitle();
                text = box->text();
                box->accept();
            }
        });
        closer.start(10);
        rig.find<QAction>("actionAbout")->trigger();  // returns once the box is closed
        closer.stop();
        QCOMPARE(title, QStringLiteral("Veld"));
        QVERIFY2(text.contains(QStringLiteral("<b>Veld Recorder</b>")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("Data Recorder Ver 1302.005")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("<a href=")), qPrintable(text));
    }
};

QTEST_MAIN(MainWindowTest)
#include "tst_main_window.moc"
