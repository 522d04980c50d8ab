#include "appcore/ProfileStore.h"

namespace orv {

namespace {

QString KeyPath(const std::string& section, const std::string& key) {
    return QString::fromStdString(section) + QLatin1Char('/') + QString::fromStdString(key);
}

}  // namespace

std::unique_ptr<QSettings> OpenUserProfile() {
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       QString::fromLatin1(kOrganizationName),
                                       QString::fromLatin1(kApplicationName));
}

std::optional<std::string> QSettingsProfileStore::ReadString(const std::string& section,
                                                             const std::string& key) {
    QVariant v = m_settings.value(KeyPath(section, key));
    if (!v.isValid()) {
        return std::nullopt;
    }
    return v.toString().toStdString();
}

std::optional<long long> QSettingsProfileStore::ReadInt(const std::string& section,
                                                        const std::string& key) {
    QVariant v = m_settings.value(KeyPath(section, key));
    if (!v.isValid()) {
        return std::nullopt;
    }
    bool ok = false;
    long long value = v.toString().trimmed().toLongLong(&ok);
    if (!ok) {
        return std::nullopt;
    }
    return value;
}

void QSettingsProfileStore::WriteString(const std::string& section, const std::string& key,
                                        const std::string& value) {
    m_settings.setValue(KeyPath(section, key), QString::fromStdString(value));
}

void QSettingsProfileStore::WriteInt(const std::string& section, const std::string& key,
                                     long long value) {
    m_settings.setValue(KeyPath(section, key), value);
}

}  // namespace orv
