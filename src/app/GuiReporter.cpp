#include "app/GuiReporter.h"

#include "core/Errors.h"
#include "core/Globals.h"
#include "documents/ORVView.h"
#include "frame/MainFrm.h"
#include "ui/MessageBox.h"
#include "ui/QtText.h"
#include "ui/UiThread.h"

namespace orv {

void CGuiReporter::SetFrame(CMainFrame* frame) {
    m_frame = frame;
}

void CGuiReporter::SetMainView(CORVView* view) {
    m_mainView = view;
}

void CGuiReporter::ShowMessage(const std::string& text, MessageIcon icon) {
    RunOnUiThread([&] { ShowMessageBox(QStr(text), QtIcon(icon)); });
}

bool CGuiReporter::AskOkCancel(const std::string& text, MessageIcon icon) {
    bool ok = false;
    RunOnUiThread([&] {
        ok = ShowMessageBox(QStr(text), QtIcon(icon), QMessageBox::Ok | QMessageBox::Cancel,
                            QMessageBox::Ok) == QMessageBox::Ok;
    });
    return ok;
}

void CGuiReporter::ShowStatusText(const std::string& text) {
    RunOnUiThread([&] {
        if (!m_frame) {
            ORV_INTERNAL_ERROR();
            return;
        }
        m_frame->SetStatusText(QStr(text));
    });
}

void CGuiReporter::ShowInstructions(const std::string& text) {
    RunOnUiThread([&] {
        CORVView* view = m_mainView;
        if (!view || g_Globals.CurrentViewId != kMainViewId) {
            ORV_INTERNAL_ERROR();
            return;
        }
        view->SetInstructions(QStr(text));
    });
}

void CGuiReporter::SetMainTitle(const std::string& text) {
    RunOnUiThread([&] {
        if (m_frame) {
            m_frame->setWindowTitle(QStr(text) + m_captionSuffix);
        }
    });
}

}  // namespace orv
