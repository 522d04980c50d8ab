#include "ui/ActivationKeeper.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QTimer>

namespace orv {

ActivationKeeper::ActivationKeeper(QWidget* mainWindow, QObject* parent)
    : QObject(parent), m_mainWindow(mainWindow) {
    qApp->installEventFilter(this);
}

ActivationKeeper::~ActivationKeeper() {
    qApp->removeEventFilter(this);
}

bool ActivationKeeper::eventFilter(QObject* watched, QEvent* event) {
    // A hide the window system made (the owner was minimised) is left alone.
    if (event->type() == QEvent::Hide && !event->spontaneous()) {
        auto* dialog = qobject_cast<QDialog*>(watched);
        if (dialog && dialog->isWindow()) {
            QPointer<QWidget> owner =
                dialog->parentWidget() ? dialog->parentWidget()->window() : nullptr;
            // Once the closing has run its course: a dialog often opens the next one.
            QTimer::singleShot(0, this, [this, owner] { Reactivate(owner); });
        }
    }
    return QObject::eventFilter(watched, event);
}

void ActivationKeeper::Reactivate(const QPointer<QWidget>& owner) {
    if (QApplication::activeWindow()) {
        return;
    }
    QWidget* target = QApplication::activeModalWidget();
    if (!target && owner && owner->isVisible() && !owner->isMinimized()) {
        target = owner;
    }
    if (!target && m_mainWindow && m_mainWindow->isVisible() && !m_mainWindow->isMinimized()) {
        target = m_mainWindow;
    }
    if (target) {
        target->activateWindow();
    }
}

}  // namespace orv
