// What the core does with the sensor tools' requests: it leaves logging visibly, and an option
// batch asks only the options that can be read, on its own copy of them.
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
    void requestWhileLoggingSaysLoggingStoppedAndShowsTheStopTime_data();
    void requestWhileLoggingSaysLoggingStoppedAndShowsTheStopTime();
    void optionBatchAsksOnlyOptionsWithAReadCommand();
};

void ToolRequests::requestWhileLoggingSaysLoggingStoppedAndShowsTheStopTime_data() {
    QTest::addColumn<int>("request");  // 0: manual command, 1: address change, 2: option batch
    QTest::addColumn<QString>("said");
    QTest::newRow("manual command") << 0 << "Logging stopped for a manual command\r\n";
    QTest::newRow("address change") << 1 << "Logging stopped for an address change\r\n";
    QTest::newRow("option batch") << 2 << "Logging stopped for reading sensor options\r\n";
}

void ToolRequests::requestWhileLoggingSaysLoggingStoppedAndShowsTheStopTime() {
    QFETCH(int, request);
    QFETCH(QString, said);
    CoreRig rig(utc_seconds(2026, 12, 7, 9, 5, 3));
    rig.attach_bus(sim_configs::kOneSensor);
    rig.core->set_logging(true);
    rig.run_for(2000);
    QVERIFY(!rig.console.contains(QStringLiteral("Logging stopped")));
    const QString stop_time = QStringLiteral("09:05:05");
    if (request == 0) rig.core->do_cmd(QStringLiteral("3I!"));
    if (request == 1) rig.core->do_cmd(QStringLiteral("3A4!"), sdi12_core::kAddressChange);
    if (request == 2) rig.core->do_multicmd({{option("FLOAT", "aXRAVG!")}, QStringLiteral("3")});
    rig.run_for(10);
    QCOMPARE(rig.console.count(said), 1);
    QCOMPARE(rig.core->status_text(sdi12_core::kStatusLine),
             QStringLiteral("Logging N     Stopped at ") + stop_time);
    // A request made while not logging says nothing of logging.
    rig.core->do_cmd(QStringLiteral("3I!"));
    rig.run_for(10);
    QCOMPARE(rig.console.count(QStringLiteral("Logging stopped")), 1);
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
