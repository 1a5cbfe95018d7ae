#include "devices/parse_dev_cfg.h"

#include <QFile>
#include <QXmlStreamReader>
#include <array>

#include "devices/device_list.h"
#include "settings/regular_file.h"
#include "settings/start_element_reader.h"

namespace {

// A definition file is a few kilobytes; anything far larger is not one and is not read.
constexpr qint64 kMaxDefinitionBytes = 4 * 1024 * 1024;

// Decimal integer of a non-empty attribute; text that is not a number gives 0.
int decimal_or_zero(const QString& text) {
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    return ok ? value : 0;
}

// The elements of a definition and the attributes each may carry.
struct KnownElement {
    QLatin1String name;
    QStringList attributes;
};

const std::array<KnownElement, 4>& known_elements() {
    static const std::array<KnownElement, 4> known{{
        {QLatin1String("main"), {QStringLiteral("description"), QStringLiteral("cells")}},
        {QLatin1String("option"),
         {QStringLiteral("description"), QStringLiteral("read"), QStringLiteral("write"),
          QStringLiteral("verify"), QStringLiteral("type"), QStringLiteral("default")}},
        {QLatin1String("select"), {QStringLiteral("opt"), QStringLiteral("val")}},
        {QLatin1String("log"), {QStringLiteral("cmd"), QStringLiteral("title"), QStringLiteral("cell")}},
    }};
    return known;
}

const KnownElement* known_element(const QStringRef& name) {
    for (const KnownElement& element : known_elements()) {
        if (name == element.name) return &element;
    }
    return nullptr;
}

// "a, b or c"
QString one_of(const QStringList& names) {
    if (names.size() < 2) return names.join(QString());
    return names.mid(0, names.size() - 1).join(QStringLiteral(", ")) + QStringLiteral(" or ") + names.last();
}

QString element_names() {
    QStringList names;
    for (const KnownElement& element : known_elements())
        names << QLatin1Char('<') + element.name + QLatin1Char('>');
    return one_of(names);
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

QStringList parse_dev_cfg::check(const QByteArray& xml, const QString& name) {
    QStringList said;
    int problems = 0;
    const auto say = [&](qint64 line, const QString& what) {
        if (++problems <= kMaxProblemsSaid)
            said << QStringLiteral("%1 line %2: %3").arg(name).arg(line).arg(what);
    };
    QXmlStreamReader reader(xml);
    reader.setNamespaceProcessing(false);
    bool root = true;
    bool option_seen = false;
    while (!reader.atEnd()) {
        if (reader.readNext() != QXmlStreamReader::StartElement) continue;
        const QStringRef element_name = reader.qualifiedName();
        const KnownElement* known = known_element(element_name);
        const bool is_root = root;
        root = false;
        if (known == nullptr) {
            // The root element holds the rest and its name plays no part.
            if (!is_root)
                say(reader.lineNumber(), QStringLiteral("unknown element <%1> is ignored; expected %2")
                                             .arg(element_name.toString(), element_names()));
            continue;
        }
        for (const QXmlStreamAttribute& attribute : reader.attributes()) {
            const QString attribute_name = attribute.qualifiedName().toString();
            if (known->attributes.contains(attribute_name)) continue;
            say(reader.lineNumber(),
                QStringLiteral("unknown attribute \"%1\" of <%2> is ignored; expected %3")
                    .arg(attribute_name, known->name, one_of(known->attributes)));
        }
        if (known->name == QLatin1String("option")) option_seen = true;
        if (known->name == QLatin1String("select") && !option_seen)
            say(reader.lineNumber(), QStringLiteral("<select> before any <option> is ignored; expected it "
                                                    "inside or after the <option> it belongs to"));
    }
    if (problems > kMaxProblemsSaid)
        said << QStringLiteral("%1: %2 more such problems not shown")
                    .arg(name)
                    .arg(problems - kMaxProblemsSaid);
    return said;
}

QString parse_dev_cfg::load(idev& dev, const QString& devices_folder) {
    clear_loaded_lists(dev);
    parse_dev_cfg handler(&dev);
    const QString path = devices_folder + dev.definition;
    // Elements before a fault have already been handled and stay.
    const SettingsFileRead read = read_settings_file(path, handler, kMaxDefinitionBytes);
    QStringList said;
    const QString fault = read.said(QStringLiteral("no options and no logging entries"));
    if (!fault.isEmpty()) said << fault;
    if (read.outcome == SettingsFileRead::kRead || read.outcome == SettingsFileRead::kFault) {
        // Read again for the lines of the elements: the reading itself does not know them.
        QFile file(path);
        if (open_regular_file(file, QIODevice::ReadOnly).opened)
            said = check(file.read(kMaxDefinitionBytes), read.name) + said;
    }
    for (QString& line : said) line.prepend(QStringLiteral("Address %1: ").arg(dev.address));
    return said.join(QStringLiteral("\r\n"));
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
        if (!problem.isEmpty()) said << problem.split(QStringLiteral("\r\n"));
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
