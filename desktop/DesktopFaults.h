#pragma once
#include <cstdint>
#include <string>

// Test hook of the desktop side, as FaultInjection is of the handheld's:
// the n-th call of a kind (counted since the last Reset), or of a kind on
// paths holding a fragment, fails with a chosen error and does nothing.
enum class DesktopCall : uint8_t { List, MakeFolder, OpenRead, Read, Create, Write, Finish, Replace, Rename, Delete, SetTime, Settle, Count };

class DesktopFaults {
public:
    static void FailCall(DesktopCall kind, uint32_t nth, uint32_t error, std::string fragment = {});
    static void Reset();
    static uint32_t CallCount(DesktopCall kind);
    // Counts the call and returns 0 or the injected error.
    static uint32_t Check(DesktopCall kind, const std::string& path);
};
