#include "tools/bench/TimingDevice.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <numeric>

#include "devsim/SampleMemory.h"

namespace orv::bench {

namespace {

constexpr std::chrono::milliseconds kRepeatRequest(300);

bool IsEndMark(const std::string& text) {
    return text == "END" || text == "end";
}

long long Ns(std::chrono::steady_clock::duration d) {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(d).count();
}

}  // namespace

TimingDevice::TimingDevice(uint32_t modelId) : m_modelId(modelId) {}

bool TimingDevice::Next(uint8_t& byte, Clock::time_point& at, Clock::time_point deadline) {
    while (m_begin == m_end) {
        ssize_t got = ::read(m_pty.MasterFd(), m_buffer, sizeof m_buffer);
        if (got > 0) {
            m_readAt = Clock::now();
            m_begin = 0;
            m_end = static_cast<std::size_t>(got);
            break;
        }
        if (got < 0 && errno != EAGAIN && errno != EINTR) {
            return false;
        }
        auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            return false;
        }
        pollfd fd{m_pty.MasterFd(), POLLIN, 0};
        ::poll(&fd, 1, static_cast<int>(left));
    }
    byte = m_buffer[m_begin++];
    at = m_readAt;
    return true;
}

bool TimingDevice::Send(std::string_view bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t put = ::write(m_pty.MasterFd(), bytes.data() + done, bytes.size() - done);
        if (put > 0) {
            done += static_cast<std::size_t>(put);
            continue;
        }
        if (put < 0 && errno != EAGAIN && errno != EINTR) {
            return false;
        }
        pollfd fd{m_pty.MasterFd(), POLLOUT, 0};
        ::poll(&fd, 1, 100);
    }
    return true;
}

bool TimingDevice::Handshake(char letter, Clock::time_point deadline, std::string& detail) {
    m_begin = m_end = 0;
    bool ready = false;
    while (!ready) {
        if (Clock::now() >= deadline || !Send("?")) {
            detail = "no answer to the request";
            return false;
        }
        const auto repeat = std::min(deadline, Clock::now() + kRepeatRequest);
        uint8_t byte = 0;
        Clock::time_point at;
        while (Next(byte, at, repeat)) {
            if (byte == devsim::kReady) {
                ready = true;
                break;
            }
        }
    }
    if (!Send(std::string_view(&letter, 1))) {
        detail = "line failed";
        return false;
    }
    for (;;) {
        uint8_t byte = 0;
        Clock::time_point at;
        if (!Next(byte, at, deadline)) {
            detail = "no start";
            return false;
        }
        if (byte == devsim::kAck) {
            return true;
        }
        if (byte == devsim::kRetry || byte == devsim::kRequest) {
            detail = "the computer refused the transfer";
            return false;
        }
    }
}

Timings TimingDevice::Restore(std::chrono::milliseconds limit) {
    Timings t;
    const auto deadline = Clock::now() + limit;
    if (!Handshake('L', deadline, t.detail)) {
        return t;
    }
    std::string line;
    Clock::time_point start{};
    Clock::time_point ackAt{};
    bool acked = false;
    for (;;) {
        uint8_t byte = 0;
        Clock::time_point at;
        if (!Next(byte, at, deadline)) {
            t.detail = "timed out after " + std::to_string(t.records) + " records";
            return t;
        }
        if (line.empty()) {
            if (byte == devsim::kRequest) {
                t.detail = "aborted by the computer";
                return t;
            }
            if (t.records == 0) {
                start = at;
            }
            if (acked) {
                t.turnaroundNs.push_back(Ns(at - ackAt));
                acked = false;
            }
        }
        line += static_cast<char>(byte);
        if (IsEndMark(line)) {
            if (!t.turnaroundNs.empty()) {
                t.turnaroundNs.pop_back();  // the end of the file, not a record
            }
            t.seconds = std::chrono::duration<double>(at - start).count();
            t.completed = true;
            return t;
        }
        if (byte == '\n') {
            t.bytes += line.size();
            ++t.records;
            line.clear();
            const char ack = static_cast<char>(devsim::kAck);
            if (!Send(std::string_view(&ack, 1))) {
                t.detail = "line failed";
                return t;
            }
            ackAt = Clock::now();
            acked = true;
        }
    }
}

Timings TimingDevice::Save(const devsim::MemoryImage& memory, std::chrono::milliseconds limit) {
    Timings t;
    const auto deadline = Clock::now() + limit;
    if (!Handshake('S', deadline, t.detail)) {
        return t;
    }
    const auto start = Clock::now();
    // The end mark last: acknowledged too, but not timed.
    const std::string endMark = devsim::ModelEndMark(m_modelId, devsim::VersionOf(memory));
    for (std::size_t i = 0; i <= memory.size(); ++i) {
        const bool atEnd = i == memory.size();
        const std::string frame = atEnd ? endMark : memory[i] + "\r\n";
        for (;;) {
            if (!Send(frame)) {
                t.detail = "line failed";
                return t;
            }
            const auto sentAt = Clock::now();
            uint8_t byte = 0;
            Clock::time_point at;
            do {
                if (!Next(byte, at, deadline)) {
                    t.detail = "timed out after " + std::to_string(t.records) + " records";
                    return t;
                }
            } while (byte != devsim::kAck && byte != devsim::kRetry && byte != devsim::kRequest);
            if (byte == devsim::kRequest) {
                t.detail = "aborted by the computer";
                return t;
            }
            if (byte == devsim::kAck) {
                if (!atEnd) {
                    t.turnaroundNs.push_back(Ns(at - sentAt));
                }
                break;
            }
        }
        if (!atEnd) {
            t.bytes += frame.size();
            ++t.records;
        }
    }
    t.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    t.completed = true;
    return t;
}

Figures Summarise(const Timings& timings) {
    Figures f;
    std::vector<long long> s = timings.turnaroundNs;
    if (s.empty()) {
        return f;
    }
    std::sort(s.begin(), s.end());
    f.recordsPerSecond =
        timings.seconds > 0 ? static_cast<double>(timings.records) / timings.seconds : 0;
    f.medianUs = static_cast<double>(s[s.size() / 2]) / 1000.0;
    f.p99Us = static_cast<double>(s[(s.size() - 1) * 99 / 100]) / 1000.0;
    f.meanUs = static_cast<double>(std::accumulate(s.begin(), s.end(), 0LL)) /
               static_cast<double>(s.size()) / 1000.0;
    f.lineShare = f.meanUs / kLineTimeUs;
    return f;
}

void Print(const char* transfer, const char* path, const Timings& timings) {
    if (!timings.completed) {
        std::printf("%-8s %-8s FAILED: %s\n", transfer, path, timings.detail.c_str());
        std::fflush(stdout);
        return;
    }
    Figures f = Summarise(timings);
    std::printf(
        "%-8s %-8s %6zu records %7.0f records/s  turnaround median %6.1f us  99%% %7.1f us  "
        "mean %6.1f us = %5.2f %% of the line time\n",
        transfer, path, timings.records, f.recordsPerSecond, f.medianUs, f.p99Us, f.meanUs,
        f.lineShare * 100.0);
    std::fflush(stdout);
}

}  // namespace orv::bench
