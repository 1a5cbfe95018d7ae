// The "Publishing" dialog over a temporary publish.xml, driven as a user drives it.

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QtTest>

#include "dialog_warning.h"
#include "publish/ui/publish_dialog.h"

namespace {

void type_into(QWidget* field, const QString& text) {
    field->setFocus();
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(field, Qt::Key_Backspace);
    QTest::keyClicks(field, text);
}

// Settings unlike the defaults in every field.
PublishSettings stored_settings() {
    PublishSettings s;
    s.enabled = true;
    s.host = QStringLiteral("broker.example.org");
    s.port = 8883;
    s.topic = QStringLiteral("hydro/ST7");
    s.station = QStringLiteral("ST7");
    s.qos = 0;
    s.username = QStringLiteral("st7");
    s.password_file = QStringLiteral("/etc/veld/st7.pw");
    s.ca_file = QStringLiteral("/etc/veld/ca.crt");
    s.outbox_limit_mb = 20;
    return s;
}

// The dialog opened over a publish.xml holding `stored_settings()`.
struct DialogRig {
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("publish.xml"));
    PublishDialog dialog{path};

    DialogRig() {
        write_publish_settings(path, stored_settings());
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
    PublishSettings file() const {
        PublishSettings s;
        read_publish_settings(path, s);
        return s;
    }
};

}  // namespace

class PublishDialogTest : public QObject {
    Q_OBJECT
  private slots:
    void opensFilledFromTheFile();
    void okWritesEveryField();
    void cancelChangesNothing();
    void publishingWithoutAHostIsRefusedAndNothingWritten();
    void tabVisitsTheFieldsInOrder();
};

void PublishDialogTest::opensFilledFromTheFile() {
    DialogRig d;
    QCOMPARE(d.dialog.windowTitle(), QStringLiteral("Publishing"));
    QVERIFY(d.find<QCheckBox>("enabledCheck")->isChecked());
    QCOMPARE(d.find<QLineEdit>("hostEdit")->text(), QStringLiteral("broker.example.org"));
    QCOMPARE(d.find<QSpinBox>("portSpin")->value(), 8883);
    QCOMPARE(d.find<QLineEdit>("topicEdit")->text(), QStringLiteral("hydro/ST7"));
    QCOMPARE(d.find<QLineEdit>("stationEdit")->text(), QStringLiteral("ST7"));
    QCOMPARE(d.find<QComboBox>("qosCombo")->currentIndex(), 0);
    QCOMPARE(d.find<QLineEdit>("usernameEdit")->text(), QStringLiteral("st7"));
    QCOMPARE(d.find<QLineEdit>("passwordFileEdit")->text(), QStringLiteral("/etc/veld/st7.pw"));
    QCOMPARE(d.find<QLineEdit>("caFileEdit")->text(), QStringLiteral("/etc/veld/ca.crt"));
    QCOMPARE(d.find<QSpinBox>("outboxLimitSpin")->value(), 20);

    const QString shots = qEnvironmentVariable("VELD_SCREENSHOT_DIR");
    if (!shots.isEmpty()) d.dialog.grab().save(shots + QStringLiteral("/publishdialog.png"));
}

void PublishDialogTest::okWritesEveryField() {
    DialogRig d;
    QTest::mouseClick(d.find<QCheckBox>("enabledCheck"), Qt::LeftButton);
    type_into(d.find<QLineEdit>("hostEdit"), QStringLiteral("10.0.0.5"));
    type_into(d.find<QSpinBox>("portSpin"), QStringLiteral("1884"));
    type_into(d.find<QLineEdit>("topicEdit"), QStringLiteral("veld/ST2"));
    type_into(d.find<QLineEdit>("stationEdit"), QStringLiteral("ST2"));
    d.find<QComboBox>("qosCombo")->setFocus();
    QTest::keyClick(d.find<QComboBox>("qosCombo"), Qt::Key_Down);
    type_into(d.find<QLineEdit>("usernameEdit"), QStringLiteral("st2"));
    type_into(d.find<QLineEdit>("passwordFileEdit"), QStringLiteral("/home/veld/st2.pw"));
    type_into(d.find<QLineEdit>("caFileEdit"), QString());
    type_into(d.find<QSpinBox>("outboxLimitSpin"), QStringLiteral("250"));
    d.click(QDialogButtonBox::Ok);

    QCOMPARE(take_dialog_warning(d.dialog), QStringLiteral("<no warning>"));
    QCOMPARE(d.dialog.result(), int(QDialog::Accepted));
    PublishSettings expected;
    expected.enabled = false;
    expected.host = QStringLiteral("10.0.0.5");
    expected.port = 1884;
    expected.topic = QStringLiteral("veld/ST2");
    expected.station = QStringLiteral("ST2");
    expected.qos = 1;
    expected.username = QStringLiteral("st2");
    expected.password_file = QStringLiteral("/home/veld/st2.pw");
    expected.ca_file = QString();
    expected.outbox_limit_mb = 250;
    QVERIFY(d.file() == expected);
    QVERIFY(d.dialog.saved_settings() == expected);
}

void PublishDialogTest::cancelChangesNothing() {
    DialogRig d;
    type_into(d.find<QLineEdit>("hostEdit"), QStringLiteral("elsewhere"));
    d.click(QDialogButtonBox::Cancel);
    QCOMPARE(d.dialog.result(), int(QDialog::Rejected));
    QVERIFY(d.file() == stored_settings());
}

void PublishDialogTest::publishingWithoutAHostIsRefusedAndNothingWritten() {
    DialogRig d;
    type_into(d.find<QLineEdit>("hostEdit"), QString());
    d.click(QDialogButtonBox::Ok);
    QCOMPARE(take_dialog_warning(d.dialog),
             QStringLiteral("Publishing needs a host, a topic and a station name."));
    QVERIFY(d.dialog.isVisible());
    QVERIFY(d.file() == stored_settings());
}

void PublishDialogTest::tabVisitsTheFieldsInOrder() {
    DialogRig d;
    d.dialog.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&d.dialog));
    d.find<QCheckBox>("enabledCheck")->setFocus();
    QStringList visited{QApplication::focusWidget()->objectName()};
    for (int i = 0; i < 11; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget* focus = QApplication::focusWidget();
        // A spin box gives the focus to its line edit inside.
        visited << (focus->objectName() == QLatin1String("qt_spinbox_lineedit")
                        ? focus->parentWidget()->objectName()
                        : focus->objectName());
    }
    QCOMPARE(visited, (QStringList{"enabledCheck", "hostEdit", "portSpin", "topicEdit", "stationEdit",
                                   "qosCombo", "usernameEdit", "passwordFileEdit", "passwordFileBrowse",
                                   "caFileEdit", "caFileBrowse", "outboxLimitSpin"}));
}

QTEST_MAIN(PublishDialogTest)
#include "tst_publish_dialog.moc"
