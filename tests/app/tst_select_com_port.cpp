// The logging configuration dialog over a real acquisition core on an in-memory port, driven as a
// user drives it: typing into the fields, walking the lists with the keyboard, clicking the buttons.

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

#include "core/core_config.h"
#include "core/core_rig.h"
#include "core/ui/selectcomport.h"
#include "dialog_warning.h"

namespace {

const CoreSettings kStart{7, 300, QStringLiteral("field.csv"), 1};

void type_into(QLineEdit* field, const QString& text) {
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(field, Qt::Key_Backspace);
    QTest::keyClicks(field, text);
}

// Walks the list with the arrow keys from its first entry to the one showing `text`.
void choose(QComboBox* list, const QString& text) {
    QTest::keyClick(list, Qt::Key_Home);
    for (int i = 0; i < list->count() && list->currentText() != text; ++i)
        QTest::keyClick(list, Qt::Key_Down);
    QCOMPARE(list->currentText(), text);
}

// The dialog opened over a core that holds `start`.
struct DialogRig {
    CoreRig rig;
    sdi12_core& core = *rig.core;
    selectComPort dialog{core};

    explicit DialogRig(const CoreSettings& start = kStart) {
        core.set_settings(start);
        dialog.setup();
        dialog.show();
    }

    template <class T>
    T* find(const char* name) const {
        return dialog.findChild<T*>(QString::fromLatin1(name));
    }
    QLineEdit* port_field() const { return find<QLineEdit>("comportEdit"); }
    QComboBox* port_list() const { return find<QComboBox>("comboBox"); }
    QComboBox* interval_list() const { return find<QComboBox>("logginginterval_comboBox"); }
    QLineEdit* name_field() const { return find<QLineEdit>("filename_lineEdit"); }
    QComboBox* mode_list() const { return find<QComboBox>("modeComboBox"); }

    void click(QDialogButtonBox::StandardButton which) {
        QTest::mouseClick(find<QDialogButtonBox>("buttonBox")->button(which), Qt::LeftButton);
    }
    void click_new() { QTest::mouseClick(find<QToolButton>("file_toolButton"), Qt::LeftButton); }

    QString config_path() const { return rig.root + QStringLiteral("Config/config.xml"); }
    CoreSettings stored() const {
        CoreSettings s;
        DeviceList devices;
        read_core_config(config_path(), s, devices);
        return s;
    }
    QString take_warning() { return take_dialog_warning(dialog); }
};

}  // namespace

class SelectComPortTest : public QObject {
    Q_OBJECT
  private slots:
    void opensAsLoggingConfigurationWithItsLists() {
        DialogRig d;
        QCOMPARE(d.dialog.windowTitle(), QStringLiteral("Logging Configuration"));
        QCOMPARE(d.port_list()->count(), 98);
        QCOMPARE(d.port_list()->itemText(0), QStringLiteral("COM 1"));
        QCOMPARE(d.port_list()->itemText(97), QStringLiteral("COM 98"));
        QStringList intervals, modes;
        for (int i = 0; i < d.interval_list()->count(); ++i) intervals << d.interval_list()->itemText(i);
        for (int i = 0; i < d.mode_list()->count(); ++i) modes << d.mode_list()->itemText(i);
        QCOMPARE(intervals, (QStringList{"5 seconds", "10 Seconds", "30 Seconds", "60 Seconds", "2 minutes",
                                         "5 minutes", "15 minutes", "30 minutes", "1 hour"}));
        QCOMPARE(modes, (QStringList{"SDI-12", "RS485", "Modem", "File Remote"}));
        QCOMPARE(d.find<QToolButton>("file_toolButton")->text(), QStringLiteral("New"));
    }

    void openingStopsLoggingAndShowsTheCoresSettings() {
        DialogRig d;
        d.core.set_logging(true);
        d.dialog.setup();
        QCOMPARE(d.core.mode(), int(sdi12_core::kIdle));
        QCOMPARE(d.port_field()->text(), QStringLiteral("7"));
        QCOMPARE(d.port_list()->currentText(), QStringLiteral("COM 7"));
        QCOMPARE(d.interval_list()->currentText(), QStringLiteral("5 minutes"));
        QCOMPARE(d.name_field()->text(), QStringLiteral("field.csv"));
        QCOMPARE(d.mode_list()->currentText(), QStringLiteral("RS485"));
    }

    void okStoresWhatWasChosenInTheCoreAndConfigXml() {
        DialogRig d;
        type_into(d.port_field(), QStringLiteral("3"));
        choose(d.interval_list(), QStringLiteral("1 hour"));
        type_into(d.name_field(), QStringLiteral("site.csv"));
        choose(d.mode_list(), QStringLiteral("File Remote"));
        d.click(QDialogButtonBox::Ok);

        QVERIFY(!d.dialog.isVisible());
        QCOMPARE(d.dialog.result(), int(QDialog::Accepted));
        const CoreSettings stored = d.stored();
        for (const CoreSettings& s : {d.core.settings(), stored}) {
            QCOMPARE(s.port, 3);
            QCOMPARE(s.interval, 3600);
            QCOMPARE(s.filename, QStringLiteral("site.csv"));
            QCOMPARE(s.comm_mode, 3);
        }
        QCOMPARE(d.core.mode(), int(sdi12_core::kIdle));
    }

    void intervalNotInTheListIsShownInItsPlaceAndKept_data() {
        QTest::addColumn<int>("seconds");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("entries");
        QTest::newRow("45 s is not listed") << 45 << "45 seconds" << 3 << 10;
        QTest::newRow("2 hours, past the list") << 7200 << "7200 seconds" << 9 << 10;
        QTest::newRow("10 s is listed") << 10 << "10 Seconds" << 1 << 9;
        QTest::newRow("1 hour is listed") << 3600 << "1 hour" << 8 << 9;
    }
    void intervalNotInTheListIsShownInItsPlaceAndKept() {
        QFETCH(int, seconds);
        QFETCH(QString, shown);
        QFETCH(int, position);
        QFETCH(int, entries);
        CoreSettings start = kStart;
        start.interval = seconds;
        DialogRig d(start);
        QCOMPARE(d.interval_list()->currentText(), shown);
        QCOMPARE(d.interval_list()->currentIndex(), position);
        QCOMPARE(d.interval_list()->count(), entries);
        d.click(QDialogButtonBox::Ok);
        QCOMPARE(d.stored().interval, seconds);
    }

    void thePortListFollowsTheNumberTyped_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("listed");
        QTest::newRow("12") << "12"
                            << "COM 12";
        QTest::newRow("99, past the list") << "99"
                                           << "";
        QTest::newRow("not a number") << "COM"
                                      << "";
    }
    void thePortListFollowsTheNumberTyped() {
        QFETCH(QString, typed);
        QFETCH(QString, listed);
        DialogRig d;
        type_into(d.port_field(), typed);
        QCOMPARE(d.port_list()->currentText(), listed);
    }

    void choosingAPortInTheListPutsItsNumberInTheField() {
        DialogRig d;
        choose(d.port_list(), QStringLiteral("COM 12"));
        QCOMPARE(d.port_field()->text(), QStringLiteral("12"));
        d.click(QDialogButtonBox::Ok);
        QCOMPARE(d.stored().port, 12);
    }

    void portFieldTakesAnyNumberTyped_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("stored");
        QTest::newRow("99, past the list") << "99" << 99;
        QTest::newRow("not a number") << "COM" << 0;
    }
    void portFieldTakesAnyNumberTyped() {
        QFETCH(QString, typed);
        QFETCH(int, stored);
        DialogRig d;
        type_into(d.port_field(), typed);
        d.click(QDialogButtonBox::Ok);
        QCOMPARE(d.stored().port, stored);
        QCOMPARE(d.core.settings().port, stored);
    }

    void newMakesATimeStampedNameThatSurvivesCancel() {
        DialogRig d;
        type_into(d.port_field(), QStringLiteral("44"));
        d.click_new();
        QCOMPARE(d.name_field()->text(), QStringLiteral("20261207_1614.csv"));
        QCOMPARE(d.port_field()->text(), QStringLiteral("7"));  // the unconfirmed edit is gone
        d.click(QDialogButtonBox::Cancel);

        QCOMPARE(d.dialog.result(), int(QDialog::Rejected));
        QCOMPARE(d.core.settings().filename, QStringLiteral("20261207_1614.csv"));
        QCOMPARE(d.core.settings().port, 7);
        QVERIFY(!QFile::exists(d.config_path()));
    }

    void cancelChangesNothing() {
        DialogRig d;
        type_into(d.port_field(), QStringLiteral("44"));
        type_into(d.name_field(), QStringLiteral("other.csv"));
        d.click(QDialogButtonBox::Cancel);
        QCOMPARE(d.core.settings().port, 7);
        QCOMPARE(d.core.settings().filename, QStringLiteral("field.csv"));
        QVERIFY(!QFile::exists(d.config_path()));
    }

    void unusableFileNameIsRefusedAndTheDialogStaysOpen_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("why");
        QTest::newRow("leaves LOG/") << "../escape.csv"
                                     << "not a plain file name";
        QTest::newRow("256 characters") << QString(256, QLatin1Char('a')) << "at most 255";
        QTest::newRow("empty") << ""
                               << "empty";
    }
    void unusableFileNameIsRefusedAndTheDialogStaysOpen() {
        QFETCH(QString, name);
        QFETCH(QString, why);
        DialogRig d;
        type_into(d.port_field(), QStringLiteral("3"));
        type_into(d.name_field(), name);
        d.click(QDialogButtonBox::Ok);

        QVERIFY2(d.take_warning().contains(why), qPrintable(why));
        QVERIFY(d.dialog.isVisible());
        QCOMPARE(d.core.settings().filename, QStringLiteral("field.csv"));
        QCOMPARE(d.core.settings().port, 7);
        QVERIFY(!QFile::exists(d.config_path()));
    }

    void configXmlThatCannotBeWrittenIsSaid() {
        DialogRig d;
        QVERIFY(QDir().mkpath(d.config_path()));  // a folder where the file should be
        type_into(d.port_field(), QStringLiteral("3"));
        d.click(QDialogButtonBox::Ok);

        QVERIFY(d.take_warning().contains(QStringLiteral("config.xml cannot be written")));
        QCOMPARE(d.dialog.result(), int(QDialog::Accepted));
        QCOMPARE(d.core.settings().port, 3);
    }
};

QTEST_MAIN(SelectComPortTest)
#include "tst_select_com_port.moc"
