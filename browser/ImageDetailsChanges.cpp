#include "browser/ImageDetailsChanges.h"

#include "catalogue/CatalogueTypes.h"
#include "catalogue/FileOperations.h"
#include "catalogue/FolderList.h"
#include "catalogue/ImageItem.h"
#include "catalogue/ImageItemList.h"
#include "dialogs/ImageDetailsDlg.h"
#include "platform/base/WinError.h"

namespace {

// A stand-in for the record's file under another path: the file
// operations take a record, and the record itself keeps its path.
std::unique_ptr<CImageItem> FileAt(std::u16string_view path) {
    auto file = std::make_unique<CImageItem>();
    file->SetPath(path);
    return file;
}

}  // namespace

CImageDetailsChanges::CImageDetailsChanges(CImageItem& record, const ImageDetails& details,
                                           const RecordId& category, std::u16string_view locationPath)
    : m_record(record), m_oldCategory(record.GetCategory()), m_category(category) {
    if (details.name != record.Title())
        m_title = details.name;
    m_categoryChanged = m_category != m_oldCategory;
    m_isPrivate = details.isPrivate;
    m_privateChanged = m_isPrivate != record.IsPrivate();
    if (!locationPath.empty() && !record.IsUnder(locationPath))
        m_locationPath = locationPath;
}

uint32_t CImageDetailsChanges::Apply(CImageItemList& list, const CFolderList& locations) {
    m_failureText.clear();
    if (const uint32_t err = WriteTrailer(list)) {
        UndoTrailer(list);
        m_failureText = MoveImageFailureText(err).text;
        return err;
    }
    if (const uint32_t err = PlaceFile(locations)) {
        UndoTrailer(list);
        return err;
    }
    return 0;
}

// Trailer errors are negative numbers; they travel as the unsigned result.
uint32_t CImageDetailsChanges::WriteTrailer(CImageItemList& list) {
    if (m_categoryChanged) {
        if (const int err = list.SetCategory(m_record, m_category))
            return uint32_t(err);
        m_categoryWritten = true;
    }
    if (m_privateChanged) {
        if (const int err = list.SetPrivate(m_record, m_isPrivate))
            return uint32_t(err);
        m_privateWritten = true;
    }
    return 0;
}

void CImageDetailsChanges::UndoTrailer(CImageItemList& list) {
    if (m_privateWritten && list.SetPrivate(m_record, !m_isPrivate) == 0)
        m_privateWritten = false;
    if (m_categoryWritten && list.SetCategory(m_record, m_oldCategory) == 0)
        m_categoryWritten = false;
}

// The rename first, then the move of the renamed file; a failed move gives
// the file its old name back.
uint32_t CImageDetailsChanges::PlaceFile(const CFolderList& locations) {
    std::u16string path = m_record.GetPath();
    if (NameChanged()) {
        if (const uint32_t err = RenameImage(m_record, m_title)) {
            m_failureText = RenameFailureText(err).text;
            return err;
        }
        path = JoinPath(m_record.Folder(), m_title + u".jpg");
    }
    if (!LocationChanged())
        return 0;
    const CFolderItem* location = locations.Find(m_locationPath);
    // The card may have gone while the dialog was open.
    uint32_t err = location ? 0 : uint32_t(ERROR_PATH_NOT_FOUND);
    std::unique_ptr<CImageItem> file = FileAt(path);
    if (location)
        err = MoveImage(*file, CFolderList::ImageFolderOf(*location), true);
    if (err) {
        if (NameChanged())
            RenameImage(*file, m_record.Title());
        m_failureText = MoveImageFailureText(err).text;
        return err;
    }
    m_record.SetRemovable(location->IsRemovable());
    FileAt(JoinPath(CFolderList::ImageFolderOf(*location), file->FileName()))->Touch();
    return 0;
}
