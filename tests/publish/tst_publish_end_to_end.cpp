// veld-logger publishing as a station does in the field: the simulator on a pty, a workspace with
// Config/publish.xml, a real mosquitto on 127.0.0.1 and a subscriber; what the subscriber gets is
// held against the CSV log's lines.
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>
#include <csignal>
#include <map>

#include "core/sim_process.h"
#include "test_broker.h"

namespace {

const QByteArray kSensor =
    "[sensor]\naddress = 0\nid = 13VELDINSTTH100 100SN0001\nm_seconds = 0\n"
    "values = 21.50 45.2\n";
const QString kTopic = QStringLiteral("veld/E2E");
const QString kRecords = QStringLiteral("veld/E2E/records");
const QString kStatus = QStringLiteral("veld/E2E/status");
// A zone one hour east of UTC without any zone database: the records say "+01:00".
const QString kZone = QStringLiteral("XST-1");

// A station's workspace under a temporary USERPROFILE, the way veld-logger finds it, publishing
// to the test's broker as station "E2E".
struct Station {
    explicit Station(int broker_port) {
        root = home.path() + QStringLiteral("/Documents/Veld/");
        for (const char* sub : {"Config", "Devices", "LOG", "Import"})
            QDir().mkpath(root + QLatin1String(sub));
        write(QStringLiteral("Config/publish.xml"),
              "<!DOCTYPE Config>\n<publish enabled=\"1\" host=\"127.0.0.1\" port=\"" +
                  QByteArray::number(broker_port) + "\" topic=\"veld/E2E\" station=\"E2E\" qos=\"1\"/>\n");
    }
    // Bus logging of one sensor every second: D and E from the sensor (D named, E not), F never
    // measured, G a formula.
    void log_the_bus() {
        write(QStringLiteral("Config/config.xml"),
              "<!DOCTYPE CoreConfig>\n<main>\n <config PortNo=\"2\" LogInterval=\"1\" Filename=\"field.csv\" "
              "CommMode=\"0\"/>\n <device addr=\"0\" id=\"0I!013VELDINSTTH100 100SN0001\" config=\"th.xml\" "
              "start=\"D\"/>\n</main>\n");
        write(QStringLiteral("Devices/th.xml"),
              "<device><main description=\"TH\" cells=\"2\"/><log cell=\"0\" title=\"T\" cmd=\"aM!\"/>"
              "<log title=\"RH\"/><log cmd=\"aD0!\"/></device>");
        write(QStringLiteral("Config/varlist.xml"),
              "<!DOCTYPE Config>\n<config>\n <var col=\"D\" name=\"Air\" units=\"C\"/>\n"
              " <var col=\"G\" name=\"AirF\" formula=\"=D*1.8+32\"/>\n</config>\n");
    }
    // "File Remote": the data files of Import/ are taken into the log.
    void import_files() {
        write(
            QStringLiteral("Config/config.xml"),
            "<!DOCTYPE CoreConfig>\n<main>\n <config PortNo=\"2\" LogInterval=\"60\" Filename=\"field.csv\" "
            "CommMode=\"3\"/>\n</main>\n");
        write(QStringLiteral("Config/varlist.xml"),
              "<!DOCTYPE Config>\n<config>\n <var col=\"D\" name=\"Air\" units=\"C\"/>\n"
              " <var col=\"E\" name=\"AirF\" formula=\"=D*2+1\"/>\n</config>\n");
        write(QStringLiteral("Config/fileio.xml"),
              "<!DOCTYPE Config>\n<main>\n <config name=\"imp_en\" type=\"string\" value=\"1\"/>\n</main>\n");
    }
    void write(const QString& name, const QByteArray& text) const {
        QFile f(root + name);
        if (!f.open(QIODevice::WriteOnly) || f.write(text) != text.size()) qFatal("cannot write a test file");
    }
    // The lines of the log: headers (one at the start of each run) and records.
    QList<QByteArray> log_lines() const {
        QFile f(root + QStringLiteral("LOG/field.csv"));
        if (!f.open(QIODevice::ReadOnly)) return {};
        QList<QByteArray> lines = f.readAll().split('\n');
        lines.removeAll(QByteArray());
        return lines;
    }
    QList<QByteArray> record_lines() const {
        QList<QByteArray> records;
        for (const QByteArray& line : log_lines())
            if (!line.startsWith("Record,")) records << line;
        return records;
    }
    void start(QProcess& logger) const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("USERPROFILE"), home.path());
        env.insert(QStringLiteral("TZ"), kZone);
        logger.setProcessEnvironment(env);
        logger.setProcessChannelMode(QProcess::MergedChannels);
        logger.start(qEnvironmentVariable("VELD_LOGGER"), {QStringLiteral("log")});
    }

    QTemporaryDir home;
    QString root;
};

// What veld-logger prints, collected as it comes.
// Thread: the test's; text arrives while the event loop runs.
struct Console {
    explicit Console(QProcess& p) : process(p) {
        QObject::connect(&process, &QProcess::readyRead, [this] { text += process.readAll(); });
    }
    bool says(const QByteArray& words, int timeout_ms = 30000) {
        return QTest::qWaitFor([&] { return text.contains(words); }, timeout_ms);
    }
    QProcess& process;
    QByteArray text;
};

// Ends veld-logger as a user's Ctrl+C does.
void terminate(QProcess& p) {
    ::kill(pid_t(p.processId()), SIGTERM);
    if (!p.waitForFinished(30000)) {
        p.kill();
        p.waitForFinished();
    }
}

QJsonObject json_of(const QByteArray& payload) {
    return QJsonDocument::fromJson(payload).object();
}

// The published records by seq, each first time it came; false when a new seq skipped one.
bool deduped_in_order(const QList<QByteArray>& payloads, std::map<qint64, QByteArray>& by_seq) {
    qint64 highest = by_seq.empty() ? 0 : by_seq.rbegin()->first;
    for (const QByteArray& p : payloads) {
        const qint64 seq = qint64(json_of(p).value(QStringLiteral("seq")).toDouble());
        if (seq <= highest) continue;  // a repeat after a reconnect
        if (seq != highest + 1) return false;
        by_seq[seq] = p;
        highest = seq;
    }
    return true;
}

// The column letters of a zero-based column: 3 is "D".
QString letters(int column) {
    QString text;
    for (int n = column + 1; n > 0; n = (n - 1) / 26) text.prepend(QChar('A' + (n - 1) % 26));
    return text;
}

const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// Holds one published record against its log line and the header above it: the record number,
// the time (the log's "10 Dec 2026, 09:00:05" is the local part of the published time) and
// every value under its column's name. Empty when they agree, else what differs.
QString differences(const QByteArray& payload, const QByteArray& header, const QByteArray& line, bool cycle,
                    const QString& offset) {
    const QJsonObject o = json_of(payload);
    const QList<QByteArray> names = header.split(',');
    const QList<QByteArray> fields = line.split(',');
    QString said;
    if (o.value(QStringLiteral("record")).toInt(-1) != fields[0].toInt())
        said += QStringLiteral("record %1 for line %2; ")
                    .arg(o.value(QStringLiteral("record")).toInt())
                    .arg(QString::fromUtf8(line));
    const QDateTime time = QDateTime::fromString(o.value(QStringLiteral("time")).toString(), Qt::ISODate);
    const QString stamp = o.value(QStringLiteral("time")).toString();
    if (!stamp.endsWith(offset) || !time.isValid()) said += QStringLiteral("time %1; ").arg(stamp);
    const QDateTime local = time.toOffsetFromUtc(time.offsetFromUtc());
    const QString expected = cycle ? QStringLiteral("%1 %2 %3, %4")
                                         .arg(local.date().day())
                                         .arg(QLatin1String(kMonths[local.date().month() - 1]))
                                         .arg(local.date().year())
                                         .arg(local.time().toString(QStringLiteral("HH:mm:ss")))
                                   : local.toString(QStringLiteral("yyyy-MM-dd,HH:mm:ss"));
    if (QString::fromUtf8(fields[1] + ',' + fields[2]).trimmed() != expected)
        said += QStringLiteral("time %1 for line %2; ").arg(stamp, QString::fromUtf8(line));
    const QJsonObject values = o.value(QStringLiteral("values")).toObject();
    const QJsonObject units = o.value(QStringLiteral("units")).toObject();
    if (values.size() != fields.size() - 3 || units.size() != values.size())
        said += QStringLiteral("%1 values for line %2; ").arg(values.size()).arg(QString::fromUtf8(line));
    for (int i = 3; i < fields.size(); ++i) {
        const QString name =
            i < names.size() && !names[i].isEmpty() ? QString::fromUtf8(names[i]) : letters(i);
        const QByteArray text = fields[i].trimmed();
        const QJsonValue v = values.value(name);
        const bool same = text == "nan" ? v.isNull() : v.isDouble() && float(v.toDouble()) == text.toFloat();
        if (!same || !units.contains(name))
            said += QStringLiteral("%1 is %2 in the log; ").arg(name, QString::fromUtf8(text));
    }
    return said;
}

}  // namespace

class PublishEndToEndTest : public QObject {
    Q_OBJECT
  private slots:
    void init();
    void everyLogLineArrivesOnceWithTheContractAndTheStationSaysOnline();
    void killedWithABacklogLosesNothingWhenBrokerAndLoggerAreBack();
    void importedRecordsArriveWithTheirOwnNumberAndTime();
    void caFileThatCannotBeOpenedIsSaidWithItsReason();
};

void PublishEndToEndTest::init() {
    if (!TestBroker::installed()) QSKIP("no mosquitto broker on this machine");
}

void PublishEndToEndTest::everyLogLineArrivesOnceWithTheContractAndTheStationSaysOnline() {
    TestBroker broker;
    QVERIFY(broker.start());
    TestSubscriber watch(broker, kTopic + QStringLiteral("/#"));
    QVERIFY(watch.ready(kTopic + QStringLiteral("/probe")));
    Station station(broker.port());
    station.log_the_bus();
    SimProcess sim;
    QVERIFY(sim.start(station.root, kSensor));

    QProcess logger;
    Console console(logger);
    station.start(logger);
    QVERIFY(console.says("Publishing: connected to 127.0.0.1:" + QByteArray::number(broker.port()) + ", "));
    QTRY_VERIFY_WITH_TIMEOUT(watch.on(kRecords).size() >= 3, 30000);
    // A station coming later still learns that this one is there.
    TestSubscriber later(broker, kStatus);
    QTRY_COMPARE_WITH_TIMEOUT(later.on(kStatus), QList<QByteArray>{"online"}, 10000);
    terminate(logger);
    QTRY_VERIFY_WITH_TIMEOUT(watch.on(kStatus).endsWith("offline"), 10000);

    const QList<QByteArray> lines = station.log_lines();
    const QList<QByteArray> records = station.record_lines();
    QVERIFY(lines.size() >= 4 && lines[0].startsWith("Record,Date,Time,Air,,,AirF,"));
    // A clean stop sends what it wrote: one message a line, in the log's order.
    QTRY_COMPARE_WITH_TIMEOUT(watch.on(kRecords).size(), records.size(), 10000);
    const QList<QByteArray> published = watch.on(kRecords);
    for (int i = 0; i < records.size(); ++i) {
        const QByteArray& p = published[i];
        QVERIFY2(
            p.startsWith("{\"station\": \"E2E\", \"seq\": " + QByteArray::number(i + 1) + ", \"time\": \""),
            p.constData());
        QVERIFY2(p.contains("\"values\": {\"Air\": 21.5, \"E\": 45.2, \"F\": null, \"AirF\": 70.7}, "
                            "\"units\": {\"Air\": \"C\", \"E\": \"\", \"F\": \"\", \"AirF\": \"\"}}"),
                 p.constData());
        const QString said = differences(p, lines[0], records[i], true, QStringLiteral("+01:00"));
        QVERIFY2(said.isEmpty(), qPrintable(said));
    }
}

void PublishEndToEndTest::killedWithABacklogLosesNothingWhenBrokerAndLoggerAreBack() {
    TestBroker broker;
    QVERIFY(broker.start());
    // A collector with a session of its own: what comes while it is away waits for it at the broker.
    TestSubscriber watch(broker, kRecords, QStringLiteral("e2e-collector"));
    QVERIFY(watch.ready(kRecords));
    const int probes = watch.on(kRecords).size();
    Station station(broker.port());
    station.log_the_bus();
    SimProcess sim;
    QVERIFY(sim.start(station.root, kSensor));

    {
        QProcess logger;
        Console console(logger);
        station.start(logger);
        QTRY_VERIFY_WITH_TIMEOUT(watch.on(kRecords).size() >= probes + 2, 30000);
        broker.stop();
        QVERIFY2(console.says("; records wait in the outbox"), console.text.constData());
        const int written = station.record_lines().size();
        QTRY_VERIFY_WITH_TIMEOUT(station.record_lines().size() >= written + 3, 30000);
        ::kill(pid_t(logger.processId()), SIGKILL);
        QVERIFY(logger.waitForFinished(10000));
    }
    const QList<QByteArray> before = station.record_lines();

    QVERIFY(broker.start());
    QProcess logger;
    Console console(logger);
    station.start(logger);
    QVERIFY2(console.says("Publishing: connected to "), console.text.constData());
    // The backlog goes first: at least the three records written while the broker was away.
    const int count_at = console.text.indexOf(", ", console.text.indexOf("Publishing: connected to ")) + 2;
    const int backlog = console.text.mid(count_at, console.text.indexOf(' ', count_at) - count_at).toInt();
    QVERIFY2(backlog >= 3, console.text.constData());
    // Everything written before the kill, and a live record after it.
    std::map<qint64, QByteArray> by_seq;
    QTRY_VERIFY_WITH_TIMEOUT((by_seq.clear(), deduped_in_order(watch.on(kRecords).mid(probes), by_seq)) &&
                                 int(by_seq.size()) > before.size(),
                             60000);
    terminate(logger);
    QTRY_VERIFY_WITH_TIMEOUT((by_seq.clear(), deduped_in_order(watch.on(kRecords).mid(probes), by_seq)) &&
                                 int(by_seq.size()) == station.record_lines().size(),
                             10000);

    const QList<QByteArray> lines = station.log_lines();
    QByteArray header;
    auto seq = by_seq.begin();
    for (const QByteArray& line : lines) {
        if (line.startsWith("Record,")) {
            header = line;
            continue;
        }
        const QString said = differences(seq->second, header, line, true, QStringLiteral("+01:00"));
        QVERIFY2(said.isEmpty(), qPrintable(said));
        ++seq;
    }
}

void PublishEndToEndTest::importedRecordsArriveWithTheirOwnNumberAndTime() {
    TestBroker broker;
    QVERIFY(broker.start());
    TestSubscriber watch(broker, kRecords);
    QVERIFY(watch.ready(kRecords));
    const int probes = watch.on(kRecords).size();
    Station station(broker.port());
    station.import_files();
    station.write(QStringLiteral("Import/remote.csv"),
                  "Record,Date,Time,Air\n17,2026-12-07,10:00:00,20.0\n18,2026-12-07,10:10:00,nan\n");

    QProcess logger;
    Console console(logger);
    station.start(logger);
    QTRY_VERIFY_WITH_TIMEOUT(watch.on(kRecords).size() >= probes + 2, 30000);
    terminate(logger);

    const QList<QByteArray> published = watch.on(kRecords).mid(probes);
    QCOMPARE(published.size(), 2);
    // The import writes the log's full width: the columns past the file's are null, as in the log.
    QVERIFY2(
        published[0].startsWith("{\"station\": \"E2E\", \"seq\": 1, \"time\": \"2026-12-07T10:00:00+01:00\", "
                                "\"record\": 17, \"values\": {\"Air\": 20, \"AirF\": 41, \"F\": null, "),
        published[0].constData());
    QVERIFY2(
        published[1].startsWith("{\"station\": \"E2E\", \"seq\": 2, \"time\": \"2026-12-07T10:10:00+01:00\", "
                                "\"record\": 18, \"values\": {\"Air\": null, \"AirF\": null, "),
        published[1].constData());
    const QList<QByteArray> lines = station.log_lines();
    QCOMPARE(lines.size(), 3);
    for (int i = 0; i < 2; ++i) {
        const QString said =
            differences(published[i], lines[0], lines[i + 1], false, QStringLiteral("+01:00"));
        QVERIFY2(said.isEmpty(), qPrintable(said));
    }
}

void PublishEndToEndTest::caFileThatCannotBeOpenedIsSaidWithItsReason() {
    Station station(1883);
    station.import_files();
    const QString ca = station.root + QStringLiteral("no-such-ca.crt");
    station.write(QStringLiteral("Config/publish.xml"),
                  "<!DOCTYPE Config>\n<publish enabled=\"1\" ca_file=\"" + ca.toUtf8() + "\"/>\n");
    QProcess logger;
    Console console(logger);
    station.start(logger);
    const QByteArray said = "Publishing: CA file " + ca.toUtf8() +
                            " cannot be used (No such file or directory); records wait in the outbox\n";
    QVERIFY2(console.says(said), console.text.constData());
    terminate(logger);
}

QTEST_GUILESS_MAIN(PublishEndToEndTest)
#include "tst_publish_end_to_end.moc"
