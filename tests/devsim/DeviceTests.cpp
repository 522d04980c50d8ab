// The simulated device against a hand-written computer side on the pty.
#include <gtest/gtest.h>

#include <sys/ioctl.h>

#include <atomic>
#include <thread>

#include "devsim/SimulatedDevice.h"
#include "tests/devsim/Peer.h"

namespace orv::devsim {
namespace {

using namespace std::chrono_literals;
using test::Peer;

constexpr char kAckChar = 0x06;
constexpr char kRetryChar = 0x0F;
constexpr char kEnqChar = 0x05;

Script Quick(char letter) {
    Script s;
    s.letter = letter;
    s.timeoutMs = 2000;
    s.userTimeoutMs = 2000;
    return s;
}

// What the device should send next, and the computer's answer to it.
struct Step {
    std::string record;
    char answer;
};

class DeviceTest : public ::testing::Test {
protected:
    // Starts the script and plays the computer's side up to the start of the transfer.
    void Begin(const Script& s, int acks = 1) {
        ASSERT_TRUE(device.Start(s));
        ASSERT_EQ(peer.AnswerRequest(), s.letter);
        for (int i = 0; i < acks; ++i) {
            peer.WriteByte(kAckChar);
        }
    }
    void Play(const std::vector<Step>& steps) {
        for (const Step& step : steps) {
            EXPECT_EQ(peer.ReadRecord(), step.record);
            peer.WriteByte(step.answer);
        }
    }
    Outcome Ended(OutcomeKind expected) {
        auto outcome = device.Wait(3s);
        EXPECT_TRUE(outcome) << "still running";
        if (!outcome) {
            return {};
        }
        EXPECT_EQ(outcome->kind, expected) << Summary(*outcome);
        return *outcome;
    }

    SimulatedDevice device{32771};
    Peer peer{device.PortPath()};
};

TEST_F(DeviceTest, SaveSendsEveryRecordResendsOnRetryAndEndsWithTheEndMark) {
    device.SetMemory({"V210", "n0141BD", "N01DD21"});
    Begin(Quick('S'));
    Play({{"V210\r\n", kAckChar},
          {"n0141BD\r\n", kRetryChar},  // asked again: the same record comes back
          {"n0141BD\r\n", kAckChar},
          {"N01DD21\r\n", kAckChar},
          {"END", kAckChar}});
    const Outcome outcome = Ended(OutcomeKind::Completed);
    EXPECT_EQ(outcome.counters.recordsSent, 3u);
    EXPECT_EQ(outcome.counters.resendsAsked, 1u);
    EXPECT_EQ(outcome.counters.requestsSent, 1u);
}

TEST_F(DeviceTest, SaveOfTheSampleMemoryGoesOutWhole) {
    Begin(Quick('S'));
    std::vector<Step> steps;
    for (const std::string& r : device.Memory()) {
        steps.push_back({r + "\r\n", kAckChar});
    }
    steps.push_back({"END", kAckChar});
    Play(steps);
    EXPECT_EQ(Ended(OutcomeKind::Completed).counters.recordsSent, steps.size() - 1);
}

TEST_F(DeviceTest, SaveFaultsShapeWhatGoesOut) {
    device.SetMemory({"V210", "n02ABCD85", "n0141BD"});
    Script s = Quick('s');
    s.endMark = "end";
    s.faults.lfOnly = true;
    s.faults.badChecksum[1] = 1;
    s.faults.lowerCaseHex[2] = 2;
    Begin(s);
    Play({{"V210\n", kAckChar},
          {"n02ABCD86\n", kRetryChar},  // first copy: checksum off
          {"n02ABCD85\n", kAckChar},
          {"n0141bd\n", kRetryChar},  // two copies in lower case
          {"n0141bd\n", kRetryChar},
          {"n0141BD\n", kAckChar},
          {"end", kAckChar}});
    EXPECT_EQ(Ended(OutcomeKind::Completed).counters.resendsAsked, 3u);
}

TEST_F(DeviceTest, SaveWaitsThroughEnqAndStopsOnAbortOrHalt) {
    Script s = Quick('O');
    s.timeoutMs = 300;
    device.SetText({"n0141BD", "n00FF"});
    Begin(s);
    EXPECT_EQ(peer.ReadRecord(), "n0141BD\r\n");  // O sends the text
    // ENQ: the computer waits for its user far longer than a reply may take.
    peer.WriteByte(kEnqChar);
    std::this_thread::sleep_for(700ms);
    peer.WriteByte(kAckChar);
    Play({{"n00FF\r\n", '?'}});
    EXPECT_EQ(Ended(OutcomeKind::Aborted).counters.enqReceived, 1u);

    device.SetMemory({"V210", "n0141BD"});
    s = Quick('S');
    s.faults.haltAfter = 0;
    Begin(s);
    Play({{"V210\r\n", kAckChar}});
    EXPECT_TRUE(peer.Expect('?'));
    EXPECT_EQ(Ended(OutcomeKind::Halted).counters.recordsSent, 1u);
}

TEST_F(DeviceTest, RestoreVerifiesRefusesAndKeepsWhatArrived) {
    Script s = Quick('L');
    s.faults.refusals[1] = 2;
    s.faults.refuseBadRecords = true;
    Begin(s);
    const std::vector<std::pair<const char*, char>> exchange = {
        {"V210\r\n", kAckChar},  {"n0141BD\r\n", 0x15},  // scripted refusals, even of a good record
        {"n0141BD\r\n", 0x15},   {"n0141BD\r\n", kAckChar}, {"n0141BE\r\n", 0x15},  // bad checksum
        {"n0141BD\n", kAckChar},  // kept with its own line end
    };
    for (const auto& [record, answer] : exchange) {
        peer.Write(record);
        EXPECT_TRUE(peer.Expect(answer)) << record;
    }
    peer.Write("END");

    const Outcome outcome = Ended(OutcomeKind::Completed);
    EXPECT_EQ(outcome.endMark, "END");
    EXPECT_EQ(outcome.counters.recordsReceived, 3u);
    EXPECT_EQ(outcome.counters.refusalsGiven, 3u);
    EXPECT_EQ(outcome.counters.badRecords, 1u);
    EXPECT_EQ(device.Received(),
              (std::vector<std::string>{"V210\r\n", "n0141BD\r\n", "n0141BD\n"}));
    EXPECT_EQ(device.ReceivedEndMark(), "END");
    ASSERT_TRUE(device.AdoptReceived());
    EXPECT_EQ(device.Memory(), (MemoryImage{"V210", "n0141BD", "n0141BD"}));
}

TEST_F(DeviceTest, TextRestoreTwiceLeavesTheEndOfTextUnansweredAndAdoptsTheLastPass) {
    Begin(Quick('W'), 2);
    const std::string header = std::string(kTextHeader) + "\r\n";
    for (int pass = 0; pass < 2; ++pass) {
        peer.Write(header);
        EXPECT_TRUE(peer.Expect(kAckChar));
        peer.Write(pass == 0 ? "n0141BD\r\n" : "n0142BC\r\n");
        EXPECT_TRUE(peer.Expect(kAckChar));
    }
    peer.Write("n00FF\r\nEND");
    Ended(OutcomeKind::Completed);
    EXPECT_FALSE(peer.ReadByte(100ms)) << "n00FF and the end mark are not answered";
    ASSERT_TRUE(device.AdoptReceived());
    EXPECT_EQ(device.Text(), (MemoryImage{std::string(kTextHeader), "n0142BC", "n00FF"}));
}

TEST(DeviceEndMark, AnotherModelsEndMarkFailsTheRestore) {
    SimulatedDevice device(32778);
    Peer peer(device.PortPath());
    ASSERT_TRUE(device.Start(Quick('l')));
    ASSERT_EQ(peer.AnswerRequest(), 'l');
    peer.WriteByte(kAckChar);
    peer.Write("END");
    auto outcome = device.Wait(3s);
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->kind, OutcomeKind::Failed) << Summary(*outcome);
    EXPECT_EQ(outcome->endMark, "END");
    EXPECT_FALSE(device.AdoptReceived());
}

TEST_F(DeviceTest, HandshakeOutcomes) {
    // Refused before the start.
    ASSERT_TRUE(device.Start(Quick('i')));
    ASSERT_EQ(peer.AnswerRequest(), 'i');
    peer.WriteByte(kRetryChar);
    Ended(OutcomeKind::Refused);

    // A request nobody answers is repeated; noise goes out before it.
    Script s = Quick('V');
    s.repeatRequestMs = 100;
    s.faults.noiseBytes = 20;
    s.faults.handshakeByte = 'Z';
    s.userTimeoutMs = 400;
    ASSERT_TRUE(device.Start(s));
    for (int i = 0; i < 20; ++i) {
        auto c = peer.ReadByte();
        ASSERT_TRUE(c);
        EXPECT_NE(*c, '?');
    }
    EXPECT_TRUE(peer.Expect('?'));
    EXPECT_TRUE(peer.Expect('?', 500ms)) << "the request is repeated";
    peer.WriteByte('C');
    std::optional<char> letter;
    while ((letter = peer.ReadByte()) == '?') {
    }
    EXPECT_EQ(letter, 'Z');
    // Nobody starts a transfer for Z.
    EXPECT_GE(Ended(OutcomeKind::TimedOut).counters.requestsSent, 2u);
}

TEST_F(DeviceTest, SilentSaveSendsTheRecordOnlyAfterTheSilence) {
    device.SetMemory({"V210", "n0141BD"});
    Script s = Quick('S');
    s.faults.silence[1] = 500;
    Begin(s);
    EXPECT_EQ(peer.ReadRecord(), "V210\r\n");
    const auto acked = Clock::now();
    peer.WriteByte(kAckChar);
    // The computer's time-outs ask again; the device stays silent.
    EXPECT_FALSE(peer.ReadByte(250ms));
    peer.WriteByte(kRetryChar);
    Play({{"n0141BD\r\n", kAckChar}});
    EXPECT_GE(Clock::now() - acked, 500ms);
    Play({{"END", kAckChar}});
    EXPECT_EQ(Ended(OutcomeKind::Completed).counters.resendsAsked, 1u);
}

TEST_F(DeviceTest, SilentRestoreAnswersTheLastCopyOnce) {
    Script s = Quick('L');
    s.faults.silence[0] = 400;
    s.faults.enqBefore[1] = 300;
    s.faults.enqIntervalMs = 100;
    Begin(s);
    peer.Write("V210\r\n");
    EXPECT_FALSE(peer.ReadByte(200ms));
    peer.Write("V210\r\n");  // the computer's time-out: the same record again
    EXPECT_TRUE(peer.Expect(kAckChar, 1s));
    EXPECT_FALSE(peer.ReadByte(200ms)) << "one answer for two copies";
    peer.Write("n00FF\r\n");
    int enqs = 0;
    std::optional<char> c;
    while ((c = peer.ReadByte(1s)) && *c == kEnqChar) {
        ++enqs;
    }
    EXPECT_GE(enqs, 2);
    EXPECT_EQ(c, kAckChar);
    peer.Write("END");
    Ended(OutcomeKind::Completed);
    EXPECT_EQ(device.Received(), (std::vector<std::string>{"V210\r\n", "n00FF\r\n"}));
}

TEST_F(DeviceTest, GivesUpOnEndlessRetriesAndHearsAnAbortWhileSilent) {
    device.SetMemory({"V210"});
    Script s = Quick('S');
    s.maxResends = 2;
    Begin(s);
    Play({{"V210\r\n", kRetryChar}, {"V210\r\n", kRetryChar}, {"V210\r\n", kRetryChar}});
    EXPECT_TRUE(peer.Expect('?'));
    EXPECT_EQ(Ended(OutcomeKind::Failed).counters.resendsAsked, 3u);

    s = Quick('L');
    s.faults.silence[0] = kForever;
    Begin(s);
    for (int copy = 0; copy < 2; ++copy) {
        peer.Write("V210\r\n");
        EXPECT_FALSE(peer.ReadByte(150ms));
    }
    peer.WriteByte('?');
    Ended(OutcomeKind::Aborted);
    EXPECT_TRUE(device.Received().empty());
}

TEST_F(DeviceTest, StopEndsAWaitPromptly) {
    Script s = Quick('S');
    s.userTimeoutMs = kForever;
    std::atomic<int> progress{0};
    s.onProgress = [&progress](const Counters& c) { progress = static_cast<int>(c.requestsSent); };
    ASSERT_TRUE(device.Start(s));
    EXPECT_TRUE(peer.Expect('?'));
    EXPECT_FALSE(device.Wait(50ms));
    EXPECT_TRUE(device.Running());
    EXPECT_FALSE(device.Start(s));
    const auto before = Clock::now();
    device.Stop();
    EXPECT_LT(Clock::now() - before, 500ms);
    Ended(OutcomeKind::Stopped);
    EXPECT_EQ(progress.load(), 1);

    // The synchronous form stops an operation that outlasts its limit.
    EXPECT_EQ(device.Run(s, 100ms).kind, OutcomeKind::Stopped);
}

TEST_F(DeviceTest, APacedLineTakesTheTimeOfItsBytesBothWaysAndStillStopsAtOnce) {
    device.SetMemory({"V210", "n0141BD"});
    Script s = Quick('S');
    s.bytesPerSecond = 60;  // 6 + 9 + 3 bytes: 300 ms
    Begin(s);
    auto start = Clock::now();
    Play({{"V210\r\n", kAckChar}, {"n0141BD\r\n", kAckChar}, {"END", kAckChar}});
    Ended(OutcomeKind::Completed);
    EXPECT_GE(Clock::now() - start, 290ms);

    // A restore: each answer waits for the record's own bytes (9: 150 ms).
    s.letter = 'L';
    Begin(s);
    peer.Write("n0141BD\r\n");
    start = Clock::now();
    EXPECT_TRUE(peer.Expect(kAckChar));
    EXPECT_GE(Clock::now() - start, 140ms);

    device.Stop();
    Ended(OutcomeKind::Stopped);

    // A record that would take seconds does not hold up Stop.
    s.bytesPerSecond = 1;
    Begin(s);
    peer.Write("n0141BD\r\n");
    std::this_thread::sleep_for(50ms);
    start = Clock::now();
    device.Stop();
    EXPECT_LT(Clock::now() - start, 500ms);
    Ended(OutcomeKind::Stopped);
}

TEST(PseudoTerminal, SurvivesThePortBeingClosedAndReopened) {
    SimulatedDevice device(32771);
    device.SetMemory({"V210"});
    EXPECT_FALSE(device.Pty().OpenedExclusively());
    Script s = Quick('S');
    s.repeatRequestMs = 50;
    // The request goes out before anyone has the port open, and again while
    // the first program closes it: the master sees no hang-up.
    ASSERT_TRUE(device.Start(s));
    std::this_thread::sleep_for(120ms);
    { Peer first(device.PortPath()); }
    Peer peer(device.PortPath());
    ASSERT_EQ(ioctl(peer.Fd(), TIOCEXCL), 0);
    EXPECT_TRUE(device.Pty().OpenedExclusively());
    EXPECT_TRUE(peer.Expect('?'));
    peer.WriteByte('C');
    std::optional<char> c;
    while ((c = peer.ReadByte()) == '?') {
    }
    EXPECT_EQ(c, 'S');
    peer.WriteByte(kAckChar);
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(device.Pty().PendingForPeer(), 6u) << "V210 CR LF, not read yet";
    EXPECT_EQ(peer.ReadRecord(), "V210\r\n");
    EXPECT_TRUE(device.Pty().WaitUntilPeerRead(100ms));
    peer.WriteByte(kAckChar);
    EXPECT_EQ(peer.ReadRecord(), "END");
    peer.WriteByte(kAckChar);
    auto outcome = device.Wait(3s);
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->kind, OutcomeKind::Completed) << Summary(*outcome);
}

}  // namespace
}  // namespace orv::devsim
