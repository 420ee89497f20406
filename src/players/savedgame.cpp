// A player's saved game for one pack: its file's place, the names that may make it, its seal.
#include "players/savedgame.h"

#include "core/globals.h"
#include "core/hash.h"
#include "players/players.h"
#include "text/parser.h"

const char kSavePadding[] =
    "F00DCAFE2qmz7k4[]8rt5w,jd3xpp; Salt Filler.  Greetings, friend, and many thanks for spotting this entry!";
static_assert(sizeof(kSavePadding) - 1 == 104);

int IsSafeSaveName(const std::string& saveName) {
    return saveName.find_first_of(std::string("/\\\0", 3)) == std::string::npos ? 1 : 0;
}

std::string SavedGamePath(const std::string& playersFolder, const std::string& playerFolder,
                          const std::string& saveName) {
    if (IsSafePlayerName(playerFolder) != 1 || IsSafeSaveName(saveName) != 1) return "";
    return g_userPath + playersFolder + playerFolder + "/save_" + saveName + ".xml";
}

std::string SaveDigest(const std::string& saveDataElement) {
    Hash digest;
    digest.UpdateHash(TrimText(saveDataElement) + kSavePadding);
    return digest.hash;
}
