#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry/RegistryHive.h"

class DeviceFolder;

// The registry calls of the handheld and desktop systems, over a hive file
// (RegistryHive). Every call reads the hive afresh and every change writes
// it whole at once, so two processes sharing a hive see each other's
// changes and nothing is cached. Each call returns 0 or a Windows error
// number: 2 for a missing key or value, 6 for a handle that is not open,
// 87 for a bad name, 234 when a buffer is too small, 259 past the end of an
// enumeration, or the file error of reading or writing the hive.

// An open key. Handles name entries of a table owned by the registry layer;
// the predefined roots below are never opened or closed.
struct HKEY__;
using HKEY = HKEY__*;

inline HKEY const HKEY_CLASSES_ROOT = reinterpret_cast<HKEY>(uintptr_t{0x80000000});
inline HKEY const HKEY_CURRENT_USER = reinterpret_cast<HKEY>(uintptr_t{0x80000001});
inline HKEY const HKEY_LOCAL_MACHINE = reinterpret_cast<HKEY>(uintptr_t{0x80000002});
inline HKEY const HKEY_USERS = reinterpret_cast<HKEY>(uintptr_t{0x80000003});

constexpr uint32_t REG_CREATED_NEW_KEY = 1;
constexpr uint32_t REG_OPENED_EXISTING_KEY = 2;

// Subkey paths are relative to the key given ("Software\Farrowdale"); an
// empty path opens the key itself. Value names: empty = the default value.
uint32_t RegCreateKeyEx(HKEY key, std::u16string_view subKey, HKEY* result,
                        uint32_t* disposition = nullptr);
uint32_t RegOpenKeyEx(HKEY key, std::u16string_view subKey, HKEY* result);
uint32_t RegCloseKey(HKEY key);
uint32_t RegSetValueEx(HKEY key, std::u16string_view name, uint32_t type, const void* data,
                       uint32_t size);
// With data null, only *size (the value's byte count) and *type are filled.
// When *size is smaller than the value, *size becomes the value's size and
// the result is ERROR_MORE_DATA with data untouched.
uint32_t RegQueryValueEx(HKEY key, std::u16string_view name, uint32_t* type, void* data,
                         uint32_t* size);
uint32_t RegDeleteValue(HKEY key, std::u16string_view name);
// Sets several values of one key in one write of the hive, so that a
// reader sees all of them or none of them. Values keep their data exactly
// as given (text with its terminating zero).
uint32_t RegSetValues(HKEY key, const std::vector<RegistryValue>& values);
// Removes the subkey with everything below it, as the handheld system does.
uint32_t RegDeleteKey(HKEY key, std::u16string_view subKey);
// The index-th subkey or value, in the order they were made.
uint32_t RegEnumKeyEx(HKEY key, uint32_t index, std::u16string& name);
uint32_t RegEnumValue(HKEY key, uint32_t index, std::u16string& name, uint32_t* type,
                      void* data, uint32_t* size);

// A predefined root of the hive file at hostPath, whatever hive the process
// uses (the desktop side reaching a handheld's hive). Close it when done.
uint32_t RegConnectHive(const std::string& hostPath, HKEY root, HKEY* result);

// Which hive the predefined roots of this process refer to. The handheld
// program and kvtool use the device hive (the default); the desktop library
// selects the desktop hive when it starts.
enum class RegHive { Device, Desktop };
void RegSelectHive(RegHive hive);
// A hive file of the caller's choosing (tests).
void RegSelectHiveFile(const std::string& hostPath);
// The host path the predefined roots refer to now.
std::string RegCurrentHivePath();
// "\Windows\registry.reg" in the device folder.
std::string RegDeviceHivePath(const DeviceFolder& device);
// $XDG_CONFIG_HOME/kestrelview/desktop.reg, else
// ~/.config/kestrelview/desktop.reg.
std::string RegDesktopHivePath();
// Keys opened and not yet closed (tests look for leaks).
size_t RegOpenKeyCount();
// Hive files this process has written so far (tests count the saves a
// change takes).
size_t RegHiveWriteCount();

// Uses the hive file at hostPath for its lifetime, then restores the hive
// that was selected before.
class RegHiveOverride {
public:
    explicit RegHiveOverride(const std::string& hostPath);
    ~RegHiveOverride();
    RegHiveOverride(const RegHiveOverride&) = delete;
    RegHiveOverride& operator=(const RegHiveOverride&) = delete;

private:
    RegHive m_previousHive;
    std::string m_previousFile;
};

// Owns an open key and closes it at destruction.
class UniqueHKey {
public:
    UniqueHKey() = default;
    explicit UniqueHKey(HKEY key) : m_key(key) {}
    ~UniqueHKey() { Reset(); }
    UniqueHKey(UniqueHKey&& other) noexcept : m_key(other.Release()) {}
    UniqueHKey& operator=(UniqueHKey&& other) noexcept;
    UniqueHKey(const UniqueHKey&) = delete;
    UniqueHKey& operator=(const UniqueHKey&) = delete;

    HKEY Get() const { return m_key; }
    explicit operator bool() const { return m_key != nullptr; }
    // Closes the key held and hands out the slot for a call to fill.
    HKEY* Receive();
    HKEY Release();
    void Reset(HKEY key = nullptr);

private:
    HKEY m_key = nullptr;
};
