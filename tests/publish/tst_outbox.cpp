// The on-disk outbox: numbering across restarts, acknowledgement, replay, torn lines, the size
// limit, and appends from several threads while the publishing side reads.

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>
#include <atomic>
#include <thread>

#include "publish/outbox.h"

namespace {

PublishedRecord record(int number) {
    PublishedRecord r;
    r.record = number;
    r.time = QDateTime(QDate(2026, 12, 10), QTime(2, 14, 5), Qt::OffsetFromUTC, 3600);
    r.values = {{QStringLiteral("AirTemp"), QStringLiteral("degC"), 21.5}};
    return r;
}

const QString kStation = QStringLiteral("ST1");
constexpr std::int64_t kLarge = 100 * 1024 * 1024;

std::vector<std::int64_t> seqs(const std::vector<OutboxEntry>& entries) {
    std::vector<std::int64_t> out;
    for (const OutboxEntry& e : entries) out.push_back(e.seq);
    return out;
}

std::vector<std::int64_t> range(std::int64_t first, std::int64_t last) {
    std::vector<std::int64_t> out;
    for (std::int64_t s = first; s <= last; ++s) out.push_back(s);
    return out;
}

QStringList segment_files(const QString& dir) {
    return QDir(dir).entryList({QStringLiteral("seg-*.log")}, QDir::Files, QDir::Name);
}

}  // namespace

class OutboxTest : public QObject {
    Q_OBJECT
  private slots:
    void numbersGoOnAcrossRestartsAndTheJsonCarriesThem();
    void whatWasNotAcknowledgedIsReadAgainAfterARestart();
    void rewindReadsAgainFromTheFirstNotAcknowledged();
    void aTornLastLineIsDroppedAndTheNumberUsedAgain_data();
    void aTornLastLineIsDroppedAndTheNumberUsedAgain();
    void acknowledgedSegmentsGoButTheNewestStays();
    void pastTheLimitTheOldestSegmentsGoAndAreCounted();
    void appendsFromSeveralThreadsWhileReadingLoseNothing();
};

void OutboxTest::numbersGoOnAcrossRestartsAndTheJsonCarriesThem() {
    QTemporaryDir dir;
    {
        Outbox box(dir.path(), kLarge);
        QCOMPARE(box.append(record(1), kStation), 1);
        QCOMPARE(box.append(record(2), kStation), 2);
    }
    Outbox box(dir.path(), kLarge);
    QCOMPARE(box.last_seq(), 2);
    QCOMPARE(box.append(record(3), kStation), 3);
    const std::vector<OutboxEntry> read = box.read_next(10);
    QCOMPARE(seqs(read), range(1, 3));
    QCOMPARE(read[2].payload, record_json(record(3), kStation, 3));
    QCOMPARE(box.size(), 3);
}

void OutboxTest::whatWasNotAcknowledgedIsReadAgainAfterARestart() {
    QTemporaryDir dir;
    {
        Outbox box(dir.path(), kLarge);
        for (int i = 1; i <= 10; ++i) box.append(record(i), kStation);
        QCOMPARE(box.read_next(10).size(), std::size_t(10));
        box.acknowledge(6);
        QCOMPARE(box.size(), 4);
    }
    Outbox box(dir.path(), kLarge);
    QCOMPARE(box.acknowledged_seq(), 6);
    QCOMPARE(seqs(box.read_next(100)), range(7, 10));
    box.acknowledge(10);
    QCOMPARE(box.size(), 0);
    QCOMPARE(box.append(record(11), kStation), 11);
}

void OutboxTest::rewindReadsAgainFromTheFirstNotAcknowledged() {
    QTemporaryDir dir;
    Outbox box(dir.path(), kLarge);
    for (int i = 1; i <= 8; ++i) box.append(record(i), kStation);
    QCOMPARE(seqs(box.read_next(5)), range(1, 5));
    box.acknowledge(2);
    box.rewind();
    QCOMPARE(seqs(box.read_next(100)), range(3, 8));
    QVERIFY(box.read_next(100).empty());
}

void OutboxTest::aTornLastLineIsDroppedAndTheNumberUsedAgain_data() {
    QTest::addColumn<QByteArray>("tail");
    QTest::newRow("half a line") << QByteArray("4 {\"station\": \"ST");
    QTest::newRow("zeros") << QByteArray(300, '\0');
    QTest::newRow("line end without object") << QByteArray("4 {\"station\"\n");
}

void OutboxTest::aTornLastLineIsDroppedAndTheNumberUsedAgain() {
    QFETCH(QByteArray, tail);
    QTemporaryDir dir;
    {
        Outbox box(dir.path(), kLarge);
        for (int i = 1; i <= 3; ++i) box.append(record(i), kStation);
    }
    QFile segment(dir.filePath(segment_files(dir.path()).value(0)));
    QVERIFY(segment.open(QIODevice::Append));
    segment.write(tail);
    segment.close();

    Outbox box(dir.path(), kLarge);
    QCOMPARE(box.last_seq(), 3);
    QCOMPARE(box.append(record(4), kStation), 4);
    QCOMPARE(seqs(box.read_next(10)), range(1, 4));
    Outbox again(dir.path(), kLarge);
    QCOMPARE(again.last_seq(), 4);
}

void OutboxTest::acknowledgedSegmentsGoButTheNewestStays() {
    QTemporaryDir dir;
    {
        Outbox box(dir.path(), kLarge, 4096);
        for (int i = 1; i <= 100; ++i) box.append(record(i), kStation);
        QVERIFY(segment_files(dir.path()).size() > 3);
        box.acknowledge(100);
        QCOMPARE(segment_files(dir.path()).size(), 1);
        QCOMPARE(box.size(), 0);
    }
    Outbox box(dir.path(), kLarge, 4096);
    QCOMPARE(box.append(record(101), kStation), 101);
    QVERIFY(box.read_next(10).size() == 1);
}

void OutboxTest::pastTheLimitTheOldestSegmentsGoAndAreCounted() {
    QTemporaryDir dir;
    constexpr std::int64_t kLimit = 64 * 1024;
    Outbox box(dir.path(), kLimit);
    std::vector<PublishedRecord> batch;
    for (int i = 1; i <= 2000; ++i) batch.push_back(record(i));
    QCOMPARE(box.append(batch, kStation), 2000);
    QVERIFY(box.bytes() <= kLimit);
    const std::int64_t dropped = box.take_dropped();
    QVERIFY(dropped > 0);
    QCOMPARE(box.take_dropped(), 0);
    QCOMPARE(box.size() + dropped, 2000);
    // What is left are the newest, in order, with no gap.
    const std::vector<OutboxEntry> left = box.read_next(5000);
    QCOMPARE(seqs(left), range(dropped + 1, 2000));
    // The number still goes on.
    QCOMPARE(box.append(record(2001), kStation), 2001);
}

void OutboxTest::appendsFromSeveralThreadsWhileReadingLoseNothing() {
    QTemporaryDir dir;
    constexpr int kThreads = 3, kEach = 40;
    Outbox box(dir.path(), kLarge, 4096);
    std::atomic<int> appended{0};
    std::vector<std::thread> writers;
    for (int t = 0; t < kThreads; ++t)
        writers.emplace_back([&] {
            for (int i = 0; i < kEach; ++i)
                if (box.append(record(i), kStation) > 0) ++appended;
        });
    std::vector<std::int64_t> read;
    while (int(read.size()) < kThreads * kEach) {
        for (const OutboxEntry& e : box.read_next(7)) {
            read.push_back(e.seq);
            box.acknowledge(e.seq);
        }
        if (appended.load() == kThreads * kEach && box.size() == 0) break;
    }
    for (std::thread& w : writers) w.join();
    for (const OutboxEntry& e : box.read_next(1000)) read.push_back(e.seq);
    QCOMPARE(appended.load(), kThreads * kEach);
    QCOMPARE(read, range(1, kThreads * kEach));
}

QTEST_GUILESS_MAIN(OutboxTest)
#include "tst_outbox.moc"
