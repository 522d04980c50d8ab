// The user guide: an HTML page built into the program, shown in a window of
// ORV's own, so that it opens on every machine, with or without a browser.
#pragma once

#include <QTextBrowser>
#include <QUrl>
#include <QWidget>

namespace orv {

class CHelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit CHelpWindow(QWidget* parent = nullptr);

    // Loads the guide at its start. False when it cannot be read.
    bool LoadGuide();
    QTextBrowser* Browser() const { return m_browser; }

    // Where the guide is read from; tests point it elsewhere.
    static QUrl GuideUrl();
    static void SetGuideUrl(const QUrl& url);

private:
    QTextBrowser* m_browser;
};

// Shows the guide in window, made when it is null, and brings it to the
// front. When the guide cannot be read the user is told, and false returned.
bool ShowHelp(std::unique_ptr<CHelpWindow>& window);

}  // namespace orv
