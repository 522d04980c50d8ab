// One operation of the simulated device, run on the device's thread.
#pragma once

#include <string>

#include "devsim/SimulatedDevice.h"

namespace orv::devsim {

class Session {
public:
    Session(SimulatedDevice& device, const Script& script, MemoryImage source);
    Outcome Run();

private:
    enum class Answer { Ack, Retry, Abort };
    enum class Arrival { Line, EndMark, Abort };

    // Each returns false once the operation has ended (the outcome is set).
    bool Request();
    bool AwaitStart(uint8_t letterSent);
    bool Save();
    bool AwaitAnswer(Answer& answer);
    bool SilentBeforeSending(int ms);
    bool Restore();
    bool NextArrival(Arrival& what, std::string& text);
    bool SilentBeforeAnswering(int ms, std::string& line);
    bool FinishRestore(const std::string& endMark);
    bool KeepAlive(int ms);
    bool Pause(int ms);
    bool Pace(std::size_t bytes);

    bool Next(uint8_t& byte, Deadline deadline, const char* waitingFor);
    // Ends the operation for a read or write that did not succeed.
    bool EndOn(IoStatus status, const char* waitingFor);
    bool Send(std::string_view bytes);
    bool SendByte(uint8_t byte);
    bool End(OutcomeKind kind, std::string detail);
    void Count(std::size_t Counters::*counter);
    std::string Frame(std::size_t index, int copy) const;

    SimulatedDevice& m_device;
    const Script& m_script;
    const MemoryImage m_source;
    Line& m_line;
    Outcome m_outcome;
};

}  // namespace orv::devsim
