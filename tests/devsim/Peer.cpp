#include "tests/devsim/Peer.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <stdexcept>

namespace orv::devsim::test {

Peer::Peer(const std::string& path) {
    m_fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (m_fd < 0) {
        throw std::runtime_error("cannot open " + path);
    }
    termios t{};
    tcgetattr(m_fd, &t);
    cfmakeraw(&t);
    tcsetattr(m_fd, TCSANOW, &t);
}

Peer::~Peer() {
    close(m_fd);
}

std::optional<char> Peer::ReadByte(std::chrono::milliseconds limit) {
    pollfd fd{m_fd, POLLIN, 0};
    if (poll(&fd, 1, static_cast<int>(limit.count())) <= 0) {
        return std::nullopt;
    }
    char c = 0;
    if (read(m_fd, &c, 1) != 1) {
        return std::nullopt;
    }
    return c;
}

std::string Peer::ReadRecord(std::chrono::milliseconds limit) {
    std::string text;
    while (auto c = ReadByte(limit)) {
        text += *c;
        if (*c == '\n' || text == "END" || text == "end") {
            break;
        }
    }
    return text;
}

bool Peer::Expect(char c, std::chrono::milliseconds limit) {
    auto got = ReadByte(limit);
    return got && *got == c;
}

void Peer::Write(std::string_view bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t put = write(m_fd, bytes.data() + done, bytes.size() - done);
        if (put > 0) {
            done += static_cast<std::size_t>(put);
        } else {
            pollfd fd{m_fd, POLLOUT, 0};
            poll(&fd, 1, 100);
        }
    }
}

std::optional<char> Peer::AnswerRequest() {
    if (!Expect('?')) {
        return std::nullopt;
    }
    WriteByte('C');
    return ReadByte();
}

}  // namespace orv::devsim::test
