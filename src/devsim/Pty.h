// The simulator's end of a pseudo-terminal pair.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>

namespace orv::devsim {

// Owns a pty master in raw mode and keeps the slave open as well. Holding the
// slave ourselves means the master never sees a hang-up (EIO on read, POLLHUP)
// while the program under test has not opened the port yet or closes and
// reopens it, so bytes can be written at any time and reads simply wait. The
// simulator never reads from its slave descriptor: all slave-side input goes
// to whoever else opened the port.
class PseudoTerminal {
public:
    // Throws std::system_error when the pair cannot be created.
    PseudoTerminal();
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    // The path a program opens as its serial port, for example /dev/pts/7.
    const std::string& SlavePath() const { return m_slavePath; }
    int MasterFd() const { return m_master; }

    // True once some program has opened the port and made it exclusive
    // (TIOCEXCL), as the transfer engine does when it opens a serial port.
    bool OpenedExclusively() const;
    // Bytes written to the master that the program on the slave side has not
    // read yet.
    std::size_t PendingForPeer() const;
    // Waits until the peer has read everything (or the limit passes). Used
    // before closing, so that a last byte is not lost with the hang-up.
    bool WaitUntilPeerRead(std::chrono::milliseconds limit) const;

private:
    int m_master = -1;
    int m_slave = -1;
    std::string m_slavePath;
};

}  // namespace orv::devsim
