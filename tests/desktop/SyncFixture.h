#pragma once
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "desktop/KVPlatform.h"
#include "platform/base/FaultInjection.h"
#include "platform/base/MessageBox.h"
#include "platform/rapi/Rapi.h"
#include "tests/support/TestSupport.h"

// A handheld (device folder) and a desktop sync folder in temporary
// folders, with the progress lines and message boxes of each run kept.
class SyncFixture : public ::testing::Test {
protected:
    void SetUp() override {
        FaultInjection::Reset();
        RapiSetDeviceFolder(m_device.Path());
        RapiClearInvokeLog();
        SetMessageBoxSink([this](const std::string& caption, const std::string& text) {
            messages.push_back(text);
            captions.push_back(caption);
        });
        s_current = this;
    }
    void TearDown() override {
        SetMessageBoxSink(nullptr);
        FaultInjection::Reset();
        RapiSetDeviceFolder("");
        s_current = nullptr;
    }

    std::string Handheld(const std::string& relative) const { return m_device / relative; }
    std::string Desktop(const std::string& relative) const { return m_desktop / relative; }
    std::string DesktopRoot() const { return m_desktop.Path(); }
    std::string InternalHandheld(const std::string& name) const {
        return Handheld("My Documents/Kestrelview/" + name);
    }
    std::string InternalDesktop(const std::string& name) const {
        return Desktop("Internal/Kestrelview/" + name);
    }

    // A storage card: a folder elsewhere linked into the device root.
    std::string AddCard(const std::string& name = "Storage Card") {
        std::string target = m_cards / name;
        MakeHostDirs(target);
        EXPECT_EQ(0, symlink(target.c_str(), Handheld(name).c_str()));
        return target;
    }

    long Run(int mode = 0, const std::string& brand = "Kestrelview") {
        progress.clear();
        messages.clear();
        ticks = 0;
        return PlatformSyncFiles(brand.c_str(), mode, m_desktop.Path().c_str(), &Callback);
    }

    bool Saw(const std::string& line) const {
        for (const std::string& p : progress)
            if (p == line) return true;
        return false;
    }
    int CountMessages(const std::string& text) const {
        int n = 0;
        for (const std::string& m : messages) n += m == text;
        return n;
    }

    static void Write(const std::string& path, const std::string& content, time_t mtime = 0) {
        WriteHostFile(path, std::vector<uint8_t>(content.begin(), content.end()));
        if (mtime) SetTime(path, mtime);
    }
    static void SetTime(const std::string& path, time_t mtime) {
        struct timespec times[2] = {{mtime, 0}, {mtime, 0}};
        utimensat(AT_FDCWD, path.c_str(), times, 0);
    }
    static std::string Read(const std::string& path) {
        std::vector<uint8_t> bytes = ReadHostFile(path);
        return std::string(bytes.begin(), bytes.end());
    }
    static bool Exists(const std::string& path) {
        struct stat st {};
        return lstat(path.c_str(), &st) == 0;
    }
    static std::string Big(size_t size, char seed) {
        std::string s(size, '\0');
        for (size_t i = 0; i < size; ++i) s[i] = static_cast<char>(seed + i * 7);
        return s;
    }

    // Every photo under a folder (cards linked into it included): its path
    // below the folder and its bytes.
    using Photos = std::map<std::string, std::string>;
    static Photos PhotosUnder(const std::string& root) {
        namespace fs = std::filesystem;
        Photos photos;
        std::error_code ec;
        auto options = fs::directory_options::follow_directory_symlink | fs::directory_options::skip_permission_denied;
        for (auto it = fs::recursive_directory_iterator(root, options, ec); !ec && it != fs::end(it); it.increment(ec)) {
            std::string name = Lower(it->path().filename().string());
            bool photo = name.size() > 4 && (name.substr(name.size() - 4) == ".jpg" ||
                                              (name.size() > 5 && name.substr(name.size() - 5) == ".jpeg"));
            std::error_code regular;
            if (photo && fs::is_regular_file(it->path(), regular))
                photos[it->path().string().substr(root.size())] = Read(it->path().string());
        }
        return photos;
    }
    Photos HandheldPhotos() const { return PhotosUnder(Handheld("")); }
    Photos DesktopPhotos() const { return PhotosUnder(Desktop("")); }
    static std::string Lower(std::string s) {
        for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return s;
    }
    static std::string FileNameOf(const std::string& path) { return path.substr(path.rfind('/') + 1); }

    // No photo that was on a side is gone from it (under its name, letter
    // case aside), and no photo holds bytes that no photo of its name held
    // before on either side.
    static void ExpectNoPhotoLost(const Photos& handBefore, const Photos& deskBefore, const Photos& handAfter,
                                  const Photos& deskAfter) {
        std::multimap<std::string, std::string> before;  // lower-case name -> bytes
        for (const Photos* side : {&handBefore, &deskBefore})
            for (const auto& [path, bytes] : *side) before.emplace(Lower(FileNameOf(path)), bytes);
        struct Side {
            const char* what;
            const Photos& before;
            const Photos& after;
        } sides[] = {{"handheld", handBefore, handAfter}, {"desktop", deskBefore, deskAfter}};
        for (const Side& side : sides) {
            for (const auto& [path, bytes] : side.before) {
                bool kept = false;
                for (const auto& [p, b] : side.after) kept = kept || Lower(p) == Lower(path);
                EXPECT_TRUE(kept) << side.what << " lost " << path;
            }
            for (const auto& [path, bytes] : side.after) {
                auto range = before.equal_range(Lower(FileNameOf(path)));
                bool known = false;
                for (auto it = range.first; it != range.second; ++it) known = known || it->second == bytes;
                EXPECT_TRUE(known) << side.what << " " << path << " holds bytes no photo of its name held";
            }
        }
    }

    std::vector<std::string> progress;
    std::vector<std::string> messages;
    std::vector<std::string> captions;
    int ticks = 0;
    // Return non-zero from the callback: at this line, or at this tick.
    std::string cancelAtLine;
    int cancelAtTick = 0;

private:
    static long Callback(char* line) {
        SyncFixture* self = s_current;
        std::string text = line;
        if (text.empty()) {
            ++self->ticks;
            return self->cancelAtTick && self->ticks >= self->cancelAtTick;
        }
        self->progress.push_back(text);
        return !self->cancelAtLine.empty() && text == self->cancelAtLine;
    }

    TempDir m_device;
    TempDir m_desktop;
    TempDir m_cards;
    static inline SyncFixture* s_current = nullptr;
};
