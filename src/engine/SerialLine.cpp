#include "engine/SerialLine.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "engine/ConsoleDevice.h"

namespace orv {

static_assert(sizeof(struct termios) <= 128, "saved settings buffer too small");

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kLowLatencyFlag = 1 << ASYNCB_LOW_LATENCY;

int RealSerialInfoCall(int fd, unsigned long request, struct serial_struct* info) {
    return ::ioctl(fd, request, info);
}

std::atomic<SerialInfoCall> g_serialInfoCall{RealSerialInfoCall};

// Drivers without these settings (pseudo-terminals, most on-board ports) and
// settings a normal user may not change leave the line as it is.
bool LowLatencyRefusalIsHarmless(int err) {
    return err == ENOTTY || err == EINVAL || err == EPERM;
}

int MsUntil(Clock::time_point t) {
    auto left = std::chrono::ceil<std::chrono::milliseconds>(t - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

bool IsHangUpError(int err) {
    return err == EIO || err == ENXIO || err == ENODEV;
}

speed_t StandardSpeed(unsigned rate) {
    switch (rate) {
        case 110:
            return B110;
        case 300:
            return B300;
        case 1200:
            return B1200;
        case 2400:
            return B2400;
        case 4800:
            return B4800;
        case 9600:
            return B9600;
        case 19200:
            return B19200;
        case 38400:
            return B38400;
        case 57600:
            return B57600;
        case 115200:
            return B115200;
        default:
            return 0;
    }
}

SerialLine::OpenError ErrorForOpen(int err) {
    switch (err) {
        case ENOENT:
        case ENXIO:
        case ENODEV:
            return SerialLine::OpenError::NotFound;
        case EBUSY:
        case EAGAIN:
            return SerialLine::OpenError::InUse;
        case EACCES:
        case EPERM:
        case EROFS:
            return SerialLine::OpenError::NoPermission;
        default:
            return SerialLine::OpenError::Other;
    }
}

}  // namespace

void SetSerialInfoCall(SerialInfoCall call) {
    g_serialInfoCall.store(call ? call : RealSerialInfoCall);
}

SerialLine::SerialLine() {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) == 0) {
        m_wakeRead = fds[0];
        m_wakeWrite = fds[1];
    }
}

SerialLine::~SerialLine() {
    Close();
    if (m_wakeRead >= 0) {
        ::close(m_wakeRead);
    }
    if (m_wakeWrite >= 0) {
        ::close(m_wakeWrite);
    }
}

SerialLine::OpenResult SerialLine::Open(const std::string& path, unsigned baudRate) {
    if (m_fd >= 0) {
        return {OpenError::Other, EBUSY};
    }
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) {
        int err = errno;
        return {ErrorForOpen(err), err};
    }
    if (!S_ISCHR(st.st_mode)) {
        return {OpenError::NotATerminal, ENOTTY};
    }
    if (CarriesConsole(st.st_rdev)) {
        return {OpenError::Console, 0};
    }

    int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        int err = errno;
        return {ErrorForOpen(err), err};
    }
    auto fail = [fd](OpenError error, int err) {
        ::close(fd);
        return OpenResult{error, err};
    };
    // The path may have changed between stat and open.
    if (::fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode)) {
        return fail(OpenError::NotATerminal, ENOTTY);
    }
    if (CarriesConsole(st.st_rdev)) {
        return fail(OpenError::Console, 0);
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        int err = errno;
        return fail(err == EWOULDBLOCK ? OpenError::InUse : OpenError::Other, err);
    }
    ::ioctl(fd, TIOCEXCL);  // refused on some drivers; the lock above still holds

    struct termios saved;
    if (::tcgetattr(fd, &saved) != 0) {
        int err = errno;
        return fail(err == ENOTTY || err == EINVAL ? OpenError::NotATerminal : OpenError::Other,
                    err);
    }
    struct termios t = saved;
    ::cfmakeraw(&t);
    t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS | HUPCL);
    t.c_cflag |= CS8 | CLOCAL | CREAD;
    t.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY | INPCK | ISTRIP);
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    speed_t speed = StandardSpeed(baudRate);
    if (speed != 0) {
        ::cfsetispeed(&t, speed);
        ::cfsetospeed(&t, speed);
    }
    if (::tcsetattr(fd, TCSANOW, &t) != 0) {
        int err = errno;
        ::ioctl(fd, TIOCNXCL);
        return fail(OpenError::Other, err);
    }
    if (speed == 0 && !SetCustomBaudRate(fd, baudRate)) {
        int err = errno;
        ::tcsetattr(fd, TCSANOW, &saved);
        ::ioctl(fd, TIOCNXCL);
        return fail(OpenError::BadRate, err);
    }
    int lines = TIOCM_DTR | TIOCM_RTS;
    if (::ioctl(fd, TIOCMBIS, &lines) != 0 && errno != ENOTTY && errno != EINVAL) {
        // Devices without modem lines (pseudo-terminals) refuse this; others must not.
        int err = errno;
        ::tcsetattr(fd, TCSANOW, &saved);
        ::ioctl(fd, TIOCNXCL);
        return fail(OpenError::Other, err);
    }
    if (!EnterLowLatency(fd)) {
        int err = errno;
        ::tcsetattr(fd, TCSANOW, &saved);
        ::ioctl(fd, TIOCNXCL);
        return fail(OpenError::Other, err);
    }
    ::tcflush(fd, TCIOFLUSH);

    std::memcpy(m_saved, &saved, sizeof saved);
    m_haveSaved = true;
    m_fd = fd;
    return {};
}

void SerialLine::Close() {
    if (m_fd < 0) {
        return;
    }
    // Let the device have what was written (the end mark, the last ACK, the
    // abort byte); only unread input is thrown away.
    ::tcdrain(m_fd);
    ::tcflush(m_fd, TCIFLUSH);
    LeaveLowLatency();
    if (m_haveSaved) {
        struct termios saved;
        std::memcpy(&saved, m_saved, sizeof saved);
        ::tcsetattr(m_fd, TCSANOW, &saved);
    }
    ::ioctl(m_fd, TIOCNXCL);
    ::close(m_fd);
    m_fd = -1;
    m_haveSaved = false;
}

// A USB-serial adapter otherwise holds received bytes for its latency timer
// (16 ms on common chips) before passing them on: every ACK and every record's
// tail would wait that long in a stop-and-wait transfer.
bool SerialLine::EnterLowLatency(int fd) {
    m_lowLatencySet = false;
    SerialInfoCall call = g_serialInfoCall.load();
    struct serial_struct info {};
    if (call(fd, TIOCGSERIAL, &info) != 0) {
        return LowLatencyRefusalIsHarmless(errno);
    }
    if (info.flags & kLowLatencyFlag) {
        return true;
    }
    info.flags |= kLowLatencyFlag;
    if (call(fd, TIOCSSERIAL, &info) != 0) {
        return LowLatencyRefusalIsHarmless(errno);
    }
    m_lowLatencySet = true;
    return true;
}

void SerialLine::LeaveLowLatency() {
    if (!m_lowLatencySet) {
        return;
    }
    m_lowLatencySet = false;
    SerialInfoCall call = g_serialInfoCall.load();
    struct serial_struct info {};
    // Only the flag set at open goes back; the rest stays as the driver has it.
    if (call(m_fd, TIOCGSERIAL, &info) == 0) {
        info.flags &= ~kLowLatencyFlag;
        call(m_fd, TIOCSSERIAL, &info);
    }
}

SerialLine::ReadResult SerialLine::Read(char* buffer, int count, int capacity, int totalMs,
                                        int gapMs) {
    ReadResult result;
    if (m_fd < 0 || count <= 0 || capacity < count) {
        result.status = m_fd < 0 ? Status::Failed : Status::Ok;
        return result;
    }
    const auto deadline = Clock::now() + std::chrono::milliseconds(totalMs);
    Clock::time_point gapDeadline{};
    for (;;) {
        int waitMs = MsUntil(deadline);
        if (result.count > 0) {
            waitMs = std::min(waitMs, MsUntil(gapDeadline));
        }
        // A byte may already be waiting even when the time is up.
        struct pollfd fds[2] = {{m_fd, POLLIN, 0}, {m_wakeRead, POLLIN, 0}};
        int n = ::poll(fds, m_wakeRead >= 0 ? 2 : 1, waitMs);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            result.status = Status::Failed;
            return result;
        }
        if (n == 0) {
            result.status = result.count > 0 ? Status::Ok : Status::Timeout;
            return result;
        }
        if (fds[1].revents & POLLIN) {
            DrainWake();
            result.status = Status::Woken;
            return result;
        }
        if (fds[0].revents & POLLIN) {
            ssize_t got =
                ::read(m_fd, buffer + result.count, static_cast<size_t>(capacity - result.count));
            if (got > 0) {
                result.count += static_cast<int>(got);
                if (result.count >= count) {
                    result.status = Status::Ok;
                    return result;
                }
                gapDeadline = Clock::now() + std::chrono::milliseconds(gapMs);
                continue;
            }
            if (got < 0 && (errno == EAGAIN || errno == EINTR)) {
                continue;
            }
            // A hung-up terminal reads as the end of the file (or EIO for a
            // pseudo-terminal whose other end closed).
            result.status = got == 0 || IsHangUpError(errno) ? Status::HungUp : Status::Failed;
            return result;
        }
        if (fds[0].revents & POLLHUP) {
            result.status = Status::HungUp;
            return result;
        }
        if (fds[0].revents & (POLLERR | POLLNVAL)) {
            result.status = Status::Failed;
            return result;
        }
    }
}

SerialLink::Status SerialLine::Write(const char* data, int count, int timeoutMs) {
    if (m_fd < 0) {
        return Status::Failed;
    }
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    int done = 0;
    while (done < count) {
        ssize_t n = ::write(m_fd, data + done, static_cast<size_t>(count - done));
        if (n > 0) {
            done += static_cast<int>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && errno != EAGAIN) {
            return IsHangUpError(errno) ? Status::HungUp : Status::Failed;
        }
        struct pollfd pfd = {m_fd, POLLOUT, 0};
        int waitMs = MsUntil(deadline);
        if (waitMs == 0) {
            return Status::Timeout;  // the device takes no more: the bytes did not go out
        }
        if (::poll(&pfd, 1, waitMs) < 0 && errno != EINTR) {
            return Status::Failed;
        }
        if (pfd.revents & POLLHUP) {
            return Status::HungUp;
        }
        if (pfd.revents & (POLLERR | POLLNVAL)) {
            return Status::Failed;
        }
    }
    return Status::Ok;
}

void SerialLine::PurgeInput() {
    if (m_fd >= 0) {
        ::tcflush(m_fd, TCIFLUSH);
    }
}

void SerialLine::PurgeAll() {
    if (m_fd >= 0) {
        ::tcflush(m_fd, TCIOFLUSH);
    }
}

bool SerialLine::WaitForWake(int ms) {
    if (m_wakeRead < 0) {
        return false;
    }
    struct pollfd pfd = {m_wakeRead, POLLIN, 0};
    int n = ::poll(&pfd, 1, ms);
    if (n > 0) {
        DrainWake();
        return true;
    }
    return false;
}

void SerialLine::Wake() {
    if (m_wakeWrite >= 0) {
        char b = 1;
        // A full pipe already holds a wake-up.
        [[maybe_unused]] ssize_t n = ::write(m_wakeWrite, &b, 1);
    }
}

void SerialLine::DrainWake() {
    char buf[64];
    while (::read(m_wakeRead, buf, sizeof buf) > 0) {
    }
}

}  // namespace orv
