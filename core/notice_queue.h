#pragma once

#include <QObject>
#include <deque>
#include <functional>
#include <mutex>

// Hands console lines and signals from a worker thread to the thread its owner object lives on,
// where they are emitted in the worker's order. The worker never emits itself: a signal and its
// text then never have owners on two threads at once, and receivers on the owner's thread are
// called there. The owner declares `Q_INVOKABLE void deliver_notices()` calling deliver().
// Thread: post() from any thread; deliver() on the owner's thread.
class NoticeQueue {
  public:
    explicit NoticeQueue(QObject& owner) : owner_(owner) {}

    // On the owner's thread: emits what is waiting, then `emission`, at once. Elsewhere: queues it
    // and, when nothing was waiting, asks the owner's thread to deliver.
    void post(std::function<void()> emission);
    // Emits everything queued so far, in order.
    void deliver();

  private:
    QObject& owner_;
    std::mutex mutex_;
    std::deque<std::function<void()>> waiting_;
};
