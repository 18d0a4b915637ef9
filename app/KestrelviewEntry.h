#pragma once
#include <functional>
#include <memory>
#include <string>

class DisplayBackend;

struct LaunchOptions {
    // The text after the program's name: a photo's path, or empty.
    std::u16string commandLine;
    // The device folder (host path) the program runs on.
    std::string deviceRoot;
    // The program's own path, which with the device folder names the one
    // running copy: copies started from different paths are different
    // programs.
    std::u16string programPath;
    // Sleep between the attempts to reach a running copy (tests shorten it).
    uint32_t handOverSleepMs = 1000;
};

// The process entry. When a copy already runs on the same device folder
// from the same path, it is brought to the front, given the command line,
// and this call returns -1 without making a window. Otherwise the backend
// is made (nullptr from the factory ends the start with -1), the program
// starts and the message loop runs; its exit code is returned. A failed
// start destroys what was made and returns the program's exit code.
int KestrelviewMain(const LaunchOptions& options,
                    const std::function<std::unique_ptr<DisplayBackend>()>& makeBackend);
