// The plot window driven offscreen: nothing drawn without a log, a log plotted with its titles,
// gaps in the curve, the value axis fitting the readings, a new record taken in after a cycle,
// Replot pushing what it read, and the time labels.

#include <qwt_plot.h>
#include <qwt_plot_curve.h>
#include <qwt_scale_draw.h>
#include <qwt_scale_map.h>
#include <QAction>
#include <QFile>
#include <QtTest>

#include "display_rig.h"
#include "displays/kplot_win.h"
#include "displays/time_scale_draw.h"

namespace {

const QByteArray kLog =
    "Record,Date,Time,temp,rh,\n"
    "0,7 Dec 2026, 16:01:00,21.500000,55.000000\n"
    "1,7 Dec 2026, 16:02:00,22.250000,54.000000\n"
    "2,7 Dec 2026, 16:03:00,21.750000,56.500000\n";

void append(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::Append));
    file.write(bytes);
}

QVector<double> curve_y(const Kplot_win& window) {
    QVector<double> ys;
    const QwtSeriesData<QPointF>* data = window.curve()->data();
    for (size_t i = 0; i < data->size(); ++i) ys << data->sample(i).y();
    return ys;
}

}  // namespace

class PlotWindow : public QObject {
    Q_OBJECT
  private slots:
    void withoutLogShowsNoPoints();
    void plotsColumnWithTitlesFromColumnList();
    void nanAndRestartLeaveGapsInTheCurve_data();
    void nanAndRestartLeaveGapsInTheCurve();
    void valueAxisFitsTheReadingsAndTimeAxisTheRecords();
    void cycleTakesInAppendedRecord();
    void replotPushesReReadPoints();
    void timeAxisLabelsLocalDateAndZeroPaddedTime_data();
    void timeAxisLabelsLocalDateAndZeroPaddedTime();
};

void PlotWindow::withoutLogShowsNoPoints() {
    DisplayRig rig;
    Kplot_win window(rig.station);
    window.update_display();  // never opened: no log file
    QCOMPARE(window.windowTitle(), QStringLiteral("Plot of Data"));
    QCOMPARE(window.curve()->title().text(), QStringLiteral("My Data"));
    QCOMPARE(window.curve()->dataSize(), size_t(0));
    QCOMPARE(window.save_layout(), -1);  // no layout file yet
}

void PlotWindow::plotsColumnWithTitlesFromColumnList() {
    DisplayRig rig;
    rig.columns.set_name(4, QStringLiteral("Humidity"));
    rig.columns.set_label(4, QStringLiteral("RH"));
    const QString log = rig.file(QStringLiteral("demo.csv"));
    append(log, kLog);
    Kplot_win window(rig.station);
    window.load_layout(rig.file(QStringLiteral("plot1.xml")));
    window.set_log_file(log);
    window.show();
    QCOMPARE(curve_y(window), QVector<double>({21.5, 22.25, 21.75}));

    window.on_select_return(4);
    QCOMPARE(curve_y(window), QVector<double>({55, 54, 56.5}));
    QCOMPARE(window.plot()->title().text(), QStringLiteral("Plot of Humidity"));
    QCOMPARE(window.plot()->axisTitle(QwtPlot::yLeft).text(), QStringLiteral("RH Axis"));
    QCOMPARE(window.plot()->axisTitle(QwtPlot::xBottom).text(), QStringLiteral("Time"));
    QVERIFY(grab_colours(window, QStringLiteral("plot_window.png")) > 2);

    window.close();
    PlotLayout saved;
    saved.load(rig.file(QStringLiteral("plot1.xml")));
    QCOMPARE(saved.index, 4);
}

void PlotWindow::nanAndRestartLeaveGapsInTheCurve_data() {
    QTest::addColumn<QByteArray>("records");
    QTest::addColumn<QList<int>>("drawn");  // seconds after 16:00 where the curve is seen
    QTest::addColumn<QList<int>>("blank");  // and where it is not
    const QByteArray before = "0,7 Dec 2026, 16:01:00,20.000000,1\n1,7 Dec 2026, 16:02:00,30.000000,1\n";
    const QByteArray after = "3,7 Dec 2026, 16:04:00,30.000000,1\n4,7 Dec 2026, 16:05:00,20.000000,1\n";
    QTest::newRow("a value not measured") << before + "2,7 Dec 2026, 16:03:00,nan,55.000000\n" + after
                                          << QList<int>{90, 270} << QList<int>{150, 210};
    QTest::newRow("logging restarted")
        << before + "Record,Date,Time,temp,rh,\n" + after << QList<int>{90, 270} << QList<int>{150, 210};
    QTest::newRow("a reading between two gaps is a dot")
        << QByteArray(
               "0,7 Dec 2026, 16:01:00,20.000000,1\n1,7 Dec 2026, 16:02:00,nan,1\n"
               "2,7 Dec 2026, 16:03:00,25.000000,1\n3,7 Dec 2026, 16:04:00,nan,1\n"
               "4,7 Dec 2026, 16:05:00,30.000000,1\n")
        << QList<int>{180} << QList<int>{90, 150, 210, 270};
}

void PlotWindow::nanAndRestartLeaveGapsInTheCurve() {
    QFETCH(QByteArray, records);
    QFETCH(QList<int>, drawn);
    QFETCH(QList<int>, blank);
    DisplayRig rig;
    const QString log = rig.file(QStringLiteral("demo.csv"));
    append(log, "Record,Date,Time,temp,rh,\n" + records);
    Kplot_win window(rig.station);
    window.set_log_file(log);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QImage canvas = window.plot()->canvas()->grab().toImage();
    const QwtScaleMap time_map = window.plot()->canvasMap(QwtPlot::xBottom);
    const QRgb series = window.layout().series.rgb();
    const auto drawn_at = [&](int seconds) {
        const QDateTime t(QDate(2026, 12, 7), QTime(16, 0).addSecs(seconds), Qt::LocalTime);
        const int x = qRound(time_map.transform(double(t.toSecsSinceEpoch())));
        for (int y = 0; y < canvas.height(); ++y) {
            if (canvas.pixel(x, y) == series) return true;
        }
        return false;
    };
    for (int seconds : drawn) QVERIFY2(drawn_at(seconds), qPrintable(QString::number(seconds)));
    for (int seconds : blank) QVERIFY2(!drawn_at(seconds), qPrintable(QString::number(seconds)));
    QVERIFY(!curve_y(window).contains(0.0));  // no marker at 0
}

void PlotWindow::valueAxisFitsTheReadingsAndTimeAxisTheRecords() {
    DisplayRig rig;
    const QString log = rig.file(QStringLiteral("demo.csv"));
    // A restart between two runs, and the newest value not measured.
    append(log, kLog + kLog + "3,7 Dec 2026, 16:04:00,nan,55.000000\n");
    Kplot_win window(rig.station);
    window.set_log_file(log);
    const QwtScaleDiv& axis = window.plot()->axisScaleDiv(QwtPlot::yLeft);
    QVERIFY2(axis.lowerBound() >= 21.0 && axis.lowerBound() <= 21.5,
             qPrintable(QString::number(axis.lowerBound())));
    QVERIFY2(axis.upperBound() >= 22.25 && axis.upperBound() <= 23.0,
             qPrintable(QString::number(axis.upperBound())));
    const double newest = QDateTime(QDate(2026, 12, 7), QTime(16, 4), Qt::LocalTime).toSecsSinceEpoch();
    QVERIFY(window.plot()->axisScaleDiv(QwtPlot::xBottom).upperBound() >= newest);
}

void PlotWindow::cycleTakesInAppendedRecord() {
    DisplayRig rig;
    const QString log = rig.file(QStringLiteral("demo.csv"));
    append(log, kLog);
    Kplot_win window(rig.station);
    window.set_log_file(log);
    window.on_set_points(2);
    QCOMPARE(curve_y(window), QVector<double>({22.25, 21.75}));
    append(log, "3,7 Dec 2026, 16:04:00,19.000000,50.000000\n");
    window.update_display();
    QCOMPARE(curve_y(window), QVector<double>({21.75, 19}));
}

void PlotWindow::replotPushesReReadPoints() {
    DisplayRig rig;
    const QString log = rig.file(QStringLiteral("demo.csv"));
    append(log, kLog);
    Kplot_win window(rig.station);
    window.set_log_file(log);
    append(log, "3,7 Dec 2026, 16:04:00,19.000000,50.000000\n");
    window.findChild<QAction*>(QStringLiteral("actionReplot"))->trigger();
    QCOMPARE(curve_y(window).last(), 19.0);
}

void PlotWindow::timeAxisLabelsLocalDateAndZeroPaddedTime_data() {
    QTest::addColumn<QDateTime>("time");
    QTest::addColumn<QString>("label");
    QTest::newRow("afternoon") << QDateTime(QDate(2026, 12, 7), QTime(16, 4, 5), Qt::LocalTime)
                               << "7 Dec 26 16:04:05";
    QTest::newRow("morning") << QDateTime(QDate(2099, 1, 2), QTime(9, 5, 3), Qt::LocalTime)
                             << "2 Jan 99 09:05:03";
}

void PlotWindow::timeAxisLabelsLocalDateAndZeroPaddedTime() {
    QFETCH(QDateTime, time);
    QFETCH(QString, label);
    const TimeScaleDraw draw(Qt::green);
    QCOMPARE(draw.label(double(time.toSecsSinceEpoch())).text(), label);
}

QTEST_MAIN(PlotWindow)
#include "tst_plot_window.moc"
