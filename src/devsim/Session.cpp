#include "devsim/Session.h"

#include <poll.h>

#include <random>
#include <utility>

namespace orv::devsim {

namespace {

// After a silence the device waits for the line to go quiet before it speaks,
// so that the computer's queued retries are not taken for answers. Well below
// the shortest time-out a computer uses (one second).
constexpr std::chrono::milliseconds kQuietGap(100);
// A line longer than any record ends here; it then fails the record check.
constexpr std::size_t kMaxLine = 4096;

bool IsEndMark(const std::string& text) {
    return text.size() == 3 && (text[0] == 'E' || text[0] == 'e') &&
           (text[1] == 'N' || text[1] == 'n') && (text[2] == 'D' || text[2] == 'd');
}

template <typename Map>
int Lookup(const Map& map, std::size_t key) {
    auto it = map.find(key);
    return it == map.end() ? 0 : it->second;
}

}  // namespace

Session::Session(SimulatedDevice& device, const Script& script, MemoryImage source)
    : m_device(device), m_script(script), m_source(std::move(source)), m_line(device.m_line) {
    m_outcome.letter = script.letter;
}

Outcome Session::Run() {
    if (Request()) {
        const uint8_t letterSent =
            m_script.faults.handshakeByte.value_or(static_cast<uint8_t>(m_script.letter));
        if (SendByte(letterSent) && AwaitStart(letterSent)) {
            if (IsSaveLetter(static_cast<char>(letterSent))) {
                Save();
            } else if (IsRestoreLetter(static_cast<char>(letterSent))) {
                Restore();
            } else {
                End(OutcomeKind::Failed, "the computer started a transfer for an unknown request");
            }
        }
    }
    m_outcome.counters = m_device.Progress();
    return m_outcome;
}

bool Session::End(OutcomeKind kind, std::string detail) {
    m_outcome.kind = kind;
    m_outcome.detail = std::move(detail);
    return false;
}

void Session::Count(std::size_t Counters::*counter) {
    m_device.Update(m_script, [counter](Counters& c) { ++(c.*counter); });
}

bool Session::Next(uint8_t& byte, Deadline deadline, const char* waitingFor) {
    const IoStatus status = m_line.ReadByte(byte, deadline);
    return status == IoStatus::Ok || EndOn(status, waitingFor);
}

bool Session::EndOn(IoStatus status, const char* waitingFor) {
    switch (status) {
        case IoStatus::Ok:
            break;
        case IoStatus::Timeout:
            return End(OutcomeKind::TimedOut, waitingFor);
        case IoStatus::Interrupted:
            return End(OutcomeKind::Stopped, waitingFor);
        case IoStatus::Error:
            return End(OutcomeKind::Failed, m_line.ErrorText());
    }
    return true;
}

bool Session::Send(std::string_view bytes) {
    switch (m_line.Write(bytes)) {
        case IoStatus::Ok:
            return true;
        case IoStatus::Interrupted:
            return End(OutcomeKind::Stopped, "sending");
        default:
            break;
    }
    return End(OutcomeKind::Failed, m_line.ErrorText());
}

bool Session::SendByte(uint8_t byte) {
    const char c = static_cast<char>(byte);
    return Send(std::string_view(&c, 1));
}

// Lets time pass while ignoring what arrives (the computer's idle line).
bool Session::Pause(int ms) {
    const Deadline until = DeadlineAfter(ms);
    for (;;) {
        uint8_t byte = 0;
        const IoStatus status = m_line.ReadByte(byte, until);
        if (status == IoStatus::Timeout) {
            return true;
        }
        if (status != IoStatus::Ok) {
            return EndOn(status, "waiting before the request");
        }
    }
}

// The time `bytes` take on a line of the script's pace; Stop ends it at once.
bool Session::Pace(std::size_t bytes) {
    if (m_script.bytesPerSecond <= 0) {
        return true;
    }
    const Clock::time_point until =
        Clock::now() + std::chrono::microseconds(static_cast<long long>(bytes) * 1000000 /
                                                 m_script.bytesPerSecond);
    const Interrupt& interrupt = m_device.m_interrupt;
    for (;;) {
        if (interrupt.Raised()) {
            return End(OutcomeKind::Stopped, "pacing the line");
        }
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(until - Clock::now());
        if (left.count() <= 0) {
            return true;
        }
        pollfd fd{interrupt.Fd(), POLLIN, 0};
        poll(&fd, 1, static_cast<int>(left.count()));
    }
}

bool Session::Request() {
    if (m_script.delayMs > 0 && !Pause(m_script.delayMs)) {
        return false;
    }
    m_line.DiscardInput();
    if (m_script.faults.noiseBytes > 0) {
        std::mt19937 draw(m_script.faults.noiseSeed);
        std::string noise;
        while (noise.size() < m_script.faults.noiseBytes) {
            const auto byte = static_cast<char>(draw() & 0xFF);
            if (byte != static_cast<char>(kRequest)) {
                noise += byte;
            }
        }
        if (!Send(noise)) {
            return false;
        }
    }
    const Deadline userDeadline = DeadlineAfter(m_script.userTimeoutMs);
    for (;;) {
        if (!SendByte(kRequest)) {
            return false;
        }
        Count(&Counters::requestsSent);
        const Deadline repeatAt =
            m_script.repeatRequestMs > 0 ? DeadlineAfter(m_script.repeatRequestMs) : std::nullopt;
        for (;;) {
            uint8_t byte = 0;
            const IoStatus status = m_line.ReadByte(byte, EarlierOf(repeatAt, userDeadline));
            if (status == IoStatus::Ok) {
                if (byte == kReady) {
                    return true;
                }
                Count(&Counters::unexpectedBytes);
                continue;
            }
            if (status == IoStatus::Timeout && !(userDeadline && Clock::now() >= *userDeadline)) {
                break;  // time to repeat the request
            }
            return EndOn(status, "waiting for C after the request");
        }
    }
}

bool Session::AwaitStart(uint8_t letterSent) {
    // W is confirmed twice: once at once, once when the computer has its file.
    int acksNeeded = letterSent == 'W' ? 2 : 1;
    while (acksNeeded > 0) {
        uint8_t byte = 0;
        if (!Next(byte, DeadlineAfter(m_script.userTimeoutMs), "waiting for the start (ACK)")) {
            return false;
        }
        if (byte == kAck) {
            --acksNeeded;
        } else if (byte == kRetry) {
            return End(OutcomeKind::Refused, "the computer refused the request");
        } else if (byte == kRequest) {
            return End(OutcomeKind::Aborted, "the computer aborted before the first record");
        } else {
            Count(&Counters::unexpectedBytes);
        }
    }
    return true;
}

std::string Session::Frame(std::size_t index, int copy) const {
    std::string record = m_source[index];
    if (copy < Lookup(m_script.faults.badChecksum, index)) {
        record = WithBadChecksum(record);
    }
    if (copy < Lookup(m_script.faults.lowerCaseHex, index)) {
        record = WithLowerCaseHex(record);
    }
    record += m_script.faults.lfOnly ? "\n" : "\r\n";
    return record;
}

bool Session::Save() {
    const Faults& faults = m_script.faults;
    const std::string endMark = m_script.endMark.empty()
                                    ? ModelEndMark(m_device.ModelId(), VersionOf(m_source))
                                    : m_script.endMark;
    for (std::size_t i = 0; i <= m_source.size(); ++i) {
        const bool atEnd = i == m_source.size();
        const std::size_t key = atEnd ? kEndMarkIndex : i;
        if (int ms = Lookup(faults.silence, key); ms != 0 && !SilentBeforeSending(ms)) {
            return false;
        }
        if (int ms = Lookup(faults.enqBefore, key); ms > 0 && !KeepAlive(ms)) {
            return false;
        }
        for (int copy = 0;; ++copy) {
            const std::string frame = atEnd ? endMark : Frame(i, copy);
            if (!Pace(frame.size()) || !Send(frame)) {
                return false;
            }
            Answer answer = Answer::Ack;
            if (!AwaitAnswer(answer)) {
                return false;
            }
            if (answer == Answer::Abort) {
                return End(OutcomeKind::Aborted, "the computer aborted the save");
            }
            if (answer == Answer::Ack) {
                break;
            }
            Count(&Counters::resendsAsked);
            if (copy >= m_script.maxResends) {
                if (!SendByte(kRequest)) {
                    return false;
                }
                return End(OutcomeKind::Failed, "record " + std::to_string(i) +
                                                    " asked for again " + std::to_string(copy + 1) +
                                                    " times");
            }
        }
        if (atEnd) {
            break;
        }
        Count(&Counters::recordsSent);
        if (faults.haltAfter == i) {
            if (!SendByte(kRequest)) {
                return false;
            }
            return End(OutcomeKind::Halted, "halted after record " + std::to_string(i));
        }
    }
    End(OutcomeKind::Completed, "");
    if (m_script.listenAfterEndMs > 0) {
        const Deadline until = DeadlineAfter(m_script.listenAfterEndMs);
        uint8_t byte = 0;
        while (m_line.ReadByte(byte, until) == IoStatus::Ok) {
            m_outcome.afterEnd += static_cast<char>(byte);
        }
    }
    return true;
}

bool Session::AwaitAnswer(Answer& answer) {
    bool paused = false;
    for (;;) {
        uint8_t byte = 0;
        const int limit = paused ? m_script.userTimeoutMs : m_script.timeoutMs;
        if (!Next(byte, DeadlineAfter(limit), "waiting for the answer to a record")) {
            return false;
        }
        switch (byte) {
            case kAck:
                answer = Answer::Ack;
                return true;
            case kRetry:
                answer = Answer::Retry;
                return true;
            case kRequest:
                answer = Answer::Abort;
                return true;
            case kEnq:
                // The computer waits for its user (a disk change).
                paused = true;
                Count(&Counters::enqReceived);
                break;
            default:
                Count(&Counters::unexpectedBytes);
                break;
        }
    }
}

bool Session::SilentBeforeSending(int ms) {
    const Deadline until = DeadlineAfter(ms);
    // The computer asks again (0x0F) after each of its time-outs and gives up
    // with `?`; a computer that says nothing at all for a whole time-out has
    // gone away.
    for (;;) {
        uint8_t byte = 0;
        const IoStatus status =
            m_line.ReadByte(byte, EarlierOf(until, DeadlineAfter(m_script.timeoutMs)));
        if (status == IoStatus::Timeout && until && Clock::now() >= *until) {
            break;
        }
        if (status != IoStatus::Ok) {
            return EndOn(status, "silent; the computer went quiet as well");
        }
        if (byte == kRequest) {
            return End(OutcomeKind::Aborted, "the computer aborted while the device was silent");
        }
        Count(byte == kRetry ? &Counters::resendsAsked : &Counters::unexpectedBytes);
    }
    // Let a retry that is on its way arrive before the record goes out.
    for (;;) {
        uint8_t byte = 0;
        const IoStatus status = m_line.ReadByte(byte, Clock::now() + kQuietGap);
        if (status == IoStatus::Timeout) {
            return true;
        }
        if (status != IoStatus::Ok) {
            return EndOn(status, "after a silence");
        }
        if (byte == kRequest) {
            return End(OutcomeKind::Aborted, "the computer aborted while the device was silent");
        }
        Count(byte == kRetry ? &Counters::resendsAsked : &Counters::unexpectedBytes);
    }
}

bool Session::KeepAlive(int ms) {
    const Deadline until = DeadlineAfter(ms);
    const int interval = m_script.faults.enqIntervalMs > 0 ? m_script.faults.enqIntervalMs : 400;
    while (Clock::now() < *until) {
        if (!SendByte(kEnq)) {
            return false;
        }
        const Deadline next = EarlierOf(until, DeadlineAfter(interval));
        for (;;) {
            uint8_t byte = 0;
            const IoStatus status = m_line.ReadByte(byte, next);
            if (status == IoStatus::Timeout) {
                break;
            }
            if (status != IoStatus::Ok) {
                return EndOn(status, "sending ENQ");
            }
            if (byte == kRequest) {
                return End(OutcomeKind::Aborted, "the computer aborted during the ENQ pause");
            }
            Count(&Counters::unexpectedBytes);
        }
    }
    return true;
}

bool Session::Restore() {
    const Faults& faults = m_script.faults;
    const bool text = IsTextLetter(m_script.letter);
    {
        std::lock_guard lock(m_device.m_mutex);
        m_device.m_received.clear();
        m_device.m_receivedEndMark.clear();
    }
    auto keep = [this](const std::string& line) {
        std::lock_guard lock(m_device.m_mutex);
        m_device.m_received.push_back(line);
    };
    std::size_t index = 0;
    int copy = 0;
    for (;;) {
        Arrival arrival = Arrival::Line;
        std::string line;
        if (!NextArrival(arrival, line)) {
            return false;
        }
        if (arrival == Arrival::Abort) {
            return End(OutcomeKind::Aborted, "the computer aborted the restore");
        }
        if (arrival == Arrival::EndMark) {
            return FinishRestore(line);
        }
        if (text && StripLineEnd(line) == kTextEnd) {
            keep(line);  // the end of the text is not answered
            continue;
        }
        if (copy == 0) {
            if (int ms = Lookup(faults.silence, index);
                ms != 0 && !SilentBeforeAnswering(ms, line)) {
                return false;
            }
            if (int ms = Lookup(faults.enqBefore, index); ms > 0 && !KeepAlive(ms)) {
                return false;
            }
        }
        const bool bad = !IsGood(CheckRecord(line));
        if (bad) {
            Count(&Counters::badRecords);
        }
        if (copy < Lookup(faults.refusals, index) || (bad && faults.refuseBadRecords)) {
            if (!SendByte(faults.refusalByte)) {
                return false;
            }
            Count(&Counters::refusalsGiven);
            ++copy;
            continue;
        }
        if (!Pace(line.size()) || !SendByte(kAck)) {
            return false;
        }
        keep(line);
        Count(&Counters::recordsReceived);
        if (faults.haltAfter == index) {
            if (!SendByte(kRequest)) {
                return false;
            }
            return End(OutcomeKind::Halted, "halted after record " + std::to_string(index));
        }
        ++index;
        copy = 0;
    }
}

bool Session::NextArrival(Arrival& what, std::string& text) {
    text.clear();
    bool paused = false;
    for (;;) {
        uint8_t byte = 0;
        const int limit = paused ? m_script.userTimeoutMs : m_script.timeoutMs;
        if (!Next(byte, DeadlineAfter(limit),
                  text.empty() ? "waiting for a record" : "waiting for the rest of a record")) {
            return false;
        }
        if (text.empty() && byte == kRequest) {
            what = Arrival::Abort;
            return true;
        }
        if (text.empty() && byte == kEnq) {
            paused = true;
            Count(&Counters::enqReceived);
            continue;
        }
        paused = false;
        text += static_cast<char>(byte);
        if (IsEndMark(text)) {
            what = Arrival::EndMark;
            return true;
        }
        if (byte == '\n' || text.size() >= kMaxLine) {
            what = Arrival::Line;
            return true;
        }
    }
}

bool Session::SilentBeforeAnswering(int ms, std::string& line) {
    // The computer sends the record again after each of its time-outs; the
    // device answers the copy that came last, once the line has gone quiet.
    const Deadline until = DeadlineAfter(ms);
    std::string partial;
    bool over = false;
    for (;;) {
        Deadline deadline = DeadlineAfter(m_script.timeoutMs);
        if (!over) {
            deadline = EarlierOf(until, deadline);
        } else if (partial.empty()) {
            deadline = Clock::now() + kQuietGap;
        }
        uint8_t byte = 0;
        const IoStatus status = m_line.ReadByte(byte, deadline);
        if (status == IoStatus::Timeout) {
            if (over && partial.empty()) {
                return true;
            }
            if (!over && until && Clock::now() >= *until) {
                over = true;
                continue;
            }
        }
        if (status != IoStatus::Ok) {
            return EndOn(status, "silent; the computer went quiet as well");
        }
        if (partial.empty() && byte == kRequest) {
            return End(OutcomeKind::Aborted, "the computer aborted while the device was silent");
        }
        partial += static_cast<char>(byte);
        if (byte == '\n' || partial.size() >= kMaxLine) {
            line = std::move(partial);
            partial.clear();
        }
    }
}

bool Session::FinishRestore(const std::string& endMark) {
    {
        std::lock_guard lock(m_device.m_mutex);
        m_device.m_receivedEndMark = endMark;
        m_outcome.endMark = endMark;
    }
    const std::string expected = ModelEndMark(m_device.ModelId(), VersionOf(m_device.Received()));
    if (m_script.strictEndMark && endMark != expected) {
        return End(OutcomeKind::Failed, "end mark " + endMark + ", the device expects " + expected);
    }
    End(OutcomeKind::Completed, "");
    if (m_script.listenAfterEndMs > 0) {
        const Deadline until = DeadlineAfter(m_script.listenAfterEndMs);
        uint8_t byte = 0;
        while (m_line.ReadByte(byte, until) == IoStatus::Ok) {
            m_outcome.afterEnd += static_cast<char>(byte);
        }
    }
    return true;
}

}  // namespace orv::devsim
