#include "ui/MessageBox.h"

#include <QApplication>

#include "core/Errors.h"
#include "core/StringTable.h"
#include "ui/QtText.h"

namespace orv {

QMessageBox::Icon QtIcon(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Information:
            return QMessageBox::Information;
        case MessageIcon::Exclamation:
            return QMessageBox::Warning;
        case MessageIcon::Error:
            return QMessageBox::Critical;
        case MessageIcon::Question:
            return QMessageBox::Question;
        case MessageIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

QWidget* MessageOwner() {
    if (QWidget* modal = QApplication::activeModalWidget()) {
        return modal;
    }
    if (QWidget* active = QApplication::activeWindow()) {
        return active;
    }
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->inherits("QMainWindow") && w->isVisible()) {
            return w;
        }
    }
    return nullptr;
}

QMessageBox::StandardButton ShowMessageBox(const QString& text, QMessageBox::Icon icon,
                                           QMessageBox::StandardButtons buttons,
                                           QMessageBox::StandardButton defaultButton,
                                           const QString& caption) {
    QMessageBox box(icon, caption.isEmpty() ? LoadQString(IDS_APP_NAME) : caption, text, buttons,
                    MessageOwner());
    if (defaultButton != QMessageBox::NoButton) {
        box.setDefaultButton(defaultButton);
    }
    // A question asked during a wait shows the ordinary pointer.
    bool waiting = QApplication::overrideCursor() != nullptr;
    if (waiting) {
        QApplication::setOverrideCursor(Qt::ArrowCursor);
    }
    auto answer = static_cast<QMessageBox::StandardButton>(box.exec());
    if (waiting) {
        QApplication::restoreOverrideCursor();
    }
    return answer;
}

bool ShowMessages(const Outcome& outcome) {
    for (const UserMessage& message : outcome.Messages()) {
        ShowMessageBox(QStr(message.text), QtIcon(message.icon));
    }
    return outcome.Ok();
}

void ShowFileError(const FileError& error) {
    ShowMessageBox(QStr(error.Message()), QMessageBox::Warning);
}

}  // namespace orv
