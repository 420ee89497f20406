// The whole program when the per-user folder fails it: a folder that cannot be written, a full
// disk, a first start where nothing can be made, and a player's or a save's file cut short or
// garbled. Play goes on, every failure is said on standard error and never logged, and nothing
// already saved is lost.
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app_support.h"
#include "players/full_disk.h"

namespace {

using namespace app_test;
namespace fs = std::filesystem;

const char* const kNotSaved = "The game could not be saved to";
const std::string kPlayerNotSaved = "The player \"" + kPlayer + "\" could not be saved";

// Every file and folder under a folder: its contents (empty for a folder) and permission bits.
using Snapshot = std::map<std::string, std::pair<std::string, int>>;

Snapshot Take(const std::string& folder) {
    Snapshot snapshot;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder)) {
        const std::string path = entry.path().string();
        snapshot[path.substr(folder.size())] = {entry.is_regular_file() ? ReadText(path) : "", ModeOf(path)};
    }
    return snapshot;
}

size_t Count(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

// How a child of the test is kept from writing under the per-user folder.
enum class Fault { None, ReadOnlyFolder, FullDisk };

class FileFaults : public MainProgramTest {
protected:
    // The data folder copied instead of linked: a user without rights may be unable to reach the
    // repository's own.
    void SetUp() override {
        MainProgramTest::SetUp();
        for (const fs::directory_entry& entry : fs::directory_iterator(dataFolder + "data")) {
            if (!entry.is_symlink()) continue;
            const fs::path target = fs::read_symlink(entry.path());
            fs::remove(entry.path());
            fs::copy(target, entry.path(), fs::copy_options::recursive);
        }
        fs::remove(dataFolder + "help");
    }

    // The whole program in a forked child, played by the script the body makes, as the main
    // program runs it: start-up, the outer loop, the shutdown and the end.
    // The folder kept from writing is the per-user folder unless another is given; beforeStart
    // runs in the child once the fault is in place.
    template <class MakeScript>
    ChildResult Play(
        Fault fault, MakeScript makeScript, std::string folder = "", const std::function<void()>& beforeStart = [] {}) {
        if (folder.empty()) folder = userFolder;
        const bool root = geteuid() == 0;
        if (fault == Fault::ReadOnlyFolder && !root) SetWritable(folder, false);
        if (fault == Fault::ReadOnlyFolder && root) {
            // The user without rights below must reach the data and per-user folders.
            fs::permissions(ScratchPath(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                               fs::perms::others_read | fs::perms::others_exec);
        }
        const ChildResult result = RunInChild([&] {
            // Root writes anywhere: the child becomes a user that owns none of the folder.
            if (fault == Fault::ReadOnlyFolder && root &&
                (setgroups(0, nullptr) != 0 || setresgid(65534, 65534, 65534) != 0 ||
                 setresuid(65534, 65534, 65534) != 0)) {
                std::_Exit(4);
            }
            // A logged line is a fault here: the run ends with status 6 and the log on standard error.
            RegisterShutdown(-1000, [] {
                if (g_DebugLog.empty()) return;
                std::fprintf(stderr, "Logged:\n%s", g_DebugLog.c_str());
                std::_Exit(6);
            });
            std::optional<FullDisk> disk;
            if (fault == Fault::FullDisk) disk.emplace(64);
            beforeStart();
            StartUp();
            Script script = makeScript();
            RunOuterLoop(state, false);
            if (!script.Finished()) std::_Exit(5);
            ShutDown();
            End();
        });
        if (fault == Fault::ReadOnlyFolder && !root) SetWritable(folder, true);
        return result;
    }

    // Write permission on a folder and every folder in it, taken away or given back.
    static void SetWritable(const std::string& folder, bool writable) {
        const fs::perms write = fs::perms::owner_write;
        const auto options = writable ? fs::perm_options::add : fs::perm_options::remove;
        fs::permissions(folder, write, options);
        for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder)) {
            if (entry.is_directory()) fs::permissions(entry.path(), write, options);
        }
    }

    // A player with one finished game and a saved game at the second level, as playing makes
    // them: a game lost at the third level, then a new game over it left at the second.
    void PlayAGameAndLeaveASave() {
        const ChildResult first = Play(Fault::None, [] {
            return Script({{"New Game", [] { Press('N'); }},
                           {"Normal", [] { Press('N'); }},
                           {Playing("Level One"), [] { HoldButton(1); }},
                           {Playing("Level Two"), [] { ReleaseButton(1), HoldButton(1); }},
                           {"Game Over", [] { ReleaseButton(1), Press(KEY_ESCAPE); }},
                           {"Continue", [] { Press('N'); }},
                           {"Abandon Current Game?", [] { Press(KEY_ENTER); }},
                           {"Normal", [] { Press('N'); }},
                           {Playing("Level One"), [] { HoldButton(1); }},
                           {Playing("Level Two"), [] { ReleaseButton(1), Press(KEY_ESCAPE); }},
                           {"Paused", [] { Press('Q'); }}});
        });
        ASSERT_EQ(first.exitStatus, 0) << first.err;
        ASSERT_EQ(first.err, "");
        ASSERT_EQ(Count(ReadText(PlayerPath()), "<gameStat>"), 1u) << ReadText(PlayerPath());
        ASSERT_NE(ReadText(SavePath()).find("<saveLevel>Level Two</saveLevel>"), std::string::npos);
    }

    // The saved game continued: a level change, the game lost at the third level, the game-over
    // screen left for the main menu, and the program ended there.
    static Script ContinueToTheEnd() {
        return Script({{"Continue", [] { Press('C'); }},
                       {Playing("Level Two"), [] { HoldButton(1); }},
                       {Playing("Level Three"), [] { ReleaseButton(1); }},
                       {"Game Over", [] { Press(KEY_ESCAPE); }},
                       {"Continue", [] { Press(KEY_ESCAPE); }}});
    }

    // Nothing logged during the run (which would have ended it with status 6), and so no error log.
    void ExpectNothingLogged(const ChildResult& run) {
        EXPECT_EQ(run.err.find("Logged:"), std::string::npos) << run.err;
        EXPECT_FALSE(fs::exists(userFolder + "bx2_error_log.txt"));
    }
};

TEST_F(FileFaults, AFolderThatCannotBeWrittenOrAFullDiskLosesNothingAndPlayGoesOn) {
    for (const Fault fault : {Fault::ReadOnlyFolder, Fault::FullDisk}) {
        SCOPED_TRACE(fault == Fault::FullDisk ? "a full disk" : "a folder that cannot be written");
        TearDown();
        SetUp();
        PlayAGameAndLeaveASave();
        const Snapshot before = Take(userFolder);

        const ChildResult run = Play(fault, &FileFaults::ContinueToTheEnd);
        EXPECT_EQ(run.exitStatus, 0) << "the script played to its end and the program ended as asked\n" << run.err;
        // The level change, the game's end, and the game-over screen's save were each said.
        EXPECT_EQ(Count(run.err, kNotSaved), 2u) << run.err;
        EXPECT_EQ(Count(run.err, kPlayerNotSaved), 1u) << run.err;
        ExpectNothingLogged(run);
        // Every file as it was, and no half-written file beside them.
        EXPECT_EQ(Take(userFolder), before);
    }
}

TEST_F(FileFaults, AFirstStartWhereNothingCanBeSavedPlaysWithAPlayerWhoseGamesAreNotKept) {
    for (const Fault fault : {Fault::ReadOnlyFolder, Fault::FullDisk}) {
        SCOPED_TRACE(fault == Fault::FullDisk ? "a full disk" : "a folder that cannot be written");
        // A first start in a data home of its own, where no folder of the game is yet.
        const std::string home = ScratchPath() + "/first";
        fs::remove_all(home);
        fs::create_directories(home);
        const std::string perUser = home + "/Vostrand/Brondelvix 2!/";
        const ChildResult run = Play(
            fault,
            [] {
                return Script({{"New Game", [] { Press('N'); }},
                               {"Normal", [] { Press('N'); }},
                               {Playing("Level One"), [] { HoldButton(1); }},
                               {Playing("Level Two"), [] { ReleaseButton(1), Press(KEY_ESCAPE); }},
                               {"Paused", [] { Press('Q'); }}});
            },
            home,
            [&] {
                // The program's own start, which makes the per-user folders.
                setenv("XDG_DATA_HOME", home.c_str(), 1);
                setenv("BX2_DATA_DIR", dataFolder.c_str(), 1);
                ResetGlobals();
                InitGlobals();
                g_debugLogQuiet = 1;
            });
        EXPECT_EQ(run.exitStatus, 0) << run.err;
        if (fault == Fault::ReadOnlyFolder) {
            EXPECT_NE(run.err.find("Error creating user directories."), std::string::npos) << run.err;
        }
        EXPECT_NE(run.err.find("The preferences could not be saved to \"" + perUser + "data/prefs.xml\""),
                  std::string::npos)
            << run.err;
        EXPECT_NE(run.err.find("No player could be saved in \"" + perUser + "data/players/\": \"" + kPlayer +
                               "\" plays, and none of the games of this run will be kept."),
                  std::string::npos)
            << run.err;
        ExpectNothingLogged(run);
        for (const auto& [path, entry] : Take(home)) EXPECT_EQ(entry.first, "") << path << " was written";
    }
}

TEST_F(FileFaults, ADamagedPlayerFileOrSaveIsSaidAndEveryOtherPlayerKeepsItsGames) {
    PlayAGameAndLeaveASave();
    // A second player with the same finished game, whose file the damage must not touch.
    std::string alice = ReadText(PlayerPath());
    alice.replace(alice.find("<name>" + kPlayer + "</name>"), 13 + kPlayer.size(), "<name>Alice</name>");
    const std::string aliceFolder = userFolder + "data/players/Alice";
    const std::string player = ReadText(PlayerPath());
    const std::string save = ReadText(SavePath());

    const struct {
        const char* what;
        std::string path, text, said;
        bool continues;  // the damaged player's save is still there to continue
    } cases[] = {
        {"a player file cut short", PlayerPath(), player.substr(0, player.size() / 3), "is damaged or cannot be read",
         false},
        {"a player file of garbage", PlayerPath(), std::string("\x89PNG\r\n\x1a\n\0\0garbage", 17),
         "is damaged or cannot be read", false},
        {"a save cut short", SavePath(), save.substr(0, save.size() / 2), "is damaged and cannot be continued", true},
        {"a save of garbage", SavePath(), "<<<>>>&&&\xff\xfe", "is damaged and cannot be continued", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(WriteWholeFile(PlayerPath(), player, 0444), 1);
        ASSERT_EQ(WriteWholeFile(SavePath(), save, 0444), 1);
        ASSERT_EQ(WriteWholeFile(c.path, c.text, 0444), 1);
        WritePrefs("<currentPlayerName>" + kPlayer + "</currentPlayerName>");
        fs::remove_all(aliceFolder);
        fs::create_directories(aliceFolder);
        ASSERT_EQ(WriteWholeFile(aliceFolder + "/player.xml", alice, 0444), 1);

        // The scores screen shows the other player's game; the damaged save continues afresh
        // from the first level, and a player left out leaves a new game to the other player.
        const bool continues = c.continues;
        const ChildResult run = Play(Fault::None, [continues] {
            const FrameTest scores = [](const std::vector<DrawCall>& calls) {
                return Drew(calls, "High Score") && Drew(calls, "Alice");
            };
            std::vector<Script::Step> steps = {{"Scores", [] { Press('S'); }}, {scores, [] { Press(KEY_ENTER); }}};
            if (continues) {
                steps.push_back({"Continue", [] { Press('C'); }});
            } else {
                steps.push_back({"New Game", [] { Press('N'); }});
                steps.push_back({"Normal", [] { Press('N'); }});
            }
            steps.push_back({Playing("Level One"), [] { HoldButton(1); }});
            steps.push_back({Playing("Level Two"), [] { ReleaseButton(1), Press(KEY_ESCAPE); }});
            steps.push_back({"Paused", [] { Press('Q'); }});
            return Script(std::move(steps));
        });
        EXPECT_EQ(run.exitStatus, 0) << run.err;
        EXPECT_NE(run.err.find("\"" + c.path + "\" " + c.said), std::string::npos) << run.err;
        ExpectNothingLogged(run);
        EXPECT_EQ(ReadText(aliceFolder + "/player.xml"), alice);
        // A damaged player file stays for its owner to mend.
        if (!c.continues) {
            EXPECT_EQ(ReadText(PlayerPath()), c.text);
        }
    }
}

}  // namespace
