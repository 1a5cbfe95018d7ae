#include "fileio/import_line.h"

#include <QString>
#include <QStringList>

#include "core/downloaded_record.h"

namespace {
constexpr int kLowestRecord = -1;
constexpr int kHighestRecord = 1000000;
}  // namespace

bool parse_import_line(const QByteArray& line, DownloadedRecord& record) {
    int end = line.size();
    while (end > 0 && (line.at(end - 1) == '\n' || line.at(end - 1) == '\r')) --end;
    const QStringList fields =
        QString::fromUtf8(line.constData(), end).split(QLatin1Char(','), Qt::KeepEmptyParts);
    bool ok = false;
    const int number = fields.at(0).toInt(&ok, 10);
    if (!ok || number < kLowestRecord || number > kHighestRecord) return false;
    record = DownloadedRecord::from_fields(fields);
    return true;
}

bool has_control_characters(const char* begin, const char* end) {
    if (end > begin && end[-1] == '\n') --end;
    if (end > begin && end[-1] == '\r') --end;
    for (const char* p = begin; p < end; ++p) {
        const auto c = static_cast<unsigned char>(*p);
        if ((c < 0x20 && c != '\t') || c == 0x7F) return true;
    }
    return false;
}
