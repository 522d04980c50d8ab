// The engine against the simulated device: whole memories, and the device's faults.
#include <chrono>
#include <filesystem>

#include "core/StringTable.h"
#include "devsim/SimulatedDevice.h"
#include "engine/Record.h"
#include "tests/engine/EngineFixture.h"

namespace orv::test {
namespace {

namespace fs = std::filesystem;
using devsim::OutcomeKind;
using devsim::Script;
using devsim::SimulatedDevice;
using std::chrono::seconds;

std::string Joined(const devsim::MemoryImage& records) {
    std::string s;
    for (const std::string& r : records) {
        s += r + "\r\n";
    }
    return s;
}

// The text that a device's n records carry, as a text save writes it.
std::string DecodedText(const devsim::MemoryImage& records) {
    std::string text;
    for (const std::string& r : records) {
        if (std::optional<std::string> t = DecodeTextRecord(r)) {
            text += *t;
        }
    }
    return text;
}

// The fixture's scripted peer is not used here: the device owns its own pty.
class DevsimTest : public ::testing::Test {
protected:
    void Open(uint32_t modelId) {
        g_nSerialTimeout = 1000;
        g_Globals.SelectModel(ModelIndexOf(modelId));
        g_Globals.BaudIndex = -1;
        device = std::make_unique<SimulatedDevice>(modelId);
        device->SetMemory(devsim::MakeSampleMemory(modelId, 120));
        host.Attach(&port);
        port.SetDevicePath(device->PortPath());
        ASSERT_TRUE(port.OpenPort());
    }
    void TearDown() override {
        port.ClosePort();
        host.Stop();
        g_nSerialTimeout = kDefaultSerialTimeout;
    }
    // Between two transfers the engine purges its input; a device that asked
    // again at that very moment would go unheard, so the request repeats.
    devsim::Outcome Run(Script script) {
        script.repeatRequestMs = 300;
        return device->Run(std::move(script), seconds(30));
    }
    std::string Path(const std::string& name) const { return (dir / name).string(); }

    CapturingReporter reporter;
    TempDir dir;
    std::unique_ptr<SimulatedDevice> device;
    TestHost host;
    CORVSerialPort port{host};
};

TEST_F(DevsimTest, SaveThenRestoreGivesTheDeviceItsMemoryBack) {
    Open(kModelMirelda);
    std::string path = Path("MEM.ORV");
    port.ArmTransfer(path, Save);
    Script save;
    save.letter = 'S';
    devsim::Outcome saved = Run(save);
    EXPECT_EQ(saved.kind, OutcomeKind::Completed) << devsim::Summary(saved);
    EXPECT_EQ(host.WaitFinished(), IDM_TRANSFER_COMPLETED);
    EXPECT_EQ(ReadFileBytes(path), Joined(device->Memory()));

    port.ArmTransfer(path, Restore);
    Script restore;
    restore.letter = 'L';
    devsim::Outcome restored = Run(restore);
    EXPECT_EQ(restored.kind, OutcomeKind::Completed) << devsim::Summary(restored);
    EXPECT_EQ(host.WaitFinished(), IDM_TRANSFER_COMPLETED);
    EXPECT_EQ(device->ReceivedBytes(), ReadFileBytes(path));
    EXPECT_EQ(device->ReceivedEndMark(), "end");
}

TEST_F(DevsimTest, DamagedAndOddlyEndedRecordsAreRepairedByRetries) {
    Open(kModelQuenlow);
    std::string path = Path("MEM.ORV");
    port.ArmTransfer(path, Save);
    Script save;
    save.letter = 's';
    save.faults.badChecksum = {{0, 2}, {17, 1}};
    save.faults.lowerCaseHex = {{5, 1}, {60, 3}};
    save.faults.lfOnly = true;
    save.faults.enqBefore = {{30, 2500}};  // longer than two time-outs
    devsim::Outcome out = Run(save);
    EXPECT_EQ(out.kind, OutcomeKind::Completed) << devsim::Summary(out);
    EXPECT_GE(out.counters.resendsAsked, 5u);
    EXPECT_EQ(host.WaitFinished(), IDM_TRANSFER_COMPLETED);
    EXPECT_EQ(ReadFileBytes(path), Joined(device->Memory()));
}

TEST_F(DevsimTest, DeviceHaltAndSilenceEndTheSaveWithTheirOutcomes) {
    Open(kModelMirelda);
    port.ArmTransfer(Path("HALT.ORV"), Save);
    Script halt;
    halt.letter = 'S';
    halt.faults.haltAfter = 10;
    Run(halt);
    EXPECT_EQ(host.WaitFinished(), IDM_HALTED_BY_DEVICE);
    port.ClosePort();
    EXPECT_TRUE(fs::exists(dir / "HALT==INCOMPLETE==.ORV"));
    EXPECT_FALSE(fs::exists(dir / "HALT.ORV"));

    ASSERT_TRUE(port.OpenPort());
    port.ArmTransfer(Path("QUIET.ORV"), Save);
    Script quiet;
    quiet.letter = 'S';
    quiet.faults.silence = {{3, devsim::kForever}};
    quiet.timeoutMs = 8000;
    devsim::Outcome out = Run(quiet);
    EXPECT_EQ(out.kind, OutcomeKind::Aborted) << devsim::Summary(out);
    EXPECT_EQ(host.WaitFinished(), IDM_COMM_TIMEOUT);
}

TEST_F(DevsimTest, TextSaveAndRestoreAndTheDoublePass) {
    Open(kModelMirelda);
    device->SetText(devsim::MakeSampleText(8));
    std::string path = Path("NOTES.TXT");
    port.ArmTransfer(path, Save);
    Script save;
    save.letter = 'O';
    EXPECT_EQ(Run(save).kind, OutcomeKind::Completed);
    EXPECT_EQ(host.WaitFinished(), IDM_TRANSFER_COMPLETED);
    std::string text = ReadFileBytes(path);
    EXPECT_EQ(text, DecodedText(device->Text()));

    for (char letter : {'B', 'W'}) {
        port.ArmTransfer(path, Restore);
        Script restore;
        restore.letter = letter;
        devsim::Outcome out = Run(restore);
        EXPECT_EQ(out.kind, OutcomeKind::Completed) << letter << ": " << devsim::Summary(out);
        EXPECT_EQ(host.WaitFinished(), IDM_TRANSFER_COMPLETED);
        // The device now holds the same text (its line ends as the engine sends them).
        EXPECT_TRUE(device->AdoptReceived());
        EXPECT_EQ(DecodedText(device->Text()), text) << letter;
    }
    std::vector<long> totals = host.Totals();
    ASSERT_EQ(totals.size(), 2u);
    EXPECT_EQ(totals[0], static_cast<long>(2 * text.size()));
    EXPECT_EQ(totals[1], static_cast<long>(4 * text.size()));
}

TEST_F(DevsimTest, RefusalsUpToTenAreSentAgainTheEleventhEndsTheRestore) {
    Open(kModelMirelda);
    std::string path = Path("MEM.ORV");
    WriteFileBytes(path, Joined(device->Memory()));
    port.ArmTransfer(path, Restore);
    Script ten;
    ten.letter = 'L';
    ten.faults.refusals = {{4, 10}};
    devsim::Outcome out = Run(ten);
    EXPECT_EQ(out.kind, OutcomeKind::Completed) << devsim::Summary(out);
    EXPECT_EQ(host.WaitFinished(), IDM_TRANSFER_COMPLETED);

    port.ArmTransfer(path, Restore);
    Script eleven;
    eleven.letter = 'l';
    eleven.faults.refusals = {{4, 11}};
    out = Run(eleven);
    EXPECT_EQ(out.kind, OutcomeKind::Aborted) << devsim::Summary(out);
    EXPECT_EQ(host.WaitFinished(), IDM_COMM_ERROR);
}

TEST_F(DevsimTest, RequestOfAnotherKindIsRefused) {
    Open(kModelMirelda);
    std::string path = Path("MEM.ORV");
    WriteFileBytes(path, Joined(device->Memory()));
    port.ArmTransfer(path, Restore);
    Script save;
    save.letter = 'S';
    devsim::Outcome out = Run(save);
    EXPECT_EQ(out.kind, OutcomeKind::Refused) << devsim::Summary(out);
    EXPECT_EQ(host.WaitFinished(), IDM_TRANSFER_CANCELLED);
    EXPECT_EQ(ReadFileBytes(path), Joined(device->Memory()));
}

TEST_F(DevsimTest, IconAndSoundRequestsOnlyFromModelsThatImport) {
    Open(kFirstModelId);  // Corvane: `i` means nothing
    std::string path = Path("Icons to Import.ORV");
    WriteFileBytes(path, "N091C434154000000000002\r\nn0400000102F8\r\n");
    port.ArmTransfer(path, ImportIcons);
    Script icons;
    icons.letter = 'i';
    icons.userTimeoutMs = 2500;
    devsim::Outcome out = Run(icons);
    EXPECT_NE(out.kind, OutcomeKind::Completed) << devsim::Summary(out);
    // The handshake waited on for a letter it knows, in vain.
    EXPECT_EQ(host.WaitFinished(), IDM_COMM_TIMEOUT);
    EXPECT_EQ(out.counters.recordsReceived, 0u);
    port.ClosePort();

    g_Globals.SelectModel(ModelIndexOf(kModelMirelda));
    SimulatedDevice mirelda(kModelMirelda);
    port.SetDevicePath(mirelda.PortPath());
    ASSERT_TRUE(port.OpenPort());
    port.ArmTransfer(path, ImportIcons);
    out = mirelda.Run(icons, seconds(30));
    EXPECT_EQ(out.kind, OutcomeKind::Completed) << devsim::Summary(out);
    EXPECT_EQ(host.WaitFinished(), IDM_TRANSFER_COMPLETED);
    EXPECT_EQ(mirelda.ReceivedBytes(), ReadFileBytes(path));
    // An import file is made on the way: it never takes a place in the recent files.
    EXPECT_TRUE(host.RecentFiles().empty());
}

}  // namespace
}  // namespace orv::test
