#include <gtest/gtest.h>

#include <set>

#include "overlay/CellText.h"
#include "tests/common/TestSupport.h"
#include "tests/overlay/OverlayTestSupport.h"

namespace orv {
namespace {

using test::SetCellText;

std::string StoredBytes(std::u32string_view text, CellTextStatus expected = CellTextStatus::Ok) {
    OverlayCells cells;
    EXPECT_EQ(EditorTextToCell(text, cells.Cell(0)).status, expected);
    return cells.Text(0);
}

TEST(CellTextTest, EveryByteValueRoundTripsAsOneCharacter) {
    std::set<char32_t> seen;
    for (int b = 1; b < 256; ++b) {
        SCOPED_TRACE(b);
        OverlayCells cells;
        SetCellText(cells, 0, std::string{'<', static_cast<char>(b), '>'});
        std::u32string text = CellToEditorText(cells.Cell(0));
        ASSERT_EQ(text.size(), 3u);
        EXPECT_TRUE(seen.insert(text[1]).second) << "two bytes show as one character";
        EXPECT_EQ(StoredBytes(text), cells.Text(0));
        EXPECT_EQ(CellByteForChar(CharForCellByte(static_cast<uint8_t>(b))), b);
    }
    EXPECT_EQ(CharForCellByte('A'), U'A');
    EXPECT_EQ(CharForCellByte(0xE9), U'\u00E9');
    EXPECT_EQ(CharForCellByte(0x0D), U'\n');
    EXPECT_EQ(CharForCellByte(0x0A), U'\u240A');
}

TEST(CellTextTest, TextEndsAtTheFirstZeroByte) {
    OverlayCells cells;
    SetCellText(cells, 0, std::string("ab\0cd", 5));
    EXPECT_EQ(CellToEditorText(cells.Cell(0)), U"ab");
}

TEST(CellTextTest, EveryFormOfLineBreakIsOneCr) {
    EXPECT_EQ(StoredBytes(U"ab\nc"), "ab\rc");
    EXPECT_EQ(StoredBytes(U"ab\r\nc"), "ab\rc");
    EXPECT_EQ(StoredBytes(U"ab\rc"), "ab\rc");
    EXPECT_EQ(StoredBytes(U"ab\u2029c\u2028"), "ab\rc\r");
    EXPECT_EQ(StoredBytes(U"\r\r\n\n"), "\r\r\r");
    EXPECT_EQ(StoredBytes(U"a\u240Ab"), "a\nb");
}

TEST(CellTextTest, SixtyThreeBytesFitAndALineBreakCountsOnce) {
    std::u32string full(63, U'x');
    EXPECT_EQ(StoredBytes(full), std::string(63, 'x'));

    std::u32string withBreak(61, U'x');
    withBreak += U"\r\ny";
    EXPECT_EQ(StoredBytes(withBreak).size(), 63u);

    OverlayCells cells;
    CellTextResult result = EditorTextToCell(full + U"yz", cells.Cell(0));
    EXPECT_EQ(result.status, CellTextStatus::TooLong);
    EXPECT_EQ(result.position, 63u);
    EXPECT_EQ(cells.Text(0), std::string(63, 'x'));

    EXPECT_EQ(CellTextOutcome(result).Texts(),
              std::vector<std::string>{"Please enter no more than 63 characters."});
}

TEST(CellTextTest, CharactersWithoutASingleByteFormAreRefusedNotChanged) {
    OverlayCells cells;
    SetCellText(cells, 0, "before");
    for (char32_t refused : {U'\u20AC', U'\u0100', U'\U0001F600', U'\0'}) {
        SCOPED_TRACE(static_cast<unsigned>(refused));
        std::u32string text = U"ab";
        text += refused;
        CellTextResult result = EditorTextToCell(text, cells.Cell(0));
        EXPECT_EQ(result.status, CellTextStatus::UnstorableCharacter);
        EXPECT_EQ(result.character, refused);
        EXPECT_EQ(result.position, 2u);
        EXPECT_EQ(cells.Text(0), "before");
        EXPECT_FALSE(CellByteForChar(refused));
    }

    std::vector<std::string> messages =
        CellTextOutcome({CellTextStatus::UnstorableCharacter, U'\u20AC', 2}).Texts();
    std::vector<std::string> zero =
        CellTextOutcome({CellTextStatus::UnstorableCharacter, U'\0', 0}).Texts();
    messages.insert(messages.end(), zero.begin(), zero.end());
    EXPECT_TRUE(CellTextOutcome({}).Ok());
    EXPECT_TRUE(CellTextOutcome({}).Messages().empty());
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0],
              "The character \"\u20AC\" (U+20AC) cannot be stored in a keyboard emulation cell, "
              "which holds single-byte characters only.");
    EXPECT_NE(messages[1].find("U+0000"), std::string::npos);
    EXPECT_EQ(messages[1].find('\0'), std::string::npos);
}

}  // namespace
}  // namespace orv
