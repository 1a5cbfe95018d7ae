// Against a real SDI-12 adapter, only when VELD_TEST_PORT names its COM port number (for example
// VELD_TEST_PORT=3 with the workspace link Ports/COM3 to /dev/ttyUSB0 under VELD_TEST_ROOT).
#include <QSignalSpy>
#include <QtTest>

#include "core/sdi12_core.h"
#include "devices/device_list.h"
#include "settings/workspace.h"
#include "tests/bare_core.h"
#include "variables/column_list.h"

class RealPort : public QObject {
    Q_OBJECT
  private slots:
    void addressQueryIsAnsweredByTheSensorOnTheBus();
};

void RealPort::addressQueryIsAnsweredByTheSensorOnTheBus() {
    bool ok = false;
    const int port_number = qEnvironmentVariableIntValue("VELD_TEST_PORT", &ok);
    if (!ok) QSKIP("VELD_TEST_PORT is not set");
    const QString root = qEnvironmentVariableIsSet("VELD_TEST_ROOT") ? qEnvironmentVariable("VELD_TEST_ROOT")
                                                                     : workspace_root();
    SystemClock clock;
    auto port = make_platform_serial_link();
    ColumnList columns;
    DeviceList devices;
    BareCore bare(columns, devices, *port, clock, root);
    sdi12_core& core = bare.core;
    QString console;
    connect(&core, &sdi12_core::printline, this, [&](const QString& t) { console += t; });
    CoreSettings s = core.settings();
    s.port = port_number;
    core.set_settings(s);
    QSignalSpy finished(&core, &sdi12_core::cmd_finnished);
    core.start();
    core.prepare_scan(0);
    core.do_cmd(QStringLiteral("?!"));
    QVERIFY2(finished.wait(3000), qPrintable(console));
    QVERIFY(core.last_answer().startsWith(QStringLiteral("?!")));
    core.shut_down();
}

QTEST_GUILESS_MAIN(RealPort)
#include "tst_real_port.moc"
