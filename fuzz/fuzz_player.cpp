// Feeds arbitrary player files to start-up's list of players, beside a player whose file is
// whole: the whole player keeps every record, the hostile file is never written over, a file
// that is left out is said on standard error and nothing is ever logged, and a player that
// loads saves and loads again as the same player.
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_game.h"
#include "players/players.h"
#include "universe/universe.h"

namespace {

const std::string kPlayersPath = "data/players/";
const char* const kKeeper = "Keeper";

std::string g_home;
std::string g_playersFolder;
std::string g_keeperFile;                  // the whole player's file as the game wrote it
std::vector<std::string> g_keeperRecords;  // its records as DataToXML gives them

PlayerPtr Find(Universe& universe, const std::string& folderName) {
    for (const PlayerPtr& player : universe.playersArray) {
        if (player && player->folderName == folderName) return player;
    }
    return nullptr;
}

// Every query the menus, the panel and the scores screen make.
void AskEverything(Player& player) {
    for (int legitOnly : {0, 1}) {
        player.highScore = -1;
        player.highLevel = -1;
        player.GetHighLevel(legitOnly);
        player.GetHighScore(legitOnly);
        player.GetHighScoreIndex(legitOnly);
        player.GetAverageScore(legitOnly);
        player.GetTotalScore(legitOnly);
        player.GetTotalGames(legitOnly);
        player.GetAverageLevel(legitOnly);
        player.GetTotalLevels(legitOnly);
        player.GetAverageGameTime(legitOnly);
        player.GetTimeForeverLost(legitOnly);
    }
}

bool HasEscape(Player& player) {
    if (player.name.find('&') != std::string::npos) return true;
    for (const GameStatPtr& stat : player.gameStatsArray) {
        if (!stat) continue;
        for (const std::string* text : {&stat->date, &stat->difficulty, &stat->pack})
            if (text->find('&') != std::string::npos) return true;
    }
    return false;
}

// A loaded player is saved as the game saves it after a game, and read back as the next start
// reads it: the same player, verified. A text that already held an escape sequence reads back
// unescaped, as the file format has it, so such a player is only saved.
void SaveAndReload(Player& player) {
    const bool comparable = !HasEscape(player);
    if (player.SaveToFile(kPlayersPath) != 1) Broken("a loaded player could not be saved", player.name, "");
    Player reread;
    const int loaded = reread.LoadFromFile(kPlayersPath, player.folderName);
    if (!comparable) return;
    if (loaded != 1) Broken("a saved player does not load verified", IntToText(loaded), "1");
    if (reread.name != player.name) Broken("the name changed on the way", reread.name, player.name);
    if (reread.password->hash != player.password->hash) Broken("the password changed", reread.password->hash, "");
    if (reread.playerIsTamperedWith != player.playerIsTamperedWith) Broken("the tamper flag changed", "", "");
    if (fuzz::Records(reread) != fuzz::Records(player))
        Broken("the records changed on the way", IntToText(static_cast<int>(reread.gameStatsArray.size())),
               IntToText(static_cast<int>(player.gameStatsArray.size())));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    g_home = fuzz::MakeScratchHome();
    fuzz::StartHeadless(fuzz::MirrorDataFolder(g_home, BX2_FUZZ_DATA_DIR, BX2_FUZZ_FIXTURES_DIR));
    g_playersFolder = g_userPath + kPlayersPath;

    fuzz::Hearing quiet;
    Universe universe;
    universe.playersPath = kPlayersPath;
    Player& keeper = fuzz::MakeWholePlayer(universe, kKeeper);
    g_keeperFile = fuzz::ReadOrEmpty(g_playersFolder + kKeeper + "/player.xml");
    g_keeperRecords = fuzz::Records(keeper);
    universe.Unlink();
    fuzz::ExpectNothingLogged("making the whole player");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    ResetDebugLog();
    const std::string text(reinterpret_cast<const char*>(bytes), size);
    // An input of odd length is the only player, in the default player's folder: then start-up
    // must make a default player beside it without touching it.
    const bool alone = size % 2 == 1;
    const std::string folderName = alone ? "Nameless Wonder" : "Hostile";
    const std::string folder = g_playersFolder + folderName;
    const std::string aside = g_home + "/keeper-aside";
    if (alone && std::rename((g_playersFolder + kKeeper).c_str(), aside.c_str()) != 0)
        Broken("cannot move the whole player aside", aside, "");
    fuzz::MustMakeFolder(folder);
    if (WriteWholeFile(folder + "/player.xml", text, 0444) != 1) Broken("cannot place the player file", folder, "");

    {
        fuzz::Hearing hearing;
        auto universe = std::make_shared<Universe>();
        universe->playersPath = kPlayersPath;
        g_gameUniverse = universe;
        universe->LoadPlayers();
        fuzz::ExpectNothingLogged("loading the players");

        if (fuzz::ReadOrEmpty(folder + "/player.xml") != text) Broken("the hostile file was written over", "", "");
        if (universe->playersArray.empty()) Broken("start-up left no player", hearing.said(), "");
        const PlayerPtr hostile = Find(*universe, folderName);
        if (!hostile && hearing.said().find(folder + "/player.xml") == std::string::npos)
            Broken("a player file was left out without a word", hearing.said(), folder);
        if (!alone) {
            const PlayerPtr keeper = Find(*universe, kKeeper);
            if (!keeper) Broken("the whole player is gone", hearing.said(), kKeeper);
            if (fuzz::Records(*keeper) != g_keeperRecords) Broken("the whole player's records changed", "", "");
        }

        for (const PlayerPtr& player : universe->playersArray) AskEverything(*player);
        universe->CalculatePlayerStatistics();
        fuzz::ExpectNothingLogged("the statistics");
        if (hostile) SaveAndReload(*hostile);
        fuzz::ExpectNothingLogged("saving and reloading");

        universe->Unlink();
        g_gameUniverse = nullptr;
    }

    // Back as it was: only the whole player in the players folder.
    for (const std::string& entry : LoadDir(g_playersFolder)) {
        if (entry != kKeeper) DeleteDir(g_playersFolder + entry);
    }
    if (alone && std::rename(aside.c_str(), (g_playersFolder + kKeeper).c_str()) != 0)
        Broken("cannot put the whole player back", aside, "");
    if (fuzz::ReadOrEmpty(g_playersFolder + kKeeper + "/player.xml") != g_keeperFile)
        Broken("the whole player's file changed", "", "");
    return 0;
}
