#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <vector>

// One column of a published record: its name (the caller gives the column letters when the
// column has no name), its unit and its value.
// Thread: a plain value.
struct PublishedValue {
    QString name;
    QString unit;
    double value = 0.0;
};

// A record as it is published: its number in the log, its time with the station's UTC offset
// and the columns it writes, in column order.
// Thread: a plain value.
struct PublishedRecord {
    int record = 0;
    QDateTime time;
    std::vector<PublishedValue> values;
};

// The record as one JSON object, keys in this order:
// {"station": "ST1", "seq": 1234, "time": "2026-12-10T02:14:05+01:00", "record": 17,
//  "values": {"AirTemp": 21.5, "RelHum": null}, "units": {"AirTemp": "degC", "RelHum": "%"}}
// A value that is not finite is null; numbers are written without the locale, as short as
// they read back the same.
QByteArray record_json(const PublishedRecord& record, const QString& station, std::int64_t seq);

// The time as ISO 8601 with its UTC offset: "2026-12-10T02:14:05+01:00".
QByteArray iso_time_with_offset(const QDateTime& time);
// A JSON string: quoted, with quotes, backslashes and control characters escaped.
QByteArray json_string(const QString& text);
// A JSON number, or null for NaN and the infinities.
QByteArray json_number(double value);
