#include "catalogue/ImageItemList.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <unordered_set>

#include "catalogue/CatalogueStrings.h"
#include "catalogue/CategoryDB.h"
#include "catalogue/CrtRand.h"
#include "catalogue/FileOperations.h"
#include "platform/base/Collation.h"
#include "platform/base/Text.h"
#include "platform/base/WinError.h"

namespace {

// What a record is sorted on under one key: the collation key of a text,
// or a number.
struct SortValue {
    std::wstring text;
    uint32_t number = 0;
};

SortValue SortValueOf(CImageItem& record, uint16_t key, const CCategoryDB* db) {
    switch (key) {
        case SORT_LOCATION: return {UserSortKey(record.Folder())};
        case SORT_NAME: return {UserSortKey(record.Title())};
        case SORT_CATEGORY: return {UserSortKey(db ? record.GetCategoryName(*db) : std::u16string(STRING_UNFILED))};
        case SORT_SIZE: return {{}, record.GetSize()};
        case SORT_DIMENSIONS: return {{}, record.GetWidth()};
        case SORT_DATE: return {{}, record.GetDate()};
        case SORT_NOTE: return {{}, record.HasNote() ? 1u : 0u};
        default: return {};
    }
}

int Sign(uint32_t a, uint32_t b) { return a < b ? -1 : (a > b ? 1 : 0); }

// Widths are compared as plain numbers rather than as a 16-bit difference,
// which would wrap for widths more than 32767 apart and make the order
// depend on the order of insertion.
int CompareValues(const SortValue& a, const SortValue& b, uint16_t key, bool ascending) {
    int result = 0;
    switch (key) {
        case SORT_LOCATION:
        case SORT_NAME:
        case SORT_CATEGORY: result = a.text.compare(b.text); break;
        case SORT_NOTE: result = static_cast<int>(a.number) - static_cast<int>(b.number); break;
        default: result = Sign(a.number, b.number); break;
    }
    return ascending ? result : -result;
}

}  // namespace

int CompareImageItems(CImageItem& a, CImageItem& b, uint16_t key, bool ascending,
                      const CCategoryDB* db) {
    return CompareValues(SortValueOf(a, key, db), SortValueOf(b, key, db), key, ascending);
}

CImageItemList::CImageItemList(const CCategoryDB* categories) : m_categories(categories) {}

CImageItemList::~CImageItemList() = default;

void CImageItemList::AddRemovalListener(RecordRemovalListener* listener) {
    if (listener && std::find(m_removalListeners.begin(), m_removalListeners.end(), listener) ==
                        m_removalListeners.end())
        m_removalListeners.push_back(listener);
}

void CImageItemList::RemoveRemovalListener(RecordRemovalListener* listener) {
    std::erase(m_removalListeners, listener);
}

bool CImageItemList::IsLeaving(const CImageItem* record) const {
    return std::find(m_leaving.begin(), m_leaving.end(), record) != m_leaving.end();
}

std::vector<const CImageItem*> CImageItemList::AllRecords() const {
    std::vector<const CImageItem*> all;
    all.reserve(m_records.size());
    for (const auto& record : m_records) all.push_back(record.get());
    return all;
}

bool CImageItemList::Contains(const CImageItem* record) const {
    if (!record) return false;
    if (record == m_temporary.get()) return true;
    return std::any_of(m_records.begin(), m_records.end(),
                       [record](const auto& held) { return held.get() == record; });
}

// All the records are marked as leaving before the first is told, so that a
// holder moving on from one of them passes over the others. A listener may
// unregister itself (or another) while being told.
void CImageItemList::TellRemoving(const std::vector<const CImageItem*>& records) {
    if (records.empty() || m_removalListeners.empty()) return;
    m_leaving = records;
    for (const CImageItem* record : records) {
        const std::vector<RecordRemovalListener*> listeners = m_removalListeners;
        for (RecordRemovalListener* listener : listeners) {
            if (std::find(m_removalListeners.begin(), m_removalListeners.end(), listener) !=
                m_removalListeners.end())
                listener->OnRecordRemoving(*record);
        }
    }
    m_leaving.clear();
}

void CImageItemList::SetCategoryDB(const CCategoryDB* categories) {
    m_categories = categories;
    InvalidateDisplay();
}

void CImageItemList::SetShowPrivate(bool showPrivate) {
    if (m_showPrivate == showPrivate) return;
    m_showPrivate = showPrivate;
    InvalidateDisplay();
}

void CImageItemList::InvalidateDisplay() { m_display.valid = false; }

void CImageItemList::ListChanged() {
    m_display.valid = false;
    m_listIndexValid = false;
}

// Binary search for the place after every record that compares equal.
size_t CImageItemList::InsertionPlace(CImageItem& record) {
    const SortValue value = SortValueOf(record, m_key, m_categories);
    int64_t low = 0;
    int64_t high = static_cast<int64_t>(m_records.size()) - 1;
    while (low <= high) {
        const int64_t mid = (low + high) / 2;
        const SortValue other = SortValueOf(*m_records[static_cast<size_t>(mid)], m_key, m_categories);
        if (CompareValues(value, other, m_key, m_ascending) < 0) {
            high = mid - 1;
        } else {
            low = mid + 1;
        }
    }
    return static_cast<size_t>(low);
}

CImageItem* CImageItemList::Insert(std::unique_ptr<CImageItem> record) {
    if (!record || m_records.size() >= IMAGE_LIST_MAX) return nullptr;
    const size_t place = InsertionPlace(*record);
    CImageItem* inserted = record.get();
    m_records.insert(m_records.begin() + static_cast<ptrdiff_t>(place), std::move(record));
    ListChanged();
    return inserted;
}

// The list is sorted, so a stable sort of it followed by the new records
// puts each new one after its equals, as Insert would.
size_t CImageItemList::InsertMany(std::vector<std::unique_ptr<CImageItem>> records) {
    std::erase(records, nullptr);
    const size_t room = IMAGE_LIST_MAX - std::min(IMAGE_LIST_MAX, m_records.size());
    const size_t taken = std::min(room, records.size());
    if (taken == 0) return 0;
    m_records.insert(m_records.end(), std::make_move_iterator(records.begin()),
                     std::make_move_iterator(records.begin() + static_cast<ptrdiff_t>(taken)));
    Resort(m_key, m_ascending);
    return taken;
}

// Each record's value is read once; a stable sort on them keeps records with
// equal keys in their present order, as inserting them one by one would.
void CImageItemList::Resort(uint16_t key, bool ascending) {
    std::vector<SortValue> values;
    values.reserve(m_records.size());
    for (auto& record : m_records) values.push_back(SortValueOf(*record, key, m_categories));
    std::vector<uint32_t> order(m_records.size());
    std::iota(order.begin(), order.end(), 0u);
    std::stable_sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
        return CompareValues(values[a], values[b], key, ascending) < 0;
    });
    std::vector<std::unique_ptr<CImageItem>> sorted;
    sorted.reserve(m_records.size());
    for (uint32_t index : order) sorted.push_back(std::move(m_records[index]));
    m_records = std::move(sorted);
    m_key = key;
    m_ascending = ascending;
    ListChanged();
}

uint32_t CImageItemList::Remove(const CImageItem* record, bool deleteFile,
                                std::unique_ptr<CImageItem>& removed) {
    if (record && deleteFile) {
        if (const uint32_t err = DeleteImageFile(*record)) return err;
    }
    removed = Remove(record);
    return ERROR_SUCCESS;
}

std::unique_ptr<CImageItem> CImageItemList::Remove(const CImageItem* record) {
    const auto it = std::find_if(m_records.begin(), m_records.end(),
                                 [record](const auto& held) { return held.get() == record; });
    if (it == m_records.end()) return nullptr;
    TellRemoving({record});
    std::unique_ptr<CImageItem> removed = std::move(*it);
    m_records.erase(it);
    ListChanged();
    return removed;
}

size_t CImageItemList::RemoveWhere(const std::function<bool(const CImageItem&)>& test) {
    const size_t before = m_records.size();
    std::vector<const CImageItem*> leaving;
    for (const auto& record : m_records) {
        if (test(*record)) leaving.push_back(record.get());
    }
    TellRemoving(leaving);
    const std::unordered_set<const CImageItem*> gone(leaving.begin(), leaving.end());
    std::erase_if(m_records, [&](const auto& record) { return gone.count(record.get()) != 0; });
    if (m_records.size() != before) ListChanged();
    return before - m_records.size();
}

std::vector<std::unique_ptr<CImageItem>> CImageItemList::TakeAll() {
    TellRemoving(AllRecords());
    std::vector<std::unique_ptr<CImageItem>> records = std::move(m_records);
    m_records.clear();
    ListChanged();
    return records;
}

void CImageItemList::Clear() {
    TellRemoving(AllRecords());
    m_records.clear();
    ListChanged();
}

CImageItem* CImageItemList::Find(std::u16string_view path) const {
    for (const auto& record : m_records) {
        if (EqualsNoCase(record->GetPath(), path)) return record.get();
    }
    return nullptr;
}

CImageItem* CImageItemList::FindByPath(std::u16string_view path) {
    if (CImageItem* record = Find(path)) return record;
    // Asking again for the file shown from outside keeps the record the
    // viewer may still hold.
    if (m_temporary && EqualsNoCase(m_temporary->GetPath(), path)) return m_temporary.get();
    auto record = std::make_unique<CImageItem>();
    record->InitFromFile(path, CImageItem::IsRemovablePath(path));
    record->SetTemporary(true);
    if (m_temporary) TellRemoving({m_temporary.get()});
    m_temporary = std::move(record);
    return m_temporary.get();
}

bool CImageItemList::CategoryPasses(const RecordId& filterCategory, const RecordId& category) const {
    if (category == filterCategory || filterCategory == CATEGORY_ID_ALL) return true;
    if (filterCategory != CATEGORY_ID_UNFILED) return false;
    // Unfiled also takes categories the database does not know or deleted.
    CategoryRecord known;
    return !m_categories || !m_categories->Get(category, known) || !known.IsLive();
}

// Private images are tested last: finding out may open the file.
bool CImageItemList::Passes(const ImageFilter& filter, CImageItem& record) {
    if (!CategoryPasses(filter.category, record.GetCategory())) return false;
    if (!filter.location.empty() && !record.IsUnder(filter.location)) return false;
    return m_showPrivate || !record.IsPrivate();
}

const CImageItemList::Display& CImageItemList::DisplayFor(const ImageFilter& filter) {
    if (m_display.valid && m_display.filter == filter) return m_display;
    m_display.filter = filter;
    m_display.indices.clear();
    m_display.positions.assign(m_records.size(), -1);
    const bool everything = filter.IsEverything() && m_showPrivate;
    for (size_t i = 0; i < m_records.size(); ++i) {
        if (everything || Passes(filter, *m_records[i])) {
            m_display.positions[i] = static_cast<int32_t>(m_display.indices.size());
            m_display.indices.push_back(static_cast<uint32_t>(i));
        }
    }
    m_display.valid = true;
    return m_display;
}

int CImageItemList::ListIndexOf(const CImageItem* record) {
    if (!m_listIndexValid) {
        m_listIndex.clear();
        m_listIndex.reserve(m_records.size());
        for (size_t i = 0; i < m_records.size(); ++i) {
            m_listIndex.emplace(m_records[i].get(), static_cast<uint32_t>(i));
        }
        m_listIndexValid = true;
    }
    const auto it = m_listIndex.find(record);
    return it == m_listIndex.end() ? -1 : static_cast<int>(it->second);
}

int CImageItemList::Count(const ImageFilter& filter) {
    if (filter.IsEverything() && m_showPrivate) return static_cast<int>(m_records.size());
    return static_cast<int>(DisplayFor(filter).indices.size());
}

CImageItem* CImageItemList::Nth(const ImageFilter& filter, int n) {
    if (n < 0) return nullptr;
    const size_t at = static_cast<size_t>(n);
    if (filter.IsEverything() && m_showPrivate) {
        return at < m_records.size() ? m_records[at].get() : nullptr;
    }
    const Display& display = DisplayFor(filter);
    return at < display.indices.size() ? m_records[display.indices[at]].get() : nullptr;
}

int CImageItemList::IndexOf(const ImageFilter& filter, const CImageItem* record) {
    const int index = ListIndexOf(record);
    if (index < 0) return -1;
    if (filter.IsEverything() && m_showPrivate) return index;
    return DisplayFor(filter).positions[static_cast<size_t>(index)];
}

CImageItem* CImageItemList::Next(const ImageFilter& filter, const CImageItem* record) {
    const int index = ListIndexOf(record);
    if (index < 0) return nullptr;
    const std::vector<uint32_t>& shown = DisplayFor(filter).indices;
    const auto after = std::upper_bound(shown.begin(), shown.end(), static_cast<uint32_t>(index));
    if (after != shown.end()) return m_records[*after].get();
    if (!shown.empty() && shown.front() != static_cast<uint32_t>(index)) return m_records[shown.front()].get();
    return nullptr;
}

CImageItem* CImageItemList::Previous(const ImageFilter& filter, const CImageItem* record) {
    const int index = ListIndexOf(record);
    if (index < 0) return nullptr;
    const std::vector<uint32_t>& shown = DisplayFor(filter).indices;
    const auto at = std::lower_bound(shown.begin(), shown.end(), static_cast<uint32_t>(index));
    if (at != shown.begin()) return m_records[*(at - 1)].get();
    if (!shown.empty() && shown.back() != static_cast<uint32_t>(index)) return m_records[shown.back()].get();
    return nullptr;
}

// Starts at a random displayed position and takes the first record not yet
// shown in this pass; when every one has been shown, a new pass begins.
CImageItem* CImageItemList::RandomNext(const ImageFilter& filter) {
    for (;;) {
        const std::vector<uint32_t>& shown = DisplayFor(filter).indices;
        const size_t count = shown.size();
        if (count == 0) return nullptr;
        const double r = CrtRand();
        size_t start = static_cast<size_t>(std::floor(r * (static_cast<double>(count) * (1.0 / 32767.0))));
        if (start >= count) start = 0;
        for (size_t k = 0; k < count; ++k) {
            CImageItem* record = m_records[shown[(start + k) % count]].get();
            if (!record->ShownInRandom()) {
                record->SetShownInRandom(true);
                return record;
            }
        }
        for (uint32_t index : shown) m_records[index]->SetShownInRandom(false);
    }
}

int CImageItemList::SetCategory(CImageItem& record, const RecordId& category) {
    const int err = record.SetCategory(category);
    if (err == 0) InvalidateDisplay();
    return err;
}

int CImageItemList::SetPrivate(CImageItem& record, bool isPrivate) {
    const int err = record.SetPrivate(isPrivate);
    if (err == 0) InvalidateDisplay();
    return err;
}

// From the last displayed record to the first; the result is that of the
// front-most one, the last attempted.
uint32_t CImageItemList::DeleteAll(const ImageFilter& filter) {
    const std::vector<uint32_t> shown = DisplayFor(filter).indices;
    uint32_t result = ERROR_SUCCESS;
    std::vector<const CImageItem*> deleted;
    for (auto it = shown.rbegin(); it != shown.rend(); ++it) {
        result = DeleteImageFile(*m_records[*it]);
        if (result == ERROR_SUCCESS) deleted.push_back(m_records[*it].get());
    }
    if (!deleted.empty()) {
        TellRemoving(deleted);
        const std::unordered_set<const CImageItem*> gone(deleted.begin(), deleted.end());
        std::erase_if(m_records, [&](const auto& record) { return gone.count(record.get()) != 0; });
        ListChanged();
    }
    return result;
}

// The displayed records are taken before any changes, so a record that
// stops passing the filter on the way does not make the next one skipped.
int CImageItemList::CategorizeAll(const ImageFilter& filter, const RecordId& category) {
    const std::vector<uint32_t> shown = DisplayFor(filter).indices;
    int result = 0;
    for (uint32_t index : shown) {
        result = m_records[index]->SetCategory(category);
        if (result != 0) break;
    }
    InvalidateDisplay();
    return result;
}

uint32_t CImageItemList::MoveAll(const ImageFilter& filter, std::u16string_view folder) {
    if (const uint32_t err = CreateFolderTree(folder)) return err;
    const std::vector<uint32_t> shown = DisplayFor(filter).indices;
    for (uint32_t index : shown) {
        if (const uint32_t err = MoveImage(*m_records[index], folder, false)) return err;
    }
    return ERROR_SUCCESS;
}

int CImageItemList::UncategorizeAll(const RecordId& category) {
    int firstError = 0;
    for (auto& record : m_records) {
        if (!CategoryPasses(category, record->GetCategory())) continue;
        const int err = record->SetCategory(CATEGORY_ID_UNFILED);
        if (firstError == 0) firstError = err;
    }
    InvalidateDisplay();
    return firstError;
}

void CImageItemList::SelectAll(const ImageFilter& filter) {
    for (uint32_t index : DisplayFor(filter).indices) m_records[index]->SetSelected(true);
}

void CImageItemList::ClearSelection() {
    for (auto& record : m_records) record->SetSelected(false);
}

bool CImageItemList::AnySelected() const {
    return std::any_of(m_records.begin(), m_records.end(),
                       [](const auto& record) { return record->IsSelected(); });
}

int CImageItemList::FirstSelectedIndex(const ImageFilter& filter) {
    const std::vector<uint32_t>& shown = DisplayFor(filter).indices;
    for (size_t position = 0; position < shown.size(); ++position) {
        if (m_records[shown[position]]->IsSelected()) return static_cast<int>(position);
    }
    return -1;
}

CImageItem* CImageItemList::NthSelected(const ImageFilter& filter, int n) {
    if (n < 0) return nullptr;
    for (uint32_t index : DisplayFor(filter).indices) {
        CImageItem* record = m_records[index].get();
        if (record->IsSelected() && n-- == 0) return record;
    }
    return nullptr;
}

template <typename Visit>
void CImageItemList::ForEachWithPicture(Visit visit) {
    for (auto& record : m_records) {
        if (record->GetPicture()) visit(*record);
    }
    if (m_temporary && m_temporary->GetPicture()) visit(*m_temporary);
}

// About six pictures stay cached; the oldest made goes first, never the one
// on screen.
void CImageItemList::TrimPictureCache(const CImageItem* shown) {
    int pictures = 0;
    CImageItem* oldest = nullptr;
    ForEachWithPicture([&](CImageItem& record) {
        ++pictures;
        if (&record != shown && (!oldest || record.GetPictureTick() < oldest->GetPictureTick())) {
            oldest = &record;
        }
    });
    if (pictures >= PICTURE_CACHE_LIMIT && oldest) oldest->FreePicture();
}

void CImageItemList::FreeAllPictures() {
    ForEachWithPicture([](CImageItem& record) { record.FreePicture(); });
}
