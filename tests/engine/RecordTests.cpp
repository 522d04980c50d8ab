#include <gtest/gtest.h>

#include "core/Errors.h"
#include "core/Hex.h"
#include "core/StringTable.h"
#include "engine/Record.h"
#include "tests/common/TestSupport.h"

namespace orv {
namespace {

// Characters from a string; running out is a time-out, as on the line.
class StringSource : public ByteSource {
public:
    explicit StringSource(std::string data) : m_data(std::move(data)) {}
    void ReadChars(char* dest, int count) override {
        for (int i = 0; i < count; ++i) {
            if (m_pos >= m_data.size()) {
                ThrowORVException(IDM_COMM_TIMEOUT);
            }
            dest[i] = m_data[m_pos++];
        }
    }
    size_t Remaining() const { return m_data.size() - m_pos; }

private:
    std::string m_data;
    size_t m_pos = 0;
};

// Builds "letter + hex bytes + checksum" for the given decoded bytes.
std::string WithChecksum(char letter, const std::vector<int>& bytes) {
    std::string s(1, letter);
    uint8_t sum = 0;
    for (int b : bytes) {
        AppendHexByte(s, static_cast<uint8_t>(b));
        sum = static_cast<uint8_t>(sum + b);
    }
    AppendHexByte(s, static_cast<uint8_t>(0xFF - sum));
    return s;
}

struct Received {
    RecordResult result;
    std::string text;
};

Received Receive(const std::string& wire) {
    StringSource src(wire);
    RecordBuffer buf;
    RecordResult r = ReceiveRecord(src, buf);
    return {r, std::string(buf.View())};
}

std::vector<int> Seq(int n, int start = 1) {
    std::vector<int> v;
    for (int i = 0; i < n; ++i) {
        v.push_back((start + i) & 0xFF);
    }
    return v;
}

std::vector<int> Cat(std::vector<int> a, const std::vector<int>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST(ReceiveRecord, EveryLayoutIsReadByItsCountsAndStoredWithCrLf) {
    std::vector<std::string> records;
    for (char letter : {'A', 'B', 'R', 'a', 'b', 'N', 'n', 'U'}) {
        records.push_back(WithChecksum(letter, Cat({3}, Seq(3))));
    }
    records.push_back(WithChecksum('C', Seq(12)));
    records.push_back(WithChecksum('c', Seq(12, 0xF0)));
    for (char letter : {'D', 'I', 'M', 'P', 'd'}) {
        // k = 2: two bytes, then n = 3, then three bytes.
        records.push_back(WithChecksum(letter, Cat(Cat({2, 0xAA, 0xBB, 3}, Seq(3)), {})));
    }
    records.push_back(WithChecksum('D', {0, 0}));               // k = 0 reads one byte as n = 0
    records.push_back(WithChecksum('D', Cat({0, 2}, Seq(2))));  // k = 0, n = 2
    records.push_back(WithChecksum('m', Cat({0x77, 1, 0x10, 1}, {0x20})));
    records.push_back(WithChecksum('K', Seq(256)));
    records.push_back(WithChecksum('k', Seq(256, 7)));
    records.push_back(WithChecksum('X', Cat({0x42, 2}, {0x10, 0x20})));
    records.push_back(WithChecksum('x', Cat({0x42, 0x43, 1}, {0x10})));
    for (const std::string& rec : records) {
        // Trailing characters after the last field are not part of the record.
        Received r = Receive(rec + "\r\nZZ");
        EXPECT_EQ(r.result, RecordResult::Valid) << rec;
        EXPECT_EQ(r.text, rec + "\r\n");
    }
}

TEST(ReceiveRecord, ChecksumMakesTheByteSumFF) {
    EXPECT_EQ(Receive("n00FF").result, RecordResult::Valid);
    EXPECT_EQ(Receive("n00FE").result, RecordResult::Invalid);
    EXPECT_EQ(Receive("n0141BD").result, RecordResult::Valid);
    EXPECT_EQ(Receive("n0141BC").result, RecordResult::Invalid);
}

TEST(ReceiveRecord, LowerCaseHexRaises133) {
    for (const char* wire : {"n0141bd", "n01a1BD", "k0a"}) {
        try {
            Receive(wire);
            ADD_FAILURE() << wire;
        } catch (const CORVException& e) {
            EXPECT_EQ(e.MessageId(), IDM_INVALID_CHARACTER) << wire;
        }
    }
}

TEST(ReceiveRecord, VersionRecordsCarryNoChecksum) {
    EXPECT_EQ(Receive("V300\r\n").text, "V300\r\n");
    EXPECT_EQ(Receive("Vab!").text, "Vab!\r\n");  // three characters, not decoded
    // They are printable: a short version and its line end, or line noise, is
    // no version.
    for (const std::string& wire :
         {std::string("V3\r\n"), std::string("V\x11\x8F\x02"), std::string("V30\0", 4),
          std::string("V\x7F"
                      "00")}) {
        EXPECT_EQ(Receive(wire).result, RecordResult::Invalid) << ::testing::PrintToString(wire);
    }
    EXPECT_EQ(Receive("V \x7E ").result, RecordResult::Valid);
    // A v record holds ASCII letters and digits only, whatever the locale.
    EXPECT_EQ(Receive("v30\xE9\r").text, "v30\r\n");
    // v runs over letters, digits and blanks; the first other character ends
    // it and is consumed without being kept.
    StringSource src("v12 Ab9\rn00FF");
    RecordBuffer buf;
    EXPECT_EQ(ReceiveRecord(src, buf), RecordResult::Valid);
    EXPECT_EQ(buf.View(), "v12 Ab9\r\n");
    EXPECT_EQ(ReceiveRecord(src, buf), RecordResult::Valid);
    EXPECT_EQ(buf.View(), "n00FF\r\n");
}

TEST(ReceiveRecord, EndMarkInAnyCaseAndOtherLettersInvalid) {
    for (const char* wire : {"END", "end", "EnD", "eNd"}) {
        EXPECT_EQ(Receive(wire).result, RecordResult::EndOfTransfer) << wire;
    }
    for (const char* wire : {"EXD", "ENX", "Z00FF", "u0141BD", "T", "0n00FF", "?"}) {
        EXPECT_EQ(Receive(wire).result, RecordResult::Invalid) << wire;
    }
}

TEST(ReceiveRecord, LineEndsBeforeTheLetterAreSkipped) {
    StringSource src("\r\n\n\rn00FF\nn0141BD\n");
    RecordBuffer buf;
    EXPECT_EQ(ReceiveRecord(src, buf), RecordResult::Valid);
    EXPECT_EQ(buf.View(), "n00FF\r\n");
    EXPECT_EQ(ReceiveRecord(src, buf), RecordResult::Valid);
    EXPECT_EQ(buf.View(), "n0141BD\r\n");
    EXPECT_EQ(src.Remaining(), 1u);
}

TEST(ReceiveRecord, RunningOutOfCharactersRaisesTheSourceError) {
    try {
        Receive("n05414243");
        FAIL();
    } catch (const CORVException& e) {
        EXPECT_EQ(e.MessageId(), IDM_COMM_TIMEOUT);
    }
}

TEST(ReceiveRecord, OverLongRecordIsRefusedWithoutOverrunningTheBuffer) {
    test::CapturingReporter reporter;
    // D layout with k = 255 and n = 255: 1027 characters before CR LF.
    std::vector<int> bytes = Cat(Cat({255}, Seq(255)), Cat({255}, Seq(255)));
    Received r = Receive(WithChecksum('D', bytes));
    EXPECT_EQ(r.result, RecordResult::TooLong);
    EXPECT_TRUE(reporter.Messages().empty());  // the device's fault, not the program's

    EXPECT_EQ(Receive("v" + std::string(3000, 'a') + ".").result, RecordResult::TooLong);

    // The largest record that fits: 1022 characters.
    std::vector<int> fits = Cat(Cat({255}, Seq(255)), Cat({250}, Seq(250)));
    std::string rec = WithChecksum('D', fits);
    ASSERT_EQ(rec.size(), 1017u);
    EXPECT_EQ(Receive(rec).result, RecordResult::Valid);
}

TEST(TextRecords, EncodeFollowsTheModelsLineFeedRule) {
    const std::string line = "AB\tC\r\n";
    EXPECT_EQ(EncodeTextRecord(line, 32771), "n06414220430D0006\r\n");
    EXPECT_EQ(EncodeTextRecord(line, 32778), "n06414220430D20E6\r\n");
    EXPECT_EQ(EncodeTextRecord("", 32771), "n00FF\r\n");
    EXPECT_EQ(EncodeTextRecord("A", 32776), "n0141BD\r\n");
    // An encoded record is a valid record.
    std::string hi(239, '\xE9');
    Received r = Receive(EncodeTextRecord(hi, 32776));
    EXPECT_EQ(r.result, RecordResult::Valid);
}

TEST(TextRecords, DecodeDropsZerosAndAddsLineFeedsAfterCr) {
    EXPECT_EQ(DecodeTextRecord("n03410D00FF\r\n"), std::optional<std::string>("A\r\n"));
    EXPECT_EQ(DecodeTextRecord("n00FF\r\n"), std::optional<std::string>(""));
    EXPECT_EQ(DecodeTextRecord("N0141BD\r\n"), std::nullopt);
    EXPECT_EQ(DecodeTextRecord(""), std::nullopt);
    // A record shorter than its count gives what is there.
    EXPECT_EQ(DecodeTextRecord("n0541"), std::optional<std::string>("A"));
    // Round trip through the encoder for every byte but the ones the encoder changes.
    std::string all;
    for (int b = 1; b < 256; ++b) {
        if (b != 0x09 && b != 0x0A && b != 0x0D) {
            all += static_cast<char>(b);
        }
    }
    EXPECT_EQ(DecodeTextRecord(EncodeTextRecord(all.substr(0, 200), 32771)), all.substr(0, 200));
}

TEST(TextRecords, FixedRecordsAreValidRecords) {
    EXPECT_EQ(Receive(std::string(kTextHeaderRecord)).result, RecordResult::Valid);
    EXPECT_EQ(Receive(std::string(kEmptyTextRecord)).result, RecordResult::Valid);
}

TEST(EndMark, DependsOnModelAndVersion) {
    EXPECT_EQ(EndMarkFor(32771, 300), "END");
    EXPECT_EQ(EndMarkFor(32776, 250), "END");
    EXPECT_EQ(EndMarkFor(32776, 300), "end");
    EXPECT_EQ(EndMarkFor(32776, 301), "end");
    for (uint32_t id : {32778u, 32779u, 32780u}) {
        EXPECT_EQ(EndMarkFor(id, 0), "end");
    }
    for (uint32_t id : {32772u, 32773u, 32774u, 32775u, 32777u}) {
        EXPECT_EQ(EndMarkFor(id, 999), "END");
    }
}

}  // namespace
}  // namespace orv
