#include "core/core_config.h"

#include <QDomDocument>
#include <QSaveFile>
#include <QStringList>

#include "devices/device_list.h"
#include "settings/start_element_reader.h"
#include "variables/column_list.h"

namespace {

// The core keeps the log file name in a buffer of this many characters; longer names are refused.
constexpr int kMaxFilenameLength = 255;
// config.xml holds a handful of short elements; a far larger file is not one and is not read.
constexpr qint64 kMaxConfigBytes = 4 * 1024 * 1024;

bool is_ascii_letter(QChar c) {
    const ushort u = c.unicode();
    return (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z');
}

int letter_index(QChar c) {
    return c.toUpper().unicode() - 'A';
}

// Column index of a start column written as letters, either case: "D" is 3, "AA" 26, "NK" 374.
// Two letters count only up to NK; past that, and for a single letter, the first letter alone
// counts. Text that does not begin with a letter gives column 0.
int column_from_letters(const QString& text) {
    if (text.isEmpty() || !is_ascii_letter(text.at(0))) return 0;
    const int first = letter_index(text.at(0));
    if (text.size() >= 2 && is_ascii_letter(text.at(1))) {
        const int second = letter_index(text.at(1));
        if (first <= 12 || (first == 13 && second <= 10)) return 26 * (first + 1) + second;
    }
    return first;
}

// Decimal integer of an attribute; text that is not a number gives 0.
int decimal_or_zero(const QString& text) {
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    return ok ? value : 0;
}

// Handler of config.xml: `config` sets the core's settings, each `device` restores a slot.
// Thread: whoever reads the file (the user-interface thread at start-up).
class CoreConfigReader : public StartElementHandler {
  public:
    CoreConfigReader(CoreSettings& settings, DeviceList& devices) : settings_(settings), devices_(devices) {}

    void startElement(const QString& qualified_name, const ElementAttributes& attributes) override {
        if (qualified_name == QLatin1String("config"))
            read_config(attributes);
        else if (qualified_name == QLatin1String("device"))
            read_device(attributes);
    }

    // What was read that is not used as it stands, for the console.
    QStringList notes() const {
        QStringList said;
        if (!bad_mode_.isEmpty())
            said << QStringLiteral("CommMode %1 in config.xml is not a mode (0 to 3): using 0 (SDI-12)")
                        .arg(bad_mode_);
        if (interval_read_ && settings_.interval > 0 && !is_listed_interval(settings_.interval))
            said << QStringLiteral(
                        "LogInterval %1 s in config.xml is not one of the listed intervals: it is kept, and "
                        "Logging Configuration shows it as \"%1 seconds\"")
                        .arg(settings_.interval);
        return said;
    }

  private:
    void read_config(const ElementAttributes& attributes) {
        const QString port = attributes.value(QStringLiteral("PortNo"));
        if (!port.isEmpty()) settings_.port = decimal_or_zero(port);
        const QString interval = attributes.value(QStringLiteral("LogInterval"));
        if (!interval.isEmpty()) {
            settings_.interval = decimal_or_zero(interval);
            interval_read_ = true;
        }
        const QString filename = attributes.value(QStringLiteral("Filename"));
        if (!filename.isEmpty() && filename.size() <= kMaxFilenameLength) settings_.filename = filename;
        const QString mode = attributes.value(QStringLiteral("CommMode"));
        if (!mode.isEmpty()) {
            settings_.comm_mode = decimal_or_zero(mode);
            bad_mode_.clear();
            if (settings_.comm_mode < 0 || settings_.comm_mode >= kCommModes) {
                bad_mode_ = mode;
                settings_.comm_mode = 0;
            }
        }
    }

    void read_device(const ElementAttributes& attributes) {
        const QString address = attributes.value(QStringLiteral("addr"));
        if (address.size() != 1) return;
        const int slot = devices_.find_address(address.at(0));
        if (slot < 0) return;
        const QString identification = attributes.value(QStringLiteral("id"));
        const QString definition = attributes.value(QStringLiteral("config"));
        const int start = column_from_letters(attributes.value(QStringLiteral("start")));
        devices_.update(slot, [&](idev& dev) {
            dev.identification = identification;
            dev.definition = definition;
            dev.scanned = 1;
            dev.start_column = static_cast<std::uint16_t>(start);
        });
    }

    CoreSettings& settings_;
    DeviceList& devices_;
    QString bad_mode_;
    bool interval_read_ = false;
};

QDomDocument build_document(const CoreSettings& settings, const DeviceList& devices) {
    QDomDocument doc(QStringLiteral("CoreConfig"));
    doc.appendChild(doc.createProcessingInstruction(QStringLiteral("xml"),
                                                    QStringLiteral("version=\"1.0\" encoding=\"UTF-8\"")));
    QDomElement root = doc.createElement(QStringLiteral("main"));
    doc.appendChild(root);

    QDomElement config = doc.createElement(QStringLiteral("config"));
    config.setAttribute(QStringLiteral("PortNo"), settings.port);
    config.setAttribute(QStringLiteral("LogInterval"), settings.interval);
    config.setAttribute(QStringLiteral("Filename"), settings.filename);
    config.setAttribute(QStringLiteral("CommMode"), settings.comm_mode);
    root.appendChild(config);

    for (const idev& dev : devices.snapshot()) {
        QDomElement device = doc.createElement(QStringLiteral("device"));
        device.setAttribute(QStringLiteral("addr"), dev.address);
        device.setAttribute(QStringLiteral("id"), dev.identification);
        device.setAttribute(QStringLiteral("config"), dev.definition);
        device.setAttribute(QStringLiteral("start"), column_letters(dev.start_column));
        root.appendChild(device);
    }
    return doc;
}

}  // namespace

const std::vector<LoggingInterval>& logging_intervals() {
    static const std::vector<LoggingInterval> intervals{
        {QStringLiteral("5 seconds"), 5},    {QStringLiteral("10 Seconds"), 10},
        {QStringLiteral("30 Seconds"), 30},  {QStringLiteral("60 Seconds"), 60},
        {QStringLiteral("2 minutes"), 120},  {QStringLiteral("5 minutes"), 300},
        {QStringLiteral("15 minutes"), 900}, {QStringLiteral("30 minutes"), 1800},
        {QStringLiteral("1 hour"), 3600},
    };
    return intervals;
}

bool is_listed_interval(int seconds) {
    for (const LoggingInterval& entry : logging_intervals())
        if (entry.seconds == seconds) return true;
    return false;
}

QString read_core_config(const QString& path, CoreSettings& settings, DeviceList& devices) {
    CoreConfigReader handler(settings, devices);
    // A fault stops the parse; what was read before it stays.
    const QString problem =
        read_settings_file(path, handler, kMaxConfigBytes)
            .said(QStringLiteral(
                      "the default settings (port %1, logging interval %2 s, log file \"%3\", mode %4) "
                      "and no devices")
                      .arg(CoreSettings::kDefaultPort)
                      .arg(CoreSettings::kDefaultInterval)
                      .arg(CoreSettings().filename)
                      .arg(CoreSettings().comm_mode));
    QStringList said = handler.notes();
    if (!problem.isEmpty()) said.prepend(problem);
    return said.join(QStringLiteral("\r\n"));
}

QString read_core_config_text(const QByteArray& xml, CoreSettings& settings, DeviceList& devices) {
    if (xml.isEmpty()) return QString();
    CoreConfigReader handler(settings, devices);
    StartElementReader(handler).read(xml);
    return handler.notes().join(QStringLiteral("\r\n"));
}

int write_core_config(const QString& path, const CoreSettings& settings, const DeviceList& devices) {
    const QByteArray text = build_document(settings, devices).toByteArray(1);
    // Written beside the target and renamed over it, so a crash never leaves half a file.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return -1;
    // A failed write makes commit() discard the temporary file and keep the old one.
    file.write(text);
    return file.commit() ? 0 : -1;
}
