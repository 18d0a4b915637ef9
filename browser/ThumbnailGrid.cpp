#include "browser/ThumbnailGrid.h"

#include <algorithm>

#include "platform/fonts/SystemFont.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/window/WindowManager.h"
#include "handheld/CameraOrientationPreference.h"

CThumbnailGrid::CThumbnailGrid() {
    m_context.font = GetUiFont(UiFont::Normal);
    if (m_context.font)
        m_context.lineHeight = m_context.font->Metrics().height;
}

CThumbnailGrid::~CThumbnailGrid() { Destroy(); }

bool CThumbnailGrid::Create(HWND parent, const Rect& rect, int id) {
    RegisterScrollBarClass();
    if (!Window::Create(parent, rect, id, u"", WS_CHILD, CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS))
        return false;
    const int32_t width = GetSystemMetrics(SM_CXVSCROLL);
    if (!m_scrollBar.Create(this, {rect.Width() - width, 0, rect.Width(), rect.Height()},
                            SCROLL_BAR_ID, u"", WS_CHILD | SBS_VERT))
        return false;
    SCROLLINFO info;
    info.fMask = SIF_PAGE;
    info.nPage = 1;
    m_scrollBar.SetScrollInfo(info, false);
    m_layout.Resize(rect.Width(), rect.Height());
    m_thumbnails.Worker().SetFollowCameraOrientation(GetFollowCameraOrientation());
    UpdateScrollRange();
    return true;
}

void CThumbnailGrid::SetLayout(int layout) {
    m_layout.SetLayout(layout);
    const Rect client = GetClientRect();
    m_layout.Resize(client.Width(), client.Height());
    m_cell.reset();
    UpdateScrollRange();
    Invalidate();
}

void CThumbnailGrid::Show(bool show) {
    ShowWindow(show);
    if (show)
        Invalidate();
}

void CThumbnailGrid::SetImageList(CImageItemList* list) {
    m_list = list;
    Refresh();
}

void CThumbnailGrid::SetCategoryFilter(const RecordId& category) {
    m_filter.category = category;
    Refresh();
}

void CThumbnailGrid::SetLocationFilter(std::u16string_view location) {
    m_filter.location = location;
    Refresh();
}

void CThumbnailGrid::SetCatalogue(const CCategoryDB* categories, const CFolderList* locations) {
    m_context.categories = categories;
    m_context.locations = locations;
    Invalidate();
}

// The line height is the font's cell height, which already holds its
// internal leading; adding the leading again would push the detail
// layout's fourth line into the name.
void CThumbnailGrid::SetFont(const Font* font) {
    m_context.font = font;
    m_context.lineHeight = font ? font->Metrics().height : 13;
    Invalidate();
}

void CThumbnailGrid::Refresh() {
    UpdateScrollRange();
    Invalidate();
}

int CThumbnailGrid::Count() { return m_list ? m_list->Count(m_filter) : 0; }

CImageItem* CThumbnailGrid::RecordAt(int index) {
    return m_list && index >= 0 ? m_list->Nth(m_filter, index) : nullptr;
}

void CThumbnailGrid::EnsureVisible(int index) {
    if (index < 0 && m_list)
        index = m_list->FirstSelectedIndex(m_filter);
    if (index < 0)
        return;
    ScrollTo(m_layout.TopToShow(m_top, index));
}

void CThumbnailGrid::ItemChanged(CImageItem* record, bool selected) {
    if (!IsWindowVisible() || !record)
        return;
    record->SetSelected(selected);
    UpdateScrollRange();
    SelectionChanged();
    if (m_list) {
        const int index = m_list->IndexOf(m_filter, record);
        if (index >= 0 && index < (m_top + m_layout.Rows()) * m_layout.Columns())
            Invalidate();
    }
}

void CThumbnailGrid::SelectAll() {
    if (m_list)
        m_list->SelectAll(m_filter);
    Invalidate();
}

void CThumbnailGrid::DeselectAll() {
    if (m_list)
        m_list->ClearSelection();
    Invalidate();
}

CImageItem* CThumbnailGrid::NthSelected(int n) {
    return m_list ? m_list->NthSelected(m_filter, n) : nullptr;
}

// ---- scrolling --------------------------------------------------------------

void CThumbnailGrid::UpdateScrollRange() {
    m_layout.SetCount(Count());
    const int largest = m_layout.LargestTopRow();
    m_top = m_layout.ClampTop(m_top);
    SCROLLINFO info;
    info.fMask = SIF_RANGE | SIF_POS;
    info.nMin = 0;
    info.nMax = largest;
    info.nPos = m_top;
    m_scrollBar.SetScrollInfo(info, true);
    const bool show = largest > 0;
    if (show != m_scrollBarShown) {
        m_scrollBarShown = show;
        m_scrollBar.ShowWindow(show);
        Invalidate();
    }
}

void CThumbnailGrid::ScrollTo(int top) {
    top = m_layout.ClampTop(top);
    if (top == m_top)
        return;
    m_top = top;
    m_scrollBar.SetScrollPos(m_top, true);
    Invalidate();
}

// A page is the rows shown whole, so a row only partly seen is the first
// one of the next page.
void CThumbnailGrid::OnVScroll(uint16_t code, int position) {
    const int page = m_layout.FullRows();
    switch (code) {
    case SB_LINEUP: ScrollTo(m_top - 1); break;
    case SB_LINEDOWN: ScrollTo(m_top + 1); break;
    case SB_PAGEUP: ScrollTo(m_top - page); break;
    case SB_PAGEDOWN: ScrollTo(m_top + page); break;
    case SB_THUMBTRACK: ScrollTo(position); break;
    case SB_THUMBPOSITION: m_scrollBar.SetScrollPos(m_top, true); break;
    case SB_TOP: ScrollTo(0); break;
    case SB_BOTTOM: ScrollTo(m_layout.LargestTopRow()); break;
    default: break;
    }
}

void CThumbnailGrid::Invalidate() {
    m_pageStale = true;
    if (IsAlive())
        InvalidateRect(this, nullptr, false);
}

// ---- painting ---------------------------------------------------------------

void CThumbnailGrid::OnPaintMessage() {
    PAINTSTRUCT ps;
    DeviceContext* dc = BeginPaint(this, ps);
    if (!dc)
        return;
    if (m_pageStale || !m_page)
        ComposePage();
    if (m_page) {
        DeviceContext memory;
        memory.SelectObject(m_page.get());
        const Rect& r = ps.rcPaint;
        dc->BitBlt(r.left, r.top, r.Width(), r.Height(), &memory, r.left, r.top, SRCCOPY);
    }
    EndPaint(this, ps);
}

// Every pixel of the page is drawn: white around the cells, each cell
// composed in the cell bitmap and copied to its place.
void CThumbnailGrid::ComposePage() {
    const Rect client = GetClientRect();
    if (!m_page || m_page->Width() != client.Width() || m_page->Height() != client.Height())
        m_page = CreateImageBitmap(nullptr, client.Width(), client.Height(), 32);
    const GridMetrics& m = m_layout.Metrics();
    if (!m_cell)
        m_cell = CreateImageBitmap(nullptr, m.cellWidth, m.cellHeight, 32);
    if (!m_page || !m_cell)
        return;
    DeviceContext page;
    page.SelectObject(m_page.get());
    page.FillSolidRect(client, RGB(255, 255, 255));
    m_layout.SetCount(Count());
    m_waiting.clear();
    for (int r = 0; r < m_layout.Rows(); ++r)
        for (int c = 0; c < m_layout.Columns(); ++c)
            ComposeCell(r, c);
    m_pageStale = false;
    AskForThumbnails();
}

void CThumbnailGrid::ComposeCell(int r, int c) {
    CImageItem* record = RecordAt(m_layout.IndexAt(m_top, r, c));
    if (!record || !m_page || !m_cell)
        return;
    ThumbnailCache::State state;
    const Bitmap* thumbnail = m_thumbnails.Lookup(record->GetPath(), state);
    if (state == ThumbnailCache::State::Waiting &&
        std::find(m_waiting.begin(), m_waiting.end(), record->GetPath()) == m_waiting.end())
        m_waiting.push_back(record->GetPath());
    DeviceContext cell;
    cell.SelectObject(m_cell.get());
    const Size size{m_cell->Width(), m_cell->Height()};
    m_painter.Paint(cell, m_layout.Layout(), size, *record, thumbnail, record->IsSelected(), m_context);
    DeviceContext page;
    page.SelectObject(m_page.get());
    const Rect at = m_layout.CellRect(r, c);
    page.BitBlt(at.left, at.top, at.Width(), at.Height(), &cell, 0, 0, SRCCOPY);
}

// A thumbnail came: its cell is recomposed in the page and copied out.
void CThumbnailGrid::UpdatePath(const std::u16string& path) {
    auto waiting = std::find(m_waiting.begin(), m_waiting.end(), path);
    if (waiting != m_waiting.end())
        m_waiting.erase(waiting);
    if (m_pageStale)
        return;
    for (int r = 0; r < m_layout.Rows(); ++r)
        for (int c = 0; c < m_layout.Columns(); ++c) {
            CImageItem* record = RecordAt(m_layout.IndexAt(m_top, r, c));
            if (!record || record->GetPath() != path)
                continue;
            ComposeCell(r, c);
            const Rect at = m_layout.CellRect(r, c);
            InvalidateRect(this, &at, false);
        }
}

// The visible cells still waiting first, then the page below.
void CThumbnailGrid::AskForThumbnails() {
    std::vector<std::u16string> ahead;
    const int columns = m_layout.Columns();
    const int first = (m_top + m_layout.Rows()) * columns;
    const int last = std::min(Count(), first + m_layout.FullRows() * columns);
    for (int index = first; index < last; ++index)
        if (CImageItem* record = RecordAt(index))
            ahead.push_back(record->GetPath());
    m_thumbnails.Want(m_waiting, ahead);
    ArmThumbnailTimer();
}

// Armed whenever something was asked for: the worker may finish before
// anyone looks.
void CThumbnailGrid::ArmThumbnailTimer() {
    if ((m_thumbnails.IsWorking() || !m_waiting.empty()) && IsAlive())
        SetTimer(this, THUMBNAIL_TIMER, THUMBNAIL_POLL_MS);
}

// Collects what the worker finished. With nothing finished it waits a
// little for the worker, so that a run whose clock does not move by itself
// (a headless script) still sees the thumbnails come in. The worker is
// asked whether it is busy before collecting: once it is idle, everything
// it made is already waiting to be collected.
void CThumbnailGrid::OnThumbnailTimer() {
    bool busy = m_thumbnails.IsWorking();
    std::vector<std::u16string> done = m_thumbnails.Collect();
    if (done.empty() && busy && m_thumbnails.WaitForWorker(THUMBNAIL_POLL_MS)) {
        busy = m_thumbnails.IsWorking();
        done = m_thumbnails.Collect();
    }
    for (const std::u16string& path : done)
        UpdatePath(path);
    if (!busy)
        KillTimer(this, THUMBNAIL_TIMER);
}

LRESULT CThumbnailGrid::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        OnPaintMessage();
        return 0;
    case WM_ERASEBKGND:
        return 1;  // the paint covers every pixel
    case WM_SIZE:
        m_layout.Resize(int32_t(LOWORD(uintptr_t(lParam))), int32_t(HIWORD(uintptr_t(lParam))));
        m_scrollBar.MoveWindow({int32_t(LOWORD(uintptr_t(lParam))) - GetSystemMetrics(SM_CXVSCROLL), 0,
                                int32_t(LOWORD(uintptr_t(lParam))), int32_t(HIWORD(uintptr_t(lParam)))});
        UpdateScrollRange();
        Invalidate();
        return 0;
    case WM_VSCROLL:
        OnVScroll(LOWORD(wParam), int16_t(HIWORD(wParam)));
        return 0;
    case WM_TIMER:
        if (wParam == THUMBNAIL_TIMER) {
            OnThumbnailTimer();
            return 0;
        }
        break;
    case WM_LBUTTONDOWN:
        OnStylusDown({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}, wParam);
        return 0;
    case WM_LBUTTONUP:
        OnStylusUp({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
    case WM_LBUTTONDBLCLK:
        OnDoubleTap({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
    case WM_RBUTTONUP:
        return 0;
    case WM_KEYDOWN:
        OnKeyDown(UINT(wParam));
        return 0;
    case WM_KEYUP:
        if (wParam == VK_RETURN)
            OnEnterUp();
        return 0;
    default:
        break;
    }
    return Window::WindowProc(message, wParam, lParam);
}
