// The request event between the worker and its host, with a ticket per
// notification: only the answer to the notification now waited on counts, and
// it counts once. A late or repeated release of an earlier one does nothing.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace orv {

class NotificationGate {
public:
    // A new notification to wait on; the one before it can no longer be released.
    uint64_t Open() {
        std::lock_guard lock(m_mutex);
        m_released = false;
        return ++m_ticket;
    }

    void Release(uint64_t ticket) {
        {
            std::lock_guard lock(m_mutex);
            if (ticket != m_ticket || m_released) {
                return;
            }
            m_released = true;
        }
        m_cv.notify_all();
    }

    // Waits until the notification is released or giveUp() turns true
    // (checked whenever Interrupt is called). Returns whether it was released.
    template <class GiveUp>
    bool Wait(uint64_t ticket, GiveUp giveUp) {
        std::unique_lock lock(m_mutex);
        m_cv.wait(lock, [&] { return ticket != m_ticket || m_released || giveUp(); });
        return ticket == m_ticket && m_released;
    }

    // Wakes the waiter so that it looks at its give-up condition again.
    void Interrupt() {
        { std::lock_guard lock(m_mutex); }
        m_cv.notify_all();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    uint64_t m_ticket = 0;
    bool m_released = true;
};

}  // namespace orv
