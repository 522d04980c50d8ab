// The per-user profile kept by QSettings.
#pragma once

#include <QSettings>
#include <memory>

#include "core/Settings.h"

namespace orv {

constexpr const char* kOrganizationName = "Tarveline Co.";
constexpr const char* kApplicationName = "ORV by Tarveline";

// The user's profile: organization "Tarveline Co.", application "ORV by Tarveline".
std::unique_ptr<QSettings> OpenUserProfile();

class QSettingsProfileStore : public ProfileStore {
public:
    explicit QSettingsProfileStore(QSettings& settings) : m_settings(settings) {}

    std::optional<std::string> ReadString(const std::string& section,
                                          const std::string& key) override;
    std::optional<long long> ReadInt(const std::string& section, const std::string& key) override;
    void WriteString(const std::string& section, const std::string& key,
                     const std::string& value) override;
    void WriteInt(const std::string& section, const std::string& key, long long value) override;

private:
    QSettings& m_settings;
};

}  // namespace orv
