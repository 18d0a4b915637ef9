#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "browser/GridCellPainter.h"
#include "browser/GridLayout.h"
#include "browser/ThumbnailCache.h"
#include "catalogue/ImageItemList.h"
#include "platform/controls/ScrollBarControl.h"
#include "platform/window/Window.h"

class CCategoryDB;
class CFolderItem;
class CFolderList;
class Font;

// The browser's photos as a scrolling grid of cells in three layouts
// (thumbnails with names, a bare gallery, wide detail cells). Each cell is
// composed in one cell-sized bitmap and copied into the page, a bitmap of
// the whole client area; the page is copied to the screen, so a repaint
// after a menu or the photo view costs one copy while the page is current.
// The page is rebuilt after scrolling, a selection change, a new layout or
// a refresh; a cell is recomposed alone when its thumbnail arrives.
//
// Thumbnails never hold up the interface: a photo without a stored one
// shows the placeholder and is made by the thumbnail worker, and the next
// page's are made ahead. The selection lives in the image records.
class CThumbnailGrid : public Window {
public:
    static constexpr int SCROLL_BAR_ID = 100;
    static constexpr uintptr_t THUMBNAIL_TIMER = 100;
    // How often finished thumbnails are collected while the worker runs.
    static constexpr uint32_t THUMBNAIL_POLL_MS = 10;

    CThumbnailGrid();
    ~CThumbnailGrid() override;

    bool Create(HWND parent, const Rect& rect, int id);

    void SetLayout(int layout);
    int GetLayout() const { return m_layout.Layout(); }
    void Show(bool show);
    void SetImageList(CImageItemList* list);
    void SetCategoryFilter(const RecordId& category);
    void SetLocationFilter(std::u16string_view location);
    const ImageFilter& GetFilter() const { return m_filter; }
    // Where the detail layout finds category and location names.
    void SetCatalogue(const CCategoryDB* categories, const CFolderList* locations);
    void SetFont(const Font* font);
    int32_t LineHeight() const { return m_context.lineHeight; }

    // Counts again and repaints everything.
    void Refresh();
    // Scrolls the photo (-1: the first selected one) wholly into view.
    void EnsureVisible(int index);
    bool IsVisible(int index) const { return m_layout.IsWhollyVisible(m_top, index); }
    // A record's selection changed from outside (the view).
    void ItemChanged(CImageItem* record, bool selected);
    void SelectAll();
    void DeselectAll();
    CImageItem* NthSelected(int n);
    int Count();
    // The record at a displayed index, or nullptr.
    CImageItem* RecordAt(int index);
    // The photo file is gone or changed (the view hears it from the shell).
    void ForgetThumbnail(std::u16string_view path) { m_thumbnails.Forget(path); }

    // Whether the last photo opened was opened by a tap (and where, on the
    // screen); asking forgets it.
    bool TakeOpeningTap(Point& screen);

    int GetTopRow() const { return m_top; }
    int GetAnchor() const { return m_anchor; }
    void SetAnchor(int anchor) { m_anchor = anchor; }
    const GridLayout& Layout() const { return m_layout; }
    ScrollBarControl& ScrollBar() { return m_scrollBar; }
    // The page holds the current picture of every cell, with no cell
    // still waiting for its thumbnail: a repaint is one copy.
    bool HasSnapshot() const { return !m_pageStale && m_waiting.empty(); }
    // Cells on screen still showing the placeholder for a thumbnail to come.
    size_t WaitingCells() const { return m_waiting.size(); }
    ThumbnailCache& Thumbnails() { return m_thumbnails; }

    // Told to the view: the selection changed; tap-and-hold on a photo.
    std::function<void()> onSelectionChanged;
    std::function<void(CImageItem*, Point screen)> onContextMenu;
    // A photo's category was changed from its detail cell and it is still
    // displayed (the view updates its list row).
    std::function<void(const RecordId& oldCategory, CImageItem*)> onCategoryChanged;

    // Commands of the detail layout's pop-ups.
    static constexpr UINT ID_UNFILED = 32847;
    static constexpr UINT ID_CATEGORY_FIRST = 4000;  // + position among the categories
    static constexpr UINT ID_LOCATION_FIRST = 5000;  // + position among the locations

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // Scrolling and counting.
    void UpdateScrollRange();
    void ScrollTo(int top);
    void OnVScroll(uint16_t code, int position);
    void Invalidate();

    // Painting.
    void OnPaintMessage();
    void ComposePage();
    void ComposeCell(int r, int c);
    void UpdatePath(const std::u16string& path);
    void AskForThumbnails();
    void OnThumbnailTimer();
    void ArmThumbnailTimer();

    // Input.
    void OnStylusDown(Point p, WPARAM keys);
    void OnStylusUp(Point p);
    void OnDoubleTap(Point p);
    bool OnDetailPopup(int index, Point p);
    void CategoryPopup(CImageItem& record, Point screen);
    void LocationPopup(CImageItem& record, Point screen);
    void ApplyCategory(CImageItem& record, const RecordId& category);
    void ApplyLocation(CImageItem& record, const CFolderItem& location);
    void OnKeyDown(UINT key);
    void OnEnterUp();
    void MoveTo(int target, bool forward);
    void OpenImage(int index);
    void SelectionChanged();
    void ClearSelection();

    GridLayout m_layout;
    int m_top = 0;
    int m_anchor = -1;
    int m_pressed = -1;  // the photo the stylus went down on, until it is lifted
    int m_openedOnRelease = -1;  // opened by the last release (a double tap's first half)
    bool m_openingTap = false;
    Point m_openingTapAt;
    CImageItemList* m_list = nullptr;
    ImageFilter m_filter;
    GridCellContext m_context;
    GridCellPainter m_painter;
    ScrollBarControl m_scrollBar;
    bool m_scrollBarShown = false;

    std::unique_ptr<Bitmap> m_cell;
    std::unique_ptr<Bitmap> m_page;
    bool m_pageStale = true;
    std::vector<std::u16string> m_waiting;  // paths of visible cells still on the placeholder
    ThumbnailCache m_thumbnails;
};
