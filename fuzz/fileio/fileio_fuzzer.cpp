// libFuzzer target: any bytes as "fileio.xml", and as a line of an imported data file. The store
// must not crash, must hold each name once, and what it read must survive a save and a second
// load; the import settings read from it must be usable; a line taken as a record must carry a
// record number from -1 to 1000000.
#include <cstdint>
#include <cstdlib>

#include "core/downloaded_record.h"
#include "fileio/import_line.h"
#include "fileio/import_settings.h"
#include "fileio/kgenparse.h"

namespace {

// Texts with characters XML cannot carry are written without them, so they cannot compare equal.
bool writable(const QString& t) {
    for (int i = 0; i < t.size(); ++i) {
        const ushort u = t.at(i).unicode();
        if ((u < 0x20 && u != 0x9 && u != 0xA && u != 0xD) || u >= 0xFFFE || t.at(i).isSurrogate())
            return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray input(reinterpret_cast<const char*>(data), int(size));

    Kgenparse first;
    first.load_text(input);
    const QStringList names = first.names();
    for (int i = 0; i < names.size(); ++i)
        if (names.indexOf(names.at(i)) != i) std::abort();

    Kgenparse second;
    second.load_text(first.document());
    for (const QString& name : names) {
        if (!writable(name) || !writable(first.value(name))) continue;
        // Attribute values lose their line ends and tabs to the XML rules; compare what is kept.
        const QString value = first.value(name);
        if (value.contains(QLatin1Char('\n')) || value.contains(QLatin1Char('\r')) ||
            value.contains(QLatin1Char('\t')) || name.contains(QLatin1Char('\n')) ||
            name.contains(QLatin1Char('\r')) || name.contains(QLatin1Char('\t')))
            continue;
        if (!second.contains(name) || second.value(name) != value) std::abort();
    }

    const ImportSettings settings = ImportSettings::from(first, QStringLiteral("/import/"));
    if (settings.directory.isEmpty()) std::abort();
    (void)settings.is_new(QStringLiteral("file.csv"), settings.proc_time);

    DownloadedRecord record;
    if (parse_import_line(input, record)) {
        bool ok = false;
        const int number = record.number.toInt(&ok, 10);
        if (!ok || number < -1 || number > 1000000) std::abort();
    }
    return 0;
}
