#pragma once
#include <cstdint>
#include <string>

// What other photo tools learn of a photo from its XMP sidecar
// ("NAME.jpg.xmp" beside it): the category as a keyword, the note as the
// description, the private mark as the label "Private". Texts are UTF-8;
// an empty category or note means none.
struct PhotoTags {
    std::string category;
    std::string note;
    bool isPrivate = false;
};

// The sidecar's path for a photo.
std::string XmpSidecarPath(const std::string& photoHostPath);

// Writes the sidecar, or updates one that is there: only the fields this
// program wrote before are replaced, everything else in it is kept. The
// photo itself is never touched. 0, or a Windows error number
// (ERROR_INVALID_DATA when an existing sidecar cannot be parsed; it is
// then left alone).
uint32_t WriteXmpSidecar(const std::string& photoHostPath, const PhotoTags& tags);
