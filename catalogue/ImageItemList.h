#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "catalogue/CatalogueTypes.h"
#include "catalogue/ImageItem.h"

class CCategoryDB;

// Told of each record the list is about to give up (to be freed by it or by
// whoever takes it), while the record is still whole and still in the list.
// A holder of a record pointer clears it here.
class RecordRemovalListener {
public:
    virtual ~RecordRemovalListener() = default;
    virtual void OnRecordRemoving(const CImageItem& record) = 0;
};

// Sort keys, stored as the preference "Sort Column".
enum SortKey : uint16_t {
    SORT_LOCATION = 0,    // folder part of the path
    SORT_NAME = 1,        // file name without extension
    SORT_CATEGORY = 2,    // category name, "Unfiled" for none
    SORT_SIZE = 3,        // file size
    SORT_DIMENSIONS = 4,  // pixel width only
    SORT_DATE = 5,        // image date
    SORT_NOTE = 6,        // whether the image has a note
};
constexpr uint16_t SORT_KEY_COUNT = 7;

// Which records are displayed, together with the list's show-private switch.
struct ImageFilter {
    std::u16string location;              // empty: every location
    RecordId category = CATEGORY_ID_ALL;  // CATEGORY_ID_ALL: every category

    bool operator==(const ImageFilter&) const = default;
    bool IsEverything() const { return location.empty() && category == CATEGORY_ID_ALL; }
};

// Positions and counts are 16-bit values, so the list holds at most this many.
constexpr size_t IMAGE_LIST_MAX = 65535;
// With this many pictures cached, the oldest one goes when the viewer moves on.
constexpr int PICTURE_CACHE_LIMIT = 6;

// Negative, zero or positive as a sorts before, with, or after b under the
// key and direction. Values not read yet are read from the files. db gives
// category names; without one every image is "Unfiled".
int CompareImageItems(CImageItem& a, CImageItem& b, uint16_t key, bool ascending,
                      const CCategoryDB* db);

// The sorted list of image records behind the main view, and every question
// the views ask about the displayed (filtered) ones. It owns its records.
//
// The browser asks Count, Nth and IndexOf for every visible cell, so the
// displayed positions under the last filter used are kept, and rebuilt only
// after the list, the filter or a record's category or private flag changed.
// Changes made through the list are seen; a caller that changes a record's
// category or private flag directly, or changes the category database,
// calls InvalidateDisplay.
class CImageItemList {
public:
    explicit CImageItemList(const CCategoryDB* categories = nullptr);
    ~CImageItemList();
    CImageItemList(const CImageItemList&) = delete;
    CImageItemList& operator=(const CImageItemList&) = delete;

    void SetCategoryDB(const CCategoryDB* categories);

    // Every removal (Remove, RemoveWhere, TakeAll, Clear, DeleteAll, a new
    // temporary record) tells the listeners first. A listener unregisters
    // before it goes away.
    void AddRemovalListener(RecordRemovalListener* listener);
    void RemoveRemovalListener(RecordRemovalListener* listener);
    // During the telling of a removal of several records: whether this one
    // is among them (a holder moving on must not pick one of them).
    bool IsLeaving(const CImageItem* record) const;
    // Whether the record is one of the list's, or its temporary record.
    bool Contains(const CImageItem* record) const;
    uint16_t GetSortKey() const { return m_key; }
    bool IsAscending() const { return m_ascending; }
    bool GetShowPrivate() const { return m_showPrivate; }
    void SetShowPrivate(bool showPrivate);

    // Puts the record after every record that compares equal to it, so equal
    // keys keep the order of insertion. Returns the record, or nullptr when
    // the list is full (the record is then freed).
    CImageItem* Insert(std::unique_ptr<CImageItem> record);
    // The order of inserting each record in turn, in O(n log n) rather than
    // a move of the list per record (a scan fills the list this way).
    // Records beyond the list's limit are freed; returns how many went in.
    size_t InsertMany(std::vector<std::unique_ptr<CImageItem>> records);
    // A stable sort by the new key and direction: the order that inserting
    // every record anew, in the current order, would give.
    void Resort(uint16_t key, bool ascending);

    // Takes the record out of the list and hands it to `removed` (left empty
    // when the record is not in the list). With deleteFile the file is
    // deleted first; on failure the record stays and the error is returned.
    uint32_t Remove(const CImageItem* record, bool deleteFile, std::unique_ptr<CImageItem>& removed);
    // Takes the record out without touching its file; nullptr when absent.
    std::unique_ptr<CImageItem> Remove(const CImageItem* record);
    // Frees every record for which the test holds; returns how many.
    size_t RemoveWhere(const std::function<bool(const CImageItem&)>& test);
    // Hands over every record, leaving the list empty (Refresh frees the old
    // records only after the new scan).
    std::vector<std::unique_ptr<CImageItem>> TakeAll();
    void Clear();

    // Every record in list order, displayed or not.
    size_t Size() const { return m_records.size(); }
    CImageItem* At(size_t index) const { return m_records[index].get(); }
    // The record of that path (ignoring case) in the list, or nullptr.
    CImageItem* Find(std::u16string_view path) const;
    // As Find; when no record has the path, a record read from the file that
    // is held as the list's temporary record, outside the sorted records.
    CImageItem* FindByPath(std::u16string_view path);
    CImageItem* GetTemporary() const { return m_temporary.get(); }

    bool Passes(const ImageFilter& filter, CImageItem& record);
    int Count(const ImageFilter& filter);
    CImageItem* Nth(const ImageFilter& filter, int n);
    // Position among the displayed records, or -1.
    int IndexOf(const ImageFilter& filter, const CImageItem* record);
    // The displayed neighbour, wrapping round at the ends; nullptr when no
    // other record is displayed or the record is not in the list.
    CImageItem* Next(const ImageFilter& filter, const CImageItem* record);
    CImageItem* Previous(const ImageFilter& filter, const CImageItem* record);
    // A displayed record not yet shown in the current random pass.
    CImageItem* RandomNext(const ImageFilter& filter);

    // Record changes that can change what is displayed.
    int SetCategory(CImageItem& record, const RecordId& category);
    int SetPrivate(CImageItem& record, bool isPrivate);
    void InvalidateDisplay();

    // Commands on every displayed record.
    uint32_t DeleteAll(const ImageFilter& filter);
    int CategorizeAll(const ImageFilter& filter, const RecordId& category);
    uint32_t MoveAll(const ImageFilter& filter, std::u16string_view folder);
    // Files every record of the category as unfiled; returns the first error.
    int UncategorizeAll(const RecordId& category);

    // The grid's multiple selection.
    void SelectAll(const ImageFilter& filter);
    void ClearSelection();
    bool AnySelected() const;
    int FirstSelectedIndex(const ImageFilter& filter);
    CImageItem* NthSelected(const ImageFilter& filter, int n);

    // Called each time the viewer moves to `shown`.
    void TrimPictureCache(const CImageItem* shown);
    void FreeAllPictures();

private:
    struct Display {
        bool valid = false;
        ImageFilter filter;
        std::vector<uint32_t> indices;   // list indices of displayed records, ascending
        std::vector<int32_t> positions;  // per list index: displayed position or -1
    };

    const Display& DisplayFor(const ImageFilter& filter);
    bool CategoryPasses(const RecordId& filterCategory, const RecordId& category) const;
    int ListIndexOf(const CImageItem* record);
    size_t InsertionPlace(CImageItem& record);
    void ListChanged();
    std::vector<const CImageItem*> AllRecords() const;
    void TellRemoving(const std::vector<const CImageItem*>& records);
    template <typename Visit>
    void ForEachWithPicture(Visit visit);

    std::vector<std::unique_ptr<CImageItem>> m_records;
    uint16_t m_key = SORT_NAME;
    bool m_ascending = true;
    bool m_showPrivate = true;
    std::unique_ptr<CImageItem> m_temporary;
    const CCategoryDB* m_categories = nullptr;
    std::vector<RecordRemovalListener*> m_removalListeners;
    std::vector<const CImageItem*> m_leaving;

    Display m_display;
    std::unordered_map<const CImageItem*, uint32_t> m_listIndex;
    bool m_listIndexValid = false;
};
