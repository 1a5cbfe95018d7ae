#include "sim/memory_link_bus.h"

MemoryLinkBus::MemoryLinkBus(MemorySerialLink& link, const SimConfig& config)
    : link_(link), shared_(std::make_shared<Shared>(config, link)) {
    std::shared_ptr<Shared> shared = shared_;
    link_.set_peer([shared](const MemorySerialLink::Event& event) { on_event(*shared, event); });
}

MemoryLinkBus::~MemoryLinkBus() {
    link_.set_peer(nullptr);
}

void MemoryLinkBus::with_bus(const std::function<void(SimBus&)>& use) {
    std::lock_guard<std::mutex> lock(shared_->mutex);
    use(shared_->bus);
}

void MemoryLinkBus::on_event(Shared& shared, const MemorySerialLink::Event& event) {
    std::lock_guard<std::mutex> lock(shared.mutex);
    switch (event.kind) {
        case MemorySerialLink::Event::BreakOn:
            shared.bus.receive_break(event.at_ms);
            break;
        case MemorySerialLink::Event::Byte:
            shared.bus.receive_byte(event.byte, event.at_ms);
            break;
        case MemorySerialLink::Event::BreakOff:
            break;
    }
    for (const ScheduledByte& out : shared.bus.take_output())
        shared.link.feed(std::string(1, static_cast<char>(out.byte)), out.at_ms);
}
