// libFuzzer target: any bytes as a CSV log file that a plot window follows. The reader must not
// crash, and reading the file in two steps (its first part, then the rest appended) must give the
// same points as one reading of the whole file; the window a plot shows stays within its bounds.
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "display_model/log_file_reader.h"
#include "display_model/log_points.h"

namespace {

bool same_value(double a, double b) {
    return (std::isnan(a) && std::isnan(b)) || a == b;
}

bool same_points(const LogPoints& a, const LogPoints& b) {
    if (a.size() != b.size()) return false;
    for (int i = 0; i < a.size(); ++i) {
        if (a.label(i) != b.label(i) || !same_value(a.x(i), b.x(i)) || !same_value(a.y(i), b.y(i)) ||
            a.is_run_break(i) != b.is_run_break(i))
            return false;
    }
    return true;
}

bool write_file(const QString& path, const QByteArray& bytes, QIODevice::OpenMode mode) {
    QFile file(path);
    if (!file.open(mode)) return false;
    return file.write(bytes) == bytes.size();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const QString path =
        QDir::tempPath() + QStringLiteral("/veld_fuzz_log_%1.csv").arg(qint64(::getpid()));
    const QByteArray input(reinterpret_cast<const char*>(data), int(size));
    // A small kept window, so that dropping old points is exercised too.
    constexpr int kKept = 64;
    const int column = size > 0 ? 3 + data[0] % 4 : 3;

    if (!write_file(path, input, QIODevice::WriteOnly | QIODevice::Truncate)) return 0;
    LogFileReader whole(kKept);
    whole.set_column(column);
    whole.set_file(path);
    whole.read_log_points();

    const int half = input.size() / 2;
    if (!write_file(path, input.left(half), QIODevice::WriteOnly | QIODevice::Truncate)) return 0;
    LogFileReader stepwise(kKept);
    stepwise.set_column(column);
    stepwise.set_file(path);
    stepwise.read_log_points();
    if (!write_file(path, input.mid(half), QIODevice::WriteOnly | QIODevice::Append)) return 0;
    stepwise.read_log_points();

    if (!same_points(whole.points(), stepwise.points())) std::abort();
    if (whole.points().size() > kKept) std::abort();

    for (int num_points : {-10, 0, 1, 1000}) {
        const ShownPoints shown = select_window(whole.points(), num_points);
        if (shown.x.size() != shown.y.size() || shown.labels.size() != shown.x.size()) std::abort();
        if (shown.x.size() > 1001 || shown.x.size() > whole.points().size()) std::abort();
    }
    return 0;
}
