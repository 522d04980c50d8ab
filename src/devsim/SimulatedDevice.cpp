#include "devsim/SimulatedDevice.h"

#include <algorithm>
#include <string_view>

#include "devsim/Session.h"

namespace orv::devsim {

bool IsSaveLetter(char letter) {
    return letter == 'S' || letter == 's' || letter == 'O';
}

bool IsRestoreLetter(char letter) {
    return std::string_view("LlBWiV").find(letter) != std::string_view::npos;
}

bool IsTextLetter(char letter) {
    return letter == 'O' || letter == 'B' || letter == 'W';
}

const char* OutcomeName(OutcomeKind kind) {
    switch (kind) {
        case OutcomeKind::Completed:
            return "completed";
        case OutcomeKind::Aborted:
            return "aborted by the computer";
        case OutcomeKind::Refused:
            return "refused before the start";
        case OutcomeKind::TimedOut:
            return "timed out";
        case OutcomeKind::Halted:
            return "halted by the device";
        case OutcomeKind::Stopped:
            return "stopped";
        case OutcomeKind::Failed:
            return "failed";
    }
    return "?";
}

std::string Summary(const Outcome& o) {
    const Counters& c = o.counters;
    std::string line = std::string(OutcomeName(o.kind)) + " " + std::string(1, o.letter);
    if (!o.detail.empty()) {
        line += " (" + o.detail + ")";
    }
    line += ": " + std::to_string(c.recordsSent) + " records sent, " +
            std::to_string(c.resendsAsked) + " resends asked, " +
            std::to_string(c.recordsReceived) + " records received, " +
            std::to_string(c.refusalsGiven) + " refusals, " + std::to_string(c.badRecords) +
            " bad records, " + std::to_string(c.enqReceived) + " ENQ";
    if (!o.endMark.empty()) {
        line += ", end mark " + o.endMark;
    }
    return line;
}

SimulatedDevice::SimulatedDevice(uint32_t modelId)
    : m_modelId(modelId),
      m_line(m_pty.MasterFd(), m_interrupt),
      m_memory(MakeSampleMemory(modelId)),
      m_text(MakeSampleText()) {}

SimulatedDevice::~SimulatedDevice() {
    Stop();
}

void SimulatedDevice::SetMemory(MemoryImage memory) {
    std::lock_guard lock(m_mutex);
    m_memory = std::move(memory);
}

MemoryImage SimulatedDevice::Memory() const {
    std::lock_guard lock(m_mutex);
    return m_memory;
}

void SimulatedDevice::SetText(MemoryImage text) {
    std::lock_guard lock(m_mutex);
    m_text = std::move(text);
}

MemoryImage SimulatedDevice::Text() const {
    std::lock_guard lock(m_mutex);
    return m_text;
}

std::vector<std::string> SimulatedDevice::Received() const {
    std::lock_guard lock(m_mutex);
    return m_received;
}

std::string SimulatedDevice::ReceivedBytes() const {
    std::lock_guard lock(m_mutex);
    std::string bytes;
    for (const std::string& line : m_received) {
        bytes += line;
    }
    return bytes;
}

std::string SimulatedDevice::ReceivedEndMark() const {
    std::lock_guard lock(m_mutex);
    return m_receivedEndMark;
}

bool SimulatedDevice::AdoptReceived() {
    std::lock_guard lock(m_mutex);
    if (m_running || !m_outcome || m_outcome->kind != OutcomeKind::Completed ||
        m_received.empty()) {
        return false;
    }
    const char letter = m_outcome->letter;
    auto first = m_received.begin();
    if (letter == 'W') {
        // Sent twice, each pass starting with the same header: keep the last.
        first = std::find(m_received.rbegin(), m_received.rend(), m_received.front()).base() - 1;
    } else if (letter != 'L' && letter != 'l' && letter != 'B') {
        return false;
    }
    MemoryImage adopted;
    for (auto it = first; it != m_received.end(); ++it) {
        adopted.emplace_back(StripLineEnd(*it));
    }
    (IsTextLetter(letter) ? m_text : m_memory) = std::move(adopted);
    return true;
}

bool SimulatedDevice::Start(Script script) {
    {
        std::lock_guard lock(m_mutex);
        if (m_running) {
            return false;
        }
    }
    JoinFinished();
    m_interrupt.Reset();
    {
        std::lock_guard lock(m_mutex);
        m_running = true;
        m_outcome.reset();
        m_counters = {};
    }
    m_thread = std::thread(&SimulatedDevice::Work, this, std::move(script));
    return true;
}

void SimulatedDevice::Work(const Script& script) {
    MemoryImage source = IsTextLetter(script.letter) ? Text() : Memory();
    Session session(*this, script, std::move(source));
    Outcome outcome = session.Run();
    {
        std::lock_guard lock(m_mutex);
        m_outcome = std::move(outcome);
        m_running = false;
    }
    m_done.notify_all();
}

bool SimulatedDevice::Running() const {
    std::lock_guard lock(m_mutex);
    return m_running;
}

std::optional<Outcome> SimulatedDevice::Wait(std::chrono::milliseconds limit) {
    std::unique_lock lock(m_mutex);
    if (!m_done.wait_for(lock, limit, [this] { return !m_running; })) {
        return std::nullopt;
    }
    return m_outcome;
}

void SimulatedDevice::Stop() {
    m_interrupt.Raise();
    JoinFinished();
}

void SimulatedDevice::JoinFinished() {
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

Counters SimulatedDevice::Progress() const {
    std::lock_guard lock(m_mutex);
    return m_counters;
}

void SimulatedDevice::Update(const Script& script, const std::function<void(Counters&)>& change) {
    Counters now;
    {
        std::lock_guard lock(m_mutex);
        change(m_counters);
        now = m_counters;
    }
    if (script.onProgress) {
        script.onProgress(now);
    }
}

Outcome SimulatedDevice::Run(Script script, std::chrono::milliseconds limit) {
    const char letter = script.letter;
    if (!Start(std::move(script))) {
        return Outcome{OutcomeKind::Failed, letter, "another operation is running", "", {}, ""};
    }
    if (auto outcome = Wait(limit)) {
        return *outcome;
    }
    Stop();
    return Wait(std::chrono::milliseconds(0)).value_or(Outcome{});
}

}  // namespace orv::devsim
