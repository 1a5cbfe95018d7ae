#include "publish/publisher.h"

#include <algorithm>

#include "link/clock.h"
#include "publish/outbox.h"
#include "publish/publisher_worker.h"

#ifndef Q_OS_WIN
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>
#endif

namespace {

constexpr std::int64_t kBytesPerMb = 1024 * 1024;
constexpr int kStatusQos = 1;
constexpr std::int64_t kStatusSeq = -1;  // a status message among the records on their way
constexpr int kGoodbyeRounds = 20;       // of 100 ms: how long a clean disconnect may take
constexpr int kGoodbyeRoundMs = 100;

// Whether the connection must be made anew for the new settings.
bool connection_differs(const PublishSettings& a, const PublishSettings& b) {
    return a.enabled != b.enabled || a.host != b.host || a.port != b.port || a.topic != b.topic ||
           a.station != b.station || a.qos != b.qos || a.username != b.username ||
           a.password_file != b.password_file || a.ca_file != b.ca_file;
}

}  // namespace

Publisher::Publisher(PublishSettings settings, QString outbox_dir, Clock& clock, Printer print)
    : clock_(clock),
      print_(std::move(print)),
      outbox_dir_(std::move(outbox_dir)),
      pending_(settings),
      settings_(settings) {
    if (settings.enabled)
        outbox_ = std::make_shared<Outbox>(outbox_dir_, std::int64_t(settings.outbox_limit_mb) * kBytesPerMb);
#ifndef Q_OS_WIN
    wake_fd_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
#endif
    state_ = settings.enabled ? kWaitRetry : kOff;
    retry_at_ = clock_.tick_ms();
}

Publisher::~Publisher() {
    // A running thread must end; a machine stepped by its owner is left as it stands.
    thread_.reset();
#ifndef Q_OS_WIN
    if (wake_fd_ >= 0) ::close(wake_fd_);
#endif
}

std::shared_ptr<Outbox> Publisher::outbox() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return outbox_;
}

void Publisher::enqueue(const PublishedRecord& record) {
    std::shared_ptr<Outbox> box;
    QString station;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!pending_.enabled) return;
        box = outbox_;
        station = pending_.station;
    }
    if (box) box->append(record, station);
    wake();
}

void Publisher::enqueue(const std::vector<PublishedRecord>& records) {
    std::shared_ptr<Outbox> box;
    QString station;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!pending_.enabled) return;
        box = outbox_;
        station = pending_.station;
    }
    if (box) box->append(records, station);
    wake();
}

void Publisher::start() {
    if (thread_) return;
    // Started again after a stop: connect at once.
    if (settings_.enabled && state_ == kOff) {
        state_ = kWaitRetry;
        retry_at_ = clock_.tick_ms();
    }
    thread_ = std::make_unique<PublisherWorker>(*this);
    thread_->start();
}

void Publisher::stop() {
    if (thread_) {
        thread_->shut_down();
        thread_.reset();
    } else {
        finish();
    }
}

void Publisher::apply_settings(const PublishSettings& settings) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        pending_ = settings;
        settings_changed_ = true;
        const std::int64_t limit = std::int64_t(settings.outbox_limit_mb) * kBytesPerMb;
        if (outbox_)
            outbox_->set_limit_bytes(limit);
        else if (settings.enabled)
            outbox_ = std::make_shared<Outbox>(outbox_dir_, limit);
    }
    wake();
}

PublishSettings Publisher::settings() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return pending_;
}

std::int64_t Publisher::outbox_size() const {
    const std::shared_ptr<Outbox> box = outbox();
    return box ? box->size() : 0;
}

void Publisher::take_settings() {
    PublishSettings next;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!settings_changed_) return;
        settings_changed_ = false;
        next = pending_;
    }
    const bool reconnect = connection_differs(next, settings_);
    // The old connection says goodbye under the old topic.
    if (reconnect) end_connection_cleanly();
    settings_ = next;
    if (!reconnect) return;
    state_ = settings_.enabled ? kWaitRetry : kOff;
    retry_at_ = clock_.tick_ms();
    retry_ms_ = kFirstRetryMs;
    said_ = kNothing;
    password_said_ = false;
}

int Publisher::step() {
    take_settings();
    const std::shared_ptr<Outbox> box = outbox();
    if (box) say_outbox_news(*box);
    if (state_ == kOff || !box) return kIdleWaitMs;
    if (state_ == kWaitRetry) {
        if (clock_.tick_ms() < retry_at_) return wait_after();
        begin_connect();
        if (state_ != kConnecting) return wait_after();
    }
    pump(*box);
    return wait_after();
}

void Publisher::say_outbox_news(Outbox& box) {
    if (const std::int64_t dropped = box.take_dropped(); dropped > 0)
        print_(QStringLiteral("Publishing: outbox full, %1 oldest records dropped").arg(dropped));
    if (const QString fault = box.take_fault(); !fault.isEmpty())
        print_(QStringLiteral(
                   "Publishing: the outbox cannot be written (%1); records are not kept for publishing")
                   .arg(fault));
}

QByteArray Publisher::topic_of(const char* leaf) const {
    QString topic = settings_.topic;
    while (topic.endsWith(QLatin1Char('/'))) topic.chop(1);
    return (topic + QLatin1Char('/') + QLatin1String(leaf)).toUtf8();
}

void Publisher::begin_connect() {
    ++attempts_;
    MqttClient::Options o;
    o.host = settings_.host;
    o.port = settings_.port;
    o.client_id = QStringLiteral("veld-") + settings_.station;
    o.username = settings_.username;
    if (!settings_.password_file.isEmpty()) {
        // Read at every connect: a password changed in its file counts at the next one.
        const PasswordRead password = read_password_file(settings_.password_file);
        if (!password.read && !password_said_)
            print_(QStringLiteral("Publishing: password file %1 cannot be read (%2)")
                       .arg(settings_.password_file, password.reason));
        password_said_ = !password.read;
        o.with_password = password.read;
        o.password = password.password;
    }
    o.ca_file = settings_.ca_file;
    o.will_topic = topic_of("status");
    o.will_payload = QByteArrayLiteral("offline");
    o.will_qos = kStatusQos;
    o.max_in_flight = kWindow;
    const MqttClient::Outcome outcome = client_.connect(o);
    if (!outcome.ok) {
        if (outcome.tls_setup)
            fail(kTls,
                 QStringLiteral("Publishing: CA file %1 cannot be used (%2); records wait in the outbox")
                     .arg(settings_.ca_file, outcome.reason));
        else
            fail(kUnreachable,
                 QStringLiteral("Publishing: broker %1 not reachable (%2); records wait in the outbox")
                     .arg(settings_.broker(), outcome.reason));
        return;
    }
    state_ = kConnecting;
    connect_started_ = clock_.tick_ms();
}

void Publisher::pump(Outbox& box) {
    const MqttClient::Outcome run = client_.run();
    const int code = client_.take_connack();
    if (code == 0 && state_ == kConnecting) {
        state_ = kConnected;
        connected_ = true;
        retry_ms_ = kFirstRetryMs;
        said_ = kNothing;
        in_flight_.clear();
        box.rewind();
        int mid = 0;
        if (client_.publish(topic_of("status"), QByteArrayLiteral("online"), kStatusQos, true, &mid))
            in_flight_.push_back({mid, kStatusSeq, false});
        print_(QStringLiteral("Publishing: connected to %1, %2 records to send")
                   .arg(settings_.broker())
                   .arg(box.size()));
    } else if (code > 0) {
        const QString reason = MqttClient::connack_text(code);
        if (code == 4 || code == 5)
            fail(kCredentials,
                 QStringLiteral("Publishing: broker %1 refused the user name or password (%2); records wait "
                                "in the outbox")
                     .arg(settings_.broker(), reason));
        else
            fail(kRefused,
                 QStringLiteral("Publishing: broker %1 refused the connection (%2); records wait in "
                                "the outbox")
                     .arg(settings_.broker(), reason));
        return;
    }
    take_acknowledged(box);
    const bool ended = client_.take_disconnected();
    if (!run.ok || ended) {
        const QString reason = run.ok ? QStringLiteral("closed by the broker") : run.reason;
        if (state_ == kConnected)
            fail(kUnreachable,
                 QStringLiteral("Publishing: connection to %1 lost (%2); records wait in the outbox")
                     .arg(settings_.broker(), reason));
        else
            fail(kUnreachable,
                 QStringLiteral("Publishing: broker %1 not reachable (%2); records wait in the outbox")
                     .arg(settings_.broker(), reason));
        return;
    }
    if (state_ == kConnecting && clock_.tick_ms() - connect_started_ >= kConnectTimeoutMs) {
        fail(kUnreachable,
             QStringLiteral("Publishing: broker %1 not reachable (no answer); records wait in the outbox")
                 .arg(settings_.broker()));
        return;
    }
    if (state_ == kConnected) fill_window(box);
}

void Publisher::fill_window(Outbox& box) {
    const int room = kWindow - int(in_flight_.size());
    if (room <= 0) return;
    const QByteArray topic = topic_of("records");
    for (const OutboxEntry& entry : box.read_next(room)) {
        int mid = 0;
        if (!client_.publish(topic, entry.payload, settings_.qos, false, &mid)) {
            fail(kUnreachable,
                 QStringLiteral("Publishing: connection to %1 lost (not connected); records wait in "
                                "the outbox")
                     .arg(settings_.broker()));
            return;
        }
        in_flight_.push_back({mid, entry.seq, false});
    }
    // QoS 0 messages count as published once written, which may be at once.
    take_acknowledged(box);
}

void Publisher::take_acknowledged(Outbox& box) {
    for (const int mid : client_.take_published()) {
        const auto it = std::find_if(in_flight_.begin(), in_flight_.end(),
                                     [&](const InFlight& f) { return f.mid == mid; });
        if (it != in_flight_.end()) it->taken = true;
    }
    std::int64_t last = 0;
    while (!in_flight_.empty() && in_flight_.front().taken) {
        if (in_flight_.front().seq != kStatusSeq) {
            last = in_flight_.front().seq;
            ++published_;
        }
        in_flight_.pop_front();
    }
    if (last > 0) box.acknowledge(last);
}

void Publisher::fail(Said kind, const QString& line) {
    client_.drop();
    in_flight_.clear();
    connected_ = false;
    state_ = kWaitRetry;
    retry_at_ = clock_.tick_ms() + retry_ms_;
    retry_ms_ = std::min(retry_ms_ * 2, kLastRetryMs);
    if (said_ == kind) return;
    said_ = kind;
    print_(line);
}

void Publisher::end_connection_cleanly() {
    if (state_ == kConnected) {
        // "offline" after the records on their way; their acknowledgements are awaited a
        // moment, so that a clean stop leaves nothing to send twice.
        int mid = 0;
        if (client_.publish(topic_of("status"), QByteArrayLiteral("offline"), kStatusQos, true, &mid))
            in_flight_.push_back({mid, kStatusSeq, false});
        const std::shared_ptr<Outbox> box = outbox();
        for (int round = 0; round < kGoodbyeRounds && !in_flight_.empty(); ++round) {
            wait(kGoodbyeRoundMs);
            if (!client_.run().ok || client_.take_disconnected()) break;
            if (box) take_acknowledged(*box);
        }
        client_.disconnect();
        for (int round = 0; round < kGoodbyeRounds && client_.socket() >= 0; ++round) {
            if (!client_.run().ok || client_.take_disconnected()) break;
            wait(kGoodbyeRoundMs);
        }
    }
    client_.drop();
    in_flight_.clear();
    connected_ = false;
}

void Publisher::finish() {
    end_connection_cleanly();
    state_ = kOff;
}

int Publisher::wait_after() const {
    const std::int64_t now = clock_.tick_ms();
    switch (state_) {
        case kOff:
            return kIdleWaitMs;
        case kWaitRetry:
            return int(std::max<std::int64_t>(0, retry_at_ - now));
        case kConnecting:
            return int(
                std::clamp<std::int64_t>(connect_started_ + kConnectTimeoutMs - now, 0, kConnectedWaitMs));
        case kConnected:
            break;
    }
    return kConnectedWaitMs;
}

void Publisher::wait(int timeout_ms) {
#ifndef Q_OS_WIN
    pollfd fds[2] = {{wake_fd_, POLLIN, 0}, {client_.socket(), short(POLLIN), 0}};
    if (client_.wants_write()) fds[1].events |= POLLOUT;
    const nfds_t count = fds[1].fd >= 0 ? 2 : 1;
    if (::poll(fds, count, std::max(timeout_ms, 0)) > 0 && (fds[0].revents & POLLIN)) {
        eventfd_t drained = 0;
        ::eventfd_read(wake_fd_, &drained);
    }
#else
    Q_UNUSED(timeout_ms);
#endif
}

void Publisher::wake() {
#ifndef Q_OS_WIN
    ::eventfd_write(wake_fd_, 1);
#endif
}
