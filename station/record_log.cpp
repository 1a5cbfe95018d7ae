#include "station/record_log.h"

#include <QDateTime>
#include <algorithm>
#include <cmath>
#include <vector>

#include "core/downloaded_record.h"
#include "core/record_format.h"
#include "publish/publisher.h"
#include "variables/column_list.h"
#include "variables/formula_pass.h"

namespace {
constexpr int kHeaderNameWarnLength = 100;
constexpr int kHeaderNameCutLength = 200;
// The formula pass over a transfer: it writes computed values into the columns; the columns a
// transfer writes are fixed by its caller, so the marks of the pass change nothing.
class TransferValues final : public ColumnSink {
  public:
    explicit TransferValues(ColumnList& columns) : columns_(columns) {}
    void set_column_value(int index, float value) override {
        if (index >= 0 && index < columns_.size()) columns_.set_value(index, double(value));
    }
    void mark_column(int, int) override {}

  private:
    ColumnList& columns_;
};
}  // namespace

RecordLog::RecordLog(ColumnList& columns, Printer print, PathSource log_path, QString current_values_path)
    : columns_(columns),
      print_(print),
      log_path_(std::move(log_path)),
      writer_(std::move(print), std::move(current_values_path)) {}

void RecordLog::restart_numbering() {
    std::lock_guard<std::mutex> lock(number_mutex_);
    record_number_ = 0;
}

int RecordLog::record_number() const {
    std::lock_guard<std::mutex> lock(number_mutex_);
    return record_number_;
}

bool RecordLog::append_cycle(int highest_column, std::int64_t record_time) {
    const bool written = append(highest_column, true, record_time);
    board_.publish(columns_);
    return written;
}

bool RecordLog::add_transfer(const DownloadedRecord& record, int highest_column,
                             const std::function<bool()>& before_write) {
    std::lock_guard<std::mutex> lock(transfer_mutex_);
    record.store(columns_, highest_column);
    // Derived columns are computed before the record is written, so they belong to it.
    TransferValues values(columns_);
    run_formulas(columns_, values);
    if (before_write && !before_write()) return false;
    return append_transfer(highest_column);
}

void RecordLog::show_values() {
    board_.publish(columns_);
}

bool RecordLog::append_transfer(int highest_column) {
    return append(highest_column, false, 0);
}

QByteArray RecordLog::header_line(int highest_column) const {
    std::vector<QByteArray> names;
    for (int i = 0; i <= highest_column; ++i) {
        QString name = columns_.name(i);
        if (name.size() > kHeaderNameWarnLength) {
            print_(QStringLiteral("Length Error"));
            name.truncate(kHeaderNameCutLength);
        }
        names.push_back(name.toUtf8());
    }
    return format_header_line(names);
}

bool RecordLog::append(int highest_column, bool cycle, std::int64_t record_time) {
    if (highest_column > (cycle ? kCycleColumnLimit : kTransferColumnLimit)) {
        print_(QStringLiteral("Column Error"));
        return false;
    }
    // The number is taken and used up under one lock, so two threads never write the same one.
    // The status line takes only the number's own lock and never waits for the disk.
    std::lock_guard<std::mutex> order(order_mutex_);
    const int number = record_number();
    const QByteArray header = number == 0 ? header_line(highest_column) : QByteArray();
    const QByteArray first = cycle ? format_cycle_fields(number, record_time)
                                   : (columns_.value_text(0) + QLatin1Char(',') + columns_.value_text(1) +
                                      QLatin1Char(',') + columns_.value_text(2))
                                         .toUtf8();
    const std::vector<float> all = columns_.values_f(highest_column + 1);
    const std::vector<float> values(all.begin() + std::min<std::size_t>(3, all.size()), all.end());
    const QByteArray line = format_record_line(first, values);

    const bool written =
        writer_.append(log_path_(), header + line,
                       cycle ? RecordWriter::OnFailure::kHold : RecordWriter::OnFailure::kRefuse);
    if (!written && !cycle) return false;
    // Still under the order lock: the outbox takes the records in the log's order.
    if (Publisher* publisher = publisher_.load())
        publisher->enqueue(published(number, highest_column, cycle, record_time, values));
    if (cycle) writer_.replace_current_values(line);
    std::lock_guard<std::mutex> lock(number_mutex_);
    ++record_number_;
    return written;
}

void RecordLog::set_publisher(Publisher* publisher) {
    publisher_.store(publisher);
}

PublishedRecord RecordLog::published(int number, int highest_column, bool cycle, std::int64_t record_time,
                                     const std::vector<float>& values) const {
    PublishedRecord record;
    if (cycle) {
        record.record = number;
        record.time = QDateTime::fromSecsSinceEpoch(record_time, Qt::LocalTime);
    } else {
        // A transfer keeps the number and the time the remote logger or the file gave it.
        bool ok = false;
        const int given = columns_.value_text(0).trimmed().toInt(&ok);
        record.record = ok ? given : number;
        const QDate date = QDate::fromString(columns_.value_text(1).trimmed(), Qt::ISODate);
        const QTime time = QTime::fromString(columns_.value_text(2).trimmed(), Qt::ISODate);
        record.time = date.isValid() && time.isValid() ? QDateTime(date, time, Qt::LocalTime)
                                                       : QDateTime::currentDateTime();
    }
    for (int i = ColumnList::kFirstDataColumn; i <= highest_column; ++i) {
        const QString name = columns_.name(i);
        const std::size_t at = std::size_t(i - ColumnList::kFirstDataColumn);
        record.values.push_back({name.isEmpty() ? column_letters(i) : name, columns_.units(i),
                                 at < values.size() ? double(values[at]) : std::nan("")});
    }
    return record;
}

int RecordLog::flush_at_exit() {
    const int held = writer_.flush_held();
    if (held > 0)
        print_(
            QStringLiteral("%1 record lines could not be written to %2 and are lost").arg(held).arg(path()));
    return held;
}
