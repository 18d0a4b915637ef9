#include "app/KestrelviewEntry.h"

#include "app/KestrelviewApp.h"
#include "app/MainFrame.h"
#include "platform/window/DisplayBackend.h"
#include "platform/shell/Shell.h"
#include "platform/framework/SingleInstance.h"
#include "platform/base/WinError.h"
#include "platform/window/WindowManager.h"

namespace {

constexpr uintptr_t MAILBOX_TIMER = 1;
constexpr uint32_t MAILBOX_INTERVAL_MS = 250;

// A hidden window that looks for second starts now and then, so that a
// program waiting for input still answers them.
class InstanceMailbox : public Window {
public:
    explicit InstanceMailbox(std::function<void()> check) : m_check(std::move(check)) {}
    bool Start() {
        if (!Create(nullptr, {0, 0, 0, 0}, 0, u"", 0))
            return false;
        SetTimer(this, MAILBOX_TIMER, MAILBOX_INTERVAL_MS);
        return true;
    }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_TIMER && wParam == MAILBOX_TIMER) {
            m_check();
            return 0;
        }
        return DefWindowProc(message, wParam, lParam);
    }

private:
    std::function<void()> m_check;
};

// What the running copy does for a second start.
void AnswerSecondStarts(SingleInstance& instance) {
    instance.TakeRequests(
        [] {
            if (CMainFrame* frame = GetMainFrame())
                frame->BringToFront();
            if (WindowManager* manager = WindowManager::Current(); manager && manager->Backend())
                manager->Backend()->Raise();
        },
        [](std::u16string_view text) {
            CMainFrame* frame = GetMainFrame();
            if (!frame)
                return;
            const std::u16string copy(text);
            const COPYDATASTRUCT data = MakeCommandLineCopyData(copy);
            SendMessage(frame, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
        });
}

int RunProgram(CKestrelviewApp& app, SingleInstance& instance) {
    Shell shell;
    if (!app.InitInstance()) {
        if (app.m_pMainWnd)
            app.m_pMainWnd->Destroy();
        return app.ExitInstance();
    }
    instance.SetMainWindowReady(true);
    InstanceMailbox mailbox([&instance] { AnswerSecondStarts(instance); });
    mailbox.Start();
    app.SetIdleWork([&instance] { AnswerSecondStarts(instance); });
    const int exitCode = app.Run();
    instance.SetMainWindowReady(false);
    return exitCode;
}

}  // namespace

int KestrelviewMain(const LaunchOptions& options,
                    const std::function<std::unique_ptr<DisplayBackend>()>& makeBackend) {
    CKestrelviewApp app;
    app.m_lpCmdLine = options.commandLine;
    if (!app.InitApplication())
        return -1;
    SingleInstance instance(options.deviceRoot, options.programPath);
    if (instance.Acquire() == ERROR_ALREADY_EXISTS) {
        if (instance.HandOver(options.commandLine, 3, options.handOverSleepMs))
            return -1;
    }
    std::unique_ptr<DisplayBackend> backend = makeBackend ? makeBackend() : nullptr;
    if (!backend)
        return -1;
    int exitCode;
    {
        WindowManager manager(backend.get());
        exitCode = RunProgram(app, instance);
    }
    return exitCode;
}
