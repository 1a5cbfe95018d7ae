#pragma once

#include <atomic>
#include <thread>

class Publisher;

// The thread that runs a publisher's machine: step, wait as long as the step allows (or until
// woken), again, until told to stop; then the publisher finishes on this thread.
// Thread: started and stopped by the publisher's owner; run() is the worker thread.
class PublisherThread {
  public:
    explicit PublisherThread(Publisher& publisher) : publisher_(publisher) {}
    ~PublisherThread() { stop(); }
    PublisherThread(const PublisherThread&) = delete;
    PublisherThread& operator=(const PublisherThread&) = delete;

    void start();
    // Ends the loop after the current step and waits for the thread.
    void stop();

  private:
    void run();

    Publisher& publisher_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};
