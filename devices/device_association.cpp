#include "devices/device_association.h"

#include <algorithm>

#include "settings/start_element_reader.h"
#include "variables/column_ref.h"

namespace device_association {
namespace {

// devassoc.xml lists a few dozen definitions; a file far larger is not one.
constexpr qint64 kMaxAssociationBytes = 4 * 1024 * 1024;

// The content handler of devassoc.xml: each `assoc`, wherever it stands, is one entry.
// Thread: the reader's.
class AssocReader final : public StartElementHandler {
  public:
    explicit AssocReader(std::vector<assoc_entry>& entries) : entries_(entries) {}

    void startElement(const QString& name, const ElementAttributes& attributes) override {
        if (name != QLatin1String("assoc")) return;
        entries_.push_back({attributes.value(QStringLiteral("id")), attributes.value(QStringLiteral("file")),
                            attributes.value(QStringLiteral("name"))});
    }

  private:
    std::vector<assoc_entry>& entries_;
};

}  // namespace

std::vector<assoc_entry> read(const QByteArray& xml) {
    std::vector<assoc_entry> entries;
    AssocReader handler(entries);
    StartElementReader(handler).read(xml);
    return entries;
}

QString read_file(const QString& path, std::vector<assoc_entry>& entries) {
    entries.clear();
    AssocReader handler(entries);
    return read_settings_file(path, handler, kMaxAssociationBytes)
        .said(QStringLiteral("no association entries"));
}

std::vector<assoc_entry> fitting(const std::vector<assoc_entry>& all, const QString& identification) {
    std::vector<assoc_entry> fit;
    for (const assoc_entry& entry : all)
        if (entry.id.isEmpty() || identification.contains(entry.id, Qt::CaseSensitive)) fit.push_back(entry);
    return fit;
}

int selected_position(const std::vector<assoc_entry>& fitting, const QString& definition) {
    int position = -1;
    for (int i = 0; i < int(fitting.size()); ++i)
        if (fitting[i].file == definition) position = i;
    return position;
}

QString default_definition(const std::vector<assoc_entry>& all, const QString& identification) {
    const std::vector<assoc_entry> fit = fitting(all, identification);
    return fit.empty() ? QString() : fit.front().file;
}

int overlapping_slot(const std::vector<idev>& devices, int slot, int start, int cells) {
    const int last = start + std::max(cells, 1) - 1;
    for (int i = 0; i < int(devices.size()); ++i) {
        const idev& other = devices[i];
        if (i == slot || other.cells <= 0) continue;
        const int other_last = other.start_column + other.cells - 1;
        if (start <= other_last && other.start_column <= last) return i;
    }
    return -1;
}

int next_free_column(const std::vector<idev>& devices, int slot, int cells) {
    const int width = std::max(cells, 1);
    for (int start = kFirstStartColumn; start + width - 1 <= kLastColumn; ++start)
        if (overlapping_slot(devices, slot, start, width) < 0) return start;
    return -1;
}

int start_column_of(const QString& letters) {
    const ColumnRef ref = parse_column_ref(letters);
    return ref.length > 0 ? ref.index : 0;
}

}  // namespace device_association
