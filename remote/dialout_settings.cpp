#include "remote/dialout_settings.h"

#include <QDomDocument>
#include <QSaveFile>
#include <QStringList>
#include <utility>
#include <vector>

#include "settings/start_element_handler.h"
#include "settings/start_element_reader.h"

namespace {

constexpr qint64 kMaxFileBytes = 64 * 1024;
const QString kTimeFormat = QStringLiteral("hh:mm:ss");

// The content handler of gsmdialout.xml: acts on `config` wherever it stands.
// Thread: the reader's.
class DialoutSettingsReader final : public StartElementHandler {
  public:
    explicit DialoutSettingsReader(DialoutSettings& settings) : settings_(settings) {}

    void startElement(const QString& name, const ElementAttributes& attributes) override {
        if (name != QLatin1String("config")) return;
        const auto present = [&](const char* key, QString& text) {
            text = attributes.value(QLatin1String(key));
            if (!text.isEmpty()) read_keys_ << QLatin1String(key);
            return !text.isEmpty();
        };
        QString text;
        if (present("type", text)) settings_.type = text.toInt();
        if (present("days", text))
            for (int i = 0; i < 7; ++i) settings_.days[i] = i < text.size() && text.at(i) == QLatin1Char('1');
        // A text that is no time would leave the schedule without a call: the time stays.
        if (present("time0", text)) read_time(text, settings_.time0);
        if (present("time1", text)) read_time(text, settings_.time1);
        if (present("comport", text)) settings_.comport = text.toInt();
        if (present("columns", text)) settings_.columns = text.toInt();
        if (present("record", text)) settings_.record = text.toInt();
        if (present("dial", text)) settings_.dial = text;
    }

    // The attributes that gave a setting.
    const QStringList& read_keys() const { return read_keys_; }

  private:
    static void read_time(const QString& text, QTime& time) {
        const QTime read = QTime::fromString(text, kTimeFormat);
        if (read.isValid()) time = read;
    }

    DialoutSettings& settings_;
    QStringList read_keys_;
};

// Each setting as the file holds it: attribute name and text, in the file's order.
std::vector<std::pair<QString, QString>> setting_texts(const DialoutSettings& s) {
    QString days;
    for (const bool chosen : s.days) days += chosen ? QLatin1Char('1') : QLatin1Char('0');
    return {{QStringLiteral("type"), QString::number(s.type)},
            {QStringLiteral("days"), days},
            {QStringLiteral("time0"), s.time0.toString(kTimeFormat)},
            {QStringLiteral("time1"), s.time1.toString(kTimeFormat)},
            {QStringLiteral("comport"), QString::number(s.comport)},
            {QStringLiteral("columns"), QString::number(s.columns)},
            {QStringLiteral("record"), QString::number(s.record)},
            {QStringLiteral("dial"), s.dial}};
}

// The settings the file did not give, with the values they keep, in the file's own terms: a
// garbled file must not move the call without the console saying where to.
QString settings_not_read(const DialoutSettings& settings, const QStringList& read_keys) {
    const auto in_use = setting_texts(settings);
    const auto defaults = setting_texts(DialoutSettings());
    QStringList kept;
    bool all_defaults = true;
    for (std::size_t i = 0; i < in_use.size(); ++i) {
        if (read_keys.contains(in_use[i].first)) continue;
        kept << QStringLiteral("%1=\"%2\"").arg(in_use[i].first, in_use[i].second);
        all_defaults = all_defaults && in_use[i].second == defaults[i].second;
    }
    if (kept.isEmpty()) return QString();
    return (all_defaults ? QStringLiteral("the defaults ") : QStringLiteral("the settings in use ")) +
           kept.join(QLatin1Char(' '));
}

}  // namespace

bool DialoutSettings::operator==(const DialoutSettings& o) const {
    return type == o.type && days == o.days && time0 == o.time0 && time1 == o.time1 && comport == o.comport &&
           columns == o.columns && record == o.record && dial == o.dial;
}

QString columns_refusal(int columns) {
    if (columns >= DialoutSettings::kMinColumns && columns <= DialoutSettings::kMaxColumns) return QString();
    return QStringLiteral("Columns setting %1 refused: a downloaded record has %2 to %3 columns")
        .arg(columns)
        .arg(DialoutSettings::kMinColumns)
        .arg(DialoutSettings::kMaxColumns);
}

QString read_dialout_settings(const QString& path, DialoutSettings& settings) {
    DialoutSettingsReader handler(settings);
    const SettingsFileRead read = read_settings_file(path, handler, kMaxFileBytes);
    return read.said(settings_not_read(settings, handler.read_keys()));
}

void read_dialout_settings_text(const QByteArray& xml, DialoutSettings& settings) {
    DialoutSettingsReader handler(settings);
    StartElementReader(handler).read(xml);
}

QByteArray dialout_settings_text(const DialoutSettings& settings) {
    QDomDocument doc(QStringLiteral("Config"));
    doc.appendChild(doc.createProcessingInstruction(QStringLiteral("xml"),
                                                    QStringLiteral("version=\"1.0\" encoding=\"UTF-8\"")));
    QDomElement config = doc.createElement(QStringLiteral("config"));
    for (const auto& [key, text] : setting_texts(settings)) config.setAttribute(key, text);
    doc.appendChild(config);
    return doc.toByteArray(1);
}

bool write_dialout_settings(const QString& path, const DialoutSettings& settings) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    file.write(dialout_settings_text(settings));
    return file.commit();
}
