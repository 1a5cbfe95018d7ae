#include "publish/publish_settings.h"

#include <QDomDocument>
#include <QFile>
#include <QSaveFile>

#include "settings/regular_file.h"
#include "settings/start_element_handler.h"
#include "settings/start_element_reader.h"

namespace {

constexpr qint64 kMaxFileBytes = 64 * 1024;
constexpr qint64 kMaxPasswordBytes = 4096;
const QString kFileName = QStringLiteral("Config/publish.xml");

// The content handler of publish.xml: acts on `publish` wherever it stands.
// Thread: the reader's.
class PublishSettingsReader final : public StartElementHandler {
  public:
    explicit PublishSettingsReader(PublishSettings& settings) : settings_(settings) {}

    void startElement(const QString& name, const ElementAttributes& attributes) override {
        if (name != QLatin1String("publish")) return;
        const auto text = [&](const char* key) { return attributes.value(QLatin1String(key)).trimmed(); };
        // An attribute that is missing or blank leaves its setting as it is.
        const auto present = [&](const char* key) { return !text(key).isEmpty(); };
        if (present("enabled")) {
            const QString e = text("enabled");
            settings_.enabled =
                e == QLatin1String("1") || e.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
        }
        if (present("host")) settings_.host = text("host");
        if (present("port"))
            read_number("port", text("port"), 1, 65535, PublishSettings::kDefaultPort, settings_.port);
        if (present("topic")) settings_.topic = text("topic");
        if (present("station")) settings_.station = text("station");
        if (present("qos"))
            read_number("qos", text("qos"), 0, 1, PublishSettings::kDefaultQos, settings_.qos);
        if (present("username")) settings_.username = text("username");
        if (present("password_file")) settings_.password_file = text("password_file");
        if (present("ca_file")) settings_.ca_file = text("ca_file");
        if (present("outbox_limit_mb"))
            read_number("outbox_limit_mb", text("outbox_limit_mb"), 1, 1024 * 1024,
                        PublishSettings::kDefaultOutboxLimitMb, settings_.outbox_limit_mb);
    }

    const QStringList& refused() const { return refused_; }

  private:
    void read_number(const char* key, const QString& text, int low, int high, int fallback, int& value) {
        bool ok = false;
        const int read = text.trimmed().toInt(&ok);
        if (ok && read >= low && read <= high) {
            value = read;
            return;
        }
        value = fallback;
        refused_ << QStringLiteral("%1: %2=\"%3\" is not %4 to %5: using %6")
                        .arg(kFileName, QLatin1String(key), text)
                        .arg(low)
                        .arg(high)
                        .arg(fallback);
    }

    PublishSettings& settings_;
    QStringList refused_;
};

}  // namespace

bool PublishSettings::operator==(const PublishSettings& o) const {
    return enabled == o.enabled && host == o.host && port == o.port && topic == o.topic &&
           station == o.station && qos == o.qos && username == o.username &&
           password_file == o.password_file && ca_file == o.ca_file && outbox_limit_mb == o.outbox_limit_mb;
}

QStringList read_publish_settings(const QString& path, PublishSettings& settings) {
    PublishSettingsReader handler(settings);
    const SettingsFileRead read = read_settings_file(path, handler, kMaxFileBytes);
    QStringList lines = handler.refused();
    const QString said = read.said(QStringLiteral("the settings read before it"));
    if (!said.isEmpty()) lines.prepend(said);
    return lines;
}

QStringList read_publish_settings_text(const QByteArray& xml, PublishSettings& settings) {
    PublishSettingsReader handler(settings);
    StartElementReader(handler).read(xml);
    return handler.refused();
}

QByteArray publish_settings_text(const PublishSettings& s) {
    QDomDocument doc(QStringLiteral("Config"));
    doc.appendChild(doc.createProcessingInstruction(QStringLiteral("xml"),
                                                    QStringLiteral("version=\"1.0\" encoding=\"UTF-8\"")));
    QDomElement publish = doc.createElement(QStringLiteral("publish"));
    publish.setAttribute(QStringLiteral("enabled"), s.enabled ? QStringLiteral("1") : QStringLiteral("0"));
    publish.setAttribute(QStringLiteral("host"), s.host);
    publish.setAttribute(QStringLiteral("port"), QString::number(s.port));
    publish.setAttribute(QStringLiteral("topic"), s.topic);
    publish.setAttribute(QStringLiteral("station"), s.station);
    publish.setAttribute(QStringLiteral("qos"), QString::number(s.qos));
    publish.setAttribute(QStringLiteral("username"), s.username);
    publish.setAttribute(QStringLiteral("password_file"), s.password_file);
    publish.setAttribute(QStringLiteral("ca_file"), s.ca_file);
    publish.setAttribute(QStringLiteral("outbox_limit_mb"), QString::number(s.outbox_limit_mb));
    doc.appendChild(publish);
    return doc.toByteArray(1);
}

bool write_publish_settings(const QString& path, const PublishSettings& settings) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    file.write(publish_settings_text(settings));
    return file.commit();
}

PasswordRead read_password_file(const QString& path) {
    PasswordRead result;
    QFile file(path);
    const RegularFileOpen opened = open_regular_file(file, QIODevice::ReadOnly);
    if (!opened.opened) {
        result.reason = opened.reason;
        return result;
    }
    QByteArray line = file.read(kMaxPasswordBytes);
    if (file.error() != QFileDevice::NoError) {
        result.reason = file.errorString();
        return result;
    }
    const int end = line.indexOf('\n');
    if (end >= 0) line.truncate(end);
    if (line.endsWith('\r')) line.chop(1);
    result.read = true;
    result.password = QString::fromUtf8(line);
    return result;
}
