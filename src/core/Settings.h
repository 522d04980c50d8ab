// The four settings kept in the per-user profile, and how they are read back.
#pragma once

#include <optional>
#include <string>

#include "core/Globals.h"

namespace orv {

constexpr const char* kSettingsSection = "Version 4.2";
constexpr const char* kKeyDevice = "Device";
constexpr const char* kKeyBaudRate = "BaudRate";
constexpr const char* kKeyAspect = "Maintain Aspect Ratio";
constexpr const char* kKeyCommPort = "CommPort";
// The icon choices beside Maintain Aspect Ratio, kept in the same section.
constexpr const char* kKeyCropToFill = "Crop To Fill";
constexpr const char* kKeyDitherColours = "Dither Colors";

// A per-user store of named values in sections.
class ProfileStore {
public:
    virtual ~ProfileStore() = default;
    virtual std::optional<std::string> ReadString(const std::string& section,
                                                  const std::string& key) = 0;
    // Empty when the value is missing or is not a whole number.
    virtual std::optional<long long> ReadInt(const std::string& section,
                                             const std::string& key) = 0;
    virtual void WriteString(const std::string& section, const std::string& key,
                             const std::string& value) = 0;
    virtual void WriteInt(const std::string& section, const std::string& key, long long value) = 0;
};

// Reads Device, BaudRate, Maintain Aspect Ratio and CommPort into globals,
// and the other icon choices. kModelNames must be loaded.
void LoadSettings(ProfileStore& store, CORVGlobals& globals);
// Writes BaudRate, Maintain Aspect Ratio, CommPort and Device, in that order.
void SaveSettings(ProfileStore& store, const CORVGlobals& globals);
// Writes Crop To Fill and Dither Colors.
void SaveIconSettings(ProfileStore& store, const CORVGlobals& globals);

// The stored BaudRate text as an index into kBaudRates, or -1.
int BaudIndexFromText(const std::string& text);

}  // namespace orv
