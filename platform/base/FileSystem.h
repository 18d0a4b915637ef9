#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/Time.h"

class DeviceFolder;

constexpr uint32_t FILE_ATTRIBUTE_READONLY = 0x1;
constexpr uint32_t FILE_ATTRIBUTE_HIDDEN = 0x2;
constexpr uint32_t FILE_ATTRIBUTE_SYSTEM = 0x4;
constexpr uint32_t FILE_ATTRIBUTE_DIRECTORY = 0x10;
constexpr uint32_t FILE_ATTRIBUTE_ARCHIVE = 0x20;
constexpr uint32_t FILE_ATTRIBUTE_NORMAL = 0x80;
// A directory in the device root that is a mount point or a link to another
// directory: a storage card.
constexpr uint32_t FILE_ATTRIBUTE_TEMPORARY = 0x100;
constexpr uint32_t INVALID_FILE_ATTRIBUTES = 0xFFFFFFFFu;

// Whole-file operations on handheld paths, on the current device folder or
// the one given. Each returns 0 or a Windows error number.
uint32_t GetFileAttributes(std::u16string_view path, uint32_t& attributes);
uint32_t GetFileAttributes(const DeviceFolder& dev, std::u16string_view path, uint32_t& attributes);
// Only the read-only attribute is kept by the host file system.
uint32_t SetFileAttributes(std::u16string_view path, uint32_t attributes);
uint32_t SetFileAttributes(const DeviceFolder& dev, std::u16string_view path, uint32_t attributes);
uint32_t CreateDirectory(std::u16string_view path);  // 183 when it exists
uint32_t CreateDirectory(const DeviceFolder& dev, std::u16string_view path);
uint32_t RemoveDirectory(std::u16string_view path);
uint32_t RemoveDirectory(const DeviceFolder& dev, std::u16string_view path);
uint32_t DeleteFile(std::u16string_view path);
uint32_t DeleteFile(const DeviceFolder& dev, std::u16string_view path);
// Never replaces: 183 when the target exists (unless it is the same file
// under another letter case).
uint32_t MoveFile(std::u16string_view from, std::u16string_view to);
uint32_t MoveFile(const DeviceFolder& dev, std::u16string_view from, std::u16string_view to);

// Puts `from` in place of `to` in one step, so a reader sees the old file or
// the new one and never neither (a replacing write's last step). A read-only
// target or a folder is refused with ERROR_ACCESS_DENIED.
uint32_t MoveFileReplacing(std::u16string_view from, std::u16string_view to);
uint32_t MoveFileReplacing(const DeviceFolder& dev, std::u16string_view from, std::u16string_view to);

bool PathExists(std::u16string_view path);
bool PathExists(const DeviceFolder& dev, std::u16string_view path);
// The names of the folder's entries that are not folders, case folded, in
// one listing: for checking many names of one folder at once.
uint32_t ListFileNamesFolded(std::u16string_view folder, std::vector<std::u16string>& names);
