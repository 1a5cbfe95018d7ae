#pragma once

#include <QMainWindow>
#include <memory>

#include "display_model/log_file_reader.h"
#include "display_model/log_points.h"
#include "display_model/plot_layout.h"

class ColumnList;
class Kselect_col_dlg;
class QColorDialog;
class QwtPlot;
class QwtPlotCurve;
class Station;

namespace Ui {
class Kplot_win;
}

// "Plot of Data": one column of the CSV log drawn against time, the newest points of the log or
// those of the current logging run. A value not measured and the break between two runs are gaps
// in the curve; the value axis fits the readings. After every cycle it reads what was appended to the log
// (the whole file only when it is new, replaced or cut shorter) and redraws. Titles come from the column
// list; colours, point count, column and geometry from the window's layout file, saved on Save and
// whenever the window closes.
// Thread: the user-interface thread.
class Kplot_win : public QMainWindow {
    Q_OBJECT
  public:
    // Masks of apply_plot_styles.
    enum StyleBit : int {
        kBottomTitle = 0x0002,
        kTimeScale = 0x0004,
        kLeftTitle = 0x0020,
        kValueScale = 0x0040,
        kBackground = 0x0100,
        kSeriesColour = 0x0200,
        kPlotTitle = 0x0400,
        kSamples = 0x1000,
    };

    // The column list outlives the window.
    explicit Kplot_win(ColumnList& columns, QWidget* parent = nullptr);
    explicit Kplot_win(Station& station, QWidget* parent = nullptr);
    ~Kplot_win() override;

    // Remembers `path` as the layout file and applies what it holds (a missing file changes nothing).
    // Returns what to say on the console about the file (empty when all is well).
    QString load_layout(const QString& path);
    // Writes the layout file: 0, or -1 when it cannot be written (or no file was ever loaded).
    int save_layout();
    // The log file to plot (the LOG folder + the core's log file name); reads it and redraws.
    void set_log_file(const QString& path);
    QString log_file() const { return reader_.file(); }

    // Its selection dialog, rebuilt from the column list whenever it is shown.
    Kselect_col_dlg& column_dialog() { return *select_dialog_; }
    const PlotLayout& layout() const { return layout_; }
    const ShownPoints& shown() const { return shown_; }
    QwtPlot* plot() const { return plot_; }
    QwtPlotCurve* curve() const { return curve_; }

  public slots:
    // After each cycle: takes in what the log gained and redraws.
    void update_display();

  private slots:
    void on_actionAdd_Point_triggered();
    void on_actionSelect_Cell_triggered();
    void on_actionBackground_triggered();
    void on_actionSeries_triggered();
    void on_actionAxis_triggered();
    void on_actionSave_triggered();
    void on_actionReplot_triggered();

  public:
    // Menu and dialog handlers, connected by member pointer (no form widget bears their names).
    void on_axis_colour_changed(QColor col);
    void on_bg_colour_changed(QColor col);
    void on_series_colour_changed(QColor col);
    void on_select_return(int n);
    // 10 .. 1000 points, or 0 and less for the current logging run.
    void on_set_points(int nindex);

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void build_menus();
    bool read_log_points();
    void select_window();
    void apply_plot_styles(int mask);
    void show_colour_dialog(std::unique_ptr<QColorDialog>& dialog, void (Kplot_win::*slot)(QColor));

    ColumnList& columns_;
    ShownPoints shown_;
    std::unique_ptr<Kselect_col_dlg> select_dialog_;
    std::unique_ptr<Ui::Kplot_win> ui_;
    // Made on first use.
    std::unique_ptr<QColorDialog> axis_dialog_, bg_dialog_, series_dialog_;
    QwtPlot* plot_ = nullptr;        // owned by the central widget
    QwtPlotCurve* curve_ = nullptr;  // owned by the plot
    LogFileReader reader_;
    PlotLayout layout_;
    QString x_title_ = QStringLiteral("A-Axis");
    QString y_title_ = QStringLiteral("Y-Axis");
    QString plot_title_ = QStringLiteral("Plot of Sensor");
    QString layout_path_;
    bool shown_once_ = false;
};
