// The universe tests' ground: a scratch copy of the fixture data folder, an empty per-user
// folder beside it, the settings globals at their start-up values and an empty debug log.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "core/globals.h"
#include "core/io.h"
#include "media/mixer.h"
#include "platform/files.h"
#include "platform/runtime.h"
#include "support/game_test.h"
#include "text/parser.h"
#include "universe/universe.h"

class UniverseTest : public GameTest {
protected:
    std::string dataFolder;  // g_dataPath, ending in "/"
    std::string userFolder;  // g_userPath, ending in "/"

    void SetUp() override {
        GameTest::SetUp();
        InitGlobals();
        InitUniverse();

        ASSERT_FALSE(ScratchPath().empty());
        dataFolder = ScratchPath() + "/data folder/";
        userFolder = ScratchPath() + "/user/";
        // Table-driven tests start each case afresh.
        std::filesystem::remove_all(dataFolder);
        std::filesystem::remove_all(userFolder);
        std::filesystem::create_directory(dataFolder);
        std::filesystem::copy(FixturePath("universe/data"), dataFolder + "data",
                              std::filesystem::copy_options::recursive);
        std::filesystem::create_directory(userFolder);
        g_dataPath = dataFolder;
        g_userPath = userFolder;
        g_debugLogQuiet = 1;
    }

    void TearDown() override {
        if (g_gameUniverse) g_gameUniverse->Unlink();
        g_gameUniverse = nullptr;
        GameTest::TearDown();
    }

    // Writes a file below the per-user folder, making its folders.
    void WriteUserFile(const std::string& relative, const std::string& text) {
        const std::string path = userFolder + relative;
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        ASSERT_EQ(WriteWholeFile(path, text, 0644), 1) << path;
    }
    // Copies the fixture players (Alice, Bob with a password, a folder without a player
    // file and a plain file) into the per-user players folder.
    void CopyFixturePlayers() {
        std::filesystem::create_directories(userFolder + "data");
        std::filesystem::copy(FixturePath("universe/players"), userFolder + "data/players",
                              std::filesystem::copy_options::recursive);
    }
    // Makes the one universe and starts it up, as the main program does.
    Universe& StartUniverse() {
        g_gameUniverse = std::make_shared<Universe>();
        g_gameUniverse->Initialize();
        return *g_gameUniverse;
    }

    static std::string ReadText(const std::string& path) {
        std::string text;
        ReadWholeFile(path, text);
        return text;
    }
    static int ModeOf(const std::string& path) {
        struct stat info {};
        if (stat(path.c_str(), &info) != 0) return -1;
        return static_cast<int>(info.st_mode & 0777);
    }
};

// The names of the players in list order.
inline std::vector<std::string> PlayerNames(const Universe& u) {
    std::vector<std::string> names;
    for (const PlayerPtr& p : u.playersArray) names.push_back(p ? p->name : std::string("<null>"));
    return names;
}
