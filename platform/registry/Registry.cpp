#include "platform/registry/Registry.h"

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>

#include "platform/base/DeviceFolder.h"
#include "platform/base/WinError.h"
#include "platform/registry/HiveLock.h"
#include "platform/base/XdgFolders.h"

namespace {

constexpr size_t MAX_VALUE_NAME = 16383;

// What an open handle names: a key of one hive file.
struct OpenKey {
    std::string hivePath;
    RegistryPath path;  // root name first
};

struct RegistryState {
    std::mutex mutex;  // the desktop library calls in from more than one thread
    RegHive hive = RegHive::Device;
    std::string hiveFile;  // when set, used instead of hive
    std::map<uintptr_t, OpenKey> open;
    uintptr_t nextHandle = 1;
    size_t writes = 0;
};

RegistryState& State() {
    static RegistryState state;
    return state;
}

const char16_t* RootName(HKEY key) {
    if (key == HKEY_CLASSES_ROOT) return u"HKEY_CLASSES_ROOT";
    if (key == HKEY_CURRENT_USER) return u"HKEY_CURRENT_USER";
    if (key == HKEY_LOCAL_MACHINE) return u"HKEY_LOCAL_MACHINE";
    if (key == HKEY_USERS) return u"HKEY_USERS";
    return nullptr;
}

bool IsReservedHandle(uintptr_t id) { return id >= 0x80000000u && id < 0x80000100u; }

std::string CurrentHivePathLocked(const RegistryState& s) {
    if (!s.hiveFile.empty()) return s.hiveFile;
    if (s.hive == RegHive::Desktop) return RegDesktopHivePath();
    return RegDeviceHivePath(DeviceFolder::Current());
}

// The caller holds the state's mutex.
uint32_t Resolve(RegistryState& s, HKEY key, OpenKey& out) {
    if (const char16_t* root = RootName(key)) {
        out = {CurrentHivePathLocked(s), {root}};
        return ERROR_SUCCESS;
    }
    auto it = s.open.find(reinterpret_cast<uintptr_t>(key));
    if (it == s.open.end()) return ERROR_INVALID_HANDLE;
    out = it->second;
    return ERROR_SUCCESS;
}

HKEY AddHandle(RegistryState& s, OpenKey key) {
    while (IsReservedHandle(s.nextHandle) || s.nextHandle == 0) ++s.nextHandle;
    uintptr_t id = s.nextHandle++;
    s.open.emplace(id, std::move(key));
    return reinterpret_cast<HKEY>(id);
}

// The key named by key + subKey.
uint32_t ResolvePath(RegistryState& s, HKEY key, std::u16string_view subKey, OpenKey& out) {
    if (uint32_t err = Resolve(s, key, out)) return err;
    RegistryPath tail;
    if (uint32_t err = SplitRegistryPath(subKey, tail)) return err;
    if (out.path.size() + tail.size() > REG_MAX_KEY_DEPTH) return ERROR_INVALID_PARAMETER;
    out.path.insert(out.path.end(), tail.begin(), tail.end());
    return ERROR_SUCCESS;
}

bool ValidValueName(std::u16string_view name) {
    if (name.size() > MAX_VALUE_NAME) return false;
    for (char16_t c : name)
        if (c < 0x20) return false;
    return true;
}

// The Win32 buffer rule shared by query and enumeration.
uint32_t CopyValue(const RegistryValue& value, uint32_t* type, void* data, uint32_t* size) {
    if (data && !size) return ERROR_INVALID_PARAMETER;
    if (type) *type = value.type;
    if (!size) return ERROR_SUCCESS;
    uint32_t needed = static_cast<uint32_t>(value.data.size());
    if (data && *size < needed) {
        *size = needed;
        return ERROR_MORE_DATA;
    }
    if (data && needed) std::memcpy(data, value.data.data(), needed);
    *size = needed;
    return ERROR_SUCCESS;
}

// Runs a change on the key named by handle + subKey and writes the hive
// when the change reports that it changed something.
template <typename Change>
uint32_t Modify(HKEY key, std::u16string_view subKey, Change change) {
    RegistryState& s = State();
    std::lock_guard lock(s.mutex);
    OpenKey target;
    if (uint32_t err = ResolvePath(s, key, subKey, target)) return err;
    // Another process may write the hive meanwhile: its change is read
    // under the lock and kept.
    HiveLock writers;
    if (uint32_t err = writers.Acquire(target.hivePath)) return err;
    RegistryHive hive;
    if (uint32_t err = hive.Load(target.hivePath)) return err;
    bool changed = false;
    if (uint32_t err = change(hive, target.path, changed)) return err;
    if (!changed) return ERROR_SUCCESS;
    ++s.writes;
    return hive.Save(target.hivePath);
}

// Runs a look-up on the key named by handle; a root that the file does not
// hold yet is an empty key.
template <typename Look>
uint32_t LookUp(HKEY key, Look look) {
    RegistryState& s = State();
    std::lock_guard lock(s.mutex);
    OpenKey target;
    if (uint32_t err = Resolve(s, key, target)) return err;
    RegistryHive hive;
    if (uint32_t err = hive.Load(target.hivePath)) return err;
    const RegistryKeyNode* node = hive.Find(target.path);
    const RegistryKeyNode empty;
    if (!node && target.path.size() == 1) node = &empty;
    if (!node) return ERROR_FILE_NOT_FOUND;  // deleted since it was opened
    return look(*node);
}

}  // namespace

uint32_t RegCreateKeyEx(HKEY key, std::u16string_view subKey, HKEY* result,
                        uint32_t* disposition) {
    if (!result) return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    RegistryState& s = State();
    std::lock_guard lock(s.mutex);
    OpenKey target;
    if (uint32_t err = ResolvePath(s, key, subKey, target)) return err;
    RegistryHive hive;
    if (uint32_t err = hive.Load(target.hivePath)) return err;
    bool created = false;
    if (target.path.size() > 1 && !hive.Find(target.path)) {
        HiveLock writers;
        if (uint32_t err = writers.Acquire(target.hivePath)) return err;
        if (uint32_t err = hive.Load(target.hivePath)) return err;
        hive.Create(target.path, &created);
        if (created) {
            ++s.writes;
            if (uint32_t err = hive.Save(target.hivePath)) return err;
        }
    }
    if (disposition) *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    *result = AddHandle(s, std::move(target));
    return ERROR_SUCCESS;
}

uint32_t RegOpenKeyEx(HKEY key, std::u16string_view subKey, HKEY* result) {
    if (!result) return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    RegistryState& s = State();
    std::lock_guard lock(s.mutex);
    OpenKey target;
    if (uint32_t err = ResolvePath(s, key, subKey, target)) return err;
    RegistryHive hive;
    if (uint32_t err = hive.Load(target.hivePath)) return err;
    if (target.path.size() > 1 && !hive.Find(target.path)) return ERROR_FILE_NOT_FOUND;
    *result = AddHandle(s, std::move(target));
    return ERROR_SUCCESS;
}

uint32_t RegCloseKey(HKEY key) {
    if (RootName(key)) return ERROR_SUCCESS;
    RegistryState& s = State();
    std::lock_guard lock(s.mutex);
    return s.open.erase(reinterpret_cast<uintptr_t>(key)) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

uint32_t RegSetValueEx(HKEY key, std::u16string_view name, uint32_t type, const void* data,
                       uint32_t size) {
    if (!ValidValueName(name) || (!data && size)) return ERROR_INVALID_PARAMETER;
    const auto* bytes = static_cast<const uint8_t*>(data);
    return Modify(key, {}, [&](RegistryHive& hive, const RegistryPath& path, bool& changed) {
        RegistryKeyNode* node = path.size() == 1 ? &hive.Create(path) : hive.Find(path);
        if (!node) return ERROR_FILE_NOT_FOUND;
        node->SetValue(name, type, std::vector<uint8_t>(bytes, bytes + size));
        changed = true;
        return ERROR_SUCCESS;
    });
}

uint32_t RegSetValues(HKEY key, const std::vector<RegistryValue>& values) {
    for (const RegistryValue& value : values)
        if (!ValidValueName(value.name)) return ERROR_INVALID_PARAMETER;
    return Modify(key, {}, [&](RegistryHive& hive, const RegistryPath& path, bool& changed) {
        RegistryKeyNode* node = path.size() == 1 ? &hive.Create(path) : hive.Find(path);
        if (!node) return ERROR_FILE_NOT_FOUND;
        for (const RegistryValue& value : values)
            node->SetValue(value.name, value.type, value.data);
        changed = !values.empty();
        return ERROR_SUCCESS;
    });
}

uint32_t RegQueryValueEx(HKEY key, std::u16string_view name, uint32_t* type, void* data,
                         uint32_t* size) {
    return LookUp(key, [&](const RegistryKeyNode& node) {
        const RegistryValue* value = node.FindValue(name);
        return value ? CopyValue(*value, type, data, size) : ERROR_FILE_NOT_FOUND;
    });
}

uint32_t RegDeleteValue(HKEY key, std::u16string_view name) {
    return Modify(key, {}, [&](RegistryHive& hive, const RegistryPath& path, bool& changed) {
        RegistryKeyNode* node = hive.Find(path);
        changed = node && node->DeleteValue(name);
        return changed ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
    });
}

uint32_t RegDeleteKey(HKEY key, std::u16string_view subKey) {
    if (subKey.empty()) return ERROR_INVALID_PARAMETER;
    return Modify(key, subKey, [&](RegistryHive& hive, const RegistryPath& path, bool& changed) {
        changed = hive.Delete(path);
        return changed ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
    });
}

uint32_t RegEnumKeyEx(HKEY key, uint32_t index, std::u16string& name) {
    return LookUp(key, [&](const RegistryKeyNode& node) {
        if (index >= node.children.size()) return ERROR_NO_MORE_ITEMS;
        name = node.children[index].name;
        return ERROR_SUCCESS;
    });
}

uint32_t RegEnumValue(HKEY key, uint32_t index, std::u16string& name, uint32_t* type,
                      void* data, uint32_t* size) {
    return LookUp(key, [&](const RegistryKeyNode& node) {
        if (index >= node.values.size()) return ERROR_NO_MORE_ITEMS;
        name = node.values[index].name;
        return CopyValue(node.values[index], type, data, size);
    });
}

uint32_t RegConnectHive(const std::string& hostPath, HKEY root, HKEY* result) {
    if (!result) return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    const char16_t* name = RootName(root);
    if (!name || hostPath.empty()) return ERROR_INVALID_PARAMETER;
    RegistryState& s = State();
    std::lock_guard lock(s.mutex);
    *result = AddHandle(s, {hostPath, {name}});
    return ERROR_SUCCESS;
}

void RegSelectHive(RegHive hive) {
    RegistryState& s = State();
    std::lock_guard lock(s.mutex);
    s.hive = hive;
    s.hiveFile.clear();
}

void RegSelectHiveFile(const std::string& hostPath) {
    RegistryState& s = State();
    std::lock_guard lock(s.mutex);
    s.hiveFile = hostPath;
}

std::string RegCurrentHivePath() {
    RegistryState& s = State();
    std::lock_guard lock(s.mutex);
    return CurrentHivePathLocked(s);
}

std::string RegDeviceHivePath(const DeviceFolder& device) {
    std::string host;
    if (device.ToHost(u"\\Windows\\registry.reg", host) != 0) host = device.Root() + "/Windows/registry.reg";
    return host;
}

std::string RegDesktopHivePath() {
    return XdgConfigHome() + "/kestrelview/desktop.reg";
}

size_t RegOpenKeyCount() {
    RegistryState& s = State();
    std::lock_guard lock(s.mutex);
    return s.open.size();
}

size_t RegHiveWriteCount() {
    RegistryState& s = State();
    std::lock_guard lock(s.mutex);
    return s.writes;
}

RegHiveOverride::RegHiveOverride(const std::string& hostPath) {
    RegistryState& s = State();
    std::lock_guard lock(s.mutex);
    m_previousHive = s.hive;
    m_previousFile = s.hiveFile;
    s.hiveFile = hostPath;
}

RegHiveOverride::~RegHiveOverride() {
    RegistryState& s = State();
    std::lock_guard lock(s.mutex);
    s.hive = m_previousHive;
    s.hiveFile = m_previousFile;
}

UniqueHKey& UniqueHKey::operator=(UniqueHKey&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
}

HKEY* UniqueHKey::Receive() {
    Reset();
    return &m_key;
}

HKEY UniqueHKey::Release() {
    HKEY key = m_key;
    m_key = nullptr;
    return key;
}

void UniqueHKey::Reset(HKEY key) {
    if (m_key) RegCloseKey(m_key);
    m_key = key;
}
