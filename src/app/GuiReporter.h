// Messages of the desktop program: message boxes, the status bar, the main
// form's instructions and the caption.
#pragma once

#include <QPointer>
#include <QString>

#include "core/Reporter.h"

namespace orv {

class CMainFrame;
class CORVView;

class CGuiReporter : public Reporter {
public:
    void SetFrame(CMainFrame* frame);
    // The main form, where the instructions are shown.
    void SetMainView(CORVView* view);
    // Added to every caption (demonstration mode says so in the title bar).
    void SetCaptionSuffix(const QString& suffix) { m_captionSuffix = suffix; }

    void ShowMessage(const std::string& text, MessageIcon icon) override;
    bool AskOkCancel(const std::string& text, MessageIcon icon) override;
    void ShowStatusText(const std::string& text) override;
    void ShowInstructions(const std::string& text) override;
    void SetMainTitle(const std::string& text) override;

private:
    QPointer<CMainFrame> m_frame;
    QPointer<CORVView> m_mainView;
    QString m_captionSuffix;
};

}  // namespace orv
