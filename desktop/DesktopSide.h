#pragma once
#include "desktop/SyncSide.h"

// The desktop as a side of the synchronisation: host paths under the
// desktop sync folder. Times are local Seconds1904, as the desktop's user
// sees them.
class CDesktopSide final : public ISyncSide {
public:
    CDesktopSide() = default;
    ~CDesktopSide() override;
    CDesktopSide(const CDesktopSide&) = delete;
    CDesktopSide& operator=(const CDesktopSide&) = delete;

    std::string Join(std::string_view folder, std::string_view name) const override;
    std::string NameOf(std::string_view path) const override;
    // Sorted by name, so that runs are repeatable. Links are followed; a
    // link that leads nowhere is listed with its error.
    int32_t List(const std::string& folder, std::vector<SideEntry>& entries) override;
    int32_t MakeFolder(const std::string& path, bool* created = nullptr) override;
    int32_t OpenRead(const std::string& path, std::unique_ptr<ISideReader>& reader) override;
    int32_t CreateTemporary(const std::string& folder, std::unique_ptr<ISideWriter>& writer) override;
    int32_t Replace(const std::string& from, const std::string& to) override;
    int32_t Rename(const std::string& from, const std::string& to) override;
    int32_t Delete(const std::string& path) override;
    // Creation and last-write time alike.
    int32_t SetTime(const std::string& path, uint32_t time) override;
    int32_t Settle(const std::string& folder) override;
    int32_t Lock(const std::string& folder) override;

private:
    int m_lock = -1;
};
