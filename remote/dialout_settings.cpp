#include "remote/dialout_settings.h"

#include <QDomDocument>
#include <QFile>
#include <QSaveFile>

#include "core/start_element_handler.h"
#include "core/start_element_reader.h"

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

  private:
    static void read_time(const QString& text, QTime& time) {
        const QTime read = QTime::fromString(text, kTimeFormat);
        if (read.isValid()) time = read;
    }

    DialoutSettings& settings_;
};

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

void read_dialout_settings(const QString& path, DialoutSettings& settings) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return;
    read_dialout_settings_text(file.read(kMaxFileBytes), settings);
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
    QString days;
    for (const bool chosen : settings.days) days += chosen ? QLatin1Char('1') : QLatin1Char('0');
    config.setAttribute(QStringLiteral("type"), settings.type);
    config.setAttribute(QStringLiteral("days"), days);
    config.setAttribute(QStringLiteral("time0"), settings.time0.toString(kTimeFormat));
    config.setAttribute(QStringLiteral("time1"), settings.time1.toString(kTimeFormat));
    config.setAttribute(QStringLiteral("comport"), settings.comport);
    config.setAttribute(QStringLiteral("columns"), settings.columns);
    config.setAttribute(QStringLiteral("record"), settings.record);
    config.setAttribute(QStringLiteral("dial"), settings.dial);
    doc.appendChild(config);
    return doc.toByteArray(1);
}

bool write_dialout_settings(const QString& path, const DialoutSettings& settings) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    file.write(dialout_settings_text(settings));
    return file.commit();
}
