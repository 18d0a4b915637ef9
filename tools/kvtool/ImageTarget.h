#pragma once
#include <optional>
#include <string>

// A host file named on the command line, seen as a handheld path. A file
// inside the device folder keeps its handheld path; any other file is
// reached through a device folder made of its own folder for as long as
// this object lives, so the catalogue code can read and edit it the same
// way.
class ImageTarget {
public:
    explicit ImageTarget(const std::string& hostPath);
    ~ImageTarget();
    ImageTarget(const ImageTarget&) = delete;
    ImageTarget& operator=(const ImageTarget&) = delete;

    const std::u16string& HandheldPath() const { return m_path; }
    // After the photo was changed: its folder's file list cache no longer
    // tells the truth, so it is deleted and the next start walks the folder.
    void Changed() const;
    bool IsRemovable() const { return m_removable; }

private:
    std::u16string m_path;
    std::optional<std::string> m_previousRoot;
    bool m_removable = false;
};
