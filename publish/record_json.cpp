#include "publish/record_json.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

QByteArray iso_time_with_offset(const QDateTime& time) {
    const int offset = time.offsetFromUtc();
    const int minutes = std::abs(offset) / 60;
    QByteArray text = time.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")).toLatin1();
    text += offset < 0 ? '-' : '+';
    text += QByteArray::number(minutes / 60).rightJustified(2, '0');
    text += ':';
    text += QByteArray::number(minutes % 60).rightJustified(2, '0');
    return text;
}

QByteArray json_string(const QString& text) {
    static const char kHex[] = "0123456789abcdef";
    const QByteArray utf8 = text.toUtf8();
    QByteArray out;
    out.reserve(utf8.size() + 2);
    out += '"';
    for (const char c : utf8) {
        const auto u = static_cast<unsigned char>(c);
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (u < 0x20) {
                    out += "\\u00";
                    out += kHex[u >> 4];
                    out += kHex[u & 0xF];
                } else {
                    out += c;
                }
        }
    }
    out += '"';
    return out;
}

QByteArray json_number(double value) {
    if (!std::isfinite(value)) return QByteArrayLiteral("null");
    // The columns hold floats: the float's shortest form is what the log shows.
    const auto single = static_cast<float>(value);
    char buffer[64];
    std::to_chars_result r{};
    if (std::isfinite(single) && static_cast<double>(single) == value)
        r = std::to_chars(buffer, buffer + sizeof buffer, single);
    else
        r = std::to_chars(buffer, buffer + sizeof buffer, value);
    return QByteArray(buffer, int(r.ptr - buffer));
}

QByteArray record_json(const PublishedRecord& record, const QString& station, std::int64_t seq) {
    QByteArray out;
    out.reserve(96 + int(record.values.size()) * 40);
    out += "{\"station\": " + json_string(station);
    out += ", \"seq\": " + QByteArray::number(qlonglong(seq));
    out += ", \"time\": \"" + iso_time_with_offset(record.time) + '"';
    out += ", \"record\": " + QByteArray::number(record.record);
    out += ", \"values\": {";
    for (std::size_t i = 0; i < record.values.size(); ++i) {
        if (i > 0) out += ", ";
        out += json_string(record.values[i].name) + ": " + json_number(record.values[i].value);
    }
    out += "}, \"units\": {";
    for (std::size_t i = 0; i < record.values.size(); ++i) {
        if (i > 0) out += ", ";
        out += json_string(record.values[i].name) + ": " + json_string(record.values[i].unit);
    }
    out += "}}";
    return out;
}
