#include "devices/parse_dev_cfg.h"

#include <array>

#include "core/start_element_reader.h"
#include "devices/device_list.h"

namespace {

// A definition file is a few kilobytes; anything far larger is not one and is not read.
constexpr qint64 kMaxDefinitionBytes = 4 * 1024 * 1024;

// Decimal integer of a non-empty attribute; text that is not a number gives 0.
int decimal_or_zero(const QString& text) {
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    return ok ? value : 0;
}

// Empties the lists a load replaces; description and cells stay until a main element says otherwise.
void clear_loaded_lists(idev& dev) {
    dev.options.clear();
    dev.log_entries.clear();
}

// Parses into `dev` whose lists were already emptied.
void parse_into(idev& dev, const QByteArray& xml) {
    if (xml.isEmpty()) return;
    parse_dev_cfg handler(&dev);
    // Elements before a fault have already been handled and stay.
    StartElementReader(handler).read(xml);
}

// Moves what a load produced into the shared slot, unless the slot was given another definition
// while the file was being read (whoever changed it loads it again).
void publish(idev& shared, idev& loaded) {
    if (shared.definition != loaded.definition) return;
    shared.description.swap(loaded.description);
    shared.cells = loaded.cells;
    shared.options.swap(loaded.options);
    shared.log_entries.swap(loaded.log_entries);
}

}  // namespace

parse_dev_cfg::parse_dev_cfg(idev* dev) : dev_(dev) {}

void parse_dev_cfg::startElement(const QString& qualified_name, const ElementAttributes& attributes) {
    if (dev_ == nullptr) return;
    if (qualified_name == QLatin1String("main"))
        read_main(attributes);
    else if (qualified_name == QLatin1String("option"))
        read_option(attributes);
    else if (qualified_name == QLatin1String("select"))
        read_select(attributes);
    else if (qualified_name == QLatin1String("log"))
        read_log(attributes);
}

void parse_dev_cfg::read_main(const ElementAttributes& attributes) {
    dev_->description = attributes.value(QStringLiteral("description"));
    dev_->cells = decimal_or_zero(attributes.value(QStringLiteral("cells")));
}

void parse_dev_cfg::read_option(const ElementAttributes& attributes) {
    dev_opt option;
    option.description = attributes.value(QStringLiteral("description"));
    option.read_cmd = attributes.value(QStringLiteral("read"));
    option.write_cmd = attributes.value(QStringLiteral("write"));
    option.verify_cmd = attributes.value(QStringLiteral("verify"));
    option.type = attributes.value(QStringLiteral("type"));
    option.default_value = attributes.value(QStringLiteral("default"));
    dev_->options.push_back(option);
}

void parse_dev_cfg::read_select(const ElementAttributes& attributes) {
    // A select before any option has nothing to belong to.
    if (dev_->options.empty()) return;
    dev_opt& option = dev_->options.back();
    option.stored_values.append(attributes.value(QStringLiteral("opt")));
    option.displayed_values.append(attributes.value(QStringLiteral("val")));
}

void parse_dev_cfg::read_log(const ElementAttributes& attributes) {
    log_entry entry;
    entry.cmd = attributes.value(QStringLiteral("cmd"));
    entry.title = attributes.value(QStringLiteral("title"));
    const QString cell = attributes.value(QStringLiteral("cell"));
    entry.cell = cell.isEmpty() ? -1 : decimal_or_zero(cell);
    dev_->log_entries.push_back(entry);
}

QString parse_dev_cfg::load(idev& dev, const QString& devices_folder) {
    clear_loaded_lists(dev);
    parse_dev_cfg handler(&dev);
    // Elements before a fault have already been handled and stay.
    const QString said = read_settings_file(devices_folder + dev.definition, handler, kMaxDefinitionBytes)
                             .said(QStringLiteral("no options and no logging entries"));
    return said.isEmpty() ? said : QStringLiteral("Address %1: %2").arg(dev.address, said);
}

void parse_dev_cfg::load_from_text(idev& dev, const QByteArray& xml) {
    clear_loaded_lists(dev);
    parse_into(dev, xml);
}

QStringList parse_dev_cfg::load_all(DeviceList& devices, const QString& devices_folder) {
    // The core may read the slots meanwhile: files are read into a copy, outside the lock.
    std::array<idev, DeviceList::kSlots> loaded = devices.snapshot();
    std::array<bool, DeviceList::kSlots> done{};
    QStringList said;
    for (int i = 0; i < DeviceList::kSlots; ++i) {
        if (loaded[i].definition.isEmpty()) continue;
        const QString problem = load(loaded[i], devices_folder);
        if (!problem.isEmpty()) said << problem;
        done[i] = true;
    }
    devices.update_all([&](std::array<idev, DeviceList::kSlots>& shared) {
        for (int i = 0; i < DeviceList::kSlots; ++i) {
            if (done[i]) publish(shared[i], loaded[i]);
        }
    });
    return said;
}

QString parse_dev_cfg::load_slot(DeviceList& devices, int i, const QString& devices_folder) {
    if (i < 0 || i >= DeviceList::kSlots) return QString();
    idev loaded = devices.slot(i);
    if (loaded.definition.isEmpty()) return QString();
    const QString said = load(loaded, devices_folder);
    devices.update(i, [&](idev& shared) { publish(shared, loaded); });
    return said;
}
