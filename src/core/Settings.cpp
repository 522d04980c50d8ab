#include "core/Settings.h"

#include <cctype>
#include <cstring>

#include "core/Catalogue.h"

namespace orv {

namespace {

// Signed decimal from the leading characters, as atoi reads it; no digits give 0.
long long LeadingInteger(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    long long value = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        if (value < 100000000000LL) {  // large enough to match no rate, small enough not to wrap
            value = value * 10 + (text[i] - '0');
        }
    }
    return negative ? -value : value;
}

}  // namespace

int BaudIndexFromText(const std::string& text) {
    long long rate = LeadingInteger(text);
    for (int i = 0; i < kBaudRateCount; ++i) {
        if (rate == static_cast<long long>(kBaudRates[i])) {
            return i;
        }
    }
    return -1;
}

void LoadSettings(ProfileStore& store, CORVGlobals& globals) {
    std::string device = store.ReadString(kSettingsSection, kKeyDevice).value_or(kModelNames[0]);
    int modelIndex = 0;
    for (int i = 0; i < kModelCount; ++i) {
        if (device == kModelNames[i]) {
            modelIndex = i;
            break;
        }
    }
    globals.SelectModel(modelIndex);

    globals.BaudIndex =
        BaudIndexFromText(store.ReadString(kSettingsSection, kKeyBaudRate).value_or("-1"));

    globals.MaintainAspectRatio =
        store.ReadInt(kSettingsSection, kKeyAspect).value_or(1) != 0 ? 1 : 0;

    long long port = store.ReadInt(kSettingsSection, kKeyCommPort).value_or(1);
    globals.CommPort = (port < 1 || port > 9) ? 1 : static_cast<int>(port);

    globals.CropToFill = store.ReadInt(kSettingsSection, kKeyCropToFill).value_or(0) != 0 ? 1 : 0;
    globals.DitherColours =
        store.ReadInt(kSettingsSection, kKeyDitherColours).value_or(1) != 0 ? 1 : 0;
}

void SaveSettings(ProfileStore& store, const CORVGlobals& globals) {
    std::string rate = "-1";
    if (globals.BaudIndex >= 0 && globals.BaudIndex < kBaudRateCount) {
        rate = std::to_string(kBaudRates[globals.BaudIndex]);
    }
    store.WriteString(kSettingsSection, kKeyBaudRate, rate);
    store.WriteInt(kSettingsSection, kKeyAspect, globals.MaintainAspectRatio);
    store.WriteInt(kSettingsSection, kKeyCommPort, globals.CommPort);
    int modelIndex =
        (globals.ModelIndex >= 0 && globals.ModelIndex < kModelCount) ? globals.ModelIndex : 0;
    store.WriteString(kSettingsSection, kKeyDevice, kModelNames[modelIndex]);
}

void SaveIconSettings(ProfileStore& store, const CORVGlobals& globals) {
    store.WriteInt(kSettingsSection, kKeyCropToFill, globals.CropToFill);
    store.WriteInt(kSettingsSection, kKeyDitherColours, globals.DitherColours);
}

}  // namespace orv
