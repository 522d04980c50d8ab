// The ten device models: names, instructions, baud rates and capabilities.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace orv {

constexpr int kModelCount = 10;
constexpr uint32_t kFirstModelId = 32771;  // command ID of model index 0
constexpr uint32_t kLastModelId = 32780;
constexpr int kModelNameSlot = 20;  // 19 characters and a terminator

// Model command IDs the program treats specially.
constexpr uint32_t kModelPelliro = 32772;   // overlay editing
constexpr uint32_t kModelMirelda = 32776;   // icon and sound import; end mark by version
constexpr uint32_t kModelQuenlow = 32778;   // icon and sound import; LF sent as a blank
constexpr uint32_t kModelOstravel = 32779;  // icon and sound import
constexpr uint32_t kModelFennimar = 32780;  // icon and sound import

// Filled from strings 600-609 by LoadModelNames.
extern char kModelNames[kModelCount][kModelNameSlot];
void LoadModelNames();

constexpr int kBaudRateCount = 11;
extern const unsigned kBaudRates[kBaudRateCount];
extern const int kDefaultBaudIndex[kModelCount];
// Per model, indices into kBaudRates in the order offered; the first negative
// slot ends the list.
extern const int kOfferedBaudIndices[kModelCount][kBaudRateCount];

inline bool IsModelId(uint32_t id) {
    return id >= kFirstModelId && id <= kLastModelId;
}
inline int ModelIndexOf(uint32_t id) {
    return static_cast<int>(id - kFirstModelId);
}
inline uint32_t ModelIdOf(int index) {
    return kFirstModelId + static_cast<uint32_t>(index);
}

// A model named on a command line: its name in any letter case, its index
// 0-9 or its command ID 32771-32780. Gives the model index. Works before
// LoadModelNames.
std::optional<int> ParseModel(std::string_view text);

// String ID of the model's instructions (500-509) and name (600-609).
inline int InstructionsId(int modelIndex) {
    return 500 + modelIndex;
}
inline int ModelNameId(int modelIndex) {
    return 600 + modelIndex;
}

bool SupportsOverlayEditing(uint32_t modelId);
// Icon import; the same models also take sounds.
bool SupportsIconImport(uint32_t modelId);

// The rate used to open the port: kBaudRates[baudIndex], or the model's
// default rate when baudIndex is -1. Out-of-range values fall back to the
// model's default (and model index 0 for a bad model).
unsigned EffectiveBaudRate(int baudIndex, int modelIndex);

}  // namespace orv
