#include "sim/memory_link_modem.h"

MemoryLinkModem::MemoryLinkModem(MemorySerialLink& link) : link_(link), shared_(std::make_shared<Shared>()) {
    std::shared_ptr<Shared> shared = shared_;
    MemorySerialLink* port = &link_;
    link_.set_peer([shared, port](const MemorySerialLink::Event& event) {
        if (event.kind != MemorySerialLink::Event::Byte) return;
        std::lock_guard<std::mutex> lock(shared->mutex);
        shared->modem.receive_byte(event.byte, event.at_ms);
        for (const ScheduledByte& out : shared->modem.take_output())
            port->feed(std::string(1, static_cast<char>(out.byte)), out.at_ms);
    });
}

MemoryLinkModem::~MemoryLinkModem() {
    link_.set_peer(nullptr);
}

void MemoryLinkModem::with_modem(const std::function<void(SimModem&)>& use) {
    std::lock_guard<std::mutex> lock(shared_->mutex);
    use(shared_->modem);
}
