// Player profiles: creating, loading, saving and deleting a player's folder and its
// "player.xml", the password and statistics digests, and turning an abandoned save into a record.
#include "players/players.h"

#include <climits>
#include <iostream>

#include "core/arrays.h"
#include "core/globals.h"
#include "core/io.h"
#include "platform/files.h"
#include "platform/runtime.h"
#include "players/savedgame.h"
#include "text/parser.h"

namespace {

// The paddings are mixed into the digests that every stored player file carries: they must stay
// byte for byte. The saved game's is with the rest of the saved game.
const char kPasswordPadding[] = "|Here comes nonsense to fill a digest.  4471qkw%&!Z^|";
const char kStatsPadding[] = "kindly leave this alone.  Tampering is lame. %!@K^Tzq59173|";
static_assert(sizeof(kPasswordPadding) - 1 == 53);
static_assert(sizeof(kStatsPadding) - 1 == 59);

const char kPlayerFileComment[] =
    "<!-- CAREFUL!  IF YOU CHANGE THESE VALUES, YOUR PLAYER ACCOUNT WILL STOP WORKING! -->";

std::string PasswordText(const std::string& playerName, const std::string& pass) {
    return playerName + kPasswordPadding + pass + "|";
}

std::string PlayerFolder(const std::string& playersFolder, const std::string& folderName) {
    return g_userPath + playersFolder + folderName;
}

// Said on standard error: a line in the debug log would end the next game start, and a player
// whose games are not kept must hear of it.
void SayNotSaved(const std::string& playerName, const std::string& why) {
    std::cerr << Latin1ToUtf8("The player \"" + playerName + "\" could not be saved: " + why) << std::endl;
}

}  // namespace

int IsSafePlayerName(const std::string& name) {
    if (TrimText(name).empty() || name == "." || name == "..") return 0;
    if (name.find('/') != std::string::npos || name.find('\0') != std::string::npos) return 0;
    return 1;
}

void InitPlayers() {
    static bool done = false;
    if (done) return;
    done = true;
    InitGameStats();
}

Player::Player() {
    Guarded("player:Player.New() ", 0, [&] {
        password = std::make_shared<Hash>();
        gameStatsHash = std::make_shared<Hash>();
        return 0;
    });
}

int Player::Unlink() {
    return Guarded("player:Player.Unlink() ", 0, [&] {
        for (auto& stat : gameStatsArray) stat = nullptr;
        return 0;
    });
}

int Player::TestPassword(const std::string& pass) { return Deref(password).TestHash(PasswordText(name, pass)); }

int Player::CreateNewPlayer(const std::string& playersFolder, const std::string& newName, const std::string& pass) {
    return Guarded("player:Player.CreateNewPlayer() ", 0, [&] {
        const std::string trimmed = TrimText(newName);
        // The name becomes a folder name: one that would land outside the players folder, or
        // on the players folder itself, can never be made.
        if (!IsSafePlayerName(trimmed)) return -6;
        for (const std::string& entry : LoadDir(g_userPath + playersFolder)) {
            if (entry == trimmed) return -5;
        }
        const std::string folder = PlayerFolder(playersFolder, trimmed);
        // Something there that the listing did not show by this exact name (a file system that
        // ignores letter case, an unreadable listing) belongs to someone else: never write over it.
        if (FileType(folder) != 0) return -5;
        if (!CreateDir(folder)) return -6;
        const std::string oldName = name;
        const std::string oldFolderName = folderName;
        const std::string oldPassword = Deref(password).hash;
        name = trimmed;
        folderName = trimmed;
        Deref(password).UpdateHash(PasswordText(trimmed, pass));
        const int saved = SaveToFile(playersFolder);
        if (saved != 1) {
            // Left behind, the empty folder would block the name for good. It was made just now
            // (anything already there was refused above), so only it goes.
            if (FileType(folder + "/player.xml") == 0) DeleteDir(folder);
            name = oldName;
            folderName = oldFolderName;
            Deref(password).hash = oldPassword;
        }
        return saved;
    });
}

int Player::LoadFromFile(const std::string& playersFolder, const std::string& fromFolder) {
    return Guarded("player:Player.LoadFromFile() ", 0, [&] {
        if (!IsSafePlayerName(fromFolder)) return -7;
        const std::string text = ReadFileToString(PlayerFolder(playersFolder, fromFolder) + "/player.xml", 0);
        const std::string element = ExtractTagFromXML(text, "player", 0);
        // An empty, garbled or cut file: no player can be made of it, and none is.
        if (element.empty() || TrimText(GetDataFromXML(element, "name")).empty()) return -7;

        // The name shown comes from the file; the records stay in the folder they were read from.
        folderName = fromFolder;
        name = GetDataFromXML(element, "name");
        Deref(password).hash = GetDataFromXML(element, "password");
        const std::string storedStatsHash = GetDataFromXML(element, "gameStatsHash");
        Deref(gameStatsHash).hash = storedStatsHash;
        SetIntFromXML(playerIsTamperedWith, element, "playerIsTamperedWith");

        // Record i is the i-th "gameStat" element; the list walks the text once instead of once
        // per record, and a count beyond its elements gives empty records as the index walk would.
        const int count = CountTagsInXML(text, "gameStat");
        const std::vector<std::string> elements = ExtractListFromXML(text, "gameStat");
        std::vector<GameStatPtr> loaded;
        loaded.reserve(static_cast<size_t>(count));
        for (int i = 0; i < count; ++i) {
            auto stat = std::make_shared<GameStat>();
            stat->XMLtoData(static_cast<size_t>(i) < elements.size() ? elements[static_cast<size_t>(i)] : "");
            loaded.push_back(stat);
        }
        gameStatsArray = loaded;

        CalculateGamestatHashes();
        if (Deref(gameStatsHash).hash == storedStatsHash) return 1;
        Deref(gameStatsHash).hash = storedStatsHash;
        playerIsTamperedWith = 1;
        return ThrowError(-12, "Game Stats for \"" + name + "\" have been changed");
    });
}

GameStatPtr Player::DeleteCurrentSavedGame(const std::string& playersFolder, const std::string& saveName) {
    return Guarded("player:Player.DeleteCurrentSavedGame() ", GameStatPtr(), [&]() -> GameStatPtr {
        // Both names become a path to a file that is deleted below: the game's own checks.
        const std::string path = SavedGamePath(playersFolder, folderName, saveName);
        if (path.empty()) return nullptr;
        const std::string text = ReadFileToString(path, 1);
        if (text.empty()) return nullptr;

        const std::string saveData = ExtractTagFromXML(text, "saveData", 0);
        const std::string saveHash = ExtractTagFromXML(text, "saveHash", 0);
        const bool untouched = SaveDigest(saveData) == GetDataFromXML(saveHash, "saveHash");

        auto stat = std::make_shared<GameStat>();
        stat->XMLtoData(ExtractTagFromXML(saveData, "gameStat", 0));
        // The save holds the level about to be played; the finished record holds the last one
        // reached. A hand-made lowest level stays put instead of wrapping to the highest.
        if (stat->level > INT_MIN) stat->level -= 1;
        if (!untouched) stat->cheatEnabled = 1;
        if (stat->time > 0) {
            DeleteGameFile(path);
            return stat;
        }
        return nullptr;
    });
}

int Player::SaveToFile(const std::string& playersFolder) {
    return Guarded("player:Player.SaveToFile() ", 0, [&] {
        if (!IsSafePlayerName(folderName)) {
            SayNotSaved(name, "it has no folder.");
            return -2;
        }
        const std::string folder = PlayerFolder(playersFolder, folderName);
        if (FileType(folder) != 2) {
            SayNotSaved(name, "its folder \"" + folder + "\" is missing.");
            return -2;
        }
        CalculateGamestatHashes();

        const std::string leaves = GetXMLfromData("name", name, 0) +
                                   GetXMLfromData("playerIsTamperedWith", IntToText(playerIsTamperedWith), 0) +
                                   GetXMLfromData("password", Deref(password).hash, 0) +
                                   GetXMLfromData("gameStatsHash", Deref(gameStatsHash).hash, 0);
        std::string text = GetXMLfromData("player", leaves, 1);
        if (gameStatsArray.empty()) {
            ThrowError(1, "NO GAMESTATS!");
        } else {
            ThrowError(1, "GAMESTATS TO SAVE: " + IntToText(static_cast<int>(gameStatsArray.size())));
            for (size_t i = 0; i < gameStatsArray.size(); ++i) {
                if (!gameStatsArray[i]) continue;
                text += "\n" + gameStatsArray[i]->DataToXML();
                ThrowError(1, "SAVING GAMESTAT " + IntToText(static_cast<int>(i)));
            }
        }
        text = std::string(kPlayerFileComment) + "\n" + text;

        const std::string path = folder + "/player.xml";
        Print("Writing player file: " + path);
        // Written directly, not through the logging writer: the old file stays whole on failure.
        const int written = WriteWholeFile(path, text, 0444);
        if (written != 1) SayNotSaved(name, "\"" + path + "\" could not be written.");
        return written;
    });
}

int Player::CalculateGamestatHashes() {
    return Guarded("player:Player.CalculateGamestatHashes() ", 0, [&] {
        std::string text = std::string(kStatsPadding) + name;
        for (const GameStatPtr& stat : gameStatsArray) {
            if (!stat) continue;
            stat->UpdateStatHash();
            text += Deref(stat->dataHash).hash;
        }
        Deref(gameStatsHash).UpdateHash(text);
        return 0;
    });
}

int Player::UpdatePassword(const std::string&, const std::string&, const std::string&) {
    return Guarded("player:Player.UpdatePassword() ", 0, [&] { return 0; });
}

int Player::AddGameStat(const GameStatPtr& stat) {
    return Guarded("player:Player.AddGameStat() ", 0, [&] {
        // A missing record is no finished game: storing a blank one would count a game never played.
        Deref(stat);
        const size_t before = gameStatsArray.size();
        std::vector<GameStatPtr> grown = AppendNewGameStat(gameStatsArray);
        // A failed append hands back an empty array; taking it would drop every record.
        if (grown.size() != before + 1) RuntimeError("Could not add a game record");
        gameStatsArray = grown;
        const GameStatPtr& added = gameStatsArray.back();
        added->Clone(stat);
        added->SetDate("");
        ThrowError(1, "*************** TOTAL GAMESTATS: " + IntToText(static_cast<int>(gameStatsArray.size())));
        CalculateGamestatHashes();
        return 0;
    });
}

int Player::DeletePlayer(const std::string& playersFolder, const std::string& pass, int force) {
    return Guarded("player:Player.DeletePlayer() ", 0, [&] {
        if (TestPassword(pass) != 1 && force != 1) return ThrowError(-10, "Player name: " + name);
        // Only a folder directly under the players folder may go: an empty name would take the
        // players folder with every player in it, "../x" something outside it.
        if (!IsSafePlayerName(folderName)) return -9;
        const std::string folder = PlayerFolder(playersFolder, folderName);
        if (FileType(folder) != 2) return -9;
        DeleteDir(folder);
        return FileType(folder) == 0 ? 1 : 0;
    });
}

std::vector<PlayerPtr> AppendNewPlayer(const std::vector<PlayerPtr>& array) {
    return AppendNew("player:AppendNewPlayer() ", array);
}
