#include "media/SoundImport.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <vector>

#include "core/Errors.h"
#include "core/RegularFile.h"
#include "core/StringTable.h"
#include "media/LittleEndian.h"

namespace orv {
namespace {

constexpr uint8_t kSoundRecordType = 0xDD;
constexpr size_t kWriteChunk = 64 * 1024;
constexpr size_t kRiffHeaderSize = 12;
constexpr size_t kChunkHeaderSize = 8;

bool IsTag(const uint8_t* p, const char* tag) {
    return std::equal(p, p + 4, tag);
}

}  // namespace

bool IsRiffWave(std::span<const uint8_t> bytes) {
    return bytes.size() >= kRiffHeaderSize && IsTag(bytes.data(), "RIFF") &&
           IsTag(bytes.data() + 8, "WAVE");
}

bool SoundLooksLikeWave(const std::string& path) {
    try {
        FileHandle file(OpenRegularFile(path, O_RDONLY));
        uint8_t head[kRiffHeaderSize];
        return IsRiffWave({head, ReadUpTo(file.Fd(), head, sizeof head, path)});
    } catch (const FileError&) {
        return true;
    }
}

void FitWaveHeaderToLength(std::span<uint8_t> bytes) {
    if (!IsRiffWave(bytes)) {
        return;
    }
    WriteLe32(bytes.data() + 4, static_cast<uint32_t>(bytes.size() - 8));
    // The chunks in order, each padded to an even length, up to the data.
    size_t at = kRiffHeaderSize;
    while (at + kChunkHeaderSize <= bytes.size()) {
        const uint32_t size = ReadLe32(bytes.data() + at + 4);
        const size_t body = at + kChunkHeaderSize;
        if (IsTag(bytes.data() + at, "data")) {
            const size_t left = bytes.size() - body;
            if (size > left) {
                WriteLe32(bytes.data() + at + 4, static_cast<uint32_t>(left));
            }
            return;
        }
        at = body + size + (size & 1);
    }
}

Outcome WriteSoundRecords(const std::string& sourcePath, const std::string& outputPath) {
    Outcome outcome;
    // The source first: a name that is no file is told as what it is, and no
    // import file is begun for it.
    std::optional<FileHandle> source;
    try {
        source.emplace(OpenRegularFile(sourcePath, O_RDONLY));
    } catch (const FileError& e) {
        if (IsNotAFile(e.Cause())) {
            outcome.Fail(e);
        } else {
            outcome.Fail(LoadString(IDS_SOUND_FILE_OPEN_ERROR), MessageIcon::None);
        }
        return outcome;
    }
    struct stat info {};
    if (::fstat(source->Fd(), &info) != 0) {
        outcome.Fail(FileError::FromErrno(errno, sourcePath));
        return outcome;
    }
    size_t size = kMaxSoundBytes;
    if (static_cast<uintmax_t>(info.st_size) > kMaxSoundBytes) {
        // Only a warning: what fits is still sent.
        outcome.Tell(LoadString(IDS_SOUND_TOO_BIG), MessageIcon::None);
    } else {
        size = static_cast<size_t>(info.st_size);
    }

    const bool shortened = static_cast<uintmax_t>(info.st_size) > kMaxSoundBytes;

    // The import file appears only once it is complete: a failure leaves none.
    outcome.Add(WriteImportFile(outputPath, IDS_SOUND_FILE_OPEN_ERROR, [&](FileReplacement& out) {
        // At most kMaxSoundBytes: the whole of what is sent fits in memory.
        std::vector<uint8_t> sound(size);
        // A source that ends early sends nothing past its end.
        sound.resize(ReadUpTo(source->Fd(), sound.data(), size, sourcePath));
        if (shortened) {
            FitWaveHeaderToLength(sound);
        }
        std::string text;
        text.reserve(kWriteChunk + 128);
        const uint8_t header[] = {kSoundRecordType};
        AppendImportRecord(text, 'N', header);
        uint16_t sequence = 0;
        for (size_t at = 0; at < sound.size(); at += kImportPieceSize) {
            const size_t n = std::min(kImportPieceSize, sound.size() - at);
            AppendDataRecord(text, sequence++, std::span<const uint8_t>(sound.data() + at, n));
            if (text.size() >= kWriteChunk) {
                out.Write(text);
                text.clear();
            }
        }
        out.Write(text);
    }));
    return outcome;
}

}  // namespace orv
