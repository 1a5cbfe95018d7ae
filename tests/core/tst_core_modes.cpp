// The core's modes, signals and transactions, stepped in virtual time against a simulated bus.
#include <QSignalSpy>
#include <QtTest>

#include "core_rig.h"
#include "sim_configs.h"
#include "tests/bare_core.h"

class CoreModes : public QObject {
    Q_OBJECT
  private slots:
    void statusLineRightAfterStartUpSaysNotLogging();
    void singleCommandSignalsItsAnswer_data();
    void singleCommandSignalsItsAnswer();
    void commandWithoutAnswerEmitsNothingAndStaysInModeThirteen();
    void stoppingLoggingEmitsExactlyOneModeChange();
    void stoppedStatusLineShowsTheStopTime();
    void optionBatchReadsEveryOptionAndGoesIdle();
    void workerThreadCarriesOutRequestsAndAnswersQueued();
    void missingPortIsReportedOnTheConsole();
    void requestRightAfterStartIsCarriedOut();
};

void CoreModes::statusLineRightAfterStartUpSaysNotLogging() {
    CoreRig rig;
    QCOMPARE(rig.core->status_text(sdi12_core::kStatusLine), QStringLiteral("Logging N"));
    QCOMPARE(rig.core->status_text(99), QString());
    QCOMPARE(sdi12_core::mode_name(sdi12_core::kLogging), QStringLiteral("LOGGING"));
    QCOMPARE(sdi12_core::mode_name(sdi12_core::kScanning), QStringLiteral("SCANNING"));
    QCOMPARE(sdi12_core::mode_name(sdi12_core::kSingleCommand), QStringLiteral("IDLE"));
}

void CoreModes::singleCommandSignalsItsAnswer_data() {
    QTest::addColumn<int>("option");
    QTest::addColumn<int>("events");
    QTest::addColumn<QByteArray>("stray");  // a line that comes right after the command
    QTest::newRow("option 0: finished only") << 0 << 0 << QByteArray();
    QTest::newRow("option 7: finished and event") << 7 << 1 << QByteArray();
    QTest::newRow("a service request is not the answer") << 0 << 0 << QByteArray("3\r\n");
    QTest::newRow("another sensor's line is not the answer") << 0 << 0 << QByteArray("5+1.0\r\n");
}

void CoreModes::singleCommandSignalsItsAnswer() {
    QFETCH(int, option);
    QFETCH(int, events);
    QFETCH(QByteArray, stray);
    CoreRig rig;
    rig.attach_bus(sim_configs::kOneSensor);
    // Fed ahead, it arrives just after the command; the echo and the answer queue up behind it.
    rig.link.feed(stray.toStdString(), rig.clock.tick_ms() + 30);
    QSignalSpy finished(rig.core, &sdi12_core::cmd_finnished);
    QSignalSpy event(rig.core, &sdi12_core::cmd_event);
    rig.core->prepare_scan(0);
    rig.core->do_cmd(QStringLiteral("3I!"), option);
    rig.run_for(1500);
    QCOMPARE(finished.count(), 1);
    QCOMPARE(event.count(), events);
    if (events) QCOMPARE(event.at(0).at(0).toInt(), 7);
    QCOMPARE(rig.core->last_answer(), QStringLiteral("3I!313VELDINSTTH100 100SN0003\r"));
    QCOMPARE(rig.core->mode(), 13);
    QCOMPARE(rig.core->step_state(), 9);
}

void CoreModes::commandWithoutAnswerEmitsNothingAndStaysInModeThirteen() {
    CoreRig rig;
    rig.attach_bus(sim_configs::kOneSensor);
    QSignalSpy finished(rig.core, &sdi12_core::cmd_finnished);
    QSignalSpy event(rig.core, &sdi12_core::cmd_event);
    rig.core->prepare_scan(0);
    rig.core->do_cmd(QStringLiteral("5I!"), 4);  // nobody at 5
    rig.run_for(999);
    QCOMPARE(rig.core->step_state(), 2);  // still waiting just before the second is over
    rig.run_for(100);
    QCOMPARE(finished.count(), 0);
    QCOMPARE(event.count(), 0);
    QCOMPARE(rig.core->mode(), 13);
    QCOMPARE(rig.core->step_state(), 9);
}

void CoreModes::stoppingLoggingEmitsExactlyOneModeChange() {
    CoreRig rig;
    QSignalSpy changed(rig.core, &sdi12_core::mode_changed);
    rig.core->set_logging(true);
    rig.run_for(10);
    QCOMPARE(changed.count(), 1);
    rig.core->set_logging(false);
    rig.run_for(10);
    QCOMPARE(changed.count(), 2);
    QCOMPARE(rig.core->mode(), 0);
}

void CoreModes::stoppedStatusLineShowsTheStopTime() {
    CoreRig rig(utc_seconds(2026, 12, 7, 9, 5, 3));
    rig.core->set_logging(true);
    rig.run_for(5);
    QVERIFY(rig.core->status_text(sdi12_core::kStatusLine)
                .startsWith(QStringLiteral("Logging Y      Current record:")));
    rig.core->set_logging(false);
    QCOMPARE(rig.core->status_text(sdi12_core::kStatusLine),
             QStringLiteral("Logging N     Stopped at 09:05:03"));
}

void CoreModes::optionBatchReadsEveryOptionAndGoesIdle() {
    CoreRig rig;
    rig.attach_bus(sim_configs::kOneSensor);
    std::vector<dev_opt> options(3);
    options[0].type = QStringLiteral("FLOAT");
    options[0].read_cmd = QStringLiteral("aXRAVG!");
    options[1].type = QStringLiteral("SELECT");
    options[1].read_cmd = QStringLiteral("aXRUNIT!");
    options[2].type = QStringLiteral("FLOAT");
    options[2].read_cmd = QStringLiteral("aXRNONE!");  // unknown: no answer
    QSignalSpy answered(rig.core, &sdi12_core::multicmd_finnished);
    rig.core->prepare_scan(0);
    const int batch = rig.core->do_multicmd({options, QStringLiteral("3")});
    QVERIFY(rig.run_until([&] { return rig.core->step_state() == 10; }, 5000));
    QCOMPARE(answered.count(), 2);
    const OptionBatchReply reply = rig.core->option_batch_reply();
    QCOMPARE(reply.batch, batch);
    QVERIFY(reply.done);
    QCOMPARE(reply.readings.at(0).value, QStringLiteral("12.5"));
    QCOMPARE(reply.readings.at(0).raw_answer, QStringLiteral("3XRAVG!3+12.5\r"));
    QCOMPARE(reply.readings.at(1).value, QStringLiteral("C"));
    QVERIFY(!reply.readings.at(2).answered);
    QCOMPARE(rig.core->mode(), 14);
}

void CoreModes::workerThreadCarriesOutRequestsAndAnswersQueued() {
    // Real time, real worker thread: requests cross threads and answers come back queued.
    SystemClock clock;
    MemorySerialLink link(clock);
    const SimConfigResult parsed = parse_sim_config(sim_configs::kOneSensor);
    MemoryLinkBus bus(link, parsed.config);
    ColumnList columns;
    DeviceList devices;
    QTemporaryDir dir;
    BareCore bare(columns, devices, link, clock, dir.path() + QStringLiteral("/"));
    sdi12_core& core = bare.core;
    QSignalSpy finished(&core, &sdi12_core::cmd_finnished);
    QStringList console;
    connect(&core, &sdi12_core::printline, this, [&](const QString& t) { console << t; });
    // Direct connections: the worker's signals are emitted on the core's own thread, after the
    // console text the worker printed before them.
    QThread* emitted_on = nullptr;
    QString console_at_finish;
    connect(
        &core, &sdi12_core::cmd_finnished, this,
        [&] {
            emitted_on = QThread::currentThread();
            console_at_finish = console.join(QString());
        },
        Qt::DirectConnection);
    core.start();
    core.prepare_scan(0);
    core.do_cmd(QStringLiteral("3I!"));
    QVERIFY(finished.wait(5000));
    QCOMPARE(core.last_answer(), QStringLiteral("3I!313VELDINSTTH100 100SN0003\r"));
    QCOMPARE(emitted_on, QThread::currentThread());
    QVERIFY2(console_at_finish.contains(QStringLiteral("313VELDINSTTH100 100SN0003\r")),
             qPrintable(console_at_finish));
    core.shut_down();
    QVERIFY(core.isFinished());
}

void CoreModes::missingPortIsReportedOnTheConsole() {
    CoreRig rig;
    rig.link.set_open_error(2);
    rig.core->prepare_scan(0);
    QVERIFY2(rig.console.contains(QStringLiteral("File Error 2\r\n")), qPrintable(rig.console));
}

void CoreModes::requestRightAfterStartIsCarriedOut() {
    // A request racing the worker's first look at its state must still be seen.
    SystemClock clock;
    for (int round = 0; round < 20; ++round) {
        MemorySerialLink link(clock);
        MemoryLinkBus bus(link, parse_sim_config(sim_configs::kOneSensor).config);
        ColumnList columns;
        DeviceList devices;
        QTemporaryDir dir;
        BareCore bare(columns, devices, link, clock, dir.path() + QStringLiteral("/"));
        sdi12_core& core = bare.core;
        QSignalSpy finished(&core, &sdi12_core::cmd_finnished);
        core.start();
        core.prepare_scan(0);
        core.do_cmd(QStringLiteral("3I!"));
        QVERIFY2(finished.wait(5000), qPrintable(QStringLiteral("round %1").arg(round)));
        core.shut_down();
    }
}

QTEST_GUILESS_MAIN(CoreModes)
#include "tst_core_modes.moc"
