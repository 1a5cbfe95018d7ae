// Host time of the end of a logging cycle beyond the bus: the formula pass over the column list
// and the record written to the CSV log and the current-values file, with a full record of 240
// columns.
#include <benchmark/benchmark.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include "core/sdi12_core.h"
#include "devices/device_list.h"
#include "link/memory_serial_link.h"
#include "tests/bare_core.h"
#include "variables/column_list.h"

namespace {

void BM_FormulaPassAndRecordOf240Columns(benchmark::State& state) {
    QTemporaryDir dir;
    const QString root = dir.path() + QStringLiteral("/");
    QDir().mkpath(root + QStringLiteral("LOG"));
    ManualClock clock(1765123456000);
    MemorySerialLink link(clock);
    ColumnList columns;
    DeviceList devices;
    BareCore bare(columns, devices, link, clock, root);
    sdi12_core& core = bare.core;
    CoreSettings s = core.settings();
    s.filename = QStringLiteral("bench.csv");
    core.set_settings(s);
    for (int i = 3; i <= 120; ++i) {
        columns.set_name(i, QStringLiteral("Sensor %1").arg(i));
        core.set_column_value(i, float(i) * 1.25f);
    }
    // Columns 121..240 are computed from the measured ones.
    for (int i = 121; i <= 240; ++i)
        columns.set_formula(i, QStringLiteral("=(D+%1)*1.8+32-ABS(E-F)/2").arg(column_letters(i - 117)));
    for (auto _ : state) {
        run_formulas(columns, core.values());
        bare.log.append_cycle(240, 0);
    }
    state.counters["bytes_per_record"] =
        double(QFileInfo(root + QStringLiteral("LOG/bench.csv")).size()) / double(state.iterations() + 1);
}
BENCHMARK(BM_FormulaPassAndRecordOf240Columns)->Unit(benchmark::kMicrosecond);

}  // namespace
