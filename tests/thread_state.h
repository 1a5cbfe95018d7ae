#pragma once

#include <sys/syscall.h>
#include <sys/types.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QString>
#include <thread>

// Whether the threads of this process are asleep (blocked in a wait: poll, a condition variable, a
// FIFO's open), as Linux shows them in /proc/self/task/<id>/stat. Tests wait on that instead of
// sleeping a fixed time: "the worker is now waiting" is a condition, "50 ms have passed" a guess.
// Thread: any; the functions only read /proc.
namespace thread_state {

// The kernel's id of the calling thread.
inline pid_t this_thread_id() {
    return pid_t(::syscall(SYS_gettid));
}

// True when the thread sleeps in an interruptible wait (state S).
inline bool asleep(pid_t id) {
    QFile stat(QStringLiteral("/proc/self/task/%1/stat").arg(id));
    if (!stat.open(QIODevice::ReadOnly)) return false;
    const QByteArray line = stat.readAll();
    // "<id> (<name>) <state> ...": the name may hold spaces and parentheses, so look after the last ')'.
    const int close = line.lastIndexOf(')');
    return close >= 0 && line.size() > close + 2 && line.at(close + 2) == 'S';
}

// Waits until the thread sleeps; false when it has not within the time.
inline bool wait_until_asleep(pid_t id, int timeout_ms = 10000) {
    const QDeadlineTimer deadline(timeout_ms);
    while (!asleep(id)) {
        if (deadline.hasExpired()) return false;
        std::this_thread::yield();
    }
    return true;
}

// Waits until every thread of this process but the caller sleeps: the workers have done what
// they could and wait for time, input or a request. False when that has not come within the time.
inline bool wait_until_others_asleep(int timeout_ms = 10000) {
    const pid_t self = this_thread_id();
    const QDeadlineTimer deadline(timeout_ms);
    for (;;) {
        bool all = true;
        const QStringList ids =
            QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        for (const QString& id : ids) {
            const pid_t t = pid_t(id.toInt());
            if (t != self && !asleep(t)) {
                all = false;
                break;
            }
        }
        if (all) return true;
        if (deadline.hasExpired()) return false;
        std::this_thread::yield();
    }
}

}  // namespace thread_state
