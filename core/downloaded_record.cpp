#include "core/downloaded_record.h"

#include <algorithm>
#include <limits>

#include "link/number_text.h"
#include "variables/column_list.h"

namespace {

bool is_record_number(const QString& field) {
    const QString trimmed = field.trimmed();
    if (trimmed.isEmpty()) return false;
    for (const QChar c : trimmed)
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return false;
    return true;
}

// A field that does not start like a number ("", "ERR", "nan") was not measured.
float read_float(const QString& text) {
    const QByteArray bytes = text.trimmed().toLatin1();
    const char* p = bytes.constData();
    const char* end = p + bytes.size();
    const char* digits = p < end && (*p == '-' || *p == '+') ? p + 1 : p;
    if (digits == end || !((*digits >= '0' && *digits <= '9') || *digits == '.'))
        return std::numeric_limits<float>::quiet_NaN();
    return read_float_prefix(p, end);
}

}  // namespace

bool DownloadedRecord::parse(const QString& line, DownloadedRecord& record) {
    const QStringList fields = line.split(QLatin1Char(','), Qt::KeepEmptyParts);
    if (!is_record_number(fields.at(0))) return false;
    record = from_fields(fields);
    return true;
}

DownloadedRecord DownloadedRecord::from_fields(const QStringList& fields) {
    DownloadedRecord record;
    record.number = fields.value(0);
    record.date = QStringLiteral("");
    record.time = QStringLiteral("");
    bool split = false;
    if (fields.size() > 1) {
        const QString& field = fields.at(1);
        // A date-time ("2013-05-01 10:00:00") gives the date and the time; field 2 is dropped.
        // Any other field 1 is the date alone: column 1 never keeps the previous record's date.
        record.date = field;
        if (field.contains(QLatin1Char('-')) && field.contains(QLatin1Char(':')) &&
            field.contains(QLatin1Char(' '))) {
            const QStringList parts = field.split(QLatin1Char(' '));
            record.date = parts.at(0);
            if (parts.size() > 1) {
                record.time = parts.at(1);
                split = true;
            }
        }
    }
    if (fields.size() > 2 && !split) record.time = fields.at(2);
    record.values = fields.mid(3);
    return record;
}

void DownloadedRecord::store(ColumnList& columns, int highest_column) const {
    std::vector<float> numbers;
    numbers.reserve(values.size());
    for (const QString& v : values) numbers.push_back(read_float(v));
    columns.edit_all([&](std::vector<column_record>& all) {
        const int count = int(all.size());
        if (count > ColumnList::kRecordColumn) {
            all[ColumnList::kRecordColumn].value_text = number;
            all[ColumnList::kRecordColumn].value = number.trimmed().toDouble();  // "C" locale
        }
        if (count > ColumnList::kDateColumn) all[ColumnList::kDateColumn].value_text = date;
        if (count > ColumnList::kTimeColumn) all[ColumnList::kTimeColumn].value_text = time;
        const int last = std::max(highest_column, ColumnList::kFirstDataColumn + int(values.size()) - 1);
        for (int column = ColumnList::kFirstDataColumn; column <= last && column < count; ++column) {
            const int i = column - ColumnList::kFirstDataColumn;
            if (i < int(values.size())) {
                all[column].value_text = values.at(i);
                all[column].value = double(numbers[std::size_t(i)]);
            } else {
                all[column].value_text.clear();
                all[column].value = std::numeric_limits<double>::quiet_NaN();
            }
        }
    });
}
