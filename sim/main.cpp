// veld-sim: SDI-12 sensors, or a GSM modem with a remote logger, on a pseudo-terminal for Veld
// Recorder (see --help).
#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QSaveFile>
#include <cstdio>

#include "sim/demo_sim_config.h"
#include "sim/port_symlink.h"
#include "sim/pty_port.h"
#include "sim/pty_simulator.h"
#include "sim/sim_bus.h"
#include "sim/sim_config_reader.h"
#include "sim/sim_options.h"

namespace {

bool write_ready_file(const std::string& path, const std::string& line) {
    QSaveFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly)) return false;
    file.write(QByteArray::fromStdString(line + "\n"));
    return file.commit();
}

// Applies the command line's faults to every sensor.
void apply_fault_options(const SimOptions& options, SimConfig& config) {
    for (auto& sensor : config.sensors) {
        std::string unused;
        if (!options.faults.empty()) sensor.faults.set_kinds(options.faults, &unused);
        if (options.late_ms >= 0) sensor.faults.late_ms = options.late_ms;
        if (options.other_address != 0) sensor.faults.other_address_char = options.other_address;
    }
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    SimOptions options;
    SimOptionsParser parser;
    std::string message;
    switch (parser.parse(QCoreApplication::arguments(), &options, &message)) {
        case SimOptionsParser::Outcome::Help:
            std::fputs(parser.help_text().c_str(), stdout);
            return 0;
        case SimOptionsParser::Outcome::Error:
            std::fprintf(stderr, "veld-sim: %s (see veld-sim --help)\n", message.c_str());
            return 2;
        case SimOptionsParser::Outcome::Run:
            break;
    }

    SimConfig config;
    if (options.config_path.empty()) {
        config = demo_sim_config();
    } else {
        const SimConfigResult result = load_sim_config(options.config_path);
        for (const auto& error : result.errors) std::fprintf(stderr, "veld-sim: %s\n", error.c_str());
        if (!result.ok()) return 2;
        config = result.config;
    }
    if (options.rs485) config.mode = BusMode::Rs485;
    apply_fault_options(options, config);

    SimBus bus(config);
    bus.set_always_awake(true);  // no break crosses a pty
    if (options.log)
        bus.set_observer(
            [](const std::string& line) { std::fprintf(stderr, "veld-sim: %s\n", line.c_str()); });

    // With --modem the modem and its remote logger take the bus's place; the last record was
    // taken now, the others ten minutes apart before it.
    SimModem modem;
    constexpr int kRecordIntervalS = 600;
    modem.set_connect_delay_ms(options.connect_ms);
    modem.set_records(options.first_record, options.last_record);
    modem.set_record_times(
        QDateTime::currentSecsSinceEpoch() - qint64(options.last_record) * kRecordIntervalS,
        kRecordIntervalS);
    modem.set_faults(options.modem_faults);
    SimPeer& peer = options.modem ? static_cast<SimPeer&>(modem) : bus;

    PtySimulator::install_signal_handlers();
    PtyPort port;
    if (!port.open(&message)) {
        std::fprintf(stderr, "veld-sim: %s\n", message.c_str());
        return 1;
    }
    PortSymlink link;
    if (!link.create(options.workspace, options.port, port.slave_name(), &message)) {
        std::fprintf(stderr, "veld-sim: %s\n", message.c_str());
        return 1;
    }
    const std::string ready = "veld-sim: COM" + std::to_string(options.port) + " -> " + port.slave_name();
    if (!options.ready_file.empty() && !write_ready_file(options.ready_file, ready)) {
        std::fprintf(stderr, "veld-sim: cannot write %s\n", options.ready_file.c_str());
        return 1;
    }
    std::printf("%s\n", ready.c_str());
    std::fflush(stdout);
    if (options.log && options.modem) {
        std::fprintf(stderr, "veld-sim: GSM modem, remote logger holding records %d to %d; link %s\n",
                     options.first_record, options.last_record, link.path().c_str());
    } else if (options.log) {
        std::string addresses;
        for (auto& sensor : bus.sensors())
            addresses += std::string(addresses.empty() ? "" : " ") + sensor.address();
        std::fprintf(stderr, "veld-sim: %s bus, sensors at %s; link %s\n",
                     config.mode == BusMode::Rs485 ? "RS485" : "SDI-12", addresses.c_str(),
                     link.path().c_str());
    }

    SystemClock clock;
    PtySimulator simulator(peer, port, clock, options.log);
    return simulator.run();
}
