// A serial line with a scripted device behind it and a clock of its own:
// time-outs pass at once, so a state machine that waits through four of them
// runs in milliseconds.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "engine/SerialLink.h"

namespace orv::test {

class FakeLine : public SerialLink {
public:
    // The device: called on the engine's thread with each write, it answers
    // with Feed, Silence or HangUp.
    using Device = std::function<void(FakeLine& line, std::string_view written)>;

    void SetDevice(Device device);

    // Bytes that arrive at once (after any silence scripted before them).
    void Feed(std::string_view bytes);
    // Nothing arrives for ms of the line's clock.
    void Silence(long long ms);
    // The device end goes away for good.
    void HangUp();

    std::string Written() const;
    long long NowMs() const;  // the line's clock

    OpenResult Open(const std::string& path, unsigned baudRate) override;
    void Close() override;
    bool IsOpen() const override;
    ReadResult Read(char* buffer, int count, int capacity, int totalMs, int gapMs) override;
    Status Write(const char* data, int count, int timeoutMs) override;
    void PurgeInput() override;
    bool WaitForWake(int ms) override;
    void Wake() override;

private:
    struct Event {
        std::string bytes;        // or, when empty:
        long long silenceMs = 0;  // a silence of this long
    };

    mutable std::mutex m_mutex;
    std::condition_variable m_cv;
    std::shared_ptr<Device> m_device;
    std::deque<Event> m_input;
    std::string m_written;
    long long m_now = 0;
    bool m_open = false;
    bool m_woken = false;
    bool m_hungUp = false;
};

}  // namespace orv::test
