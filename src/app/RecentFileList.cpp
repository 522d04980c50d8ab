#include "app/RecentFileList.h"

#include <QFileInfo>

namespace orv {
namespace {

const QString kSection = QStringLiteral("Recent File List");

QString Key(int i) {
    return kSection + QStringLiteral("/File%1").arg(i + 1);
}

}  // namespace

void CRecentFileList::Load(QSettings& profile) {
    m_entries.clear();
    for (int i = 0; i < kSize; ++i) {
        QString path = profile.value(Key(i)).toString();
        if (!path.isEmpty()) {
            m_entries.append(path);
        }
    }
}

void CRecentFileList::Save(QSettings& profile) const {
    for (int i = 0; i < kSize; ++i) {
        if (i < m_entries.size()) {
            profile.setValue(Key(i), m_entries[i]);
        } else {
            profile.remove(Key(i));
        }
    }
}

void CRecentFileList::Add(const QString& path) {
    if (path.isEmpty()) {
        return;
    }
    QString full = QFileInfo(path).absoluteFilePath();
    m_entries.removeAll(full);
    m_entries.prepend(full);
    while (m_entries.size() > kSize) {
        m_entries.removeLast();
    }
}

QString CRecentFileList::DisplayName(int index) const {
    return AbbreviatePath(Entry(index), kDisplayLength);
}

QString AbbreviatePath(const QString& path, int maxLength) {
    if (path.size() <= maxLength) {
        return path;
    }
    const QString sep = QStringLiteral("/");
    QStringList parts = path.split(sep);
    QString name = parts.last();
    // The head: the root and the first folder, as in /home/....
    QString head = path.startsWith(sep) && parts.size() > 2 ? sep + parts[1] : parts.first();
    QString ellipsis = QStringLiteral("...");
    QString tail = name;
    if (head.size() + 1 + ellipsis.size() + 1 + tail.size() > maxLength) {
        return name;
    }
    // Add folders in front of the name while they fit.
    for (int i = static_cast<int>(parts.size()) - 2; i > (path.startsWith(sep) ? 1 : 0); --i) {
        QString longer = parts[i] + sep + tail;
        if (head.size() + 1 + ellipsis.size() + 1 + longer.size() > maxLength) {
            break;
        }
        tail = longer;
    }
    return head + sep + ellipsis + sep + tail;
}

}  // namespace orv
