#pragma once
#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <string_view>

// One location the catalogue scans: internal storage or a storage card.
class CFolderItem {
public:
    CFolderItem(std::u16string_view path, std::u16string_view name, bool removable)
        : m_path(path), m_name(name), m_removable(removable ? 1 : 0) {}
    virtual ~CFolderItem() = default;

    const std::u16string& GetPath() const { return m_path; }
    const std::u16string& GetName() const { return m_name; }
    bool IsEnabled() const { return m_enabled != 0; }
    bool IsRemovable() const { return m_removable != 0; }

private:
    std::u16string m_path;  // "\My Documents\Kestrelview", or a card's root folder
    std::u16string m_name;  // shown in the location bar
    uint8_t m_enabled = 1;
    uint8_t m_removable = 0;
};

// The locations in order: internal storage first, then the cards in the
// order found. No two items have paths equal ignoring case.
class CFolderList {
public:
    using Items = std::list<std::unique_ptr<CFolderItem>>;

    // Does nothing when a location with that path exists; otherwise inserts
    // internal storage at the head and removable locations at the tail.
    void Add(std::u16string_view path, std::u16string_view name, bool removable);
    bool Remove(std::u16string_view path);
    void Clear() { m_items.clear(); }
    // True when some location's path is a prefix of path, ignoring case.
    bool Contains(std::u16string_view path) const;
    const CFolderItem* Find(std::u16string_view path) const;

    // The folder into which images moved to a location go.
    static std::u16string ImageFolderOf(const CFolderItem& location);

    const Items& GetItems() const { return m_items; }
    size_t Count() const { return m_items.size(); }
    bool IsEmpty() const { return m_items.empty(); }

private:
    Items m_items;
};
