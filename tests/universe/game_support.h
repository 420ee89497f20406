// The game tests' ground: the universe tests' folders and settings, a headless screen, a clock
// whose every frame is one game-speed unit, the shipped error severities, a universe with one
// player on disk, and a scratch copy of the fixture pack with the two sprites a game start copies.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "pieces/ball.h"
#include "pieces/brick.h"
#include "platform/graphics.h"
#include "platform/input.h"
#include "players/savedgame.h"
#include "sprites/sprites.h"
#include "universe/game.h"
#include "universe_support.h"

class GameFixture : public UniverseTest {
protected:
    static constexpr const char* kPlayersPath = "data/players/";
    static constexpr const char* kPlayerName = "Tess";

    std::string packFolder;  // the scratch pack, ending in "/"
    PackPtr headerPack;      // the pack as the universe lists it
    PlayerPtr player;        // the universe's player, on disk
    GamePtr game;

    void SetUp() override {
        UniverseTest::SetUp();
        Graphics(1024, 768, 0, 60);
        g_widthFactor = 1.0f;
        g_heightFactor = 1.0f;
        // Every frame is 80 ms, one game-speed unit, so the loading screen's fades are short.
        g_maxFrameDelay = 1000;
        UseTestClock(100000, 0, 80);
        g_lastMilliSecs = 100000 - 80;
        g_gameSpeedFactor = 1.0f;
        g_gameSpeedModulation = g_gameSpeedTargetModulation = g_gameSpeedDifficultyAdjust = 1.0f;
        g_ScreenOverlayAlpha = 0.0f;
        g_ScoreToDisplay = 0;
        g_LevelToDisplay = 0;
        g_godMode = 0;
        SeedRnd(5);
        ResetInput();
        // Notes stay silent; the faults are logged without raising, as the shipped table has them.
        g_errorcode = {1, -12, -13, -14};
        g_errorseverity = {0, 1, 1, 1};
        g_errormessage = {"Note", "Stats changed", "Cannot read", "Not found"};

        packFolder = ScratchPath() + "/packs/fixturepack/";
        std::filesystem::create_directories(ScratchPath() + "/packs");
        std::filesystem::copy(FixturePath("pack/fixturepack"), packFolder, std::filesystem::copy_options::recursive);
        std::filesystem::copy_file(FixturePath("universe/game_sprites.xml"), packFolder + "sprites/game.xml");
        headerPack = std::make_shared<Pack>();
        headerPack->Initialize(packFolder);

        g_gameUniverse = std::make_shared<Universe>();
        g_gameUniverse->playersPath = kPlayersPath;
        std::filesystem::create_directories(userFolder + kPlayersPath);
        ASSERT_EQ(g_gameUniverse->AddPlayer(kPlayerName), 0);
        player = g_gameUniverse->playersArray.back();
        g_gameUniverse->packsArray.push_back(headerPack);
        game = std::make_shared<Game>();
        g_gameUniverse->currentGame = game;
        ASSERT_EQ(g_DebugLog, "");
    }

    void TearDown() override {
        if (game) game->Unlink();
        game = nullptr;
        UniverseTest::TearDown();
        g_maxFrameDelay = 45;
        g_gameSpeedFactor = 1.0f;
        g_ScreenOverlayAlpha = 0.0f;
        UseRealClock();
        ResetInput();
        StopRecording();
        EndGraphics();
    }

    Universe& universe() { return *g_gameUniverse; }
    std::string SavePath() const { return userFolder + kPlayersPath + kPlayerName + "/save_fixturepack.xml"; }

    // Writes a file into the scratch pack.
    void WritePackFile(const std::string& relative, const std::string& text) {
        ASSERT_EQ(WriteWholeFile(packFolder + relative, text, 0644), 1) << relative;
    }
    // Adds a level at the end of the pack's list, with its own file.
    void AddLevel(const std::string& name, const std::string& file, const std::string& body) {
        std::string list = ReadText(packFolder + "levels.xml");
        list.insert(list.rfind("</levels>"), "\t<level>\n\t\t<levelName>" + name + "</levelName>\n\t\t<fileName>" +
                                                 file + "</fileName>\n\t</level>\n");
        WritePackFile("levels.xml", list);
        WritePackFile(file, "<level>\n\t<levelName>" + name +
                                "</levelName>\n\t<paddle><spriteName>paddle_sprite</spriteName></paddle>\n" + body +
                                "</level>\n");
    }

    int Start(int continueGame, int keepSaveFile = 0) {
        return game->StartGame(player, headerPack, kPlayersPath, continueGame, keepSaveFile, "ignored");
    }

    // A game with the pack loaded, a paddle and a record, without the rest of a game start:
    // what the level change needs.
    void LoadPackOnly() {
        game->currentPack = std::make_shared<Pack>();
        game->currentPack->path = packFolder;
        game->currentPack->LoadPackData(1, LocalizedText);
        game->currentPaddle = std::make_shared<Paddle>();
        game->currentPaddle->paddleSprite->heightBound = 20.0f;
        game->gameStats = std::make_shared<GameStat>();
        game->currentPlayer = player;
    }
};

// What a forked child left behind: its exit status and its standard error.
struct ChildResult {
    int exitStatus = -1;
    std::string err;
};

// Runs body in a forked child whose End() exits with 0; a body that returns exits with 3.
template <class F>
ChildResult RunInChild(F body) {
    int err[2];
    EXPECT_EQ(pipe(err), 0);
    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(err[1], 2);
        close(err[0]);
        close(err[1]);
        SetEndStatus(0);
        body();
        std::_Exit(3);
    }
    close(err[1]);
    ChildResult result;
    char buffer[4096];
    ssize_t n;
    while ((n = read(err[0], buffer, sizeof buffer)) > 0) result.err.append(buffer, static_cast<size_t>(n));
    close(err[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return result;
}
