#include "catalogue/FileOperations.h"

#include <string>

#include "catalogue/CatalogueTypes.h"
#include "catalogue/FolderList.h"
#include "catalogue/ImageItem.h"
#include "catalogue/ImageItemList.h"
#include "platform/base/FileSystem.h"
#include "platform/base/Text.h"
#include "platform/base/WinError.h"
#include "catalogue/StringTable.h"

namespace {

bool IsDirectory(std::u16string_view path) {
    uint32_t attributes = 0;
    return GetFileAttributes(path, attributes) == ERROR_SUCCESS &&
           (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// The file system says "already exists" with 183; the catalogue's callers
// tell the clash apart by 80.
uint32_t MoveWithoutReplacing(std::u16string_view from, std::u16string_view to) {
    if (PathExists(to)) return ERROR_FILE_EXISTS;
    const uint32_t err = MoveFile(from, to);
    return err == ERROR_ALREADY_EXISTS ? ERROR_FILE_EXISTS : err;
}

uint32_t CreateFolder(std::u16string_view path) {
    if (IsDirectory(path)) return ERROR_SUCCESS;
    const uint32_t err = CreateDirectory(path);
    // Made meanwhile by someone else: only a folder will do.
    if (err == ERROR_ALREADY_EXISTS && IsDirectory(path)) return ERROR_SUCCESS;
    return err;
}

}  // namespace

bool IsValidTitle(std::u16string_view title) {
    constexpr std::u16string_view FORBIDDEN_NAME_CHARACTERS = u"\\/:*?\"<>|";
    return !title.empty() && title.find_first_of(FORBIDDEN_NAME_CHARACTERS) == std::u16string_view::npos;
}

uint32_t DeleteImageFile(const CImageItem& record) { return DeleteFile(record.GetPath()); }

uint32_t RenameImage(const CImageItem& record, std::u16string_view newTitle) {
    if (!IsValidTitle(newTitle)) return ERROR_INVALID_NAME;
    std::u16string newPath = record.Folder();
    newPath += u'\\';
    newPath += newTitle;
    newPath += u".jpg";
    if (EqualsNoCase(newPath, record.GetPath())) return ERROR_SUCCESS;
    return MoveWithoutReplacing(record.GetPath(), newPath);
}

uint32_t MoveImage(const CImageItem& record, std::u16string_view folder, bool createFolders) {
    const std::u16string newPath = JoinPath(folder, record.FileName());
    if (EqualsNoCase(newPath, record.GetPath())) return ERROR_SUCCESS;
    if (createFolders) {
        if (const uint32_t err = CreateFolderTree(folder)) return err;
    }
    if (const uint32_t err = CreateFolder(folder)) return err;
    return MoveWithoutReplacing(record.GetPath(), newPath);
}

uint32_t CreateFolderTree(std::u16string_view path) {
    for (size_t end = path.find(u'\\', 1); ; end = path.find(u'\\', end + 1)) {
        const std::u16string_view part = path.substr(0, end);
        // Empty parts ("\\" or a trailing backslash) name no new folder.
        if (!part.empty() && part.back() != u'\\') {
            if (const uint32_t err = CreateFolder(part)) return err;
        }
        if (end == std::u16string_view::npos) return ERROR_SUCCESS;
    }
}

uint32_t MoveImageToLocation(CImageItem& record, const CFolderItem& location) {
    if (record.IsUnder(location.GetPath())) return ERROR_SUCCESS;
    const uint32_t err = MoveImage(record, CFolderList::ImageFolderOf(location), true);
    if (err == ERROR_SUCCESS) record.SetRemovable(location.IsRemovable());
    return err;
}

uint32_t MoveAllToLocation(CImageItemList& list, const ImageFilter& filter,
                           const CFolderItem& location) {
    return list.MoveAll(filter, CFolderList::ImageFolderOf(location));
}

MoveFailureText MoveImageFailureText(uint32_t result) {
    if (result == ERROR_SUCCESS) return {};
    if (result == ERROR_FILE_EXISTS) return {STRING_FILE_EXISTS, LoadString(STRING_FILE_EXISTS)};
    return {STRING_MOVE_ERROR, LoadString(STRING_MOVE_ERROR)};
}

MoveFailureText RenameFailureText(uint32_t result) {
    if (result == ERROR_INVALID_NAME) return {STRING_INVALID_NAME, LoadString(STRING_INVALID_NAME)};
    return MoveImageFailureText(result);
}

MoveFailureText MoveAllFailureText(uint32_t result) {
    if (result == ERROR_SUCCESS) return {};
    if (result == ERROR_FILE_EXISTS) {
        return {STRING_MOVE_ALL_EXISTS, LoadString(STRING_MOVE_ALL_EXISTS)};
    }
    return {STRING_MOVE_ALL_ERROR, LoadString(STRING_MOVE_ALL_ERROR)};
}
