#pragma once

#include <QObject>
#include <QTest>

// Counts a signal that the core's worker thread emits, delivered queued to the test's thread as a
// window receives it. QSignalSpy records on the emitting thread, which races with the test
// reading it; this counter is only touched on the test's thread.
class QueuedSignal : public QObject {
  public:
    template <class Sender, class Signal>
    QueuedSignal(const Sender* sender, Signal signal) {
        connect(
            sender, signal, this, [this] { ++count_; }, Qt::QueuedConnection);
    }

    int count() const { return count_; }

    // Waits, running the event loop, until one more emission has been delivered.
    bool wait(int timeout_ms) {
        const int before = count_;
        QDeadlineTimer deadline(timeout_ms);
        while (count_ == before && !deadline.hasExpired()) QTest::qWait(5);
        return count_ != before;
    }

  private:
    int count_ = 0;
};
