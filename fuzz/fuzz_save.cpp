// Feeds arbitrary saved games to the game's continue (LoadGame, with its digest check) and to the
// main menu's abandon (the save turned into a finished game): nothing is logged, a continued game
// saves and continues again as the same game, and an abandoned one joins the player's records
// without costing the player any other.
#include <climits>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "fuzz_game.h"
#include "level/level.h"
#include "pack/packs.h"
#include "pieces/gamestats.h"
#include "players/players.h"
#include "universe/game.h"
#include "universe/universe.h"

namespace {

const std::string kPlayersPath = "data/players/";
const char* const kKeeper = "Keeper";

// Kept for the whole run and never freed: releasing a pack needs the master mixer, which the
// exit handlers free first.
struct Held {
    UniversePtr universe;
    PlayerPtr keeper;
    PackPtr pack;  // the classic pack's header, as the main menu holds it
};
Held& g_held = *new Held;
std::string g_keeperFile;
std::vector<std::string> g_keeperRecords;
std::string g_savePath;

// A game as StartGame sets it up before it reads the save: the player, the pack, a placeholder
// level, a fresh record of the chosen difficulty and the pack's lives.
std::unique_ptr<Game> NewGame() {
    auto game = std::make_unique<Game>();
    game->currentPlayer = g_held.keeper;
    game->currentPack = g_held.pack;
    game->currentLevel = std::make_shared<Level>();
    game->gameStats = std::make_shared<GameStat>();
    game->gameStats->SetForContinue();
    game->gameStats->level = 0;
    game->gameStats->difficulty = g_held.universe->currentDifficulty;
    game->gameStats->pack = g_held.pack->saveName;
    game->lives = g_held.pack->startingLives;
    return game;
}

bool HasEscape(const GameStat& stat, const std::string& levelName) {
    for (const std::string* text : {&stat.date, &stat.difficulty, &stat.pack, &levelName})
        if (text->find('&') != std::string::npos) return true;
    return false;
}

// The continued game is saved at its next level change and continued again: the same lives,
// level name and record, the record's level one lower again, and the digest now matching, so
// the cheat flag stays as the first continue left it. A text that already held an escape
// sequence reads back unescaped, as the file format has it, and is not compared.
void SaveAndContinueAgain(Game& game, const std::string& levelName) {
    const GameStat& first = *game.gameStats;
    if (!first.difficulty.empty()) g_held.universe->currentDifficulty = first.difficulty;
    if (game.SaveGame(kPlayersPath, 0) != 0) Broken("a continued game could not be saved", levelName, "");
    std::unique_ptr<Game> again = NewGame();
    const std::string levelAgain = again->LoadGame(kPlayersPath);
    const GameStat& second = *again->gameStats;
    const int lowered = first.level > INT_MIN ? first.level - 1 : first.level;
    if (again->lives != game.lives) Broken("the lives changed", IntToText(again->lives), IntToText(game.lives));
    if (second.level != lowered) Broken("the level changed", IntToText(second.level), IntToText(lowered));
    if (second.score != first.score || second.time != first.time || second.cheatEnabled != first.cheatEnabled)
        Broken("the record changed", again->gameStats->DataToXML(), game.gameStats->DataToXML());
    if (HasEscape(first, levelName)) return;
    if (levelAgain != levelName) Broken("the level name changed", levelAgain, levelName);
    if (second.date != first.date || second.difficulty != first.difficulty || second.pack != first.pack)
        Broken("the record's texts changed", again->gameStats->DataToXML(), game.gameStats->DataToXML());
}

// The main menu's abandon: the save becomes a finished game of the player, who is reloaded, given
// the record and saved. Every earlier record stays, and the file verifies at the next load.
void Abandon(const std::string& save) {
    if (WriteWholeFile(g_savePath, save, 0444) != 1) Broken("cannot place the save again", g_savePath, "");
    const GameStatPtr abandoned = g_held.keeper->DeleteCurrentSavedGame(kPlayersPath, g_held.pack->saveName);
    if (!abandoned) return;
    if (FileType(g_savePath) != 0) Broken("an abandoned save stayed", g_savePath, "");
    g_held.keeper->LoadFromFile(kPlayersPath, g_held.keeper->folderName);
    g_held.keeper->AddGameStat(abandoned);
    if (g_held.keeper->SaveToFile(kPlayersPath) != 1) Broken("the player could not be saved", "", "");
    Player reread;
    if (reread.LoadFromFile(kPlayersPath, kKeeper) != 1) Broken("the player does not verify after an abandon", "", "");
    std::vector<std::string> records = fuzz::Records(reread);
    if (records.size() != g_keeperRecords.size() + 1) Broken("a record was lost or gained", "", "");
    records.pop_back();
    if (records != g_keeperRecords) Broken("an earlier record changed", "", "");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const std::string home = fuzz::MakeScratchHome();
    fuzz::StartHeadless(fuzz::MirrorDataFolder(home, BX2_FUZZ_DATA_DIR, BX2_FUZZ_FIXTURES_DIR));
    fuzz::Hearing quiet;
    g_held.universe = std::make_shared<Universe>();
    g_held.universe->playersPath = kPlayersPath;
    g_gameUniverse = g_held.universe;
    fuzz::MakeWholePlayer(*g_held.universe, kKeeper);
    g_held.keeper = g_held.universe->playersArray.back();
    g_keeperFile = fuzz::ReadOrEmpty(g_userPath + kPlayersPath + kKeeper + "/player.xml");
    g_keeperRecords = fuzz::Records(*g_held.keeper);
    g_held.pack = std::make_shared<Pack>();
    g_held.pack->Initialize(g_dataPath + "data/packs/classic/");
    g_savePath = g_userPath + kPlayersPath + kKeeper + "/save_" + g_held.pack->saveName + ".xml";
    fuzz::ExpectNothingLogged("setting up");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    ResetDebugLog();
    const std::string save(reinterpret_cast<const char*>(bytes), size);
    if (WriteWholeFile(g_savePath, save, 0444) != 1) Broken("cannot place the save", g_savePath, "");
    g_held.universe->currentDifficulty = "Normal";
    {
        fuzz::Hearing hearing;
        std::unique_ptr<Game> game = NewGame();
        const std::string levelName = game->LoadGame(kPlayersPath);
        fuzz::ExpectNothingLogged("continuing");
        SaveAndContinueAgain(*game, levelName);
        fuzz::ExpectNothingLogged("saving and continuing again");
        Abandon(save);
        fuzz::ExpectNothingLogged("abandoning");
    }

    // Back as it was: the whole player alone, with no save.
    std::remove(g_savePath.c_str());
    if (WriteWholeFile(g_userPath + kPlayersPath + kKeeper + "/player.xml", g_keeperFile, 0444) != 1)
        Broken("cannot put the player back", "", "");
    g_held.keeper->LoadFromFile(kPlayersPath, kKeeper);
    return 0;
}
