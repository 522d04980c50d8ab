#include "devsim/Line.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>

namespace orv::devsim {

Deadline DeadlineAfter(int milliseconds) {
    if (milliseconds < 0) {
        return std::nullopt;
    }
    return Clock::now() + std::chrono::milliseconds(milliseconds);
}

Deadline EarlierOf(Deadline a, Deadline b) {
    if (!a) {
        return b;
    }
    if (!b) {
        return a;
    }
    return *a < *b ? a : b;
}

namespace {

// Milliseconds for poll(): -1 for ever, rounded up so that we never spin.
int PollTimeout(Deadline deadline) {
    if (!deadline) {
        return -1;
    }
    auto left = std::chrono::ceil<std::chrono::milliseconds>(*deadline - Clock::now()).count();
    if (left < 0) {
        return 0;
    }
    return left > 60000 ? 60000 : static_cast<int>(left);
}

}  // namespace

Interrupt::Interrupt() {
    if (pipe2(m_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        throw std::system_error(errno, std::generic_category(), "pipe2");
    }
}

Interrupt::~Interrupt() {
    close(m_pipe[0]);
    close(m_pipe[1]);
}

void Interrupt::Raise() {
    m_raised = true;
    const char byte = 1;
    // A full pipe already wakes every poll, so a failed write changes nothing.
    [[maybe_unused]] auto written = write(m_pipe[1], &byte, 1);
}

void Interrupt::Reset() {
    char sink[64];
    while (read(m_pipe[0], sink, sizeof sink) > 0) {
    }
    m_raised = false;
}

IoStatus Line::Fail(const char* what) {
    m_error = std::string(what) + ": " + std::generic_category().message(errno);
    return IoStatus::Error;
}

IoStatus Line::Fill(Deadline deadline) {
    for (;;) {
        if (m_interrupt.Raised()) {
            return IoStatus::Interrupted;
        }
        ssize_t got = read(m_fd, m_buffer, sizeof m_buffer);
        if (got > 0) {
            m_begin = 0;
            m_end = static_cast<std::size_t>(got);
            return IoStatus::Ok;
        }
        if (got < 0 && errno != EAGAIN && errno != EINTR) {
            return Fail("read");
        }
        const int timeout = PollTimeout(deadline);
        if (timeout == 0) {
            return IoStatus::Timeout;
        }
        pollfd fds[2] = {{m_fd, POLLIN, 0}, {m_interrupt.Fd(), POLLIN, 0}};
        if (poll(fds, 2, timeout) < 0 && errno != EINTR) {
            return Fail("poll");
        }
    }
}

IoStatus Line::ReadByte(uint8_t& byte, Deadline deadline) {
    if (m_begin == m_end) {
        IoStatus status = Fill(deadline);
        if (status != IoStatus::Ok) {
            return status;
        }
    }
    byte = m_buffer[m_begin++];
    return IoStatus::Ok;
}

IoStatus Line::Write(std::string_view bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        if (m_interrupt.Raised()) {
            return IoStatus::Interrupted;
        }
        ssize_t put = write(m_fd, bytes.data() + done, bytes.size() - done);
        if (put > 0) {
            done += static_cast<std::size_t>(put);
            continue;
        }
        if (put < 0 && errno != EAGAIN && errno != EINTR) {
            return Fail("write");
        }
        // The peer is not reading: wait for room, but stay interruptible.
        pollfd fds[2] = {{m_fd, POLLOUT, 0}, {m_interrupt.Fd(), POLLIN, 0}};
        if (poll(fds, 2, 1000) < 0 && errno != EINTR) {
            return Fail("poll");
        }
    }
    return IoStatus::Ok;
}

void Line::DiscardInput() {
    m_begin = m_end = 0;
    while (read(m_fd, m_buffer, sizeof m_buffer) > 0) {
    }
}

}  // namespace orv::devsim
