#pragma once

#include <QObject>
#include <QStringList>
#include <functional>

#include "core_rig.h"
#include "remote/dialout_call.h"
#include "remote/dialout_settings.h"
#include "remote/remotelogger_core.h"
#include "sim/memory_link_modem.h"

// The download worker over an in-memory modem port in virtual time, with the simulated modem and
// remote logger behind it and a real acquisition core (temporary workspace) writing the log.
// Steps run on the test's thread.
struct RemoteRig {
    explicit RemoteRig(std::int64_t wall_seconds = utc_seconds(2026, 12, 7, 16, 14, 34))
        : acq(wall_seconds),
          port(acq.clock),
          modem(port),
          remote(port, acq.clock, acq.log(), settings_path(), acq.root) {
        QObject::connect(&remote, &remotelogger_core::printline, [this](const QString& t) { console += t; });
        QObject::connect(&remote, &remotelogger_core::end_of_log, [this] { ++records_added; });
    }

    QString settings_path() const { return acq.root + QStringLiteral("Config/gsmdialout.xml"); }

    // Hourly calls, `columns` columns, `record` already downloaded; the logger holds first..last.
    void prepare(int record, int first, int last, int columns = 5) {
        DialoutSettings s;
        s.type = DialoutSettings::kHourly;
        s.columns = columns;
        s.record = record;
        write_dialout_settings(settings_path(), s);
        modem.with_modem([&](SimModem& m) {
            m.set_records(first, last);
            m.set_record_times(utc_seconds(2026, 12, 1, 0, 0, 0), 600);
        });
        remote.reset(remotelogger_core::kReadSettings | remotelogger_core::kRecomputeSchedule);
    }

    // Steps until `done` holds or `limit_ms` of virtual time passed. Time jumps to the next
    // deadline while nothing is on its way from the modem, else moves a millisecond a step.
    bool run_until(const std::function<bool()>& done, std::int64_t limit_ms) {
        const std::int64_t end = acq.clock.tick_ms() + limit_ms;
        while (acq.clock.tick_ms() < end) {
            if (done()) return true;
            const int wait = remote.step();
            const int budget = port.pending_input() > 0 ? 1 : wait;
            acq.clock.advance(std::max(budget, 1));
        }
        return done();
    }
    // Steps through one whole call: until the next one is dialled and back to waiting.
    bool run_call() {
        const int calls = calls_made();
        return run_until(
            [&] { return calls_made() > calls && remote.call_state() == DialoutCall::kWaitCall; },
            3 * 3600 * 1000);
    }
    int calls_made() {
        int calls = 0;
        modem.with_modem([&](SimModem& m) { calls = m.calls(); });
        return calls;
    }
    int saved_record() const {
        DialoutSettings s;
        read_dialout_settings(settings_path(), s);
        return s.record;
    }
    // The first field of every record line of the log (the header left out).
    QStringList logged_numbers() const {
        QStringList numbers;
        const QList<QByteArray> lines = acq.log_file().split('\n');
        for (int i = 1; i < lines.size(); ++i)
            if (!lines[i].isEmpty()) numbers << QString::fromLatin1(lines[i].split(',').value(0));
        return numbers;
    }

    CoreRig acq;
    MemorySerialLink port;
    MemoryLinkModem modem;
    remotelogger_core remote;
    QString console;
    int records_added = 0;
};
