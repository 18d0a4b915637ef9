#pragma once
#include <cstdint>
#include <string>
#include <string_view>

class CFolderItem;
class CImageItem;
class CImageItemList;
struct ImageFilter;

// Renames, moves and deletions of image files. None of them rewrites the
// record's path: the file-change notification that follows replaces the
// record with one read afresh from the file. Each returns 0 or a Windows
// error number; ERROR_FILE_EXISTS (80) means the target name is taken, and
// nothing is ever overwritten.

uint32_t DeleteImageFile(const CImageItem& record);
// Whether a title can name a file: not empty, none of \ / : * ? " < > |.
bool IsValidTitle(std::u16string_view title);
// To the same folder under newTitle + ".jpg". A title that only changes the
// letter case renames nothing. A title that is empty or holds a character
// no file name may hold (\ / : * ? " < > |) gives ERROR_INVALID_NAME.
uint32_t RenameImage(const CImageItem& record, std::u16string_view newTitle);
// Into folder, keeping the file name. With createFolders every missing
// folder along the way is made; otherwise a missing folder is made one
// level deep.
uint32_t MoveImage(const CImageItem& record, std::u16string_view folder, bool createFolders);
// Makes each missing folder along the path; existing folders are fine.
uint32_t CreateFolderTree(std::u16string_view path);

// Moves the image into the location's photo folder unless it already lies
// somewhere in that location; on success the record takes the location's
// removable flag.
uint32_t MoveImageToLocation(CImageItem& record, const CFolderItem& location);
// Moves every displayed image into the location's photo folder, stopping at
// the first failure; the images moved before it stay moved.
uint32_t MoveAllToLocation(CImageItemList& list, const ImageFilter& filter,
                           const CFolderItem& location);

// The string-table text shown for a failed move (id 0, no text on success).
struct MoveFailureText {
    uint16_t id = 0;
    std::u16string text;
};
constexpr uint16_t STRING_MOVE_ERROR = 138;
constexpr uint16_t STRING_FILE_EXISTS = 139;
constexpr uint16_t STRING_MOVE_ALL_EXISTS = 148;
constexpr uint16_t STRING_MOVE_ALL_ERROR = 149;
constexpr uint16_t STRING_INVALID_NAME = 150;
MoveFailureText MoveImageFailureText(uint32_t result);
// A rename: the name is taken (139), the name cannot be a file's (150), or
// any other failure, such as a read-only card (138).
MoveFailureText RenameFailureText(uint32_t result);
MoveFailureText MoveAllFailureText(uint32_t result);
