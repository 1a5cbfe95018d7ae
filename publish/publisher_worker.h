#pragma once

#include "core/stepped_worker.h"

class Publisher;

// The worker that runs a publisher's machine on the station's worker shape: a step, then a wait
// on the broker's socket and the publisher's wake-up as long as the step allows; when the loop
// ends, the publisher finishes on this thread (it says "offline" and disconnects).
// Thread: the object lives on the thread that made it; the machine runs on its worker thread.
class PublisherWorker final : public SteppedWorker {
  public:
    explicit PublisherWorker(Publisher& publisher) : publisher_(publisher) {}
    ~PublisherWorker() override;

  protected:
    int work_step() override;
    void wait_for_work(int ms) override;
    void interrupt_wait() override;
    void work_finished() override;

  private:
    Publisher& publisher_;
};
