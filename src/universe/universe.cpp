// The application state: its global, players added, removed and reset, the release at
// shutdown, the button sounds, saved-game presence and localised texts.
#include "universe/universe.h"

#include <cstdio>
#include <initializer_list>
#include <iostream>

#include "core/globals.h"
#include "core/io.h"
#include "media/mixer.h"
#include "platform/files.h"
#include "platform/runtime.h"
#include "players/savedgame.h"
#include "sprites/particle.h"
#include "text/parser.h"
#include "universe/game.h"

UniversePtr g_gameUniverse;

const char* const kDefaultPlayerName = "Nameless Wonder";

namespace {

// The player file's password padding. The default player has the empty password, and its
// digest must be the one Player.TestPassword expects, byte for byte.
const char kPasswordPadding[] = "|Here comes nonsense to fill a digest.  4471qkw%&!Z^|";

bool HasEntry(const std::string& folder, const std::string& name) {
    for (const std::string& entry : LoadDir(folder)) {
        if (entry == name) return true;
    }
    return false;
}

// Renames what is at path to the first free "path.blocked", "path.blocked-2", ... and says
// so on standard error: a line in the debug log would end a game start. False when it stays.
bool MoveAside(const std::string& path) {
    const size_t slash = path.rfind('/');
    const std::string folder = path.substr(0, slash + 1);
    const std::string name = path.substr(slash + 1);
    for (int n = 1; n < 1000; ++n) {
        const std::string aside = name + ".blocked" + (n == 1 ? std::string() : "-" + IntToText(n));
        if (FileType(folder + aside) != 0 || HasEntry(folder, aside)) continue;
        if (std::rename(Latin1ToUtf8(path).c_str(), Latin1ToUtf8(folder + aside).c_str()) != 0) break;
        std::cerr << Latin1ToUtf8("\"" + path + "\" was in the way of the default player and has been moved to \"" +
                                  folder + aside + "\".")
                  << std::endl;
        return true;
    }
    std::cerr << Latin1ToUtf8("\"" + path + "\" is in the way of the default player and could not be moved aside.")
              << std::endl;
    return false;
}

}  // namespace

void InitUniverse() {
    static bool done = false;
    if (done) return;
    done = true;
    InitGlobals();
    InitParser();
    InitMixer();
    InitPlayers();
    InitParticle();
}

int Universe::DeleteCurrentPlayer() {
    return Guarded("universe:Universe.DeleteCurrentPlayer() ", 0, [&] {
        Player& player = Deref(At(playersArray, currentPlayerIndex));

        // The default player is reset: its folder goes and comes back with an empty password
        // and the finished games it holds in memory.
        if (player.name == kDefaultPlayerName) {
            if (player.DeletePlayer(playersPath, "", 1) != 1) return 0;
            // A copy of the default player, in a folder of another name, cannot come back
            // while the default player's own folder holds another: it goes like any player.
            if (player.CreateNewPlayer(playersPath, kDefaultPlayerName, "") != -5) return 0;
        } else if (player.DeletePlayer(playersPath, "", 1) != 1) {
            return 0;
        }

        At(playersArray, currentPlayerIndex) = nullptr;
        size_t kept = 0;
        for (size_t i = 0; i < playersArray.size(); ++i) {
            if (playersArray[i]) playersArray[kept++] = playersArray[i];
        }
        playersArray.resize(kept);

        // Everything after this expects a current player: never leave the list empty.
        if (playersArray.empty()) AddDefaultPlayer();
        if (playersArray.empty()) AddUnsavedDefaultPlayer();

        currentPlayerIndex = 0;
        for (size_t i = 0; i < playersArray.size(); ++i) {
            if (playersArray[i] && playersArray[i]->name == kDefaultPlayerName)
                currentPlayerIndex = static_cast<int>(i);
        }
        return 0;
    });
}

int Universe::Unlink() {
    return Guarded("universe:Universe.Unlink() ", 0, [&] {
        for (PlayerPtr& player : playersArray) {
            if (!player) continue;
            player->Unlink();
            player = nullptr;
        }
        playersArray = {};

        for (PackPtr& pack : packsArray) {
            if (!pack) continue;
            pack->Unlink();
            pack = nullptr;
        }
        packsArray = {};

        if (currentGame) currentGame->Unlink();
        currentGame = nullptr;

        DialogImage = nullptr;
        MenuBackgroundImage = nullptr;

        // A universe whose start-up did not finish may lack some of these.
        for (MenuButtonPtr* button :
             {&buttonQuitToMain, &buttonQuitCompletely, &buttonNewFromThisLevel, &buttonNewGame}) {
            if (*button) (*button)->Unlink();
            *button = nullptr;
        }
        for (SoundPtr* sound : {&sndButtonClick, &sndButtonStartGame, &sndButtonQuit, &sndButtonCancel}) {
            if (*sound) (*sound)->Unlink();
            *sound = nullptr;
        }

        cursorImage = nullptr;
        languageStringsArray = {};
        return 0;
    });
}

int Universe::AddPlayer(const std::string& name) {
    return Guarded("universe:Universe.AddPlayer() ", 0, [&] {
        const std::string folder = g_userPath + playersPath;
        const std::string trimmed = TrimText(name);
        for (const std::string& entry : LoadDir(folder)) {
            if (entry == trimmed && FileType(folder + entry) == 2) return -5;
        }
        const size_t before = playersArray.size();
        std::vector<PlayerPtr> grown = AppendNewPlayer(playersArray);
        // A failed append hands back an empty array; taking it would drop every player.
        if (grown.size() != before + 1) RuntimeError("Could not add a player");
        // Only a player that is on disk joins the list: one that is not would silently lose
        // every game it finishes.
        const int created = Deref(grown.back()).CreateNewPlayer(playersPath, name, "");
        if (created != 1) return created == 0 ? -6 : created;
        playersArray = grown;
        return 0;
    });
}

int Universe::AddDefaultPlayer() {
    return Guarded("universe:Universe.AddDefaultPlayer() ", -1, [&] {
        const std::string players = g_userPath + playersPath;
        const std::string folder = players + kDefaultPlayerName;
        // Something that is not a folder stands where the default player's folder goes: it is
        // the player's own, so it is moved aside, never deleted, and the player is told.
        if (FileType(folder) != 2 && HasEntry(players, kDefaultPlayerName)) {
            MoveAside(folder);
        }

        const int added = AddPlayer(kDefaultPlayerName);
        if (added == 0) return static_cast<int>(playersArray.size()) - 1;
        if (added != -5 || FileType(folder) != 2) return -1;

        // A "Nameless Wonder" folder is already there. Refusing would leave the game without
        // any player for good, so the default player moves into that folder.
        auto player = std::make_shared<Player>();
        if (FileType(folder + "/player.xml") != 1) {
            // Only the player file is missing; saved games in the folder stay where they are.
            WriteDefaultPlayer(*player, kDefaultPlayerName);
        } else if (player->LoadFromFile(playersPath, kDefaultPlayerName) == -7) {
            // A damaged player file stays as it is, for its owner to mend: the default player
            // takes the first free folder beside it.
            std::string aside;
            for (int n = 2; n < 1000 && aside.empty(); ++n) {
                const std::string candidate = std::string(kDefaultPlayerName) + " " + IntToText(n);
                if (FileType(players + candidate) == 0 && !HasEntry(players, candidate)) aside = candidate;
            }
            if (aside.empty() || !CreateDir(players + aside)) return -1;
            player = std::make_shared<Player>();
            if (WriteDefaultPlayer(*player, aside) != 1) {
                DeleteDir(players + aside);
                return -1;
            }
        }
        // Otherwise a player file made since start-up: taken as it stands, never written over.
        playersArray.push_back(player);
        return static_cast<int>(playersArray.size()) - 1;
    });
}

int Universe::WriteDefaultPlayer(Player& player, const std::string& folderName) {
    player.name = kDefaultPlayerName;
    player.folderName = folderName;
    Deref(player.password).UpdateHash(std::string(kDefaultPlayerName) + kPasswordPadding + "|");
    return player.SaveToFile(playersPath);
}

void Universe::AddUnsavedDefaultPlayer() {
    auto player = std::make_shared<Player>();
    player->name = kDefaultPlayerName;
    Deref(player->password).UpdateHash(std::string(kDefaultPlayerName) + kPasswordPadding + "|");
    playersArray.push_back(player);
    std::cerr << Latin1ToUtf8("No player could be saved in \"" + g_userPath + playersPath + "\": \"" +
                              kDefaultPlayerName + "\" plays, and none of the games of this run will be kept.")
              << std::endl;
}

int Universe::GetThisPartyStarted() { return 0; }

int Universe::ContinueExists() {
    return Guarded("universe:Universe.ContinueExists() ", 0, [&] {
        // Without a player or a pack there is nothing that could have been saved.
        if (playersArray.empty() || packsArray.empty()) return 0;
        const Player& player = Deref(At(playersArray, currentPlayerIndex));
        const Pack& pack = Deref(At(packsArray, currentPackIndex));
        const std::string path = SavedGamePath(playersPath, player.folderName, pack.saveName);
        if (path.empty()) return 0;
        return ReadFileToString(path, 1).empty() ? 0 : 1;
    });
}

int Universe::LoadButtonSounds() {
    return Guarded("universe:Universe.LoadButtonSounds() ", 0, [&] {
        buttonSoundXML = ReadFileToString(g_dataPath + "data/sounds/sound.xml", 0);

        sndButtonClick = std::make_shared<Sound>();
        sndButtonStartGame = std::make_shared<Sound>();
        sndButtonCancel = std::make_shared<Sound>();
        sndButtonQuit = std::make_shared<Sound>();

        // Buttons click whatever the effect volume: their sounds are always loaded.
        const std::string folder = g_dataPath + "data/sounds/";
        sndButtonClick->LoadFromXML(ExtractTagFromXML(buttonSoundXML, "button_click", 0), folder, 0);
        sndButtonStartGame->LoadFromXML(ExtractTagFromXML(buttonSoundXML, "button_startgame", 0), folder, 0);
        sndButtonQuit->LoadFromXML(ExtractTagFromXML(buttonSoundXML, "button_quit", 0), folder, 0);
        sndButtonCancel->LoadFromXML(ExtractTagFromXML(buttonSoundXML, "button_cancel", 0), folder, 0);
        return 0;
    });
}

std::string Universe::GetLocalizedString(const std::string& key) {
    return Guarded("universe:Universe.GetLocalizedString() ", std::string(), [&]() -> std::string {
        for (const std::string& entry : languageStringsArray) {
            if (GetDataFromXML(entry, "name") == key) return GetLocalizedStringFromXML(entry, g_language);
        }
        return key;
    });
}

std::string LocalizedText(const std::string& key) { return Deref(g_gameUniverse).GetLocalizedString(key); }
