// The dial-out dialog over a real remote logger (temporary workspace), driven as a user drives it.

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTimeEdit>
#include <QtTest>

#include "dialog_warning.h"
#include "remote/ui/gsmconfigdialog.h"
#include "remote_rig.h"
#include "station/station.h"

namespace {

void type_into(QLineEdit* field, const QString& text) {
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(field, Qt::Key_Backspace);
    QTest::keyClicks(field, text);
}

// Settings unlike the defaults in every field.
DialoutSettings stored_settings() {
    DialoutSettings s;
    s.type = DialoutSettings::kTwiceDaily;
    s.days = {false, true, false, true, false, false, true};
    s.time0 = QTime(8, 0, 0);
    s.time1 = QTime(20, 30, 15);
    s.comport = 7;
    s.columns = 12;
    s.record = 41;
    s.dial = QStringLiteral("+27 82 555 0101");
    return s;
}

// The dialog opened over a remote logger that read `stored_settings()` from its file.
struct DialogRig {
    RemoteRig rig;
    GSMConfigdialog dialog{rig.remote};

    DialogRig() {
        write_dialout_settings(rig.settings_path(), stored_settings());
        rig.remote.reset(remotelogger_core::kReadSettings);
        dialog.load();
        dialog.show();
    }
    template <class T>
    T* find(const char* name) const {
        T* widget = dialog.findChild<T*>(QString::fromLatin1(name));
        if (!widget) qFatal("no widget %s", name);
        return widget;
    }
    void click(QDialogButtonBox::StandardButton which) {
        QTest::mouseClick(find<QDialogButtonBox>("buttonBox")->button(which), Qt::LeftButton);
    }
    DialoutSettings file() const {
        DialoutSettings s;
        read_dialout_settings(rig.settings_path(), s);
        return s;
    }
    QString take_warning() { return take_dialog_warning(dialog); }
};

const char* const kDays[] = {"checkBox_mon", "checkBox_tue", "checkBox_wed", "checkBox_thur",
                             "checkBox_fri", "checkBox_sat", "checkBox_sun"};

}  // namespace

class GsmConfigDialogTest : public QObject {
    Q_OBJECT
  private slots:
    void opensFilledFromTheRemoteLoggersSettings();
    void okStoresTheFieldsKeepsTheWorkersLastRecordAndPlansTheNextCall();
    void aColumnsValueTheWriterCannotTakeIsRefusedAndNothingStored_data();
    void aColumnsValueTheWriterCannotTakeIsRefusedAndNothingStored();
    void theStationReadsTheSettingsInEveryModeAndRunsTheWorkerOnlyInModem_data();
    void theStationReadsTheSettingsInEveryModeAndRunsTheWorkerOnlyInModem();
};

void GsmConfigDialogTest::opensFilledFromTheRemoteLoggersSettings() {
    DialogRig d;
    QCOMPARE(d.find<QLineEdit>("phonenumber_ed")->text(), QStringLiteral("+27 82 555 0101"));
    QVERIFY(d.find<QRadioButton>("radioButton_twiday")->isChecked());
    QVERIFY(!d.find<QRadioButton>("radioButton_hour")->isChecked());
    QString days;
    for (const char* name : kDays) days += d.find<QCheckBox>(name)->isChecked() ? '1' : '0';
    QCOMPARE(days, QStringLiteral("0101001"));
    QCOMPARE(d.find<QTimeEdit>("timeEdit_0")->time(), QTime(8, 0, 0));
    QCOMPARE(d.find<QTimeEdit>("timeEdit_1")->time(), QTime(20, 30, 15));
    QCOMPARE(d.find<QLineEdit>("ComPortEd")->text(), QStringLiteral("7"));
    QCOMPARE(d.find<QLineEdit>("ColNoEd")->text(), QStringLiteral("12"));

    const QString shots = qEnvironmentVariable("VELD_SCREENSHOT_DIR");
    if (!shots.isEmpty()) d.dialog.grab().save(shots + QStringLiteral("/gsmconfigdialog.png"));
}

void GsmConfigDialogTest::okStoresTheFieldsKeepsTheWorkersLastRecordAndPlansTheNextCall() {
    DialogRig d;
    type_into(d.find<QLineEdit>("phonenumber_ed"), QStringLiteral("555 123456"));
    QTest::mouseClick(d.find<QRadioButton>("radioButton_hour"), Qt::LeftButton);
    QTest::mouseClick(d.find<QCheckBox>("checkBox_mon"), Qt::LeftButton);
    type_into(d.find<QLineEdit>("ComPortEd"), QStringLiteral("COM"));
    type_into(d.find<QLineEdit>("ColNoEd"), QStringLiteral("200"));
    // A call moved the last record on while the dialog was open.
    DialoutSettings moved = stored_settings();
    moved.record = 57;
    write_dialout_settings(d.rig.settings_path(), moved);
    d.rig.remote.reset(remotelogger_core::kReadSettings);

    d.click(QDialogButtonBox::Ok);

    QCOMPARE(d.take_warning(), QStringLiteral("<no warning>"));
    QCOMPARE(d.dialog.result(), int(QDialog::Accepted));
    DialoutSettings expected = moved;
    expected.dial = QStringLiteral("555 123456");
    expected.type = DialoutSettings::kHourly;
    expected.days[0] = true;
    expected.comport = 0;  // not a number
    expected.columns = 200;
    QVERIFY(d.file() == expected);
    QVERIFY(d.rig.remote.settings() == expected);
    // Hourly, asked at 16:14:34.
    QCOMPARE(d.rig.remote.next_call_ms(), utc_seconds(2026, 12, 7, 17, 0, 0) * 1000);
}

void GsmConfigDialogTest::aColumnsValueTheWriterCannotTakeIsRefusedAndNothingStored_data() {
    QTest::addColumn<QString>("typed");
    QTest::newRow("more than the writer takes") << "201";
    QTest::newRow("fewer than number, date and time") << "2";
    QTest::newRow("not a number") << "forty";
}

void GsmConfigDialogTest::aColumnsValueTheWriterCannotTakeIsRefusedAndNothingStored() {
    QFETCH(QString, typed);
    DialogRig d;
    type_into(d.find<QLineEdit>("phonenumber_ed"), QStringLiteral("555 000"));
    type_into(d.find<QLineEdit>("ColNoEd"), typed);
    d.click(QDialogButtonBox::Ok);
    QVERIFY(d.take_warning().contains(QStringLiteral("3 to 200 columns")));
    QVERIFY(d.dialog.isVisible());
    QVERIFY(d.file() == stored_settings());
    QVERIFY(d.rig.remote.settings() == stored_settings());
}

void GsmConfigDialogTest::theStationReadsTheSettingsInEveryModeAndRunsTheWorkerOnlyInModem_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("runs");
    QTest::newRow("SDI-12") << 0 << false;
    QTest::newRow("Modem") << 2 << true;
}

void GsmConfigDialogTest::theStationReadsTheSettingsInEveryModeAndRunsTheWorkerOnlyInModem() {
    QFETCH(int, mode);
    QFETCH(bool, runs);
    QTemporaryDir dir;
    const QString root = dir.path() + QStringLiteral("/");
    ManualClock clock(utc_seconds(2026, 12, 7, 16, 14, 34) * 1000);
    MemorySerialLink bus(clock), modem(clock);
    Station station(bus, clock, root, &modem);
    station.create_folders();
    QFile config(root + QStringLiteral("Config/config.xml"));
    QVERIFY(config.open(QIODevice::WriteOnly));
    config.write(QByteArray("<!DOCTYPE CoreConfig>\n<main>\n <config PortNo=\"2\" CommMode=\"") +
                 QByteArray::number(mode) + "\"/>\n</main>\n");
    config.close();
    QVERIFY(write_dialout_settings(root + QStringLiteral("Config/gsmdialout.xml"), stored_settings()));

    station.load_core_settings();
    // What the dialog shows, and what its OK writes back, is the file in every mode.
    QVERIFY(station.remote().settings() == stored_settings());
    QCOMPARE(station.apply_remote_mode(), runs);
    QCOMPARE(station.remote().isRunning(), runs);

    // Leaving "Modem" ends the worker (no call is in progress); entering it again starts it.
    QVERIFY(config.open(QIODevice::WriteOnly));
    config.write("<!DOCTYPE CoreConfig>\n<main>\n <config PortNo=\"2\" CommMode=\"3\"/>\n</main>\n");
    config.close();
    station.load_core_settings();
    QVERIFY(!station.apply_remote_mode());
    QTRY_VERIFY(!station.remote().isRunning());
    if (!runs) return;
    QVERIFY(config.open(QIODevice::WriteOnly));
    config.write("<!DOCTYPE CoreConfig>\n<main>\n <config PortNo=\"2\" CommMode=\"2\"/>\n</main>\n");
    config.close();
    station.load_core_settings();
    QVERIFY(station.apply_remote_mode());
    QVERIFY(station.remote().isRunning());
}

QTEST_MAIN(GsmConfigDialogTest)
#include "tst_gsm_config_dialog.moc"
