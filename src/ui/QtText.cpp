#include "ui/QtText.h"

#include "core/StringTable.h"

namespace orv {

QString LoadQString(int id) {
    return QStr(LoadString(id));
}

QString FormatQString(int id, const QString& first, const QString& second) {
    return QStr(FormatString(id, StdStr(first), StdStr(second)));
}

QString MenuLabel(const QString& menuText) {
    return menuText.section(QLatin1Char('\t'), 0, 0);
}

QKeySequence MenuShortcut(const QString& menuText) {
    int tab = menuText.indexOf(QLatin1Char('\t'));
    if (tab < 0) {
        return QKeySequence();
    }
    return QKeySequence::fromString(menuText.mid(tab + 1), QKeySequence::PortableText);
}

QString PromptStatus(int commandId) {
    return LoadQString(commandId).section(QLatin1Char('\n'), 0, 0);
}

QString PromptTip(int commandId) {
    QString prompt = LoadQString(commandId);
    int nl = prompt.indexOf(QLatin1Char('\n'));
    return nl < 0 ? prompt : prompt.mid(nl + 1);
}

}  // namespace orv
