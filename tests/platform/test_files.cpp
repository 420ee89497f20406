// Tests of files and folders: whole-file reading and safe writing, listings, deleting,
// the data and per-user folders, and volumes.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <future>

#include "platform/files.h"
#include "support/scratch_folder.h"

namespace {

// A fresh folder for one test, removed afterwards without using the code under test.
class TempFolder : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(scratch_.path().empty());
        root_ = scratch_.path() + "/";
    }
    // Paths here are plain ASCII unless a test says otherwise, so Latin-1 and UTF-8 agree.
    std::string Path(const std::string& name) const { return root_ + name; }
    void Put(const std::string& name, const std::string& text) const {
        FILE* f = std::fopen(Path(name).c_str(), "wb");
        ASSERT_NE(f, nullptr) << name;
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
    }
    std::string Get(const std::string& name) const {
        std::string text;
        EXPECT_TRUE(ReadWholeFile(Path(name), text)) << name;
        return text;
    }
    int ModeOf(const std::string& name) const {
        struct stat st;
        return stat(Path(name).c_str(), &st) == 0 ? static_cast<int>(st.st_mode & 07777) : -1;
    }
    ScratchFolder scratch_;
    std::string root_;
};

using WholeFile = TempFolder;

TEST_F(WholeFile, WriteReplacesTheFileAndSetsTheMode) {
    const int modes[] = {0444, 0744, 0644};
    for (int mode : modes) {
        // Each round replaces the previous file, read-only or not.
        std::string text = "mode " + std::to_string(mode) + std::string("\0\xFF\r\n", 4);
        EXPECT_EQ(WriteWholeFile(Path("player.xml"), text, mode), 1);
        EXPECT_EQ(Get("player.xml"), text);
        EXPECT_EQ(ModeOf("player.xml"), mode);
    }
    EXPECT_EQ(LoadDir(root_), std::vector<std::string>{"player.xml"}) << "a temporary file was left behind";
}

TEST_F(WholeFile, WriteThatCannotOpenReturnsMinusOne) {
    ASSERT_TRUE(CreateDir(Path("folder")));
    EXPECT_EQ(WriteWholeFile(Path("missing/player.xml"), "x"), -1);
    EXPECT_EQ(WriteWholeFile(Path("folder"), "x"), -1);
    EXPECT_EQ(WriteWholeFile(Path("folder/"), "x"), -1);
    EXPECT_EQ(FileType(Path("missing")), 0);
    EXPECT_EQ(FileType(Path("folder")), 2);
    EXPECT_EQ(LoadDir(Path("folder")), std::vector<std::string>{});
}

TEST_F(WholeFile, FailedWriteKeepsTheOldFile) {
    Put("savegame.xml", "old game");
    ASSERT_EQ(chmod(Path("savegame.xml").c_str(), 0444), 0);
    // A small file-size limit makes the write fail even for root; the signal it would
    // raise is ignored so write() reports the error instead.
    rlimit saved;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 16;
    auto oldHandler = signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    int result = WriteWholeFile(Path("savegame.xml"), std::string(100000, 'n'), 0744);
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(result, 0);
    EXPECT_EQ(Get("savegame.xml"), "old game");
    EXPECT_EQ(ModeOf("savegame.xml"), 0444);
    EXPECT_EQ(LoadDir(root_), std::vector<std::string>{"savegame.xml"}) << "the temporary file was left behind";
}

TEST_F(WholeFile, WriteThroughALinkReplacesTheFileItPointsAt) {
    ASSERT_TRUE(CreateDir(Path("real")));
    Put("real/prefs.xml", "old");
    ASSERT_EQ(symlink(Path("real/prefs.xml").c_str(), Path("prefs.xml").c_str()), 0);
    EXPECT_EQ(WriteWholeFile(Path("prefs.xml"), "new"), 1);
    EXPECT_EQ(Get("real/prefs.xml"), "new");
    struct stat st;
    ASSERT_EQ(lstat(Path("prefs.xml").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
}

TEST_F(WholeFile, ReadFailsForMissingAndFolderButNotForEmpty) {
    Put("empty.xml", "");
    ASSERT_TRUE(CreateDir(Path("sub")));
    struct Case {
        const char* name;
        bool ok;
    };
    const Case cases[] = {{"missing.xml", false}, {"sub", false}, {"sub/", false}, {"empty.xml", true}};
    for (const Case& c : cases) {
        std::string text = "stale";
        EXPECT_EQ(ReadWholeFile(Path(c.name), text), c.ok) << c.name;
        EXPECT_EQ(text, "") << c.name;
    }
    // Files whose size is not known up front are read to their end.
    std::string mounts;
    EXPECT_TRUE(ReadWholeFile("/proc/self/mounts", mounts));
    EXPECT_FALSE(mounts.empty());
}

TEST_F(WholeFile, ReadRefusesDevicesAndNamedPipes) {
    // A pack or the preferences can name any path: a device never ends and a named pipe waits
    // for a writer, either of which would hold the game for ever.
    ASSERT_EQ(mkfifo(Path("pipe").c_str(), 0600), 0);
    for (const std::string& path : {std::string("/dev/zero"), std::string("/dev/null"), Path("pipe")}) {
        auto reading = std::async(std::launch::async, [&] {
            std::string text = "stale";
            return ReadWholeFile(path, text) || !text.empty();
        });
        if (reading.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
            ADD_FAILURE() << path << " is still being read";
            // A writer that comes and goes ends a read that waits on the pipe.
            close(open(Path("pipe").c_str(), O_WRONLY | O_NONBLOCK));
            if (path == "/dev/zero") std::_Exit(1);
        }
        EXPECT_FALSE(reading.get()) << path;
    }
}

TEST_F(WholeFile, APathWithAZeroByteNamesNothing) {
    // Cut at its zero byte, each path would name the file or folder that is there.
    Put("file", "kept");
    ASSERT_TRUE(CreateDir(Path("folder")));
    Put("folder/inside", "kept");
    const int mode = ModeOf("file");
    const std::string file = Path("file") + std::string(1, '\0') + "x";
    const std::string folder = Path("folder") + std::string(1, '\0') + "/inside";
    std::string text = "stale";
    EXPECT_FALSE(ReadWholeFile(file, text));
    EXPECT_EQ(text, "");
    EXPECT_EQ(WriteWholeFile(file, "new"), -1);
    EXPECT_EQ(WriteWholeFile(folder, "new"), -1);
    EXPECT_EQ(FileType(file), 0);
    EXPECT_EQ(FileType(folder), 0);
    EXPECT_EQ(FileSize(file), -1);
    EXPECT_FALSE(CreateDir(folder));
    EXPECT_FALSE(SetFileMode(file, 0400));
    EXPECT_TRUE(LoadDir(Path("folder") + std::string(1, '\0')).empty());
    EXPECT_FALSE(DeleteFile(file));
    EXPECT_FALSE(DeleteDir(Path("folder") + std::string(1, '\0')));
    EXPECT_EQ(Get("file"), "kept");
    EXPECT_EQ(Get("folder/inside"), "kept");
    EXPECT_EQ(ModeOf("file"), mode);
}

TEST_F(WholeFile, LatinOneNamesAreUtf8OnDisk) {
    EXPECT_EQ(WriteWholeFile(Path("caf\xE9.xml"), "x"), 1);
    EXPECT_EQ(FileType(Path("caf\xC3\xA9.xml")), 0);  // only reachable as the UTF-8 spelling below
    struct stat st;
    EXPECT_EQ(stat((root_ + "caf\xC3\xA9.xml").c_str(), &st), 0);
    EXPECT_EQ(FileSize(Path("caf\xE9.xml")), 1);
}

using Folders = TempFolder;

TEST_F(Folders, TypesSizesCreationAndDeletion) {
    Put("level.xml", "12345");
    ASSERT_TRUE(CreateDir(Path("pack")));
    EXPECT_TRUE(CreateDir(Path("pack"))) << "an existing folder counts as created";
    EXPECT_FALSE(CreateDir(Path("a/b"))) << "only one level is created";
    EXPECT_FALSE(CreateDir(Path("level.xml")));

    struct Case {
        const char* name;
        int type;
        int64_t size;
    };
    const Case cases[] = {{"level.xml", 1, 5}, {"pack", 2, -1}, {"nothing", 0, -1}, {"a", 0, -1}};
    for (const Case& c : cases) {
        EXPECT_EQ(FileType(Path(c.name)), c.type) << c.name;
        EXPECT_EQ(FileSize(Path(c.name)), c.size) << c.name;
    }

    EXPECT_TRUE(SetFileMode(Path("level.xml"), 0400));
    EXPECT_EQ(ModeOf("level.xml"), 0400);
    EXPECT_FALSE(SetFileMode(Path("nothing"), 0644));

    EXPECT_FALSE(DeleteFile(Path("pack")));
    EXPECT_FALSE(DeleteFile(Path("nothing")));
    EXPECT_TRUE(DeleteFile(Path("level.xml")));
    EXPECT_EQ(FileType(Path("level.xml")), 0);
}

TEST_F(Folders, ListingsAreSortedByByteOrder) {
    // Created in a scrambled order; one name has no Latin-1 spelling, one is not UTF-8.
    const char* names[] = {"b", "_x", "caf\xC3\xA9", "A2", "Z", "a", "B", "A10", "\xE2\x82\xAC", "\xFF"};
    for (const char* name : names) Put(name, "");
    ASSERT_TRUE(CreateDir(Path("sub")));
    const std::vector<std::string> sorted = {"A10", "A2", "B", "Z", "_x", "a", "b", "caf\xE9", "sub"};
    EXPECT_EQ(LoadDir(root_), sorted);
    EXPECT_EQ(LoadDir(Path("nothing")), std::vector<std::string>{});

    TDirHandle* dir = ReadDir(root_);
    ASSERT_NE(dir, nullptr);
    std::vector<std::string> stepped;
    for (std::string name = NextFile(dir); !name.empty(); name = NextFile(dir)) stepped.push_back(name);
    EXPECT_EQ(NextFile(dir), "") << "stays at the end";
    CloseDir(dir);
    std::vector<std::string> expected = {".", ".."};
    expected.insert(expected.end(), sorted.begin(), sorted.end());
    EXPECT_EQ(stepped, expected);

    EXPECT_EQ(ReadDir(Path("nothing")), nullptr);
    EXPECT_EQ(ReadDir(Path("sub/../b")), nullptr);
    EXPECT_EQ(NextFile(nullptr), "");
    CloseDir(nullptr);
}

TEST_F(Folders, DeleteDirRemovesLinksButNeverWhatTheyPointAt) {
    ASSERT_TRUE(CreateDir(Path("outside")));
    Put("outside/keep.txt", "keep");
    ASSERT_TRUE(CreateDir(Path("player")));
    ASSERT_TRUE(CreateDir(Path("player/saves")));
    Put("player/player.xml", "p");
    Put("player/saves/1.xml", "s");
    ASSERT_EQ(chmod(Path("player/saves/1.xml").c_str(), 0444), 0);
    ASSERT_EQ(symlink(Path("outside").c_str(), Path("player/saves/folder-link").c_str()), 0);
    ASSERT_EQ(symlink(Path("outside/keep.txt").c_str(), Path("player/file-link").c_str()), 0);
    ASSERT_EQ(symlink(Path("gone").c_str(), Path("player/dangling").c_str()), 0);

    EXPECT_TRUE(DeleteDir(Path("player")));
    EXPECT_EQ(FileType(Path("player")), 0);
    EXPECT_EQ(Get("outside/keep.txt"), "keep");

    // A link given as the folder itself goes, and what it points at stays.
    ASSERT_EQ(symlink(Path("outside").c_str(), Path("link").c_str()), 0);
    EXPECT_TRUE(DeleteDir(Path("link")));
    struct stat st;
    EXPECT_NE(lstat(Path("link").c_str(), &st), 0);
    EXPECT_EQ(Get("outside/keep.txt"), "keep");

    EXPECT_TRUE(DeleteDir(Path("nothing"))) << "nothing is left at the path";
    Put("plain.txt", "");
    EXPECT_FALSE(DeleteDir(Path("plain.txt")));
    EXPECT_EQ(FileType(Path("plain.txt")), 1);
}

TEST(AppFile, IsThisTestProgram) {
    std::string exe = AppFile();
    EXPECT_EQ(FileType(exe), 1);
    EXPECT_EQ(exe.substr(exe.find_last_of('/') + 1), "platform_test_files");
}

// Sets environment variables for one test and puts them back afterwards.
class Env {
public:
    void Set(const char* name, const char* value) {
        if (!saved_.count(name)) {
            const char* old = std::getenv(name);
            saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
        }
        if (value) {
            setenv(name, value, 1);
        } else {
            unsetenv(name);
        }
    }
    ~Env() {
        for (auto& [name, value] : saved_) {
            if (value) {
                setenv(name.c_str(), value->c_str(), 1);
            } else {
                unsetenv(name.c_str());
            }
        }
    }

private:
    std::map<std::string, std::optional<std::string>> saved_;
};

class KnownFolders : public TempFolder {
protected:
    Env env_;
};

TEST_F(KnownFolders, DataFolderOverrideAlwaysEndsInSlash) {
    const char* values[] = {"/opt/bx2/data", "/opt/bx2/data/"};
    for (const char* value : values) {
        env_.Set("BX2_DATA_DIR", value);
        EXPECT_EQ(DataFolder(), "/opt/bx2/data/") << value;
    }
    env_.Set("BX2_DATA_DIR", "/opt/caf\xC3\xA9");
    EXPECT_EQ(DataFolder(), "/opt/caf\xE9/");
}

TEST_F(KnownFolders, DataFolderBesideTheExecutable) {
    env_.Set("BX2_DATA_DIR", nullptr);
    std::string exe = AppFile();
    std::string guess = exe.substr(0, exe.find_last_of('/')) + "/../share/brondelvix2";
    std::string folder = DataFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '/');
    char* real = realpath(guess.c_str(), nullptr);
    if (real) {
        EXPECT_EQ(folder, std::string(real) + "/") << "an existing data folder is given as a clean path";
        EXPECT_EQ(folder.find("/../"), std::string::npos);
        std::free(real);
    } else {
        EXPECT_EQ(folder, guess + "/");
    }
}

TEST_F(KnownFolders, UserFolderFollowsXdgThenHome) {
    struct Case {
        const char* name;
        std::optional<std::string> xdg, home;
        std::string base;
    };
    const Case cases[] = {
        {"XDG_DATA_HOME", root_ + "xdg", root_ + "home", root_ + "xdg"},
        {"XDG_DATA_HOME with a slash", root_ + "xdg2/", root_ + "home", root_ + "xdg2"},
        {"HOME alone", std::nullopt, root_ + "home", root_ + "home/.local/share"},
        {"empty XDG_DATA_HOME", std::string(), root_ + "h2", root_ + "h2/.local/share"},
        {"relative XDG_DATA_HOME", std::string("rel/data"), root_ + "h3", root_ + "h3/.local/share"},
    };
    for (const Case& c : cases) {
        env_.Set("XDG_DATA_HOME", c.xdg ? c.xdg->c_str() : nullptr);
        env_.Set("HOME", c.home ? c.home->c_str() : nullptr);
        EXPECT_EQ(UserAppFolder(), c.base) << c.name;
        EXPECT_EQ(UserFolder(), c.base + "/Vostrand/Brondelvix 2!/") << c.name;
        // The base is made so the game's one-level CreateDir calls can work below it.
        EXPECT_EQ(FileType(c.base), 2) << c.name;
    }
    EXPECT_EQ(FileType(root_ + "rel"), 0);
}

TEST_F(KnownFolders, HomeFallsBackToTheAccountsHome) {
    env_.Set("HOME", (root_ + "me").c_str());
    EXPECT_EQ(HomeFolder(), root_ + "me");
    env_.Set("HOME", nullptr);
    std::string home = HomeFolder();
    EXPECT_FALSE(home.empty());
    EXPECT_EQ(home[0], '/');
}

TEST_F(KnownFolders, XdgUserFoldersFromUserDirsFile) {
    std::string home = root_ + "home";
    ASSERT_TRUE(CreateDir(home));
    ASSERT_TRUE(CreateDir(root_ + "config"));
    Put("config/user-dirs.dirs",
        "# written by xdg-user-dirs-update\n"
        "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
        "  XDG_DOCUMENTS_DIR=\"/srv/docs/\"\n"
        "XDG_MUSIC_DIR=\"$HOME\"\n"
        "XDG_PICTURES_DIR=\"$HOME/Caf\xC3\xA9 \\\"pics\\\"\"\n"
        "XDG_VIDEOS_DIR=\"relative/videos\"\n"
        "XDG_PUBLICSHARE_DIR=\"$HOME/\xE2\x82\xAC\"\n"
        "#XDG_TEMPLATES_DIR=\"$HOME/Templates\"\n");
    env_.Set("HOME", home.c_str());
    env_.Set("XDG_CONFIG_HOME", (root_ + "config").c_str());
    struct Case {
        const char* name;
        std::string folder;
    };
    const Case cases[] = {
        {"DESKTOP", home + "/Desktop"},
        {"documents", "/srv/docs"},
        {"MUSIC", home},
        {"PICTURES", home + "/Caf\xE9 \"pics\""},
        {"VIDEOS", ""},
        {"PUBLICSHARE", ""},
        {"TEMPLATES", ""},
        {"DOWNLOAD", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(XdgUserFolder(c.name), c.folder) << c.name;

    // Without XDG_CONFIG_HOME the file is looked for in ~/.config.
    env_.Set("XDG_CONFIG_HOME", nullptr);
    EXPECT_EQ(XdgUserFolder("DESKTOP"), "");
    ASSERT_TRUE(CreateDir(home + "/.config"));
    Put("home/.config/user-dirs.dirs", "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n");
    EXPECT_EQ(XdgUserFolder("DESKTOP"), home + "/Schreibtisch");
}

using Volumes = TempFolder;

TEST_F(Volumes, ListedAndFoundForAPath) {
    std::vector<VolumeEntry> volumes = ListVolumes();
    ASSERT_FALSE(volumes.empty());
    bool root = false;
    for (const VolumeEntry& v : volumes) {
        if (v.mountPoint != "/") continue;
        root = true;
        EXPECT_EQ(v.name, "/");
        EXPECT_TRUE(v.available);
        EXPECT_GT(v.size, 0);
        EXPECT_FALSE(v.device.empty());
    }
    EXPECT_TRUE(root);

    // The temporary folder's volume is the listed mount point nearest to it.
    char* real = realpath(root_.c_str(), nullptr);
    ASSERT_NE(real, nullptr);
    std::string here = std::string(real) + "/";
    std::free(real);
    std::string nearest;
    for (const VolumeEntry& v : volumes) {
        std::string mount = v.mountPoint == "/" ? "/" : v.mountPoint + "/";
        if (here.rfind(mount, 0) == 0 && mount.size() > nearest.size()) nearest = mount;
    }
    VolumeEntry found = VolumeOf(root_);
    EXPECT_TRUE(found.available);
    EXPECT_EQ(found.mountPoint == "/" ? "/" : found.mountPoint + "/", nearest);
    EXPECT_GT(found.size, 0);
    EXPECT_LE(found.freeSpace, found.size);
    EXPECT_FALSE(found.type.empty());

    VolumeEntry missing = VolumeOf(Path("nothing/here"));
    EXPECT_FALSE(missing.available);
    EXPECT_EQ(missing.mountPoint, "");
    EXPECT_EQ(missing.size, 0);
}

}  // namespace
