#include "displays/lcd_cell.h"

#include <QGridLayout>
#include <QLCDNumber>
#include <QLabel>

#include "display_model/format_lcd_value.h"

namespace {

constexpr int kDigits = 7;

void set_text_colour(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::All, QPalette::WindowText, colour);
    widget->setPalette(palette);
}

QString or_dot(const QString& text) {
    return text.isEmpty() ? QStringLiteral(".") : text;
}

}  // namespace

QWidget* LcdCell::create(QWidget* parent) {
    container_ = new QWidget(parent);
    auto* grid = new QGridLayout(container_);
    title_label_ = new QLabel(container_);
    units_label_ = new QLabel(container_);
    units_label_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    number_ = new QLCDNumber(kDigits, container_);
    number_->setSmallDecimalPoint(true);
    number_->setSegmentStyle(QLCDNumber::Flat);
    number_->setFrameShape(QFrame::NoFrame);
    number_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    grid->addWidget(title_label_, 1, 0, 1, 1);
    grid->addWidget(units_label_, 1, 1, 1, 1);
    grid->addWidget(number_, 2, 0, 5, 2);
    show_contents();
    return container_;
}

void LcdCell::destroy() {
    delete container_;
    container_ = nullptr;
    title_label_ = units_label_ = nullptr;
    number_ = nullptr;
}

void LcdCell::store(const QString& title, const QString& units, float value) {
    title_ = title;
    units_ = units;
    value_ = value;
    blank_ = false;
}

void LcdCell::store_blank() {
    title_.clear();
    units_.clear();
    blank_ = true;
}

void LcdCell::show_contents() {
    if (!exists()) return;
    title_label_->setText(blank_ ? QString() : or_dot(title_));
    units_label_->setText(blank_ ? QString() : or_dot(units_));
    shown_number_ = blank_ ? QString() : format_lcd_value(value_);
    number_->display(shown_number_);
}

void LcdCell::set_number_colour(const QColor& colour) {
    if (exists()) set_text_colour(number_, colour);
}

void LcdCell::set_title_colour(const QColor& colour) {
    if (exists()) set_text_colour(title_label_, colour);
}

void LcdCell::set_units_colour(const QColor& colour) {
    if (exists()) set_text_colour(units_label_, colour);
}

void LcdCell::set_titles_visible(bool visible) {
    if (exists()) title_label_->setVisible(visible);
}

void LcdCell::set_units_visible(bool visible) {
    if (exists()) units_label_->setVisible(visible);
}
