#pragma once

#include <QMainWindow>
#include <QString>
#include <cstdint>
#include <memory>

#include "link/clock.h"

namespace Ui {
class comms_console;
}

// The console ("Terminal Data"): mirrors the text the workers print about bus traffic and
// progress. It collects what arrives, shows it at most every 250 ms, keeps about the last
// thousand lines, and appends everything to LOG/console.txt at most every 2 s.
// Thread: the user-interface thread; the workers reach it only through queued signals.
class comms_console : public QMainWindow {
    Q_OBJECT
  public:
    static constexpr int kShowEveryMs = 250;
    static constexpr int kSaveEveryMs = 2000;
    static constexpr int kMaxLines = 1000;
    // What is kept for console.txt while it cannot be written.
    static constexpr int kMaxUnsavedChars = 1 << 20;

    // `file_path`: the file the text is appended to (LOG/console.txt). The first constructor
    // paces itself by the machine's clock, the second by `clock`, which must outlive the console.
    explicit comms_console(const QString& file_path, QWidget* parent = nullptr);
    comms_console(const QString& file_path, Clock& clock, QWidget* parent = nullptr);
    ~comms_console() override;

  public slots:
    // Takes a piece of console text as printed (ordinary lines end in CR LF, received characters
    // come one by one). Empty text only flushes what is buffered.
    void newline(QString text);

  protected:
    // Each tick of a timer started on the console (the main window starts one of 250 ms) flushes
    // what is still buffered.
    void timerEvent(QTimerEvent* event) override;

  private:
    // With no clock given, the console keeps its own SystemClock.
    comms_console(const QString& file_path, Clock* clock, QWidget* parent);
    bool follows_end() const;
    void show_buffered(bool following);
    void save_buffered();
    void keep_unsaved_within_bounds();
    // A word from the console itself, shown with the next flush but not saved.
    void say(const QString& text);

    std::unique_ptr<SystemClock> own_clock_;
    Clock* clock_;
    std::unique_ptr<Ui::comms_console> ui_;
    const QString file_path_;
    QString display_buffer_;
    QString file_buffer_;
    std::int64_t display_due_ms_;
    std::int64_t save_due_ms_;
    bool file_trouble_said_ = false;
    bool drop_said_ = false;
};
