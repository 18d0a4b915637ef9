#include "platform/rapi/CeServices.h"

#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <functional>
#include <mutex>
#include <random>

#include "platform/registry/Registry.h"
#include "platform/registry/RegistryHive.h"
#include "platform/base/Text.h"
#include "platform/base/WinError.h"
#include "platform/base/ByteOrder.h"

namespace {

const RegistryPath& PartnersPath() {
    static const RegistryPath path = {u"HKEY_CURRENT_USER", u"Software", u"Microsoft",
                                      u"Windows CE Services", u"Partners"};
    return path;
}

std::string TextOf(const RegistryKeyNode& key, std::u16string_view name) {
    const RegistryValue* v = key.FindValue(name);
    if (!v || (v->type != REG_SZ && v->type != REG_EXPAND_SZ)) return {};
    std::u16string text;
    for (size_t i = 0; i + 1 < v->data.size(); i += 2) {
        char16_t c = static_cast<char16_t>(ReadLE16(&v->data[i]));
        if (c == 0) break;
        text.push_back(c);
    }
    return Utf16ToUtf8(text);
}

DWORD ProfileOf(const RegistryKeyNode& key) {
    const RegistryValue* v = key.FindValue(u"PId");
    if (!v || v->type != REG_DWORD || v->data.size() != 4) return 0xFFFFFFFFu;
    return ReadLE32(v->data.data());
}

std::vector<uint8_t> TextData(const std::string& utf8) {
    std::u16string text = Utf8ToUtf16(utf8);
    std::vector<uint8_t> data;
    for (char16_t c : text) {
        data.push_back(static_cast<uint8_t>(c));
        data.push_back(static_cast<uint8_t>(c >> 8));
    }
    data.push_back(0);
    data.push_back(0);
    return data;
}

// Partnership keys are P followed by a number.
bool IsPartnerKey(const std::u16string& name) {
    if (name.size() < 2 || (name[0] != u'P' && name[0] != u'p')) return false;
    for (size_t i = 1; i < name.size(); ++i)
        if (name[i] < u'0' || name[i] > u'9') return false;
    return true;
}

struct OpenService {
    CeSvcPartnership partnership;
};

std::mutex g_lock;
std::map<uintptr_t, std::unique_ptr<OpenService>> g_open;
uintptr_t g_nextHandle = 1;

}  // namespace

std::vector<CeSvcPartnership> CeSvcListPartnerships() {
    RegistryHive hive;
    hive.Load(RegDesktopHivePath());
    std::vector<CeSvcPartnership> list;
    const RegistryKeyNode* partners = hive.Find(PartnersPath());
    if (!partners) return list;
    for (const RegistryKeyNode& key : partners->children) {
        if (!IsPartnerKey(key.name)) continue;
        CeSvcPartnership p;
        p.key = Utf16ToUtf8(key.name);
        p.profile = ProfileOf(key);
        p.displayName = TextOf(key, u"DisplayName");
        p.deviceType = TextOf(key, u"DeviceType");
        p.deviceFolder = TextOf(key, u"DeviceFolder");
        p.desktopFolder = TextOf(key, u"DesktopFolder");
        list.push_back(std::move(p));
    }
    return list;
}

HRESULT CeSvcEnumProfiles(DWORD* context, DWORD index, DWORD* profile) {
    if (!context || !profile) return static_cast<HRESULT>(ERROR_INVALID_PARAMETER);
    std::vector<CeSvcPartnership> list = CeSvcListPartnerships();
    if (index >= list.size()) return static_cast<HRESULT>(ERROR_NO_MORE_ITEMS);
    *profile = list[index].profile;
    *context = index + 1;
    return 0;
}

HRESULT CeSvcOpen(unsigned service, const char* path, BOOL, HCESVC* handle) {
    if (!handle) return static_cast<HRESULT>(ERROR_INVALID_PARAMETER);
    *handle = nullptr;
    if (service != CESVC_DEVICEX) return static_cast<HRESULT>(ERROR_INVALID_PARAMETER);
    DWORD wanted = static_cast<DWORD>(reinterpret_cast<uintptr_t>(path));
    for (CeSvcPartnership& p : CeSvcListPartnerships()) {
        if (p.profile != wanted) continue;
        std::lock_guard guard(g_lock);
        uintptr_t key = g_nextHandle++;
        g_open[key] = std::make_unique<OpenService>(OpenService{std::move(p)});
        *handle = reinterpret_cast<HCESVC>(key);
        return 0;
    }
    return static_cast<HRESULT>(ERROR_FILE_NOT_FOUND);
}

HRESULT CeSvcGetString(HCESVC handle, const char* name, char* buffer, DWORD size) {
    if (!buffer || size == 0 || !name) return static_cast<HRESULT>(ERROR_INVALID_PARAMETER);
    buffer[0] = '\0';
    std::string text;
    {
        std::lock_guard guard(g_lock);
        auto it = g_open.find(reinterpret_cast<uintptr_t>(handle));
        if (it == g_open.end()) return static_cast<HRESULT>(ERROR_INVALID_HANDLE);
        const CeSvcPartnership& p = it->second->partnership;
        std::string wanted = name;
        if (wanted == "DisplayName") text = p.displayName;
        else if (wanted == "DeviceType") text = p.deviceType;
        else if (wanted == "DeviceFolder") text = p.deviceFolder;
        else return static_cast<HRESULT>(ERROR_FILE_NOT_FOUND);
    }
    size_t n = std::min<size_t>(text.size(), size - 1);
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
    return 0;
}

HRESULT CeSvcClose(HCESVC handle) {
    std::lock_guard guard(g_lock);
    return g_open.erase(reinterpret_cast<uintptr_t>(handle)) ? 0
                                                              : static_cast<HRESULT>(ERROR_INVALID_HANDLE);
}

uint32_t CeSvcAddPartnership(const std::string& displayName, const std::string& deviceType,
                             const std::string& deviceFolder, DWORD& profile) {
    RegistryHive hive;
    if (uint32_t err = hive.Load(RegDesktopHivePath())) return err;
    RegistryKeyNode& partners = hive.Create(PartnersPath());
    unsigned next = 1;
    std::vector<DWORD> used;
    for (const RegistryKeyNode& key : partners.children) {
        if (!IsPartnerKey(key.name)) continue;
        next = std::max<unsigned>(next, std::stoul(Utf16ToUtf8(key.name.substr(1))) + 1);
        used.push_back(ProfileOf(key));
    }
    std::random_device random;
    do {
        profile = random() & 0x7FFFFFFFu;
    } while (profile == 0 || std::find(used.begin(), used.end(), profile) != used.end());

    RegistryPath path = PartnersPath();
    path.push_back(u"P" + Utf8ToUtf16(std::to_string(next)));
    RegistryKeyNode& key = hive.Create(path);
    key.SetValue(u"PId", REG_DWORD,
                 {uint8_t(profile), uint8_t(profile >> 8), uint8_t(profile >> 16), uint8_t(profile >> 24)});
    key.SetValue(u"DisplayName", REG_SZ, TextData(displayName));
    key.SetValue(u"DeviceType", REG_SZ, TextData(deviceType));
    key.SetValue(u"DeviceFolder", REG_SZ, TextData(deviceFolder));
    if (uint32_t err = RapiWriteDeviceIdentity(deviceFolder, profile)) return err;
    return hive.Save(RegDesktopHivePath());
}

namespace {

// Changes the key of one profile and saves the hive; ERROR_FILE_NOT_FOUND
// when no partnership has the profile.
uint32_t ChangePartnership(DWORD profile, const std::function<void(RegistryKeyNode& partners, RegistryKeyNode& key)>& change) {
    RegistryHive hive;
    if (uint32_t err = hive.Load(RegDesktopHivePath())) return err;
    RegistryKeyNode* partners = hive.Find(PartnersPath());
    if (!partners) return ERROR_FILE_NOT_FOUND;
    for (RegistryKeyNode& key : partners->children) {
        if (!IsPartnerKey(key.name) || ProfileOf(key) != profile) continue;
        change(*partners, key);
        return hive.Save(RegDesktopHivePath());
    }
    return ERROR_FILE_NOT_FOUND;
}

}  // namespace

uint32_t CeSvcRemovePartnership(DWORD profile) {
    return ChangePartnership(profile, [](RegistryKeyNode& partners, RegistryKeyNode& key) {
        std::u16string name = key.name;
        partners.DeleteChild(name);
    });
}

uint32_t CeSvcSetDesktopFolder(DWORD profile, const std::string& folder) {
    return ChangePartnership(profile, [&](RegistryKeyNode&, RegistryKeyNode& key) {
        key.SetValue(u"DesktopFolder", REG_SZ, TextData(folder));
    });
}
