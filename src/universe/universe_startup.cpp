// Application start-up: the preferences (copied from the defaults on the first run), strings,
// interface pictures, button sounds, fonts, settings, error codes, players and pack headers.
#include <iostream>

#include "core/globals.h"
#include "core/io.h"
#include "platform/files.h"
#include "platform/runtime.h"
#include "players/savedgame.h"
#include "text/parser.h"
#include "universe/prefs.h"
#include "universe/universe.h"

namespace {

const char* const kNoDefaultPrefs = "Your default preferences file is missing.  Please re-install Brondelvix 2.";

// Makes every missing folder along a relative path below base ("data/players/" makes "data"
// and then "data/players"). A path that climbs out of base is left alone.
void MakeFoldersAlong(const std::string& base, const std::string& relative) {
    if (relative.find("..") != std::string::npos) return;
    for (size_t slash = relative.find('/');; slash = relative.find('/', slash + 1)) {
        const std::string part = relative.substr(0, slash);
        if (!part.empty() && FileType(base + part) == 0) CreateDir(base + part);
        if (slash == std::string::npos) break;
    }
}

// A picture of the interface; null when it cannot be read. The report names the file, and
// the menus draw around a missing picture.
TPixmapPtr LoadInterfacePicture(const std::string& path) {
    return Guarded("universe:LoadInterfacePicture() ", TPixmapPtr(), [&] {
        TPixmapPtr pixmap = LoadPixmap(path);
        if (!pixmap) ThrowError(-13, path);
        return pixmap;
    });
}

// The game cannot run without content: whatever severity the table gives "no pack found",
// the player is told and the program ends, with the error log saved when it holds anything,
// and with a status that says the run could not go on.
[[noreturn]] void EndWithoutPacks() {
    try {
        ThrowError(-11, "");
    } catch (...) {
        // Already logged as its severity says; the end below follows in every case.
    }
    const std::string message = GetErrorMessage(-11);
    if (!g_DebugLog.empty()) WriteDebugLog(message, kCannotGoOnStatus);
    Notify(message, true);
    End(kCannotGoOnStatus);
}

bool IsValidEntry(const std::string& folder, const std::string& entry, const char* requiredFile) {
    return FileType(folder + entry) == 2 && FileType(folder + entry + "/" + requiredFile) == 1;
}

// The player and pack the preferences remember from the last run.
struct RememberedNames {
    std::string player;
    std::string pack;
};

RememberedNames ReadRememberedNames(const std::string& prefs) {
    RememberedNames remembered;
    SetStringFromXML(remembered.player, prefs, "currentPlayerName");
    SetStringFromXML(remembered.pack, prefs, "currentPackName");
    return remembered;
}

// A font path equal to the built-in one stays absolute; any other names a file in the data
// folder.
void LoadFonts(const std::string& prefs) {
    const std::string builtInFont = g_fontPath;
    SetStringFromXML(g_fontPath, prefs, "fontPath");
    if (g_fontPath != builtInFont) g_fontPath = g_dataPath + g_fontPath;
    LoadGameFont();
}

// Each setting absent from the preferences keeps its value.
void ReadPlaySettings(const std::string& prefs) {
    SetIntFromXML(g_virtualWidth, prefs, "virtualWidth");
    SetIntFromXML(g_virtualHeight, prefs, "virtualHeight");
    SetIntFromXML(g_maxBalls, prefs, "maxBalls");
    SetIntFromXML(g_maxParticles, prefs, "maxParticles");
    SetIntFromXML(g_useBallTrails, prefs, "useBallTrails");
    SetFloatFromXML(g_sfxVolume, prefs, "soundVolume");
    SetFloatFromXML(g_musicVolume, prefs, "musicVolume");
    SetIntFromXML(g_ScreenWidth, prefs, "screenWidth");
    SetIntFromXML(g_ScreenHeight, prefs, "screenHeight");
    SetIntFromXML(g_ScreenDepth, prefs, "screenDepth");
    SetIntFromXML(g_ScreenHertz, prefs, "screenHertz");
    SetIntFromXML(g_isFullscreen, prefs, "isFullscreen");
    SetIntFromXML(g_forceDesktopResolution, prefs, "forceDesktopResolution");
    SetIntFromXML(g_isFastComputer, prefs, "isFastComputer");
}

}  // namespace

int Universe::Initialize() {
    // The user's preferences, else a read-only copy of the defaults; without either, the end.
    const std::string prefs = ReadPreferencesText();
    // Localised strings, one whole "string" element per entry.
    LoadLanguageStrings();
    // The menu box and the menu background.
    LoadInterfaceImages();
    // The four button sounds, before any setting is read.
    LoadButtonSounds();
    // The mouse pointer.
    LoadPointerImage();
    // The five folders and the language.
    ReadFolderSettings(prefs);
    // The player and pack of the last run.
    const RememberedNames remembered = ReadRememberedNames(prefs);
    // The font file and the four game fonts.
    LoadFonts(prefs);
    // Play, sound and screen settings.
    ReadPlaySettings(prefs);
    // Error messages in the language; every report before this meets an empty table.
    LoadErrorCodes("data/", g_language);
    // Every folder holding a player file, else the default player.
    LoadPlayers();
    // Every pack folder's header; without any, the end.
    LoadPackHeaders();
    // The remembered player only when it has no password; else the last default player.
    ChooseCurrentPlayer(remembered.player);
    // The remembered pack, by its save name.
    ChooseCurrentPack(remembered.pack);
    // The four in-game buttons.
    MakeInGameButtons();
    return 0;
}

std::string Universe::ReadPreferencesText() {
    const std::string path = g_userPath + "data/prefs.xml";
    std::string prefs = ReadFileToString(path, 1);
    if (prefs.empty()) {
        prefs = ReadFileToString(g_dataPath + "data/default_prefs.xml", 1);
        if (prefs.empty()) {
            ThrowError(-13, kNoDefaultPrefs);
        } else {
            // A file that is there but gave nothing was damaged; a missing one is the first run.
            if (FileType(path) != 0) {
                std::cerr << Latin1ToUtf8("The preferences file \"" + path +
                                          "\" was empty or unreadable; the default preferences take its place.")
                          << std::endl;
            }
            MakeFoldersAlong(g_userPath, "data/");
            // Written directly, not through the logging writer: a full disk or a folder that
            // cannot be written costs only the copy, and a logged line would end the first game start.
            if (WriteWholeFile(path, prefs, 0444) != 1) {
                std::cerr << Latin1ToUtf8("The preferences could not be saved to \"" + path +
                                          "\"; the default preferences are used for this run.")
                          << std::endl;
            }
        }
        return prefs;
    }
    // A file cut short or garbled would hide the packs and the players: every setting it lost
    // comes back from the defaults, and the file is written whole again at once.
    const std::string mended = MendPreferences(prefs, path);
    if (mended != prefs && WriteWholeFile(path, mended, 0744) != 1) {
        std::cerr << Latin1ToUtf8("The mended preferences could not be saved to \"" + path +
                                  "\"; they are used for this run.")
                  << std::endl;
    }
    return mended;
}

void Universe::LoadLanguageStrings() {
    languageStringsXML = ReadFileToString(g_dataPath + "data/strings.xml", 0);
    const int stringCount = CountTagsInXML(languageStringsXML, "string");
    const std::vector<std::string> strings = ExtractListFromXML(languageStringsXML, "string");
    languageStringsArray.assign(static_cast<size_t>(stringCount), std::string());
    for (size_t i = 0; i < languageStringsArray.size() && i < strings.size(); ++i) languageStringsArray[i] = strings[i];
}

void Universe::LoadInterfaceImages() {
    DialogImage = BigImage::create(LoadInterfacePicture(g_dataPath + "data/images/dialog.png"));
    MenuBackgroundImage = BigImage::create(LoadInterfacePicture(g_dataPath + "data/images/title.png"));
}

void Universe::LoadPointerImage() {
    TPixmapPtr cursorPicture = LoadInterfacePicture(g_dataPath + "data/images/cursor.png");
    cursorImage = cursorPicture ? LoadImage(cursorPicture, FILTEREDIMAGE | MIPMAPPEDIMAGE) : nullptr;
}

void Universe::ReadFolderSettings(const std::string& prefs) {
    appPath = GetDataFromXML(prefs, "appPath");
    packsPath = GetDataFromXML(prefs, "packsPath");
    soundsPath = GetDataFromXML(prefs, "soundsPath");
    imagesPath = GetDataFromXML(prefs, "imagesPath");
    playersPath = GetDataFromXML(prefs, "playersPath");
    g_language = GetDataFromXML(prefs, "language");
}

void Universe::LoadPlayers() {
    MakeFoldersAlong(g_userPath, playersPath);
    const std::string playersFolder = g_userPath + playersPath;
    playersArray = {};
    for (const std::string& entry : LoadDir(playersFolder)) {
        if (!IsValidEntry(playersFolder, entry, "player.xml")) continue;
        auto player = std::make_shared<Player>();
        // A damaged player file would make a player without a name, who could never play. It
        // is left out, and left as it is for its owner to mend. A logged line would end the
        // next game start, so it is said on standard error, and a file that cannot be read is
        // found out before the player's load would log it.
        const std::string file = playersFolder + entry + "/player.xml";
        std::string text;
        if (!ReadWholeFile(file, text) || player->LoadFromFile(playersPath, entry) == -7) {
            std::cerr << Latin1ToUtf8("The player file \"" + file +
                                      "\" is damaged or cannot be read; that player is left out until it is mended.")
                      << std::endl;
            continue;
        }
        playersArray.push_back(player);
    }
    if (playersArray.empty()) AddDefaultPlayer();
    if (playersArray.empty()) AddUnsavedDefaultPlayer();
}

void Universe::LoadPackHeaders() {
    const std::string packsFolder = g_dataPath + packsPath;
    const std::vector<std::string> packEntries = LoadDir(packsFolder);
    int validPacks = 0;
    for (const std::string& entry : packEntries) {
        if (IsValidEntry(packsFolder, entry, "info.xml")) ++validPacks;
    }
    if (validPacks == 0) EndWithoutPacks();
    for (const std::string& entry : packEntries) {
        if (!IsValidEntry(packsFolder, entry, "info.xml")) continue;
        auto pack = std::make_shared<Pack>();
        packsArray.push_back(pack);
        pack->Initialize(packsFolder + entry + "/");
        // Such a pack plays, but its games are never saved; said once here, not at every save.
        if (IsSafeSaveName(pack->saveName) != 1) {
            std::cerr << Latin1ToUtf8("The pack in \"" + packsFolder + entry +
                                      "\" has a save name that cannot name a file; its games will not be saved.")
                      << std::endl;
        }
    }
}

void Universe::ChooseCurrentPlayer(const std::string& rememberedPlayer) {
    currentPlayerIndex = 0;
    for (size_t i = 0; i < playersArray.size(); ++i) {
        if (playersArray[i]->name == kDefaultPlayerName) currentPlayerIndex = static_cast<int>(i);
    }
    for (size_t i = 0; i < playersArray.size(); ++i) {
        Player& player = *playersArray[i];
        if (player.name == rememberedPlayer && player.TestPassword("") == 1) currentPlayerIndex = static_cast<int>(i);
    }
}

// Packs are remembered by their save name, never by the name shown.
void Universe::ChooseCurrentPack(const std::string& rememberedPack) {
    currentPackIndex = 0;
    for (size_t i = 0; i < packsArray.size(); ++i) {
        if (packsArray[i]->saveName == rememberedPack) currentPackIndex = static_cast<int>(i);
    }
}

void Universe::MakeInGameButtons() {
    buttonQuitToMain = std::make_shared<MenuButton>();
    buttonQuitCompletely = std::make_shared<MenuButton>();
    buttonNewFromThisLevel = std::make_shared<MenuButton>();
    buttonNewGame = std::make_shared<MenuButton>();
}
