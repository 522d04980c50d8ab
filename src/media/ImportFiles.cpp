#include "media/ImportFiles.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <optional>

#include "core/Errors.h"
#include "core/Hex.h"
#include "core/StringTable.h"

namespace orv {

void AppendImportRecord(std::string& out, char letter, std::span<const uint8_t> payload) {
    if (!ORV_CHECK(payload.size() <= 255)) {
        payload = payload.first(255);
    }
    out += letter;
    uint8_t sum = static_cast<uint8_t>(payload.size());
    AppendHexByte(out, sum);
    for (uint8_t b : payload) {
        AppendHexByte(out, b);
        sum = static_cast<uint8_t>(sum + b);
    }
    AppendHexByte(out, static_cast<uint8_t>(0xFF - sum));
    out += "\r\n";
}

void AppendDataRecord(std::string& out, uint16_t sequence, std::span<const uint8_t> piece) {
    uint8_t payload[2 + 253];
    if (!ORV_CHECK(piece.size() <= sizeof payload - 2)) {
        piece = piece.first(sizeof payload - 2);
    }
    payload[0] = static_cast<uint8_t>(sequence >> 8);
    payload[1] = static_cast<uint8_t>(sequence & 0xFF);
    std::copy(piece.begin(), piece.end(), payload + 2);
    AppendImportRecord(out, 'n', std::span<const uint8_t>(payload, 2 + piece.size()));
}

Outcome WriteImportFile(const std::string& path, int openErrorId,
                        const std::function<void(FileReplacement&)>& write) {
    Outcome outcome;
    std::optional<FileReplacement> file;
    try {
        file.emplace(path);
    } catch (const FileError&) {
        outcome.Fail(LoadString(openErrorId), MessageIcon::None);
        return outcome;
    }
    try {
        write(*file);
        file->Commit();
    } catch (const FileError& e) {
        outcome.Fail(e);
    }
    return outcome;
}

Outcome DeleteImportFile(const std::string& path) {
    Outcome outcome;
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) {
        outcome.Fail(FileError::FromErrno(errno, path));
    }
    return outcome;
}

}  // namespace orv
