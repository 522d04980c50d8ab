// The recent-file list of the File menu: four entries, newest first, kept in
// the profile's "Recent File List" section under the keys File1 to File4.
#pragma once

#include <QSettings>
#include <QString>
#include <QStringList>

#include "documents/RecentFiles.h"

namespace orv {

class CRecentFileList final : public CRecentFiles {
public:
    static constexpr int kSize = 4;
    static constexpr int kDisplayLength = 30;

    void Load(QSettings& profile);
    void Save(QSettings& profile) const;

    void Add(const QString& path) override;
    int Size() const override { return static_cast<int>(m_entries.size()); }
    QString Entry(int index) const override { return m_entries.value(index); }
    // At most 30 characters.
    QString DisplayName(int index) const override;

private:
    QStringList m_entries;
};

// path shortened to at most maxLength characters: the first folder, "...",
// and as many of the last parts as fit; the bare file name when even that is
// too long.
QString AbbreviatePath(const QString& path, int maxLength);

}  // namespace orv
