#pragma once

#include <QBasicTimer>
#include <QColor>
#include <QMainWindow>
#include <array>
#include <memory>

#include "display_model/lcd_layout.h"
#include "displays/lcd_cell.h"

class ColumnList;
class Kselect_col_dlg;
class QColorDialog;
class Station;
class sdi12_core;

namespace Ui {
class ldc_panel;
}

// "View Data": the latest values of chosen columns as a grid of LCD cells, each with the column's
// name and units, its number red while an alarm level is crossed and yellow while an alert level
// is. A value not measured shows "----"; a cell bound to no column is blank. The grid shape,
// colours, switches and bindings live in the window's layout file, saved on Save and whenever the
// window closes. Values come from the core's per-cycle snapshot; names,
// units and levels are copied from the column list one record at a time, never drawn under its lock.
// Thread: the user-interface thread.
class ldc_panel : public QMainWindow {
    Q_OBJECT
  public:
    static constexpr int kCells = 32;
    static constexpr int kBoundCells = LcdLayout::kBoundCells;  // cells 1..16 can be bound
    static constexpr int kTimerMs = 100;

    // The core and the column list outlive the window.
    explicit ldc_panel(Station& station, QWidget* parent = nullptr);
    ~ldc_panel() override;

    // Remembers `path` as the layout file and applies what it holds over the current settings
    // (a missing file changes nothing). The grid is rebuilt the next time the window is shown.
    // Returns what to say on the console about the file (empty when all is well).
    QString load_layout(const QString& path);
    // Writes the layout file: 0, or -1 when it cannot be written (or no file was ever loaded).
    int save_layout();
    // Starts the 100 ms tick that restyles the window once after each relayout; starting it again
    // restarts the same timer.
    void start_timer();

    // Its selection dialog (tag mode), rebuilt from the column list whenever it is shown.
    Kselect_col_dlg& column_dialog() { return *select_dialog_; }
    const LcdLayout& layout() const { return layout_; }
    const LcdCell& cell(int i) const { return cells_[size_t(i)]; }
    QString layout_path() const { return layout_path_; }

  public slots:
    // Refreshes the cells from the latest values (blanks those bound to no column) and recolours
    // the numbers; shows the core's status line.
    void update_panels();

  private slots:
    void on_actionTitles_triggered();
    void on_actionUnits_triggered();
    void on_actionSave_triggered();
    void on_actionLDC_Colour_triggered();
    void on_actionBacckground_triggered();
    void on_actionTitle_Colour_triggered();
    void on_actionUnits_2_triggered();
    void on_actionRefresh_triggered();

  public:
    // Menu and dialog handlers, connected by member pointer (no form widget bears their names).
    void on_lcd_colour_changed(QColor col);
    void on_bg_colour_changed(QColor col);
    void on_ti_colour_changed(QColor col);
    void on_un_colour_changed(QColor col);
    // (column << 8) | cell, from the selection dialog: binds cells 1..16 only.
    void on_link_menu(int n);
    void on_layout_panels(int n);
    // Opens the selection dialog for cell n, the columns in use checked.
    void on_link_menu_stage1(int n);

  protected:
    void showEvent(QShowEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    enum StyleBit : int {
        kFitFonts = 0x01,
        kBackground = 0x10,
        kNumberColours = 0x20,
        kTitleColour = 0x40,
        kUnitsColour = 0x80,
        kAllStyles = 0xFF
    };

    void build_menus();
    void rebuild_grid(int code);
    void store_bound_cells();
    void colour_numbers();
    void apply_styles(int mask);
    void fit_label_fonts();
    void show_colour_dialog(std::unique_ptr<QColorDialog>& dialog, void (ldc_panel::*slot)(QColor));

    Station& station_;
    sdi12_core& core_;
    ColumnList& columns_;
    std::unique_ptr<Kselect_col_dlg> select_dialog_;
    std::unique_ptr<Ui::ldc_panel> ui_;
    std::array<LcdCell, kCells> cells_;
    // Made on first use: lcd, background, title, units.
    std::unique_ptr<QColorDialog> lcd_dialog_, bg_dialog_, ti_dialog_, un_dialog_;
    LcdLayout layout_;
    QString layout_path_;
    bool shown_once_ = false;
    bool restyle_done_ = true;
    QBasicTimer timer_;
};
