// Feeds arbitrary bytes to the device definition reader, into a slot that already holds a load,
// and checks what a load promises whatever the input: parallel select lists and no doubling.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "devices/parse_dev_cfg.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray xml(reinterpret_cast<const char*>(data), static_cast<int>(size));
    idev dev;
    dev.address = QStringLiteral("0");
    dev.description = QStringLiteral("before");
    dev.options.resize(3);
    dev.log_entries.resize(2);

    parse_dev_cfg::load_from_text(dev, xml);
    for (const dev_opt& option : dev.options) {
        if (option.stored_values.size() != option.displayed_values.size()) std::abort();
    }
    const std::size_t options = dev.options.size();
    const std::size_t entries = dev.log_entries.size();

    // A second load of the same text gives the same lists, never doubled ones.
    parse_dev_cfg::load_from_text(dev, xml);
    if (dev.options.size() != options || dev.log_entries.size() != entries) std::abort();
    return 0;
}
