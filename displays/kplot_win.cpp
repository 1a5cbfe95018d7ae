#include "displays/kplot_win.h"

#include <qwt_plot.h>
#include <qwt_plot_curve.h>
#include <qwt_text.h>
#include <QCloseEvent>
#include <QColorDialog>
#include <QGridLayout>
#include <QShowEvent>

#include "displays/gap_curve.h"
#include "displays/ky_axis_draw.h"
#include "displays/time_scale_draw.h"
#include "station/station.h"
#include "ui_kplot_win.h"
#include "variables/column_list.h"
#include "variables/ui/kselect_col_dlg.h"
#include "widgets/kaction.h"

namespace {

struct PointsEntry {
    const char* text;
    int points;
};
constexpr PointsEntry kPointsEntries[] = {
    {"10", 10},
    {"25", 25},
    {"100", 100},
    {"200", 200},
    {"500", 500},
    {"1000", 1000},
    {"Current Log", PlotLayout::kCurrentLog},
};

QwtText coloured(const QString& text, const QColor& colour) {
    QwtText t(text);
    t.setColor(colour);
    return t;
}

}  // namespace

Kplot_win::Kplot_win(ColumnList& columns, QWidget* parent)
    : QMainWindow(parent),
      columns_(columns),
      select_dialog_(std::make_unique<Kselect_col_dlg>(columns, this)),
      ui_(std::make_unique<Ui::Kplot_win>()) {
    ui_->setupUi(this);
    plot_ = new QwtPlot(ui_->centralwidget);
    static_cast<QGridLayout*>(ui_->centralwidget->layout())->addWidget(plot_, 0, 0);
    curve_ = new GapCurve(QStringLiteral("My Data"));
    curve_->attach(plot_);
    // Time labels are long: a few of them, so they stay apart.
    plot_->setAxisMaxMajor(QwtPlot::xBottom, 4);
    reader_.set_column(layout_.index);
    build_menus();
    connect(select_dialog_.get(), &Kselect_col_dlg::columnSelected, this, &Kplot_win::on_select_return);
    // Nothing read yet: an empty plot.
    shown_ = ::select_window(reader_.points(), layout_.num_points);
    apply_plot_styles(kSamples);
}

Kplot_win::Kplot_win(Station& station, QWidget* parent) : Kplot_win(station.columns(), parent) {}

Kplot_win::~Kplot_win() = default;

void Kplot_win::build_menus() {
    for (const PointsEntry& entry : kPointsEntries) {
        auto* action = new KAction(QString::fromLatin1(entry.text), entry.points, 0, this);
        connect(action, qOverload<int>(&KAction::triggered), this, &Kplot_win::on_set_points);
        ui_->menuData_Points->addAction(action);
    }
}

// ---- layout file ----------------------------------------------------------------------------

QString Kplot_win::load_layout(const QString& path) {
    layout_path_ = path;
    const QString said = layout_.load(path);
    reader_.set_column(layout_.index);
    return said;
}

int Kplot_win::save_layout() {
    if (shown_once_) {
        layout_.x = pos().x();
        layout_.y = pos().y();
        layout_.w = width();
        layout_.h = height();
    }
    return layout_.save(layout_path_);
}

// ---- reading and drawing ----------------------------------------------------------------------

void Kplot_win::set_log_file(const QString& path) {
    reader_.set_file(path);
    read_log_points();
    select_window();
    apply_plot_styles(0x1F66);
}

bool Kplot_win::read_log_points() {
    return reader_.read_log_points();
}

void Kplot_win::select_window() {
    shown_ = ::select_window(reader_.points(), layout_.num_points);
    const int column = layout_.index;
    if (column < 0 || column >= columns_.size()) return;  // the titles keep their texts
    const column_record record = columns_.record(column);
    plot_title_ = QStringLiteral("Plot of ") + record.name;
    x_title_ = QStringLiteral("Time");
    y_title_ = record.label + QStringLiteral(" Axis");
}

void Kplot_win::apply_plot_styles(int mask) {
    if (mask & kBottomTitle) plot_->setAxisTitle(QwtPlot::xBottom, coloured(x_title_, layout_.axis));
    if (mask & kTimeScale) {
        auto* draw = new TimeScaleDraw(layout_.axis);
        draw->setLabelRotation(30.0);
        draw->setLabelAlignment(Qt::AlignRight | Qt::AlignBottom);
        plot_->setAxisScaleDraw(QwtPlot::xBottom, draw);
    }
    if (mask & kLeftTitle) plot_->setAxisTitle(QwtPlot::yLeft, coloured(y_title_, layout_.axis));
    if (mask & kValueScale) plot_->setAxisScaleDraw(QwtPlot::yLeft, new KYAxisDraw(layout_.axis));
    if (mask & kBackground) {
        QPalette palette = this->palette();
        palette.setColor(QPalette::All, QPalette::Window, layout_.background);
        setPalette(palette);
    }
    if (mask & kSeriesColour) curve_->setPen(layout_.series);
    if (mask & kPlotTitle) plot_->setTitle(coloured(plot_title_, layout_.axis));
    if (mask & kSamples) curve_->setSamples(shown_.x, shown_.y);
    plot_->replot();
}

void Kplot_win::update_display() {
    // Nothing appended since the last cycle: the curve stands as it is.
    if (!read_log_points()) return;
    select_window();
    apply_plot_styles(kSamples);
}

// ---- menu entries and dialogs -------------------------------------------------------------------

void Kplot_win::on_axis_colour_changed(QColor col) {
    layout_.axis = col;
    apply_plot_styles(0x466);
}

void Kplot_win::on_bg_colour_changed(QColor col) {
    layout_.background = col;
    apply_plot_styles(0xF00);
}

void Kplot_win::on_series_colour_changed(QColor col) {
    layout_.series = col;
    apply_plot_styles(0xF00);
}

void Kplot_win::on_select_return(int n) {
    layout_.index = n;
    reader_.set_column(n);
    read_log_points();
    select_window();
    apply_plot_styles(0x1422);
}

void Kplot_win::on_set_points(int nindex) {
    layout_.num_points = nindex;
    select_window();
    apply_plot_styles(kSamples);
}

void Kplot_win::on_actionAdd_Point_triggered() {
    apply_plot_styles(kSamples);
}

void Kplot_win::on_actionSelect_Cell_triggered() {
    select_dialog_->set_tag_mode(0);
    select_dialog_->show();
    select_dialog_->raise();
}

void Kplot_win::show_colour_dialog(std::unique_ptr<QColorDialog>& dialog, void (Kplot_win::*slot)(QColor)) {
    if (!dialog) {
        dialog = std::make_unique<QColorDialog>();
        connect(dialog.get(), &QColorDialog::colorSelected, this, slot);
    }
    dialog->show();
    dialog->raise();
}

void Kplot_win::on_actionBackground_triggered() {
    show_colour_dialog(bg_dialog_, &Kplot_win::on_bg_colour_changed);
}

void Kplot_win::on_actionSeries_triggered() {
    show_colour_dialog(series_dialog_, &Kplot_win::on_series_colour_changed);
}

void Kplot_win::on_actionAxis_triggered() {
    show_colour_dialog(axis_dialog_, &Kplot_win::on_axis_colour_changed);
}

void Kplot_win::on_actionSave_triggered() {
    save_layout();
}

void Kplot_win::on_actionReplot_triggered() {
    // Re-reads and also pushes the points, so the curve shows what was read.
    read_log_points();
    select_window();
    apply_plot_styles(0xF66 | kSamples);
}

// ---- window events -------------------------------------------------------------------------------

void Kplot_win::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (event->spontaneous()) return;
    resize(layout_.w, layout_.h);
    move(layout_.x, layout_.y);
    shown_once_ = true;
}

void Kplot_win::closeEvent(QCloseEvent* event) {
    save_layout();
    QMainWindow::closeEvent(event);
}
