#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <filesystem>

#include "core/StringTable.h"
#include "overlay/OverlayFile.h"
#include "tests/common/TestSupport.h"
#include "tests/overlay/OverlayTestSupport.h"

namespace orv {
namespace {

using test::FileSizeLimit;
using test::OverlayFileBytes;
using test::ReadFileBytes;
using test::SampleCells;
using test::SetCellText;
using test::WriteFileBytes;

std::string BadFileMessage(const std::string& name) {
    return "The file " + name +
           " is not a valid Pelliro keyboard emulation overlay file.\nPlease select another file.";
}

std::string Record(const std::string& bytes, int k) {
    return bytes.substr(static_cast<size_t>(k) * OverlayRecordSize, OverlayRecordSize);
}

class OverlayFileTest : public ::testing::Test {
protected:
    // Writes cells to a new file of that name through the writer.
    std::string Save(const OverlayCells& cells, const std::string& name = "keys.orv") {
        std::string path = (m_dir / name).string();
        WriteFileBytes(path, "");
        EXPECT_TRUE(WriteFile(path, cells).Ok());
        return path;
    }

    // Reads a file with these bytes into cells.
    OverlayFileResult Read(const std::string& bytes, OverlayCells& cells,
                           const std::string& name = "keys.orv") {
        std::string path = (m_dir / name).string();
        WriteFileBytes(path, bytes);
        return ReadFile(path, cells);
    }

    // The reader and the writer, keeping the messages they hand back in the
    // order the document would show them.
    OverlayFileResult ReadFile(const std::string& path, OverlayCells& cells) {
        return Keep(ReadOverlayFile(path, cells));
    }
    OverlayFileResult WriteFile(const std::string& path, const OverlayCells& cells) {
        return Keep(WriteOverlayFile(path, cells));
    }
    OverlayFileResult Keep(OverlayFileResult result) {
        for (const std::string& text : result.Texts()) {
            m_messages.push_back(text);
        }
        EXPECT_EQ(result.Ok(), result.Messages().empty());
        return result;
    }

    // They show nothing themselves.
    void TearDown() override { EXPECT_TRUE(m_reporter.Messages().empty()); }

    test::TempDir m_dir;
    test::CapturingReporter m_reporter;
    std::vector<std::string> m_messages;
};

TEST_F(OverlayFileTest, WriterProducesTheExactRecords) {
    OverlayCells cells;
    SetCellText(cells, 0, "abc");
    std::string bytes = ReadFileBytes(Save(cells));

    ASSERT_EQ(bytes.size(), 4448u);
    EXPECT_EQ(Record(bytes, 0), "N42078003616263" + std::string(120, '0') + "0D\r\n");
    EXPECT_EQ(Record(bytes, 1), "N4207810000" + std::string(124, '0') + "35\r\n");
    EXPECT_EQ(Record(bytes, 8), "N4207900000" + std::string(124, '0') + "26\r\n");
    EXPECT_EQ(Record(bytes, 31), "N4207B700" + std::string(126, '0') + "FF\r\n");
    EXPECT_TRUE(m_messages.empty());

    cells.Clear();
    EXPECT_EQ(FormatOverlayRecord(cells, 0), "N42078000" + std::string(126, '0') + "36\r\n");
    // Bytes after a zero (a damaged file's length byte can leave them) are no
    // text: zeros are written in their place.
    cells.Cell(0)[1] = 'x';
    EXPECT_EQ(FormatOverlayRecord(cells, 0), "N42078000" + std::string(126, '0') + "36\r\n");
}

TEST_F(OverlayFileTest, FullCellIsWrittenWithoutZerosAndReadsBack) {
    OverlayCells cells;
    std::string full;
    for (int i = 0; i < OverlayCellSize; ++i) {
        full += static_cast<char>(0xC1 + i);
    }
    SetCellText(cells, 12, full);
    std::string record = FormatOverlayRecord(cells, 12);
    EXPECT_EQ(record.substr(0, 9), "N4207943F");
    EXPECT_EQ(record.substr(9, 6), "C1C2C3");
    EXPECT_EQ(record.find("00", 9), std::string::npos);

    OverlayCells back;
    ASSERT_TRUE(ReadFile(Save(cells), back).Ok());
    EXPECT_EQ(back.Text(12), full);
    EXPECT_EQ(back, cells);
}

TEST_F(OverlayFileTest, RoundTripKeepsEveryCellAndByteValue) {
    OverlayCells cells = SampleCells();
    // Every byte value 1-255 somewhere, CR and control characters included.
    for (int b = 1; b < 256; ++b) {
        cells.Cell((b - 1) % OverlayCellCount)[4 + (b - 1) / OverlayCellCount] =
            static_cast<uint8_t>(b);
    }
    OverlayCells back;
    SetCellText(back, 5, "stale");
    OverlayFileResult result = ReadFile(Save(cells, "all bytes.orv"), back);
    EXPECT_TRUE(result.Ok());
    EXPECT_EQ(result.fileName, "all bytes.orv");
    EXPECT_EQ(back, cells);
    EXPECT_TRUE(m_messages.empty());
}

TEST_F(OverlayFileTest, ReaderTakesAtMostLengthBytesAndAtMost63) {
    std::string bytes = OverlayFileBytes(SampleCells());
    std::string data;
    for (int i = 0; i < OverlayCellSize; ++i) {
        data += "41";
    }
    // Length FF: all 63 bytes; length 02 over "AAAA...": only two of them.
    bytes.replace(7, 128, "FF" + data);
    bytes.replace(OverlayRecordSize + 7, 128, "02" + data);

    OverlayCells cells;
    ASSERT_TRUE(Read(bytes, cells).Ok());
    EXPECT_EQ(cells.Text(0), std::string(63, 'A'));
    EXPECT_EQ(cells.Text(1), "AA");
    EXPECT_EQ(cells.Cell(1)[2], 0);
    EXPECT_EQ(cells.Text(2), SampleCells().Text(2));
}

TEST_F(OverlayFileTest, ReaderIgnoresCountChecksumLineEndAndAddressBitsItDoesNotUse) {
    OverlayCells sample = SampleCells();
    std::string bytes = OverlayFileBytes(sample);
    for (int k = 0; k < OverlayCellCount; ++k) {
        size_t start = static_cast<size_t>(k) * OverlayRecordSize;
        bytes.replace(start + kOverlayChecksumOffset, 2, k % 2 ? "zz" : "00");
    }
    bytes.replace(1, 3, "x?0");                         // count and first type digit
    bytes.replace(OverlayRecordSize - 2, 2, "..");      // line end of A1
    bytes.replace(OverlayRecordSize + 5, 2, "41");      // 0x41 also names cell 1 (B1)
    bytes.replace(2 * OverlayRecordSize + 5, 2, "C2");  // and 0xC2 cell 2

    OverlayCells cells;
    EXPECT_TRUE(Read(bytes, cells).Ok());
    EXPECT_EQ(cells, sample);
    EXPECT_TRUE(m_messages.empty());
}

TEST_F(OverlayFileTest, RejectedRecordsGiveMessage132AndKeepWhatWasDecoded) {
    OverlayCells sample = SampleCells();
    SetCellText(sample, 1, "abcd");
    const std::string good = OverlayFileBytes(sample);
    const size_t second = OverlayRecordSize;

    struct Case {
        const char* what;
        size_t offset;
        std::string replacement;
        int cellsKept;  // cells read completely before the bad record
    };
    const Case cases[] = {
        {"lower-case digit in the text", second + 13, "6a", 1},
        {"lower-case digit in the address", second + 5, "8b", 1},
        {"letter other than N", second, "n", 1},
        {"type not ending in 7", second + 4, "6", 1},
        {"records swapped", 0, Record(good, 1) + Record(good, 0), 0},
        {"blank instead of a digit", 9, " 1", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string bytes = good;
        bytes.replace(c.offset, c.replacement.size(), c.replacement);
        OverlayCells cells;
        SetCellText(cells, 31, "stale");
        m_messages.clear();

        OverlayFileResult result = Read(bytes, cells, "bad keys.orv");
        EXPECT_FALSE(result.Ok());
        EXPECT_EQ(m_messages, std::vector<std::string>{BadFileMessage("bad keys.orv")});
        for (int k = 0; k < c.cellsKept; ++k) {
            EXPECT_EQ(cells.Text(k), sample.Text(k));
        }
        for (int k = c.cellsKept + 1; k < OverlayCellCount; ++k) {
            EXPECT_EQ(cells.TextLength(k), 0) << CellLabel(k);
        }
    }

    // The bytes of the failing cell stored before the bad digit stay.
    std::string bytes = good;
    bytes.replace(second + 13, 2, "6a");
    OverlayCells cells;
    Read(bytes, cells);
    EXPECT_EQ(cells.Text(1), "ab");
}

TEST_F(OverlayFileTest, FileSizeDecidesBetweenShortAndTrailingBytes) {
    std::string bytes = OverlayFileBytes(SampleCells());
    OverlayCells cells;
    EXPECT_FALSE(Read(bytes.substr(0, 4447), cells, "short.orv").Ok());
    EXPECT_EQ(m_messages, std::vector<std::string>{BadFileMessage("short.orv")});
    EXPECT_EQ(cells.Text(30), SampleCells().Text(30));

    m_messages.clear();
    EXPECT_FALSE(Read("", cells, "empty.orv").Ok());
    EXPECT_EQ(m_messages, std::vector<std::string>{BadFileMessage("empty.orv")});

    m_messages.clear();
    EXPECT_TRUE(Read(bytes, cells).Ok());
    EXPECT_TRUE(Read(bytes + "anything\r\nat all", cells).Ok());
    EXPECT_EQ(cells, SampleCells());
    EXPECT_TRUE(m_messages.empty());
}

TEST_F(OverlayFileTest, FilesThatCannotBeOpenedLeaveCellsAloneAndReportTheCause) {
    OverlayCells cells = SampleCells();
    std::string missing = (m_dir / "missing.orv").string();

    EXPECT_FALSE(ReadFile(missing, cells).Ok());
    EXPECT_FALSE(WriteFile(missing, cells).Ok());
    EXPECT_FALSE(std::filesystem::exists(missing));
    EXPECT_EQ(m_messages,
              (std::vector<std::string>{missing + " was not found.", missing + " was not found."}));

    m_messages.clear();
    std::string folder = m_dir.Path().string();
    EXPECT_FALSE(ReadFile(folder, cells).Ok());
    EXPECT_FALSE(WriteFile(folder, cells).Ok());
    // Told as what it is, not as a refusal.
    EXPECT_EQ(m_messages, (std::vector<std::string>{folder + " is a folder, not a file.",
                                                    folder + " is a folder, not a file."}));
    EXPECT_EQ(cells, SampleCells());
}

TEST_F(OverlayFileTest, WriterKeepsBytesAfterTheLastRecord) {
    std::string path = (m_dir / "long.orv").string();
    std::string tail = "kept after the overlay\r\n";
    WriteFileBytes(path, std::string(5000, 'x') + tail);

    ASSERT_TRUE(WriteFile(path, SampleCells()).Ok());
    std::string bytes = ReadFileBytes(path);
    EXPECT_EQ(bytes.substr(0, 4448), OverlayFileBytes(SampleCells()));
    EXPECT_EQ(bytes.substr(4448), std::string(5000 - 4448, 'x') + tail);
}

TEST_F(OverlayFileTest, LocksKeepOtherWritersOut) {
    std::string path = Save(SampleCells());
    int other = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(other, 0);
    std::string busy = path + " could not be accessed because it is in use by another program.";

    // Someone reading: reading too is fine, writing is not.
    ASSERT_EQ(::flock(other, LOCK_SH), 0);
    OverlayCells cells;
    EXPECT_TRUE(ReadFile(path, cells).Ok());
    EXPECT_FALSE(WriteFile(path, cells).Ok());
    EXPECT_EQ(m_messages, std::vector<std::string>{busy});

    // Someone writing: no reading either.
    m_messages.clear();
    ASSERT_EQ(::flock(other, LOCK_EX), 0);
    EXPECT_FALSE(ReadFile(path, cells).Ok());
    EXPECT_EQ(m_messages, std::vector<std::string>{busy});
    ::close(other);

    // Locks end with the operations that took them.
    m_messages.clear();
    EXPECT_TRUE(WriteFile(path, cells).Ok());
    EXPECT_TRUE(ReadFile(path, cells).Ok());
    EXPECT_TRUE(m_messages.empty());
}

TEST_F(OverlayFileTest, FailedWriteIsReportedAndLeavesTheEarlierFile) {
    std::string path = (m_dir / "full.orv").string();
    OverlayCells earlier;
    SetCellText(earlier, 3, "old text");
    WriteFileBytes(path, OverlayFileBytes(earlier));
    const size_t limit = 5 * OverlayRecordSize + 50;  // the sixth record is cut short
    bool ok;
    {
        FileSizeLimit sizeLimit(limit);
        ok = WriteFile(path, SampleCells()).Ok();
    }
    EXPECT_FALSE(ok);
    EXPECT_EQ(m_messages,
              std::vector<std::string>{path + " could not be written because the disk is full."});
    EXPECT_EQ(ReadFileBytes(path), OverlayFileBytes(earlier));
    // Nothing else is left in the folder.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_dir.Path()),
                            std::filesystem::directory_iterator()),
              1);
}

}  // namespace
}  // namespace orv
