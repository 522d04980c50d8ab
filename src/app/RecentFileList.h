// The recent-file list of the File menu: four entries, newest first, kept in
// the profile's "Recent File List" section under the keys File1 to File4.
#pragma once

#include <QSettings>
#include <QString>
#include <QStringList>

namespace orv {

class CRecentFileList {
public:
    static constexpr int kSize = 4;
    static constexpr int kDisplayLength = 30;

    void Load(QSettings& profile);
    void Save(QSettings& profile) const;

    // Puts path first; an entry for the same file moves up instead of repeating.
    void Add(const QString& path);

    bool IsEmpty() const { return m_entries.isEmpty(); }
    int Size() const { return static_cast<int>(m_entries.size()); }
    QString Entry(int index) const { return m_entries.value(index); }
    // The entry as the menu shows it: at most 30 characters.
    QString DisplayName(int index) const;

private:
    QStringList m_entries;
};

// path shortened to at most maxLength characters: the first folder, "...",
// and as many of the last parts as fit; the bare file name when even that is
// too long.
QString AbbreviatePath(const QString& path, int maxLength);

}  // namespace orv
