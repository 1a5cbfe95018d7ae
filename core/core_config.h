#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

class DeviceList;

// The core's settings as kept in Config/config.xml. Plain data, copied between threads.
struct CoreSettings {
    static constexpr int kDefaultPort = 2;
    static constexpr int kDefaultInterval = 60;
    int port = kDefaultPort;
    int interval = kDefaultInterval;  // seconds
    QString filename = QStringLiteral("none");
    int comm_mode = 0;
};

// The communication modes, 0..3: "SDI-12", "RS485", "Modem", "File Remote".
constexpr int kCommModes = 4;

// One entry of the Logging Configuration dialog's interval list.
struct LoggingInterval {
    QString text;
    int seconds;
};
// The listed intervals, in the dialog's order: "5 seconds" .. "1 hour".
const std::vector<LoggingInterval>& logging_intervals();
// Whether `seconds` is one of them.
bool is_listed_interval(int seconds);

// Reads config.xml (DOCTYPE CoreConfig, root main): the config element sets what it names, each
// device element restores identification, definition name, scanned flag and start column of the
// slot with its address. A missing file leaves everything; a fault stops the parse, keeping what
// came before it. Returns the console line for a file that is there but could not be read whole
// (not a regular file, unreadable, a fault), naming the defaults used; empty otherwise.
// A mode outside 0..3 reads as 0, and an interval that is not listed is kept: both are said, each
// on a line of its own in what is returned (lines joined by "\r\n").
QString read_core_config(const QString& path, CoreSettings& settings, DeviceList& devices);
// The same from a text in memory; returns the lines about the mode and the interval.
QString read_core_config_text(const QByteArray& xml, CoreSettings& settings, DeviceList& devices);

// Writes the whole file. Returns 0, or -1 when it cannot be written.
int write_core_config(const QString& path, const CoreSettings& settings, const DeviceList& devices);
