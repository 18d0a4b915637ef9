#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "catalogue/PhotoNames.h"

class CSyncReporter;

// One storage card of the handheld, as a run sees it.
struct CardInfo {
    bool writeProtected = false;
    std::string volumeId;          // 16 hex digits from the card, or its folder name
    std::u16string folderName;     // the card's folder in the handheld root
    uint32_t reserved1 = 0;
    uint32_t reserved2 = 0;
};

// The handheld's storage over the remote calls: its cards with their
// identity and write protection, the root prefix, folder creation
// and deletion with the retry for locked files.
class CDeviceStorage {
public:
    static constexpr size_t MAX_STORAGE_CARDS = 5;
    static constexpr size_t kCardNameField = 35;  // bytes, NUL included
    static constexpr uint32_t kLockedRetries = 6;
    static constexpr uint32_t kLockedWaitMs = 500;

    // "\Storage" when the personal folder lies in a root folder of that
    // name, "" when it is a root folder itself.
    static std::u16string RootPrefix();

    // Cards in listing order, at most MAX_STORAGE_CARDS. A handheld whose
    // root cannot be read gives the message "Error reading External Cards."
    static std::vector<CardInfo> EnumerateCards(const CSyncReporter& reporter);
    // Reads the card's identity file or makes one; "" when there is none.
    static std::string VolumeIdentity(const std::u16string& cardFolder);

    static uint32_t CreateFolder(const std::u16string& path);
    // Up to six attempts, 500 ms apart, while the file is locked.
    static uint32_t DeleteFile(const std::u16string& path);
};

