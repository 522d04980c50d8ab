#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>

#include "core/StringTable.h"
#include "media/SoundImport.h"
#include "tests/common/TestSupport.h"
#include "tests/media/MediaTestSupport.h"

namespace orv {
namespace {

using test::ImportRecord;
using test::MessageLog;
using test::ParseImportRecords;
using test::SequenceOf;

constexpr const char* kHeaderLine = "N01DD21\r\n";

std::string Bytes(size_t count) {
    std::string s(count, '\0');
    for (size_t i = 0; i < count; ++i) {
        s[i] = static_cast<char>((i * 31 + i / 256) & 0xFF);
    }
    return s;
}

class SoundImport : public ::testing::Test {
protected:
    // Writes a source of these bytes and imports it; the output's text.
    std::string Import(const std::string& source, bool expectOk = true) {
        test::WriteFileBytes(m_source, source);
        EXPECT_EQ(m_shown.Keep(WriteSoundRecords(m_source.string(), m_output.string())), expectOk);
        return test::ReadFileBytes(m_output);
    }

    MessageLog m_shown;
    test::TempDir m_dir;
    std::filesystem::path m_source = m_dir / "voice.wav";
    std::filesystem::path m_output = m_dir / kSoundImportFileName;
};

TEST_F(SoundImport, EmptySourceGivesTheHeaderOnly) {
    EXPECT_EQ(Import(""), kHeaderLine);
    EXPECT_TRUE(m_shown.Messages().empty());
}

TEST_F(SoundImport, PiecesOf32AreNumbered) {
    const std::string source = Bytes(32) + "\xF5\xF5\xF5";
    const std::string text = Import(source);
    EXPECT_EQ(text.substr(0, 9), kHeaderLine);
    std::vector<ImportRecord> records = ParseImportRecords(text);
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[1].payload.size(), 34u);  // L = 0x22
    EXPECT_EQ(SequenceOf(records[1]), 0);
    EXPECT_EQ(std::string(records[1].payload.begin() + 2, records[1].payload.end()),
              source.substr(0, 32));
    EXPECT_EQ(text.substr(text.size() - 17), "n050001F5F5F51A\r\n");

    const std::string shorter = Import(Bytes(33));
    records = ParseImportRecords(shorter);
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[2].payload.size(), 3u);  // L = 0x03
    EXPECT_EQ(SequenceOf(records[2]), 1);
    EXPECT_TRUE(m_shown.Messages().empty());
}

TEST_F(SoundImport, LimitCutsLongerSourcesAfterAWarning) {
    const std::string full = Import(Bytes(kMaxSoundBytes));
    EXPECT_TRUE(m_shown.Messages().empty());
    std::vector<ImportRecord> records = ParseImportRecords(full);
    ASSERT_EQ(records.size(), 30001u);
    EXPECT_EQ(records.back().payload[0], 0x75);
    EXPECT_EQ(records.back().payload[1], 0x2F);
    EXPECT_EQ(records.back().payload.size(), 34u);

    const std::string cut = Import(Bytes(kMaxSoundBytes + 1));
    EXPECT_EQ(m_shown.Messages(), std::vector<std::string>{LoadString(IDS_SOUND_TOO_BIG)});
    EXPECT_TRUE(cut == full);
}

std::string Le32(uint32_t v) {
    return {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
            static_cast<char>(v >> 24)};
}

// A WAV file as recorders write it: format, an odd-sized chunk with its pad
// byte, then dataBytes of samples (the sizes as a whole file has them).
std::string Wave(uint32_t dataBytes) {
    std::string fmt = "fmt " + Le32(16) + std::string("\x01\x00\x01\x00", 4) + Le32(22050) +
                      Le32(22050) + std::string("\x01\x00\x08\x00", 4);
    std::string list = "LIST" + Le32(5) + std::string("INFOx\0", 6);
    std::string data = "data" + Le32(dataBytes) + Bytes(dataBytes);
    std::string body = "WAVE" + fmt + list + data;
    return "RIFF" + Le32(static_cast<uint32_t>(body.size())) + body;
}

TEST_F(SoundImport, ShortenedWaveSaysHowMuchItHolds) {
    const std::string wave = Wave(1200000);
    const std::string sent = test::SoundOfImportFile(Import(wave));
    EXPECT_EQ(m_shown.Messages(), std::vector<std::string>{LoadString(IDS_SOUND_TOO_BIG)});
    ASSERT_EQ(sent.size(), kMaxSoundBytes);
    const size_t dataSize = wave.find("data") + 4;
    std::string expected = wave.substr(0, kMaxSoundBytes);
    expected.replace(4, 4, Le32(kMaxSoundBytes - 8));
    expected.replace(dataSize, 4, Le32(static_cast<uint32_t>(kMaxSoundBytes - dataSize - 4)));
    EXPECT_TRUE(sent == expected);

    // Only a shortened file is touched: a whole one goes as it is, even when
    // its sizes are wrong, and so does a long file that is no WAV sound.
    std::string lying = Wave(1000);
    lying.replace(dataSize, 4, Le32(5000));
    EXPECT_TRUE(test::SoundOfImportFile(Import(lying)) == lying);
    std::string notWave = wave;
    notWave.replace(8, 4, "AVI ");
    EXPECT_TRUE(test::SoundOfImportFile(Import(notWave)) == notWave.substr(0, kMaxSoundBytes));

    EXPECT_FALSE(SoundLooksLikeWave(m_source.string()));  // the AVI just imported
    test::WriteFileBytes(m_source, lying);
    EXPECT_TRUE(SoundLooksLikeWave(m_source.string()));
    EXPECT_TRUE(SoundLooksLikeWave((m_dir / "missing.wav").string()));
}

TEST_F(SoundImport, SourceThatIsNoFileIsRefusedAtOnceByWhatItIs) {
    // A pipe with no writer would block an open for ever; a folder or a
    // device is no sound. None of them begins an import file.
    std::filesystem::path fifo = m_dir / "pipe.wav";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(m_shown.Keep(WriteSoundRecords(fifo.string(), m_output.string())));
    EXPECT_FALSE(m_shown.Keep(WriteSoundRecords(m_dir.Path().string(), m_output.string())));
    EXPECT_FALSE(m_shown.Keep(WriteSoundRecords("/dev/zero", m_output.string())));
    EXPECT_EQ(m_shown.Messages(),
              (std::vector<std::string>{fifo.string() + " is a named pipe, not a file.",
                                        m_dir.Path().string() + " is a folder, not a file.",
                                        "/dev/zero is a device, not a file."}));
    EXPECT_FALSE(std::filesystem::exists(m_output));
}

TEST_F(SoundImport, FilesThatCannotBeOpenedAreReported) {
    const std::string message = "Error opening \"Sound File to Import.ORV\".";
    EXPECT_FALSE(m_shown.Keep(WriteSoundRecords((m_dir / "none.wav").string(), m_output.string())));
    test::WriteFileBytes(m_source, "RIFF");
    EXPECT_FALSE(
        m_shown.Keep(WriteSoundRecords(m_source.string(), (m_dir / "no" / "out.ORV").string())));
    EXPECT_EQ(m_shown.Messages(), std::vector<std::string>(2, message));
}

TEST_F(SoundImport, FullDiskIsReportedAndLeavesTheEarlierImportFile) {
    test::WriteFileBytes(m_output, kHeaderLine);
    test::WriteFileBytes(m_source, Bytes(4000));
    {
        test::FileSizeLimit full(1000);
        EXPECT_FALSE(m_shown.Keep(WriteSoundRecords(m_source.string(), m_output.string())));
    }
    EXPECT_EQ(m_shown.Messages(),
              std::vector<std::string>{m_output.string() +
                                       " could not be written because the disk is full."});
    EXPECT_EQ(test::ReadFileBytes(m_output), kHeaderLine);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_dir.Path()),
                            std::filesystem::directory_iterator()),
              2);  // the source and the earlier import file, no temporary file
}

TEST_F(SoundImport, CutSoundThatCannotBeWrittenIsToldBothInTurn) {
    test::WriteFileBytes(m_source, Bytes(kMaxSoundBytes + 1));
    {
        test::FileSizeLimit full(1000);
        EXPECT_FALSE(m_shown.Keep(WriteSoundRecords(m_source.string(), m_output.string())));
    }
    EXPECT_EQ(m_shown.Messages(),
              (std::vector<std::string>{
                  LoadString(IDS_SOUND_TOO_BIG),
                  m_output.string() + " could not be written because the disk is full."}));
    EXPECT_FALSE(std::filesystem::exists(m_output));
}

}  // namespace
}  // namespace orv
