#include "publish/publisher_thread.h"

#include "publish/publisher.h"

void PublisherThread::start() {
    if (thread_.joinable()) return;
    stop_ = false;
    thread_ = std::thread([this] { run(); });
}

void PublisherThread::stop() {
    if (!thread_.joinable()) return;
    stop_ = true;
    publisher_.wake();
    thread_.join();
}

void PublisherThread::run() {
    while (!stop_) {
        const int budget = publisher_.step();
        if (stop_) break;
        publisher_.wait(budget);
    }
    publisher_.finish();
}
