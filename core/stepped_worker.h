#pragma once

#include <QString>
#include <QThread>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>

#include "core/notice_queue.h"

// The one shape of the station's workers: a thread that runs a state machine one step at a time.
// A step returns how long the worker may wait before the next step changes anything (kUntilRequest: until
// a request comes); the worker waits that long, or less when a request or a byte arrives. The base
// owns the thread, the requests that other threads hand to the worker (applied between two steps,
// so a step is never cut in half), the console lines and signals the worker hands back to the
// owner's thread, and the shut-down.
// Thread: the object lives on the thread that made it (the owner's); steps run on its worker
// thread. post(), apply() and print() may be called from any thread.
class SteppedWorker : public QThread {
    Q_OBJECT
  public:
    static constexpr int kUntilRequest = -1;

    explicit SteppedWorker(QObject* parent = nullptr);
    ~SteppedWorker() override;

    // Starts the worker loop (again, after it ended).
    void start(Priority priority = InheritPriority);
    // Waits until every request asked for so far has run on the worker: for a program without
    // windows that reads the outcome of a request at once. A window never calls it.
    void settle();
    // Prints a console text on the owner's thread, after what the worker handed over before: raw
    // texts pass unchanged, all others get "\r\n".
    void print(const QString& text, bool raw = false);
    // Emits what the worker printed and signalled, in order; runs on the owner's thread.
    Q_INVOKABLE void deliver_notices();
    // Ends the worker loop after the step in progress and waits for the thread. A derived class
    // calls it in its own destructor, before its members go.
    void shut_down();

  signals:
    void printline(QString text);
    // The worker's loop has ended (by itself or by shut_down()), emitted on the owner's thread
    // after everything the worker printed. Use it, not QThread::finished: that one is posted by
    // the worker thread outside the notice queue.
    void stopped();

  protected:
    // One step of the machine; returns the milliseconds the worker may wait before the next one,
    // or kUntilRequest.
    virtual int work_step() = 0;
    // Whether the loop ends after the step just taken (a worker that finishes by itself).
    virtual bool work_done() { return false; }
    // Waits at most `ms` for something to do. A worker on a port waits on the port; the base
    // waits for a request.
    virtual void wait_for_work(int ms);
    // Ends a wait_for_work() early (a request came).
    virtual void interrupt_wait() {}
    // Runs on the worker once its loop has ended, before the requests still waiting.
    virtual void work_finished() {}

    // Runs `change` on the worker between two steps, without waiting for it; at once when the
    // worker does not run (start-up, tests) or when called on the worker itself.
    void post(std::function<void()> change);
    // The same, and waits until it ran.
    void apply(std::function<void()> change);
    // Runs `emission` (a signal or a console line) on the owner's thread, in the worker's order.
    void notify(std::function<void()> emission);
    // The worker's loop has ended (by itself or by shut_down()); a new start() runs it again.
    bool loop_ended() const;

  private:
    void run() final;
    void apply_pending_requests();
    bool worker_takes_requests();

    mutable std::mutex request_mutex_;
    std::condition_variable request_cv_;
    std::deque<std::function<void()>> requests_;
    std::uint64_t requests_posted_ = 0, requests_done_ = 0;
    bool quit_ = false;
    bool loop_finished_ = false;  // run() has ended its loop; requests then run at once

    NoticeQueue notices_;
};
