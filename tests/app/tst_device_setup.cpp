// Setting sensors up from the main window: the device table's row buttons, the Device Setup
// dialog over devassoc.xml, Auto Assign, and the Variable List commands (clipboard, Clear Titles).

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

#include "devices/ui/dev_assoc.h"
#include "dialog_warning.h"
#include "sim/memory_link_bus.h"
#include "sim/sim_config_reader.h"
#include "sim_configs.h"
#include "thread_state.h"
#include "widgets/kpushbutton.h"
#include "window_rig.h"

namespace {

void write_file(const QString& path, const QByteArray& text) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text);
}

QByteArray definition(const char* description, int cells) {
    QByteArray xml = "<device><main description=\"" + QByteArray(description) + "\" cells=\"" +
                     QByteArray::number(cells) + "\"/>";
    xml += "<log cell=\"0\" cmd=\"aM!\"/>";
    for (int c = 0; c < cells; ++c) xml += "<log title=\"v" + QByteArray::number(c) + "\"/>";
    return xml + "</device>";
}

void identify(DeviceList& devices, int slot, const QString& identification,
              const QString& definition_name = {}) {
    devices.update(slot, [&](idev& d) {
        d.scanned = 1;
        d.identification = identification;
        d.definition = definition_name;
    });
}

QString cell(QTableWidget* table, int row, int column) {
    const QTableWidgetItem* item = table->item(row, column);
    return item ? item->text() : QString();
}

}  // namespace

class DeviceSetupTest : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> home_;
    QString devices_folder() const { return home_->path() + QStringLiteral("/Documents/Veld/Devices/"); }

  private slots:
    void init() {
        home_ = std::make_unique<QTemporaryDir>();
        QVERIFY(home_->isValid());
        qputenv("USERPROFILE", QFile::encodeName(home_->path()));
        write_file(devices_folder() + "th.xml", definition("Temperature", 4));
        write_file(devices_folder() + "w.xml", definition("Wind", 2));
        write_file(devices_folder() + "devassoc.xml",
                   "<main><assoc id=\"TH\" file=\"th.xml\" name=\"Temp\"/>"
                   "<assoc id=\"WIND\" file=\"w.xml\" name=\"Wind\"/>"
                   "<assoc id=\"\" file=\"th.xml\" name=\"Temp (any)\"/></main>");
    }
    void cleanup() { home_.reset(); }

    void answeredRowsCarrySetupAndConfigButtonsSilentRowsNone() {
        WindowRig rig;
        QTRY_VERIFY(rig.started());
        identify(rig.devices, 0, QStringLiteral("0I!013VELDTH"));
        identify(rig.devices, 1, QString());
        emit rig.core.devlist_changed();
        auto* table = rig.find<QTableWidget>("device_table");
        QTRY_COMPARE(table->rowCount(), 2);
        auto* setup = qobject_cast<KPushButton*>(table->cellWidget(0, 4));
        auto* config = qobject_cast<KPushButton*>(table->cellWidget(0, 5));
        QVERIFY(setup && config);
        QCOMPARE(setup->text(), QStringLiteral("Setup"));
        QCOMPARE(config->text(), QStringLiteral("Config"));
        QCOMPARE(setup->row(), 0);
        QVERIFY(!table->cellWidget(1, 4) && !table->cellWidget(1, 5));
    }

    void scanThroughTheSimulatedBusFillsTheTableAndEnablesChangeAddress() {
        WindowRig rig;
        QTRY_VERIFY(rig.started());
        const SimConfigResult parsed = parse_sim_config(sim_configs::kThreeSensors, "test");
        QVERIFY(parsed.ok());
        MemoryLinkBus bus(rig.link, parsed.config);
        rig.find<QAction>("actionScan_for_devices")->trigger();
        auto* table = rig.find<QTableWidget>("device_table");
        auto* change = rig.find<QAction>("actionChange_Address");
        // Silent addresses end in virtual time: move the clock while the window runs, each step
        // once the worker has done what it could and waits again.
        for (int i = 0; i < 3000 && !change->isEnabled(); ++i) {
            rig.clock.advance(20);
            rig.link.wake();
            QVERIFY(thread_state::wait_until_others_asleep());
            QCoreApplication::processEvents();
        }
        QVERIFY(change->isEnabled());
        QCOMPARE(table->rowCount(), 16);
        QCOMPARE(cell(table, 3, 1), QStringLiteral("3I!313VELDINSTWIND20100SN0003"));
        QCOMPARE(cell(table, 11, 0), QStringLiteral("b"));
        QVERIFY(table->cellWidget(11, 4) && !table->cellWidget(2, 4));
        QCOMPARE(cell(table, 2, 1), QString());
    }

    void setupButtonOpensTheDialogWithTheFittingEntriesAndTheSlotsChoice() {
        WindowRig rig;
        QTRY_VERIFY(rig.started());
        identify(rig.devices, 2, QStringLiteral("2I!213VELDTH100"), QStringLiteral("th.xml"));
        rig.devices.update(2, [](idev& d) { d.start_column = 5; });
        emit rig.core.devlist_changed();
        auto* table = rig.find<QTableWidget>("device_table");
        QTRY_VERIFY(table->cellWidget(2, 4));
        QTest::mouseClick(qobject_cast<QPushButton*>(table->cellWidget(2, 4)), Qt::LeftButton);

        auto* dialog = rig.window->findChild<dev_assoc*>();
        QVERIFY(dialog && dialog->isVisible());
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Device Setup"));
        QCOMPARE(dialog->findChild<QPlainTextEdit*>("idEdit")->toPlainText(),
                 QStringLiteral("2I!213VELDTH100"));
        auto* configs = dialog->findChild<QComboBox*>("config_comboBox");
        QCOMPARE(configs->count(), 2);  // "Temp" and the entry with the empty id
        QCOMPARE(configs->currentText(), QStringLiteral("Temp (any)"));  // the last with th.xml
        auto* start = dialog->findChild<QComboBox*>("startcol_comboBox");
        QCOMPARE(start->count(), rig.columns.size() - 3);  // A to C are the record's own
        QCOMPARE(start->itemText(0), QStringLiteral("D"));
        QCOMPARE(start->currentText(), QStringLiteral("F"));
    }

    void okAppliesTheChoiceOnceAndReloadsTheSlot() {
        WindowRig rig;
        QTRY_VERIFY(rig.started());
        identify(rig.devices, 3, QStringLiteral("3I!313VELDWIND20"));
        emit rig.core.devlist_changed();
        rig.window->edit_assoc(3);
        auto* dialog = rig.window->findChild<dev_assoc*>();
        QSignalSpy changed(dialog, &dev_assoc::dev_changed);
        dialog->findChild<QComboBox*>("config_comboBox")->setCurrentText(QStringLiteral("Wind"));
        dialog->findChild<QComboBox*>("startcol_comboBox")->setCurrentText(QStringLiteral("AA"));
        dialog->findChild<QDialogButtonBox*>("buttonBox")->button(QDialogButtonBox::Ok)->click();
        QCOMPARE(changed.count(), 1);
        QVERIFY(!dialog->isVisible());
        const idev d = rig.devices.slot(3);
        QCOMPARE(d.definition, QStringLiteral("w.xml"));
        QCOMPARE(int(d.start_column), 26);
        QCOMPARE(d.description, QStringLiteral("Wind"));  // the definition was loaded
        auto* table = rig.find<QTableWidget>("device_table");
        QCOMPARE(cell(table, 3, 2), QStringLiteral("Wind"));
        QCOMPARE(cell(table, 3, 3), QStringLiteral("AA..AB"));
        QCOMPARE(cell(rig.find<QTableWidget>("columnTable"), 26, 1), QStringLiteral("v0(3)"));
    }

    void okWithNothingFittingKeepsTheDefinition() {
        write_file(devices_folder() + "devassoc.xml",
                   "<main><assoc id=\"NOPE\" file=\"x.xml\" name=\"X\"/></main>");
        WindowRig rig;
        QTRY_VERIFY(rig.started());
        identify(rig.devices, 1, QStringLiteral("1I!VELDTH"), QStringLiteral("th.xml"));
        rig.window->edit_assoc(1);
        auto* dialog = rig.window->findChild<dev_assoc*>();
        QCOMPARE(dialog->findChild<QComboBox*>("config_comboBox")->count(), 0);
        dialog->findChild<QDialogButtonBox*>("buttonBox")->button(QDialogButtonBox::Ok)->click();
        QCOMPARE(rig.devices.slot(1).definition, QStringLiteral("th.xml"));
    }

    void autoAssignGivesConsecutiveStartColumnsFromD() {
        WindowRig rig;
        QTRY_VERIFY(rig.started());
        identify(rig.devices, 0, QStringLiteral("0I!TH"), QStringLiteral("th.xml"));
        identify(rig.devices, 1, QStringLiteral("x"), QStringLiteral("th.xml"));  // one character: skipped
        identify(rig.devices, 2, QStringLiteral("2I!WIND"), QStringLiteral("w.xml"));
        rig.devices.update(0, [](idev& d) { d.cells = 4; });
        rig.devices.update(2, [](idev& d) { d.cells = 2; });
        rig.devices.update(1, [](idev& d) { d.start_column = 40; });
        rig.find<QAction>("actionAuto_Assign")->trigger();
        QCOMPARE(column_letters(rig.devices.slot(0).start_column), QStringLiteral("D"));
        QCOMPARE(column_letters(rig.devices.slot(2).start_column), QStringLiteral("H"));
        QCOMPARE(int(rig.devices.slot(1).start_column), 40);
        QCOMPARE(cell(rig.find<QTableWidget>("columnTable"), 7, 1), QStringLiteral("v0(2)"));
    }

    void autoAssignFirstGivesSlotsWithoutADefinitionTheirFittingOne() {
        WindowRig rig;
        QTRY_VERIFY(rig.started());
        identify(rig.devices, 0, QStringLiteral("0I!013VELDTH100"));
        identify(rig.devices, 2, QStringLiteral("2I!213VELDWIND"));
        identify(rig.devices, 4, QStringLiteral("4I!413VELDRAIN"));  // only the entry with the empty id fits
        identify(rig.devices, 5, QStringLiteral("5I!513VELDWIND"), QStringLiteral("th.xml"));  // kept
        rig.find<QAction>("actionAuto_Assign")->trigger();
        const QStringList expected{"th.xml D", "w.xml H", "th.xml J", "th.xml N"};
        QStringList got;
        for (int slot : {0, 2, 4, 5})
            got << rig.devices.slot(slot).definition + QLatin1Char(' ') +
                       column_letters(rig.devices.slot(slot).start_column);
        QCOMPARE(got, expected);
        // The Formulas table follows the association: the labels of the new columns.
        QCOMPARE(cell(rig.find<QTableWidget>("formulaTable"), 7, 1), QStringLiteral("v0(2)"));
    }

    void setupProposesTheNextFreeColumnAndRefusesAnOverlap() {
        WindowRig rig;
        QTRY_VERIFY(rig.started());
        identify(rig.devices, 0, QStringLiteral("0I!TH"), QStringLiteral("th.xml"));
        rig.devices.update(0, [](idev& d) { d.start_column = 3; });
        rig.station.load_device_definition(0);  // D..G
        identify(rig.devices, 3, QStringLiteral("3I!313VELDWIND20"));
        rig.window->edit_assoc(3);
        auto* dialog = rig.window->findChild<dev_assoc*>();
        auto* start = dialog->findChild<QComboBox*>("startcol_comboBox");
        QCOMPARE(start->currentText(), QStringLiteral("H"));

        start->setCurrentText(QStringLiteral("F"));
        dialog->findChild<QDialogButtonBox*>("buttonBox")->button(QDialogButtonBox::Ok)->click();
        QCOMPARE(take_dialog_warning(*dialog),
                 QStringLiteral(
                     "Columns F..G overlap those of address 0 (D..G). The next free start column is H."));
        QVERIFY(dialog->isVisible());
        QCOMPARE(rig.devices.slot(3).definition, QString());

        start->setCurrentText(QStringLiteral("H"));
        dialog->findChild<QDialogButtonBox*>("buttonBox")->button(QDialogButtonBox::Ok)->click();
        QVERIFY(!dialog->isVisible());
        QCOMPARE(rig.devices.slot(3).definition, QStringLiteral("w.xml"));
        QCOMPARE(int(rig.devices.slot(3).start_column), 7);
    }

    void aPastedBlockEndingInALineEndAddsNoRow_data() {
        QTest::addColumn<QString>("line_end");
        QTest::newRow("CR LF") << "\r\n";
        QTest::newRow("LF") << "\n";
    }
    void aPastedBlockEndingInALineEndAddsNoRow() {
        QFETCH(QString, line_end);
        WindowRig rig;
        QTRY_VERIFY(rig.started());
        rig.find<QTabWidget>("tabWidget")->setCurrentIndex(1);
        auto* table = rig.find<QTableWidget>("columnTable");
        table->item(12, 2)->setText(QStringLiteral("Keep"));
        QApplication::clipboard()->setText(QStringLiteral("Stage\tm") + line_end +
                                           QStringLiteral("Flow\tl/s") + line_end);
        table->setCurrentCell(10, 2, QItemSelectionModel::ClearAndSelect);
        rig.find<QAction>("actionPaste")->trigger();
        QCOMPARE(rig.columns.name(11), QStringLiteral("Flow"));
        QCOMPARE(rig.columns.name(12), QStringLiteral("Keep"));
    }

    void theFormulasTableShowsNamesAsTheyAreTypedOrPasted() {
        WindowRig rig;
        QTRY_VERIFY(rig.started());
        rig.find<QTabWidget>("tabWidget")->setCurrentIndex(1);
        auto* table = rig.find<QTableWidget>("columnTable");
        auto* formulas = rig.find<QTableWidget>("formulaTable");
        table->item(4, 2)->setText(QStringLiteral("Stage"));
        QCOMPARE(cell(formulas, 4, 2), QStringLiteral("Stage"));
        QApplication::clipboard()->setText(QStringLiteral("Flow"));
        table->setCurrentCell(5, 2, QItemSelectionModel::ClearAndSelect);
        rig.find<QAction>("actionPaste")->trigger();
        QCOMPARE(cell(formulas, 5, 2), QStringLiteral("Flow"));
        rig.find<QAction>("actionClear_Titles")->trigger();
        QCOMPARE(cell(formulas, 4, 2), QString());
    }

    void copyTakesTheSelectedRectangleAndPasteWritesFromColumnTwo() {
        WindowRig rig;
        QTRY_VERIFY(rig.started());
        rig.find<QTabWidget>("tabWidget")->setCurrentIndex(1);
        auto* table = rig.find<QTableWidget>("columnTable");
        rig.columns.set_name(4, QStringLiteral("Temp"));
        rig.columns.set_units(5, QStringLiteral("degC"));
        table->setCurrentCell(3, 0, QItemSelectionModel::ClearAndSelect);
        table->setCurrentCell(5, 2, QItemSelectionModel::Select);
        table->setCurrentCell(4, 2, QItemSelectionModel::Select);
        // fill_variable_table ran at start-up, before the names were set: refresh through an edit.
        table->item(4, 2)->setText(QStringLiteral("Temp"));
        rig.find<QAction>("actionCopy")->trigger();
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("D\t\t\r\n\t\tTemp\r\n\t\t"));

        QApplication::clipboard()->setText(QStringLiteral("a\tb\tName1\tUnit1\r\nc\td\tName2\tUnit2\n"));
        table->setCurrentCell(10, 0, QItemSelectionModel::ClearAndSelect);
        rig.find<QAction>("actionPaste")->trigger();
        QCOMPARE(rig.columns.name(10), QStringLiteral("Name1"));
        QCOMPARE(rig.columns.units(11), QStringLiteral("Unit2"));
        QCOMPARE(cell(table, 10, 0), QStringLiteral("K"));  // columns 0 and 1 are never written
        QCOMPARE(cell(table, 10, 1), QString());

        table->setCurrentCell(10, 2, QItemSelectionModel::ClearAndSelect);
        rig.find<QAction>("actionCut")->trigger();
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("Name1"));
        QCOMPARE(rig.columns.name(10), QString());

        rig.find<QTabWidget>("tabWidget")->setCurrentIndex(0);  // elsewhere the commands do nothing
        table->setCurrentCell(11, 2, QItemSelectionModel::ClearAndSelect);
        rig.find<QAction>("actionClear")->trigger();
        QCOMPARE(rig.columns.name(11), QStringLiteral("Name2"));
    }

    void clearTitlesEmptiesEveryColumnIncludingTheSystemOnes() {
        WindowRig rig;
        QTRY_VERIFY(rig.started());
        rig.columns.set_units(7, QStringLiteral("mm"));
        rig.columns.set_label(7, QStringLiteral("Rain"));
        rig.find<QAction>("actionClear_Titles")->trigger();
        for (int c : {0, 1, 2, 7}) {
            const column_record r = rig.columns.record(c);
            QVERIFY2(r.name.isEmpty() && r.units.isEmpty() && r.label.isEmpty() && r.user1.isEmpty(),
                     qPrintable(r.letters));
            QCOMPARE(r.value, 0.001);
        }
        QCOMPARE(cell(rig.find<QTableWidget>("columnTable"), 0, 2), QString());
    }

    void eachCommandBringsUpItsWindow_data() {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("title");
        QTest::newRow("LCD") << "actionLCD"
                             << "View Data";
        QTest::newRow("LCD 3") << "actionLCD_23"
                               << "View Data";
        QTest::newRow("Chart 2") << "actionChart_2"
                                 << "Plot of Data";
        QTest::newRow("Console") << "actionConsole"
                                 << "Terminal Data";
        QTest::newRow("View Console") << "actionView_Console"
                                      << "Terminal Data";
        QTest::newRow("ManualCommand") << "actionManualCommand"
                                       << "Manual Commands";
        QTest::newRow("Change Address") << "actionChange_Address"
                                        << "Change Device Address";
        QTest::newRow("GSM") << "actionGSM"
                             << "GSM Dial-out";
        QTest::newRow("Import/Export") << "actionImport_Export"
                                       << "Import/Export";
        QTest::newRow("Logging Configuration") << "actionLoggingConfiguration"
                                               << "Logging Configuration";
    }
    void eachCommandBringsUpItsWindow() {
        QFETCH(QString, action);
        QFETCH(QString, title);
        WindowRig rig;
        QTRY_VERIFY(rig.started());
        rig.window->findChild<QAction*>(action)->trigger();
        int shown = 0;
        for (QWidget* w : QApplication::topLevelWidgets())
            shown += w->isVisible() && w->windowTitle() == title;
        QCOMPARE(shown, 1);
    }

    void closingTheWindowClosesTheDisplaysWhichSaveTheirLayouts() {
        WindowRig rig;
        QTRY_VERIFY(rig.started());
        rig.find<QAction>("actionLCD_22")->trigger();
        rig.find<QAction>("actionChart_3")->trigger();
        rig.find<QAction>("actionConsole")->trigger();
        rig.window->close();
        const QStringList satellites{"View Data", "Plot of Data", "Terminal Data"};
        for (QWidget* w : QApplication::topLevelWidgets())
            QVERIFY2(!(w->isVisible() && satellites.contains(w->windowTitle())),
                     qPrintable(w->windowTitle()));
        const QString config = home_->path() + QStringLiteral("/Documents/Veld/Config/");
        QVERIFY(QFile::exists(config + "lcd2.xml"));
        QVERIFY(QFile::exists(config + "plot3.xml"));
    }

    void manualEntryShowsItsDialogWithTheTwoDevices() {
        WindowRig rig;
        QTRY_VERIFY(rig.started());
        rig.find<QAction>("actionManual_Entry")->trigger();
        auto* dialog = rig.window->findChild<QDialog*>("ManualEntry");
        QVERIFY(dialog && dialog->isVisible());
        auto* devices = dialog->findChild<QComboBox*>("deviceComboBox");
        QCOMPARE(devices->count(), 2);
        QCOMPARE(devices->itemText(0), QStringLiteral("RZ640"));
        QCOMPARE(devices->itemText(1), QStringLiteral("Piezo"));
    }
};

QTEST_MAIN(DeviceSetupTest)
#include "tst_device_setup.moc"
