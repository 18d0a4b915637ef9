#include "platform/framework/Application.h"

#include "platform/framework/DocTemplate.h"
#include "platform/framework/FrameWindow.h"
#include "platform/window/WindowManager.h"

namespace {
Application* g_application = nullptr;
}

Application::Application() : m_previous(g_application) { g_application = this; }

Application::~Application() {
    m_templates.clear();
    g_application = m_previous;
}

Application* Application::Current() { return g_application; }

void Application::AddDocTemplate(std::unique_ptr<DocTemplate> docTemplate) {
    m_templates.push_back(std::move(docTemplate));
}

bool Application::OnFileNew() {
    if (m_templates.empty() || !m_templates.front()->OpenNewDocument())
        return false;
    m_pMainWnd = m_templates.front()->GetFrame();
    return true;
}

void Application::OnIdle() {
    WindowManager* manager = WindowManager::Current();
    if (m_pMainWnd && manager && manager->IsWindow(m_pMainWnd))
        m_pMainWnd->OnIdle();
    if (m_idleWork)
        m_idleWork();
}

int Application::Run() {
    WindowManager* manager = WindowManager::Current();
    if (!manager)
        return -1;
    manager->SetIdleHandler([this] { OnIdle(); });
    MSG msg;
    while (manager->GetMessage(msg)) {
        if (m_pMainWnd && manager->IsWindow(m_pMainWnd) && m_pMainWnd->PreTranslateMessage(msg))
            continue;
        manager->TranslateMessage(msg);
        manager->DispatchMessage(msg);
    }
    manager->SetIdleHandler(nullptr);
    return msg.message == WM_QUIT ? int(msg.wParam) : 0;
}
