// libFuzzer target: any bytes as the import's progress file. Replaying must not crash, every entry
// must stay within its own file (imported bytes never negative), and the entries written out again
// must read back the same.
#include <cstdint>
#include <cstdlib>

#include "fileio/import_ledger.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray input(reinterpret_cast<const char*>(data), int(size));
    ImportLedger first(QString{});
    // The log grew since the last line, and it did not: both ways of ending an unfinished record.
    for (const std::int64_t log_size : {std::int64_t(-1), std::int64_t(1) << 40}) {
        first.replay(input, log_size);
        for (const auto& [id, entry] : first.entries())
            if (entry.imported < 0 || entry.lines < 0 || entry.hash_length < 0) std::abort();
    }
    ImportLedger second(QString{});
    second.replay(first.document(), -1);
    if (second.document() != first.document()) std::abort();
    return 0;
}
