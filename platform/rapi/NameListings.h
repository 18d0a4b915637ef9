#pragma once
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

// Listings of the device's folders kept by the connection layer, so that a
// name given in another letter case is found without reading its folder
// again for every call: a folder is read once, and the layer's own
// creations, deletions and renames keep the listing current. Changes other
// programs make meanwhile to names in another case are seen only once the
// listings are dropped (at the start of every synchronisation run); names
// as given are always looked up on disk first.
class CNameListings {
public:
    bool Lookup(const std::string& hostFolder, const std::u16string& name, std::string& found);
    void Learn(const std::string& hostPath);
    void Forget(const std::string& hostPath);
    void Clear();

private:
    using Listing = std::unordered_map<std::u16string, std::vector<std::string>>;
    static std::u16string Key(std::u16string name);
    Listing& ListingOf(const std::string& hostFolder);

    std::mutex m_lock;
    std::unordered_map<std::string, Listing> m_folders;
};
