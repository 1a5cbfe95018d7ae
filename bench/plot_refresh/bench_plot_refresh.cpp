// A plot window's refresh on a long log: 100,000 records of 20 values (about 25 MB). The first,
// full read against the floor of reading the file and parsing one column with std::from_chars,
// then the refresh after one appended record, which must not depend on the file's length.
#include <benchmark/benchmark.h>

#include <QFile>
#include <QTemporaryDir>
#include <charconv>
#include <cstring>

#include "core/record_format.h"
#include "display_model/log_file_reader.h"
#include "display_model/log_points.h"

namespace {

constexpr int kRecords = 100000;
constexpr int kValues = 20;
constexpr std::int64_t kStart = 1796659200;  // a record every 5 s from here

QByteArray record_line(int n) {
    std::vector<float> values;
    for (int c = 0; c < kValues; ++c) values.push_back(float((n * 7 + c * 13) % 1000) * 0.125f - 40.0f);
    return format_record_line(format_cycle_fields(n, kStart + 5 * std::int64_t(n)), values);
}

// The log, written once per run.
struct LongLog {
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("long.csv"));
    int records = kRecords;

    LongLog() {
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        std::vector<QByteArray> names{"Record", "Date", "Time"};
        for (int c = 0; c < kValues; ++c) names.push_back("value" + QByteArray::number(c));
        file.write(format_header_line(names));
        for (int n = 0; n < kRecords; ++n) file.write(record_line(n));
    }
    void append_record() {
        QFile file(path);
        file.open(QIODevice::Append);
        file.write(record_line(records++));
    }
};

LongLog& long_log() {
    static LongLog log;
    return log;
}

// Read the whole file, then one field of each line through std::from_chars.
void BM_FloorReadAndParseOneColumn(benchmark::State& state) {
    const QString path = long_log().path;
    for (auto _ : state) {
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        const QByteArray bytes = file.readAll();
        double sum = 0;
        const char* p = bytes.constData();
        const char* end = p + bytes.size();
        while (p < end) {
            const char* lf = static_cast<const char*>(std::memchr(p, '\n', size_t(end - p)));
            const char* line_end = lf ? lf : end;
            const char* f = p;
            for (int i = 0; i < 3 && f; ++i) {
                f = static_cast<const char*>(std::memchr(f, ',', size_t(line_end - f)));
                if (f) ++f;
            }
            if (f) {
                double v = 0;
                std::from_chars(f, line_end, v);
                sum += v;
            }
            p = line_end + 1;
        }
        benchmark::DoNotOptimize(sum);
    }
    state.counters["MB"] = double(QFile(path).size()) / 1e6;
}
BENCHMARK(BM_FloorReadAndParseOneColumn)->Unit(benchmark::kMillisecond);

void BM_FirstFullRead(benchmark::State& state) {
    const QString path = long_log().path;
    for (auto _ : state) {
        LogFileReader reader;
        reader.set_file(path);
        reader.read_log_points();
        const ShownPoints shown = select_window(reader.points(), 1000);
        benchmark::DoNotOptimize(shown.x.data());
    }
}
BENCHMARK(BM_FirstFullRead)->Unit(benchmark::kMillisecond);

void BM_RefreshAfterOneAppendedRecord(benchmark::State& state) {
    LongLog& log = long_log();
    LogFileReader reader;
    reader.set_file(log.path);
    reader.read_log_points();
    for (auto _ : state) {
        state.PauseTiming();
        log.append_record();  // the logger's work, not the window's
        state.ResumeTiming();
        reader.read_log_points();
        const ShownPoints shown = select_window(reader.points(), 1000);
        benchmark::DoNotOptimize(shown.x.data());
    }
    state.counters["points"] = reader.points().size();
}
BENCHMARK(BM_RefreshAfterOneAppendedRecord)->Unit(benchmark::kMicrosecond);

// A cycle in which the log did not change (a window whose column is not logged any more).
void BM_RefreshWithNothingAppended(benchmark::State& state) {
    LogFileReader reader;
    reader.set_file(long_log().path);
    reader.read_log_points();
    for (auto _ : state) benchmark::DoNotOptimize(reader.read_log_points());
}
BENCHMARK(BM_RefreshWithNothingAppended)->Unit(benchmark::kMicrosecond);

}  // namespace
