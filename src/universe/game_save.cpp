// The saved game: lives, the level being started and the running record, sealed by a digest.
// A hand-edited save still loads, and the game it continues counts as a cheat game.
#include <climits>
#include <iostream>

#include "core/globals.h"
#include "core/io.h"
#include "platform/files.h"
#include "platform/runtime.h"
#include "players/savedgame.h"
#include "text/parser.h"
#include "universe/game.h"

int Game::SaveGame(const std::string& playersPath, int editorFlag) {
    return Guarded("universe:Game.SaveGame() ", 0, [&] {
        if (editorFlag == 1) return -4;
        if (!currentPlayer) return -1;
        if (!currentPack) return -2;
        if (!currentLevel) return -3;
        // A save name that cannot name a file was reported when the packs were read.
        const std::string path = SavedGamePath(playersPath, currentPlayer->folderName, currentPack->saveName);
        if (path.empty()) return -5;

        std::string body =
            GetXMLfromData("lives", IntToText(lives), 0) + GetXMLfromData("saveLevel", currentLevel->name, 0);
        GameStat& stat = Deref(gameStats);
        stat.difficulty = Deref(g_gameUniverse).currentDifficulty;
        stat.UpdateStatHash();
        body += stat.DataToXML();
        const std::string saveData = GetXMLfromData("saveData", body, 1);
        const std::string text = saveData + GetXMLfromData("saveHash", SaveDigest(saveData), 0);

        // Written directly, not through the logging writer: a logged line would end the next
        // game start, and a save that could not be written must not cost the player their game.
        if (WriteWholeFile(path, text, 0444) != 1) {
            std::cerr << Latin1ToUtf8("The game could not be saved to \"" + path + "\".") << std::endl;
            return -5;
        }
        return 0;
    });
}

std::string Game::LoadGame(const std::string& playersPath) {
    return Guarded("universe:Game.LoadGame() ", std::string(), [&]() -> std::string {
        if (!currentPlayer) return "-1";
        if (!currentPack) return "-2";
        if (!currentLevel) return "-3";
        const std::string path = SavedGamePath(playersPath, currentPlayer->folderName, currentPack->saveName);
        const std::string text = path.empty() ? std::string() : ReadFileToString(path, 1);
        const std::string saveData = ExtractTagFromXML(text, "saveData", 0);
        // Nothing saved (no file, an empty one, or no saved game in it): the game goes on as a
        // new one at the first level, with the record as it stands and the lives it has. A file
        // cut short or garbled is the player's own: said on standard error, never logged.
        if (saveData.empty()) {
            if (!TrimText(text).empty()) {
                std::cerr << Latin1ToUtf8("The saved game \"" + path +
                                          "\" is damaged and cannot be continued; the game starts afresh.")
                          << std::endl;
            }
            return currentLevel->name;
        }

        const std::string saveHash = ExtractTagFromXML(text, "saveHash", 0);
        const bool untouched = SaveDigest(saveData) == GetDataFromXML(saveHash, "saveHash");

        if (!gameStats) gameStats = std::make_shared<GameStat>();
        GameStat& stat = *gameStats;
        const std::string chosenDifficulty = stat.difficulty;
        stat.XMLtoData(ExtractTagFromXML(saveData, "gameStat", 0));
        if (stat.difficulty.empty()) stat.difficulty = chosenDifficulty;
        SetIntFromXML(lives, saveData, "lives");
        // Loading the saved level counts it again. A hand-made lowest level stays put instead
        // of wrapping to the highest.
        if (stat.level > INT_MIN) stat.level -= 1;
        if (!untouched) stat.cheatEnabled = 1;
        SetStringFromXML(currentLevel->name, saveData, "saveLevel");
        return currentLevel->name;
    });
}
