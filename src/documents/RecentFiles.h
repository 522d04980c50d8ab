// The recent-file list of the File menu as the document and the window see
// it: newest first.
#pragma once

#include <QString>

namespace orv {

class CRecentFiles {
public:
    // Puts path first; an entry for the same file moves up instead of repeating.
    virtual void Add(const QString& path) = 0;
    virtual int Size() const = 0;
    virtual QString Entry(int index) const = 0;
    // The entry as the menu shows it.
    virtual QString DisplayName(int index) const = 0;
    bool IsEmpty() const { return Size() == 0; }

protected:
    ~CRecentFiles() = default;
};

}  // namespace orv
