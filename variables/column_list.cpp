#include "variables/column_list.h"

#include <algorithm>
#include <cmath>

#include "variables/float_conversion.h"

QString column_letters(int n) {
    if (n < 0) return QString();
    if (n < 26) return QString(QChar('A' + n));
    return QString(QChar('A' + (n / 26 - 1))) + QChar('A' + n % 26);
}

ColumnList::ColumnList(int count) {
    reset_columns(count);
}

void ColumnList::reset_columns(int count) {
    std::vector<column_record> fresh(std::max(count, 0));
    for (int i = 0; i < int(fresh.size()); ++i) fresh[i].letters = column_letters(i);
    static const char* const kSystemTexts[3][2] = {{"Record", "no."}, {"Date", "Y/M/D"}, {"Time", "h:m:s"}};
    for (int i = 0; i < 3 && i < int(fresh.size()); ++i) {
        fresh[i].name = QString::fromLatin1(kSystemTexts[i][0]);
        fresh[i].units = QString::fromLatin1(kSystemTexts[i][1]);
    }
    std::lock_guard<std::mutex> lock(mutex_);
    records_.swap(fresh);
}

int ColumnList::size() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return int(records_.size());
}

column_record ColumnList::record(int i) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return inside(i) ? records_[i] : column_record();
}

void ColumnList::set_record(int i, const column_record& r) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (inside(i)) records_[i] = r;
}

QString ColumnList::text_of(int i, QString column_record::*field) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return inside(i) ? records_[i].*field : QString();
}

void ColumnList::set_text(int i, QString column_record::*field, const QString& text) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (inside(i)) records_[i].*field = text;
}

QString ColumnList::name(int i) const {
    return text_of(i, &column_record::name);
}
QString ColumnList::units(int i) const {
    return text_of(i, &column_record::units);
}
QString ColumnList::user1(int i) const {
    return text_of(i, &column_record::user1);
}
QString ColumnList::label(int i) const {
    return text_of(i, &column_record::label);
}
QString ColumnList::formula(int i) const {
    return text_of(i, &column_record::formula);
}
QString ColumnList::letters(int i) const {
    return text_of(i, &column_record::letters);
}
void ColumnList::set_name(int i, const QString& text) {
    set_text(i, &column_record::name, text);
}
void ColumnList::set_units(int i, const QString& text) {
    set_text(i, &column_record::units, text);
}
void ColumnList::set_user1(int i, const QString& text) {
    set_text(i, &column_record::user1, text);
}
void ColumnList::set_label(int i, const QString& text) {
    set_text(i, &column_record::label, text);
}
void ColumnList::set_formula(int i, const QString& text) {
    set_text(i, &column_record::formula, text);
}

QString ColumnList::alarm(int i, int slot) const {
    if (slot < 0 || slot >= 4) return QString();
    std::lock_guard<std::mutex> lock(mutex_);
    return inside(i) ? records_[i].alarm[slot] : QString();
}

void ColumnList::set_alarm(int i, int slot, const QString& text) {
    if (slot < 0 || slot >= 4) return;
    std::lock_guard<std::mutex> lock(mutex_);
    if (inside(i)) records_[i].alarm[slot] = text;
}

void ColumnList::clear_labels() {
    std::lock_guard<std::mutex> lock(mutex_);
    for (column_record& r : records_) r.label.clear();
}

double ColumnList::value(int i) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return inside(i) ? records_[i].value : 0.0;
}

QString ColumnList::value_text(int i) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return inside(i) ? records_[i].value_text : QStringLiteral("0");
}

void ColumnList::set_value(int i, double v) {
    QString text = format_value(v);  // formatted outside the lock: it allocates
    std::lock_guard<std::mutex> lock(mutex_);
    if (!inside(i)) return;
    records_[i].value = v;
    records_[i].value_text.swap(text);
}

std::vector<float> ColumnList::values_f(int count) const {
    std::vector<float> out(std::max(count, 0), 0.0f);
    copy_values_f(out.data(), int(out.size()));
    return out;
}

void ColumnList::copy_values_f(float* out, int count) const {
    std::lock_guard<std::mutex> lock(mutex_);
    const int n = std::min(count, int(records_.size()));
    for (int i = 0; i < n; ++i) out[i] = to_float(records_[i].value);
    for (int i = std::max(n, 0); i < count; ++i) out[i] = 0.0f;
}

QString ColumnList::format_value(double v) {
    return QString::number(v, 'g', 6);
}
