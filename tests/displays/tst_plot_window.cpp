// The plot window driven offscreen: the single point without a log, a log plotted with its
// titles, a new record taken in after a cycle, Replot pushing what it read, and the time labels.

#include <qwt_plot.h>
#include <qwt_plot_curve.h>
#include <qwt_scale_draw.h>
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
    void withoutLogShowsSinglePointAtOneOne();
    void plotsColumnWithTitlesFromColumnList();
    void cycleTakesInAppendedRecord();
    void replotPushesReReadPoints();
    void timeAxisLabelsLocalDateAndTime();
};

void PlotWindow::withoutLogShowsSinglePointAtOneOne() {
    DisplayRig rig;
    Kplot_win window(rig.station);
    window.update_display();  // never opened: no log file
    QCOMPARE(window.windowTitle(), QStringLiteral("Plot of Data"));
    QCOMPARE(window.curve()->title().text(), QStringLiteral("My Data"));
    QCOMPARE(window.curve()->dataSize(), size_t(1));
    QCOMPARE(window.curve()->sample(0), QPointF(1, 1));
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
    QCOMPARE(curve_y(window), QVector<double>({0, 21.5, 22.25, 21.75}));

    window.on_select_return(4);
    QCOMPARE(curve_y(window), QVector<double>({0, 55, 54, 56.5}));
    QCOMPARE(window.plot()->title().text(), QStringLiteral("Plot of Humidity"));
    QCOMPARE(window.plot()->axisTitle(QwtPlot::yLeft).text(), QStringLiteral("RH Axis"));
    QCOMPARE(window.plot()->axisTitle(QwtPlot::xBottom).text(), QStringLiteral("Time"));
    QVERIFY(grab_colours(window, QStringLiteral("plot_window.png")) > 2);

    window.close();
    PlotLayout saved;
    saved.load(rig.file(QStringLiteral("plot1.xml")));
    QCOMPARE(saved.index, 4);
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

void PlotWindow::timeAxisLabelsLocalDateAndTime() {
    const QStringList labels;
    const TimeScaleDraw draw(labels, Qt::green);
    const QDateTime time(QDate(2026, 12, 7), QTime(16, 4, 5), Qt::LocalTime);
    QCOMPARE(draw.label(double(time.toSecsSinceEpoch())).text(), QStringLiteral("7 Dec 26 16:4:5"));
}

QTEST_MAIN(PlotWindow)
#include "tst_plot_window.moc"
