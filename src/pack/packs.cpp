// The pack record: its header from "info.xml", the release of its templates, and the fresh
// brick powerup tables every level starts from.
#include "pack/packs.h"

#include <algorithm>

#include "core/arrays.h"
#include "core/globals.h"
#include "core/io.h"
#include "level/level.h"
#include "media/images.h"
#include "media/mixer.h"
#include "media/sounds.h"
#include "pieces/ball.h"
#include "pieces/brick.h"
#include "pieces/difficulty.h"
#include "pieces/powerups.h"
#include "pieces/projectile.h"
#include "pieces/weapon.h"
#include "platform/runtime.h"
#include "sprites/particle.h"
#include "sprites/random.h"
#include "sprites/shifter.h"
#include "sprites/sprites.h"
#include "text/parser.h"

namespace {

// Unlinks every template of the array in order and leaves the array empty.
template <class T>
void UnlinkAll(std::vector<std::shared_ptr<T>>& array) {
    const size_t count = array.size();
    for (size_t i = 0; i < count; ++i) {
        Deref(array[i]).Unlink();
        array[i] = nullptr;
    }
    array.clear();
}

}  // namespace

Pack::~Pack() { Unlink(); }

int Pack::Unlink() {
    return Guarded("packs:Pack.Unlink() ", 0, [&] {
        UnlinkAll(shifterDataArray);
        UnlinkAll(imagesArray);
        UnlinkAll(spritesArray);
        UnlinkAll(soundsArray);
        UnlinkAll(ballsArray);
        UnlinkAll(bricksArray);
        UnlinkAll(weaponsArray);
        UnlinkAll(levelsArray);
        if (packParticleSprites) {
            packParticleSprites->Unlink();
            packParticleSprites = nullptr;
        }
        UnlinkAll(particleSourceArray);
        UnlinkAll(powerupsArray);
        UnlinkAll(projectilesArray);
        // Every pack change silences the old content's channels. Without a mixer (a tool,
        // or a test that plays nothing) there is nothing to silence.
        if (g_MasterMixer) g_MasterMixer->Initialize(16);
        return 0;
    });
}

int Pack::Initialize(const std::string& newPath) {
    return Guarded("packs:Pack.Initialize() ", 0, [&] {
        path = newPath;
        const std::string xml = ReadFileToString(path + "info.xml", 0);
        name = GetDataFromXML(xml, "name");
        saveName = GetDataFromXML(xml, "saveName");
        readMe = GetDataFromXML(xml, "readMe");
        backgroundImage = GetDataFromXML(xml, "loadingImage");
        return 0;
    });
}

int Pack::ReloadBrickPowerupData() {
    return Guarded("packs:Pack.ReloadBrickPowerupData() ", 0, [&] {
        const std::string xml = ReadFileToString(path + "bricks.xml", 0);
        // Brick i was built from element i, wherever the first element begins; elements the
        // file gained since the load have no brick and are left alone.
        const std::vector<std::string> elements = ExtractListFromXML(xml, "brick");
        const size_t count = std::min(elements.size(), bricksArray.size());
        for (size_t i = 0; i < count; ++i) {
            auto table = std::make_shared<Random>();
            Brick& brick = Deref(bricksArray[i]);
            brick.powerupGenerated = table;
            table->LoadFromXML(ExtractTagFromXML(elements[i], "powerupGenerated", 0));
        }
        return 0;
    });
}

std::vector<PackPtr> AppendNewPack(const std::vector<PackPtr>& packs) {
    return AppendNew("packs:AppendNewPack() ", packs);
}

LevelSources Pack::Sources() const {
    return {.bricks = bricksArray,
            .sprites = spritesArray,
            .powerups = powerupsArray,
            .weapons = weaponsArray,
            .balls = ballsArray,
            .levels = levelsArray,
            .projectiles = projectilesArray,
            .sounds = soundsArray,
            .difficulties = packDifficultyArray};
}
