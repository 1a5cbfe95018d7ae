#pragma once

#include <QString>

#include "devices/idev.h"

class DeviceList;

// Reads device definition files into device slots. Elements are recognised by name wherever
// they stand: main, option, select, log. A load replaces a slot's options and logging entries.
// Thread: the user-interface thread (or whoever owns the slot copy it is given).
class parse_dev_cfg {
public:
    // Loads the definition named by dev.definition from `devices_folder` (ends with "/").
    // A missing or malformed file is not reported; what came before a fault stays.
    static void load(idev& dev, const QString& devices_folder);
    // The same from a text already in memory (used by the file load and by the fuzzer).
    static void load_from_text(idev& dev, const QByteArray& xml);
    // Loads every slot whose definition name is not empty, in slot order.
    static void load_all(DeviceList& devices, const QString& devices_folder);
};
