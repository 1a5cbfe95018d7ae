#pragma once

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimeZone>
#include <functional>
#include <memory>

#include "core/sdi12_core.h"
#include "devices/device_list.h"
#include "link/memory_serial_link.h"
#include "sim/memory_link_bus.h"
#include "sim/sim_config_reader.h"
#include "tests/bare_core.h"
#include "variables/column_list.h"

// Seconds since the epoch of a UTC date and time (the tests run with TZ=UTC).
inline std::int64_t utc_seconds(int y, int mo, int d, int h, int mi, int s) {
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s), Qt::UTC).toSecsSinceEpoch();
}

// An acquisition core over an in-memory link in virtual time, with an optional simulated bus
// and a temporary workspace. Steps run on the test's thread.
struct CoreRig {
    explicit CoreRig(std::int64_t wall_seconds = utc_seconds(2026, 12, 7, 16, 14, 34))
        : clock(wall_seconds * 1000), link(clock) {
        root = workspace.path() + QStringLiteral("/");
        QDir().mkpath(root + QStringLiteral("Config"));
        QDir().mkpath(root + QStringLiteral("Devices"));
        QDir().mkpath(root + QStringLiteral("LOG"));
        bare = std::make_unique<BareCore>(columns, devices, link, clock, root);
        core = &bare->core;
        QObject::connect(core, &sdi12_core::printline, [this](const QString& t) { console += t; });
        QObject::connect(core, &sdi12_core::end_of_log, [this] { ++records_ended; });
        CoreSettings s = core->settings();
        s.filename = QStringLiteral("test.csv");
        core->set_settings(s);
    }

    // Puts a simulated bus on the link, configured from simulator configuration text.
    void attach_bus(const std::string& config_text) {
        const SimConfigResult parsed = parse_sim_config(config_text, "test");
        if (!parsed.ok()) qFatal("bad simulator configuration: %s", parsed.errors.front().c_str());
        bus = std::make_unique<MemoryLinkBus>(link, parsed.config);
    }

    // One step per virtual millisecond.
    void run_for(std::int64_t ms) {
        for (std::int64_t i = 0; i < ms; ++i) {
            core->step();
            clock.advance(1);
        }
    }
    // Steps until `done` holds or `limit_ms` of virtual time passed; returns whether it held.
    bool run_until(const std::function<bool()>& done, std::int64_t limit_ms) {
        const std::int64_t end = clock.tick_ms() + limit_ms;
        while (clock.tick_ms() < end) {
            if (done()) return true;
            core->step();
            clock.advance(1);
        }
        return done();
    }

    // Steps until `count` cycles have ended in all (see run_until).
    bool run_until_records(int count, std::int64_t limit_ms) {
        return run_until([&] { return records_ended >= count; }, limit_ms);
    }
    // Sensors on the bus, one device defined, the script built: ready to log.
    void prepare_logging(const std::string& bus_config, int slot, const QByteArray& definition,
                         int start_column) {
        attach_bus(bus_config);
        define_device(slot, QStringLiteral("dev%1.xml").arg(slot), definition, start_column);
        core->rebuild_scripts();
    }

    void set_interval(int seconds) {
        CoreSettings s = core->settings();
        s.interval = seconds;
        core->set_settings(s);
    }

    // Gives a slot a definition written into the workspace's Devices folder.
    void define_device(int slot, const QString& file, const QByteArray& xml, int start_column);

    QByteArray log_file() const {
        QFile f(root + QStringLiteral("LOG/test.csv"));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QStringList console_lines() const { return console.split(QStringLiteral("\r\n")); }

    QTemporaryDir workspace;
    QString root;
    ManualClock clock;
    MemorySerialLink link;
    ColumnList columns;
    DeviceList devices;
    std::unique_ptr<MemoryLinkBus> bus;
    std::unique_ptr<BareCore> bare;
    sdi12_core* core = nullptr;
    RecordLog& log() { return bare->log; }
    // A record as a cycle (at time 0) or a transfer writes it from the columns as they are.
    bool write_record(int highest_column, bool transfer) {
        return transfer ? log().append_transfer(highest_column) : log().append_cycle(highest_column, 0);
    }
    QString console;
    int records_ended = 0;
};
