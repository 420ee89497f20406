// Tests of the user's folders, the mounted volumes and the decoding of system texts.
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>

#include "core/volumes.h"
#include "platform/files.h"
#include "platform/runtime.h"
#include "support/game_test.h"

namespace {

// Every test runs with HOME and the XDG variables pointing into a fresh folder; GameTest puts
// the caller's environment back afterwards.
class VolumesTest : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        root_ = ScratchPath();
        ASSERT_FALSE(root_.empty());
        std::filesystem::create_directory(root_ + "/home");
        setenv("HOME", (root_ + "/home").c_str(), 1);
        setenv("XDG_DATA_HOME", (root_ + "/data").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (root_ + "/config").c_str(), 1);
        unsetenv("XDG_DATA_DIRS");
    }
    std::string root_;
};

TEST_F(VolumesTest, UserAppDirIsNeverEmpty) {
    struct Case {
        const char* xdgDataHome;  // null: unset
        std::string expected;     // below the test folder
    };
    const Case cases[] = {
        {"/xdg", "/xdg"},
        {"/xdg/", "/xdg"},
        {nullptr, "/home/.local/share"},
        {"", "/home/.local/share"},
        // The convention ignores a relative setting.
        {"relative/data", "/home/.local/share"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.xdgDataHome ? c.xdgDataHome : "(unset)");
        if (!c.xdgDataHome) {
            unsetenv("XDG_DATA_HOME");
        } else if (c.xdgDataHome[0] == '/') {
            setenv("XDG_DATA_HOME", (root_ + c.xdgDataHome).c_str(), 1);
        } else {
            setenv("XDG_DATA_HOME", c.xdgDataHome, 1);
        }
        std::string dir = GetUserAppDir();
        EXPECT_EQ(dir, root_ + c.expected);
        // The per-user folder is built on it by appending "/" and folder names.
        EXPECT_EQ(dir + "/Vostrand/Brondelvix 2!/", UserFolder());
        EXPECT_EQ(FileType(dir), 2);
    }
    EXPECT_FALSE(std::filesystem::exists("relative"));
}

TEST_F(VolumesTest, UserFoldersComeFromTheXdgSettings) {
    std::string home = root_ + "/home";
    for (const char* name : {"Bureau", "Docs", "Pics", "Tunes", "Desktop"})
        std::filesystem::create_directory(home + "/" + name);
    std::filesystem::create_directory(root_ + "/shared");
    std::filesystem::create_directory(root_ + "/config");
    FILE* f = std::fopen((root_ + "/config/user-dirs.dirs").c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fputs(
        "# written by xdg-user-dirs-update\n"
        "XDG_DESKTOP_DIR=\"$HOME/Bureau\"\n"
        "XDG_DOCUMENTS_DIR=\"$HOME/Docs/\"\n"
        "XDG_PICTURES_DIR=\"$HOME/Pics\"\n"
        "XDG_MUSIC_DIR=\"$HOME/Tunes\"\n"
        "XDG_VIDEOS_DIR=\"$HOME/Not there\"\n",
        f);
    std::fclose(f);
    setenv("XDG_DATA_DIRS", (root_ + "/shared:/usr/share").c_str(), 1);

    struct Case {
        const char* what;
        std::string result;
        std::string expected;
    };
    const Case cases[] = {
        {"home", GetUserHomeDir(), home},
        {"HomeDir", HomeDir(), home},
        {"desktop", GetUserDesktopDir(), home + "/Bureau"},
        {"documents", GetUserDocumentsDir(), home + "/Docs"},  // returned without a trailing "/"
        {"shared", GetCustomDir(1), root_ + "/shared"},
        {"pictures", GetCustomDir(2), home + "/Pics"},
        {"music", GetCustomDir(3), home + "/Tunes"},
        {"movies", GetCustomDir(4), ""},  // named, but not there: never created
    };
    for (const Case& c : cases) EXPECT_EQ(c.result, c.expected) << c.what;
    EXPECT_FALSE(std::filesystem::exists(home + "/Not there"));

    // Without the settings file the desktop is the home folder's "Desktop", and the
    // others are unknown.
    std::filesystem::remove(root_ + "/config/user-dirs.dirs");
    EXPECT_EQ(GetUserDesktopDir(), home + "/Desktop");
    EXPECT_EQ(GetUserDocumentsDir(), "");
    // A home folder that is not there is no home folder.
    setenv("HOME", (root_ + "/gone").c_str(), 1);
    EXPECT_EQ(GetUserHomeDir(), "");
    EXPECT_EQ(GetUserDesktopDir(), "");
}

TEST_F(VolumesTest, CustomDirOutsideOneToFourIsEmpty) {
    std::filesystem::create_directory(root_ + "/shared");
    setenv("XDG_DATA_DIRS", (root_ + "/shared").c_str(), 1);
    ASSERT_NE(GetCustomDir(1), "");
    for (int which : {0, 5, -1, 100, INT_MIN, INT_MAX}) EXPECT_EQ(GetCustomDir(which), "") << which;
}

TEST_F(VolumesTest, VolumeListHoldsTheRootWithItsSize) {
    TVolumeList list = GetVolumeList();
    ASSERT_NE(list, nullptr);
    ASSERT_FALSE(list->empty());
    TVolumePtr root;
    for (const TVolumePtr& volume : *list) {
        ASSERT_NE(volume, nullptr);
        EXPECT_FALSE(volume->volumeName.empty());
        if (volume->volumeName == "/") root = volume;
    }
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->available, 1);
    EXPECT_GT(root->volumeSize, 0);
    EXPECT_LE(root->volumeFree, root->volumeSize);
    EXPECT_FALSE(root->volumeType.empty());
    // A listed volume reads its sizes again through its mount folder.
    EXPECT_EQ(root->Refresh(), 1);
    EXPECT_GT(root->volumeSize, 0);
}

TEST_F(VolumesTest, VolumeOfAPath) {
    TVolumePtr info = GetVolumeInfo(root_);
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->available, 1);
    EXPECT_FALSE(info->volumeName.empty());
    EXPECT_GT(info->volumeSize, 0);
    EXPECT_EQ(GetVolumeSize(root_), info->volumeSize);
    EXPECT_LE(GetVolumeFreeSpace(root_), GetVolumeSize(root_));
    // A volume from GetVolumeInfo keeps no record to read again.
    EXPECT_EQ(info->Refresh(), 0);

    std::string missing = root_ + "/no/such/path";
    TVolumePtr none = GetVolumeInfo(missing);
    ASSERT_NE(none, nullptr);
    EXPECT_EQ(none->available, 0);
    EXPECT_EQ(none->volumeName, "");
    EXPECT_EQ(none->volumeDevice, "");
    EXPECT_EQ(none->volumeType, "");
    EXPECT_EQ(none->volumeSize, 0);
    EXPECT_EQ(none->volumeFree, 0);
    EXPECT_EQ(GetVolumeSize(missing), 0);
    EXPECT_EQ(GetVolumeFreeSpace(missing), 0);
}

TEST_F(VolumesTest, BaseVolumeOnlyNamesTheOperations) {
    TVolume base;
    EXPECT_THROW(base.ListVolumes(), TRuntimeException);
    EXPECT_THROW(base.GetUserAppDir(), TRuntimeException);
    EXPECT_THROW(base.Refresh(), TRuntimeException);
}

TEST(Utf8Decoding, DecodesWithoutReadingPastTheEnd) {
    struct Case {
        std::string bytes;
        std::u16string expected;
    };
    const Case cases[] = {
        {"", u""},
        {"plain text 123", u"plain text 123"},
        {"\xC3\xA9", {233}},
        {"\xE2\x82\xAC", {8364}},
        {"A\xC3\xA9\x42", {'A', 233, 'B'}},
        {"\xF0\x9F\x98\x80", {0xD83D, 0xDE00}},  // beyond 16 bits: a surrogate pair
        // Continuation bytes are taken as they come.
        {"\xC3\x41", {129}},
        // Cut short by the terminating zero: one replacement character, then the end.
        {"a\xC3", {'a', 0xFFFD}},
        {"\xE2\x82", {0xFFFD}},
        {"\xE2", {0xFFFD}},
        {"\xF0\x9F\x98", {0xFFFD}},
        {"\xFF\x62", {0xFFFD, 'b'}},
    };
    for (const Case& c : cases) {
        // Exactly as long as the text and its zero, so any read beyond it is caught.
        std::unique_ptr<char[]> buffer(new char[c.bytes.size() + 1]);
        std::memcpy(buffer.get(), c.bytes.c_str(), c.bytes.size() + 1);
        EXPECT_EQ(bbStringFromUTF8String(buffer.get()), c.expected) << c.bytes;
    }
    EXPECT_EQ(bbStringFromUTF8String(nullptr), u"");
}

}  // namespace
