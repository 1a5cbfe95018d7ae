#include "publish/publisher_worker.h"

#include "publish/publisher.h"

PublisherWorker::~PublisherWorker() {
    shut_down();
}

int PublisherWorker::work_step() {
    return publisher_.step();
}

void PublisherWorker::wait_for_work(int ms) {
    publisher_.wait(ms);
}

void PublisherWorker::interrupt_wait() {
    publisher_.wake();
}

void PublisherWorker::work_finished() {
    publisher_.finish();
}
