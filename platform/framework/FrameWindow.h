#pragma once
#include <memory>
#include <vector>

#include "platform/framework/Accelerators.h"
#include "platform/framework/CommandTarget.h"
#include "platform/window/Window.h"

class Document;
class Menu;
class View;

// The top-level window of a single-document program. Commands reach it
// from menus, bars and accelerators and travel view -> document -> frame
// -> application; menus ask it for the state of their items before they
// open. Closing it ends the message loop.
class FrameWindow : public Window, public CommandTarget {
public:
    FrameWindow();
    ~FrameWindow() override;

    bool Create(const Rect& rect, std::u16string_view title);
    // Creates the window as the program's resources describe it; the
    // default covers the screen with no title.
    virtual bool LoadFrame(UINT resourceId);
    // Shows the frame and makes it the active window, which gives its view
    // the focus.
    void ActivateFrame();

    // The frame owns its view; the view is sized to the client area.
    void SetView(std::unique_ptr<View> view);
    View* GetActiveView() const { return m_view.get(); }
    void SetDocument(Document* document) { m_document = document; }
    Document* GetDocument() const { return m_document; }

    bool OnCmdMsg(UINT id, int code, CommandUi* ui) override;
    // Asks the route for the state of a command.
    CommandUi QueryCommand(UINT id);
    // Applies the route's state to every item of the menu (and submenus).
    void UpdateMenu(Menu& menu);
    // Brings bars up to date when the program is idle.
    virtual void OnIdle() {}

    void SetAccelerators(std::vector<Accelerator> table) { m_accelerators = std::move(table); }
    // Accelerator keys become commands before they are dispatched.
    virtual bool PreTranslateMessage(const MSG& msg);

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    // WM_CREATE: 0 to go on, -1 fails creation.
    virtual int OnCreate() { return 0; }
    virtual void OnClose();
    // The view's place in the frame's client area.
    virtual Rect ViewRect() const { return GetClientRect(); }

private:
    std::unique_ptr<View> m_view;
    Document* m_document = nullptr;
    std::vector<Accelerator> m_accelerators;
};
