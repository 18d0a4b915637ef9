#pragma once
#include "platform/framework/CommandTarget.h"
#include "platform/window/Window.h"

class Document;
class DeviceContext;

// The window filling the frame's client area. It paints through OnDraw and
// is the first to be offered each command.
class View : public Window, public CommandTarget {
public:
    Document* GetDocument() const { return m_document; }
    void SetDocument(Document* document) { m_document = document; }

    // Once the frame, document and view all exist.
    virtual void OnInitialUpdate();

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    // A control of the view reporting something other than a click
    // (selection changed, focus ...); the default ignores it.
    virtual void OnControlNotify(int id, int code, HWND control) { (void)id; (void)code; (void)control; }
    // Paints the invalid part; the default paints nothing.
    virtual void OnDraw(DeviceContext& dc, const Rect& paint) { (void)dc; (void)paint; }
    void OnPaint(DeviceContext& dc, const Rect& paint) final { OnDraw(dc, paint); }

private:
    Document* m_document = nullptr;
};
