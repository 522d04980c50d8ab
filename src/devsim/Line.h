// Byte-level I/O on the pty master with deadlines and a prompt interrupt.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orv::devsim {

using Clock = std::chrono::steady_clock;
// No value: wait for ever (until interrupted).
using Deadline = std::optional<Clock::time_point>;

Deadline DeadlineAfter(int milliseconds);  // negative: for ever
Deadline EarlierOf(Deadline a, Deadline b);

// A self-pipe that wakes poll() at once, so that Stop never waits for a
// time-out to pass.
class Interrupt {
public:
    Interrupt();  // throws std::system_error
    ~Interrupt();
    Interrupt(const Interrupt&) = delete;
    Interrupt& operator=(const Interrupt&) = delete;

    void Raise();
    void Reset();
    bool Raised() const { return m_raised.load(); }
    int Fd() const { return m_pipe[0]; }

private:
    int m_pipe[2] = {-1, -1};
    std::atomic<bool> m_raised{false};
};

enum class IoStatus { Ok, Timeout, Interrupted, Error };

// Reads are buffered: the device reads one byte at a time, the kernel is asked
// for whatever has arrived.
class Line {
public:
    Line(int fd, const Interrupt& interrupt) : m_fd(fd), m_interrupt(interrupt) {}

    IoStatus ReadByte(uint8_t& byte, Deadline deadline);
    IoStatus Write(std::string_view bytes);
    // Drops what has arrived so far, buffered or not.
    void DiscardInput();
    // The errno text of the last Error.
    const std::string& ErrorText() const { return m_error; }

private:
    IoStatus Fill(Deadline deadline);
    IoStatus Fail(const char* what);

    int m_fd;
    const Interrupt& m_interrupt;
    uint8_t m_buffer[4096] = {};
    std::size_t m_begin = 0;
    std::size_t m_end = 0;
    std::string m_error;
};

}  // namespace orv::devsim
