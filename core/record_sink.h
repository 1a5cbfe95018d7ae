#pragma once

#include <cstdint>
#include <functional>

struct DownloadedRecord;

// Where every record of the station goes: the core's logging cycle, the remote-logger download
// and the file import hand their records to it, and it alone numbers them, writes their lines and
// shows their values to the windows. The station's record log implements it.
// Thread: any; each worker calls it from its own thread.
class RecordSink {
  public:
    virtual ~RecordSink() = default;

    // The next record is number 0 and writes the header first.
    virtual void restart_numbering() = 0;
    virtual int record_number() const = 0;

    // The cycle's record: its values are in the columns and its formulas ran. Appends columns
    // 0..highest_column, taken at `record_time`, and shows the values to the windows. Returns
    // whether the line reached the file; one that did not is held back and still counts.
    virtual bool append_cycle(int highest_column, std::int64_t record_time) = 0;

    // A downloaded or imported record: stored into the columns (what it lacks becomes NaN), the
    // formulas run over it, and its line of columns 0..highest_column appended. `before_write`
    // (when given) runs right before the line is written and may refuse it. Returns whether the
    // line reached the file; only then does the record count.
    virtual bool add_transfer(const DownloadedRecord& record, int highest_column,
                              const std::function<bool()>& before_write = {}) = 0;
    // The windows' values follow the columns now (a transfer shows its values only when asked,
    // so a fast import does not redraw for every record).
    virtual void show_values() = 0;
};
