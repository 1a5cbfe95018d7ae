// The import's progress per file: what the ledger text says, what survives the program being
// killed, and what is read back.
#include <QtTest>

#include "fileio/import_ledger.h"

namespace {

const QByteArray kId = "2049:1311";

LedgerEntry entry(std::int64_t imported) {
    LedgerEntry e;
    e.id = kId;
    e.name = QStringLiteral("data.csv");
    e.folder = QStringLiteral("/import");
    e.imported = imported;
    e.lines = 1;
    e.size = 100;
    e.mtime = 1796637600;
    return e;
}

QByteArray encoded_id() {
    return kId.toPercentEncoding();
}

QByteArray file_text(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

class ImportLedgerTest : public QObject {
    Q_OBJECT
  private slots:
    void replayedLinesGiveTheProgress_data();
    void replayedLinesGiveTheProgress();
    void progressWrittenWithEachRecordSurvivesAKill_data();
    void progressWrittenWithEachRecordSurvivesAKill();
    void entriesAreReadBackAsWritten();
    void entriesOfFilesGoneFromTheirFolderAreDropped();
};

void ImportLedgerTest::replayedLinesGiveTheProgress_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<qint64>("log_size");
    QTest::addColumn<qint64>("imported");
    const QByteArray f = ImportLedger::entry_line(entry(10));
    const QByteArray w = "W " + encoded_id() + " 10 30 3 500\n";
    const QByteArray d = "D " + encoded_id() + " 30 3\n";
    QTest::newRow("an entry") << f << qint64(500) << qint64(10);
    QTest::newRow("a D moves it on") << f + d << qint64(500) << qint64(30);
    QTest::newRow("a W and its D") << f + w + d << qint64(560) << qint64(30);
    QTest::newRow("a last W, the log grown since") << f + w << qint64(560) << qint64(30);
    QTest::newRow("a last W, the log as it was") << f + w << qint64(500) << qint64(10);
    QTest::newRow("a last W, no log known") << f + w << qint64(-1) << qint64(10);
    QTest::newRow("a W followed by another file's entry") << f + w + ImportLedger::entry_line([] {
                                                                 LedgerEntry other = entry(0);
                                                                 other.id = "2049:7";
                                                                 return other;
                                                             }())
                                                          << qint64(560) << qint64(10);
    QTest::newRow("a line cut short") << f + "D " + encoded_id() + " 3" << qint64(500) << qint64(10);
    QTest::newRow("a line that is no ledger line") << f + "hello world\n" + d << qint64(500) << qint64(30);
    QTest::newRow("a D of a file not in the ledger") << f + "D 1%3A1 30 3\n" << qint64(500) << qint64(10);
}

void ImportLedgerTest::replayedLinesGiveTheProgress() {
    QFETCH(QByteArray, text);
    QFETCH(qint64, log_size);
    QFETCH(qint64, imported);
    ImportLedger ledger(QString{});
    ledger.replay(text, log_size);
    QVERIFY(ledger.find(kId));
    QCOMPARE(qint64(ledger.find(kId)->imported), imported);
}

void ImportLedgerTest::progressWrittenWithEachRecordSurvivesAKill_data() {
    QTest::addColumn<qint64>("log_size");  // when the program was killed
    QTest::addColumn<qint64>("imported");
    // Record one ([0, 10)) went in while the log had 100 bytes, record two ([10, 20)) at 150.
    QTest::newRow("killed before the second record's line") << qint64(150) << qint64(10);
    QTest::newRow("killed after the second record's line") << qint64(200) << qint64(20);
}

void ImportLedgerTest::progressWrittenWithEachRecordSurvivesAKill() {
    QFETCH(qint64, log_size);
    QFETCH(qint64, imported);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ledger.txt"));
    QByteArray at_kill;
    {
        ImportLedger ledger(path);
        QVERIFY(!ledger.load(-1));
        ledger.put(entry(0));
        QVERIFY(ledger.begin_record(kId, 0, 10, 1, 100));
        ledger.advance(kId, 10, 1);
        QVERIFY(ledger.begin_record(kId, 10, 20, 2, 150));
        at_kill = file_text(path);  // what the system holds, whatever the program does next
    }
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(at_kill);
    f.close();
    ImportLedger again(path);
    QVERIFY(again.load(log_size));
    QCOMPARE(qint64(again.find(kId)->imported), imported);
    // Compacted: the entry alone.
    QCOMPARE(file_text(path).count('\n'), 1);
}

void ImportLedgerTest::entriesAreReadBackAsWritten() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ledger.txt"));
    LedgerEntry odd = entry(42);
    odd.id = "c:/import/100% sure.csv";
    odd.name = QStringLiteral("100% sure, Grüße .csv");
    odd.folder = QStringLiteral("c:/import folder");
    odd.hash_length = 42;
    odd.hash = "0123456789abcdef0123456789abcdef";
    {
        ImportLedger ledger(path);
        ledger.load(-1);
        ledger.put(entry(10));
        ledger.put(odd);
        QVERIFY(ledger.compact());
    }
    ImportLedger again(path);
    QVERIFY(again.load(-1));
    QCOMPARE(again.entries().size(), std::size_t(2));
    const LedgerEntry* back = again.find(odd.id);
    QVERIFY(back);
    QCOMPARE(ImportLedger::entry_line(*back), ImportLedger::entry_line(odd));
}

void ImportLedgerTest::entriesOfFilesGoneFromTheirFolderAreDropped() {
    QTemporaryDir dir;
    ImportLedger ledger(dir.filePath(QStringLiteral("ledger.txt")));
    LedgerEntry elsewhere = entry(5);
    elsewhere.id = "2049:9";
    elsewhere.folder = QStringLiteral("/other");
    LedgerEntry gone = entry(5);
    gone.id = "2049:8";
    ledger.put(entry(10));
    ledger.put(elsewhere);
    ledger.put(gone);
    ledger.keep_only(QStringLiteral("/import"), {kId});
    QVERIFY(ledger.find(kId));
    QVERIFY(ledger.find("2049:9"));  // another folder's file is not judged by this listing
    QVERIFY(!ledger.find("2049:8"));
}

QTEST_GUILESS_MAIN(ImportLedgerTest)
#include "tst_import_ledger.moc"
