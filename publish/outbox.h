#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

#include "publish/record_json.h"

// One record waiting in the outbox: its sequence number and the JSON object to publish.
// Thread: a plain value.
struct OutboxEntry {
    std::int64_t seq = 0;
    QByteArray payload;
};

// The on-disk store of the records still to publish, in a folder of its own. Each record is
// appended as one line "<seq> <json>" to the newest segment file ("seg-<first seq>.log") and is
// on the disk (written and synced) before append returns, so neither a killed process nor a
// power cut loses it. Sequence numbers go up by one for every record ever appended, across
// restarts. Records leave only when acknowledged; a segment whose records are all acknowledged
// is deleted, and the last acknowledged number is kept in "acked". At start-up every record not
// acknowledged is read again (a repeat is possible, a loss is not); a torn last line is dropped.
// Past the size limit the oldest segments go, and the records in them not yet acknowledged are
// counted as dropped. The newest segment is never deleted, so the numbering survives.
// Thread: any. Appends come from the record-writing threads; reading, rewinding and
// acknowledging from one publishing thread.
class Outbox {
  public:
    static constexpr std::int64_t kSegmentBytes = 1024 * 1024;

    // Opens (making it when missing) the folder `dir` and reads what is in it.
    Outbox(QString dir, std::int64_t limit_bytes, std::int64_t segment_bytes = kSegmentBytes);
    ~Outbox();
    Outbox(const Outbox&) = delete;
    Outbox& operator=(const Outbox&) = delete;

    // Appends the record as the next number and returns that number once it is on the disk;
    // 0 when it could not be written (take_fault says why).
    std::int64_t append(const PublishedRecord& record, const QString& station);
    // Appends several records with one sync; returns the last number given, 0 on a fault.
    std::int64_t append(const std::vector<PublishedRecord>& records, const QString& station);

    // The publishing side. Up to `max` records from the read position on, which moves past them.
    std::vector<OutboxEntry> read_next(int max);
    // Moves the read position back to the first record not acknowledged.
    void rewind();
    // Every record up to and including `seq` has been taken by the broker.
    void acknowledge(std::int64_t seq);

    // Records appended and neither acknowledged nor dropped.
    std::int64_t size() const;
    std::int64_t last_seq() const;
    std::int64_t acknowledged_seq() const;
    // Bytes of the segment files on the disk.
    std::int64_t bytes() const;
    // Records dropped by the size limit since the last call.
    std::int64_t take_dropped();
    // Why the last append failed, once; empty when nothing failed since the last call.
    QString take_fault();
    // A new size limit, applied at the next append.
    void set_limit_bytes(std::int64_t limit_bytes);

  private:
    struct Segment {
        std::int64_t first = 0;
        std::int64_t last = 0;  // the last record in it, first - 1 while empty
        std::int64_t bytes = 0;
        QString path;
    };

    void load();
    bool append_lines(const QByteArray& lines, std::int64_t first, std::int64_t last);
    bool roll(std::int64_t first);
    void say_fault(const QString& reason);
    void enforce_limit_locked();
    void drop_acknowledged_locked();
    void write_acknowledged(std::int64_t seq);
    std::int64_t segment_limit() const;
    QString segment_path(std::int64_t first) const;

    const QString dir_;
    const std::int64_t segment_bytes_;

    // Appenders, one at a time: the newest segment's file and the next number.
    std::mutex write_mutex_;
    QFile write_file_;
    QString write_path_;  // its path (a file opened from a descriptor forgets its name)
    std::int64_t next_seq_ = 1;

    // What both sides see.
    mutable std::mutex state_mutex_;
    std::deque<Segment> segments_;
    std::int64_t acked_ = 0;
    std::int64_t last_ = 0;
    std::int64_t dropped_ = 0;
    std::atomic<std::int64_t> limit_bytes_;
    QString fault_;       // to be said
    QString last_fault_;  // said, until an append succeeds again

    // The publishing side's own: the read position and the acknowledged file.
    std::int64_t read_seq_ = 1;
    std::unique_ptr<QFile> read_file_;
    std::int64_t read_file_first_ = 0;
    std::int64_t read_offset_ = 0;
    QFile acked_file_;
    std::int64_t acked_written_ = 0;
};
