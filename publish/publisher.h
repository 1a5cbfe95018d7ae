#pragma once

#include <QString>
#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

#include "publish/mqtt_client.h"
#include "publish/publish_settings.h"
#include "publish/record_json.h"

class Clock;
class Outbox;
class PublisherWorker;

// The station's publisher: every record handed to enqueue() goes into the on-disk outbox at
// once, and the machine sends the outbox in order to "<topic>/records" on the broker, removing
// a record only when the broker took it (QoS 1; with QoS 0 once it was written). Up to
// kWindow records are on their way at a time; after a reconnect it sends again from the first
// one not taken. "<topic>/status" is "online" (retained) while connected and "offline" as the
// last will or at stop(). A broker that cannot be reached is tried again after 1 s, then after
// twice as long each time, up to a minute; the console hears of an outage once.
// `step()` does one round of work and returns how long the machine may wait before the next
// one; `wait()` waits that long, or until the socket or a wake() has something for it.
// Thread: enqueue(), apply_settings() and the counters from any thread; step(), wait() and
// finish() on the one worker thread (PublisherWorker after start(), else the caller's).
class Publisher {
  public:
    using Printer = std::function<void(const QString& message)>;
    static constexpr int kWindow = 100;
    static constexpr int kFirstRetryMs = 1000;
    static constexpr int kLastRetryMs = 60000;
    static constexpr int kConnectTimeoutMs = 15000;
    static constexpr int kIdleWaitMs = 60000;
    static constexpr int kConnectedWaitMs = 1000;

    Publisher(PublishSettings settings, QString outbox_dir, Clock& clock, Printer print);
    ~Publisher();
    Publisher(const Publisher&) = delete;
    Publisher& operator=(const Publisher&) = delete;

    // Appends the record to the outbox (on the disk when this returns) and wakes the worker.
    // Does nothing while publishing is off.
    void enqueue(const PublishedRecord& record);
    // Several records with one sync of the disk (a download, an import).
    void enqueue(const std::vector<PublishedRecord>& records);

    // Runs the machine on a thread of its own.
    void start();
    // Sends nothing more: says "offline", disconnects cleanly and ends the thread.
    void stop();
    // New settings, used from the next step; a connection to other settings is ended cleanly.
    void apply_settings(const PublishSettings& settings);
    PublishSettings settings() const;

    // Records in the outbox not yet taken by the broker; records it took since start-up.
    std::int64_t outbox_size() const;
    std::int64_t published_count() const { return published_.load(); }
    // Connections tried since start-up.
    int connect_attempts() const { return attempts_.load(); }
    bool connected() const { return connected_.load(); }
    // Between two connection attempts (worker thread only).
    bool waiting_for_retry() const { return state_ == kWaitRetry; }

    // The machine.
    int step();
    void wait(int timeout_ms);
    void wake();
    void finish();

  private:
    enum State { kOff, kWaitRetry, kConnecting, kConnected };
    enum Said { kNothing, kUnreachable, kRefused, kCredentials, kTls };
    struct InFlight {
        int mid = 0;
        std::int64_t seq = 0;
        bool taken = false;
    };

    std::shared_ptr<Outbox> outbox() const;
    void take_settings();
    void say_outbox_news(Outbox& outbox);
    void begin_connect();
    void pump(Outbox& outbox);
    void fill_window(Outbox& outbox);
    void take_acknowledged(Outbox& outbox);
    void fail(Said kind, const QString& line);
    void end_connection_cleanly();
    int wait_after() const;
    QByteArray topic_of(const char* leaf) const;

    Clock& clock_;
    const Printer print_;
    const QString outbox_dir_;

    // What other threads hand over.
    mutable std::mutex mutex_;
    PublishSettings pending_;
    bool settings_changed_ = false;
    std::shared_ptr<Outbox> outbox_;

    // The worker's own.
    PublishSettings settings_;
    State state_ = kOff;
    Said said_ = kNothing;
    std::int64_t retry_at_ = 0;
    std::int64_t connect_started_ = 0;
    int retry_ms_ = kFirstRetryMs;
    bool password_said_ = false;
    MqttClient client_;
    std::deque<InFlight> in_flight_;
    int wake_fd_ = -1;

    std::atomic<std::int64_t> published_{0};
    std::atomic<int> attempts_{0};
    std::atomic<bool> connected_{false};
    std::unique_ptr<PublisherWorker> thread_;
};
