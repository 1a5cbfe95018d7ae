#include "fileio/import_ledger.h"

#include <QSaveFile>

#include "settings/regular_file.h"

namespace {

// Ledgers are small; a larger file is not ours.
constexpr qint64 kMaxLedgerBytes = 256 * 1024 * 1024;

// Names and ids may hold spaces or any character: each field is percent-encoded.
QByteArray field(const QByteArray& raw) {
    return raw.isEmpty() ? QByteArray("-") : raw.toPercentEncoding();
}
QByteArray unfield(const QByteArray& text) {
    return text == "-" ? QByteArray() : QByteArray::fromPercentEncoding(text);
}

bool number(const QByteArray& text, std::int64_t& out) {
    bool ok = false;
    const qlonglong v = text.toLongLong(&ok, 10);
    if (!ok || v < 0) return false;
    out = v;
    return true;
}

struct Pending {
    QByteArray id;
    std::int64_t to = 0, lines = 0, log_size = -1;
};

}  // namespace

ImportLedger::~ImportLedger() {
    flush();
}

QByteArray ImportLedger::entry_line(const LedgerEntry& e) {
    return "F " + field(e.id) + ' ' + QByteArray::number(qlonglong(e.imported)) + ' ' +
           QByteArray::number(qlonglong(e.lines)) + ' ' + QByteArray::number(qlonglong(e.size)) + ' ' +
           QByteArray::number(qlonglong(e.mtime)) + ' ' + QByteArray::number(e.hash_length) + ' ' +
           field(e.hash) + ' ' + field(e.name.toUtf8()) + ' ' + field(e.folder.toUtf8()) + '\n';
}

QByteArray ImportLedger::document() const {
    QByteArray text;
    for (const auto& [id, e] : entries_) text += entry_line(e);
    return text;
}

void ImportLedger::replay(const QByteArray& text, std::int64_t log_size) {
    Pending pending;  // the last W, while nothing followed it
    for (const QByteArray& line : text.split('\n')) {
        const QList<QByteArray> f = line.split(' ');
        if (f.isEmpty() || f[0].isEmpty()) continue;
        // Any line after a W means the program went on: a W not followed by its D was refused.
        pending = Pending{};
        // A line cut short or not ours is passed over: the lines around it still count.
        if (f[0] == "F" && f.size() == 10) {
            LedgerEntry e;
            std::int64_t hash_length = 0;
            e.id = unfield(f[1]);
            if (e.id.isEmpty() || !number(f[2], e.imported) || !number(f[3], e.lines) ||
                !number(f[4], e.size) || !number(f[5], e.mtime) || !number(f[6], hash_length) ||
                hash_length > LedgerEntry::kHashBytes)
                continue;
            e.hash_length = int(hash_length);
            e.hash = unfield(f[7]);
            e.name = QString::fromUtf8(unfield(f[8]));
            e.folder = QString::fromUtf8(unfield(f[9]));
            entries_[e.id] = e;
        } else if (f[0] == "W" && f.size() == 6) {
            Pending w;
            w.id = unfield(f[1]);
            std::int64_t from = 0;
            if (!number(f[2], from) || !number(f[3], w.to) || !number(f[4], w.lines)) continue;
            bool ok = false;
            w.log_size = f[5].toLongLong(&ok, 10);
            if (ok) pending = w;
        } else if (f[0] == "D" && f.size() == 4) {
            const auto it = entries_.find(unfield(f[1]));
            std::int64_t to = 0, lines = 0;
            if (it == entries_.end() || !number(f[2], to) || !number(f[3], lines)) continue;
            it->second.imported = to;
            it->second.lines = lines;
        }
    }
    // The program ended between appending a record and saying so: the log tells.
    if (!pending.id.isEmpty() && log_size >= 0 && pending.log_size >= 0 && log_size > pending.log_size) {
        const auto it = entries_.find(pending.id);
        if (it != entries_.end() && pending.to > it->second.imported) {
            it->second.imported = pending.to;
            it->second.lines = pending.lines;
        }
    }
}

bool ImportLedger::load(std::int64_t log_size) {
    entries_.clear();
    QFile file(path_);
    // Never blocking on a FIFO put in its place.
    const bool existed = open_regular_file(file, QIODevice::ReadOnly).opened;
    if (existed) replay(file.read(kMaxLedgerBytes), log_size);
    file.close();
    compact();
    return existed;
}

const LedgerEntry* ImportLedger::find(const QByteArray& id) const {
    const auto it = entries_.find(id);
    return it == entries_.end() ? nullptr : &it->second;
}

void ImportLedger::put(const LedgerEntry& entry) {
    if (done_id_ == entry.id) done_id_.clear();  // the whole entry says it
    entries_[entry.id] = entry;
    unwritten_ += entry_line(entry);
}

void ImportLedger::keep_only(const QString& folder, const QSet<QByteArray>& ids) {
    for (auto it = entries_.begin(); it != entries_.end();) {
        if (it->second.folder != folder || ids.contains(it->first)) {
            ++it;
            continue;
        }
        if (done_id_ == it->first) done_id_.clear();
        it = entries_.erase(it);
    }
}

bool ImportLedger::begin_record(const QByteArray& id, std::int64_t from, std::int64_t to, std::int64_t lines,
                                std::int64_t log_size) {
    return write_through("W " + field(id) + ' ' + QByteArray::number(qlonglong(from)) + ' ' +
                         QByteArray::number(qlonglong(to)) + ' ' + QByteArray::number(qlonglong(lines)) +
                         ' ' + QByteArray::number(qlonglong(log_size)) + '\n');
}

void ImportLedger::advance(const QByteArray& id, std::int64_t to, std::int64_t lines) {
    const auto it = entries_.find(id);
    if (it == entries_.end()) return;
    it->second.imported = to;
    it->second.lines = lines;
    // Only the last position of a file matters: one D line stands for all since the last write.
    if (!done_id_.isEmpty() && done_id_ != id) {
        const LedgerEntry* other = find(done_id_);
        if (other)
            unwritten_ += "D " + field(done_id_) + ' ' + QByteArray::number(qlonglong(other->imported)) +
                          ' ' + QByteArray::number(qlonglong(other->lines)) + '\n';
    }
    done_id_ = id;
}

bool ImportLedger::flush() {
    return write_through(QByteArray());
}

bool ImportLedger::write_through(const QByteArray& text) {
    QByteArray all = unwritten_;
    if (!done_id_.isEmpty()) {
        if (const LedgerEntry* e = find(done_id_))
            all += "D " + field(done_id_) + ' ' + QByteArray::number(qlonglong(e->imported)) + ' ' +
                   QByteArray::number(qlonglong(e->lines)) + '\n';
    }
    all += text;
    if (all.isEmpty()) return true;
    if (!journal_.isOpen()) {
        journal_.setFileName(path_);
        if (!open_regular_file(journal_, QIODevice::WriteOnly | QIODevice::Append).opened) return false;
    }
    // Handed to the system at once (no sync): a killed program loses none of it.
    if (journal_.write(all) != all.size() || !journal_.flush()) {
        journal_.close();
        return false;
    }
    unwritten_.clear();
    done_id_.clear();
    journal_bytes_ += all.size();
    return true;
}

bool ImportLedger::compact() {
    journal_.close();
    QSaveFile file(path_);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(document());
        if (file.commit()) {
            // What was pending is in the whole entries now.
            unwritten_.clear();
            done_id_.clear();
            journal_bytes_ = 0;
            return true;
        }
    }
    // The change lines still keep the progress, if they can be written.
    flush();
    return false;
}
