// A tiny stand-in for the computer's side of the line: opens the pty slave and
// reads and writes single bytes and lines, with short time-outs.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace orv::devsim::test {

class Peer {
public:
    explicit Peer(const std::string& path);
    ~Peer();
    Peer(const Peer&) = delete;
    Peer& operator=(const Peer&) = delete;

    std::optional<char> ReadByte(std::chrono::milliseconds limit = std::chrono::seconds(3));
    // A record up to and including LF, or the three characters of an end mark.
    std::string ReadRecord(std::chrono::milliseconds limit = std::chrono::seconds(3));
    // Waits for byte `c`, skipping nothing: false when anything else arrives.
    bool Expect(char c, std::chrono::milliseconds limit = std::chrono::seconds(3));
    void Write(std::string_view bytes);
    void WriteByte(char c) { Write(std::string_view(&c, 1)); }
    // Plays the computer's side of the request: waits for `?`, answers C,
    // returns the operation letter.
    std::optional<char> AnswerRequest();
    int Fd() const { return m_fd; }

private:
    int m_fd = -1;
};

}  // namespace orv::devsim::test
