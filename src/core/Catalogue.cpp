#include "core/Catalogue.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "core/StringTable.h"

namespace orv {

char kModelNames[kModelCount][kModelNameSlot] = {};

const unsigned kBaudRates[kBaudRateCount] = {110,  300,   1200,  2125,  2400,  4800,
                                             9600, 19200, 38400, 57600, 115200};

const int kDefaultBaudIndex[kModelCount] = {8, 9, 9, 9, 5, 9, 9, 9, 9, 9};

const int kOfferedBaudIndices[kModelCount][kBaudRateCount] = {
    {0, 1, 2, 4, 5, 6, 7, 8, -1, -1, -1},       // Corvane
    {0, 1, 2, 6, 9, -1, -1, -1, -1, -1, -1},    // Pelliro
    {0, 1, 2, 4, 5, 6, 7, 8, 9, -1, -1},        // Drusomi
    {0, 1, 2, 4, 5, 6, 7, 8, 9, -1, -1},        // Wendrak
    {1, 2, 4, -1, -1, -1, -1, -1, -1, -1, -1},  // Halvetch
    {0, 1, 2, 4, 5, 6, 7, 8, 9, 10, -1},        // Mirelda
    {1, 2, 6, 9, -1, -1, -1, -1, -1, -1, -1},   // Tobrisk
    {0, 1, 2, 4, 5, 6, 7, 8, 9, 10, -1},        // Quenlow
    {0, 1, 2, 4, 5, 6, 7, 8, 9, 10, -1},        // Ostravel
    {0, 1, 2, 4, 5, 6, 7, 8, 9, 10, -1},        // Fennimar
};

void LoadModelNames() {
    for (int i = 0; i < kModelCount; ++i) {
        std::string name = LoadString(ModelNameId(i));
        std::memset(kModelNames[i], 0, kModelNameSlot);
        std::memcpy(kModelNames[i], name.data(),
                    name.size() < kModelNameSlot - 1 ? name.size() : kModelNameSlot - 1);
    }
}

std::optional<int> ParseModel(std::string_view text) {
    // Nine digits cannot overflow and already exceed every model number.
    if (!text.empty() && text.size() <= 9 && std::all_of(text.begin(), text.end(), [](char c) {
            return std::isdigit(static_cast<unsigned char>(c)) != 0;
        })) {
        long n = 0;
        for (char c : text) {
            n = n * 10 + (c - '0');
        }
        if (n < kModelCount) {
            return static_cast<int>(n);
        }
        if (IsModelId(static_cast<uint32_t>(n))) {
            return ModelIndexOf(static_cast<uint32_t>(n));
        }
        return std::nullopt;
    }
    for (int i = 0; i < kModelCount; ++i) {
        const std::string name = LoadString(ModelNameId(i));
        if (name.size() == text.size() &&
            std::equal(name.begin(), name.end(), text.begin(), [](char a, char b) {
                return std::tolower(static_cast<unsigned char>(a)) ==
                       std::tolower(static_cast<unsigned char>(b));
            })) {
            return i;
        }
    }
    return std::nullopt;
}

bool SupportsOverlayEditing(uint32_t modelId) {
    return modelId == kModelPelliro;
}

bool SupportsIconImport(uint32_t modelId) {
    return modelId == kModelMirelda || modelId == kModelQuenlow || modelId == kModelOstravel ||
           modelId == kModelFennimar;
}

unsigned EffectiveBaudRate(int baudIndex, int modelIndex) {
    if (baudIndex >= 0 && baudIndex < kBaudRateCount) {
        return kBaudRates[baudIndex];
    }
    if (modelIndex < 0 || modelIndex >= kModelCount) {
        modelIndex = 0;
    }
    return kBaudRates[kDefaultBaudIndex[modelIndex]];
}

}  // namespace orv
