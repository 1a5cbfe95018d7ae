#include <cmath>

#include <QTemporaryDir>
#include <QtTest>

#include "core/downloaded_record.h"
#include "remote/batch_plan.h"
#include "remote/call_schedule.h"
#include "remote/dialout_settings.h"
#include "variables/column_list.h"

Q_DECLARE_METATYPE(DialoutSettings)

// The pure pieces of the remote-logger download: schedule, batch planning, record lines and the
// settings file.
class RemotePieces : public QObject {
    Q_OBJECT
  private slots:
    void the_next_call_follows_the_schedule_data();
    void the_next_call_follows_the_schedule();
    void a_download_is_planned_in_batches_of_five_data();
    void a_download_is_planned_in_batches_of_five();
    void a_record_line_fills_the_columns_data();
    void a_record_line_fills_the_columns();
    void settings_survive_a_round_trip_through_the_file();
};

namespace {
DialoutSettings schedule(int type, const QString& days, QTime time0, QTime time1) {
    DialoutSettings s;
    s.type = type;
    for (int i = 0; i < 7; ++i) s.days[i] = days.at(i) == QLatin1Char('1');
    s.time0 = time0;
    s.time1 = time1;
    return s;
}
QDateTime at(int day, int h, int m) {
    return QDateTime(QDate(2026, 12, day), QTime(h, m));  // 7 December 2026 is a Monday
}
}  // namespace

void RemotePieces::the_next_call_follows_the_schedule_data() {
    QTest::addColumn<DialoutSettings>("settings");
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<QDateTime>("next");
    QTest::newRow("once daily on Mondays, asked Monday after the time")
        << schedule(DialoutSettings::kOnceDaily, "1000000", QTime(12, 0), QTime(12, 0)) << at(7, 13, 0)
        << at(14, 12, 0);
    QTest::newRow("twice daily, asked between the times")
        << schedule(DialoutSettings::kTwiceDaily, "1111111", QTime(8, 0), QTime(20, 0)) << at(7, 9, 30)
        << at(7, 20, 0);
    QTest::newRow("hourly, the next full hour")
        << schedule(DialoutSettings::kHourly, "0000000", QTime(12, 0), QTime(12, 0)) << at(7, 9, 30)
        << at(7, 10, 0);
    QTest::newRow("daily without a day, never")
        << schedule(DialoutSettings::kOnceDaily, "0000000", QTime(12, 0), QTime(12, 0)) << at(7, 9, 30)
        << QDateTime();
}

void RemotePieces::the_next_call_follows_the_schedule() {
    QFETCH(DialoutSettings, settings);
    QFETCH(QDateTime, now);
    QFETCH(QDateTime, next);
    QCOMPARE(next_call_time(settings, now), next);
}

void RemotePieces::a_download_is_planned_in_batches_of_five_data() {
    QTest::addColumn<int>("record");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");
    QTest::addColumn<QStringList>("opening");    // the first plan's messages
    QTest::addColumn<QStringList>("downloads");  // the first and the last request, and how many
    QTest::addColumn<int>("max_limit_warnings");
    QTest::newRow("a gap in the log")
        << 0 << 100 << 103 << QStringList{"LAST_LOG= 0", "WARNING - GAP IN LOGFILE"}
        << QStringList{"99 4", "99 4", "1"} << 0;
    QTest::newRow("a new installation fetches the logger's first record")
        << 0 << 1 << 7 << QStringList{"LAST_LOG= 0"} << QStringList{"0 5", "5 2", "2"} << 0;
    QTest::newRow("more than the logger keeps")
        << 10 << 1 << 9000
        << QStringList{"LAST_LOG= 10", "WARNING - LOGGER LIMIT EXCEEDED", "WARNING - MAX LIMIT EXCEEDED"}
        << QStringList{"5000 5", "8995 5", "800"} << 600;
    QTest::newRow("a logger that started again")
        << 500 << 1 << 103 << QStringList{"LAST_LOG= 500", "ERROR - RESTARTING LOG"}
        << QStringList{"0 5", "100 3", "21"} << 0;
}

void RemotePieces::a_download_is_planned_in_batches_of_five() {
    QFETCH(int, record);
    QFETCH(int, first);
    QFETCH(int, last);
    QFETCH(QStringList, opening);
    QFETCH(QStringList, downloads);
    QFETCH(int, max_limit_warnings);

    // As the call goes: plan, fetch the batch, plan again until there is nothing more.
    QStringList requests, messages;
    BatchPlan plan;
    for (int plans = 0; plans < 10000; ++plans) {
        plan = plan_batch(record, first, last);
        if (plans == 0) QCOMPARE(plan.messages, opening);
        messages += plan.messages;
        record = plan.record;
        if (plan.outcome == BatchPlan::kNoData) break;
        if (plan.outcome == BatchPlan::kDownload) {
            requests << QStringLiteral("%1 %2").arg(record).arg(plan.batch_count);
            record += plan.batch_count;
        }
    }
    QCOMPARE(plan.outcome, BatchPlan::kNoData);
    QCOMPARE(messages.last(), QStringLiteral("NO DATA"));
    QCOMPARE(record, last);
    QCOMPARE(requests.first(), downloads[0]);
    QCOMPARE(requests.last(), downloads[1]);
    QCOMPARE(requests.size(), downloads[2].toInt());
    QCOMPARE(messages.count(QStringLiteral("WARNING - MAX LIMIT EXCEEDED")), max_limit_warnings);
}

void RemotePieces::a_record_line_fills_the_columns_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("is_record");
    QTest::addColumn<QStringList>("texts");  // columns 0..3 afterwards
    const QStringList before{"n", "d", "t", "0"};
    QTest::newRow("date and time in field 1, field 2 ignored")
        << "7,2013-05-01 10:00:00,11:11:11,1.5" << true << QStringList{"7", "2013-05-01", "10:00:00", "1.5"};
    QTest::newRow("a date alone is the date")
        << "8,2013-05-01,10:00:00,2" << true << QStringList{"8", "2013-05-01", "10:00:00", "2"};
    QTest::newRow("a short line leaves its columns unmeasured")
        << "9,2013-05-01 10:00:00" << true << QStringList{"9", "2013-05-01", "10:00:00", ""};
    QTest::newRow("a field that is no number was not measured")
        << "10,,,ERR" << true << QStringList{"10", "", "", "ERR"};
    QTest::newRow("a modem message") << "RING" << false << before;
    QTest::newRow("noise") << "#~x?,,3" << false << before;
    QTest::newRow("a lost carrier") << "NO CARRIER" << false << before;
}

void RemotePieces::a_record_line_fills_the_columns() {
    QFETCH(QString, line);
    QFETCH(bool, is_record);
    QFETCH(QStringList, texts);
    ColumnList columns;
    columns.edit_all([](std::vector<column_record>& all) {
        all[0].value_text = "n";
        all[1].value_text = "d";
        all[2].value_text = "t";
        all[3].value_text = "0";
    });
    DownloadedRecord record;
    QCOMPARE(DownloadedRecord::parse(line, record), is_record);
    if (is_record) record.store(columns, 3);
    for (int i = 0; i < 4; ++i) QCOMPARE(columns.value_text(i), texts[i]);
    bool number = false;
    const double expected = texts[3].toDouble(&number);
    if (number)
        QCOMPARE(columns.value(3), expected);
    else
        QVERIFY(std::isnan(columns.value(3)));
}

void RemotePieces::settings_survive_a_round_trip_through_the_file() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("gsmdialout.xml"));
    DialoutSettings read;
    read_dialout_settings(path, read);
    QCOMPARE(read, DialoutSettings());  // no file: the defaults

    DialoutSettings written =
        schedule(DialoutSettings::kTwiceDaily, "0100011", QTime(8, 5, 9), QTime(20, 0, 1));
    written.comport = 7;
    written.columns = 12;
    written.record = 4711;
    written.dial = QStringLiteral("+49 30 1234");
    QVERIFY(write_dialout_settings(path, written));
    read_dialout_settings(path, read);
    QCOMPARE(read, written);
    QVERIFY(dialout_settings_text(written).contains("<!DOCTYPE Config>\n<config "));
}

QTEST_GUILESS_MAIN(RemotePieces)
#include "tst_remote_pieces.moc"
