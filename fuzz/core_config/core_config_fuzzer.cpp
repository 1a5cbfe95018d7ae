// libFuzzer target: any bytes as "config.xml". The reader must not crash, must leave a mode the
// core knows, and what it read must survive a write and a second read into fresh defaults.
#include <unistd.h>

#include <QDir>
#include <cstdint>
#include <cstdlib>

#include "core/core_config.h"
#include "devices/device_list.h"

namespace {

// Texts with characters an attribute cannot carry as they are (control characters other than the
// carriage return the identifications end with) cannot compare equal after a round trip.
bool writable(const QString& t) {
    for (int i = 0; i < t.size(); ++i) {
        const ushort u = t.at(i).unicode();
        if ((u < 0x20 && u != 0xD) || u >= 0xFFFE || t.at(i).isSurrogate()) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const QString path =
        QDir::tempPath() + QStringLiteral("/veld_fuzz_config_%1.xml").arg(qint64(::getpid()));
    const QByteArray input(reinterpret_cast<const char*>(data), int(size));

    CoreSettings first;
    DeviceList first_devices;
    read_core_config_text(input, first, first_devices);
    if (first.comm_mode < 0 || first.comm_mode >= kCommModes) std::abort();
    if (first.filename.isEmpty() || first.filename.size() > 255) std::abort();

    if (write_core_config(path, first, first_devices) != 0) return 0;
    CoreSettings second;
    DeviceList second_devices;
    read_core_config(path, second, second_devices);
    if (second.port != first.port || second.interval != first.interval || second.comm_mode != first.comm_mode)
        std::abort();
    if (writable(first.filename) && second.filename != first.filename) std::abort();
    for (int i = 0; i < DeviceList::kSlots; ++i) {
        const idev a = first_devices.slot(i);
        const idev b = second_devices.slot(i);
        if (b.start_column != a.start_column) std::abort();
        if (writable(a.identification) && b.identification != a.identification) std::abort();
        if (writable(a.definition) && b.definition != a.definition) std::abort();
    }
    return 0;
}
