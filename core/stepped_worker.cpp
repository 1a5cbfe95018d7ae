#include "core/stepped_worker.h"

#include <chrono>

SteppedWorker::SteppedWorker(QObject* parent) : QThread(parent), notices_(*this) {}

SteppedWorker::~SteppedWorker() {
    shut_down();
}

bool SteppedWorker::worker_takes_requests() {
    // Called with request_mutex_ held. Once the thread is started every change goes through it,
    // even before its loop runs: a change made beside a starting worker could be missed by its
    // first look at the state.
    return isRunning() && !loop_finished_ && QThread::currentThread() != this;
}

void SteppedWorker::post(std::function<void()> change) {
    std::unique_lock<std::mutex> lock(request_mutex_);
    if (!worker_takes_requests()) {
        lock.unlock();
        change();
        return;
    }
    requests_.push_back(std::move(change));
    ++requests_posted_;
    lock.unlock();
    request_cv_.notify_all();
    interrupt_wait();
}

void SteppedWorker::apply(std::function<void()> change) {
    std::unique_lock<std::mutex> lock(request_mutex_);
    if (!worker_takes_requests()) {
        lock.unlock();
        change();
        return;
    }
    requests_.push_back(std::move(change));
    const std::uint64_t id = ++requests_posted_;
    lock.unlock();
    request_cv_.notify_all();
    interrupt_wait();
    lock.lock();
    request_cv_.wait(lock, [&] { return requests_done_ >= id || loop_finished_; });
}

void SteppedWorker::apply_pending_requests() {
    for (;;) {
        std::function<void()> change;
        {
            std::lock_guard<std::mutex> lock(request_mutex_);
            if (requests_.empty()) return;
            change = std::move(requests_.front());
            requests_.pop_front();
        }
        change();
        // Notified under the lock, so that whoever takes the lock later sees the condition
        // variable's last use (it is destroyed with the worker).
        std::lock_guard<std::mutex> lock(request_mutex_);
        ++requests_done_;
        request_cv_.notify_all();
    }
}

void SteppedWorker::settle() {
    apply([] {});
}

bool SteppedWorker::loop_ended() const {
    std::lock_guard<std::mutex> lock(request_mutex_);
    return loop_finished_;
}

void SteppedWorker::start(Priority priority) {
    // A loop that has just ended is let finish before the next one starts.
    wait();
    {
        std::lock_guard<std::mutex> lock(request_mutex_);
        quit_ = false;
        loop_finished_ = false;
    }
    QThread::start(priority);
}

void SteppedWorker::run() {
    for (;;) {
        apply_pending_requests();
        {
            std::lock_guard<std::mutex> lock(request_mutex_);
            if (quit_) break;
        }
        const int wait_ms = work_step();
        if (work_done()) break;
        if (wait_ms == kUntilRequest) {
            // Nothing to step: sleep until somebody asks for something.
            std::unique_lock<std::mutex> lock(request_mutex_);
            request_cv_.wait(lock, [this] { return quit_ || !requests_.empty(); });
        } else if (wait_ms > 0) {
            wait_for_work(wait_ms);
        }
    }
    {
        std::lock_guard<std::mutex> lock(request_mutex_);
        loop_finished_ = true;
    }
    work_finished();
    notify([this] { emit stopped(); });
    apply_pending_requests();  // changes asked for while stopping still happen, on this thread
    std::lock_guard<std::mutex> lock(request_mutex_);
    request_cv_.notify_all();
}

void SteppedWorker::wait_for_work(int ms) {
    std::unique_lock<std::mutex> lock(request_mutex_);
    request_cv_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return quit_ || !requests_.empty(); });
}

void SteppedWorker::shut_down() {
    {
        std::lock_guard<std::mutex> lock(request_mutex_);
        quit_ = true;
    }
    request_cv_.notify_all();
    interrupt_wait();
    wait();
    {
        // The worker's last touch of the lock and the condition variable happens before this.
        std::lock_guard<std::mutex> lock(request_mutex_);
    }
    // What the worker printed last still reaches the console.
    if (QThread::currentThread() == thread()) deliver_notices();
}

void SteppedWorker::print(const QString& text, bool raw) {
    // A string of its own (never a shared copy of the caller's), so that only one thread owns it.
    QString line = raw ? QString(text.constData(), text.size()) : text + QStringLiteral("\r\n");
    notify([this, line = std::move(line)] { emit printline(line); });
}

void SteppedWorker::notify(std::function<void()> emission) {
    notices_.post(std::move(emission));
}

void SteppedWorker::deliver_notices() {
    notices_.deliver();
}
