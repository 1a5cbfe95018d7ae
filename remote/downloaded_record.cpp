#include "remote/downloaded_record.h"

#include "core/number_text.h"
#include "variables/column_list.h"

namespace {

bool is_record_number(const QString& field) {
    const QString trimmed = field.trimmed();
    if (trimmed.isEmpty()) return false;
    for (const QChar c : trimmed)
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return false;
    return true;
}

float read_float(const QString& text) {
    const QByteArray bytes = text.trimmed().toLatin1();
    return read_float_prefix(bytes.constData(), bytes.constData() + bytes.size());
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
    bool split = false;
    if (fields.size() > 1) {
        const QString& field = fields.at(1);
        // Only a date-time ("2013-05-01 10:00:00") is stored; its time part then stands for
        // field 2, which is dropped.
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

void DownloadedRecord::store(ColumnList& columns) const {
    std::vector<float> numbers;
    numbers.reserve(values.size());
    for (const QString& v : values) numbers.push_back(read_float(v));
    columns.edit_all([&](std::vector<column_record>& all) {
        const int count = int(all.size());
        if (count > ColumnList::kRecordColumn) all[ColumnList::kRecordColumn].value_text = number;
        if (!date.isNull() && count > ColumnList::kDateColumn) all[ColumnList::kDateColumn].value_text = date;
        if (!time.isNull() && count > ColumnList::kTimeColumn) all[ColumnList::kTimeColumn].value_text = time;
        for (int i = 0; i < int(values.size()); ++i) {
            const int column = ColumnList::kFirstDataColumn + i;
            if (column >= count) break;
            all[column].value_text = values.at(i);
            all[column].value = double(numbers[std::size_t(i)]);
        }
    });
}
