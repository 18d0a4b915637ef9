#include <gtest/gtest.h>

#include "catalogue/PhotoNames.h"

// One rule decides what a photo is for the handheld's lists and for the
// desktop's copies; the desktop sends only "jpg" files to the handheld.
TEST(PhotoNames, PhotosAreKnownByTheirExtension) {
    const struct {
        std::u16string_view path;
        bool photo;
        bool jpg;
    } cases[] = {
        {u"\\a\\photo.JPEG", true, false}, {u"\\a\\photo.jpg", true, true},
        {u"photo.Jpg", true, true},        {u"\\a\\photo.jpg.bak", false, false},
        {u"\\a\\photo", false, false},     {u"\\a.jpg\\photo", false, false},
        {u"\\a\\.jpg", true, true},        {u"\\a\\photo.", false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.path.begin(), c.path.end()));
        EXPECT_EQ(c.photo, IsPhotoName(c.path));
        EXPECT_EQ(c.jpg, IsJpgName(c.path));
    }
}
