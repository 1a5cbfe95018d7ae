// The publisher against a real mosquitto broker on 127.0.0.1: the records and status as
// subscribers see them, a broker away and back, a publisher torn down with a backlog, TLS,
// a refused password and the outbox bound. The machine is stepped on the test's thread in
// virtual time (a wait for the next try jumps), except where the publisher's own thread runs.

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>
#include <memory>
#include <mutex>

#include "link/clock.h"
#include "publish/publisher.h"
#include "test_broker.h"

#ifndef Q_OS_WIN
#include <signal.h>
#endif

namespace {

const QString kRecords = QStringLiteral("veld/ST1/records");
const QString kStatus = QStringLiteral("veld/ST1/status");
const QString kProbe = QStringLiteral("veld/probe");

PublishedRecord record(int number, double air = 21.5) {
    PublishedRecord r;
    r.record = number;
    r.time = QDateTime(QDate(2026, 12, 10), QTime(2, 14, 5), Qt::OffsetFromUTC, 3600);
    r.values = {{QStringLiteral("AirTemp"), QStringLiteral("degC"), air},
                {QStringLiteral("RelHum"), QStringLiteral("%"), std::nan("")}};
    return r;
}

PublishSettings settings_for(int port) {
    PublishSettings s;
    s.enabled = true;
    s.port = port;
    return s;
}

// The numbers of the records a subscriber saw.
QList<qint64> seqs_of(const QList<QByteArray>& payloads) {
    QList<qint64> seqs;
    for (const QByteArray& p : payloads) {
        const int at = p.indexOf("\"seq\": ");
        seqs << (at < 0 ? -1 : p.mid(at + 7, p.indexOf(',', at) - at - 7).toLongLong());
    }
    return seqs;
}

// Whether the numbers, repeats left out, run 1, 2, 3 ... `last` without a gap or a step back.
bool in_order_without_gap(const QList<qint64>& seqs, qint64 last) {
    qint64 highest = 0;
    for (const qint64 s : seqs) {
        if (s <= highest) continue;  // a repeat after a reconnect
        if (s != highest + 1) return false;
        highest = s;
    }
    return highest == last;
}

// A publisher on a temporary outbox in virtual time, with its console lines.
// Thread: the test's (the printer may also be called from the publisher's thread).
struct PublisherRig {
    explicit PublisherRig(const PublishSettings& settings) { make(settings); }

    void make(const PublishSettings& settings, QString outbox = QString()) {
        if (outbox.isEmpty()) outbox = dir.filePath(QStringLiteral("Outbox"));
        publisher.reset();
        publisher = std::make_unique<Publisher>(settings, outbox, clock, [this](const QString& line) {
            std::lock_guard<std::mutex> lock(mutex);
            lines << line;
        });
    }
    QStringList console() {
        std::lock_guard<std::mutex> lock(mutex);
        return lines;
    }

    // Steps until `done`; a wait for the next connection attempt passes in virtual time at once.
    bool run_until(const std::function<bool()>& done, bool jump_retries = true, int real_ms = 60000) {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < real_ms) {
            if (done()) return true;
            const int budget = publisher->step();
            if (done()) return true;
            if (jump_retries && publisher->waiting_for_retry())
                clock.advance(std::max(budget, 1));
            else
                publisher->wait(std::min(budget, 20));
            QCoreApplication::processEvents();
        }
        return done();
    }

    QTemporaryDir dir;
    ManualClock clock{1796889600000};
    std::mutex mutex;
    QStringList lines;
    std::unique_ptr<Publisher> publisher;
};

}  // namespace

class PublisherBrokerTest : public QObject {
    Q_OBJECT
  private slots:
    void init();
    void recordsArriveWithTheContractAndTheStatusFollowsTheConnection();
    void aStoppedPublisherSaysOfflineAndSendsNoMore();
    void newSettingsEndTheConnectionCleanlyAndPublishUnderTheNewTopic();
    void aBrokerAwayFifteenSecondsLosesNothingAndKeepsTheOrder();
    void aPublisherTornDownWithABacklogLeavesEveryRecordForTheNext();
    void aKilledPublisherLosesNoRecordItHadTaken();
    void recordsGoOverTlsCheckedAgainstTheCa();
    void aRefusedPasswordIsSaidOnceAndTriedAgainLessAndLessOften();
    void pastTheOutboxLimitTheOldestAreDroppedAndCounted();
};

void PublisherBrokerTest::init() {
    if (!TestBroker::installed())
        QSKIP("/usr/sbin/mosquitto is not installed (scripts/install-deps installs it)");
}

void PublisherBrokerTest::recordsArriveWithTheContractAndTheStatusFollowsTheConnection() {
    TestBroker broker;
    QVERIFY(broker.start());
    TestSubscriber sub(broker, QStringLiteral("veld/#"));
    QVERIFY(sub.ready(kProbe));
    PublisherRig rig(settings_for(broker.port()));
    rig.publisher->enqueue(record(17));
    PublishedRecord second = record(18, std::numeric_limits<double>::infinity());
    second.values.push_back({QStringLiteral("B"), QString(), 1013.25f});
    rig.publisher->enqueue(second);

    QVERIFY(rig.run_until([&] { return sub.on(kRecords).size() == 2; }));
    QCOMPARE(
        sub.on(kRecords).value(0),
        QByteArray(
            "{\"station\": \"ST1\", \"seq\": 1, \"time\": \"2026-12-10T02:14:05+01:00\", \"record\": 17, "
            "\"values\": {\"AirTemp\": 21.5, \"RelHum\": null}, \"units\": {\"AirTemp\": \"degC\", "
            "\"RelHum\": \"%\"}}"));
    QCOMPARE(
        sub.on(kRecords).value(1),
        QByteArray(
            "{\"station\": \"ST1\", \"seq\": 2, \"time\": \"2026-12-10T02:14:05+01:00\", \"record\": 18, "
            "\"values\": {\"AirTemp\": null, \"RelHum\": null, \"B\": 1013.25}, \"units\": {\"AirTemp\": "
            "\"degC\", \"RelHum\": \"%\", \"B\": \"\"}}"));
    QCOMPARE(sub.on(kStatus), QList<QByteArray>{"online"});
    QVERIFY(rig.run_until([&] { return rig.publisher->outbox_size() == 0; }));
    QCOMPARE(rig.publisher->published_count(), 2);
    QCOMPARE(
        rig.console(),
        QStringList{
            QStringLiteral("Publishing: connected to 127.0.0.1:%1, 2 records to send").arg(broker.port())});

    // "online" stays for whoever subscribes later.
    TestSubscriber late(broker, kStatus);
    QTRY_COMPARE_WITH_TIMEOUT(late.on(kStatus), QList<QByteArray>{"online"}, 20000);
    // Gone without a word (as when killed): the broker sends the last will, retained.
    rig.publisher.reset();
    QTRY_COMPARE_WITH_TIMEOUT(sub.on(kStatus).value(1), QByteArray("offline"), 20000);
    TestSubscriber after(broker, kStatus);
    QTRY_COMPARE_WITH_TIMEOUT(after.on(kStatus), QList<QByteArray>{"offline"}, 20000);
}

void PublisherBrokerTest::aStoppedPublisherSaysOfflineAndSendsNoMore() {
    TestBroker broker;
    QVERIFY(broker.start());
    TestSubscriber sub(broker, QStringLiteral("veld/#"));
    QVERIFY(sub.ready(kProbe));
    SystemClock clock;
    QStringList lines;
    std::mutex mutex;
    QTemporaryDir dir;
    Publisher publisher(settings_for(broker.port()), dir.filePath(QStringLiteral("Outbox")), clock,
                        [&](const QString& line) {
                            std::lock_guard<std::mutex> lock(mutex);
                            lines << line;
                        });
    publisher.start();
    for (int i = 1; i <= 5; ++i) publisher.enqueue(record(i));
    QTRY_COMPARE_WITH_TIMEOUT(sub.on(kRecords).size(), 5, 30000);
    QTRY_COMPARE_WITH_TIMEOUT(publisher.outbox_size(), 0, 30000);
    publisher.stop();
    QTRY_COMPARE_WITH_TIMEOUT(sub.on(kStatus), (QList<QByteArray>{"online", "offline"}), 20000);
    publisher.enqueue(record(6));
    QCOMPARE(publisher.outbox_size(), 1);
    QCOMPARE(publisher.published_count(), 5);
}

void PublisherBrokerTest::newSettingsEndTheConnectionCleanlyAndPublishUnderTheNewTopic() {
    TestBroker broker;
    QVERIFY(broker.start());
    TestSubscriber sub(broker, QStringLiteral("veld/#"));
    QVERIFY(sub.ready(kProbe));
    PublisherRig rig(settings_for(broker.port()));
    rig.publisher->enqueue(record(1));
    QVERIFY(rig.run_until([&] { return rig.publisher->outbox_size() == 0; }));
    PublishSettings moved = settings_for(broker.port());
    moved.topic = QStringLiteral("veld/ST2");
    moved.station = QStringLiteral("ST2");
    rig.publisher->apply_settings(moved);
    rig.publisher->enqueue(record(2));
    QVERIFY(rig.run_until([&] { return sub.on(QStringLiteral("veld/ST2/records")).size() == 1; }));
    QTRY_COMPARE_WITH_TIMEOUT(sub.on(kStatus), (QList<QByteArray>{"online", "offline"}), 5000);
    QCOMPARE(sub.on(QStringLiteral("veld/ST2/status")), QList<QByteArray>{"online"});
    QVERIFY(
        sub.on(QStringLiteral("veld/ST2/records")).value(0).startsWith("{\"station\": \"ST2\", \"seq\": 2,"));
    // Off: nothing more goes into the outbox.
    moved.enabled = false;
    rig.publisher->apply_settings(moved);
    QVERIFY(rig.run_until([&] { return !rig.publisher->connected(); }));
    rig.publisher->enqueue(record(3));
    QCOMPARE(rig.publisher->outbox_size(), 0);
    QTRY_COMPARE_WITH_TIMEOUT(sub.on(QStringLiteral("veld/ST2/status")),
                              (QList<QByteArray>{"online", "offline"}), 20000);
}

void PublisherBrokerTest::aBrokerAwayFifteenSecondsLosesNothingAndKeepsTheOrder() {
    TestBroker broker;
    QVERIFY(broker.start());
    // A lasting session at QoS 1: what comes while it reconnects waits for it at the broker.
    TestSubscriber sub(broker, QStringLiteral("veld/#"), QStringLiteral("veld-test-collector"));
    QVERIFY(sub.ready(kProbe));
    PublisherRig rig(settings_for(broker.port()));
    for (int i = 1; i <= 20; ++i) rig.publisher->enqueue(record(i));
    QVERIFY(
        rig.run_until([&] { return sub.on(kRecords).size() >= 20 && rig.publisher->outbox_size() == 0; }));

    broker.stop();
    QVERIFY(rig.run_until([&] { return rig.console().size() == 2; }, false));
    QVERIFY2(rig.console().value(1).startsWith(
                 QStringLiteral("Publishing: connection to 127.0.0.1:%1 lost (").arg(broker.port())),
             qPrintable(rig.console().value(1)));
    QVERIFY(rig.console().value(1).endsWith(QStringLiteral("); records wait in the outbox")));
    // Fifteen seconds away, records coming all the while; the console heard it once.
    const std::int64_t away = rig.clock.tick_ms();
    int number = 21;
    QVERIFY(rig.run_until([&] {
        if (number <= 40 && rig.clock.tick_ms() >= away + (number - 20) * 700)
            rig.publisher->enqueue(record(number++));
        return rig.clock.tick_ms() >= away + 15000 && number > 40;
    }));
    QCOMPARE(rig.publisher->outbox_size(), 20);
    QVERIFY(rig.publisher->connect_attempts() >= 4);
    QCOMPARE(rig.console().size(), 2);

    QVERIFY(broker.start());
    QVERIFY(rig.run_until(
        [&] { return rig.publisher->outbox_size() == 0 && seqs_of(sub.on(kRecords)).contains(40); }));
    QVERIFY2(in_order_without_gap(seqs_of(sub.on(kRecords)), 40),
             qPrintable(QString::number(sub.on(kRecords).size())));
    QCOMPARE(rig.console().value(2),
             QStringLiteral("Publishing: connected to 127.0.0.1:%1, 20 records to send").arg(broker.port()));
}

void PublisherBrokerTest::aPublisherTornDownWithABacklogLeavesEveryRecordForTheNext() {
    TestBroker broker;
    QVERIFY(broker.start());
    TestSubscriber sub(broker, QStringLiteral("veld/#"));
    QVERIFY(sub.ready(kProbe));
    PublisherRig rig(settings_for(broker.port()));
    std::vector<PublishedRecord> backlog;
    for (int i = 1; i <= 3000; ++i) backlog.push_back(record(i));
    rig.publisher->enqueue(backlog);
    QVERIFY(rig.run_until([&] { return rig.publisher->published_count() >= 500; }));
    QVERIFY(rig.publisher->outbox_size() > 0);
    // Torn down in the middle: no stop, records on their way and not acknowledged.
    rig.make(settings_for(broker.port()));
    QVERIFY(rig.publisher->outbox_size() > 0);
    QVERIFY(rig.run_until([&] { return rig.publisher->outbox_size() == 0; }));
    QTRY_VERIFY_WITH_TIMEOUT(seqs_of(sub.on(kRecords)).contains(3000), 30000);
    QVERIFY(in_order_without_gap(seqs_of(sub.on(kRecords)), 3000));
}

void PublisherBrokerTest::aKilledPublisherLosesNoRecordItHadTaken() {
    const QString child = qEnvironmentVariable("VELD_PUBLISH_CHILD");
    if (child.isEmpty())
        QSKIP("VELD_PUBLISH_CHILD does not name the publishing child program (CTest sets it)");
    TestBroker broker;
    QVERIFY(broker.start());
    TestSubscriber sub(broker, QStringLiteral("veld/#"));
    QVERIFY(sub.ready(kProbe));
    QTemporaryDir dir;
    const QString outbox = dir.filePath(QStringLiteral("Outbox"));
    QProcess station;
    int appended = 0;
    const auto take_output = [&] {
        for (const QByteArray& line : station.readAllStandardOutput().split('\n'))
            if (line.startsWith("appended ")) appended = line.mid(9).toInt();
    };
    station.start(child, {outbox, QString::number(broker.port()), QStringLiteral("600")});
    QVERIFY(station.waitForStarted(10000));
    QVERIFY(QTest::qWaitFor(
        [&] {
            take_output();
            return appended >= 200 && !sub.on(kRecords).isEmpty();
        },
        60000));
    ::kill(pid_t(station.processId()), SIGKILL);
    QVERIFY(station.waitForFinished(10000));
    take_output();
    // Gone without a word: the broker says so with the last will.
    QTRY_VERIFY_WITH_TIMEOUT(sub.on(kStatus).contains("offline"), 20000);

    // The next start on the same outbox sends what the killed one had not.
    PublisherRig rig(settings_for(broker.port()));
    rig.make(settings_for(broker.port()), outbox);
    QVERIFY(rig.run_until([&] { return rig.publisher->outbox_size() == 0; }));
    QTRY_VERIFY_WITH_TIMEOUT(seqs_of(sub.on(kRecords)).contains(appended), 30000);
    const QList<qint64> seen = seqs_of(sub.on(kRecords));
    QVERIFY(in_order_without_gap(seen, *std::max_element(seen.begin(), seen.end())));
}

void PublisherBrokerTest::recordsGoOverTlsCheckedAgainstTheCa() {
    TestBroker broker({QString(), QString(), true});
    QVERIFY(broker.start());
    TestSubscriber sub(broker, QStringLiteral("veld/#"), QString(),
                       {QStringLiteral("--cafile"), broker.ca_file()});
    QVERIFY(sub.ready(kProbe));
    PublishSettings s = settings_for(broker.port());
    s.ca_file = broker.ca_file();
    PublisherRig rig(s);
    rig.publisher->enqueue(record(1));
    QVERIFY(rig.run_until([&] { return sub.on(kRecords).size() == 1 && rig.publisher->outbox_size() == 0; }));
    QCOMPARE(seqs_of(sub.on(kRecords)), QList<qint64>{1});
}

void PublisherBrokerTest::aRefusedPasswordIsSaidOnceAndTriedAgainLessAndLessOften() {
    TestBroker broker({QStringLiteral("st1"), QStringLiteral("right"), false});
    QVERIFY(broker.start());
    PublishSettings s = settings_for(broker.port());
    s.username = QStringLiteral("st1");
    PublisherRig rig(s);
    s.password_file = rig.dir.filePath(QStringLiteral("st1.pw"));
    const auto write_password = [&](const QByteArray& password) {
        QFile f(s.password_file);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(password + '\n');
    };
    write_password("wrong");
    rig.make(s);
    rig.publisher->enqueue(record(1));
    const auto attempts = [&] { return rig.publisher->connect_attempts(); };
    QVERIFY(rig.run_until([&] { return attempts() == 1 && rig.publisher->waiting_for_retry(); }, false));
    const QString refused =
        QStringLiteral(
            "Publishing: broker 127.0.0.1:%1 refused the user name or password (not authorised); records "
            "wait in the outbox")
            .arg(broker.port());
    QCOMPARE(rig.console(), QStringList{refused});
    // Tried again after 1 s, then 2 s, then 4 s; said once.
    for (const int gap : {1000, 2000, 4000}) {
        const int before = attempts();
        rig.clock.advance(gap - 1);
        rig.publisher->step();
        QCOMPARE(attempts(), before);
        rig.clock.advance(1);
        QVERIFY(rig.run_until([&] { return attempts() == before + 1 && rig.publisher->waiting_for_retry(); },
                              false));
    }
    QCOMPARE(rig.console(), QStringList{refused});
    // The password put right in its file counts at the next attempt.
    write_password("right");
    QVERIFY(rig.run_until([&] { return rig.publisher->outbox_size() == 0; }));
    QCOMPARE(rig.console().value(1),
             QStringLiteral("Publishing: connected to 127.0.0.1:%1, 1 records to send").arg(broker.port()));
}

void PublisherBrokerTest::pastTheOutboxLimitTheOldestAreDroppedAndCounted() {
    TestBroker nobody;  // its port, with no broker behind it
    PublishSettings s = settings_for(nobody.port());
    s.outbox_limit_mb = 1;
    PublisherRig rig(s);
    std::vector<PublishedRecord> many;
    for (int i = 1; i <= 12000; ++i) many.push_back(record(i));
    rig.publisher->enqueue(many);
    rig.publisher->step();
    const std::int64_t dropped = 12000 - rig.publisher->outbox_size();
    QVERIFY(dropped > 0);
    QCOMPARE(rig.console(),
             (QStringList{
                 QStringLiteral("Publishing: outbox full, %1 oldest records dropped").arg(dropped),
                 QStringLiteral("Publishing: broker 127.0.0.1:%1 not reachable (Connection refused); records "
                                "wait in the outbox")
                     .arg(nobody.port())}));
}

QTEST_GUILESS_MAIN(PublisherBrokerTest)
#include "tst_publisher_broker.moc"
