// Keeps a window of the program active when one of its dialogs closes.
#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

namespace orv {

// When a dialog of the program closes and leaves none of the program's
// windows active, the window under it is made active again: the one still
// modal, else the dialog's owner, else the main window. Window systems do not
// always do it themselves, and the device's requests are answered only while
// the main window is active.
class ActivationKeeper : public QObject {
    Q_OBJECT
public:
    // Watches every dialog of the application from now on.
    explicit ActivationKeeper(QWidget* mainWindow, QObject* parent = nullptr);
    ~ActivationKeeper() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Reactivate(const QPointer<QWidget>& owner);

    QPointer<QWidget> m_mainWindow;
};

}  // namespace orv
