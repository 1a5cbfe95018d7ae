#pragma once

#include <QString>
#include <array>
#include <mutex>
#include <vector>

// Spreadsheet-style letters of column n: 0 is A, 25 Z, 26 AA, 52 BA, 254 IU.
QString column_letters(int n);

// One column of the record: texts the user edits, the label the device definition gives it,
// its formula, its current value and its four alarm levels.
struct column_record {
    QString letters;
    QString name;
    QString units;
    QString user1;
    QString label;  // variable label from the associated device definition
    QString formula;
    double value = 0.0;
    QString value_text;            // %g with 6 significant digits; empty until a value is stored
    std::array<QString, 4> alarm;  // Alarm Low, Alarm High, Alert Low, Alert High
};

// The process-wide list of record columns ("A".."IU"). The user-interface thread edits the texts
// while the acquisition threads store values and run the formula pass, so every access goes
// through this object and its lock.
// Thread: any.
class ColumnList {
  public:
    static constexpr int kDefaultCount = 255;
    static constexpr int kRecordColumn = 0, kDateColumn = 1, kTimeColumn = 2, kFirstDataColumn = 3;

    explicit ColumnList(int count = kDefaultCount);

    // Empties the list, then `count` default records with the system columns A..C named.
    void reset_columns(int count = kDefaultCount);
    int size() const;

    column_record record(int i) const;  // a copy; a default record beyond the list
    void set_record(int i, const column_record& r);

    QString name(int i) const;
    QString units(int i) const;
    QString user1(int i) const;
    QString label(int i) const;
    QString formula(int i) const;
    QString letters(int i) const;
    QString alarm(int i, int slot) const;
    void set_name(int i, const QString& text);
    void set_units(int i, const QString& text);
    void set_user1(int i, const QString& text);
    void set_label(int i, const QString& text);
    void set_formula(int i, const QString& text);
    void set_alarm(int i, int slot, const QString& text);
    void clear_labels();

    double value(int i) const;        // 0 beyond the list
    QString value_text(int i) const;  // "0" beyond the list
    // Stores value and value text together; an index beyond the list is ignored.
    void set_value(int i, double v);
    // Values of columns [0, count) as 32-bit floats in one locked copy (0 beyond the list).
    std::vector<float> values_f(int count) const;
    // The same into out[0..count), without allocating (the formula pass copies every cycle).
    void copy_values_f(float* out, int count) const;

    // Held by run_formulas for a whole pass, so that two passes over this list never overlap.
    // Taken before the list's own lock, never while holding it.
    std::mutex& formula_pass_mutex() { return pass_mutex_; }

    // Runs f(const std::vector<column_record>&) under the lock, for bulk reads (tables, files).
    template <class F>
    void read_all(F&& f) const {
        std::lock_guard<std::mutex> lock(mutex_);
        f(records_);
    }
    // Runs f(std::vector<column_record>&) under the lock, for bulk edits (file reader, Clear Titles).
    template <class F>
    void edit_all(F&& f) {
        std::lock_guard<std::mutex> lock(mutex_);
        f(records_);
    }

    // %g style text of a value with 6 significant digits (1234567 gives 1.23457e+06).
    static QString format_value(double v);

  private:
    bool inside(int i) const { return i >= 0 && i < int(records_.size()); }
    QString text_of(int i, QString column_record::*field) const;
    void set_text(int i, QString column_record::*field, const QString& text);

    mutable std::mutex mutex_;
    std::mutex pass_mutex_;
    std::vector<column_record> records_;
};
