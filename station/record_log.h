#pragma once

#include <QByteArray>
#include <QString>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "core/record_sink.h"
#include "station/record_writer.h"
#include "variables/value_snapshot.h"

class ColumnList;
class Publisher;
struct PublishedRecord;

// The station's one record log: numbers the records of the logging cycle, the download and the
// import, writes the header after every start of logging, formats each record from the column
// list, appends it through one writer and shows the values to the windows (the value board). A record counts
// (its number is used up) only once its line is in the file, or, for a cycle record, held back to be written
// first when the file takes lines again: a cycle's values cannot be measured again, a downloaded or imported
// record can be fetched again and is refused instead. Thread: any; the cycle, the download and the import
// append from their own worker threads.
class RecordLog final : public RecordSink {
  public:
    using Printer = std::function<void(const QString& message)>;
    using PathSource = std::function<QString()>;
    static constexpr int kCycleColumnLimit = 240;
    static constexpr int kTransferColumnLimit = 200;

    // `log_path` gives the log file's path at each append (the file name may change between
    // runs of logging). Lines go through a writer of their own.
    RecordLog(ColumnList& columns, Printer print, PathSource log_path,
              QString current_values_path = RecordWriter::default_current_values_path());

    void restart_numbering() override;
    int record_number() const override;

    // Also replaces the current-values file with the line. False also when the record is too wide
    // ("Column Error").
    bool append_cycle(int highest_column, std::int64_t record_time) override;
    bool add_transfer(const DownloadedRecord& record, int highest_column,
                      const std::function<bool()>& before_write = {}) override;
    void show_values() override;

    // Appends a record of columns 0..highest_column as the columns hold it, the first three
    // fields being the texts of columns 0..2. Returns whether the line reached the file; when it
    // did not, nothing counts and the caller keeps the record as not done.
    bool append_transfer(int highest_column);

    // The values as the last record left them; windows draw from this.
    std::shared_ptr<const ValueSnapshot> latest_values() const { return board_.latest(); }

    // Lines held back from the cycle, not yet in the file.
    int held_lines() const { return writer_.held_lines(); }
    // Writes the held-back lines if the file takes them now; at exit the lines still held are
    // said with their number. Returns that number.
    int flush_at_exit();

    // Every record that counts from now on also goes to `publisher`'s outbox, in the same step as
    // its line and in record order (nullptr: none). The publisher outlives the log's use.
    void set_publisher(Publisher* publisher);

    QString path() const { return log_path_(); }
    RecordWriter& writer() { return writer_; }

  private:
    bool append(int highest_column, bool cycle, std::int64_t record_time);
    QByteArray header_line(int highest_column) const;
    // The record just formatted, as it is published: the columns after Record, Date and Time.
    PublishedRecord published(int number, int highest_column, bool cycle, std::int64_t record_time,
                              const std::vector<float>& values) const;

    ColumnList& columns_;
    Printer print_;
    PathSource log_path_;
    RecordWriter writer_;
    std::mutex transfer_mutex_;        // a transfer's values, formulas and line stay together
    std::mutex order_mutex_;           // records of all threads reach the file in number order
    mutable std::mutex number_mutex_;  // the record number alone, read by the status line
    int record_number_ = 0;
    ValueBoard board_;
    std::atomic<Publisher*> publisher_{nullptr};
};
