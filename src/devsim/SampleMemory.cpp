#include "devsim/SampleMemory.h"

#include <array>
#include <random>
#include <string>
#include <vector>

namespace orv::devsim {

namespace {

// mt19937's output is fixed by the standard (its distributions are not), so
// only raw draws are used: the memory is the same on every platform.
class Draw {
public:
    explicit Draw(uint32_t seed) : m_engine(seed) {}
    uint32_t Below(uint32_t n) { return static_cast<uint32_t>(m_engine() % n); }
    uint8_t Byte() { return static_cast<uint8_t>(m_engine() & 0xFF); }
    std::vector<uint8_t> Bytes(std::size_t n) {
        std::vector<uint8_t> out(n);
        for (auto& b : out) {
            b = Byte();
        }
        return out;
    }
    // Mostly printable, as vocabulary pages are.
    std::vector<uint8_t> Words(std::size_t n) {
        static constexpr std::string_view kPool = "ETAOINSHRDLU etaoinshrdlucmfwypvbgk.,'?";
        std::vector<uint8_t> out(n);
        for (auto& b : out) {
            b = static_cast<uint8_t>(kPool[Below(static_cast<uint32_t>(kPool.size()))]);
        }
        return out;
    }

private:
    std::mt19937 m_engine;
};

std::string NextRecord(Draw& d, std::size_t i) {
    static constexpr std::string_view kCounted = "ABRabNnU";
    static constexpr std::string_view kSplit = "DIMPd";
    switch (i % 9) {
        case 0:
        case 1:
            return CountedRecord(kCounted[d.Below(kCounted.size())], d.Words(d.Below(48)));
        case 2:
            return BlockRecord(d.Below(2) ? 'C' : 'c', d.Bytes(12));
        case 3:
            return SplitRecord(kSplit[d.Below(kSplit.size())], d.Bytes(d.Below(6)),
                               d.Words(d.Below(40)));
        case 4:
            return PrefixedSplitRecord(d.Byte(), d.Bytes(d.Below(4)), d.Words(d.Below(24)));
        case 5:
            // Keyboard pages are large; one in a while is enough.
            return i % 45 == 5 ? BlockRecord(d.Below(2) ? 'K' : 'k', d.Bytes(256))
                               : CountedRecord('R', d.Bytes(d.Below(16)));
        case 6:
            return PrefixedRecord(d.Byte(), d.Words(d.Below(32)));
        case 7:
            return DoublePrefixedRecord(d.Byte(), d.Byte(), d.Bytes(d.Below(32)));
        default:
            return CountedRecord('n', d.Words(1 + d.Below(60)));
    }
}

}  // namespace

int ModelVersion(uint32_t modelId) {
    // Earlier models report 2xx; Mirelda and the later ones 3xx.
    static constexpr std::array<int, 10> kVersions = {210, 215, 220, 230, 240,
                                                      310, 250, 320, 330, 340};
    if (modelId < kFirstModel || modelId > kLastModel) {
        return 300;
    }
    return kVersions[modelId - kFirstModel];
}

std::string ModelEndMark(uint32_t modelId, int version) {
    if (modelId >= 32778 && modelId <= 32780) {
        return "end";
    }
    if (modelId == 32776 && version >= 300) {
        return "end";
    }
    return "END";
}

MemoryImage MakeSampleMemory(uint32_t modelId, std::size_t recordCount, uint32_t seed) {
    MemoryImage image;
    if (recordCount == 0) {
        return image;
    }
    image.reserve(recordCount);
    image.push_back(VersionRecord(std::to_string(ModelVersion(modelId))));
    Draw d(seed ^ (modelId * 2654435761u));
    for (std::size_t i = 1; i < recordCount; ++i) {
        image.push_back(NextRecord(d, i));
    }
    return image;
}

MemoryImage MakeSampleText(std::size_t lineCount, uint32_t seed) {
    static constexpr std::array<std::string_view, 12> kLines = {
        "Hello, my name is Robin.",
        "I would like a drink, please.",
        "Can you help me, please?",
        "I am tired and want to rest.",
        "Please call my sister.",
        "Thank you very much.",
        "I do not understand. Say it again, please.",
        "What time is it?",
        "I feel cold.",
        "Let us go outside.",
        "My favourite colour is green.",
        "See you tomorrow.",
    };
    MemoryImage text{std::string(kTextHeader)};
    Draw d(seed);
    for (std::size_t i = 0; i < lineCount; ++i) {
        // A device stores a line end as CR; the computer adds the LF.
        std::string line(kLines[d.Below(kLines.size())]);
        line += '\r';
        text.push_back(TextRecord(line));
    }
    text.emplace_back(kTextEnd);
    return text;
}

}  // namespace orv::devsim
