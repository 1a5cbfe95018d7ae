// Reading a CSV log into plot points: record lines of every date form, values not measured and
// the breaks between logging runs as gaps, and the incremental reader giving exactly what a full
// read of the file gives.

#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <limits>

#include "display_model/log_file_reader.h"
#include "display_model/log_points.h"
#include "display_model/log_time.h"

namespace {

const QByteArray kHeader = "Record,Date,Time,temp,rh,\n";
constexpr double kNan = std::numeric_limits<double>::quiet_NaN();

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
    void logTimeReadsBothDateFormsFromLocalMidnight_data();
    void logTimeReadsBothDateFormsFromLocalMidnight();
    void recordLineGivesOnePointWithoutMarker_data();
    void recordLineGivesOnePointWithoutMarker();
    void restartIsAGapAndCurrentLogShowsOnlyNewestRun();
    void noLogFileShowsNoPoints();
    void currentLogShowsAtMost1001NewestPoints();
    void incrementalReadingEqualsFullRead_data();
    void incrementalReadingEqualsFullRead();
    void keptWindowHoldsNewestPointsLikeAFullRead();
};

void LogReader::logTimeReadsBothDateFormsFromLocalMidnight_data() {
    QTest::addColumn<QString>("time");
    QTest::addColumn<QString>("date");
    QTest::addColumn<double>("seconds");
    QTest::newRow("day first") << " 16:14:34"
                               << "7 Dec 2026" << at(2026, 12, 7, 16, 14, 34);
    QTest::newRow("midnight") << "0:00:00"
                              << "7 Dec 2026" << at(2026, 12, 7, 0, 0, 0);
    QTest::newRow("year first 2013, one-digit day") << "9:05:01"
                                                    << "2013-05-7" << at(2013, 5, 7, 9, 5, 1);
    QTest::newRow("year first 2026") << "00:20:00"
                                     << "2026-12-01" << at(2026, 12, 1, 0, 20, 0);
    QTest::newRow("year first 2099") << "23:59:59"
                                     << "2099-06-30" << at(2099, 6, 30, 23, 59, 59);
    QTest::newRow("date and time in the date field") << "4.5"
                                                     << "2026-12-01 00:20:00" << at(2026, 12, 1, 0, 20, 0);
    QTest::newRow("no such day") << "9:05:01"
                                 << "2026-02-30" << 0.0;
    QTest::newRow("header field") << "Time"
                                  << "Date" << 0.0;
    QTest::newRow("hour 24") << "24:00:00"
                             << "7 Dec 2026" << 0.0;
    QTest::newRow("no date") << "16:14:34"
                             << "" << 0.0;
}

void LogReader::logTimeReadsBothDateFormsFromLocalMidnight() {
    QFETCH(QString, time);
    QFETCH(QString, date);
    QFETCH(double, seconds);
    QCOMPARE(double(log_time_value(time, date)), seconds);
}

void LogReader::recordLineGivesOnePointWithoutMarker_data() {
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("label");
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("y");
    const QByteArray cycle = "3,7 Dec 2026, 16:14:34,1.250000,nan,0.500000\n";
    const QString cycle_time = QStringLiteral(" 16:14:34");
    const double at_cycle = at(2026, 12, 7, 16, 14, 34);
    QTest::newRow("cycle record") << cycle << 3 << cycle_time << at_cycle << 1.25;
    QTest::newRow("nan, not measured") << cycle << 4 << cycle_time << at_cycle << kNan;
    QTest::newRow("older padded nan")
        << QByteArray("3,7 Dec 2026, 16:14:34,  nan\n") << 3 << cycle_time << at_cycle << kNan;
    QTest::newRow("not a number") << QByteArray("3,7 Dec 2026, 16:14:34,ERR\n") << 3 << cycle_time << at_cycle
                                  << kNan;
    QTest::newRow("line without the column")
        << QByteArray("3,7 Dec 2026, 16:14:34\n") << 3 << cycle_time << at_cycle << kNan;
    QTest::newRow("field ends at NUL")
        << QByteArray("3,7 Dec 2026, 16:14:34,7.5\0garbage,1\n", 37) << 3 << cycle_time << at_cycle << 7.5;
    QTest::newRow("downloaded, 2026")
        << QByteArray("5,2026-12-01,00:20:00,4.5\n") << 3 << "00:20:00" << at(2026, 12, 1, 0, 20, 0) << 4.5;
    QTest::newRow("imported, 2099") << QByteArray("5,2099-06-30,23:59:59,-1.5\n") << 3 << "23:59:59"
                                    << at(2099, 6, 30, 23, 59, 59) << -1.5;
    QTest::newRow("older download, date-time field")
        << QByteArray("5,2026-12-01 00:20:00,x,4.5\n") << 3 << "00:20:00" << at(2026, 12, 1, 0, 20, 0) << 4.5;
}

void LogReader::recordLineGivesOnePointWithoutMarker() {
    QFETCH(QByteArray, line);
    QFETCH(int, column);
    QFETCH(QString, label);
    QFETCH(double, x);
    QFETCH(double, y);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("log.csv"));
    write_file(path, kHeader + line);
    QCOMPARE(describe(full_read(path, column)), QStringList({point(label, x, y)}));
}

void LogReader::restartIsAGapAndCurrentLogShowsOnlyNewestRun() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("log.csv"));
    // Two starts without a record between them make one gap, not two.
    write_file(path, kHeader + record(0, 1, 1) + record(1, 2, 2) + kHeader + kHeader + record(0, 5, 5) +
                         record(1, 6, 6));
    const LogPoints points = full_read(path, 3);
    const double t1 = at(2026, 12, 7, 16, 1, 0), t2 = at(2026, 12, 7, 16, 2, 0);
    const double t5 = at(2026, 12, 7, 16, 5, 0), t6 = at(2026, 12, 7, 16, 6, 0);
    QCOMPARE(describe(points),
             QStringList({point(" 16:01:00", t1, 1), point(" 16:02:00", t2, 2), point("", t2, kNan),
                          point(" 16:05:00", t5, 5), point(" 16:06:00", t6, 6)}));
    QVERIFY(points.is_run_break(2));

    const ShownPoints current = select_window(points, 0);
    QCOMPARE(current.labels, QStringList({" 16:05:00", " 16:06:00"}));
    QCOMPARE(select_window(points, 1000).x.size(), 5);
    QVERIFY(std::isnan(select_window(points, 3).y.first()));
}

void LogReader::noLogFileShowsNoPoints() {
    QTemporaryDir dir;
    const LogPoints points = full_read(dir.filePath(QStringLiteral("none.csv")), 3);
    QVERIFY(points.empty());
    QVERIFY(select_window(points, 1000).x.isEmpty());
}

void LogReader::currentLogShowsAtMost1001NewestPoints() {
    LogPoints points;
    points.append_run_break(1);
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
