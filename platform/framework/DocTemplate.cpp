#include "platform/framework/DocTemplate.h"

#include "platform/framework/Document.h"
#include "platform/framework/FrameWindow.h"
#include "platform/framework/View.h"
#include "platform/window/WindowManager.h"

DocTemplate::DocTemplate(UINT resourceId, DocumentFactory document, FrameFactory frame,
                         ViewFactory view)
    : m_resourceId(resourceId), m_makeDocument(std::move(document)),
      m_makeFrame(std::move(frame)), m_makeView(std::move(view)) {}

DocTemplate::~DocTemplate() {
    // The frame (and its view) may still talk to the document while going.
    m_frame.reset();
    m_document.reset();
}

bool DocTemplate::OpenNewDocument() {
    auto document = m_makeDocument ? m_makeDocument() : nullptr;
    if (!document || !document->OnNewDocument())
        return false;
    auto frame = m_makeFrame ? m_makeFrame() : nullptr;
    if (!frame)
        return false;
    frame->SetDocument(document.get());
    if (!frame->LoadFrame(m_resourceId))
        return false;
    auto view = m_makeView ? m_makeView() : nullptr;
    if (!view)
        return false;
    view->SetDocument(document.get());
    View* shown = view.get();
    if (!shown->Create(frame.get(), frame->GetClientRect(), 0xE900, u"", WS_CHILD | WS_VISIBLE))
        return false;
    frame->SetView(std::move(view));
    m_document = std::move(document);
    m_frame = std::move(frame);
    SendMessage(m_frame.get(), WM_SIZE, 0, 0);
    shown->OnInitialUpdate();
    return true;
}
