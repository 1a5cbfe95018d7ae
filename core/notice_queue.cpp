#include "core/notice_queue.h"

#include <QThread>

#include "core/unseen_by_thread_sanitizer.h"

void NoticeQueue::post(std::function<void()> emission) {
    if (QThread::currentThread() == owner_.thread()) {
        deliver();  // what the worker handed over before comes first
        emission();
        return;
    }
    bool was_empty;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        was_empty = waiting_.empty();
        waiting_.push_back(std::move(emission));
    }
    if (!was_empty) return;  // a delivery is already on its way
    // Invoked by name and queued: no code of ours runs inside Qt's posting.
    UnseenByThreadSanitizer qt_bookkeeping;
    QMetaObject::invokeMethod(&owner_, "deliver_notices", Qt::QueuedConnection);
}

void NoticeQueue::deliver() {
    std::deque<std::function<void()>> pending;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        pending.swap(waiting_);
    }
    for (const auto& emission : pending) emission();
}
