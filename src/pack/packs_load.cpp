// The pack loader: reads a pack folder into its templates, in a fixed order behind the
// loading screen, and links them to one another by name.
#include <string>
#include <vector>

#include "core/globals.h"
#include "core/io.h"
#include "level/level.h"
#include "media/images.h"
#include "media/sounds.h"
#include "pack/loadingscreen.h"
#include "pack/packs.h"
#include "pieces/ball.h"
#include "pieces/brick.h"
#include "pieces/difficulty.h"
#include "pieces/powerups.h"
#include "pieces/projectile.h"
#include "pieces/weapon.h"
#include "platform/files.h"
#include "platform/image.h"
#include "platform/runtime.h"
#include "sprites/particle.h"
#include "sprites/shifter.h"
#include "sprites/sprites.h"
#include "text/parser.h"

namespace {

// The loading screen's texts are always this grey.
constexpr int kCaptionGrey = 77;

// A fade advances by the measured frame time, but never by less than one millisecond's
// worth a frame: a speed factor of 0 or below (or one that is not a number) would hold the
// loading screen forever.
constexpr float kMinFadeStep = 1.0f / 80.0f;

float FadeStep() { return g_gameSpeedFactor > kMinFadeStep ? g_gameSpeedFactor : kMinFadeStep; }

// The phase timers only measure; a game without them loads all the same.
void StartTimer(const std::string& timer) {
    if (g_LoadTimers) g_LoadTimers->Start(timer);
}
void StopTimer(const std::string& timer) {
    if (g_LoadTimers) g_LoadTimers->Stop(timer);
}

void Caption(const std::string& message, const TImagePtr& image, const TextLookup& localize) {
    DrawLoadingScreen(message, image, kCaptionGrey, kCaptionGrey, kCaptionGrey, localize);
}

// One new template per element, wherever the first element begins: counting opening tags
// from the file's second character would add a phantom default object when anything precedes
// the first element, and lose the last one otherwise.
template <class T, class Append, class Load>
void LoadElements(std::vector<std::shared_ptr<T>>& field, Append append, const std::string& xml, const std::string& tag,
                  Load load) {
    const std::vector<std::string> elements = ExtractListFromXML(xml, tag);
    field = {};
    for (size_t i = 0; i < elements.size(); ++i) {
        field = append(field);
        load(Deref(At(field, i)), elements[i]);
    }
}

// Every entry of the "sprites" folder but "." and ".." is a sprite file, whatever its name.
void LoadSpriteFolder(Pack& pack, const TImagePtr& loadingImage, const TextLookup& localize) {
    Caption("SPRITES", loadingImage, localize);
    const std::string folder = pack.path + "sprites";
    TDirHandle* dir = ReadDir(folder);
    pack.spritesArray = {};
    if (!dir) {
        // Reported like a missing file, and the pack loads on without sprites.
        try {
            ThrowError(-13, folder);
        } catch (...) {
        }
        return;
    }
    // The listing is closed however the step ends.
    struct Closer {
        TDirHandle* dir;
        ~Closer() { CloseDir(dir); }
    } closer{dir};
    for (;;) {
        StartTimer("Pack: Sprite files");
        const std::string entry = NextFile(dir);
        if (entry.empty()) {
            StopTimer("Pack: Sprite files");
            break;
        }
        if (entry == "." || entry == "..") continue;
        const std::string xml = ReadFileToString(pack.path + "sprites/" + entry, 0);
        const std::vector<std::string> elements = ExtractListFromXML(xml, "sprite");
        ThrowError(1, "Loading sprites/" + entry + " + (" + LongToText(static_cast<int64_t>(xml.size())) + " bytes)");
        for (const std::string& element : elements) {
            pack.spritesArray = AppendNewSprite(pack.spritesArray);
            Deref(At(pack.spritesArray, pack.spritesArray.size() - 1)).LoadFromXML(element);
        }
        StopTimer("Pack: Sprite files");
    }
}

}  // namespace

int Pack::LoadPackData(int /*flag*/, const TextLookup& localize) {
    return Guarded("packs:Pack.LoadPackData() ", 0, [&] {
        // The header, read again: a game's pack starts from its folder alone.
        const std::string info = ReadFileToString(path + "info.xml", 0);
        backgroundImage = GetDataFromXML(info, "loadingImage");
        name = GetDataFromXML(info, "name");
        saveName = GetDataFromXML(info, "saveName");
        SetIntFromXML(startingLives, info, "startingLives");

        // Lives only as long as the load; null draws the frames without a picture.
        TImagePtr loadingImage = LoadImage(path + backgroundImage, 2);

        Unlink();

        // Fade in from black; the steps then draw at the alpha of the last pass.
        float t = 0.0f;
        while (t < 10.0f) {
            g_ScreenOverlayAlpha = 1.0f - t / 10.0f;
            Caption("", loadingImage, localize);
            t += FadeStep();
            if (t > 10.0f) t = 10.0f;
            g_ScreenOverlayRed = 0;
            g_ScreenOverlayGreen = 0;
            g_ScreenOverlayBlue = 0;
        }

        std::string xml;

        StartTimer("Pack: Images");
        Caption("IMAGES", loadingImage, localize);
        xml = ReadFileToString(path + "images.xml", 0);
        LoadElements(imagesArray, AppendNewImage, xml, "image",
                     [&](Image& image, const std::string& element) { image.LoadFromXML(element, path); });
        StopTimer("Pack: Images");

        Caption("SOUNDS", loadingImage, localize);
        StartTimer("Pack: Sounds");
        xml = ReadFileToString(path + "sounds.xml", 0);
        LoadElements(soundsArray, AppendNewSound, xml, "sound",
                     [&](Sound& sound, const std::string& element) { sound.LoadFromXML(element, path, 1); });
        StopTimer("Pack: Sounds");

        Caption("SHIFTERS", loadingImage, localize);
        StartTimer("Pack: Shifters");
        xml = ReadFileToString(path + "shifters.xml", 0);
        LoadElements(shifterDataArray, AppendNewShifterData, xml, "shifterData",
                     [&](ShifterData& data, const std::string& element) { data.LoadFromXML(element, path); });
        StopTimer("Pack: Shifters");

        LoadSpriteFolder(*this, loadingImage, localize);

        Caption("PARTICLES", loadingImage, localize);
        StartTimer("Pack: Particles");
        packParticleSprites = std::make_shared<ParticleSprites>();
        packParticleSprites->Initialize(g_maxParticles);
        xml = ReadFileToString(path + "particles.xml", 0);
        LoadElements(
            particleSourceArray, AppendNewParticleSource, xml, "particleSource",
            [&](ParticleSource& source, const std::string& element) { source.LoadFromXML(element, spritesArray); });
        LinkSprites(spritesArray, imagesArray, shifterDataArray, particleSourceArray, soundsArray);
        for (size_t i = 0; i < particleSourceArray.size(); ++i) {
            Deref(particleSourceArray[i]).particleSpriteTarget = packParticleSprites;
        }
        StopTimer("Pack: Particles");

        Caption("PROJECTILES", loadingImage, localize);
        StartTimer("Pack: Projectiles");
        xml = ReadFileToString(path + "projectiles.xml", 0);
        LoadElements(projectilesArray, AppendNewProjectile, xml, "projectile",
                     [&](Projectile& projectile, const std::string& element) {
                         projectile.LoadFromXML(element, spritesArray, 0);
                     });
        StopTimer("Pack: Projectiles");

        Caption("BALLS", loadingImage, localize);
        StartTimer("Pack: Balls");
        xml = ReadFileToString(path + "balls.xml", 0);
        LoadElements(ballsArray, AppendNewBall, xml, "ball",
                     [&](Ball& ball, const std::string& element) { ball.LoadFromXML(element, spritesArray, 0); });
        StopTimer("Pack: Balls");

        Caption("WEAPONS", loadingImage, localize);
        StartTimer("Pack: Weapons");
        xml = ReadFileToString(path + "weapons.xml", 0);
        LoadElements(weaponsArray, AppendNewWeapon, xml, "weapon", [&](Weapon& weapon, const std::string& element) {
            weapon.LoadFromXML(element, spritesArray, ballsArray, 0);
            ThrowError(1, "Loading weapon \"" + weapon.weaponName + "\"");
        });
        StopTimer("Pack: Weapons");

        Caption("BRICKS", loadingImage, localize);
        StartTimer("Pack: Bricks: Load");
        xml = ReadFileToString(path + "bricks.xml", 0);
        LoadElements(bricksArray, AppendNewBrick, xml, "brick",
                     [&](Brick& brick, const std::string& element) { brick.LoadFromXML(element, 0); });
        for (size_t i = 0; i < bricksArray.size(); ++i) {
            ThrowError(1, "brick Name: " + Deref(bricksArray[i]).name);
        }
        ThrowError(1, "Linking brick sprites...");
        StopTimer("Pack: Bricks: Load");
        StartTimer("Pack: Bricks: Link");
        LinkBricks(bricksArray, spritesArray, 0);
        StopTimer("Pack: Bricks: Link");

        Caption("POWERUPS", loadingImage, localize);
        StartTimer("Pack: Powerups");
        xml = ReadFileToString(path + "powerups.xml", 0);
        LoadElements(powerupsArray, AppendNewPowerup, xml, "powerup",
                     [&](Powerup& powerup, const std::string& element) {
                         powerup.LoadFromXML(element, spritesArray, bricksArray, 0);
                     });
        StopTimer("Pack: Powerups");

        Caption("LEVELS", loadingImage, localize);
        StartTimer("Pack: Levels");
        ThrowError(1, "Loading levels array...");
        xml = ReadFileToString(path + "levels.xml", 0);
        LoadElements(levelsArray, AppendNewLevel, xml, "level", [&](Level& level, const std::string& element) {
            // Header only: the rest of a level stays in its own file until play reaches it.
            level.LoadFromXML(element, bricksArray, spritesArray, powerupsArray, weaponsArray, ballsArray, 1, {}, {},
                              "", {}, nullptr, {});
            level.nameOfFile = path + level.nameOfFile;
            ThrowError(1, "Loading level info only: " + level.name + ", " + level.nameOfFile);
        });

        xml = ReadFileToString(path + "game.xml", 0);
        packDifficultyArray = {};
        ThrowError(1, "Loading Pack Difficulty info...");
        LoadElements(packDifficultyArray, AppendNewDifficulty, xml, "difficulty",
                     [&](Difficulty& difficulty, const std::string& element) {
                         difficulty.LoadFromXML(element);
                         ThrowError(1, "   Loaded difficulty \"" + difficulty.name + "\"");
                     });
        StopTimer("Pack: Levels");

        Caption("COMPLETE", loadingImage, localize);

        // Fade out to opaque black behind "COMPLETE".
        t = 10.0f;
        while (t > 0.0f) {
            Caption("COMPLETE", loadingImage, localize);
            t -= FadeStep();
            if (!(t >= 0.0f)) t = 0.0f;
            if (t < 10.0f) {
                g_ScreenOverlayRed = 0;
                g_ScreenOverlayGreen = 0;
                g_ScreenOverlayBlue = 0;
                g_ScreenOverlayAlpha = 1.0f - t / 10.0f;
            }
        }
        return 0;
    });
}
