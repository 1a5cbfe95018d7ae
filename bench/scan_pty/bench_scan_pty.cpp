// A full scan of the 16 addresses over a pseudo-terminal against veld-sim with one sensor, in
// real time, compared with the floor that the bus timing allows.
#include <benchmark/benchmark.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include "core/sdi12_core.h"
#include "devices/device_list.h"
#include "tests/bare_core.h"
#include "variables/column_list.h"

namespace {

constexpr double kCharMs = 1000.0 / 120.0;  // 1200 baud, 10 bits a character
const char kIdentification[] = "13VELDINSTTH100 100SN0001";

// 16 wake-ups of 24 ms and three echoed command characters each; 200 ms of silence after each of
// the 15 silent addresses; the answer's characters (address, identification, CR LF) for the one
// sensor, whose line end ends its wait at once.
double scan_floor_ms() {
    const double answer = 1 + double(sizeof kIdentification - 1) + 2;
    return 16 * (24 + 3 * kCharMs) + 15 * 200 + answer * kCharMs;
}

void BM_ScanSixteenAddressesOverPty(benchmark::State& state) {
    QTemporaryDir dir;
    const QString root = dir.path() + QStringLiteral("/");
    QFile conf(root + QStringLiteral("sim.conf"));
    conf.open(QIODevice::WriteOnly);
    conf.write(QByteArray("[sensor]\naddress = 4\nid = ") + kIdentification + "\n");
    conf.close();
    QProcess sim;
    sim.start(QStringLiteral(VELD_SIM_PATH),
              {QStringLiteral("--workspace"), root, QStringLiteral("--port"), QStringLiteral("2"),
               QStringLiteral("--config"), conf.fileName()});
    for (int i = 0; i < 500 && !QFileInfo::exists(root + QStringLiteral("Ports/COM2")); ++i)
        QThread::msleep(10);

    SystemClock clock;
    auto port = make_platform_serial_link();
    ColumnList columns;
    DeviceList devices;
    BareCore bare(columns, devices, *port, clock, root);
    sdi12_core& core = bare.core;
    core.start();
    core.prepare_scan(1);
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        core.start_scan();
        while (core.step_state() != 0) QThread::msleep(1);
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
        if (devices.slot(4).identification.isEmpty()) state.SkipWithError("the sensor did not answer");
    }
    state.counters["floor_ms"] = scan_floor_ms();
    core.shut_down();
    sim.terminate();
    sim.waitForFinished();
}
BENCHMARK(BM_ScanSixteenAddressesOverPty)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
