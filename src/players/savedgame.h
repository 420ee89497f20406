// A player's saved game for one pack: where its file lies, which names may make one, and the
// digest that seals it. The game writes and reads it; the player turns an abandoned one into a record.
#pragma once

#include <string>

// Mixed into every saved game's digest: it must stay byte for byte, or every save on disk
// turns into a cheat game.
extern const char kSavePadding[];

// 1 when a pack's save name can be part of a file name in the player's folder: no "/", "\" or
// zero byte. Any other name, the empty one too, is used as it is.
int IsSafeSaveName(const std::string& saveName);

// g_userPath + playersFolder + playerFolder + "/save_" + saveName + ".xml", in the folder the
// player lives in (Player.folderName); "" when that folder name or the save name is not safe,
// so nothing is read, written or deleted for them.
std::string SavedGamePath(const std::string& playersFolder, const std::string& playerFolder,
                          const std::string& saveName);

// The seal of a "saveData" element: the digest of the element without the blanks at its ends,
// followed by the padding.
std::string SaveDigest(const std::string& saveDataElement);
