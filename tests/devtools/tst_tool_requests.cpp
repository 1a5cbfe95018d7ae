// What the core does with the sensor tools' requests: it pauses logging for them and goes on by
// itself, a scan ends logging visibly, and an option batch asks only the options that can be
// read, on its own copy of them.
#include <QtTest>

#include "core/sdi12_core.h"
#include "core_rig.h"
#include "sim_configs.h"

namespace {
dev_opt option(const char* type, const char* read) {
    dev_opt o;
    o.type = QString::fromLatin1(type);
    o.read_cmd = QString::fromLatin1(read);
    return o;
}
}  // namespace

class ToolRequests : public QObject {
    Q_OBJECT
  private slots:
    void aToolPausesLoggingWhichGoesOnByItselfAtTheNextMultiple_data();
    void aToolPausesLoggingWhichGoesOnByItselfAtTheNextMultiple();
    void aScanWhileLoggingSaysThatLoggingStopped();
    void optionBatchAsksOnlyOptionsWithAReadCommand();
};

void ToolRequests::aToolPausesLoggingWhichGoesOnByItselfAtTheNextMultiple_data() {
    QTest::addColumn<int>("request");  // 0: manual command, 1: address change, 2: option batch
    QTest::addColumn<QString>("said");
    QTest::newRow("manual command") << 0 << "Logging paused for a manual command\r\n";
    QTest::newRow("address change") << 1 << "Logging paused for an address change\r\n";
    QTest::newRow("option batch") << 2 << "Logging paused for reading sensor options\r\n";
}

void ToolRequests::aToolPausesLoggingWhichGoesOnByItselfAtTheNextMultiple() {
    QFETCH(int, request);
    QFETCH(QString, said);
    CoreRig rig(utc_seconds(2026, 12, 7, 9, 5, 3));
    rig.attach_bus(sim_configs::kOneSensor);
    rig.set_interval(10);
    rig.core->set_logging(true);
    QVERIFY(rig.run_until_records(1, 3000));
    QCOMPARE(rig.core->status_text(sdi12_core::kStatusLine).section(QStringLiteral("Next Log "), 1),
             QStringLiteral("09:05:10"));
    if (request == 0) rig.core->do_cmd(QStringLiteral("3I!"));
    if (request == 1) rig.core->do_cmd(QStringLiteral("3A4!"), sdi12_core::kAddressChange);
    if (request == 2) rig.core->do_multicmd({{option("FLOAT", "aXRAVG!")}, QStringLiteral("3")});
    rig.run_for(10);
    QCOMPARE(rig.console.count(said), 1);
    QCOMPARE(rig.core->status_text(sdi12_core::kStatusLine),
             QStringLiteral("Logging paused for a sensor tool"));
    // After the tool (and the scan that follows an address change) logging goes on by itself.
    QVERIFY(rig.run_until([&] { return rig.core->mode() == sdi12_core::kLogging; }, 30000));
    QCOMPARE(rig.console.count(QStringLiteral("Logging goes on: next record at ")), 1);
    QVERIFY(rig.run_until_records(2, 30000));
    QVERIFY(!rig.console.contains(QStringLiteral("Logging stopped")));
    if (request == 1) QVERIFY(!rig.devices.slot(4).identification.isEmpty());  // found at its new address
}

void ToolRequests::aScanWhileLoggingSaysThatLoggingStopped() {
    CoreRig rig(utc_seconds(2026, 12, 7, 9, 5, 3));
    rig.attach_bus(sim_configs::kOneSensor);
    rig.core->set_logging(true);
    QVERIFY(rig.run_until_records(1, 3000));
    rig.core->start_scan();
    rig.run_for(10);
    QCOMPARE(rig.console.count(QStringLiteral("Logging stopped for a scan\r\n")), 1);
    QVERIFY(rig.core->status_text(sdi12_core::kStatusLine)
                .startsWith(QStringLiteral("Logging N     Stopped at 09:05:0")));
}

void ToolRequests::optionBatchAsksOnlyOptionsWithAReadCommand() {
    CoreRig rig;
    rig.attach_bus(sim_configs::kOneSensor);
    rig.core->prepare_scan(0);
    std::vector<dev_opt> options = {option("CMD", ""), option("FLOAT", "aXRAVG!"), option("CMD", ""),
                                    option("SELECT", "aXRUNIT!")};
    const int batch = rig.core->do_multicmd({options, QStringLiteral("3")});
    options.clear();  // the core asks from its own copy
    rig.link.clear_events();
    QVERIFY(rig.run_until([&] { return rig.core->option_batch_reply().done; }, 5000));
    QCOMPARE(QString::fromStdString(rig.link.written()), QStringLiteral("3XRAVG!3XRUNIT!"));
    int wake_ups = 0;  // an empty command would still wake the bus
    for (const MemorySerialLink::Event& event : rig.link.events())
        wake_ups += event.kind == MemorySerialLink::Event::BreakOn;
    QCOMPARE(wake_ups, 2);
    const OptionBatchReply reply = rig.core->option_batch_reply();
    QCOMPARE(reply.batch, batch);
    QCOMPARE(int(reply.readings.size()), 4);
    QVERIFY(!reply.readings[0].answered);
    QCOMPARE(reply.readings[1].value, QStringLiteral("12.5"));
    QVERIFY(!reply.readings[2].answered);
    QCOMPARE(reply.readings[3].value, QStringLiteral("C"));
}

QTEST_GUILESS_MAIN(ToolRequests)
#include "tst_tool_requests.moc"
