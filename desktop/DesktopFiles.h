#pragma once
#include <cstdint>
#include <string>
#include <vector>

// File primitives on the desktop side; paths are host paths. Each returns 0
// or a Windows error number.

constexpr uint32_t kMaxDesktopFileSize = 256u << 20;  // whole-file reads

uint32_t ReadDesktopFile(const std::string& path, std::vector<uint8_t>& data);
// 0 also when the folder exists already.
uint32_t CreateDesktopFolder(const std::string& path);
uint32_t DeleteDesktopFile(const std::string& path);
uint32_t RenameDesktopFile(const std::string& from, const std::string& to);
uint32_t SetDesktopFileTimes(const std::string& path, uint32_t creation, uint32_t lastWrite);
