#include "overlay/OverlayReport.h"

#include <array>
#include <cstdio>

#include "core/StringTable.h"
#include "overlay/OverlayFile.h"
#include "overlay/OverlayStrings.h"

namespace orv {

namespace {

constexpr int kLineEndOffset = kOverlayChecksumOffset + 2;  // 137

std::string Hex2(uint8_t value) {
    char text[3];
    std::snprintf(text, sizeof text, "%02X", value);
    return text;
}

std::string Quoted(std::string_view bytes) {
    return "\"" + VisibleText(bytes) + "\"";
}

std::string FieldAt(std::string_view record, int offset, int length) {
    return std::string(record.substr(static_cast<size_t>(offset), static_cast<size_t>(length)));
}

// Why the reader rejects the record.
std::string FaultText(std::string_view record, const OverlayRecordCheck& check) {
    switch (check.fault) {
        case OverlayRecordFault::Short:
            return FormatString(IDS_OVERLAY_RECORD_CUT, std::to_string(check.offset));
        case OverlayRecordFault::NotN:
            return LoadString(IDS_OVERLAY_NOT_N);
        case OverlayRecordFault::NotType7:
            return LoadString(IDS_OVERLAY_NOT_TYPE_7);
        case OverlayRecordFault::BadDigit:
            return FormatString(IDS_OVERLAY_BAD_DIGIT, Quoted(FieldAt(record, check.offset, 1)),
                                std::to_string(check.offset));
        case OverlayRecordFault::WrongAddress:
            return FormatString(IDS_OVERLAY_WRONG_ADDRESS, Hex2(check.address),
                                CellLabel(CellIndexFromAddress(check.address)));
        case OverlayRecordFault::None:
            break;
    }
    return {};
}

// What is wrong with an accepted record in the parts the reader passes over.
std::vector<std::string> UnreadFieldProblems(std::string_view record,
                                             const OverlayRecordCheck& check, int textLength) {
    std::vector<std::string> problems;
    if (FieldAt(record, 1, 2) != "42") {
        problems.push_back(FormatString(IDS_OVERLAY_BAD_COUNT, Quoted(FieldAt(record, 1, 2))));
    }
    if (FieldAt(record, 3, 2) != "07") {
        problems.push_back(FormatString(IDS_OVERLAY_BAD_TYPE, Quoted(FieldAt(record, 3, 2))));
    }

    // Every pair from the count to the checksum adds up to 0xFF in a good record.
    std::array<uint8_t, OverlayCellSize> data{};
    for (int i = 0; i < OverlayCellSize; ++i) {
        data[static_cast<size_t>(i)] =
            OverlayHexByte(record, kOverlayDataOffset + 2 * i).value_or(0);
    }
    std::optional<uint8_t> stored = OverlayHexByte(record, kOverlayChecksumOffset);
    if (!stored) {
        problems.push_back(FormatString(IDS_OVERLAY_CHECKSUM_NOT_HEX,
                                        Quoted(FieldAt(record, kOverlayChecksumOffset, 2))));
    } else {
        std::optional<uint8_t> count = OverlayHexByte(record, 1);
        std::optional<uint8_t> type = OverlayHexByte(record, 3);
        if (count && type) {
            unsigned sum = *count + *type + check.address + check.length;
            for (uint8_t b : data) {
                sum += b;
            }
            auto expected = static_cast<uint8_t>(0xFF - (sum & 0xFF));
            if (*stored != expected) {
                problems.push_back(
                    FormatString(IDS_OVERLAY_BAD_CHECKSUM, Hex2(*stored), Hex2(expected)));
            }
        }
    }

    if (FieldAt(record, kLineEndOffset, 2) != "\r\n") {
        problems.push_back(LoadString(IDS_OVERLAY_NO_LINE_END));
    }

    if (check.length > OverlayCellSize) {
        problems.push_back(FormatString(IDS_OVERLAY_LENGTH_OVER_63, std::to_string(check.length)));
    } else if (check.length != textLength) {
        problems.push_back(FormatString(IDS_OVERLAY_LENGTH_MISMATCH, std::to_string(check.length),
                                        std::to_string(textLength)));
    } else {
        for (size_t i = static_cast<size_t>(textLength); i < data.size(); ++i) {
            if (data[i] != 0) {
                problems.push_back(LoadString(IDS_OVERLAY_BYTES_AFTER_TEXT));
                break;
            }
        }
    }
    return problems;
}

}  // namespace

bool LooksLikeOverlayFile(std::string_view bytes) {
    return bytes.size() >= static_cast<size_t>(OverlayRecordSize) && bytes.starts_with("N4207") &&
           bytes.substr(kLineEndOffset, 2) == "\r\n";
}

OverlayFileReport DescribeOverlayFile(std::string_view bytes) {
    OverlayFileReport report;
    report.size = bytes.size();
    auto reject = [&report](int k) {
        if (report.firstRejectedRecord == 0) {
            report.firstRejectedRecord = k + 1;
        }
    };

    // Unlike the reader, go on after a rejected record so that every bad
    // record is named.
    OverlayCells cells;
    for (int k = 0; k < OverlayCellCount; ++k) {
        size_t start = static_cast<size_t>(k) * OverlayRecordSize;
        std::string prefix =
            FormatString(IDS_OVERLAY_RECORD_PREFIX, std::to_string(k + 1), CellLabel(k));
        if (start >= bytes.size()) {
            report.problems.push_back(prefix + LoadString(IDS_OVERLAY_RECORDS_MISSING));
            reject(k);
            break;
        }
        std::string_view record = bytes.substr(start, OverlayRecordSize);
        OverlayRecordCheck check = DecodeOverlayRecord(record, k, cells.Cell(k));
        if (!check.Accepted()) {
            report.problems.push_back(prefix + FaultText(record, check));
            reject(k);
            if (check.fault == OverlayRecordFault::Short) {
                break;
            }
            continue;
        }
        report.cells.push_back(CellLabel(k) + " " + Quoted(cells.Text(k)));
        for (const std::string& problem : UnreadFieldProblems(record, check, cells.TextLength(k))) {
            report.problems.push_back(prefix + problem);
        }
    }
    report.readable = report.firstRejectedRecord == 0;
    if (bytes.size() > static_cast<size_t>(OverlayFileSize)) {
        report.notes.push_back(FormatString(IDS_OVERLAY_TRAILING_BYTES,
                                            std::to_string(bytes.size() - OverlayFileSize)));
    }
    return report;
}

std::string OverlayFileReport::ToText() const {
    std::string text = FormatString(IDS_OVERLAY_FILE_SIZE, std::to_string(size)) + "\n";
    for (const auto* lines : {&cells, &notes, &problems}) {
        for (const std::string& line : *lines) {
            text += line + "\n";
        }
    }
    if (!readable) {
        text += FormatString(IDS_OVERLAY_UNREADABLE, std::to_string(firstRejectedRecord)) + "\n";
    }
    return text;
}

std::string VisibleText(std::string_view bytes) {
    std::string out;
    for (char ch : bytes) {
        auto b = static_cast<unsigned char>(ch);
        switch (b) {
            case '\r':
                out += "\\r";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '"':
                out += "\\\"";
                break;
            default:
                if (b >= 0x20 && b < 0x7F) {
                    out += ch;
                } else {
                    out += "\\x" + Hex2(b);
                }
        }
    }
    return out;
}

}  // namespace orv
