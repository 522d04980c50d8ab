#include "media/SoundImport.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <optional>

#include "core/Errors.h"
#include "core/Messages.h"
#include "core/RegularFile.h"
#include "core/StringTable.h"

namespace orv {
namespace {

constexpr uint8_t kSoundRecordType = 0xDD;
constexpr size_t kWriteChunk = 64 * 1024;

}  // namespace

bool WriteSoundRecords(const std::string& sourcePath, const std::string& outputPath) {
    // The source first: a name that is no file is told as what it is, and no
    // import file is begun for it.
    std::optional<FileHandle> source;
    try {
        source.emplace(OpenRegularFile(sourcePath, O_RDONLY));
    } catch (const FileError& e) {
        if (IsNotAFile(e.Cause())) {
            ReportFileError(e);
        } else {
            MessageBoxText(IDS_SOUND_FILE_OPEN_ERROR);
        }
        return false;
    }
    struct stat info {};
    if (::fstat(source->Fd(), &info) != 0) {
        ReportFileError(FileError::FromErrno(errno, sourcePath));
        return false;
    }
    size_t size = kMaxSoundBytes;
    if (static_cast<uintmax_t>(info.st_size) > kMaxSoundBytes) {
        MessageBoxText(IDS_SOUND_TOO_BIG);
    } else {
        size = static_cast<size_t>(info.st_size);
    }

    // The import file appears only once it is complete: a failure leaves none.
    return WriteImportFile(outputPath, IDS_SOUND_FILE_OPEN_ERROR, [&](FileReplacement& out) {
        std::string text;
        text.reserve(kWriteChunk + 128);
        const uint8_t header[] = {kSoundRecordType};
        AppendImportRecord(text, 'N', header);
        uint16_t sequence = 0;
        size_t remaining = size;
        while (remaining > 0) {
            uint8_t piece[kImportPieceSize];
            const size_t want = std::min(remaining, kImportPieceSize);
            const size_t got = ReadUpTo(source->Fd(), piece, want, sourcePath);
            if (got > 0) {
                AppendDataRecord(text, sequence++, std::span<const uint8_t>(piece, got));
            }
            if (got < want) {
                break;  // the source ended early: nothing past its end is sent
            }
            remaining -= got;
            if (text.size() >= kWriteChunk) {
                out.Write(text);
                text.clear();
            }
        }
        out.Write(text);
    });
}

}  // namespace orv
