// The device's own record code: builders, the record check, sample memories, files.
#include <gtest/gtest.h>

#include <set>
#include <stdexcept>
#include <vector>

#include "devsim/DeviceRecords.h"
#include "devsim/SampleMemory.h"
#include "tests/common/TestSupport.h"

namespace orv::devsim {
namespace {

using Bytes = std::vector<uint8_t>;

TEST(DeviceRecords, BuildersMatchKnownRecords) {
    EXPECT_EQ(TextRecord(""), "n00FF");
    EXPECT_EQ(TextRecord("A"), "n0141BD");
    EXPECT_EQ(CountedRecord('N', Bytes{0xDD}), "N01DD21");
    // Split layout with k = 0: the count, then n, then n bytes.
    EXPECT_EQ(SplitRecord('D', Bytes{}, Bytes{0x41}), "D000141BD");
    EXPECT_EQ(PrefixedRecord(0x10, Bytes{0x01}), "X100101ED");
    EXPECT_EQ(DoublePrefixedRecord(0x01, 0x02, Bytes{}), "x010200FC");
    EXPECT_EQ(PrefixedSplitRecord(0x01, Bytes{0x02}, Bytes{}), "m01010200FB");
    EXPECT_EQ(VersionRecord("300"), "V300");
}

TEST(DeviceRecords, EveryLayoutPassesTheCheckAndCorruptionIsCaught) {
    const Bytes twelve(12, 0xA5);
    const Bytes page(256, 0x3C);
    const std::vector<std::string> records = {
        CountedRecord('A', Bytes{1, 2, 3}),
        CountedRecord('U', Bytes{}),
        BlockRecord('c', twelve),
        BlockRecord('K', page),
        SplitRecord('P', Bytes{9, 8}, Bytes{7, 6, 5}),
        PrefixedSplitRecord(0xFE, Bytes{1}, Bytes{2, 3}),
        PrefixedRecord(0x7F, Bytes{0xFF, 0xFF}),
        DoublePrefixedRecord(0xAB, 0xCD, Bytes{0xEF}),
    };
    for (const std::string& r : records) {
        SCOPED_TRACE(r);
        EXPECT_EQ(CheckRecord(r + "\r\n"), RecordStatus::Valid);
        EXPECT_EQ(CheckRecord(r + "\n"), RecordStatus::Valid);
        EXPECT_EQ(CheckRecord(WithBadChecksum(r)), RecordStatus::BadChecksum);
        // Dropping a byte before the checksum breaks the layout, not only the sum.
        std::string shorter = r;
        shorter.erase(shorter.size() - 4, 2);
        EXPECT_EQ(CheckRecord(shorter), RecordStatus::BadLayout);
    }
    EXPECT_EQ(CheckRecord(WithLowerCaseHex(BlockRecord('c', twelve))), RecordStatus::BadHex);
    EXPECT_EQ(CheckRecord("n00FE"), RecordStatus::BadChecksum);
    EXPECT_EQ(CheckRecord("n00F"), RecordStatus::BadHex);
    EXPECT_EQ(CheckRecord("n00FG"), RecordStatus::BadHex);
    EXPECT_EQ(CheckRecord("\r\n"), RecordStatus::NotARecord);
    EXPECT_EQ(CheckRecord("1234"), RecordStatus::NotARecord);
    EXPECT_EQ(CheckRecord("V300\r\n"), RecordStatus::Unchecked);
    EXPECT_EQ(CheckRecord("V30\r\n"), RecordStatus::BadLayout);
    EXPECT_EQ(CheckRecord("v12 AB\r\n"), RecordStatus::Unchecked);
    EXPECT_EQ(CheckRecord("v12-AB"), RecordStatus::BadLayout);
    // A letter of unknown layout is judged by its checksum alone.
    EXPECT_EQ(CheckRecord("Q01FE"), RecordStatus::Valid);
    EXPECT_EQ(WithBadChecksum("V300"), "V300");
}

TEST(DeviceRecords, BuildersRefuseWhatDoesNotFit) {
    EXPECT_THROW(CountedRecord('C', Bytes{}), std::invalid_argument);
    EXPECT_THROW(CountedRecord('A', Bytes(256, 0)), std::invalid_argument);
    EXPECT_THROW(BlockRecord('C', Bytes(11, 0)), std::invalid_argument);
    EXPECT_THROW(BlockRecord('K', Bytes(12, 0)), std::invalid_argument);
    EXPECT_THROW(SplitRecord('A', Bytes{}, Bytes{}), std::invalid_argument);
    EXPECT_THROW(VersionRecord("30"), std::invalid_argument);
    EXPECT_THROW(LongVersionRecord("3.0"), std::invalid_argument);
}

TEST(DeviceRecords, VersionAndEndMarkFollowTheRecords) {
    EXPECT_EQ(VersionOf({}), 300);
    EXPECT_EQ(VersionOf({"V250", "n00FF"}), 250);
    EXPECT_EQ(VersionOf({"n00FF", "v120 A\r\n"}), 120);
    EXPECT_EQ(ModelEndMark(32776, 250), "END");
    EXPECT_EQ(ModelEndMark(32776, 300), "end");
    EXPECT_EQ(ModelEndMark(32771, 400), "END");
    EXPECT_EQ(ModelEndMark(32780, 100), "end");
}

TEST(DeviceRecords, ReadableTextSkipsHeadersAndSurvivesBrokenRecords) {
    std::size_t lines = 99;
    EXPECT_EQ(ReadableText({std::string(kTextHeader), TextRecord("Hi\r"), TextRecord("A\r\n"),
                            TextRecord(std::string("B\0C", 3)), std::string(kTextEnd)},
                           &lines),
              "Hi\nA\nBC");
    EXPECT_EQ(lines, 3u);
    // A count beyond the record, a digit that is not hex, a lone letter.
    EXPECT_EQ(ReadableText({"n054142", "n024G42FF", "n", "n0"}, &lines), "AB");
    EXPECT_EQ(lines, 2u);
    EXPECT_EQ(ReadableText(MakeSampleText(12)).size(),
              ReadableText(MakeSampleText(12)).find_last_of('\n') + 1);
}

TEST(SampleMemory, IsDeterministicValidAndVaried) {
    const MemoryImage a = MakeSampleMemory(32776, 300, 7);
    EXPECT_EQ(a, MakeSampleMemory(32776, 300, 7));
    EXPECT_NE(a, MakeSampleMemory(32776, 300, 8));
    EXPECT_NE(a, MakeSampleMemory(32771, 300, 7));
    ASSERT_EQ(a.size(), 300u);
    EXPECT_EQ(a.front(), "V" + std::to_string(ModelVersion(32776)));
    std::set<char> letters;
    for (const std::string& r : a) {
        EXPECT_TRUE(IsGood(CheckRecord(r))) << r;
        letters.insert(r[0]);
    }
    for (char layout : std::string("ACDKXmnx")) {
        EXPECT_TRUE(letters.count(layout) || letters.count(static_cast<char>(layout ^ 0x20)))
            << layout;
    }
    EXPECT_TRUE(MakeSampleMemory(32771, 0).empty());

    const MemoryImage text = MakeSampleText(5);
    ASSERT_EQ(text.size(), 7u);
    EXPECT_EQ(text.front(), kTextHeader);
    EXPECT_EQ(text.back(), kTextEnd);
    for (const std::string& r : text) {
        EXPECT_EQ(CheckRecord(r), RecordStatus::Valid) << r;
    }
}

TEST(MemoryFiles, RoundTripAndLineEnds) {
    orv::test::TempDir dir;
    const MemoryImage image = MakeSampleMemory(32771, 40);
    WriteMemoryFile(dir / "MEM.ORV", image);
    const std::string bytes = orv::test::ReadFileBytes(dir / "MEM.ORV");
    EXPECT_EQ(bytes.substr(0, 6), image[0] + "\r\n");
    EXPECT_EQ(ReadMemoryFile(dir / "MEM.ORV"), image);

    // LF-only lines and a continuation marker without a line end.
    orv::test::WriteFileBytes(dir / "LF.ORV", "V300\nn00FF\r\nT");
    EXPECT_EQ(ReadMemoryFile(dir / "LF.ORV"), (MemoryImage{"V300", "n00FF", "T"}));

    EXPECT_THROW(ReadMemoryFile(dir / "missing.ORV"), std::runtime_error);
    EXPECT_THROW(WriteMemoryFile(dir / "no" / "such" / "x.ORV", image), std::runtime_error);
    // A failed write leaves no stray temporary file behind.
    int entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.Path())) {
        ++entries;
    }
    EXPECT_EQ(entries, 2);
}

}  // namespace
}  // namespace orv::devsim
