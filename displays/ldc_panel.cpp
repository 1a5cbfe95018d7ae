#include "displays/ldc_panel.h"

#include <QCloseEvent>
#include <QColorDialog>
#include <QFontMetrics>
#include <QLCDNumber>
#include <QLabel>
#include <QShowEvent>
#include <QStatusBar>
#include <algorithm>
#include <vector>

#include "core/sdi12_core.h"
#include "display_model/lcd_grid.h"
#include "station/record_log.h"
#include "station/station.h"
#include "ui_ldc_panel.h"
#include "variables/alarm_levels.h"
#include "variables/column_list.h"
#include "variables/ui/kselect_col_dlg.h"
#include "variables/value_snapshot.h"
#include "widgets/kaction.h"

namespace {

struct PanelEntry {
    const char* text;
    int code;
};
// The "Number of panels" menu: columns in the high nibble, rows in the low one.
constexpr PanelEntry kPanelEntries[] = {
    {"1 (1x1)", 17},  {"2 (1x2)", 33},  {"3 (1x3)", 49},   {"4 (2x2)", 34},
    {"6 (3x2)", 50},  {"6 (2x3)", 35},  {"9 (3x3)", 51},   {"8 (4x2)", 66},
    {"8 (2x4)", 36},  {"10 (5x2)", 82}, {"10 (2x5)", 37},  {"12 (4x3)", 67},
    {"12 (3x4)", 52}, {"16 (4x4)", 68}, {"32 (8x4)", 132}, {"32 (4x8)", 72},
};

const QColor kAlarmColour(255, 0, 0);
const QColor kAlertColour(255, 255, 0);

}  // namespace

ldc_panel::ldc_panel(Station& station, QWidget* parent)
    : QMainWindow(parent),
      station_(station),
      core_(station.core()),
      columns_(station.columns()),
      select_dialog_(std::make_unique<Kselect_col_dlg>(columns_, this)),
      ui_(std::make_unique<Ui::ldc_panel>()) {
    ui_->setupUi(this);
    for (int i = kBoundCells; i < kCells; ++i) cells_[size_t(i)].column = -1;
    build_menus();
    connect(select_dialog_.get(), &Kselect_col_dlg::columnSelected, this, &ldc_panel::on_link_menu);
}

ldc_panel::~ldc_panel() = default;

void ldc_panel::build_menus() {
    for (const PanelEntry& entry : kPanelEntries) {
        auto* action = new KAction(QString::fromLatin1(entry.text), entry.code, 0, this);
        connect(action, qOverload<int>(&KAction::triggered), this, &ldc_panel::on_layout_panels);
        ui_->menuNumber_of_panels->addAction(action);
    }
    for (int i = 0; i < kCells; ++i) {
        auto* action = new KAction(QStringLiteral("Panel %1").arg(i + 1), i, 0, this);
        connect(action, qOverload<int>(&KAction::triggered), this, &ldc_panel::on_link_menu_stage1);
        // Only the first 16 cells can be bound (the layout file holds 16 bindings).
        action->setEnabled(i < kBoundCells);
        ui_->menuLinks->addAction(action);
    }
}

// ---- layout file ----------------------------------------------------------------------------

QString ldc_panel::load_layout(const QString& path) {
    layout_path_ = path;
    for (int i = 0; i < kBoundCells; ++i) layout_.index[size_t(i)] = cells_[size_t(i)].column;
    const QString said = layout_.load(path);
    for (int i = 0; i < kBoundCells; ++i) cells_[size_t(i)].column = layout_.index[size_t(i)];
    return said;
}

int ldc_panel::save_layout() {
    if (shown_once_) {
        layout_.x = pos().x();
        layout_.y = pos().y();
        layout_.w = width();
        layout_.h = height();
    }
    for (int i = 0; i < kBoundCells; ++i) layout_.index[size_t(i)] = cells_[size_t(i)].column;
    return layout_.save(layout_path_);
}

// ---- refresh and colours ----------------------------------------------------------------------

void ldc_panel::store_bound_cells() {
    const std::shared_ptr<const ValueSnapshot> values = station_.record_log().latest_values();
    const int count = columns_.size();
    // Every cell, shown or not, so a cell that joins the grid shows the latest at once.
    for (LcdCell& cell : cells_) {
        if (cell.column < 0 || cell.column >= count) {
            cell.store_blank();  // no column: nothing to show, not a made-up 0
            continue;
        }
        const column_record record = columns_.record(cell.column);
        cell.store(record.name, record.units, float(values->value(cell.column)));
    }
}

void ldc_panel::update_panels() {
    store_bound_cells();
    for (LcdCell& cell : cells_) cell.show_contents();
    colour_numbers();
    statusBar()->showMessage(core_.status_text(sdi12_core::kStatusLine));
}

void ldc_panel::colour_numbers() {
    const std::shared_ptr<const ValueSnapshot> values = station_.record_log().latest_values();
    const int count = columns_.size();
    for (int i = 0; i < kBoundCells; ++i) {
        LcdCell& cell = cells_[size_t(i)];
        if (!cell.exists()) continue;
        int level = kAlarmNormal;
        if (cell.column >= 0 && cell.column < count) {
            column_record record = columns_.record(cell.column);
            record.value = values->value(cell.column);  // the levels against the value shown
            level = alarm_state(record, kAlarmLevelMode);
        }
        cell.set_number_colour(level == kAlarmCrossed   ? kAlarmColour
                               : level == kAlertCrossed ? kAlertColour
                                                        : layout_.lcd);
    }
}

void ldc_panel::apply_styles(int mask) {
    if (mask & kFitFonts) fit_label_fonts();
    if (mask & kBackground) {
        QPalette palette = ui_->centralwidget->palette();
        palette.setColor(QPalette::All, QPalette::Window, layout_.background);
        setPalette(palette);
    }
    if (mask & kNumberColours) colour_numbers();
    for (int i = 0; i < kBoundCells; ++i) {
        LcdCell& cell = cells_[size_t(i)];
        if (mask & kTitleColour) cell.set_title_colour(layout_.title);
        if (mask & kUnitsColour) cell.set_units_colour(layout_.units);
        cell.set_titles_visible(layout_.show_titles);
        cell.set_units_visible(layout_.show_units);
    }
    ui_->actionTitles->setChecked(layout_.show_titles);
    ui_->actionUnits->setChecked(layout_.show_units);
}

void ldc_panel::fit_label_fonts() {
    std::vector<QLabel*> labels;
    for (int i = 0; i < kBoundCells; ++i) {
        const LcdCell& cell = cells_[size_t(i)];
        if (!cell.exists()) continue;
        labels.push_back(cell.title_label());
        labels.push_back(cell.units_label());
    }
    if (labels.empty()) return;
    const QWidget* first = cells_[0].container();
    const int target_w = first->width() / 3;
    const int target_h = first->height() / 6;
    QFont base = labels.front()->font();
    base.setPixelSize(10);
    const QFontMetrics metrics(base);
    int widest = 1, tallest = 1;
    for (const QLabel* label : labels) {
        const QRect box = metrics.boundingRect(label->text());
        widest = std::max(widest, box.width());
        tallest = std::max(tallest, box.height());
    }
    const double scale =
        std::clamp(std::min(double(target_w) / widest, double(target_h) / tallest), 0.2, 6.0);
    for (QLabel* label : labels) {
        QFont font = label->font();
        font.setPixelSize(std::max(1, int(scale * 10)));
        label->setFont(font);
    }
}

void ldc_panel::on_lcd_colour_changed(QColor col) {
    layout_.lcd = col;
    colour_numbers();
}

void ldc_panel::on_bg_colour_changed(QColor col) {
    layout_.background = col;
    apply_styles(kBackground);
}

void ldc_panel::on_ti_colour_changed(QColor col) {
    layout_.title = col;
    apply_styles(kTitleColour);
}

void ldc_panel::on_un_colour_changed(QColor col) {
    layout_.units = col;
    apply_styles(kUnitsColour);
}

// ---- grid and bindings ---------------------------------------------------------------------------

void ldc_panel::rebuild_grid(int code) {
    const LcdGrid grid = LcdGrid::from_code(code);
    for (LcdCell& cell : cells_) cell.destroy();
    auto* layout = static_cast<QGridLayout*>(ui_->centralwidget->layout());
    for (int i = 0; i < grid.cells(); ++i) {
        layout->addWidget(cells_[size_t(i)].create(ui_->centralwidget), i / grid.columns, i % grid.columns, 1,
                          1);
    }
    layout_.code = QString::number(code);
}

void ldc_panel::on_layout_panels(int n) {
    store_bound_cells();
    rebuild_grid(n);
    apply_styles(kAllStyles);
    restyle_done_ = false;
}

void ldc_panel::on_link_menu_stage1(int n) {
    QList<int> in_use;
    for (int i = 0; i < kBoundCells; ++i) {
        if (cells_[size_t(i)].exists()) in_use.append(cells_[size_t(i)].column);
    }
    select_dialog_->set_tag_mode(1);
    select_dialog_->set_tag_value(n);
    select_dialog_->mark_rows(in_use);
    select_dialog_->show();
    select_dialog_->raise();
}

void ldc_panel::on_link_menu(int n) {
    const int cell = n & 255;
    if (cell < kBoundCells) cells_[size_t(cell)].column = n >> 8;
    update_panels();
}

// ---- menu entries --------------------------------------------------------------------------------

void ldc_panel::on_actionTitles_triggered() {
    layout_.show_titles = !layout_.show_titles;
    apply_styles(0);
    restyle_done_ = false;
}

void ldc_panel::on_actionUnits_triggered() {
    layout_.show_units = !layout_.show_units;
    apply_styles(0);
    restyle_done_ = false;
}

void ldc_panel::on_actionSave_triggered() {
    save_layout();
}

void ldc_panel::show_colour_dialog(std::unique_ptr<QColorDialog>& dialog, void (ldc_panel::*slot)(QColor)) {
    if (!dialog) {
        dialog = std::make_unique<QColorDialog>();
        connect(dialog.get(), &QColorDialog::colorSelected, this, slot);
    }
    dialog->show();
    dialog->raise();
}

void ldc_panel::on_actionLDC_Colour_triggered() {
    show_colour_dialog(lcd_dialog_, &ldc_panel::on_lcd_colour_changed);
}

void ldc_panel::on_actionBacckground_triggered() {
    show_colour_dialog(bg_dialog_, &ldc_panel::on_bg_colour_changed);
}

void ldc_panel::on_actionTitle_Colour_triggered() {
    show_colour_dialog(ti_dialog_, &ldc_panel::on_ti_colour_changed);
}

void ldc_panel::on_actionUnits_2_triggered() {
    show_colour_dialog(un_dialog_, &ldc_panel::on_un_colour_changed);
}

void ldc_panel::on_actionRefresh_triggered() {
    statusBar()->showMessage(core_.status_text(sdi12_core::kStatusLine));
    update_panels();
}

// ---- window events -------------------------------------------------------------------------------

void ldc_panel::start_timer() {
    timer_.start(kTimerMs, this);
}

void ldc_panel::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (event->spontaneous()) return;  // restored by the window system: the grid stands as it is
    resize(layout_.w, layout_.h);
    rebuild_grid(layout_.code.toInt());
    // The latest values at once, and the label fonts fitted to the real names.
    update_panels();
    apply_styles(kAllStyles);
    move(layout_.x, layout_.y);
    shown_once_ = true;
    restyle_done_ = false;
}

void ldc_panel::timerEvent(QTimerEvent* event) {
    if (event->timerId() != timer_.timerId()) return QMainWindow::timerEvent(event);
    if (restyle_done_) return;
    restyle_done_ = true;
    apply_styles(kAllStyles);
    update_panels();
}

void ldc_panel::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    fit_label_fonts();
}

void ldc_panel::closeEvent(QCloseEvent* event) {
    save_layout();
    QMainWindow::closeEvent(event);
}
