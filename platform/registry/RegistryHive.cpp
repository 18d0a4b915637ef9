#include "platform/registry/RegistryHive.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <unordered_map>

#include "platform/base/Text.h"
#include "platform/base/AtomicWrite.h"
#include "platform/base/WinError.h"

namespace {

constexpr std::string_view HEADER = "REGEDIT4";
constexpr std::string_view HEADER_V5 = "Windows Registry Editor Version 5.00";
// A hive is a small settings file; anything larger is not one of ours.
constexpr uint64_t MAX_HIVE_FILE = 64u << 20;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

bool ValidName(std::u16string_view name, size_t maxLength) {
    if (name.size() > maxLength) return false;
    for (char16_t c : name)
        if (c < 0x20) return false;
    return true;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// 1 to 8 hex digits, nothing else.
std::optional<uint32_t> ParseHex32(std::string_view s) {
    if (s.empty() || s.size() > 8) return std::nullopt;
    uint32_t v = 0;
    for (char c : s) {
        int d = HexDigit(c);
        if (d < 0) return std::nullopt;
        v = v << 4 | uint32_t(d);
    }
    return v;
}

// "2d,00, 64 ,00" -> bytes; an empty list is no bytes.
std::optional<std::vector<uint8_t>> ParseHexList(std::string_view s) {
    std::vector<uint8_t> bytes;
    s = Trim(s);
    if (s.empty()) return bytes;
    while (true) {
        size_t comma = s.find(',');
        std::string_view item = Trim(s.substr(0, comma));
        if (item.size() > 2) return std::nullopt;
        auto v = ParseHex32(item);
        if (!v) return std::nullopt;
        bytes.push_back(static_cast<uint8_t>(*v));
        if (comma == std::string_view::npos) return bytes;
        s.remove_prefix(comma + 1);
    }
}

std::vector<uint8_t> TextData(std::u16string_view text) {
    std::vector<uint8_t> data;
    data.reserve((text.size() + 1) * 2);
    for (char16_t c : text) {
        data.push_back(static_cast<uint8_t>(c));
        data.push_back(static_cast<uint8_t>(c >> 8));
    }
    data.push_back(0);
    data.push_back(0);
    return data;
}

// Reads a quoted text at the start of s ("...", with \\ and \"), returning
// its UTF-8 content and removing it from s.
std::optional<std::string> TakeQuoted(std::string_view& s) {
    if (s.empty() || s.front() != '"') return std::nullopt;
    std::string out;
    for (size_t i = 1; i < s.size(); ++i) {
        char c = s[i];
        if (c == '"') {
            s.remove_prefix(i + 1);
            return out;
        }
        if (c == '\\') {
            if (i + 1 >= s.size() || (s[i + 1] != '\\' && s[i + 1] != '"')) return std::nullopt;
            c = s[++i];
        }
        out.push_back(c);
    }
    return std::nullopt;  // unterminated
}

// The data part of a value line (after '='), with continuation lines
// already joined.
std::optional<RegistryValue> ParseData(std::string_view s) {
    RegistryValue v;
    s = Trim(s);
    if (!s.empty() && s.front() == '"') {
        auto text = TakeQuoted(s);
        if (!text || !Trim(s).empty()) return std::nullopt;
        v.type = REG_SZ;
        v.data = TextData(Utf8ToUtf16(*text));
        return v;
    }
    if (s.starts_with("dword:")) {
        auto n = ParseHex32(Trim(s.substr(6)));
        if (!n) return std::nullopt;
        v.type = REG_DWORD;
        v.data = {uint8_t(*n), uint8_t(*n >> 8), uint8_t(*n >> 16), uint8_t(*n >> 24)};
        return v;
    }
    if (s.starts_with("hex:")) {
        v.type = REG_BINARY;
        s.remove_prefix(4);
    } else if (s.starts_with("hex(")) {
        size_t close = s.find("):");
        if (close == std::string_view::npos) return std::nullopt;
        auto type = ParseHex32(s.substr(4, close - 4));
        if (!type) return std::nullopt;
        v.type = *type;
        s.remove_prefix(close + 2);
    } else {
        return std::nullopt;
    }
    auto bytes = ParseHexList(s);
    if (!bytes) return std::nullopt;
    v.data = std::move(*bytes);
    return v;
}

// A value line: "name"=data or @=data.
std::optional<RegistryValue> ParseValueLine(std::string_view line) {
    std::u16string name;
    if (line.front() == '@') {
        line.remove_prefix(1);
    } else {
        auto quoted = TakeQuoted(line);
        if (!quoted) return std::nullopt;
        name = Utf8ToUtf16(*quoted);
        if (!ValidName(name, std::u16string::npos)) return std::nullopt;
    }
    line = Trim(line);
    if (line.empty() || line.front() != '=') return std::nullopt;
    auto value = ParseData(line.substr(1));
    if (value) value->name = std::move(name);
    return value;
}

std::optional<RegistryPath> ParseKeyLine(std::string_view line) {
    if (line.size() < 2 || line.back() != ']') return std::nullopt;
    std::string_view inner = line.substr(1, line.size() - 2);
    if (inner.empty() || inner.front() == '-') return std::nullopt;  // a deletion
    std::u16string text = Utf8ToUtf16(inner);
    RegistryPath path;
    if (SplitRegistryPath(text, path) != 0 || path.empty()) return std::nullopt;
    return path;
}

// A file saved as UTF-16 (with its byte-order mark) becomes UTF-8; a UTF-8
// byte-order mark is dropped.
std::string ToUtf8Text(std::string_view raw) {
    if (raw.size() >= 2 && uint8_t(raw[0]) == 0xFF && uint8_t(raw[1]) == 0xFE) {
        std::u16string wide;
        wide.reserve(raw.size() / 2);
        for (size_t i = 2; i + 1 < raw.size(); i += 2)
            wide.push_back(char16_t(uint8_t(raw[i]) | uint8_t(raw[i + 1]) << 8));
        return Utf16ToUtf8(wide);
    }
    if (raw.starts_with("\xEF\xBB\xBF")) raw.remove_prefix(3);
    return std::string(raw);
}

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        size_t end = text.find('\n');
        lines.push_back(text.substr(0, end));
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return lines;
}

// Hex data continues on the next line when a line ends in a backslash and
// the next one is indented (regedit's layout). Advances i past the lines
// taken.
std::string JoinContinuations(const std::vector<std::string_view>& lines, size_t& i) {
    std::string joined(Trim(lines[i]));
    while (!joined.empty() && joined.back() == '\\' && i + 1 < lines.size()) {
        std::string_view next = lines[i + 1];
        if (next.empty() || !IsBlank(next.front()) || Trim(next).empty()) break;
        joined.pop_back();
        joined += Trim(next);
        ++i;
    }
    return joined;
}

// Text that the quoted form gives back byte for byte: whole UTF-16 units,
// one terminating zero at the end and none before it, no control
// characters, surrogates only in pairs.
bool QuotableText(const std::vector<uint8_t>& data, std::u16string& text) {
    if (data.size() < 2 || data.size() % 2 != 0) return false;
    size_t count = data.size() / 2 - 1;
    text.clear();
    for (size_t i = 0; i <= count; ++i) {
        char16_t c = char16_t(data[2 * i] | data[2 * i + 1] << 8);
        if (i == count && c != 0) return false;
        if (i < count && c < 0x20) return false;
        if (i < count) text.push_back(c);
    }
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF) {
            if (i + 1 >= text.size() || text[i + 1] < 0xDC00 || text[i + 1] > 0xDFFF) return false;
            ++i;
        } else if (c >= 0xDC00 && c <= 0xDFFF) {
            return false;
        }
    }
    return true;
}

void AppendQuoted(std::string& out, std::u16string_view text) {
    out += '"';
    for (char c : Utf16ToUtf8(text)) {
        if (c == '\\' || c == '"') out += '\\';
        out += c;
    }
    out += '"';
}

void AppendHex(std::string& out, uint32_t v, int digits) {
    static const char HEX[] = "0123456789abcdef";
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) out += HEX[(v >> shift) & 0xF];
}

void AppendValue(std::string& out, const RegistryValue& v) {
    if (v.name.empty())
        out += '@';
    else
        AppendQuoted(out, v.name);
    out += '=';
    std::u16string text;
    if (v.type == REG_SZ && QuotableText(v.data, text)) {
        AppendQuoted(out, text);
    } else if (v.type == REG_DWORD && v.data.size() == 4) {
        out += "dword:";
        AppendHex(out, uint32_t(v.data[0]) | uint32_t(v.data[1]) << 8 |
                           uint32_t(v.data[2]) << 16 | uint32_t(v.data[3]) << 24, 8);
    } else {
        if (v.type == REG_BINARY) {
            out += "hex:";
        } else {
            out += "hex(";
            int digits = 1;
            while (digits < 8 && (v.type >> (digits * 4)) != 0) ++digits;
            AppendHex(out, v.type, digits);
            out += "):";
        }
        for (size_t i = 0; i < v.data.size(); ++i) {
            if (i) out += ',';
            AppendHex(out, v.data[i], 2);
        }
    }
    out += '\n';
}

// Pre-order: a key's section, then its subkeys'. Every key below a root has
// a section, even without values, so empty keys persist; a root is written
// only when it holds values.
void AppendKey(std::string& out, const RegistryKeyNode& key, std::string& path, bool isRoot) {
    size_t mark = path.size();
    if (!isRoot) path += '\\';
    path += Utf16ToUtf8(key.name);
    if (!isRoot || !key.values.empty()) {
        out += '[';
        out += path;
        out += "]\n";
        for (const RegistryValue& v : key.values) AppendValue(out, v);
        out += '\n';
    }
    for (const RegistryKeyNode& child : key.children) AppendKey(out, child, path, false);
    path.resize(mark);
}

template <typename Node>
auto FindByName(std::vector<Node>& nodes, std::u16string_view name) -> Node* {
    for (Node& n : nodes)
        if (EqualsNoCase(n.name, name)) return &n;
    return nullptr;
}

}  // namespace

RegistryKeyNode* RegistryKeyNode::FindChild(std::u16string_view childName) {
    return FindByName(children, childName);
}

const RegistryKeyNode* RegistryKeyNode::FindChild(std::u16string_view childName) const {
    return const_cast<RegistryKeyNode*>(this)->FindChild(childName);
}

RegistryValue* RegistryKeyNode::FindValue(std::u16string_view valueName) {
    return FindByName(values, valueName);
}

const RegistryValue* RegistryKeyNode::FindValue(std::u16string_view valueName) const {
    return const_cast<RegistryKeyNode*>(this)->FindValue(valueName);
}

void RegistryKeyNode::SetValue(std::u16string_view valueName, uint32_t type,
                               std::vector<uint8_t> data) {
    RegistryValue* v = FindValue(valueName);
    if (!v) {
        values.push_back({std::u16string(valueName), type, {}});
        v = &values.back();
    }
    v->type = type;
    v->data = std::move(data);
}

bool RegistryKeyNode::DeleteValue(std::u16string_view valueName) {
    RegistryValue* v = FindValue(valueName);
    if (!v) return false;
    values.erase(values.begin() + (v - values.data()));
    return true;
}

bool RegistryKeyNode::DeleteChild(std::u16string_view childName) {
    RegistryKeyNode* c = FindChild(childName);
    if (!c) return false;
    children.erase(children.begin() + (c - children.data()));
    return true;
}

uint32_t SplitRegistryPath(std::u16string_view subKey, RegistryPath& components) {
    components.clear();
    if (subKey.empty()) return ERROR_SUCCESS;
    while (true) {
        size_t slash = subKey.find(u'\\');
        std::u16string_view name = subKey.substr(0, slash);
        if (name.empty() || !ValidName(name, REG_MAX_KEY_NAME) ||
            components.size() >= REG_MAX_KEY_DEPTH) {
            components.clear();
            return ERROR_INVALID_PARAMETER;
        }
        components.emplace_back(name);
        if (slash == std::u16string_view::npos) return ERROR_SUCCESS;
        subKey.remove_prefix(slash + 1);
    }
}

namespace {
std::u16string Folded(std::u16string_view name) {
    std::u16string folded(name);
    for (char16_t& c : folded) c = FoldCase(c);
    return folded;
}

// Where each value of a key parsed so far lies, by its name with case
// folded, so that a hive of thousands of values is read in linear time.
using ValueIndex = std::unordered_map<std::u16string, size_t>;

std::u16string FoldedPath(const RegistryPath& path) {
    std::u16string joined;
    for (const std::u16string& part : path) joined += Folded(part) + u'\\';
    return joined;
}

// A value given twice keeps the last data, under the name first given.
void PutValue(RegistryKeyNode& key, ValueIndex& index, RegistryValue value) {
    const auto [at, added] = index.try_emplace(Folded(value.name), key.values.size());
    if (added) {
        key.values.push_back(std::move(value));
    } else {
        key.values[at->second].type = value.type;
        key.values[at->second].data = std::move(value.data);
    }
}
}  // namespace

RegistryHive RegistryHive::Parse(std::string_view raw) {
    RegistryHive hive;
    const std::string text = ToUtf8Text(raw);
    const std::vector<std::string_view> lines = SplitLines(text);
    RegistryKeyNode* current = nullptr;  // values before any key are skipped
    std::unordered_map<std::u16string, ValueIndex> indexes;
    ValueIndex* currentIndex = nullptr;
    bool first = true;
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string_view line = Trim(lines[i]);
        if (line.empty()) continue;
        if (first) {
            first = false;
            if (line == HEADER || line == HEADER_V5) continue;
        }
        if (line.front() == '[') {
            auto path = ParseKeyLine(line);
            current = path ? &hive.Create(*path) : nullptr;
            currentIndex = path ? &indexes[FoldedPath(*path)] : nullptr;
        } else if (line.front() == '"' || line.front() == '@') {
            std::string joined = JoinContinuations(lines, i);
            auto value = ParseValueLine(joined);
            if (value && current) PutValue(*current, *currentIndex, std::move(*value));
        }
    }
    return hive;
}

std::string RegistryHive::Serialize() const {
    std::string out(HEADER);
    out += "\n\n";
    std::string path;
    for (const RegistryKeyNode& root : m_roots) AppendKey(out, root, path, true);
    return out;
}

RegistryKeyNode* RegistryHive::Find(const RegistryPath& path) {
    if (path.empty()) return nullptr;
    RegistryKeyNode* node = FindByName(m_roots, path[0]);
    for (size_t i = 1; node && i < path.size(); ++i) node = node->FindChild(path[i]);
    return node;
}

const RegistryKeyNode* RegistryHive::Find(const RegistryPath& path) const {
    return const_cast<RegistryHive*>(this)->Find(path);
}

RegistryKeyNode& RegistryHive::Create(const RegistryPath& path, bool* created) {
    if (created) *created = false;
    RegistryKeyNode* node = FindByName(m_roots, path.at(0));
    if (!node) {
        m_roots.push_back({path[0], {}, {}});
        node = &m_roots.back();
    }
    for (size_t i = 1; i < path.size(); ++i) {
        RegistryKeyNode* child = node->FindChild(path[i]);
        if (!child) {
            node->children.push_back({path[i], {}, {}});
            child = &node->children.back();
            if (created) *created = true;
        }
        node = child;
    }
    return *node;
}

bool RegistryHive::Delete(const RegistryPath& path) {
    if (path.size() < 2) return false;
    RegistryKeyNode* parent = Find(RegistryPath(path.begin(), path.end() - 1));
    return parent && parent->DeleteChild(path.back());
}

uint32_t RegistryHive::Load(const std::string& hostPath) {
    m_roots.clear();
    int fd = open(hostPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT ? ERROR_SUCCESS : WinErrorFromErrno(errno, hostPath);
    std::string raw;
    struct stat st {};
    uint32_t result = ERROR_SUCCESS;
    if (fstat(fd, &st) != 0) {
        result = WinErrorFromErrno(errno, hostPath);
    } else if (!S_ISREG(st.st_mode) || uint64_t(st.st_size) > MAX_HIVE_FILE) {
        result = ERROR_INVALID_DATA;
    } else {
        char buffer[65536];
        while (true) {
            ssize_t n = read(fd, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) result = WinErrorFromErrno(errno, hostPath);
            if (n <= 0) break;
            raw.append(buffer, size_t(n));
            if (raw.size() > MAX_HIVE_FILE) {
                result = ERROR_INVALID_DATA;
                break;
            }
        }
    }
    close(fd);
    if (result == ERROR_SUCCESS) *this = Parse(raw);
    return result;
}

uint32_t MakeHiveFolders(const std::string& folder) {
    if (folder.empty()) return ERROR_SUCCESS;
    struct stat st {};
    if (stat(folder.c_str(), &st) == 0) return S_ISDIR(st.st_mode) ? 0 : ERROR_PATH_NOT_FOUND;
    size_t slash = folder.find_last_of('/');
    if (slash != std::string::npos && slash > 0) {
        if (uint32_t err = MakeHiveFolders(folder.substr(0, slash))) return err;
    }
    if (mkdir(folder.c_str(), 0777) != 0 && errno != EEXIST) return WinErrorFromErrno(errno, folder);
    return ERROR_SUCCESS;
}

uint32_t RegistryHive::Save(const std::string& hostPath) const {
    size_t slash = hostPath.find_last_of('/');
    if (slash != std::string::npos) {
        if (uint32_t err = MakeHiveFolders(hostPath.substr(0, slash))) return err;
    }
    return ReplaceHostFile(hostPath, Serialize(), 0600);
}
