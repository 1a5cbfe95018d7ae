#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <mutex>
#include <utility>
#include <vector>

// Appends finished record lines to a CSV log file and replaces the current-values file. A log
// file that cannot be opened or written is said once per outage, and again when it takes lines.
// Lines of a logging cycle (measured once, never again) are kept and written first the next
// time the file can be written, so no record is lost to a passing fault (a full disk, a file
// held open by a spreadsheet); past kMaxHeldLines further lines are dropped and counted. Lines
// that can be fetched again (a download, an import) are refused instead: the caller keeps them
// as not done. A current-values file that cannot be replaced is said once, until it can be again.
// Thread: any; one writer is shared by the threads that append records.
class RecordWriter {
  public:
    using Printer = std::function<void(const QString& message)>;
    static constexpr int kMaxHeldLines = 100000;

    RecordWriter(Printer print, QString current_values_path, int max_held_lines = kMaxHeldLines);

    enum class OnFailure { kHold, kRefuse };

    // Appends `text` (one or more whole lines) to the file at `path`. Returns true when the file
    // took it and everything held back before it. When it did not, kHold keeps `text` for later
    // and kRefuse forgets it.
    bool append(const QString& path, const QByteArray& text, OnFailure on_failure = OnFailure::kHold);
    // Writes what is held back, if the file takes it now. Returns the lines still held.
    int flush_held();
    // Replaces the current-values file with `line`: a new file under an unpredictable name in the
    // same folder, then renamed over the old one, so a reader never sees half a line and a link
    // planted at that name is replaced, not followed. Skipped when the folder does not exist.
    bool replace_current_values(const QByteArray& line);

    int held_lines() const;
    int dropped_lines() const;
    QString current_values_path() const { return current_values_path_; }

    // "/tmp/veld_current.txt" (on Windows "c:/temp/veld_current.txt").
    static QString default_current_values_path();

  private:
    bool write_to(const QString& path, const QByteArray& text, QString& error);
    bool write_held(QString& error);                              // mutex_ held
    void say_failure(const QString& path, const QString& error);  // mutex_ held
    void say_recovery();                                          // mutex_ held
    bool replace_file(const QByteArray& line, QString& error);

    Printer print_;
    const QString current_values_path_;
    const int max_held_lines_;
    mutable std::mutex mutex_;
    std::vector<std::pair<QString, QByteArray>> held_;
    int held_line_count_ = 0;
    int dropped_line_count_ = 0;  // in the present outage
    int written_after_hold_ = 0;  // held lines written since the outage began
    bool failing_ = false;        // the log file took nothing since the last failure
    bool current_values_failed_ = false;
};
