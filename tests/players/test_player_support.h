// Shared set-up of the player tests: a scratch per-user folder with a players folder in it,
// a small error-code table, and helpers to read, write and place player files.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "core/globals.h"
#include "platform/files.h"
#include "players/players.h"
#include "support/game_test.h"
#include "text/parser.h"

// The players folder as the preferences give it: relative to the per-user folder.
inline const std::string kPlayersFolder = "data/players/";

class PlayerTest : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        InitPlayers();
        ASSERT_FALSE(ScratchPath().empty());
        g_userPath = ScratchPath() + "/";
        ASSERT_TRUE(CreateDir(g_userPath + "data"));
        ASSERT_TRUE(CreateDir(PlayersPath()));
        // Notes are logged and returned; -10 and -12 are reported without raising, as the
        // shipped table has them.
        g_errorcode = {1, -10, -12, -13};
        g_errorseverity = {1, 1, 1, 1};
        g_errormessage = {"Note", "Wrong password", "Stats changed", "Cannot read"};
        g_debugLogQuiet = 1;
    }

    static std::string PlayersPath() { return g_userPath + kPlayersFolder; }
    static std::string PlayerFile(const std::string& folderName) { return PlayersPath() + folderName + "/player.xml"; }
    static std::string Read(const std::string& path) {
        std::string text;
        ReadWholeFile(path, text);
        return text;
    }
    static std::string Fixture(const std::string& relative) {
        return Read(FixturePath("players/profiles/" + relative));
    }
    // Puts a player folder holding the given files (name, content) into the players folder.
    static void PlaceFolder(const std::string& folderName,
                            const std::vector<std::pair<std::string, std::string>>& files) {
        ASSERT_TRUE(CreateDir(PlayersPath() + folderName));
        for (const auto& [file, text] : files)
            ASSERT_EQ(WriteWholeFile(PlayersPath() + folderName + "/" + file, text), 1);
    }
    static int Mode(const std::string& path) {
        struct stat st;
        if (stat(path.c_str(), &st) != 0) return -1;
        return static_cast<int>(st.st_mode & 07777);
    }
    static bool LogHas(const std::string& line) {
        for (const std::string& l : DebugLogLines()) {
            if (l == line) return true;
        }
        return false;
    }
    static GameStatPtr Record(int64_t score, int level, int time, int cheat) {
        auto stat = std::make_shared<GameStat>();
        stat->score = score;
        stat->level = level;
        stat->time = time;
        stat->cheatEnabled = cheat;
        return stat;
    }
};
