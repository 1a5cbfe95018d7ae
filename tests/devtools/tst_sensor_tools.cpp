// The sensor tools against simulated sensors: the manual command dialog (over a pty), the address
// change dialog and the option editor (on the in-memory bus, in virtual time).
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTextEdit>
#include <QtTest>

#include "core/sdi12_core.h"
#include "core_rig.h"
#include "devices/ui/address_change_dialog.h"
#include "devices/ui/comms_console.h"
#include "devices/ui/kedit_device_cfg.h"
#include "devices/ui/manual_command.h"
#include "sim_process.h"
#include "tests/bare_core.h"

namespace {

const std::string kOptionSensor = R"(
[sensor]
address = 0
id = 13VELDINSTTH100 100SN0001
values = 21.50
option.AVG = +10
option.UNIT = C
label.SN = SN0001
command.RST = OK
)";

const QByteArray kOptionDefinition =
    "<device><main description=\"TH\" cells=\"1\"/>"
    "<option description=\"Samples averaged\" read=\"aXRAVG!\" write=\"aXWAVG=#!\" type=\"FLOAT\" "
    "default=\"+10\"/>"
    "<option description=\"Temperature unit\" read=\"aXRUNIT!\" write=\"aXWUNIT=#!\" type=\"SELECT\" "
    "default=\"C\">"
    " <select opt=\"C\" val=\"Celsius\"/><select opt=\"F\" val=\"Fahrenheit\"/></option>"
    "<option description=\"Serial number\" read=\"aXRSN!\" type=\"LABEL\"/>"
    "<option description=\"Reset\" read=\"\" write=\"aXWRST=#!\" type=\"CMD\"/>"
    "</device>";

enum Row { kAvg, kUnit, kSerial, kReset };

// Steps the core in virtual time and lets queued signals arrive, until `done` or the limit.
bool settle(CoreRig& rig, const std::function<bool()>& done, int limit_ms = 5000) {
    for (int ms = 0; ms < limit_ms; ++ms) {
        rig.core->step();
        rig.clock.advance(1);
        QCoreApplication::processEvents();
        if (done()) return true;
    }
    return false;
}

struct EditorRig {
    EditorRig() {
        rig.attach_bus(kOptionSensor);
        rig.define_device(0, QStringLiteral("th.xml"), kOptionDefinition, 3);
        rig.core->prepare_scan(0);
    }
    QTableWidget& table() { return *editor.findChild<QTableWidget*>(); }
    QString value(int row) {
        if (auto* label = qobject_cast<QLabel*>(table().cellWidget(row, Kedit_device_cfg::kValue)))
            return label->text();
        QTableWidgetItem* item = table().item(row, Kedit_device_cfg::kValue);
        return item ? item->text() : QStringLiteral("<none>");
    }
    QColor colour(int row) { return table().item(row, Kedit_device_cfg::kValue)->background().color(); }
    QPushButton* button(int row, int column) {
        return qobject_cast<QPushButton*>(table().cellWidget(row, column));
    }
    void open_and_read() {
        editor.setup(0);
        editor.show();
        QVERIFY(settle(rig, [&] { return rig.core->option_batch_reply().done; }));
        QCoreApplication::processEvents();
    }
    void menu_entry(int row, const QString& text) {
        for (QAction* action : button(row, Kedit_device_cfg::kTool)->menu()->actions())
            if (action->text() == text) action->trigger();
    }

    CoreRig rig;
    Kedit_device_cfg editor{rig.devices, *rig.core};
};

const QColor kWhite(255, 255, 255);
const QColor kLightRed(255, 127, 127);

}  // namespace

class SensorTools : public QObject {
    Q_OBJECT
  private slots:
    void manualCommandShowsEchoAndAnswerInTheResultBoxAndTheConsole();
    void resultBoxKeepsTheLastTwelvePieces();
    void addressChangeMovesTheSensorAndTheRescanFindsIt();
    void optionEditorReadsTheValuesWhenItOpens();
    void optionEditorWritesTheRowsValue_data();
    void optionEditorWritesTheRowsValue();
    void toolMenuPutsLabelsDefaultAndUndoIntoTheCell();
    void reopeningShowsEmptyValuesUntilTheSensorAnswers();
};

void SensorTools::manualCommandShowsEchoAndAnswerInTheResultBoxAndTheConsole() {
    QTemporaryDir dir;
    const QString root = dir.path() + QStringLiteral("/");
    QVERIFY(QDir(root).mkpath(QStringLiteral("LOG")));
    SimProcess sim;
    QVERIFY(sim.start(root, QByteArray::fromStdString(kOptionSensor)));
    SystemClock clock;
    std::unique_ptr<SerialLink> port = make_platform_serial_link();
    ColumnList columns;
    DeviceList devices;
    BareCore bare(columns, devices, *port, clock, root);
    sdi12_core& core = bare.core;
    comms_console console(root + QStringLiteral("LOG/console.txt"));
    ManualCommand dialog(core);
    connect(&core, &sdi12_core::printline, &console, &comms_console::newline, Qt::QueuedConnection);
    connect(&core, &sdi12_core::printline, &dialog, &ManualCommand::new_text, Qt::QueuedConnection);
    console.startTimer(comms_console::kShowEveryMs);
    core.start();
    core.prepare_scan(0);
    dialog.show();

    auto* field = dialog.findChild<QLineEdit*>(QStringLiteral("lineEdit"));
    QTest::keyClicks(field, QStringLiteral("0I!"));
    QTest::keyClick(field, Qt::Key_Return);  // "Send" is the dialog's default button
    const QString answer = QStringLiteral("0I!013VELDINSTTH100 100SN0001\n");
    auto* result = dialog.findChild<QPlainTextEdit*>(QStringLiteral("resultText"));
    QTRY_VERIFY_WITH_TIMEOUT(result->toPlainText().contains(answer), 5000);
    auto* shown = console.findChild<QTextEdit*>(QStringLiteral("textEdit"));
    QTRY_VERIFY_WITH_TIMEOUT(shown->toPlainText().contains(answer), 5000);
    QCOMPARE(core.last_answer(), QStringLiteral("0I!013VELDINSTTH100 100SN0001\r"));
    core.shut_down();
}

void SensorTools::resultBoxKeepsTheLastTwelvePieces() {
    CoreRig rig;
    ManualCommand dialog(*rig.core);
    for (int i = 0; i < 20; ++i) dialog.new_text(QStringLiteral("line %1\r\n").arg(i));
    QStringList expected;
    for (int i = 9; i < 20; ++i) expected << QStringLiteral("line %1").arg(i);
    expected << QString();  // the piece after the last line end
    QCOMPARE(dialog.findChild<QPlainTextEdit*>()->toPlainText(), expected.join(QLatin1Char('\n')));
}

void SensorTools::addressChangeMovesTheSensorAndTheRescanFindsIt() {
    CoreRig rig;
    rig.attach_bus("[sensor]\naddress = 2\nid = 13VELDINSTWIND20100SN0002\nvalues = 1\n");
    rig.devices.update(5, [](idev& dev) { dev.identification = QStringLiteral("5"); });
    // The main window answers the address change with a new scan.
    connect(
        rig.core, &sdi12_core::cmd_event, this,
        [&](int event) {
            if (event == sdi12_core::kAddressChange) rig.core->start_scan();
        },
        Qt::QueuedConnection);
    auto scanned = [&] { return rig.core->mode() == sdi12_core::kScanning && rig.core->step_state() == 0; };
    rig.core->prepare_scan(1);
    rig.core->start_scan();
    QVERIFY(settle(rig, scanned, 10000));
    rig.devices.update(5,
                       [](idev& dev) { dev.identification = QStringLiteral("5"); });  // one character: free

    AddressChangeDialog dialog(rig.devices, *rig.core);
    dialog.setup();
    dialog.show();
    auto* from = dialog.findChild<QComboBox*>(QStringLiteral("fromcomboBox"));
    auto* to = dialog.findChild<QComboBox*>(QStringLiteral("tocomboBox"));
    auto* set = dialog.findChild<QPushButton*>(QStringLiteral("pushButton"));
    QCOMPARE(from->count(), 1);
    QCOMPARE(from->itemData(0).toInt(), 2);
    QCOMPARE(to->count(), 15);
    QCOMPARE(to->itemData(4).toInt(), 5);
    to->setCurrentIndex(to->findData(11));
    rig.link.clear_events();
    QTest::mouseClick(set, Qt::LeftButton);
    QVERIFY(!set->isEnabled());
    QVERIFY(!dialog.isVisible());
    QVERIFY(settle(rig, [&] { return rig.core->mode() == sdi12_core::kScanning; }));
    QCOMPARE(QString::fromStdString(rig.link.written()), QStringLiteral("2Ab!"));
    QVERIFY(settle(rig, scanned, 10000));
    QCOMPARE(rig.devices.slot(11).identification, QStringLiteral("bI!b13VELDINSTWIND20100SN0002\r"));
    QVERIFY(rig.devices.slot(2).identification.size() <= 1);
    QVERIFY(!set->isEnabled());  // until the next setup
    dialog.setup();
    QVERIFY(set->isEnabled());
    QCOMPARE(from->itemData(0).toInt(), 11);
}

void SensorTools::optionEditorReadsTheValuesWhenItOpens() {
    EditorRig e;
    e.editor.setup(0);
    QCOMPARE(e.table().rowCount(), 4);
    QCOMPARE(e.value(kAvg), QString());
    e.open_and_read();
    QCOMPARE(e.value(kAvg), QStringLiteral("10"));  // FLOAT: without "+"
    QCOMPARE(e.value(kUnit), QStringLiteral("C"));
    QCOMPARE(e.value(kSerial), QStringLiteral("SN0001"));
    QCOMPARE(e.value(kReset), QStringLiteral("<none>"));
    QCOMPARE(e.button(kReset, Kedit_device_cfg::kTool)->text(), QStringLiteral("Action"));
    QVERIFY(!e.button(kSerial, Kedit_device_cfg::kTool));
    QCOMPARE(e.colour(kAvg), kWhite);
}

void SensorTools::optionEditorWritesTheRowsValue_data() {
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("sent");
    QTest::newRow("FLOAT without plus") << int(kAvg) << "+12"
                                        << "0XWAVG=12!";
    QTest::newRow("SELECT label as its stored value") << int(kUnit) << "Fahrenheit"
                                                      << "0XWUNIT=F!";
    QTest::newRow("CMD action, # replaced by nothing") << int(kReset) << QString() << "0XWRST=!";
}

void SensorTools::optionEditorWritesTheRowsValue() {
    QFETCH(int, row);
    QFETCH(QString, typed);
    QFETCH(QString, sent);
    EditorRig e;
    e.open_and_read();
    if (!typed.isNull()) {
        e.table().item(row, Kedit_device_cfg::kValue)->setText(typed);
        QCOMPARE(e.colour(row), kLightRed);
    }
    QSignalSpy finished(e.rig.core, &sdi12_core::cmd_finnished);
    e.rig.link.clear_events();
    const int column = row == kReset ? Kedit_device_cfg::kTool : Kedit_device_cfg::kSet;
    QTest::mouseClick(e.button(row, column), Qt::LeftButton);
    QVERIFY(settle(e.rig, [&] { return finished.count() == 1; }));
    QCoreApplication::processEvents();
    QCOMPARE(QString::fromStdString(e.rig.link.written()), sent);
    // Written: the typed text is now the value as the sensor has it.
    if (!typed.isNull()) QCOMPARE(e.colour(row), kWhite);
}

void SensorTools::toolMenuPutsLabelsDefaultAndUndoIntoTheCell() {
    EditorRig e;
    e.open_and_read();
    QStringList entries;
    for (QAction* a : e.button(kUnit, Kedit_device_cfg::kTool)->menu()->actions()) entries << a->text();
    QCOMPARE(entries, QStringList({"Celsius", "Fahrenheit", "Default", "Undo", "Cancel"}));
    e.menu_entry(kUnit, QStringLiteral("Fahrenheit"));
    QCOMPARE(e.value(kUnit), QStringLiteral("F"));
    QCOMPARE(e.colour(kUnit), kLightRed);
    e.menu_entry(kUnit, QStringLiteral("Cancel"));
    QCOMPARE(e.value(kUnit), QStringLiteral("F"));
    e.menu_entry(kUnit, QStringLiteral("Undo"));
    QCOMPARE(e.value(kUnit), QStringLiteral("C"));
    QCOMPARE(e.colour(kUnit), kWhite);
    e.menu_entry(kAvg, QStringLiteral("Default"));
    QCOMPARE(e.value(kAvg), QStringLiteral("+10"));
    QCOMPARE(e.colour(kAvg), kLightRed);  // the sensor has "10"
}

void SensorTools::reopeningShowsEmptyValuesUntilTheSensorAnswers() {
    EditorRig e;
    e.open_and_read();
    QCOMPARE(e.value(kAvg), QStringLiteral("10"));
    e.editor.setup(0);
    QCoreApplication::processEvents();
    QCOMPARE(e.value(kAvg), QString());
    QCOMPARE(e.value(kSerial), QString());
    QVERIFY(settle(e.rig, [&] { return !e.value(kSerial).isEmpty(); }));
    QCOMPARE(e.value(kAvg), QStringLiteral("10"));
}

QTEST_MAIN(SensorTools)
#include "tst_sensor_tools.moc"
