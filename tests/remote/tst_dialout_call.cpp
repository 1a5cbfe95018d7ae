#include <QtTest>

#include "remote_rig.h"
#include "thread_state.h"

// The dial-out call end to end: the worker over an in-memory modem port, the simulated modem and
// remote logger behind it, a real acquisition core writing the log, all in virtual time.
class DialoutCallTest : public QObject {
    Q_OBJECT
  private slots:
    void a_call_downloads_the_new_records_into_the_log();
    void the_last_record_is_saved_after_every_record();
    void a_call_without_connect_hangs_up_after_two_minutes();
    void a_lost_carrier_ends_the_call_and_the_next_resumes_after_the_last_stored_record();
    void lines_that_are_no_records_are_not_stored();
    void a_faulty_line_is_never_stored_and_each_record_is_logged_once_data();
    void a_faulty_line_is_never_stored_and_each_record_is_logged_once();
    void a_log_that_cannot_be_written_ends_the_call_and_the_next_call_fetches_the_rest();
    void a_reset_during_a_call_hangs_up_before_the_port_is_closed();
    void a_vanished_port_ends_the_call_once_and_is_opened_again_at_the_next_call();
    void a_columns_setting_the_writer_cannot_take_is_refused_data();
    void a_columns_setting_the_writer_cannot_take_is_refused();
    void a_daily_schedule_without_a_day_never_calls_and_says_so_once();
    void a_clock_set_back_plans_the_next_call_on_the_new_clock();
    void the_worker_thread_speaks_through_the_owners_thread();
};

void DialoutCallTest::a_call_downloads_the_new_records_into_the_log() {
    RemoteRig rig;
    rig.prepare(1, 1, 3);
    QVERIFY(rig.run_call());
    const QByteArray log = rig.acq.log_file();
    QVERIFY2(log.endsWith("2,2026-12-01,00:20:00,2.000000,2.250000,2.500000\n"
                          "3,2026-12-01,00:30:00,3.000000,3.250000,3.500000\n"),
             log.constData());
    QCOMPARE(rig.acq.columns.value_text(1), QStringLiteral("2026-12-01"));
    const QString sent = QString::fromStdString(rig.port.written());
    QVERIFY2(sent.startsWith("ATZ\r\nATDT 555 555555\r\n\r\nHELLO\r\nSTARTREC?\r\nLASTREC?\r\nCLOCK_UTCS="),
             qPrintable(sent));
    QVERIFY(sent.endsWith("DOWNLD 1 2 5\r\n+++ATH"));
    QVERIFY(rig.console.contains(">DOWNLD 1 2 5\r\n\r\n"));
    QVERIFY(rig.console.contains("LAST_LOG= 3\r\nNO DATA\r\nAbort..\r\n"));
    QVERIFY(!rig.port.is_open());
    rig.modem.with_modem([&](SimModem& m) {
        QCOMPARE(m.hang_ups(), 1);
        QCOMPARE(m.clock_set_to() / 3600, utc_seconds(2026, 12, 7, 17, 0, 0) / 3600);
    });
}

void DialoutCallTest::the_last_record_is_saved_after_every_record() {
    RemoteRig rig;
    rig.prepare(1, 1, 8);
    QList<int> saved;
    QObject::connect(&rig.remote, &remotelogger_core::end_of_log, [&] { saved << rig.saved_record(); });
    QVERIFY(rig.run_call());
    QCOMPARE(saved, (QList<int>{2, 3, 4, 5, 6, 7, 8}));
}

void DialoutCallTest::a_call_without_connect_hangs_up_after_two_minutes() {
    RemoteRig rig;
    rig.prepare(1, 1, 3);
    rig.modem.with_modem([](SimModem& m) { m.set_faults({true, -1, false}); });
    std::int64_t dialled = -1, escaped = -1;
    rig.port.set_peer(nullptr);  // the modem stays silent; the port records what is sent
    QVERIFY(rig.run_until([&] { return rig.remote.call_state() == DialoutCall::kWaitConnect; }, 3600 * 1000));
    dialled = rig.acq.clock.tick_ms();
    QVERIFY(rig.run_until([&] { return rig.remote.call_state() == DialoutCall::kWaitEscape; }, 200 * 1000));
    escaped = rig.acq.clock.tick_ms();
    QVERIFY(rig.run_until([&] { return rig.remote.call_state() == DialoutCall::kWaitCall; }, 10 * 1000));
    QVERIFY(escaped - dialled > DialoutCall::kConnectMs + DialoutCall::kGuardMs);
    QVERIFY(QString::fromStdString(rig.port.written()).endsWith("ATDT 555 555555\r\n+++ATH"));
    QVERIFY(rig.console.contains("Abort..\r\n"));
    QVERIFY(!rig.port.is_open());
    QCOMPARE(rig.records_added, 0);
}

void DialoutCallTest::a_lost_carrier_ends_the_call_and_the_next_resumes_after_the_last_stored_record() {
    RemoteRig rig;
    rig.prepare(1, 1, 12);
    rig.modem.with_modem([](SimModem& m) { m.set_faults({false, 3, false}); });
    QVERIFY(rig.run_call());
    QCOMPARE(rig.saved_record(), 4);
    QVERIFY(rig.console.contains("NO CARRIER\r\nAbort..\r\n"));
    QVERIFY(rig.run_call());
    rig.modem.with_modem([](SimModem& m) { QCOMPARE(m.downloads().at(1), std::string("DOWNLD 4 5 5")); });
    QCOMPARE(rig.logged_numbers(), (QStringList{"2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12"}));
}

void DialoutCallTest::lines_that_are_no_records_are_not_stored() {
    RemoteRig rig;
    rig.prepare(1, 1, 4);
    rig.modem.with_modem([](SimModem& m) { m.set_faults({false, -1, true}); });
    QVERIFY(rig.run_call());
    QCOMPARE(rig.logged_numbers(), (QStringList{"2", "3", "4"}));
    QCOMPARE(rig.saved_record(), 4);
    QCOMPARE(rig.console.count("Not a record, ignored: RING"), 3);
}

void DialoutCallTest::a_faulty_line_is_never_stored_and_each_record_is_logged_once_data() {
    QTest::addColumn<int>("fault");
    QTest::addColumn<QString>("said");
    QTest::addColumn<int>("saved_after_first_call");
    QTest::addColumn<QStringList>("logged");
    const QStringList all{"2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12"};
    QTest::newRow("a repeated line") << 0 << "Record 3 came again: dropped" << 12 << all;
    QTest::newRow("a line cut by a lost carrier") << 1 << "fields not stored: the call ends" << 3 << all;
    QTest::newRow("an over-long line") << 2 << "Over-long record line not stored: the call ends" << 3 << all;
    QStringList without_four = all;
    without_four.removeOne("4");
    QTest::newRow("a record the logger lost")
        << 3 << "WARNING - GAP IN LOGFILE: records 4 to 4" << 12 << without_four;
}

void DialoutCallTest::a_faulty_line_is_never_stored_and_each_record_is_logged_once() {
    QFETCH(int, fault);
    QFETCH(QString, said);
    QFETCH(int, saved_after_first_call);
    QFETCH(QStringList, logged);
    RemoteRig rig;
    rig.prepare(1, 1, 12);
    SimModem::Faults faults;
    int* const after[] = {&faults.repeat_after, &faults.cut_line_after, &faults.long_line_after,
                          &faults.skip_after};
    *after[fault] = 2;
    rig.modem.with_modem([&](SimModem& m) { m.set_faults(faults); });
    QVERIFY(rig.run_call());
    QVERIFY2(rig.console.contains(said), qPrintable(rig.console));
    QCOMPARE(rig.saved_record(), saved_after_first_call);
    QVERIFY(rig.run_call());
    QCOMPARE(rig.logged_numbers(), logged);
    QCOMPARE(rig.saved_record(), 12);
}

void DialoutCallTest::a_log_that_cannot_be_written_ends_the_call_and_the_next_call_fetches_the_rest() {
    RemoteRig rig;
    rig.prepare(1, 1, 12);
    QVERIFY(rig.run_until([&] { return rig.records_added == 2; }, 3600 * 1000));
    // A folder takes the log file's place while the file is away.
    const QString log = rig.acq.root + QStringLiteral("LOG/test.csv");
    QVERIFY(QFile::rename(log, log + QStringLiteral(".away")));
    QVERIFY(QDir().mkpath(log));
    QVERIFY(rig.run_until([&] { return rig.remote.call_state() == DialoutCall::kWaitCall; }, 30 * 1000));
    QVERIFY2(
        rig.console.contains("The log file cannot be written: the call ends; the next call goes on after "
                             "record 3"),
        qPrintable(rig.console));
    QCOMPARE(rig.saved_record(), 3);
    QCOMPARE(rig.records_added, 2);
    QVERIFY(QDir(log).removeRecursively());
    QVERIFY(QFile::rename(log + QStringLiteral(".away"), log));
    QVERIFY(rig.run_call());
    QCOMPARE(rig.logged_numbers(), (QStringList{"2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12"}));
}

void DialoutCallTest::a_reset_during_a_call_hangs_up_before_the_port_is_closed() {
    RemoteRig rig;
    rig.prepare(1, 1, 12);
    QVERIFY(rig.run_until([&] { return rig.records_added == 2; }, 3600 * 1000));
    rig.remote.reset(remotelogger_core::kRecomputeSchedule);
    QVERIFY(rig.run_until([&] { return rig.remote.call_state() == DialoutCall::kWaitCall; }, 30 * 1000));
    QVERIFY(QString::fromStdString(rig.port.written()).endsWith("+++ATH"));
    rig.modem.with_modem([](SimModem& m) {
        QCOMPARE(m.hang_ups(), 1);
        QVERIFY(!m.online());
    });
    QVERIFY(!rig.port.is_open());
}

void DialoutCallTest::a_vanished_port_ends_the_call_once_and_is_opened_again_at_the_next_call() {
    RemoteRig rig;
    rig.prepare(1, 1, 12);
    QVERIFY(rig.run_until([&] { return rig.records_added == 2; }, 3600 * 1000));
    rig.port.set_gone(true);
    QVERIFY(rig.run_until([&] { return rig.remote.call_state() == DialoutCall::kWaitCall; }, 1000));
    QCOMPARE(rig.console.count("Modem port lost"), 1);
    QVERIFY(!rig.port.is_open());
    rig.port.set_gone(false);
    QVERIFY(rig.run_call());
    QCOMPARE(rig.logged_numbers().size(), 11);
    QCOMPARE(rig.logged_numbers().last(), QStringLiteral("12"));
}

void DialoutCallTest::a_columns_setting_the_writer_cannot_take_is_refused_data() {
    QTest::addColumn<int>("columns");
    QTest::newRow("more than the writer takes") << 201;
    QTest::newRow("fewer than number, date and time") << 2;
}

void DialoutCallTest::a_columns_setting_the_writer_cannot_take_is_refused() {
    QFETCH(int, columns);
    RemoteRig rig;
    DialoutSettings s;
    s.columns = columns;
    write_dialout_settings(rig.settings_path(), s);
    rig.remote.reset(remotelogger_core::kReadSettings);
    QCOMPARE(rig.remote.settings().columns, 40);
    rig.remote.apply_settings(s);
    QCOMPARE(rig.remote.settings().columns, 40);
    QCOMPARE(rig.console.count(QStringLiteral("Columns setting %1 refused").arg(columns)), 2);
}

void DialoutCallTest::a_daily_schedule_without_a_day_never_calls_and_says_so_once() {
    RemoteRig rig;
    DialoutSettings s;
    s.days.fill(false);
    write_dialout_settings(rig.settings_path(), s);
    rig.remote.reset(remotelogger_core::kReadSettings | remotelogger_core::kRecomputeSchedule);
    QVERIFY(!rig.run_until(
        [&] { return rig.remote.call_state() != DialoutCall::kWaitCall && rig.acq.clock.tick_ms() > 10; },
        15LL * 24 * 3600 * 1000));
    QCOMPARE(rig.console.count("No day chosen"), 1);
    QCOMPARE(rig.calls_made(), 0);
}

void DialoutCallTest::a_clock_set_back_plans_the_next_call_on_the_new_clock() {
    RemoteRig rig;
    rig.prepare(1, 1, 1);
    rig.run_until([] { return false; }, 10);
    QCOMPARE(rig.remote.next_call_ms(), utc_seconds(2026, 12, 7, 17, 0, 0) * 1000);
    rig.acq.clock.set_wall_ms(utc_seconds(2026, 12, 6, 8, 30, 0) * 1000);
    rig.run_until([] { return false; }, 10);
    QCOMPARE(rig.remote.next_call_ms(), utc_seconds(2026, 12, 6, 9, 0, 0) * 1000);
    QCOMPARE(rig.console.count("Clock set back"), 1);
}

void DialoutCallTest::the_worker_thread_speaks_through_the_owners_thread() {
    RemoteRig rig(utc_seconds(2026, 12, 7, 16, 59, 59));
    rig.prepare(1, 1, 3);
    rig.modem.with_modem([](SimModem& m) { m.set_connect_delay_ms(100); });
    const Qt::HANDLE owner = QThread::currentThreadId();
    bool elsewhere = false;
    QObject::connect(&rig.remote, &remotelogger_core::end_of_log,
                     [&] { elsewhere |= QThread::currentThreadId() != owner; });
    rig.remote.start();
    QElapsedTimer real;
    real.start();
    while (rig.records_added < 2 && real.elapsed() < 60000) {
        rig.acq.clock.advance(1);
        rig.port.wake();
        // Virtual time must not run away from the worker, or its waits for answers end: the next
        // millisecond comes once it waits again.
        QVERIFY(thread_state::wait_until_others_asleep());
        QCoreApplication::processEvents();
    }
    rig.remote.shut_down();
    QCOMPARE(rig.records_added, 2);
    QVERIFY(!elsewhere);
    QVERIFY(rig.console.contains("Connecting..\r\n"));
}

QTEST_GUILESS_MAIN(DialoutCallTest)
#include "tst_dialout_call.moc"
