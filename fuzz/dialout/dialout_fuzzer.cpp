// libFuzzer target: any bytes as "gsmdialout.xml". The reader must not crash, must leave every
// setting it could not read as it was (the times always valid), and what it read must survive
// a write and a second read.
#include <cstdint>
#include <cstdlib>

#include "remote/dialout_settings.h"

namespace {

// Characters XML cannot carry are written without them, so such a text cannot compare equal.
bool writable(const QString& text) {
    for (const QChar c : text) {
        const ushort u = c.unicode();
        if ((u < 0x20 && u != 0x9 && u != 0xA && u != 0xD) || u >= 0xFFFE || c.isSurrogate()) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    DialoutSettings first;
    read_dialout_settings_text(QByteArray(reinterpret_cast<const char*>(data), int(size)), first);
    if (!first.time0.isValid() || !first.time1.isValid() || first.dial.isEmpty()) std::abort();
    if (!writable(first.dial)) return 0;

    DialoutSettings second;
    read_dialout_settings_text(dialout_settings_text(first), second);
    if (!(second == first)) std::abort();
    return 0;
}
