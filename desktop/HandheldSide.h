#pragma once
#include <string>
#include <vector>

#include "desktop/DeviceStorage.h"
#include "desktop/SyncSide.h"

class CSyncReporter;

// The handheld as a side of the synchronisation, over the remote calls. It
// also answers what only the handheld knows: its cards, its root prefix,
// and the notification sent at the end of a run.
class CHandheldSide final : public ISyncSide {
public:
    CHandheldSide() = default;
    ~CHandheldSide() override;
    CHandheldSide(const CHandheldSide&) = delete;
    CHandheldSide& operator=(const CHandheldSide&) = delete;

    std::string Join(std::string_view folder, std::string_view name) const override;
    std::string NameOf(std::string_view path) const override;
    int32_t List(const std::string& folder, std::vector<SideEntry>& entries) override;
    int32_t MakeFolder(const std::string& path, bool* created = nullptr) override;
    int32_t OpenRead(const std::string& path, std::unique_ptr<ISideReader>& reader) override;
    int32_t CreateTemporary(const std::string& folder, std::unique_ptr<ISideWriter>& writer) override;
    int32_t Replace(const std::string& from, const std::string& to) override;
    int32_t Rename(const std::string& from, const std::string& to) override;
    // Retried while the handheld reports the file locked.
    int32_t Delete(const std::string& path) override;
    int32_t SetTime(const std::string& path, uint32_t time) override;
    // The handheld's own file system sees to that.
    int32_t Settle(const std::string&) override { return 0; }
    // The whole device, whatever the folder.
    int32_t Lock(const std::string& folder) override;

    std::vector<CardInfo> Cards(const CSyncReporter& reporter) const;
    std::string RootPrefix() const;
    // Calls the handheld library's notification entry when it is installed.
    void Notify(const std::string& library, const std::string& entry) const;

private:
    int m_lock = -1;
};
