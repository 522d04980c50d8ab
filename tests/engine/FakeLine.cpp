#include "tests/engine/FakeLine.h"

#include <algorithm>
#include <chrono>

namespace orv::test {

namespace {

// A test whose device forgot to answer fails with a time-out instead of hanging.
constexpr auto kRealPatience = std::chrono::seconds(10);

}  // namespace

void FakeLine::SetDevice(Device device) {
    std::lock_guard lock(m_mutex);
    m_device = device ? std::make_shared<Device>(std::move(device)) : nullptr;
}

void FakeLine::Feed(std::string_view bytes) {
    if (bytes.empty()) {
        return;
    }
    {
        std::lock_guard lock(m_mutex);
        if (!m_input.empty() && !m_input.back().bytes.empty()) {
            m_input.back().bytes += bytes;
        } else {
            m_input.push_back({std::string(bytes), 0});
        }
    }
    m_cv.notify_all();
}

void FakeLine::Silence(long long ms) {
    {
        std::lock_guard lock(m_mutex);
        m_input.push_back({std::string(), ms});
    }
    m_cv.notify_all();
}

void FakeLine::HangUp() {
    {
        std::lock_guard lock(m_mutex);
        m_hungUp = true;
    }
    m_cv.notify_all();
}

std::string FakeLine::Written() const {
    std::lock_guard lock(m_mutex);
    return m_written;
}

long long FakeLine::NowMs() const {
    std::lock_guard lock(m_mutex);
    return m_now;
}

SerialLink::OpenResult FakeLine::Open(const std::string&, unsigned) {
    std::lock_guard lock(m_mutex);
    m_open = true;
    return {};
}

void FakeLine::Close() {
    std::lock_guard lock(m_mutex);
    m_open = false;
}

bool FakeLine::IsOpen() const {
    std::lock_guard lock(m_mutex);
    return m_open;
}

SerialLink::ReadResult FakeLine::Read(char* buffer, int, int capacity, int totalMs, int) {
    std::unique_lock lock(m_mutex);
    long long waited = 0;
    for (;;) {
        if (m_woken) {
            m_woken = false;
            return {0, Status::Woken};
        }
        if (m_input.empty()) {
            if (m_hungUp) {
                return {0, Status::HungUp};
            }
            if (!m_cv.wait_for(lock, kRealPatience,
                               [&] { return m_woken || m_hungUp || !m_input.empty(); })) {
                m_now += totalMs - waited;
                return {0, Status::Timeout};
            }
            continue;
        }
        Event& next = m_input.front();
        if (next.bytes.empty()) {
            long long step = std::min<long long>(next.silenceMs, totalMs - waited);
            m_now += step;
            waited += step;
            next.silenceMs -= step;
            if (next.silenceMs == 0) {
                m_input.pop_front();
            }
            if (waited >= totalMs) {
                return {0, Status::Timeout};
            }
            continue;
        }
        int n =
            static_cast<int>(std::min<size_t>(next.bytes.size(), static_cast<size_t>(capacity)));
        std::copy_n(next.bytes.data(), n, buffer);
        next.bytes.erase(0, static_cast<size_t>(n));
        if (next.bytes.empty()) {
            m_input.pop_front();
        }
        return {n, Status::Ok};
    }
}

SerialLink::Status FakeLine::Write(const char* data, int count, int) {
    std::shared_ptr<Device> device;  // the same one each time: it keeps its state
    {
        std::lock_guard lock(m_mutex);
        if (m_hungUp) {
            return Status::HungUp;
        }
        m_written.append(data, static_cast<size_t>(count));
        device = m_device;
    }
    if (device) {
        (*device)(*this, std::string_view(data, static_cast<size_t>(count)));
    }
    return Status::Ok;
}

void FakeLine::PurgeInput() {
    std::lock_guard lock(m_mutex);
    // What has arrived is dropped; what comes after a silence has not arrived yet.
    while (!m_input.empty() && !m_input.front().bytes.empty()) {
        m_input.pop_front();
    }
}

bool FakeLine::WaitForWake(int ms) {
    std::unique_lock lock(m_mutex);
    m_now += ms;
    bool woken =
        m_cv.wait_for(lock, std::chrono::milliseconds(std::min(ms, 20)), [&] { return m_woken; });
    m_woken = false;
    return woken;
}

void FakeLine::Wake() {
    {
        std::lock_guard lock(m_mutex);
        m_woken = true;
    }
    m_cv.notify_all();
}

}  // namespace orv::test
