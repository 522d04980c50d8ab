#include "engine/EngineHost.h"
#include "engine/NotificationGate.h"

namespace orv {

Notification& Notification::operator=(Notification&& other) noexcept {
    if (this != &other) {
        Release();
        m_gate = std::move(other.m_gate);
        other.m_gate.reset();
        m_ticket = other.m_ticket;
        m_code = other.m_code;
        m_value = other.m_value;
    }
    return *this;
}

void Notification::Release() {
    if (m_gate) {
        std::shared_ptr<NotificationGate> gate = std::move(m_gate);
        m_gate.reset();
        gate->Release(m_ticket);
    }
}

}  // namespace orv
