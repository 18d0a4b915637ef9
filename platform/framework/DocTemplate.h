#pragma once
#include <functional>
#include <memory>

#include "platform/window/WindowMessages.h"

class Document;
class FrameWindow;
class View;

// Makes the one document, its frame and its view of a single-document
// program. The view's class is whatever the factory given at start-up
// makes, so the program can pick it at run time.
class DocTemplate {
public:
    using DocumentFactory = std::function<std::unique_ptr<Document>()>;
    using FrameFactory = std::function<std::unique_ptr<FrameWindow>()>;
    using ViewFactory = std::function<std::unique_ptr<View>()>;

    DocTemplate(UINT resourceId, DocumentFactory document, FrameFactory frame, ViewFactory view);
    ~DocTemplate();

    UINT ResourceId() const { return m_resourceId; }
    // The "new" command: a new document, then the frame (its WM_CREATE may
    // fail it), then the view in the frame's client area, then the view's
    // initial update. False, with nothing left over, when a step fails.
    bool OpenNewDocument();

    Document* GetDocument() const { return m_document.get(); }
    FrameWindow* GetFrame() const { return m_frame.get(); }

private:
    UINT m_resourceId;
    DocumentFactory m_makeDocument;
    FrameFactory m_makeFrame;
    ViewFactory m_makeView;
    std::unique_ptr<Document> m_document;
    std::unique_ptr<FrameWindow> m_frame;
};
