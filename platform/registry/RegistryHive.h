#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Value types kept in a hive (the numbers of the Win32 registry).
constexpr uint32_t REG_NONE = 0;
constexpr uint32_t REG_SZ = 1;
constexpr uint32_t REG_EXPAND_SZ = 2;
constexpr uint32_t REG_BINARY = 3;
constexpr uint32_t REG_DWORD = 4;
constexpr uint32_t REG_MULTI_SZ = 7;

// Limits of the Win32 registry; they also bound the parser's recursion.
constexpr size_t REG_MAX_KEY_DEPTH = 512;
constexpr size_t REG_MAX_KEY_NAME = 255;

// One value: its data exactly as it was set (text is UTF-16 with its
// terminating zero, as the Win32 calls hand it over).
struct RegistryValue {
    std::u16string name;  // empty = the key's default value ("@")
    uint32_t type = REG_NONE;
    std::vector<uint8_t> data;
};

// One key with its values and subkeys, both in the order they were made.
// Names are compared without regard to case and kept as first spelt.
struct RegistryKeyNode {
    std::u16string name;
    std::vector<RegistryValue> values;
    std::vector<RegistryKeyNode> children;

    RegistryKeyNode* FindChild(std::u16string_view childName);
    const RegistryKeyNode* FindChild(std::u16string_view childName) const;
    RegistryValue* FindValue(std::u16string_view valueName);
    const RegistryValue* FindValue(std::u16string_view valueName) const;
    void SetValue(std::u16string_view valueName, uint32_t type, std::vector<uint8_t> data);
    bool DeleteValue(std::u16string_view valueName);
    bool DeleteChild(std::u16string_view childName);
};

// A key path as its components, the root's name first
// ("HKEY_CURRENT_USER", "Software", ...).
using RegistryPath = std::vector<std::u16string>;

// A whole registry hive, kept on disk as a text file in the .reg form:
//
//   REGEDIT4
//
//   [HKEY_CURRENT_USER\Software\Farrowdale\Kestrelview\Preferences]
//   "Sort Column"=dword:00000001
//   "Column Widths"=hex:2d,00,64,00
//   "Last Viewed Location"="\\My Documents\\Kestrelview"
//   @="the default value"
//
// Text is UTF-8 in the file; inside quotes only \\ and \" are escapes. A
// value that the quoted or dword form cannot give back byte for byte (text
// with control characters or without its terminator, a DWORD of other than
// four bytes, any other type) is written as hex(<type>):<bytes>, so every
// value round-trips exactly. Hex lists may continue over lines ending in a
// backslash, as regedit writes them; a UTF-16 file with a byte-order mark
// (regedit's own export) is read too.
//
// Reading never fails: a line that is not a key, a value or a continuation
// (comments, typing errors, truncated lines, "-" deletions) is skipped, and
// the next write leaves it out, as a .reg import would. A key's parents are
// made when missing; a value or key given twice keeps the last data.
class RegistryHive {
public:
    static RegistryHive Parse(std::string_view text);
    std::string Serialize() const;

    // A missing file is an empty hive; other failures are Windows errors and
    // leave the hive empty.
    uint32_t Load(const std::string& hostPath);
    // Writes the whole hive to a temporary file beside hostPath (mode 0600)
    // and renames it over hostPath, making the folder when missing. On
    // failure the old file is left as it was.
    uint32_t Save(const std::string& hostPath) const;

    // nullptr when the key (or its root) is not in the hive. Callers treat a
    // root as always present: Create makes its node on demand.
    RegistryKeyNode* Find(const RegistryPath& path);
    const RegistryKeyNode* Find(const RegistryPath& path) const;
    // Makes every missing key along the path; created tells whether a key
    // below the root was made.
    RegistryKeyNode& Create(const RegistryPath& path, bool* created = nullptr);
    // Removes the key with all its subkeys; a root cannot be removed.
    bool Delete(const RegistryPath& path);

    const std::vector<RegistryKeyNode>& Roots() const { return m_roots; }

private:
    std::vector<RegistryKeyNode> m_roots;
};

// Makes a hive's folder and its missing parents. 0 or a Windows error.
uint32_t MakeHiveFolders(const std::string& folder);

// Splits a key path relative to a key ("A\B\C") and checks each name (not
// empty, at most 255 characters, no control characters). An empty path is
// the key itself. 0 or ERROR_INVALID_PARAMETER.
uint32_t SplitRegistryPath(std::u16string_view subKey, RegistryPath& components);
