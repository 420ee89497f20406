// What the fuzzers of the player's own files and of whole packs share: a scratch home for the
// per-user folder, a data folder like the shipped one but with small pictures, and a way to hear
// what the game says on standard error about one input.
#pragma once

#include <stdlib.h>
#include <unistd.h>

#include <cstdlib>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "core/globals.h"
#include "fuzz_common.h"
#include "pieces/gamestats.h"
#include "platform/files.h"
#include "platform/runtime.h"
#include "players/players.h"
#include "text/parser.h"
#include "universe/universe.h"

namespace fuzz {

inline void MustLink(const std::string& target, const std::string& link) {
    if (symlink(target.c_str(), link.c_str()) != 0) Broken("cannot link", link, target);
}

inline void MustMakeFolder(const std::string& path) {
    if (!CreateDir(path)) Broken("cannot make folder", path, "");
}

// A fresh folder for the home folder and everything the game writes; the per-user
// folder lies in it, never in the real home's.
inline std::string MakeScratchHome() {
    // In TMPDIR when set (scripts/fuzz sets it), else in memory where there is such a folder:
    // every save syncs its file to the disk.
    const char* tmp = getenv("TMPDIR");
    const bool inMemory = FileType("/dev/shm") == 2 && access("/dev/shm", W_OK) == 0;
    std::string home = tmp && *tmp ? tmp : inMemory ? "/dev/shm" : "/tmp";
    home += "/bx2-fuzz-home-XXXXXX";
    if (!mkdtemp(home.data())) std::abort();
    static std::string made;
    made = home;
    std::atexit([] { DeleteDir(made); });
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_DATA_HOME", (home + "/share").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home + "/config").c_str(), 1);
    return home;
}

// The shipped data folder seen through links, except what is slow to decode: the small pointer
// picture stands in for the three menu pictures and a short tune for the music, so that a start-up
// costs milliseconds. The game only reads this folder. Ends in "/".
inline std::string MirrorDataFolder(const std::string& home, const std::string& shipped, const std::string& fixtures) {
    const std::string folder = home + "/datafolder/";
    MustMakeFolder(folder);
    MustMakeFolder(folder + "data");
    for (const char* entry : {"errorcodes.xml", "strings.xml", "default_prefs.xml", "fonts", "packs"})
        MustLink(shipped + "data/" + entry, folder + "data/" + entry);
    MustMakeFolder(folder + "data/images");
    for (const char* picture : {"cursor.png", "dialog.png", "title.png"})
        MustLink(shipped + "data/images/cursor.png", folder + "data/images/" + picture);
    MustMakeFolder(folder + "data/sounds");
    for (const std::string& entry : LoadDir(shipped + "data/sounds")) {
        const bool music = entry.size() > 4 && entry.compare(entry.size() - 4, 4, ".ogg") == 0;
        MustLink(music ? fixtures + "platform/tone.ogg" : shipped + "data/sounds/" + entry,
                 folder + "data/sounds/" + entry);
    }
    return folder;
}

// The headless game with the mirrored data folder, the shipped error table (which decides what
// is logged) and a debug log that never ends the run.
inline void StartHeadless(const std::string& dataFolder) {
    setenv("BX2_DATA_DIR", dataFolder.c_str(), 1);
    SetBackend(Backend::Headless);
    InitUniverse();
    QuietDebugLog();
    LoadErrorCodes("data/", "en");
}

// Everything the game says on standard error while one lives is kept, not shown: a long run
// would fill its log with the same complaint about every damaged file.
class Hearing {
public:
    Hearing() : previous_(std::cerr.rdbuf(said_.rdbuf())) {}
    ~Hearing() { std::cerr.rdbuf(previous_); }
    Hearing(const Hearing&) = delete;
    Hearing& operator=(const Hearing&) = delete;
    std::string said() const { return said_.str(); }

private:
    std::ostringstream said_;
    std::streambuf* previous_;
};

inline std::string ReadOrEmpty(const std::string& path) {
    std::string text;
    ReadWholeFile(path, text);
    return text;
}

inline GameStatPtr Record(int64_t score, int level, int time, int cheat) {
    auto stat = std::make_shared<GameStat>();
    stat->score = score;
    stat->level = level;
    stat->time = time;
    stat->cheatEnabled = cheat;
    stat->pack = "classic";
    return stat;
}

inline std::vector<std::string> Records(Player& player) {
    std::vector<std::string> records;
    for (const GameStatPtr& stat : player.gameStatsArray) records.push_back(stat ? stat->DataToXML() : "(empty)");
    return records;
}

// A player whose file is whole, made and saved as the game makes it, in the universe's players
// folder: three finished games, one of them cheated.
inline Player& MakeWholePlayer(Universe& universe, const std::string& name) {
    if (universe.AddPlayer(name) != 0) Broken("the whole player could not be made", name, "");
    Player& player = *universe.playersArray.back();
    player.AddGameStat(Record(12345, 4, 600000, 0));
    player.AddGameStat(Record(999999, 13, 3600000, 1));
    player.AddGameStat(Record(0, 1, 1000, 0));
    if (player.SaveToFile(universe.playersPath) != 1) Broken("the whole player could not be saved", name, "");
    return player;
}

// Every line of the debug log is a fault: at a game start it would end the run.
inline void ExpectNothingLogged(const char* when) {
    if (!g_DebugLog.empty()) Broken(when, g_DebugLog, "");
}

}  // namespace fuzz
