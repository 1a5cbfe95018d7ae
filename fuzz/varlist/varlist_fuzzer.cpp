// libFuzzer target: any bytes as "varlist.xml". The reader must not crash, must never change the
// system columns or the list's size, and what it read must survive a write and a second read.
#include <cstdint>
#include <cstdlib>

#include "variables/column_list.h"
#include "variables/varlist_file.h"

namespace {

bool same_texts(const column_record& a, const column_record& b) {
    return a.letters == b.letters && a.name == b.name && a.units == b.units && a.user1 == b.user1 &&
           a.formula == b.formula && a.alarm == b.alarm;
}

// Texts with characters XML cannot carry are written without them, so they cannot compare equal.
bool writable(const column_record& r) {
    const QString texts[] = {r.letters,  r.name,     r.units,    r.user1,   r.formula,
                             r.alarm[0], r.alarm[1], r.alarm[2], r.alarm[3]};
    for (const QString& t : texts)
        for (int i = 0; i < t.size(); ++i) {
            const ushort u = t.at(i).unicode();
            if ((u < 0x20 && u != 0x9 && u != 0xA && u != 0xD) || u >= 0xFFFE || t.at(i).isSurrogate())
                return false;
        }
    return true;
}

}  // namespace

// A short list keeps each run fast; the reader's bound is the list's size whatever it is.
constexpr int kColumns = 40;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const ColumnList defaults(kColumns);
    ColumnList first(kColumns);
    const QByteArray input(reinterpret_cast<const char*>(data), int(size));
    const int applied = read_varlist_data(first, input);
    if (applied < 0 || first.size() != kColumns) std::abort();
    for (int i = 0; i < 3; ++i)
        if (!same_texts(first.record(i), defaults.record(i))) std::abort();

    if (applied == 0) return 0;  // nothing changed: the defaults need no second round

    ColumnList second(kColumns);
    read_varlist_data(second, varlist_document(first));
    for (int i = 3; i < first.size(); ++i) {
        const column_record r = first.record(i);
        if (writable(r) && !same_texts(second.record(i), r)) std::abort();
    }
    return 0;
}
