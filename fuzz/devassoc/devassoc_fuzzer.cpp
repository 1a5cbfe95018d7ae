// libFuzzer target: any bytes as "devassoc.xml". The reader must not crash, and what the Device
// Setup dialog takes from the entries must agree: the fitting entries are entries that fit, the
// selected position lies within them and the offered definition is the first fitting one's.
#include <cstdint>
#include <cstdlib>

#include "devices/device_association.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray input(reinterpret_cast<const char*>(data), int(size));
    const std::vector<assoc_entry> all = device_association::read(input);
    // The identifications a bus gives look like the entries' ids; try the first entry's and another.
    const QString identifications[] = {all.empty() ? QString() : all.front().id,
                                       QStringLiteral("0I!013VELDINSTTH100 100SN0001\r")};
    for (const QString& identification : identifications) {
        const std::vector<assoc_entry> fitting = device_association::fitting(all, identification);
        if (fitting.size() > all.size()) std::abort();
        for (const assoc_entry& entry : fitting)
            if (!entry.id.isEmpty() && !identification.contains(entry.id)) std::abort();
        const QString offered = device_association::default_definition(all, identification);
        if (offered != (fitting.empty() ? QString() : fitting.front().file)) std::abort();
        const int position = device_association::selected_position(fitting, offered);
        if (position < -1 || position >= int(fitting.size())) std::abort();
        if (!fitting.empty() && position < 0) std::abort();
    }
    return 0;
}
