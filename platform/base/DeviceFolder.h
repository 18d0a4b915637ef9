#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// The handheld's whole file system is one folder of the host. A handheld
// path "\A\B" is the host path <root>/A/B. Components are matched exactly
// when they exist, otherwise case-insensitively, so "\my documents\A.JPG"
// reaches "<root>/My Documents/a.jpg". No path may leave the root: ".."
// components and names holding '/' are refused.
class DeviceFolder {
public:
    explicit DeviceFolder(std::string hostRoot);

    const std::string& Root() const { return m_root; }

    // Maps a handheld path to a host path. Components that do not exist are
    // kept as given (so a file can be created). Returns 0 or
    // ERROR_INVALID_NAME / ERROR_PATH_NOT_FOUND.
    uint32_t ToHost(std::u16string_view path, std::string& host) const;
    // The handheld path of a host path inside the root; false when outside.
    bool ToDevice(std::string_view host, std::u16string& path) const;

    // Replaces the case-insensitive look-up of a name that is not there as
    // given (by default a read of the whole folder) for a caller that keeps
    // listings of its own: true and the name found, or false. Copies of
    // this object share the hook.
    using NameLookup =
        std::function<bool(const std::string& hostFolder, const std::u16string& name, std::string& found)>;
    void SetNameLookup(NameLookup lookup) { m_lookup = std::move(lookup); }

    // The device folder the handheld program and kvtool work on.
    static const DeviceFolder& Current();
    static void SetCurrent(const std::string& hostRoot);
    // $KESTRELVIEW_ROOT, else $XDG_DATA_HOME/kestrelview/device, else
    // ~/.local/share/kestrelview/device.
    static std::string DefaultRoot();

private:
    std::string m_root;  // absolute, without a trailing slash
    NameLookup m_lookup;
};
