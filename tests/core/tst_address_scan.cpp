// The bus scan over a simulated bus in virtual time.
#include <QSignalSpy>
#include <QtTest>

#include "core_rig.h"
#include "sim_configs.h"

class AddressScanTest : public QObject {
    Q_OBJECT
  private slots:
    void scanWithOneSensorFillsItsSlotAndVisitsEveryAddress();
    void scanWithSeveralSensorsFindsEachOfThem();
    void answerFromAnotherAddressFillsThatSlot();
    void rs485ScanTakesTheAddressAfterThePercentSign();
    void bytesWithoutLineEndKeepTheWaitOpen();
    void scanTakesTheBusTimeAndNoMore();
    void scanForgetsWhatTheLastScanKnew();
    void rescanKeepsTheSetupOfASensorThatAnswersAlikeOnly();
};

static bool scan_done(CoreRig& rig) {
    return rig.core->step_state() == 0;
}

void AddressScanTest::scanWithOneSensorFillsItsSlotAndVisitsEveryAddress() {
    CoreRig rig;
    rig.attach_bus(sim_configs::kOneSensor);
    QSignalSpy changed(rig.core, &sdi12_core::devlist_changed);
    rig.core->prepare_scan(1);
    rig.core->start_scan();
    QVERIFY(rig.run_until([&] { return scan_done(rig); }, 10000));
    QCOMPARE(rig.console.count(QStringLiteral("scanning address ")), 16);
    QVERIFY(rig.console.contains(QStringLiteral("scanning address f\r\n")));
    QCOMPARE(changed.count(), 16);
    const auto slots_now = rig.devices.snapshot();
    for (int i = 0; i < 16; ++i) {
        QCOMPARE(slots_now[i].scanned, 1);
        QCOMPARE(slots_now[i].identification.isEmpty(), i != 3);
    }
    QCOMPARE(slots_now[3].identification, QStringLiteral("3I!313VELDINSTTH100 100SN0003\r"));
    QCOMPARE(rig.core->mode(), 11);  // stays until another mode is asked for
    // In SDI-12 mode every command is preceded by a break.
    int breaks = 0;
    for (const auto& e : rig.link.events()) breaks += e.kind == MemorySerialLink::Event::BreakOn;
    QCOMPARE(breaks, 16);
}

void AddressScanTest::scanWithSeveralSensorsFindsEachOfThem() {
    CoreRig rig;
    rig.attach_bus(sim_configs::kThreeSensors);
    rig.core->prepare_scan(1);
    rig.core->start_scan();
    QVERIFY(rig.run_until([&] { return scan_done(rig); }, 10000));
    const auto s = rig.devices.snapshot();
    QCOMPARE(s[0].identification, QStringLiteral("0I!013VELDINSTTH100 100SN0001\r"));
    QCOMPARE(s[3].identification, QStringLiteral("3I!313VELDINSTWIND20100SN0003\r"));
    QCOMPARE(s[11].identification, QStringLiteral("bI!b13VELDINSTRAIN10100SN000B\r"));
    int present = 0;
    for (const idev& d : s) present += !d.identification.isEmpty();
    QCOMPARE(present, 3);
}

void AddressScanTest::answerFromAnotherAddressFillsThatSlot() {
    CoreRig rig;
    rig.attach_bus(
        "[sensor]\naddress = 5\nid = 13VELDINSTTH100 100SN0005\nfault = other-address\nother_address = 3\n");
    QSignalSpy changed(rig.core, &sdi12_core::devlist_changed);
    rig.core->prepare_scan(1);
    rig.core->start_scan();
    QVERIFY(rig.run_until([&] { return scan_done(rig); }, 10000));
    const auto s = rig.devices.snapshot();
    QVERIFY(s[3].identification.startsWith(QStringLiteral("3")));
    QVERIFY(s[5].identification.isEmpty());
    QCOMPARE(s[5].scanned, 1);
    QCOMPARE(changed.count(), 16);
}

void AddressScanTest::rs485ScanTakesTheAddressAfterThePercentSign() {
    CoreRig rig;
    rig.attach_bus("bus = rs485\n" + sim_configs::kOneSensor);
    CoreSettings settings = rig.core->settings();
    settings.comm_mode = 1;
    rig.core->set_settings(settings);
    rig.core->prepare_scan(1);
    rig.core->start_scan();
    QVERIFY(rig.run_until([&] { return scan_done(rig); }, 10000));
    const auto s = rig.devices.snapshot();
    QCOMPARE(s[3].identification, QStringLiteral("%3I!313VELDINSTTH100 100SN0003\r"));
    QVERIFY(s[0].identification.isEmpty());
    for (const auto& e : rig.link.events()) QVERIFY(e.kind == MemorySerialLink::Event::Byte);  // no break
    QVERIFY(rig.link.written().rfind("%0I!%1I!", 0) == 0);
}

void AddressScanTest::bytesWithoutLineEndKeepTheWaitOpen() {
    CoreRig rig;
    rig.core->prepare_scan(1);
    rig.core->start_scan();
    rig.run_for(30);  // address 0 sent, now waiting
    QCOMPARE(rig.core->step_state(), 2);
    for (int i = 0; i < 5; ++i) {
        rig.link.feed("x");
        rig.run_for(150);
    }
    QCOMPARE(rig.core->step_state(), 2);  // 750 ms, but never 200 ms of silence
    rig.run_for(250);
    QVERIFY(rig.console.contains(QStringLiteral("scanning address 1")));
    QVERIFY(rig.devices.slot(0).identification.isEmpty());
}

void AddressScanTest::scanTakesTheBusTimeAndNoMore() {
    CoreRig rig;
    rig.attach_bus(sim_configs::kOneSensor);
    rig.core->prepare_scan(1);
    const std::int64_t start = rig.clock.tick_ms();
    rig.core->start_scan();
    QVERIFY(rig.run_until([&] { return scan_done(rig); }, 10000));
    const double took = double(rig.clock.tick_ms() - start);
    // Per address: 24 ms wake-up, three echoed characters; silent ones then wait 200 ms, the
    // present one its answer (identification, address, CR LF) at 8.33 ms a character.
    const double ch = 1000.0 / 120.0;
    const double floor = 16 * (24 + 3 * ch) + 15 * 200 + (26 + 1 + 2) * ch;
    QVERIFY2(took >= floor - 20 && took <= floor * 1.05,
             qPrintable(QStringLiteral("%1 ms, floor %2").arg(took).arg(floor)));
}

void AddressScanTest::scanForgetsWhatTheLastScanKnew() {
    CoreRig rig;
    rig.devices.update(7, [](idev& d) {
        d.identification = QStringLiteral("old");
        d.definition = QStringLiteral("old.xml");
        d.description = QStringLiteral("Old");
        d.scanned = 1;
    });
    rig.core->start_scan();
    const idev d = rig.devices.slot(7);
    QVERIFY(d.identification.isEmpty() && d.definition.isEmpty() && d.description.isEmpty());
    QCOMPARE(d.scanned, 0);
}

void AddressScanTest::rescanKeepsTheSetupOfASensorThatAnswersAlikeOnly() {
    CoreRig rig;
    rig.attach_bus(sim_configs::kThreeSensors);
    const auto associate = [&](int slot, const QString& identification) {
        rig.devices.update(slot, [&](idev& d) {
            d.identification = identification;
            d.definition = QStringLiteral("def%1.xml").arg(slot);
            d.description = QStringLiteral("Sensor %1").arg(slot);
            d.start_column = std::uint16_t(10 + slot);
        });
    };
    associate(0, QStringLiteral("0I!013VELDINSTTH100 100SN0001\r"));  // answers alike
    associate(3, QStringLiteral("3I!313VELDINSTWIND20100SN0099\r"));  // another sensor now
    associate(5, QStringLiteral("5I!513VELDINSTTH100 100SN0005\r"));  // gone
    rig.core->prepare_scan(1);
    rig.core->start_scan();
    QVERIFY(rig.run_until([&] { return scan_done(rig); }, 10000));
    const auto s = rig.devices.snapshot();
    QCOMPARE(s[0].definition, QStringLiteral("def0.xml"));
    QCOMPARE(s[0].description, QStringLiteral("Sensor 0"));
    QCOMPARE(int(s[0].start_column), 10);
    QCOMPARE(s[3].identification, QStringLiteral("3I!313VELDINSTWIND20100SN0003\r"));
    QVERIFY(s[3].definition.isEmpty() && s[3].description.isEmpty());
    QVERIFY(s[5].identification.isEmpty() && s[5].definition.isEmpty());
}

QTEST_GUILESS_MAIN(AddressScanTest)
#include "tst_address_scan.moc"
