#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/framework/CommandTarget.h"

class DocTemplate;
class FrameWindow;

// The program object: start-up, the message loop and the end of the
// commands' route. One exists at a time; constructing it makes it current.
class Application : public CommandTarget {
public:
    Application();
    ~Application() override;
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    static Application* Current();

    virtual bool InitApplication() { return true; }
    // True runs the message loop; false stops the program.
    virtual bool InitInstance() { return false; }
    virtual int ExitInstance() { return 0; }
    // The message loop: accelerators through the main frame, idle work when
    // the queue runs dry. Returns the exit code of the quit.
    int Run();

    void AddDocTemplate(std::unique_ptr<DocTemplate> docTemplate);
    // The default "new" command of the first template.
    bool OnFileNew();

    // The key under which the program keeps its settings
    // ("Software\<company>\<program>").
    void SetRegistryKey(std::u16string_view company) { m_registryCompany = company; }
    const std::u16string& RegistryCompany() const { return m_registryCompany; }

    // Called when the queue runs dry, after the frame's idle update.
    void SetIdleWork(std::function<void()> work) { m_idleWork = std::move(work); }

    std::u16string m_lpCmdLine;
    FrameWindow* m_pMainWnd = nullptr;

private:
    void OnIdle();

    Application* m_previous;
    std::vector<std::unique_ptr<DocTemplate>> m_templates;
    std::u16string m_registryCompany;
    std::function<void()> m_idleWork;
};
