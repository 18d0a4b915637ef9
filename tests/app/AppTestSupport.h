#pragma once
#include <memory>
#include <string>

#include "app/KestrelviewApp.h"
#include "app/MainFrame.h"
#include "platform/shell/Shell.h"
#include "platform/base/Text.h"
#include "tests/platform/WindowTestSupport.h"
#include "tests/support/TestSupport.h"

// The program started headless on a temporary device folder, as the entry
// routine starts it, without the single-copy check.
struct StartedProgram {
    TempDevice device;
    HeadlessScreen screen;
    Shell shell;
    CKestrelviewApp app;

    bool Start(std::u16string commandLine = u"") {
        app.m_lpCmdLine = std::move(commandLine);
        return app.InitApplication() && app.InitInstance();
    }
    CMainFrame& Frame() { return *static_cast<CMainFrame*>(app.m_pMainWnd); }
    // Runs the loop until the queued input is used up.
    int Run() { return app.Run(); }
};
