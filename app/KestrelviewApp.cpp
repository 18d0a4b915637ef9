#include "app/KestrelviewApp.h"

#include "app/AboutBox.h"
#include "app/KestrelviewDoc.h"
#include "app/MainFrame.h"
#include "handheld/Preferences.h"
#include "handheld/Strings.h"
#include "browser/KestrelviewHHView.h"
#include "platform/framework/DocTemplate.h"
#include "platform/controls/StandardControls.h"
#include "platform/window/WindowManager.h"
#include "viewer/SinglePhotoView.h"
#include "sharing/FileAssociation.h"

CKestrelviewApp::CKestrelviewApp() { OnCommand(ID_APP_ABOUT, [this] { ShowAbout(); }); }

bool CKestrelviewApp::InitApplication() {
    RegisterStandardControls();
    return true;
}

void CKestrelviewApp::ShowAbout() { ShowAboutBox(m_pMainWnd); }

bool CKestrelviewApp::InitInstance() {
    SetRegistryKey(u"Farrowdale");
    const bool single = OpensSinglePhoto(m_lpCmdLine);
    DocTemplate::ViewFactory view;
    if (single)
        view = [] { return std::make_unique<CSinglePhotoView>(); };
    else
        view = [] { return std::make_unique<CKestrelviewHHView>(); };
    AddDocTemplate(std::make_unique<DocTemplate>(
        IDR_MAINFRAME, [] { return std::make_unique<CKestrelviewDoc>(); },
        [] { return std::make_unique<CMainFrame>(); }, std::move(view)));
    if (!OnFileNew())
        return false;
    CreatePreferencesKey();
    EnsureJpegClassKeys();
    View* active = m_pMainWnd->GetActiveView();
    if (active)
        active->ShowWindow(true);
    m_pMainWnd->ActivateFrame();
    UpdateWindow(m_pMainWnd);
    if (single)
        if (auto* photo = dynamic_cast<CSinglePhotoView*>(active))
            photo->OpenFile(m_lpCmdLine);
    return true;
}
