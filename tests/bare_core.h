#pragma once

#include <QString>

#include "core/sdi12_core.h"
#include "station/record_log.h"

// An acquisition core with a record log of its own, as a station gives it one, for tests and
// benchmarks that need no station. The log's messages go to the core's console.
// Thread: the test's; the core's worker runs beside it once started.
struct BareCore {
    BareCore(ColumnList& columns, DeviceList& devices, SerialLink& link, Clock& clock, const QString& root)
        : log(
              columns, [this](const QString& message) { core.print(message); },
              [this] { return core.log_file_path(); }),
          core(columns, devices, link, clock, root, log) {}

    RecordLog log;
    sdi12_core core;
};
