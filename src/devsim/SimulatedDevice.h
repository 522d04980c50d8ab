// A communication device that plays its side of the serial protocol over a
// pseudo-terminal, for tests, scripts and the demonstration mode.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "devsim/DeviceRecords.h"
#include "devsim/Line.h"
#include "devsim/Pty.h"
#include "devsim/SampleMemory.h"

namespace orv::devsim {

constexpr int kForever = -1;
// Record index that stands for the end mark in per-record faults of a save.
constexpr std::size_t kEndMarkIndex = static_cast<std::size_t>(-1);

// Letters a device sends to name the operation.
bool IsSaveLetter(char letter);     // S s O: device memory to the computer
bool IsRestoreLetter(char letter);  // L l B W i V: the computer sends records
bool IsTextLetter(char letter);     // O B W: the text memory

// Faults, each tied to a record index (0 = the first record sent or received).
struct Faults {
    // Save: the first N copies of record k go out with a wrong checksum, or
    // with their hex digits in lower case.
    std::map<std::size_t, int> badChecksum;
    std::map<std::size_t, int> lowerCaseHex;
    // Save: records end with LF instead of CR LF.
    bool lfOnly = false;
    // Stop answering for the given milliseconds (kForever: for good) before
    // sending record k (save) or before answering it (restore).
    std::map<std::size_t, int> silence;
    // Send ENQ keep-alives for the given milliseconds before record k (save)
    // or before answering it (restore). kEndMarkIndex: before the end mark.
    std::map<std::size_t, int> enqBefore;
    int enqIntervalMs = 400;
    // Send `?` once record k has been acknowledged (save) or answered (restore).
    std::optional<std::size_t> haltAfter;
    // Restore: refuse record k N times before accepting it.
    std::map<std::size_t, int> refusals;
    uint8_t refusalByte = kNak;
    // Restore: refuse every record that fails the device's own check.
    bool refuseBadRecords = false;
    // Send this byte instead of the operation letter. A computer ignores a
    // request it does not know, so the operation then ends timed out after
    // userTimeoutMs; one that starts a transfer for it fails the operation.
    std::optional<uint8_t> handshakeByte;
    // Random bytes (never `?`) sent before the request.
    std::size_t noiseBytes = 0;
    uint32_t noiseSeed = 1;
};

struct Counters {
    std::size_t requestsSent = 0;     // `?` bytes of the request
    std::size_t recordsSent = 0;      // save: records acknowledged
    std::size_t resendsAsked = 0;     // save: 0x0F received
    std::size_t recordsReceived = 0;  // restore: records accepted
    std::size_t refusalsGiven = 0;    // restore: records refused
    std::size_t badRecords = 0;       // restore: copies failing the checksum or layout check
    std::size_t enqReceived = 0;      // ENQ pauses announced by the computer
    std::size_t unexpectedBytes = 0;  // bytes that meant nothing where they came
};

// One operation chosen in the device's menu.
struct Script {
    char letter = 'S';
    // Repeat `?` every so many milliseconds until `C` arrives (0: send it once).
    int repeatRequestMs = 0;
    // Milliseconds to wait before the request.
    int delayMs = 0;
    // Limit for each wait on a reply during the transfer.
    int timeoutMs = 10000;
    // Limit for waits on the computer's user: the answer to the request, the
    // start of the transfer, and a pause announced with ENQ (kForever: none).
    int userTimeoutMs = 60000;
    // The end mark a save sends; empty: the model's own.
    std::string endMark;
    // Restore: an end mark other than the model's own fails the operation.
    bool strictEndMark = true;
    // Restore: after the end mark the device goes on listening this long and
    // keeps whatever arrives (a computer should send nothing more).
    int listenAfterEndMs = 0;
    // Save: a record asked for again more often than this makes the device
    // give up with `?`, so that a computer that rejects every copy cannot keep
    // it busy for ever.
    int maxResends = 100;
    // The pace of the line in bytes per second (0: as fast as the pty goes).
    // A record then leaves, or is answered, only once its bytes would have
    // crossed a real line: a demonstration looks like a real transfer.
    int bytesPerSecond = 0;
    Faults faults;
    // Called on the device's thread whenever a counter changes.
    std::function<void(const Counters&)> onProgress;
};

enum class OutcomeKind {
    Completed,
    Aborted,   // the computer sent `?` after the start
    Refused,   // the computer sent 0x0F before the start
    TimedOut,  // a wait passed its limit
    Halted,    // the device halted the transfer (a scripted `?`)
    Stopped,   // Stop() was called
    Failed,    // the line failed, or the computer did something a device cannot accept
};
const char* OutcomeName(OutcomeKind kind);

struct Outcome {
    OutcomeKind kind = OutcomeKind::Failed;
    char letter = 0;
    std::string detail;   // what was being waited for, or what went wrong
    std::string endMark;  // a restore's end mark as received
    Counters counters;
    std::string afterEnd;  // what arrived after the end mark (Script::listenAfterEndMs)
};
// One line: "completed S: 312 records sent, ...".
std::string Summary(const Outcome& outcome);

class SimulatedDevice {
public:
    // Creates the pty; throws std::system_error. The device holds the model's
    // sample memory and sample text until told otherwise.
    explicit SimulatedDevice(uint32_t modelId = kDefaultModel);
    ~SimulatedDevice();
    SimulatedDevice(const SimulatedDevice&) = delete;
    SimulatedDevice& operator=(const SimulatedDevice&) = delete;

    const std::string& PortPath() const { return m_pty.SlavePath(); }
    uint32_t ModelId() const { return m_modelId; }
    const PseudoTerminal& Pty() const { return m_pty; }

    // What the device holds: its memory (sent by S and s, replaced by AdoptReceived
    // after L and l) and its text (sent by O, replaced after B and W).
    void SetMemory(MemoryImage memory);
    MemoryImage Memory() const;
    void SetText(MemoryImage text);
    MemoryImage Text() const;

    // What the last restore brought: each accepted line with its own line end.
    std::vector<std::string> Received() const;
    std::string ReceivedBytes() const;
    std::string ReceivedEndMark() const;
    // Makes a completed restore the device's memory (L, l) or text (B, W: the
    // last pass). False when the last operation was no completed restore of these.
    bool AdoptReceived();

    // Runs the operation on the device's own thread. The program under test
    // must have the port open before the request goes out (or the script
    // repeats its request). False while an operation is running.
    bool Start(Script script);
    bool Running() const;
    // The outcome, or nothing if the operation is still running at the limit.
    std::optional<Outcome> Wait(std::chrono::milliseconds limit);
    // Interrupts the operation at once and waits for the thread to end.
    void Stop();
    Counters Progress() const;
    // Start and Wait; stops the operation when it outlasts the limit.
    Outcome Run(Script script, std::chrono::milliseconds limit = std::chrono::seconds(60));

private:
    friend class Session;
    void Work(const Script& script);
    void Update(const Script& script, const std::function<void(Counters&)>& change);
    void JoinFinished();

    const uint32_t m_modelId;
    PseudoTerminal m_pty;
    Interrupt m_interrupt;
    Line m_line;

    mutable std::mutex m_mutex;
    std::condition_variable m_done;
    MemoryImage m_memory;
    MemoryImage m_text;
    std::vector<std::string> m_received;
    std::string m_receivedEndMark;
    Counters m_counters;
    std::optional<Outcome> m_outcome;
    bool m_running = false;
    std::thread m_thread;
};

}  // namespace orv::devsim
