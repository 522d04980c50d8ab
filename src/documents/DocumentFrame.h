// What the document asks of the main window that shows its views.
#pragma once

#include <QStackedWidget>
#include <QWidget>

namespace orv {

class CDocumentFrame {
public:
    // The window itself, the parent of the document's dialogs.
    virtual QWidget* Window() = 0;
    // The pages of the window: the main form, and later the overlay editor.
    virtual QStackedWidget* Views() const = 0;
    virtual QWidget* ActiveView() const = 0;
    // Shows the page and fits the window to it.
    virtual void SetActiveView(QWidget* view) = 0;
    virtual void RebuildRecentFileMenu() = 0;
    // Enables and checks the commands by the current model and view.
    virtual void UpdateCommandUI() = 0;
    // After an arming: says which file waits for which transfer.
    virtual void ShowArmedTransfer() = 0;
    // Pane 0 of the status bar, and the window's caption.
    virtual void SetStatusText(const QString& text) = 0;
    virtual void SetMainTitle(const QString& title) = 0;

protected:
    ~CDocumentFrame() = default;
};

}  // namespace orv
