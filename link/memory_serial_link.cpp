#include "link/memory_serial_link.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>

MemorySerialLink::MemorySerialLink(Clock& clock) : clock_(clock) {}

OpenResult MemorySerialLink::open(const std::string& name, const LineSettings& settings) {
    std::lock_guard<std::mutex> lock(mutex_);
    opened_names_.push_back(name);
    OpenResult result;
    const int error = gone_ ? ENOENT : open_error_;
    open_ = error == 0;
    fault_.clear();
    result.opened = open_;
    result.error_code = error;
    result.settings_ok = open_ && !settings_refused_;
    if (open_) settings_ = settings;
    return result;
}

void MemorySerialLink::close() {
    std::lock_guard<std::mutex> lock(mutex_);
    open_ = false;
}

bool MemorySerialLink::is_open() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return open_;
}

bool MemorySerialLink::write_byte(std::uint8_t byte) {
    Peer peer;
    Event event{Event::Byte, byte, clock_.tick_ms()};
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!open_) return false;
        if (gone_) {
            fault_ = "the device was removed";
            return false;
        }
        events_.push_back(event);
        peer = peer_;
    }
    if (peer) peer(event);
    return true;
}

bool MemorySerialLink::read_byte(std::uint8_t& byte) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (open_ && gone_) fault_ = "the device was removed";
    if (!open_ || gone_ || !byte_ready_locked()) return false;
    byte = input_.front().second;
    input_.pop_front();
    return true;
}

void MemorySerialLink::set_break(bool on) {
    Peer peer;
    Event event{on ? Event::BreakOn : Event::BreakOff, 0, clock_.tick_ms()};
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!open_) return;
        events_.push_back(event);
        peer = peer_;
    }
    if (peer) peer(event);
}

bool MemorySerialLink::byte_ready_locked() const {
    return !input_.empty() && input_.front().first <= clock_.tick_ms();
}

bool MemorySerialLink::wait_readable(int timeout_ms) {
    std::unique_lock<std::mutex> lock(mutex_);
    const std::int64_t end = clock_.tick_ms() + std::max(timeout_ms, 0);
    for (;;) {
        if (woken_ || (open_ && byte_ready_locked())) break;
        const std::int64_t now = clock_.tick_ms();
        if (now >= end) break;
        // Queued input becomes readable when its time comes; nobody signals that moment.
        std::int64_t until = end;
        if (open_ && !input_.empty()) until = std::min(until, std::max(input_.front().first, now + 1));
        changed_.wait_for(lock, std::chrono::milliseconds(until - now));
    }
    woken_ = false;
    return open_ && byte_ready_locked();
}

void MemorySerialLink::wake() {
    std::lock_guard<std::mutex> lock(mutex_);
    woken_ = true;
    changed_.notify_all();
}

void MemorySerialLink::feed(const std::string& bytes, std::int64_t at_ms) {
    feed_paced(bytes, 0.0, at_ms);
}

void MemorySerialLink::feed_paced(const std::string& bytes, double per_char_ms, std::int64_t at_ms) {
    std::lock_guard<std::mutex> lock(mutex_);
    const std::int64_t start = at_ms < 0 ? clock_.tick_ms() : at_ms;
    // Input stays in time order even when a later feed starts earlier than what is queued.
    std::int64_t floor = input_.empty() ? start : std::max(start, input_.back().first);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto at = std::max<std::int64_t>(floor, start + std::llround(per_char_ms * double(i)));
        floor = at;
        input_.emplace_back(at, static_cast<std::uint8_t>(bytes[i]));
    }
    changed_.notify_all();
}

void MemorySerialLink::set_peer(Peer peer) {
    std::lock_guard<std::mutex> lock(mutex_);
    peer_ = std::move(peer);
}

std::string MemorySerialLink::fault() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return fault_;
}

void MemorySerialLink::set_gone(bool gone) {
    std::lock_guard<std::mutex> lock(mutex_);
    gone_ = gone;
    if (gone) input_.clear();  // what was on its way went with the adapter
    changed_.notify_all();
}

void MemorySerialLink::set_open_error(int code) {
    std::lock_guard<std::mutex> lock(mutex_);
    open_error_ = code;
}

void MemorySerialLink::set_settings_refused(bool refused) {
    std::lock_guard<std::mutex> lock(mutex_);
    settings_refused_ = refused;
}

std::vector<MemorySerialLink::Event> MemorySerialLink::events() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return events_;
}

std::string MemorySerialLink::written() const {
    std::lock_guard<std::mutex> lock(mutex_);
    std::string out;
    for (const auto& e : events_)
        if (e.kind == Event::Byte) out.push_back(static_cast<char>(e.byte));
    return out;
}

void MemorySerialLink::clear_events() {
    std::lock_guard<std::mutex> lock(mutex_);
    events_.clear();
}

std::vector<std::string> MemorySerialLink::opened_names() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return opened_names_;
}

LineSettings MemorySerialLink::last_settings() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return settings_;
}

std::size_t MemorySerialLink::pending_input() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return input_.size();
}
