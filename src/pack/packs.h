// A content pack: its header from "info.xml" (what the pack menus list) and, once a game
// starts on it, every template the game is built from, loaded and linked by LoadPackData.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "pack/fwd.h"
#include "pack/loadingscreen.h"

// A folder and a name; nothing fills these, the pack only keeps an empty list of them.
class PackInfo {
public:
    std::string path;
    std::string name;
};

class Pack {
public:
    std::string path;             // the pack folder, ending in "/"
    std::string name;             // shown to the player
    std::string saveName;         // the key: preferences, saved games, game records
    std::string readMe;           // only a header pack reads it
    std::string backgroundImage;  // the loading picture, relative to path
    std::vector<ShifterDataPtr> shifterDataArray;
    std::vector<ImagePtr> imagesArray;
    std::vector<SpritePtr> spritesArray;
    std::vector<SoundPtr> soundsArray;
    std::vector<BallPtr> ballsArray;
    std::vector<BrickPtr> bricksArray;  // brick i comes from the i-th "brick" element
    std::vector<WeaponPtr> weaponsArray;
    std::vector<LevelPtr> levelsArray;  // names and level-file paths only, in play order
    std::vector<PackInfoPtr> packInfoArray;
    ParticleSpritesPtr packParticleSprites;  // one pool shared by every particle source
    std::vector<ParticleSourcePtr> particleSourceArray;
    std::vector<PowerupPtr> powerupsArray;
    std::vector<ProjectilePtr> projectilesArray;
    int startingLives = 3;
    std::vector<DifficultyPtr> packDifficultyArray;

    Pack() = default;
    // Unlinks first: the templates refer to one another in cycles.
    ~Pack();
    Pack(const Pack&) = delete;
    Pack& operator=(const Pack&) = delete;

    // Empties the template arrays (header, lives and difficulties stay) and gives the
    // master mixer 16 fresh channels, so every sound of the old content stops with it.
    int Unlink();
    // Header only: path as given (with its final "/"), then name, saveName, readMe and
    // backgroundImage from path + "info.xml".
    int Initialize(const std::string& newPath);
    // A fresh powerup table for every brick from "bricks.xml", undoing what levels appended.
    int ReloadBrickPowerupData();
    // The full load behind the loading screen, whose texts localize gives; flag is not read.
    // Always 0.
    int LoadPackData(int flag, const TextLookup& localize);
    // Every template array a level reads, as a level load takes them.
    LevelSources Sources() const;
};

// A copy one slot longer with a new default pack at the end.
std::vector<PackPtr> AppendNewPack(const std::vector<PackPtr>& packs);
