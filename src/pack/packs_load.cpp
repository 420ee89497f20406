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

// What every frame of the load draws with: the pack's picture (null draws none) and the
// universe's texts.
struct LoadScreen {
    TImagePtr image;
    TextLookup localize;
};

void Caption(const std::string& message, const LoadScreen& screen) {
    DrawLoadingScreen(message, screen.image, kCaptionGrey, kCaptionGrey, kCaptionGrey, screen.localize);
}

// One new template per element, wherever the first element begins: counting opening tags
// from the file's second character would add a phantom default object when anything precedes
// the first element, and lose the last one otherwise.
template <class T, class Load>
void LoadElements(std::vector<std::shared_ptr<T>>& field, const std::string& xml, const std::string& tag, Load load) {
    const std::vector<std::string> elements = ExtractListFromXML(xml, tag);
    field = {};
    field.reserve(elements.size());
    for (size_t i = 0; i < elements.size(); ++i) {
        field.push_back(std::make_shared<T>());
        load(Deref(At(field, i)), elements[i]);
    }
}

// What one step of the load shows, measures and reads.
struct LoadStep {
    const char* caption;      // the loading screen's word for it
    const char* timer;        // the load timer it runs under
    const char* file;         // in the pack folder
    const char* tag;          // one template per element
    bool timerFirst = false;  // the images step starts its timer before it draws its caption
};

struct NoWork {
    void operator()() const {}
};

// One step of the load: its caption and its timer around the reading of its file into `field`.
// `before` and `after` are what a step does around its elements, inside its timer.
template <class T, class Load, class Before = NoWork, class After = NoWork>
void RunLoadStep(const Pack& pack, const LoadScreen& screen, const LoadStep& step,
                 std::vector<std::shared_ptr<T>>& field, Load load, Before before = {}, After after = {}) {
    if (step.timerFirst) {
        StartTimer(step.timer);
        Caption(step.caption, screen);
    } else {
        Caption(step.caption, screen);
        StartTimer(step.timer);
    }
    before();
    const std::string xml = ReadFileToString(pack.path + step.file, 0);
    LoadElements(field, xml, step.tag, load);
    after();
    StopTimer(step.timer);
}

// The header, read again: a game's pack starts from its folder alone.
void ReadHeader(Pack& pack) {
    const std::string info = ReadFileToString(pack.path + "info.xml", 0);
    pack.backgroundImage = GetDataFromXML(info, "loadingImage");
    pack.name = GetDataFromXML(info, "name");
    pack.saveName = GetDataFromXML(info, "saveName");
    SetIntFromXML(pack.startingLives, info, "startingLives");
}

// The steps then draw at the alpha of the last pass.
void FadeIn(const LoadScreen& screen) {
    float t = 0.0f;
    while (t < 10.0f) {
        g_ScreenOverlayAlpha = 1.0f - t / 10.0f;
        Caption("", screen);
        t += FadeStep();
        if (t > 10.0f) t = 10.0f;
        g_ScreenOverlayRed = 0;
        g_ScreenOverlayGreen = 0;
        g_ScreenOverlayBlue = 0;
    }
}

void FadeOut(const LoadScreen& screen) {
    float t = 10.0f;
    while (t > 0.0f) {
        Caption("COMPLETE", screen);
        t -= FadeStep();
        if (!(t >= 0.0f)) t = 0.0f;
        if (t < 10.0f) {
            g_ScreenOverlayRed = 0;
            g_ScreenOverlayGreen = 0;
            g_ScreenOverlayBlue = 0;
            g_ScreenOverlayAlpha = 1.0f - t / 10.0f;
        }
    }
}

// Images, sounds and value curves: what the sprites are linked to.
void LoadMedia(Pack& pack, const LoadScreen& screen) {
    const std::string& path = pack.path;
    RunLoadStep(
        pack, screen,
        {.caption = "IMAGES", .timer = "Pack: Images", .file = "images.xml", .tag = "image", .timerFirst = true},
        pack.imagesArray, [&](Image& image, const std::string& element) { image.LoadFromXML(element, path); });
    RunLoadStep(pack, screen, {.caption = "SOUNDS", .timer = "Pack: Sounds", .file = "sounds.xml", .tag = "sound"},
                pack.soundsArray,
                [&](Sound& sound, const std::string& element) { sound.LoadFromXML(element, path, 1); });
    RunLoadStep(
        pack, screen, {.caption = "SHIFTERS", .timer = "Pack: Shifters", .file = "shifters.xml", .tag = "shifterData"},
        pack.shifterDataArray, [&](ShifterData& data, const std::string& element) { data.LoadFromXML(element, path); });
}

// Every entry of the "sprites" folder but "." and ".." is a sprite file, whatever its name.
void LoadSpriteFolder(Pack& pack, const LoadScreen& screen) {
    Caption("SPRITES", screen);
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
            pack.spritesArray.push_back(std::make_shared<Sprite>());
            Deref(pack.spritesArray.back()).LoadFromXML(element);
        }
        StopTimer("Pack: Sprite files");
    }
}

// The particle sources share one pool; once they are in, every sprite can be linked by name.
void LoadParticles(Pack& pack, const LoadScreen& screen) {
    const auto makePool = [&] {
        pack.packParticleSprites = std::make_shared<ParticleSprites>();
        pack.packParticleSprites->Initialize(g_maxParticles);
    };
    const auto linkSprites = [&] {
        LinkSprites(pack.spritesArray, pack.imagesArray, pack.shifterDataArray, pack.particleSourceArray,
                    pack.soundsArray);
        for (size_t i = 0; i < pack.particleSourceArray.size(); ++i) {
            Deref(pack.particleSourceArray[i]).particleSpriteTarget = pack.packParticleSprites;
        }
    };
    RunLoadStep(
        pack, screen,
        {.caption = "PARTICLES", .timer = "Pack: Particles", .file = "particles.xml", .tag = "particleSource"},
        pack.particleSourceArray,
        [&](ParticleSource& source, const std::string& element) { source.LoadFromXML(element, pack.spritesArray); },
        makePool, linkSprites);
}

// Projectiles, balls, weapons, bricks and powerups, each kind built from those before it.
void LoadPieces(Pack& pack, const LoadScreen& screen) {
    const std::vector<SpritePtr>& sprites = pack.spritesArray;
    RunLoadStep(
        pack, screen,
        {.caption = "PROJECTILES", .timer = "Pack: Projectiles", .file = "projectiles.xml", .tag = "projectile"},
        pack.projectilesArray,
        [&](Projectile& projectile, const std::string& element) { projectile.LoadFromXML(element, sprites, 0); });
    RunLoadStep(pack, screen, {.caption = "BALLS", .timer = "Pack: Balls", .file = "balls.xml", .tag = "ball"},
                pack.ballsArray,
                [&](Ball& ball, const std::string& element) { ball.LoadFromXML(element, sprites, 0); });
    RunLoadStep(pack, screen, {.caption = "WEAPONS", .timer = "Pack: Weapons", .file = "weapons.xml", .tag = "weapon"},
                pack.weaponsArray, [&](Weapon& weapon, const std::string& element) {
                    weapon.LoadFromXML(element, sprites, pack.ballsArray, 0);
                    ThrowError(1, "Loading weapon \"" + weapon.weaponName + "\"");
                });
    const auto nameBricks = [&] {
        for (size_t i = 0; i < pack.bricksArray.size(); ++i) {
            ThrowError(1, "brick Name: " + Deref(pack.bricksArray[i]).name);
        }
        ThrowError(1, "Linking brick sprites...");
    };
    RunLoadStep(
        pack, screen, {.caption = "BRICKS", .timer = "Pack: Bricks: Load", .file = "bricks.xml", .tag = "brick"},
        pack.bricksArray, [&](Brick& brick, const std::string& element) { brick.LoadFromXML(element, 0); }, NoWork{},
        nameBricks);
    StartTimer("Pack: Bricks: Link");
    LinkBricks(pack.bricksArray, sprites, 0);
    StopTimer("Pack: Bricks: Link");
    RunLoadStep(pack, screen,
                {.caption = "POWERUPS", .timer = "Pack: Powerups", .file = "powerups.xml", .tag = "powerup"},
                pack.powerupsArray, [&](Powerup& powerup, const std::string& element) {
                    powerup.LoadFromXML(element, sprites, pack.bricksArray, 0);
                });
}

// The levels' headers, then the pack's difficulties under the same timer.
void LoadLevels(Pack& pack, const LoadScreen& screen) {
    const LevelSources templates{.bricks = pack.bricksArray,
                                 .sprites = pack.spritesArray,
                                 .powerups = pack.powerupsArray,
                                 .weapons = pack.weaponsArray,
                                 .balls = pack.ballsArray};
    const auto note = [] { ThrowError(1, "Loading levels array..."); };
    const auto loadDifficulties = [&] {
        const std::string xml = ReadFileToString(pack.path + "game.xml", 0);
        pack.packDifficultyArray = {};
        ThrowError(1, "Loading Pack Difficulty info...");
        LoadElements(pack.packDifficultyArray, xml, "difficulty",
                     [&](Difficulty& difficulty, const std::string& element) {
                         difficulty.LoadFromXML(element);
                         ThrowError(1, "   Loaded difficulty \"" + difficulty.name + "\"");
                     });
    };
    RunLoadStep(
        pack, screen, {.caption = "LEVELS", .timer = "Pack: Levels", .file = "levels.xml", .tag = "level"},
        pack.levelsArray,
        [&](Level& level, const std::string& element) {
            // Header only: the rest of a level stays in its own file until play reaches it.
            level.LoadFromXML(element, templates, 1, "", nullptr);
            level.nameOfFile = pack.path + level.nameOfFile;
            ThrowError(1, "Loading level info only: " + level.name + ", " + level.nameOfFile);
        },
        note, loadDifficulties);
}

}  // namespace

int Pack::LoadPackData(int /*flag*/, const TextLookup& localize) {
    return Guarded("packs:Pack.LoadPackData() ", 0, [&] {
        ReadHeader(*this);  // name, save name, lives, the loading picture's name
        // Lives only as long as the load; null draws the frames without a picture.
        const LoadScreen screen{LoadImage(path + backgroundImage, 2), localize};
        Unlink();                         // the old templates go, and every sound with them
        FadeIn(screen);                   // from black
        LoadMedia(*this, screen);         // images, sounds, value curves
        LoadSpriteFolder(*this, screen);  // every file of the "sprites" folder
        LoadParticles(*this, screen);     // their pool and sources; the sprites linked
        LoadPieces(*this, screen);        // projectiles, balls, weapons, bricks, powerups
        LoadLevels(*this, screen);        // level headers, then difficulties
        Caption("COMPLETE", screen);      // the load is done
        FadeOut(screen);                  // to opaque black behind "COMPLETE"
        return 0;
    });
}
