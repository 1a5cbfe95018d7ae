#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

// One logging entry of a device definition: where the values go, what they are called, what to send.
struct log_entry {
    int cell = -1;  // offset from the device's start column; -1 when the entry names no cell
    QString title;
    QString cmd;
};

// One settable option of a sensor, from an `option` element and its `select` children.
struct dev_opt {
    QString description;
    QString read_cmd;              // first character is the address placeholder
    QString write_cmd;             // first character is the address placeholder; "#" is replaced by the value
    QStringList stored_values;     // `opt` of each select: what the sensor understands
    QStringList displayed_values;  // `val` of each select: what the user sees
    QString verify_cmd;
    QString type;  // "LABEL", "FLOAT", "SELECT" or "CMD"
    QString default_value;
    QString current_value;
    QString raw_answer;
};

// One device slot: a bus address, what answered there and the definition tied to it.
// Plain data (as are log_entry and dev_opt); shared slots live in DeviceList, which guards them.
struct idev {
    QString address;         // one character, "0".."9", "a".."f"
    QString identification;  // whole answer line to aI!, echo included
    int scanned = 0;
    QString definition;  // definition file name inside Devices/
    QString description;
    std::vector<dev_opt> options;
    std::uint16_t start_column = 0;
    int cells = 0;
    std::uint16_t end_column = 0;
    std::vector<log_entry> log_entries;
};

// Address character of slot i: 0..9 the digits, 10..35 the letters a..z, anything else "z".
QString slot_address(int i);
