// String-table texts as QStrings, and the pieces of menu texts.
#pragma once

#include <QKeySequence>
#include <QString>
#include <string>

namespace orv {

inline QString QStr(const std::string& s) {
    return QString::fromStdString(s);
}
inline std::string StdStr(const QString& s) {
    return s.toStdString();
}

// The text with this number.
QString LoadQString(int id);
// The text with %1 and %2 filled in.
QString FormatQString(int id, const QString& first, const QString& second = QString());

// "&Save memory\tCtrl+S": the part before the tab, and the shortcut after it.
QString MenuLabel(const QString& menuText);
QKeySequence MenuShortcut(const QString& menuText);

// A command's prompt "status text\ntooltip": the status-bar part and the tooltip part.
// A prompt without a line break serves as both.
QString PromptStatus(int commandId);
QString PromptTip(int commandId);

}  // namespace orv
