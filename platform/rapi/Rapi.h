#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/base/File.h"
#include "platform/base/FileSystem.h"
#include "platform/base/Time.h"

// The remote calls the desktop library makes on the handheld, over a device
// folder: the handheld mounted over USB, a network share, or the folder the
// handheld program itself runs on. Results and errors follow the Windows
// conventions: handles, BOOL results and CeGetLastError.

using HANDLE = void*;
using BOOL = int;
using DWORD = uint32_t;
using HRESULT = int32_t;
using LPCWSTR = const char16_t*;
using LPWSTR = char16_t*;

inline HANDLE const INVALID_HANDLE_VALUE = reinterpret_cast<HANDLE>(~uintptr_t(0));
constexpr HRESULT S_OK = 0;
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
constexpr DWORD MAX_PATH = 260;
constexpr int CSIDL_PERSONAL = 5;

// CeFindAllFiles flags.
constexpr DWORD FAF_ATTRIBUTES = 0x01;
constexpr DWORD FAF_CREATION_TIME = 0x02;
constexpr DWORD FAF_LASTACCESS_TIME = 0x04;
constexpr DWORD FAF_LASTWRITE_TIME = 0x08;
constexpr DWORD FAF_SIZE_HIGH = 0x10;
constexpr DWORD FAF_SIZE_LOW = 0x20;
constexpr DWORD FAF_OID = 0x40;
constexpr DWORD FAF_NAME = 0x80;

// The handheld reports a file still in use by another program with this
// number; the caller waits and tries again.
constexpr DWORD ERROR_HANDHELD_FILE_LOCKED = 74640;

struct CE_FIND_DATA {
    DWORD dwFileAttributes;
    FileTime ftCreationTime;
    FileTime ftLastAccessTime;
    FileTime ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD dwOID;
    char16_t cFileName[MAX_PATH];
};

HRESULT CeRapiInit();
HRESULT CeRapiUninit();
DWORD CeGetLastError();

HANDLE CeCreateFile(LPCWSTR name, DWORD access, DWORD share, void* security, DWORD disposition,
                    DWORD flags, HANDLE templ);
BOOL CeReadFile(HANDLE file, void* buffer, DWORD count, DWORD* done, void* overlapped);
// Reads up to `count` bytes of a handheld file into a host file at its
// position, without passing them through the caller (where the connection
// allows it, the kernel copies). Fails and succeeds as CeReadFile does.
BOOL CeReadFileInto(HANDLE file, File& host, DWORD count, DWORD* done);
BOOL CeWriteFile(HANDLE file, const void* data, DWORD count, DWORD* done, void* overlapped);
BOOL CeCloseHandle(HANDLE file);
DWORD CeGetFileSize(HANDLE file, DWORD* high);  // 0xFFFFFFFF on failure
BOOL CeSetFileTime(HANDLE file, const FileTime* creation, const FileTime* lastAccess,
                   const FileTime* lastWrite);
BOOL CeGetFileTime(HANDLE file, FileTime* creation, FileTime* lastAccess, FileTime* lastWrite);

// Lists the entries matching the pattern; the array belongs to the caller,
// who returns it with CeRapiFreeBuffer. A folder without a match, or no
// folder at all, gives TRUE and a count of 0; FALSE means the device could
// not be read.
BOOL CeFindAllFiles(LPCWSTR pattern, DWORD flags, DWORD* count, CE_FIND_DATA** found);
HRESULT CeRapiFreeBuffer(void* buffer);

DWORD CeGetFileAttributes(LPCWSTR name);  // 0xFFFFFFFF when missing
BOOL CeSetFileAttributes(LPCWSTR name, DWORD attributes);
BOOL CeCreateDirectory(LPCWSTR name, void* security);
BOOL CeDeleteFile(LPCWSTR name);
BOOL CeMoveFile(LPCWSTR from, LPCWSTR to);
// Puts from in place of to in one step (to need not exist), so the old file
// stays until the new one has taken its place: a replacing write's last step.
BOOL CeMoveFileReplacing(LPCWSTR from, LPCWSTR to);
// Returns the length of the path written, 0 on failure.
DWORD CeGetSpecialFolderPath(int folder, DWORD length, LPWSTR buffer);

// Calls an entry of a handheld library. Over a device folder nothing runs:
// the call is recorded and reported as done.
HRESULT CeRapiInvoke(LPCWSTR dll, LPCWSTR function, DWORD inputSize, uint8_t* input,
                     DWORD* outputSize, uint8_t** output, void* stream, DWORD reserved);
// The identifier of the connected device (its partnership's profile), 0
// when none is connected or the device carries no identity.
DWORD CeGetDeviceId();

// --- The device folder behind the calls ---------------------------------

// Handheld file holding the device's identity: lines "DeviceId=<decimal>"
// and, optionally, "PersonalFolder=<handheld path>" (default "\My Documents").
inline constexpr char16_t kDeviceIdentityPath[] = u"\\Windows\\KVDevice.txt";

// Makes the calls work on this device folder ("" = choose the connected
// partnership's device at the next CeRapiInit).
void RapiSetDeviceFolder(const std::string& hostRoot);
std::string RapiDeviceFolder();

// Takes the device for one synchronisation at a time, against other
// processes and other takers in this one: 0 and a token for
// RapiUnlockDevice, or ERROR_BUSY while someone else holds it.
uint32_t RapiLockDevice(int& token);
void RapiUnlockDevice(int token);

struct RapiInvokeRecord {
    std::u16string dll;
    std::u16string function;
};
std::vector<RapiInvokeRecord> RapiInvokeLog();
void RapiClearInvokeLog();

// Reads the identity file of a device folder; false when it is missing or
// holds no identifier. personal receives the personal folder when asked.
bool RapiReadDeviceIdentity(const std::string& hostRoot, DWORD& id,
                            std::u16string* personal = nullptr);
// Writes the identity file (keeping a personal folder already named there).
uint32_t RapiWriteDeviceIdentity(const std::string& hostRoot, DWORD id);

// A handle of the remote calls, closed when the owner goes.
class RemoteFile {
public:
    explicit RemoteFile(HANDLE h) : m_h(h) {}
    ~RemoteFile() { Close(); }
    RemoteFile(const RemoteFile&) = delete;
    RemoteFile& operator=(const RemoteFile&) = delete;
    bool IsOpen() const { return m_h != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return m_h; }
    void Close() {
        if (IsOpen()) CeCloseHandle(m_h);
        m_h = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE m_h;
};
