// The publishing settings file, the password file and the JSON form of a record.

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>
#include <limits>

#include "publish/publish_settings.h"
#include "publish/record_json.h"

#ifndef Q_OS_WIN
#include <sys/stat.h>
#endif

namespace {

QDateTime at_offset(int offset_seconds) {
    return QDateTime(QDate(2026, 12, 10), QTime(2, 14, 5), Qt::OffsetFromUTC, offset_seconds);
}

void write_file(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

}  // namespace

class PublishPiecesTest : public QObject {
    Q_OBJECT
  private slots:
    void everySettingSurvivesAWriteAndARead();
    void aMissingFileLeavesPublishingOff();
    void aValueOutOfRangeIsSaidAndTheDefaultUsed_data();
    void aValueOutOfRangeIsSaidAndTheDefaultUsed();
    void thePasswordIsTheFirstLineOfItsFile_data();
    void thePasswordIsTheFirstLineOfItsFile();
    void aPasswordFileThatIsNoRegularFileIsRefused();
    void aRecordIsOneObjectWithTheContractsKeysInOrder();
    void numbersAreShortLocaleFreeAndNullWhenNotFinite_data();
    void numbersAreShortLocaleFreeAndNullWhenNotFinite();
    void textsAreEscaped_data();
    void textsAreEscaped();
    void theTimeCarriesItsUtcOffset_data();
    void theTimeCarriesItsUtcOffset();
};

void PublishPiecesTest::everySettingSurvivesAWriteAndARead() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("publish.xml"));
    PublishSettings s;
    s.enabled = true;
    s.host = QStringLiteral("broker.example.org");
    s.port = 8883;
    s.topic = QStringLiteral("hydro/river/ST7");
    s.station = QStringLiteral("ST7 \"Bridge\" <north>");
    s.qos = 0;
    s.username = QStringLiteral("st7");
    s.password_file = QStringLiteral("/etc/veld/st7.pw");
    s.ca_file = QStringLiteral("/etc/veld/ca.crt");
    s.outbox_limit_mb = 20;
    QVERIFY(write_publish_settings(path, s));
    PublishSettings read;
    QCOMPARE(read_publish_settings(path, read), QStringList());
    QVERIFY(read == s);

    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray text = f.readAll();
    QVERIFY(text.contains("<!DOCTYPE Config>"));
    QVERIFY(!text.contains("password=\""));
}

void PublishPiecesTest::aMissingFileLeavesPublishingOff() {
    QTemporaryDir dir;
    PublishSettings s;
    QCOMPARE(read_publish_settings(dir.filePath(QStringLiteral("publish.xml")), s), QStringList());
    QVERIFY(s == PublishSettings());
    QVERIFY(!s.enabled);
    QCOMPARE(s.outbox_limit_mb, 100);
}

void PublishPiecesTest::aValueOutOfRangeIsSaidAndTheDefaultUsed_data() {
    QTest::addColumn<QByteArray>("attribute");
    QTest::addColumn<QString>("said");
    QTest::newRow("port 0") << QByteArray("port=\"0\"")
                            << "Config/publish.xml: port=\"0\" is not 1 to 65535: using 1883";
    QTest::newRow("port 70000") << QByteArray("port=\"70000\"")
                                << "Config/publish.xml: port=\"70000\" is not 1 to 65535: using 1883";
    QTest::newRow("port text") << QByteArray("port=\"mqtt\"")
                               << "Config/publish.xml: port=\"mqtt\" is not 1 to 65535: using 1883";
    QTest::newRow("qos 2") << QByteArray("qos=\"2\"")
                           << "Config/publish.xml: qos=\"2\" is not 0 to 1: using 1";
    QTest::newRow("outbox 0") << QByteArray("outbox_limit_mb=\"0\"")
                              << "Config/publish.xml: outbox_limit_mb=\"0\" is not 1 to 1048576: using 100";
}

void PublishPiecesTest::aValueOutOfRangeIsSaidAndTheDefaultUsed() {
    QFETCH(QByteArray, attribute);
    QFETCH(QString, said);
    QTemporaryDir dir;
    QDir().mkpath(dir.filePath(QStringLiteral("Config")));
    const QString path = dir.filePath(QStringLiteral("Config/publish.xml"));
    write_file(path, "<!DOCTYPE Config>\n<publish enabled=\"1\" " + attribute + "/>\n");
    PublishSettings s;
    QCOMPARE(read_publish_settings(path, s), QStringList{said});
    PublishSettings expected;
    expected.enabled = true;
    QVERIFY(s == expected);
}

void PublishPiecesTest::thePasswordIsTheFirstLineOfItsFile_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("line end") << QByteArray("s3cret\n");
    QTest::newRow("windows line end") << QByteArray("s3cret\r\nsecond line\r\n");
    QTest::newRow("no line end") << QByteArray("s3cret");
}

void PublishPiecesTest::thePasswordIsTheFirstLineOfItsFile() {
    QFETCH(QByteArray, content);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("pw"));
    write_file(path, content);
    const PasswordRead read = read_password_file(path);
    QVERIFY(read.read);
    QCOMPARE(read.password, QStringLiteral("s3cret"));
    QVERIFY(!read_password_file(dir.filePath(QStringLiteral("none"))).read);
}

void PublishPiecesTest::aPasswordFileThatIsNoRegularFileIsRefused() {
#ifdef Q_OS_WIN
    QSKIP("no FIFOs here");
#else
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("pw"));
    QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    const PasswordRead read = read_password_file(path);
    QVERIFY(!read.read);
    QCOMPARE(read.reason, QStringLiteral("not a regular file (a FIFO)"));
#endif
}

void PublishPiecesTest::aRecordIsOneObjectWithTheContractsKeysInOrder() {
    PublishedRecord r;
    r.record = 17;
    r.time = at_offset(3600);
    r.values = {{QStringLiteral("AirTemp"), QStringLiteral("degC"), 21.5f},
                {QStringLiteral("RelHum"), QStringLiteral("%"), std::nan("")}};
    QCOMPARE(record_json(r, QStringLiteral("ST1"), 1234),
             QByteArray(
                 "{\"station\": \"ST1\", \"seq\": 1234, \"time\": \"2026-12-10T02:14:05+01:00\", \"record\": "
                 "17, \"values\": {\"AirTemp\": 21.5, \"RelHum\": null}, \"units\": {\"AirTemp\": \"degC\", "
                 "\"RelHum\": \"%\"}}"));
    r.values.clear();
    QCOMPARE(
        record_json(r, QStringLiteral("ST1"), 1),
        QByteArray(
            "{\"station\": \"ST1\", \"seq\": 1, \"time\": \"2026-12-10T02:14:05+01:00\", \"record\": 17, "
            "\"values\": {}, \"units\": {}}"));
}

void PublishPiecesTest::numbersAreShortLocaleFreeAndNullWhenNotFinite_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QByteArray>("json");
    QTest::newRow("float 21.5") << double(21.5f) << QByteArray("21.5");
    QTest::newRow("float 0.1") << double(0.1f) << QByteArray("0.1");
    QTest::newRow("float 1013.25") << double(1013.25f) << QByteArray("1013.25");
    QTest::newRow("negative") << double(-3.75f) << QByteArray("-3.75");
    QTest::newRow("whole") << 100.0 << QByteArray("100");
    QTest::newRow("double 0.1") << 0.1 << QByteArray("0.1");
    QTest::newRow("large") << 1e20 << QByteArray("1e+20");
    QTest::newRow("nan") << std::nan("") << QByteArray("null");
    QTest::newRow("inf") << std::numeric_limits<double>::infinity() << QByteArray("null");
    QTest::newRow("-inf") << -std::numeric_limits<double>::infinity() << QByteArray("null");
}

void PublishPiecesTest::numbersAreShortLocaleFreeAndNullWhenNotFinite() {
    QFETCH(double, value);
    QFETCH(QByteArray, json);
    QCOMPARE(json_number(value), json);
}

void PublishPiecesTest::textsAreEscaped_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("json");
    QTest::newRow("plain") << QStringLiteral("AirTemp") << QByteArray("\"AirTemp\"");
    QTest::newRow("quote and backslash") << QStringLiteral("a\"b\\c") << QByteArray("\"a\\\"b\\\\c\"");
    QTest::newRow("controls") << QStringLiteral("a\nb\tc\rd") + QChar(1)
                              << QByteArray("\"a\\nb\\tc\\rd\\u0001\"");
    QTest::newRow("unicode") << QStringLiteral("°C µS/cm")
                             << QByteArray(
                                    "\"\xC2\xB0"
                                    "C \xC2\xB5S/cm\"");
}

void PublishPiecesTest::textsAreEscaped() {
    QFETCH(QString, text);
    QFETCH(QByteArray, json);
    QCOMPARE(json_string(text), json);
}

void PublishPiecesTest::theTimeCarriesItsUtcOffset_data() {
    QTest::addColumn<int>("offset");
    QTest::addColumn<QByteArray>("iso");
    QTest::newRow("CET") << 3600 << QByteArray("2026-12-10T02:14:05+01:00");
    QTest::newRow("UTC") << 0 << QByteArray("2026-12-10T02:14:05+00:00");
    QTest::newRow("Newfoundland") << -(3 * 3600 + 1800) << QByteArray("2026-12-10T02:14:05-03:30");
    QTest::newRow("Nepal") << 5 * 3600 + 45 * 60 << QByteArray("2026-12-10T02:14:05+05:45");
}

void PublishPiecesTest::theTimeCarriesItsUtcOffset() {
    QFETCH(int, offset);
    QFETCH(QByteArray, iso);
    QCOMPARE(iso_time_with_offset(at_offset(offset)), iso);
}

QTEST_GUILESS_MAIN(PublishPiecesTest)
#include "tst_publish_pieces.moc"
