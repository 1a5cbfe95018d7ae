// Reading a CSV log into plot points: data lines, block markers between logging runs, both date
// forms, and the incremental reader giving exactly what a full read of the file gives.

#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "displays/log_file_reader.h"
#include "displays/log_points.h"
#include "displays/log_time.h"

namespace {

const QByteArray kHeader = "Record,Date,Time,temp,rh,\n";

// Local time of a date and time, as the log means it.
double at(int y, int mo, int d, int h, int mi, int s) {
    return double(QDateTime(QDate(y, mo, d), QTime(h, mi, s), Qt::LocalTime).toSecsSinceEpoch());
}

QByteArray record(int n, int minute, double temp) {
    return QByteArray::number(n) + ",7 Dec 2026, 16:" + QByteArray::number(minute).rightJustified(2, '0') +
           ":00," + QByteArray::number(temp, 'f', 6) + ",55.000000\n";
}

// "label@x=y" for each point.
QStringList describe(const LogPoints& points) {
    QStringList out;
    for (int i = 0; i < points.size(); ++i) {
        out << QStringLiteral("%1@%2=%3").arg(points.label(i)).arg(points.x(i), 0, 'f', 0).arg(points.y(i));
    }
    return out;
}

QString point(const QString& label, double x, double y) {
    return QStringLiteral("%1@%2=%3").arg(label).arg(x, 0, 'f', 0).arg(y);
}

void write_file(const QString& path, const QByteArray& bytes,
                QIODevice::OpenMode mode = QIODevice::WriteOnly) {
    QFile file(path);
    QVERIFY(file.open(mode));
    QCOMPARE(file.write(bytes), qint64(bytes.size()));
}

LogPoints full_read(const QString& path, int column, int kept = LogPoints::kDefaultKept) {
    LogFileReader reader(kept);
    reader.set_column(column);
    reader.set_file(path);
    reader.read_log_points();
    return reader.points();
}

}  // namespace

class LogReader : public QObject {
    Q_OBJECT
  private slots:
    void logTimeCountsFromLocalMidnight_data();
    void logTimeCountsFromLocalMidnight();
    void headerThenDataGivesMarkerAtFirstRecord();
    void restartEndsRunAndCurrentLogShowsOnlyNewestRun();
    void shortLinesAreSkippedAndMissingValueReadsZero();
    void noLogFileShowsSinglePointAtOneOne();
    void currentLogShowsAtMost1001NewestPoints();
    void incrementalReadingEqualsFullRead_data();
    void incrementalReadingEqualsFullRead();
    void keptWindowHoldsNewestPointsLikeAFullRead();
};

void LogReader::logTimeCountsFromLocalMidnight_data() {
    QTest::addColumn<QString>("time");
    QTest::addColumn<QString>("date");
    QTest::addColumn<double>("seconds");
    QTest::newRow("day month year") << " 16:14:34"
                                    << "7 Dec 2026" << at(2026, 12, 7, 16, 14, 34);
    QTest::newRow("midnight") << "0:00:00"
                              << "7 Dec 2026" << at(2026, 12, 7, 0, 0, 0);
    QTest::newRow("year first") << "9:05:01"
                                << "2013-05-7" << at(2013, 5, 7, 9, 5, 1);
    QTest::newRow("year first needs 201") << "9:05:01"
                                          << "2026-05-07" << 0.0;
    QTest::newRow("header field") << "Time"
                                  << "Date" << 0.0;
    QTest::newRow("hour 24") << "24:00:00"
                             << "7 Dec 2026" << 0.0;
    QTest::newRow("no date") << "16:14:34"
                             << "" << 0.0;
}

void LogReader::logTimeCountsFromLocalMidnight() {
    QFETCH(QString, time);
    QFETCH(QString, date);
    QFETCH(double, seconds);
    QCOMPARE(double(log_time_value(time, date)), seconds);
}

void LogReader::headerThenDataGivesMarkerAtFirstRecord() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("log.csv"));
    write_file(path, kHeader + record(0, 1, 1.25) + record(1, 2, -3.5));
    const double t1 = at(2026, 12, 7, 16, 1, 0), t2 = at(2026, 12, 7, 16, 2, 0);
    QCOMPARE(describe(full_read(path, 3)),
             QStringList({point("HDR", t1, 0), point(" 16:01:00", t1, 1.25), point(" 16:02:00", t2, -3.5)}));
    QCOMPARE(describe(full_read(path, 4)).last(), point(" 16:02:00", t2, 55));
}

void LogReader::restartEndsRunAndCurrentLogShowsOnlyNewestRun() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("log.csv"));
    // Two starts without a record between them mark nothing for the empty run.
    write_file(path, kHeader + record(0, 1, 1) + record(1, 2, 2) + kHeader + kHeader + record(0, 5, 5) +
                         record(1, 6, 6));
    const LogPoints points = full_read(path, 3);
    const double t2 = at(2026, 12, 7, 16, 2, 0), t5 = at(2026, 12, 7, 16, 5, 0);
    QCOMPARE(describe(points).mid(3, 2), QStringList({point("HDR", t2, 0), point("HDR", t5, 0)}));
    QCOMPARE(points.size(), 7);

    const ShownPoints current = select_window(points, 0);
    QCOMPARE(current.labels, QStringList({" 16:05:00", " 16:06:00"}));
    QCOMPARE(select_window(points, 1000).x.size(), 7);
    QCOMPARE(select_window(points, 3).labels.first(), QStringLiteral("HDR"));
}

void LogReader::shortLinesAreSkippedAndMissingValueReadsZero() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("log.csv"));
    QByteArray bytes = kHeader + "0,7 Dec 2026\n";  // two fields: skipped, not even a header
    bytes += "1,7 Dec 2026, 16:01:00\n";            // as many fields as the column: value 0
    bytes += "2,2013-05-7, 16:02:00,4.5\n";
    bytes += QByteArray("3,7 Dec 2026, 16:03:00,7.5\0garbage,1\n", 37);  // a field ends at NUL
    write_file(path, bytes);
    const LogPoints points = full_read(path, 3);
    QCOMPARE(describe(points), QStringList({point("HDR", at(2026, 12, 7, 16, 1, 0), 0),
                                            point(" 16:01:00", at(2026, 12, 7, 16, 1, 0), 0),
                                            point(" 16:02:00", at(2013, 5, 7, 16, 2, 0), 4.5),
                                            point(" 16:03:00", at(2026, 12, 7, 16, 3, 0), 7.5)}));
}

void LogReader::noLogFileShowsSinglePointAtOneOne() {
    QTemporaryDir dir;
    const LogPoints points = full_read(dir.filePath(QStringLiteral("none.csv")), 3);
    QVERIFY(points.empty());
    const ShownPoints shown = select_window(points, 1000);
    QCOMPARE(shown.x, QVector<double>({1.0}));
    QCOMPARE(shown.y, QVector<double>({1.0}));
}

void LogReader::currentLogShowsAtMost1001NewestPoints() {
    LogPoints points;
    points.append(LogPoints::marker_label(), 1, 0);
    for (int i = 0; i < 1500; ++i) points.append(QStringLiteral("t"), 2 + i, i);
    const ShownPoints shown = select_window(points, 0);
    QCOMPARE(shown.x.size(), 1001);
    QCOMPARE(shown.y.last(), 1499.0);
    QCOMPARE(select_window(points, 10).y.first(), 1490.0);
}

void LogReader::incrementalReadingEqualsFullRead_data() {
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");
    QTest::addColumn<bool>("append");  // `after` is appended, or replaces the file
    const QByteArray run = kHeader + record(0, 1, 1) + record(1, 2, 2);
    QTest::newRow("records appended") << run << record(2, 3, 3) + record(3, 4, 4) << true;
    QTest::newRow("line finished later") << run + "2,7 Dec 2026, 16:0" << QByteArray("3:00,3.5,1\n") << true;
    QTest::newRow("restart appended") << run << kHeader + record(0, 9, 9) << true;
    QTest::newRow("truncated") << run + record(2, 3, 3) << kHeader + record(0, 7, 7) << false;
    QTest::newRow("replaced, longer")
        << run << kHeader + record(0, 8, 8) + record(1, 9, 9) + record(2, 10, 1) << false;
    QTest::newRow("replaced, same start")
        << run << kHeader + record(0, 1, 1) + record(1, 2, 7) + record(2, 3, 3) << false;
}

void LogReader::incrementalReadingEqualsFullRead() {
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    QFETCH(bool, append);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("log.csv"));
    write_file(path, before);
    LogFileReader reader;
    reader.set_file(path);
    QVERIFY(reader.read_log_points());
    if (append) {
        write_file(path, after, QIODevice::Append);
    } else {
        // Replaced as a new file, as a save or a copy would.
        QVERIFY(QFile::remove(path));
        write_file(path, after);
    }
    QVERIFY(reader.read_log_points());
    QCOMPARE(describe(reader.points()), describe(full_read(path, 3)));
    QVERIFY(!reader.read_log_points());  // nothing new: nothing read
}

void LogReader::keptWindowHoldsNewestPointsLikeAFullRead() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("log.csv"));
    write_file(path, kHeader);
    LogFileReader reader(50);
    reader.set_file(path);
    for (int n = 0; n < 300; ++n) {
        write_file(path, record(n, n % 60, n), QIODevice::Append);
        reader.read_log_points();
    }
    QCOMPARE(reader.points().size(), 50);
    QCOMPARE(describe(reader.points()), describe(full_read(path, 3, 50)));
    QCOMPARE(reader.points().y(49), 299.0);
}

QTEST_GUILESS_MAIN(LogReader)
#include "tst_log_reader.moc"
