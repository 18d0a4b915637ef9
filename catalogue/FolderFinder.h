#pragma once
#include <cstdint>
#include <memory>
#include <set>
#include <utility>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/FileFinder.h"

// Walks a folder depth-first: each folder's entries in the order the file
// system returns them, a subfolder's contents right after the subfolder's
// own entry. Nothing is sorted here. Every open find is closed when the
// walk ends or the walker goes away.
class CFolderFinder {
public:
    // Starts a walk; false when the folder is missing or empty.
    bool First(std::u16string_view folder, bool recursive);
    // The next entry as a full handheld path and its attributes; false when
    // the walk has ended.
    bool Next(std::u16string& path, uint32_t& attributes);
    void Close();

private:
    struct Level {
        std::u16string folder;
        std::unique_ptr<FileFinder> finder;
    };
    bool Push(const std::u16string& folder);
    void Advance(bool descend);

    // Folders already walked, by identity: a link back up the tree (a loop)
    // is followed once and its folders are never listed again.
    std::set<std::pair<uint64_t, uint64_t>> m_walked;
    std::vector<Level> m_stack;
    FindData m_current;
    bool m_recursive = false;
    bool m_more = false;
};
