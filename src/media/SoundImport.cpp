#include "media/SoundImport.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>

#include "core/Errors.h"
#include "core/Messages.h"
#include "core/StringTable.h"

namespace orv {
namespace {

constexpr uint8_t kSoundRecordType = 0xDD;
constexpr size_t kWriteChunk = 64 * 1024;

using FilePtr = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

FilePtr Open(const std::string& path, const char* mode) {
    return FilePtr(std::fopen(path.c_str(), mode), &std::fclose);
}

bool WriteAll(std::FILE* file, const std::string& text) {
    return std::fwrite(text.data(), 1, text.size(), file) == text.size();
}

}  // namespace

bool WriteSoundRecords(const std::string& sourcePath, const std::string& outputPath) {
    FilePtr out = Open(outputPath, "wb");
    if (!out) {
        MessageBoxText(IDS_SOUND_FILE_OPEN_ERROR);
        return false;
    }
    FilePtr source = Open(sourcePath, "rb");
    struct stat info {};
    const bool statOk = source && ::fstat(::fileno(source.get()), &info) == 0;
    if (!source || (statOk && S_ISDIR(info.st_mode))) {
        MessageBoxText(IDS_SOUND_FILE_OPEN_ERROR);
        return false;
    }

    // Only a regular file tells its length; anything else is read to its end.
    size_t size = kMaxSoundBytes;
    if (statOk && S_ISREG(info.st_mode)) {
        if (static_cast<uintmax_t>(info.st_size) > kMaxSoundBytes) {
            MessageBoxText(IDS_SOUND_TOO_BIG);
        } else {
            size = static_cast<size_t>(info.st_size);
        }
    }

    std::string text;
    text.reserve(kWriteChunk + 128);
    const uint8_t header[] = {kSoundRecordType};
    AppendImportRecord(text, 'N', header);
    uint16_t sequence = 0;
    size_t remaining = size;
    while (remaining > 0) {
        uint8_t piece[kImportPieceSize];
        const size_t want = std::min(remaining, kImportPieceSize);
        const size_t got = std::fread(piece, 1, want, source.get());
        if (got > 0) {
            AppendDataRecord(text, sequence++, std::span<const uint8_t>(piece, got));
        }
        if (got < want) {
            if (std::ferror(source.get())) {
                ReportFileError(FileError::FromErrno(errno, sourcePath));
                return false;
            }
            break;  // the source ended early: nothing past its end is sent
        }
        remaining -= got;
        if (text.size() >= kWriteChunk) {
            if (!WriteAll(out.get(), text)) {
                ReportFileError(FileError::FromErrno(errno, outputPath));
                return false;
            }
            text.clear();
        }
    }
    if (!WriteAll(out.get(), text) || std::fclose(out.release()) != 0) {
        ReportFileError(FileError::FromErrno(errno, outputPath));
        return false;
    }
    return true;
}

}  // namespace orv
