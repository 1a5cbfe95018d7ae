#include "station/station_console.h"

void StationConsole::print(const QString& text) {
    // A string of its own (never a shared copy of the caller's), so that only one thread owns it.
    QString line = text + QStringLiteral("\r\n");
    notices_.post([this, line = std::move(line)] { emit printline(line); });
}
