// A device for the benchmark: it answers at once and times, on its own end of
// the line, how long the computer takes for its part of every exchange.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "devsim/DeviceRecords.h"
#include "devsim/Pty.h"

namespace orv::bench {

struct Timings {
    bool completed = false;
    std::string detail;  // what went wrong when not completed
    std::size_t records = 0;
    std::size_t bytes = 0;  // record bytes with their line ends
    double seconds = 0;     // first record to end mark
    // Restore: from the device's ACK to the first byte of the next record.
    // Save: from a record's last byte to the computer's ACK.
    std::vector<long long> turnaroundNs;
};

class TimingDevice {
public:
    explicit TimingDevice(uint32_t modelId);  // throws std::system_error
    const std::string& PortPath() const { return m_pty.SlavePath(); }

    // Asks for a restore ('L': the computer sends) or a save ('S': the device
    // sends memory) and serves it; returns when it ends or limit passes. The
    // computer must have the port open (the request is repeated until it answers).
    Timings Restore(std::chrono::milliseconds limit);
    Timings Save(const devsim::MemoryImage& memory, std::chrono::milliseconds limit);

private:
    using Clock = std::chrono::steady_clock;
    // One byte and the moment the read that brought it returned; false at the deadline.
    bool Next(uint8_t& byte, Clock::time_point& at, Clock::time_point deadline);
    bool Send(std::string_view bytes);
    bool Handshake(char letter, Clock::time_point deadline, std::string& detail);

    const uint32_t m_modelId;
    devsim::PseudoTerminal m_pty;
    uint8_t m_buffer[4096] = {};
    std::size_t m_begin = 0;
    std::size_t m_end = 0;
    Clock::time_point m_readAt;
};

// The figures of one transfer, on one line.
struct Figures {
    double recordsPerSecond = 0;
    double medianUs = 0;
    double p99Us = 0;
    double meanUs = 0;
    double lineShare = 0;  // mean turnaround over the line time of one exchange
};
// A 71-character record, CR LF and the ACK at 115200 baud, 10 bits a character.
constexpr double kLineTimeUs = (71.0 + 2.0 + 1.0) * 10.0 / 115200.0 * 1e6;
Figures Summarise(const Timings& timings);
void Print(const char* transfer, const char* path, const Timings& timings);

}  // namespace orv::bench
