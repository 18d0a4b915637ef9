#include <gtest/gtest.h>

#include "platform/base/WinError.h"
#include "platform/rapi/Rapi.h"
#include "tests/support/TestSupport.h"

namespace {

// The connection layer reads a folder once to find names given in another
// letter case, and keeps that listing in step with its own changes.
class RapiListingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        RapiSetDeviceFolder(m_device.Path());
        CeRapiInit();
        MakeHostDirs(m_device / "A");
    }
    void TearDown() override { RapiSetDeviceFolder(""); }
    bool Opens(const char16_t* path) {
        RemoteFile f(CeCreateFile(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        return f.IsOpen();
    }
    bool Creates(const char16_t* path) {
        RemoteFile f(CeCreateFile(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
        return f.IsOpen();
    }

    TempDir m_device;
};

TEST_F(RapiListingsTest, NamesInAnotherCaseFollowTheLayersOwnChanges) {
    EXPECT_FALSE(Opens(u"\\A\\PHOTO.JPG"));  // reads the folder once
    ASSERT_TRUE(Creates(u"\\A\\photo.jpg"));
    EXPECT_TRUE(Opens(u"\\A\\PHOTO.JPG"));
    EXPECT_FALSE(Creates(u"\\A\\Photo.Jpg"));
    EXPECT_EQ(ERROR_FILE_EXISTS, CeGetLastError());

    ASSERT_TRUE(CeMoveFile(u"\\A\\PHOTO.jpg", u"\\A\\moved.jpg"));
    EXPECT_TRUE(Opens(u"\\A\\MOVED.JPG"));
    EXPECT_FALSE(Opens(u"\\A\\photo.jpg"));
    ASSERT_TRUE(CeDeleteFile(u"\\A\\Moved.JPG"));
    EXPECT_FALSE(Opens(u"\\A\\moved.jpg"));
    EXPECT_TRUE(Creates(u"\\A\\MOVED.JPG"));

    // Another program's change in another case is seen from the next run on.
    WriteHostFile(m_device / "A/Other.jpg", {1});
    CeRapiInit();
    EXPECT_TRUE(Opens(u"\\A\\OTHER.JPG"));
}

}  // namespace
