// Arbitrary bytes as a sound file, made into the sound import file. Besides
// what the sanitizers catch: every line is a good record the restore would
// send, numbered in order, and together they carry the sound byte for byte.
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "core/Errors.h"
#include "core/Hex.h"
#include "engine/Record.h"
#include "engine/RecordLine.h"
#include "engine/TransferFile.h"
#include "media/SoundImport.h"
#include "tests/fuzz/FuzzSupport.h"

using orv::fuzz::Require;

namespace {

class LineSource : public orv::ByteSource {
public:
    explicit LineSource(std::string_view s) : m_s(s) {}
    void ReadChars(char* dest, int count) override {
        for (int i = 0; i < count; ++i) {
            Require(m_pos < m_s.size(), "a record is whole");
            dest[i] = m_s[m_pos++];
        }
    }

private:
    std::string_view m_s;
    size_t m_pos = 0;
};

// A folder of the run's own, in memory where the system has it, for the
// import file and its replacement; removed when the run ends.
const std::string& OutputFolder() {
    static const std::string folder = [] {
        std::string pattern = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        pattern += "/orv-sound-fuzz-XXXXXX";
        Require(::mkdtemp(pattern.data()) != nullptr, "a folder for the import file");
        return pattern;
    }();
    static const bool cleanUp = [] {
        return std::atexit([] {
                   ::unlink((folder + "/" + orv::kSoundImportFileName).c_str());
                   ::rmdir(folder.c_str());
               }) == 0;
    }();
    (void)cleanUp;
    return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    orv::fuzz::FuzzReporter::Install();
    orv::fuzz::InputFile input(data, size);
    const std::string output = OutputFolder() + "/" + orv::kSoundImportFileName;
    Require(orv::WriteSoundRecords(input.Path(), output).Ok(), "a sound of this size is taken");

    orv::TransferFile file;
    file.OpenForRead(output);
    orv::RecordLine line;
    std::string sound;
    int records = 0;
    while (orv::ReadRecordLine(file, line)) {
        Require(line.fault == orv::LineFault::None && line.addedLineEnd == 0,
                "the restore sends every line as it stands");
        orv::RecordBuffer buffer;
        LineSource source(line.text);
        Require(orv::ReceiveRecord(source, buffer) == orv::RecordResult::Valid, "a good record");
        Require(buffer.View() == line.text, "one record per line");
        if (records++ == 0) {
            Require(line.text == "N01DD21\r\n", "the header first");
            continue;
        }
        Require(line.text.front() == 'n', "data records follow");
        std::vector<int> bytes;
        for (size_t i = 1; i + 4 <= line.text.size(); i += 2) {
            bytes.push_back(orv::HexDigitValue(line.text[i]) * 16 +
                            orv::HexDigitValue(line.text[i + 1]));
        }
        Require(bytes.size() >= 4 && bytes[0] == static_cast<int>(bytes.size()) - 2,
                "the count is the payload's");
        Require(bytes[1] * 256 + bytes[2] == records - 2, "numbered from 0 in order");
        for (size_t i = 3; i + 1 < bytes.size(); ++i) {
            sound += static_cast<char>(bytes[i]);
        }
    }
    Require(sound == std::string(reinterpret_cast<const char*>(data), size), "the sound, whole");
    return 0;
}
