#pragma once

#include <QByteArray>
#include <QString>
#include <QTime>
#include <array>

// The dial-out settings kept in gsmdialout.xml: when to call, whom, on which port, how many
// columns a downloaded record has and the number of the last record already downloaded.
// Thread: a plain value; whoever holds the copy.
struct DialoutSettings {
    enum ScheduleType : int { kHourly = 1, kTwiceDaily = 2, kOnceDaily = 3 };
    // A downloaded record is written with the first-three-from-columns form of the record
    // writer, which refuses more than 200 columns; columns 0..2 are number, date and time.
    static constexpr int kMinColumns = 3, kMaxColumns = 200;

    int type = kOnceDaily;
    std::array<bool, 7> days{true, false, false, false, false, false, false};  // Monday first
    QTime time0{12, 0, 0};
    QTime time1{12, 0, 0};
    int comport = 5;
    int columns = 40;
    int record = 0;
    QString dial = QStringLiteral("555 555555");

    bool operator==(const DialoutSettings& other) const;
};

// Why a columns setting cannot be used (the writer would refuse every record, or the record
// would not even hold its number, date and time), or empty when it can.
QString columns_refusal(int columns);

// Reads gsmdialout.xml: every attribute of `config` that is present and not empty replaces its
// setting. A missing or unreadable file leaves the settings as they are; numbers that do not
// read as integers become 0, a time that does not read as hh:mm:ss is kept as it was. The
// columns setting is taken as it stands (see columns_refusal). Returns the console line for a
// file that is there but could not be read whole, naming each setting it did not give with the
// value kept; empty otherwise.
QString read_dialout_settings(const QString& path, DialoutSettings& settings);
void read_dialout_settings_text(const QByteArray& xml, DialoutSettings& settings);

// Writes the whole file (document type Config, one config element, one-space indentation),
// replacing it only once it is complete. Returns whether it was written.
bool write_dialout_settings(const QString& path, const DialoutSettings& settings);
QByteArray dialout_settings_text(const DialoutSettings& settings);
