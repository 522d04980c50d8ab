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

// Receives records and acknowledges each until the end mark; returns them.
std::vector<std::string> ReceiveAll(Peer& peer) {
    std::vector<std::string> records;
    for (;;) {
        std::string r = peer.ReadRecord();
        if (r.empty()) {
            ADD_FAILURE() << "the device stopped sending";
            return records;
        }
        records.push_back(r);
        peer.WriteByte(kAckChar);
        if (r == "END" || r == "end") {
            return records;
        }
    }
}

class DeviceTest : public ::testing::Test {
protected:
    SimulatedDevice device{32771};
    Peer peer{device.PortPath()};
};

TEST_F(DeviceTest, SaveSendsEveryRecordResendsOnRetryAndEndsWithTheEndMark) {
    device.SetMemory({"V210", "n0141BD", "N01DD21"});
    ASSERT_TRUE(device.Start(Quick('S')));
    ASSERT_EQ(peer.AnswerRequest(), 'S');
    peer.WriteByte(kAckChar);
    EXPECT_EQ(peer.ReadRecord(), "V210\r\n");
    peer.WriteByte(kAckChar);
    EXPECT_EQ(peer.ReadRecord(), "n0141BD\r\n");
    peer.WriteByte(kRetryChar);  // asked again: the same record comes back
    EXPECT_EQ(peer.ReadRecord(), "n0141BD\r\n");
    peer.WriteByte(kAckChar);
    EXPECT_EQ(peer.ReadRecord(), "N01DD21\r\n");
    peer.WriteByte(kAckChar);
    EXPECT_EQ(peer.ReadRecord(), "END");
    peer.WriteByte(kAckChar);

    auto outcome = device.Wait(3s);
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->kind, OutcomeKind::Completed) << Summary(*outcome);
    EXPECT_EQ(outcome->counters.recordsSent, 3u);
    EXPECT_EQ(outcome->counters.resendsAsked, 1u);
    EXPECT_EQ(outcome->counters.requestsSent, 1u);
}

TEST_F(DeviceTest, SaveOfTheSampleMemoryGoesOutWhole) {
    ASSERT_TRUE(device.Start(Quick('S')));
    ASSERT_EQ(peer.AnswerRequest(), 'S');
    peer.WriteByte(kAckChar);
    std::vector<std::string> got = ReceiveAll(peer);
    ASSERT_FALSE(got.empty());
    EXPECT_EQ(got.back(), "END");
    got.pop_back();
    MemoryImage expected = device.Memory();
    for (std::string& r : expected) {
        r += "\r\n";
    }
    EXPECT_EQ(got, expected);
    auto outcome = device.Wait(3s);
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->counters.recordsSent, expected.size());
}

TEST_F(DeviceTest, SaveFaultsShapeWhatGoesOut) {
    device.SetMemory({"V210", "n02ABCD85", "n0141BD"});
    Script s = Quick('s');
    s.endMark = "end";
    s.faults.lfOnly = true;
    s.faults.badChecksum[1] = 1;
    s.faults.lowerCaseHex[2] = 2;
    ASSERT_TRUE(device.Start(s));
    ASSERT_EQ(peer.AnswerRequest(), 's');
    peer.WriteByte(kAckChar);
    EXPECT_EQ(peer.ReadRecord(), "V210\n");
    peer.WriteByte(kAckChar);
    EXPECT_EQ(peer.ReadRecord(), "n02ABCD86\n");  // first copy: checksum off
    peer.WriteByte(kRetryChar);
    EXPECT_EQ(peer.ReadRecord(), "n02ABCD85\n");
    peer.WriteByte(kAckChar);
    EXPECT_EQ(peer.ReadRecord(), "n0141bd\n");  // two copies in lower case
    peer.WriteByte(kRetryChar);
    EXPECT_EQ(peer.ReadRecord(), "n0141bd\n");
    peer.WriteByte(kRetryChar);
    EXPECT_EQ(peer.ReadRecord(), "n0141BD\n");
    peer.WriteByte(kAckChar);
    EXPECT_EQ(peer.ReadRecord(), "end");
    peer.WriteByte(kAckChar);
    auto outcome = device.Wait(3s);
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->kind, OutcomeKind::Completed) << Summary(*outcome);
    EXPECT_EQ(outcome->counters.resendsAsked, 3u);
}

TEST_F(DeviceTest, SaveWaitsThroughEnqAndStopsOnAbortOrHalt) {
    device.SetMemory({"V210", "n0141BD", "n00FF"});
    Script s = Quick('O');
    s.timeoutMs = 300;
    device.SetText({"n0141BD", "n00FF"});
    ASSERT_TRUE(device.Start(s));
    ASSERT_EQ(peer.AnswerRequest(), 'O');
    peer.WriteByte(kAckChar);
    EXPECT_EQ(peer.ReadRecord(), "n0141BD\r\n");  // O sends the text
    // ENQ: the computer waits for its user far longer than a reply may take.
    peer.WriteByte(kEnqChar);
    std::this_thread::sleep_for(700ms);
    peer.WriteByte(kAckChar);
    EXPECT_EQ(peer.ReadRecord(), "n00FF\r\n");
    peer.WriteByte('?');
    auto outcome = device.Wait(3s);
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->kind, OutcomeKind::Aborted) << Summary(*outcome);
    EXPECT_EQ(outcome->counters.enqReceived, 1u);

    s = Quick('S');
    s.faults.haltAfter = 0;
    ASSERT_TRUE(device.Start(s));
    ASSERT_EQ(peer.AnswerRequest(), 'S');
    peer.WriteByte(kAckChar);
    EXPECT_EQ(peer.ReadRecord(), "V210\r\n");
    peer.WriteByte(kAckChar);
    EXPECT_TRUE(peer.Expect('?'));
    outcome = device.Wait(3s);
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->kind, OutcomeKind::Halted);
    EXPECT_EQ(outcome->counters.recordsSent, 1u);
}

TEST_F(DeviceTest, RestoreVerifiesRefusesAndKeepsWhatArrived) {
    Script s = Quick('L');
    s.faults.refusals[1] = 2;
    s.faults.refuseBadRecords = true;
    ASSERT_TRUE(device.Start(s));
    ASSERT_EQ(peer.AnswerRequest(), 'L');
    peer.WriteByte(kAckChar);
    peer.Write("V210\r\n");
    EXPECT_TRUE(peer.Expect(kAckChar));
    for (int i = 0; i < 2; ++i) {  // scripted refusals, even of a good record
        peer.Write("n0141BD\r\n");
        EXPECT_TRUE(peer.Expect(0x15));
    }
    peer.Write("n0141BD\r\n");
    EXPECT_TRUE(peer.Expect(kAckChar));
    peer.Write("n0141BE\r\n");  // bad checksum
    EXPECT_TRUE(peer.Expect(0x15));
    peer.Write("n0141BD\n");  // kept with its own line end
    EXPECT_TRUE(peer.Expect(kAckChar));
    peer.Write("END");

    auto outcome = device.Wait(3s);
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->kind, OutcomeKind::Completed) << Summary(*outcome);
    EXPECT_EQ(outcome->endMark, "END");
    EXPECT_EQ(outcome->counters.recordsReceived, 3u);
    EXPECT_EQ(outcome->counters.refusalsGiven, 3u);
    EXPECT_EQ(outcome->counters.badRecords, 1u);
    EXPECT_EQ(device.Received(),
              (std::vector<std::string>{"V210\r\n", "n0141BD\r\n", "n0141BD\n"}));
    EXPECT_EQ(device.ReceivedEndMark(), "END");
    ASSERT_TRUE(device.AdoptReceived());
    EXPECT_EQ(device.Memory(), (MemoryImage{"V210", "n0141BD", "n0141BD"}));
}

TEST_F(DeviceTest, TextRestoreTwiceLeavesTheEndOfTextUnansweredAndAdoptsTheLastPass) {
    ASSERT_TRUE(device.Start(Quick('W')));
    ASSERT_EQ(peer.AnswerRequest(), 'W');
    peer.WriteByte(kAckChar);
    peer.WriteByte(kAckChar);
    const std::string header = std::string(kTextHeader) + "\r\n";
    for (int pass = 0; pass < 2; ++pass) {
        peer.Write(header);
        EXPECT_TRUE(peer.Expect(kAckChar));
        peer.Write(pass == 0 ? "n0141BD\r\n" : "n0142BC\r\n");
        EXPECT_TRUE(peer.Expect(kAckChar));
    }
    peer.Write("n00FF\r\nEND");
    auto outcome = device.Wait(3s);
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->kind, OutcomeKind::Completed) << Summary(*outcome);
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
    auto outcome = device.Wait(3s);
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->kind, OutcomeKind::Refused);

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
    outcome = device.Wait(3s);  // nobody starts a transfer for Z
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->kind, OutcomeKind::TimedOut);
    EXPECT_GE(outcome->counters.requestsSent, 2u);
}

TEST_F(DeviceTest, SilentSaveSendsTheRecordOnlyAfterTheSilence) {
    device.SetMemory({"V210", "n0141BD"});
    Script s = Quick('S');
    s.faults.silence[1] = 500;
    ASSERT_TRUE(device.Start(s));
    ASSERT_EQ(peer.AnswerRequest(), 'S');
    peer.WriteByte(kAckChar);
    EXPECT_EQ(peer.ReadRecord(), "V210\r\n");
    const auto acked = Clock::now();
    peer.WriteByte(kAckChar);
    // The computer's time-outs ask again; the device stays silent.
    EXPECT_FALSE(peer.ReadByte(250ms));
    peer.WriteByte(kRetryChar);
    EXPECT_EQ(peer.ReadRecord(), "n0141BD\r\n");
    EXPECT_GE(Clock::now() - acked, 500ms);
    peer.WriteByte(kAckChar);
    EXPECT_EQ(peer.ReadRecord(), "END");
    peer.WriteByte(kAckChar);
    auto outcome = device.Wait(3s);
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->kind, OutcomeKind::Completed) << Summary(*outcome);
    EXPECT_EQ(outcome->counters.resendsAsked, 1u);
}

TEST_F(DeviceTest, SilentRestoreAnswersTheLastCopyOnce) {
    Script s = Quick('L');
    s.faults.silence[0] = 400;
    s.faults.enqBefore[1] = 300;
    s.faults.enqIntervalMs = 100;
    ASSERT_TRUE(device.Start(s));
    ASSERT_EQ(peer.AnswerRequest(), 'L');
    peer.WriteByte(kAckChar);
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
    auto outcome = device.Wait(3s);
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->kind, OutcomeKind::Completed) << Summary(*outcome);
    EXPECT_EQ(device.Received(), (std::vector<std::string>{"V210\r\n", "n00FF\r\n"}));
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
    auto outcome = device.Wait(0ms);
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->kind, OutcomeKind::Stopped);
    EXPECT_EQ(progress.load(), 1);

    // The synchronous form stops an operation that outlasts its limit.
    EXPECT_EQ(device.Run(s, 100ms).kind, OutcomeKind::Stopped);
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
