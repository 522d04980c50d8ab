// A manual-reset event: stays signalled until reset. The worker resets it,
// posts a notification and waits; the user-interface side sets it once.
#pragma once

#include <condition_variable>
#include <mutex>

namespace orv {

class ManualResetEvent {
public:
    void Set() {
        {
            std::lock_guard lock(m_mutex);
            m_signalled = true;
        }
        m_cv.notify_all();
    }

    void Reset() {
        std::lock_guard lock(m_mutex);
        m_signalled = false;
    }

    // Waits until the event is set or giveUp() turns true (checked whenever
    // Interrupt is called). Returns whether the event was set.
    template <class GiveUp>
    bool Wait(GiveUp giveUp) {
        std::unique_lock lock(m_mutex);
        m_cv.wait(lock, [&] { return m_signalled || giveUp(); });
        return m_signalled;
    }

    // Wakes every waiter so that it looks at its give-up condition again.
    void Interrupt() {
        { std::lock_guard lock(m_mutex); }
        m_cv.notify_all();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_signalled = false;
};

}  // namespace orv
