#pragma once

#include <QString>

class QColor;
class QLCDNumber;
class QLabel;
class QWidget;

// One cell of an LCD panel window: a title line, a units line and a seven-digit number, with the
// texts and the value last stored for it and the column it shows. A cell that shows no column is
// blank: no texts, no number. The widgets exist only while the cell is part of the window's grid.
// Thread: the user-interface thread.
class LcdCell {
  public:
    // Builds the cell's widgets (owned by `parent`) and shows what is stored.
    QWidget* create(QWidget* parent);
    // Deletes the widgets; the stored texts, value and column stay.
    void destroy();
    bool exists() const { return container_ != nullptr; }

    // Stores what the cell shows, without drawing it.
    void store(const QString& title, const QString& units, float value);
    // Stores nothing to show: the cell is blank when next drawn.
    void store_blank();
    // Draws what is stored: "." for an empty text, the value as format_lcd_value writes it; or
    // a blank cell.
    void show_contents();
    // The number's text as last drawn ("" while blank).
    QString shown_number() const { return shown_number_; }

    void set_number_colour(const QColor& colour);
    void set_title_colour(const QColor& colour);
    void set_units_colour(const QColor& colour);
    void set_titles_visible(bool visible);
    void set_units_visible(bool visible);

    QWidget* container() const { return container_; }
    QLabel* title_label() const { return title_label_; }
    QLabel* units_label() const { return units_label_; }
    QLCDNumber* number() const { return number_; }

    int column = 0;  // the column it shows; -1 for a cell that is never bound

  private:
    QWidget* container_ = nullptr;
    QLabel* title_label_ = nullptr;
    QLabel* units_label_ = nullptr;
    QLCDNumber* number_ = nullptr;
    QString title_;
    QString units_;
    float value_ = 0.0f;
    bool blank_ = true;  // nothing stored yet, or no column to show
    QString shown_number_;
};
