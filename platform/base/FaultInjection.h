#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// Test hook of the desktop connection layer: the remote calls ask it before
// they act, so a test can make the n-th call of a kind fail with a chosen
// error, or make the device vanish from that call on. The layer also waits
// through it, so retry delays can be observed without sleeping.
enum class RapiCallKind : uint8_t {
    CreateFile,
    ReadFile,
    WriteFile,
    FindAllFiles,
    GetFileAttributes,
    SetFileAttributes,
    CreateDirectory,
    DeleteFile,
    MoveFile,
    SetFileTime,
    GetFileTime,
    Count
};

class FaultInjection {
public:
    // Calls number first .. first + times - 1 (counted from 1 since the last
    // Reset) of this kind fail with error and do nothing.
    static void FailCall(RapiCallKind kind, uint32_t first, uint32_t error, uint32_t times = 1);
    // As FailCall, counting only the calls of this kind whose handheld path
    // (for reads and writes: the path the file was opened with) contains
    // the fragment, compared without regard to case.
    static void FailPath(RapiCallKind kind, std::u16string fragment, uint32_t first, uint32_t error,
                         uint32_t times = 1);
    // From the n-th call of this kind on, every remote call fails with
    // ERROR_NOT_READY: the device is gone.
    static void VanishAt(RapiCallKind kind, uint32_t nth);
    static bool Vanished();
    // Forgets every rule and counter and restores the real sleep.
    static void Reset();
    static uint32_t CallCount(RapiCallKind kind);

    // Counts the call and returns 0 or the injected error.
    static uint32_t Check(RapiCallKind kind, std::u16string_view path = {});

    // Waits milliseconds, or hands the wait to the test's hook.
    static void Sleep(uint32_t milliseconds);
    static void SetSleepHook(std::function<void(uint32_t)> hook);
};
