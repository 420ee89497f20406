// The single application state: folders, players and packs with the current one of each,
// the game in progress, the scores tables, localised strings, screen mode, shared images,
// the in-game buttons and the button sounds. Every subsystem reaches it through g_gameUniverse.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "media/largeimage.h"
#include "media/menubutton.h"
#include "media/sounds.h"
#include "pack/packs.h"
#include "platform/graphics.h"
#include "platform/image.h"
#include "players/players.h"

class Game;
class Universe;
using GamePtr = std::shared_ptr<Game>;
using UniversePtr = std::shared_ptr<Universe>;

// The player the game makes when there is none, and which is reset instead of deleted.
extern const char* const kDefaultPlayerName;  // "Nameless Wonder"
// Rows of each scores table.
constexpr int kStatsTableRows = 15;

class Universe {
public:
    // Folder settings from the preferences. packsPath is relative to g_dataPath,
    // playersPath to g_userPath; both end in "/". The other three are only held.
    std::string appPath;
    std::string packsPath;
    std::string soundsPath;
    std::string imagesPath;
    std::string playersPath;

    std::vector<PlayerPtr> playersArray;  // after start-up never empty
    std::vector<PackPtr> packsArray;      // header packs; after start-up never empty
    GamePtr currentGame;
    int currentPlayerIndex = 0;
    int currentPackIndex = 0;
    std::string currentDifficulty = "Normal";

    // The scores screen's tables (15 rows each, greatest first; a row without a name is
    // vacant) and totals, rebuilt by CalculatePlayerStatistics.
    std::vector<std::string> statsHighScoreNames;
    std::vector<int64_t> statsHighScores;
    std::vector<std::string> statsHighLevelNames;
    std::vector<int> statsHighLevels;
    int64_t statsTotalTimeForeverLost = 0;  // milliseconds, cheated games included
    int statsTotalGamesPlayed = 0;
    int64_t statsTotalPointsScored = 0;
    int statsTotalLevelsPlayed = 0;

    std::string languageStringsXML;
    std::vector<std::string> languageStringsArray;  // one whole "string" element each

    int screenWidth = 0;
    int screenHeight = 0;
    int screenDepth = 0;
    int screenHertz = 0;

    // Null when their picture could not be read (reported at start-up); drawers skip them.
    BigImagePtr DialogImage;
    BigImagePtr MenuBackgroundImage;

    MenuButtonPtr buttonQuitToMain;
    MenuButtonPtr buttonQuitCompletely;
    MenuButtonPtr buttonNewFromThisLevel;
    MenuButtonPtr buttonNewGame;

    std::string buttonSoundXML;
    SoundPtr sndButtonClick;
    SoundPtr sndButtonStartGame;
    SoundPtr sndButtonQuit;
    SoundPtr sndButtonCancel;

    TImagePtr cursorImage;  // null when "data/images/cursor.png" could not be read

    Universe() = default;
    Universe(const Universe&) = delete;
    Universe& operator=(const Universe&) = delete;

    // Removes the current player's folder and entry; "Nameless Wonder" is reset instead.
    // The list never ends up empty: the default player comes back. Always 0.
    int DeleteCurrentPlayer();
    // Releases players, packs, the current game, images, buttons and sounds, in that order.
    // Always 0.
    int Unlink();
    // Rebuilds the scores tables and totals from the player files. Always 0.
    int CalculatePlayerStatistics();
    // The text for an English wording in g_language; the wording itself when unknown.
    std::string GetLocalizedString(const std::string& key);
    // 1 when the current player has a non-empty saved game for the current pack.
    int ContinueExists();
    // Writes the eleven remembered settings back into the per-user preferences. Always 0.
    int UpdatePrefsFile();
    // Loads the four button sounds from "data/sounds/sound.xml". Always 0.
    int LoadButtonSounds();
    // Start-up from the preferences, strings, images, sounds, fonts, error codes, players
    // and pack headers. No handler: what it raises ends the program. Without a pack the
    // program ends here with the -11 alert.
    int Initialize();
    // -5 when a folder of that (trimmed) name exists in the players folder. Else creates the
    // player without password and appends it, 0; when the creation fails, nothing is
    // appended, nothing is left on disk, and its code comes back (-5 the name is taken, -6 it
    // cannot be made or written).
    int AddPlayer(const std::string& name);
    // Opens the screen: the mode of modeIndex, overridden by every width, height, rate and
    // depth above 0; fullscreen exactly 0 asks for a window; desktop above 0 takes the
    // desktop's own mode. A full-screen mode the list lacks gives way to the desktop's mode,
    // else to the best mode. Then sets the screen factors, notes the mode and lays out the
    // in-game buttons. 1 when the screen is open; 0 when it is not, the screen fields then
    // holding the mode that was tried and the factors and buttons those of the last open.
    int UseGraphicsMode(int modeIndex, int width, int height, int fullscreen, int hertz, int depth, int desktop);
    // The index of 1024 x 768, else 800 x 600, else 640 x 480 within the desktop's depth and
    // rate, else of the desktop's own mode; else reports -15 and gives 0.
    int PickOptimalGraphicsMode();
    // UseGraphicsMode, then the previous mode when given, then a 1024 x 768 window, each
    // failure said on standard error. 1 when a screen is open, the screen fields then
    // describing it, and after a way back g_isFullscreen, g_ScreenWidth and g_ScreenHeight
    // too; 0 when none would open.
    int OpenGraphicsWithFallback(int modeIndex, int width, int height, int fullscreen, int hertz, int depth,
                                 int desktop, std::optional<GraphicsMode> previous = std::nullopt);
    // Kept for its slot; does nothing.
    int GetThisPartyStarted();

    // Appends the default player, writing it into a left-over "Nameless Wonder" folder
    // that holds no player file, or into a fresh "Nameless Wonder 2" (3, ...) beside one whose
    // player file is damaged. A file of that name is first moved aside (said on standard
    // error). The index of the new entry, -1 when none was added.
    int AddDefaultPlayer();
    // Start-up's list of players: one per folder holding a player file, in listing order. A
    // damaged or unreadable file is left out, as it is on disk, and said on standard error;
    // without any player, the default player, kept only in memory when it cannot be written.
    // Public for the fuzzer of player files.
    void LoadPlayers();

private:
    // Names the player as the default player without password, living in the given folder
    // under the players folder, and writes its file there: SaveToFile's result.
    int WriteDefaultPlayer(Player& player, const std::string& folderName);
    // When not even the default player can be written: appends it without a folder, so that play
    // goes on with none of its games kept, and says so on standard error.
    void AddUnsavedDefaultPlayer();
    // The phases of Initialize, in the order it runs them.
    std::string ReadPreferencesText();
    void LoadLanguageStrings();
    void LoadInterfaceImages();
    void LoadPointerImage();
    void ReadFolderSettings(const std::string& prefs);
    void LoadPackHeaders();
    void ChooseCurrentPlayer(const std::string& rememberedPlayer);
    void ChooseCurrentPack(const std::string& rememberedPack);
    void MakeInGameButtons();
};

extern UniversePtr g_gameUniverse;

// The current universe's text for a key, for the screens below the universe that are handed a
// lookup (the pack's loading screen). Without a universe it raises like any null access.
std::string LocalizedText(const std::string& key);

// The end of a run that has no screen left to draw on: the -15 report, the error log saved,
// the alert, exit status kCannotGoOnStatus.
[[noreturn]] void EndWithoutScreen();

// The universe module's start-up: the modules it stands on. Once; later calls return at once.
void InitUniverse();
