// libFuzzer target: any bytes as "publish.xml". The reader must not crash, must leave every
// number in its range (a port, a qos of 0 or 1, an outbox of at least 1 MB), and what it read
// must survive a write and a second read.
#include <cstdint>
#include <cstdlib>

#include "publish/publish_settings.h"

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
    PublishSettings first;
    read_publish_settings_text(QByteArray(reinterpret_cast<const char*>(data), int(size)), first);
    if (first.port < 1 || first.port > 65535 || (first.qos != 0 && first.qos != 1) ||
        first.outbox_limit_mb < 1)
        std::abort();
    for (const QString* text :
         {&first.host, &first.topic, &first.station, &first.username, &first.password_file, &first.ca_file})
        if (!writable(*text)) return 0;

    PublishSettings second;
    read_publish_settings_text(publish_settings_text(first), second);
    if (second != first) std::abort();
    return 0;
}
