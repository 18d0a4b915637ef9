#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "browser/DoubleTapGuard.h"
#include "browser/PhotoListCtrl.h"
#include "browser/ThumbnailGrid.h"
#include "catalogue/CategoryDB.h"
#include "catalogue/FolderList.h"
#include "catalogue/ImageItemList.h"
#include "handheld/Preferences.h"
#include "platform/framework/View.h"

// The browser's base: it owns the photo catalogue, the locations and the
// categories, and shows the displayed photos in the list (id 1001) or the
// grid (id 1002). This class keeps the list: its columns from the
// preferences, its rows in catalogue order through the filters, sorting
// by a header tap, and opening a row. What opening shows, and the popup
// menu of a photo, belong to the derived view.
class CKestrelviewView : public View {
public:
    static constexpr int LIST_ID = 1001;
    static constexpr int GRID_ID = 1002;
    // A stored column width is kept within these on reading, so that no
    // column is lost to a width of 0 or pushed off by a huge one.
    static constexpr int MIN_COLUMN_WIDTH = 16;
    static constexpr int MAX_COLUMN_WIDTH = 240;

    CKestrelviewView();
    ~CKestrelviewView() override;

    CImageItemList& Catalogue() { return m_catalogue; }
    const CImageItemList& Catalogue() const { return m_catalogue; }
    CCategoryDB& Categories() { return m_categories; }
    CFolderList& Locations() { return m_locations; }
    const ImageFilter& Filter() const { return m_filter; }
    CPhotoListCtrl& List() { return m_list; }
    CThumbnailGrid& Grid() { return m_grid; }

    // The list's columns and rows.
    void BuildColumns();
    void SaveColumnWidths();
    void FillList(std::u16string_view location, const RecordId& category);
    // position -1: at the end. The record's selected flag follows the row.
    void InsertRow(CImageItem* record, int position, bool selected);
    // A new record: a row at the end (and a place in the grid) when it
    // passes the category filter.
    void AddRecord(CImageItem* record);
    // Returns the row the record had, or -1.
    int RemoveRow(const CImageItem* record);
    // The record's file was renamed: its row is drawn again in place.
    void UpdateRow(const CImageItem* record);
    // Sorts by the column (a header tap): the same column again turns the
    // direction, another starts ascending; both are stored.
    void SortByColumn(int column);

    // The position of a record among the displayed ones, or -1.
    int DisplayedIndexOf(const CImageItem* record) { return m_catalogue.IndexOf(m_filter, record); }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    // Opens the photo alone; `hideList` when a tap on a list row opened it.
    virtual void ShowImage(CImageItem* record, bool hideList) = 0;
    // The popup menu of a photo, at a screen point.
    virtual void ShowImageMenu(CImageItem* record, Point screen) { (void)record; (void)screen; }
    // A row of the list became selected or not.
    virtual void OnListSelectionChanged(int row, bool selected) { (void)row; (void)selected; }

    // Makes the list and the grid over the given area, hidden.
    bool CreateBrowserControls(const Rect& area);
    // Reads "Sort Column", "Sort Ascending" and "Show Private" into the catalogue.
    void ReadSortPreferences();
    void SetFilter(std::u16string_view location, const RecordId& category);
    // The record is about to be freed: the list forgets having opened it.
    void ForgetRecord(const CImageItem* record);
    // The file list caches and the column widths, once, when the view closes.
    void SaveOnExit();

private:
    friend class CPhotoListCtrl;
    LRESULT OnListNotify(NMHDR& header);
    void OnRowTapped(const NMITEMACTIVATE& tap, bool doubleTap);
    void OnImageSelected(int position);
    bool IsNoteColumn(int position);

    CCategoryDB m_categories;
    CImageItemList m_catalogue;
    CFolderList m_locations;
    ImageFilter m_filter;
    CPhotoListCtrl m_list;
    CThumbnailGrid m_grid;
    int m_sortColumn = COLUMN_NAME;
    bool m_sortAscending = true;
    bool m_firstBuild = true;
    bool m_saved = false;
    const CImageItem* m_openedByClick = nullptr;  // the first tap of a double tap opened it
    DoubleTapGuard m_doubleTap;
};
