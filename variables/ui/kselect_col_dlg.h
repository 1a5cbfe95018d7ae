#pragma once

#include <QDialog>
#include <QList>
#include <memory>

class ColumnList;

namespace Ui {
class Kselect_col_dlg;
}

// "Select Variable": lists the columns of the column list, each with a "Select" button, and
// reports the chosen one with columnSelected. A display window owns one and connects the signal
// to a slot of its own; in tag mode the number also carries the owner's tag, so one dialog can
// serve several targets. Every showing rebuilds the rows, so renamed columns appear at once.
// Thread: the user-interface thread.
class Kselect_col_dlg : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kRows = 257;
    static constexpr int kRowHeight = 20;
    enum Column : int { kLetters = 0, kVariable = 1, kName = 2, kUnits = 3, kSelect = 4 };

    // The column list lives for the whole run, longer than any window.
    explicit Kselect_col_dlg(ColumnList& columns, QWidget* parent = nullptr);
    ~Kselect_col_dlg() override;

    // Mode 1: columnSelected carries row * 256 + (tag & 0xFF); any other mode: the bare row.
    void set_tag_mode(int mode) { tag_mode_ = mode; }
    void set_tag_value(int tag) { tag_value_ = tag; }
    // Check marks in column 0 for exactly these rows (the columns already in use).
    void mark_rows(const QList<int>& rows);

  signals:
    void columnSelected(int column);

  public slots:
    void selected(int row);

  protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void rebuild();
    void show_marks();
    void fit_columns();

    ColumnList& columns_;
    std::unique_ptr<Ui::Kselect_col_dlg> ui_;
    int tag_mode_ = 0;
    int tag_value_ = 0;
    QList<int> marked_rows_;
    int listed_rows_ = 0;
    bool ready_ = false;
};
