// The main window: menu, toolbar, status bar, the two views, and the window
// the transfer engine turns to when a device asks for a transfer.
#pragma once

#include <QLabel>
#include <QMainWindow>
#include <QMap>
#include <QStackedWidget>
#include <QToolButton>

#include "documents/DocumentFrame.h"
#include "engine/Serial.h"

class QMenu;

namespace orv {

class CORVDoc;
class CRecentFiles;

// The commands of the Options and Help menus belong to the application: its
// creator connects them after OnCreate.
class CMainFrame : public QMainWindow, public CDocumentFrame {
    Q_OBJECT
public:
    // engine: the transfer engine whose requests and transfers the frame serves.
    CMainFrame(CORVDoc& doc, CORVSerialPort& engine, const CRecentFiles& recentFiles);
    ~CMainFrame() override;

    // Builds the menu, the toolbar and the status bar. False when one of them
    // cannot be made.
    bool OnCreate();

    // The command with this number (menu items, toolbar buttons, accelerators).
    QAction* Action(int commandId) const;
    QToolButton* ToolbarButton(int commandId) const;
    bool IsToolbarButtonShown(int commandId) const;
    QMenu* FileMenu() const { return m_fileMenu; }

    // Transfer commands: true when a file was chosen and the engine armed.
    bool OnSaveMemory();
    bool OnRestoreMemory();
    bool OnImportIcons();
    bool OnImportSound();
    // The icon import with these pictures chosen: named one by one in the
    // Icon Properties window, then armed.
    bool ImportPictures(const QStringList& files);

    // A notification of the engine that reached the frame.
    void OnTransferRequest(Notification note);

    void ShowOverlayButton(bool show);
    void ShowImportIconsButton(bool show);
    void EnableTransferButtons(bool enable);

    void SetStatusText(const QString& text) override;
    QString StatusText() const;
    // The caption is the title and then this (demonstration mode says so).
    void SetMainTitle(const QString& title) override;
    void SetCaptionSuffix(const QString& suffix) { m_captionSuffix = suffix; }
    // Which file waits for which transfer, in the status bar and in the main
    // form, from an arming until the transfer starts; empty otherwise.
    void ShowArmedTransfer() override;
    QString ArmedNotice() const;

    QWidget* Window() override { return this; }
    // The pages of the frame: the main form, and later the overlay editor.
    QStackedWidget* Views() const override { return m_views; }
    // Shows the page and fits the window to it.
    void SetActiveView(QWidget* view) override;
    QWidget* ActiveView() const override { return m_views->currentWidget(); }
    // Sizes the window to the page shown (the window cannot be resized by
    // the user) and centres it on the screen.
    void FitToView();

    void RebuildRecentFileMenu() override;
    // Enables and checks the commands by the current model and view.
    void UpdateCommandUI() override;

signals:
    // The window has closed: the program ends, and its other windows with it.
    void Closed();

protected:
    void customEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    // Unsaved overlay edits are offered for saving before the window closes.
    void closeEvent(QCloseEvent* event) override;
    // Files dropped on the window: a memory file opens as a recent file does,
    // pictures start the icon import on the models that import icons.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    QAction* AddCommand(int commandId, const QString& menuText);
    void AddToolbarButton(QToolBar* bar, int commandId);
    // Sizes the buttons from the type: 122 x 72 pixels at least, a label too
    // wide for that on two lines, and larger when the label needs it.
    void FitToolbarButtons();
    void BuildMenu();
    bool BuildToolbar();
    bool BuildStatusBar();
    void UpdateLockIndicators();
    void SetArmedNotice(const QString& inStatusBar, const QString& inMainForm);
    bool MemoryFileCommand(int commandId, TransferKind kind);
    void RunRequestedTransfer(Notification request, bool (CMainFrame::*chooser)(), bool saveMode);

    CORVDoc& m_doc;
    CORVSerialPort& m_engine;
    const CRecentFiles& m_recentFiles;
    QStackedWidget* m_views;
    QMenu* m_fileMenu = nullptr;
    QAction* m_recentSeparator = nullptr;  // the separator below the recent files
    QList<QAction*> m_recentActions;
    QMap<int, QAction*> m_actions;
    QMap<int, QToolButton*> m_buttons;
    QMap<int, QAction*> m_buttonSlots;  // the toolbar's own action of each button
    QLabel* m_lockIndicators[3] = {};
    QString m_armedNotice;  // which file waits for which transfer
    QString m_captionSuffix;
    bool m_bServingRequest = false;  // a device request is being answered
};

}  // namespace orv
