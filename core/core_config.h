#pragma once

#include <QByteArray>
#include <QString>

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

// Reads config.xml (DOCTYPE CoreConfig, root main): the config element sets what it names, each
// device element restores identification, definition name, scanned flag and start column of the
// slot with its address. A missing file leaves everything; a fault stops the parse, keeping what
// came before it. Returns the console line for a file that is there but could not be read whole
// (not a regular file, unreadable, a fault), naming the defaults used; empty otherwise.
QString read_core_config(const QString& path, CoreSettings& settings, DeviceList& devices);
void read_core_config_text(const QByteArray& xml, CoreSettings& settings, DeviceList& devices);

// Writes the whole file. Returns 0, or -1 when it cannot be written.
int write_core_config(const QString& path, const CoreSettings& settings, const DeviceList& devices);
