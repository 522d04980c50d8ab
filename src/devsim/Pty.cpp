#include "devsim/Pty.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <system_error>
#include <thread>

namespace orv::devsim {

namespace {

[[noreturn]] void ThrowErrno(const char* what) {
    throw std::system_error(errno, std::generic_category(), what);
}

void MakeRaw(int fd, const char* what) {
    termios t{};
    if (tcgetattr(fd, &t) != 0) {
        ThrowErrno(what);
    }
    cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    if (tcsetattr(fd, TCSANOW, &t) != 0) {
        ThrowErrno(what);
    }
}

}  // namespace

PseudoTerminal::PseudoTerminal() {
    try {
        m_master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (m_master < 0) {
            ThrowErrno("posix_openpt");
        }
        if (grantpt(m_master) != 0 || unlockpt(m_master) != 0) {
            ThrowErrno("grantpt/unlockpt");
        }
        char name[128] = {};
        if (ptsname_r(m_master, name, sizeof name) != 0) {
            ThrowErrno("ptsname_r");
        }
        m_slavePath = name;
        m_slave = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (m_slave < 0) {
            ThrowErrno("open pty slave");
        }
        // Raw on both sides: no echo of what we send before the program opens
        // the port, no CR/LF translation of records.
        MakeRaw(m_slave, "pty slave termios");
        MakeRaw(m_master, "pty master termios");
        int flags = fcntl(m_master, F_GETFL);
        if (flags < 0 || fcntl(m_master, F_SETFL, flags | O_NONBLOCK) != 0) {
            ThrowErrno("pty master O_NONBLOCK");
        }
    } catch (...) {
        if (m_slave >= 0) {
            close(m_slave);
        }
        if (m_master >= 0) {
            close(m_master);
        }
        throw;
    }
}

PseudoTerminal::~PseudoTerminal() {
    close(m_slave);
    close(m_master);
}

bool PseudoTerminal::OpenedExclusively() const {
    int exclusive = 0;
    return ioctl(m_slave, TIOCGEXCL, &exclusive) == 0 && exclusive != 0;
}

std::size_t PseudoTerminal::PendingForPeer() const {
    int count = 0;
    if (ioctl(m_slave, FIONREAD, &count) != 0 || count < 0) {
        return 0;
    }
    return static_cast<std::size_t>(count);
}

bool PseudoTerminal::WaitUntilPeerRead(std::chrono::milliseconds limit) const {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (PendingForPeer() != 0) {
        if (std::chrono::steady_clock::now() >= end) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

}  // namespace orv::devsim
