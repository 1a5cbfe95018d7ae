#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The publishing settings kept in Config/publish.xml: whether records go to an MQTT broker,
// which one, under which topic and station name, with which quality of service and
// credentials, and how large the outbox may grow. The password itself lives in a file of its
// own, read at connect time, never in these settings.
// Thread: a plain value; whoever holds the copy.
struct PublishSettings {
    static constexpr int kDefaultPort = 1883;
    static constexpr int kDefaultQos = 1;
    static constexpr int kDefaultOutboxLimitMb = 100;

    bool enabled = false;
    QString host = QStringLiteral("127.0.0.1");
    int port = kDefaultPort;
    QString topic = QStringLiteral("veld/ST1");
    QString station = QStringLiteral("ST1");
    int qos = kDefaultQos;
    QString username;
    QString password_file;
    QString ca_file;
    int outbox_limit_mb = kDefaultOutboxLimitMb;

    // The broker as the console names it: "127.0.0.1:1883".
    QString broker() const { return host + QLatin1Char(':') + QString::number(port); }
    bool operator==(const PublishSettings& other) const;
    bool operator!=(const PublishSettings& other) const { return !(*this == other); }
};

// Reads publish.xml: every attribute of `publish` that is present replaces its setting. A missing
// file leaves the settings as they are (publishing stays off). A port outside 1..65535, a qos
// other than 0 or 1 or an outbox limit that is no whole number of megabytes (1 or more) is said
// and the default used. Returns the console lines for what could not be used; empty when all was.
QStringList read_publish_settings(const QString& path, PublishSettings& settings);
QStringList read_publish_settings_text(const QByteArray& xml, PublishSettings& settings);

// Writes the whole file (document type Config, one publish element, one-space indentation),
// replacing it only once it is complete. Returns whether it was written.
bool write_publish_settings(const QString& path, const PublishSettings& settings);
QByteArray publish_settings_text(const PublishSettings& settings);

// What reading a password file came to: its first line without the line end, or why not.
// Thread: a plain value.
struct PasswordRead {
    bool read = false;
    QString password;
    QString reason;  // "No such file or directory", "not a regular file (a FIFO)"
};
PasswordRead read_password_file(const QString& path);
