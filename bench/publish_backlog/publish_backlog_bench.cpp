// A backlog of 100,000 records in the outbox (as after a long outage), drained by the publisher
// on its own thread to a mosquitto broker on 127.0.0.1 at QoS 1, each record leaving the outbox
// only on the broker's acknowledgement. Reports records per second; the goal is under 30 s.
#include <benchmark/benchmark.h>

#include <QTemporaryDir>
#include <cmath>

#include "link/clock.h"
#include "publish/publisher.h"
#include "tests/publish/test_broker.h"

namespace {

constexpr int kRecords = 100000;

std::vector<PublishedRecord> backlog() {
    std::vector<PublishedRecord> records;
    records.reserve(kRecords);
    const QDateTime start(QDate(2026, 12, 1), QTime(0, 0), Qt::OffsetFromUTC, 3600);
    for (int i = 1; i <= kRecords; ++i) {
        PublishedRecord r;
        r.record = i;
        r.time = start.addSecs(60 * i);
        r.values = {{QStringLiteral("AirTemp"), QStringLiteral("degC"), float(i % 97) + 0.25f},
                    {QStringLiteral("RelHum"), QStringLiteral("%"), float(i % 61) + 0.5f},
                    {QStringLiteral("Stage"), QStringLiteral("m"), 1.25 + (i % 13) * 0.01},
                    {QStringLiteral("Battery"), QStringLiteral("V"), i % 500 == 0 ? std::nan("") : 12.5}};
        records.push_back(std::move(r));
    }
    return records;
}

void BM_PublishBacklog(benchmark::State& state) {
    if (!TestBroker::installed()) {
        state.SkipWithError("/usr/sbin/mosquitto is not installed");
        return;
    }
    TestBroker broker;
    if (!broker.start()) {
        state.SkipWithError("the broker did not start");
        return;
    }
    const std::vector<PublishedRecord> records = backlog();
    SystemClock clock;
    std::int64_t published = 0;
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir;
        PublishSettings s;
        s.enabled = true;
        s.port = broker.port();
        Publisher publisher(s, dir.filePath(QStringLiteral("Outbox")), clock, [](const QString&) {});
        publisher.enqueue(records);
        if (publisher.outbox_size() != kRecords) state.SkipWithError("the backlog did not fit the outbox");
        state.ResumeTiming();
        publisher.start();
        const bool drained = QTest::qWaitFor([&] { return publisher.outbox_size() == 0; }, 300000);
        state.PauseTiming();
        published = drained ? publisher.published_count() : 0;
        publisher.stop();
        state.ResumeTiming();
    }
    if (published != kRecords) state.SkipWithError("not every record was acknowledged");
    state.SetItemsProcessed(std::int64_t(state.iterations()) * kRecords);
}
BENCHMARK(BM_PublishBacklog)->Unit(benchmark::kSecond)->Iterations(3)->UseRealTime();

}  // namespace
