#pragma once

// Keeps ThreadSanitizer from recording the memory accesses made on this thread while it lives.
// For handing work to Qt's posted-event list from a worker thread only: Debian's Qt is not built
// with the sanitizer, and that list is guarded by a Qt lock the sanitizer cannot see, so Qt's own
// bookkeeping would be reported as races. Never let a slot or any code of ours run inside.
// Without the sanitizer it compiles to nothing. Lives on the thread that creates it.

#if defined(__SANITIZE_THREAD__)
#define VELD_THREAD_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define VELD_THREAD_SANITIZER 1
#endif
#endif

#ifdef VELD_THREAD_SANITIZER
extern "C" void __tsan_ignore_thread_begin();
extern "C" void __tsan_ignore_thread_end();
#endif

class UnseenByThreadSanitizer {
  public:
#ifdef VELD_THREAD_SANITIZER
    UnseenByThreadSanitizer() {
        __tsan_ignore_thread_begin();
    }
    ~UnseenByThreadSanitizer() {
        __tsan_ignore_thread_end();
    }
#else
    UnseenByThreadSanitizer() {}  // user-provided: a guard is never an "unused variable"
#endif
    UnseenByThreadSanitizer(const UnseenByThreadSanitizer&) = delete;
    UnseenByThreadSanitizer& operator=(const UnseenByThreadSanitizer&) = delete;
};
