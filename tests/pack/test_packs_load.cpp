// The pack loader on the fixture pack and on changed copies of it: what it builds, what it
// reports, and what it does with missing files and elements that do not start the file.
#include <algorithm>
#include <functional>

#include "core/io.h"
#include "level/level.h"
#include "media/images.h"
#include "media/sounds.h"
#include "pack_support.h"
#include "pieces/ball.h"
#include "pieces/brick.h"
#include "pieces/difficulty.h"
#include "pieces/gamestats.h"
#include "pieces/powerups.h"
#include "pieces/projectile.h"
#include "pieces/weapon.h"
#include "platform/files.h"
#include "sprites/animation.h"
#include "sprites/particle.h"
#include "sprites/random.h"
#include "sprites/shifter.h"
#include "support/support.h"

namespace {

using namespace packtest;

class PackLoader : public PackTest {};

// The notes the loader itself writes, as they reach the log.
std::vector<std::string> LoaderNotes() {
    static const char* const kOwn[] = {"Loading sprites/",
                                       "Loading weapon ",
                                       "brick Name: ",
                                       "Linking brick",
                                       "Linked brick ",
                                       "Loading levels array",
                                       "Loading level info only: ",
                                       "Loading Pack Difficulty",
                                       "   Loaded difficulty "};
    std::vector<std::string> notes;
    for (const std::string& line : DebugLogLines()) {
        const std::string head = " NOTE: Note (";
        if (line.rfind(head, 0) != 0) continue;
        const std::string detail = line.substr(head.size(), line.size() - head.size() - 1);
        for (const char* own : kOwn) {
            if (detail.rfind(own, 0) == 0) notes.push_back(detail);
        }
    }
    return notes;
}

TEST_F(PackLoader, FixturePackFillsEveryArrayAndLinksTheTemplates) {
    const std::string folder = FixturePath("pack/fixturepack/");
    PackPtr pack = LoadPack(folder);

    EXPECT_EQ(FaultLines(), std::vector<std::string>());
    EXPECT_EQ(pack->name, "Fixture Pack");
    EXPECT_EQ(pack->saveName, "fixturepack");
    EXPECT_EQ(pack->backgroundImage, "loading.png");
    EXPECT_EQ(pack->readMe, "");  // only the header read fills it
    EXPECT_EQ(pack->startingLives, 5);

    // Loading again on the same pack must rebuild, not add to, what the first load made.
    for (int load = 0; load < 2; ++load) {
        if (load == 1) pack->LoadPackData(0, KeysAsShown);
        SCOPED_TRACE(load);
        struct Count {
            const char* array;
            size_t size;
            size_t expected;
        } counts[] = {
            {"images", pack->imagesArray.size(), 2},
            {"sounds", pack->soundsArray.size(), 2},
            {"shifters", pack->shifterDataArray.size(), 1},
            {"sprites", pack->spritesArray.size(), 7},  // 6 + 1 from two files, none from the third
            {"particles", pack->particleSourceArray.size(), 1},
            {"projectiles", pack->projectilesArray.size(), 1},
            {"balls", pack->ballsArray.size(), 2},
            {"weapons", pack->weaponsArray.size(), 1},
            {"bricks", pack->bricksArray.size(), 3},
            {"powerups", pack->powerupsArray.size(), 2},
            {"levels", pack->levelsArray.size(), 2},
            {"difficulties", pack->packDifficultyArray.size(), 2},
            {"packInfo", pack->packInfoArray.size(), 0},
        };
        for (const Count& c : counts) EXPECT_EQ(c.size, c.expected) << c.array;
    }

    std::vector<std::string> spriteNames;
    for (const SpritePtr& s : pack->spritesArray) spriteNames.push_back(s->name);
    std::sort(spriteNames.begin(), spriteNames.end());
    EXPECT_EQ(spriteNames, (std::vector<std::string>{"ball_sprite", "brick_sprite", "gun_sprite", "paddle_sprite",
                                                     "powerup_sprite", "projectile_sprite", "spark"}));

    // Every source feeds the pack's one pool, of the configured size.
    ASSERT_TRUE(pack->packParticleSprites);
    EXPECT_EQ(pack->packParticleSprites->spriteArray.size(), 256u);
    for (const ParticleSourcePtr& source : pack->particleSourceArray) {
        EXPECT_EQ(source->particleSpriteTarget.lock(), pack->packParticleSprites);
        ASSERT_TRUE(source->particleSprite);
        EXPECT_EQ(source->particleSprite->name, "spark");
    }

    // Sprites are linked to images, curves, sounds and particle sources by name.
    SpritePtr brickSprite = GetSpriteByName("brick_sprite", pack->spritesArray);
    ASSERT_TRUE(brickSprite);
    AnimationStepPtr step = brickSprite->animationArray.at(0)->StepsArray.at(0);
    EXPECT_EQ(step->sourceImage, GetImageByName("brick_pic", pack->imagesArray));
    ASSERT_TRUE(step->alphaShift);
    EXPECT_EQ(step->alphaShift->shiftData, pack->shifterDataArray[0]);
    ASSERT_EQ(step->soundsArray.size(), 1u);
    EXPECT_EQ(step->soundsArray[0], pack->soundsArray[0]);
    SpritePtr ballSprite = GetSpriteByName("ball_sprite", pack->spritesArray);
    EXPECT_TRUE(ballSprite->animationArray.at(0)->StepsArray.at(0)->particleSourceLink);

    // Bricks in file order, linked to their sprites and next bricks.
    ASSERT_EQ(pack->bricksArray.size(), 3u);
    EXPECT_EQ(pack->bricksArray[0]->name, "red");
    EXPECT_EQ(pack->bricksArray[1]->name, "armoured");
    EXPECT_EQ(pack->bricksArray[2]->name, "steel");
    EXPECT_EQ(pack->bricksArray[1]->nextBrick, pack->bricksArray[0]);
    for (const BrickPtr& brick : pack->bricksArray) EXPECT_TRUE(brick->brickSprite) << brick->name;

    EXPECT_EQ(pack->weaponsArray[0]->weaponName, "blaster");
    EXPECT_TRUE(pack->weaponsArray[0]->shotsGenerated);
    EXPECT_EQ(pack->packDifficultyArray[0]->name, "Easy");
    EXPECT_EQ(pack->packDifficultyArray[1]->name, "Hard");

    // Levels carry their names and full file paths only.
    EXPECT_EQ(pack->levelsArray[0]->name, "First Steps");
    EXPECT_EQ(pack->levelsArray[0]->nameOfFile, folder + "levels/one.xml");
    EXPECT_EQ(pack->levelsArray[1]->nameOfFile, folder + "levels/two.xml");
    EXPECT_TRUE(pack->levelsArray[0]->bricksArray.empty());
    EXPECT_EQ(FileType(pack->levelsArray[1]->nameOfFile), 1);
}

TEST_F(PackLoader, ProgressNotesFollowTheLoadOrder) {
    const std::string folder = FixturePath("pack/fixturepack/");
    LoadPack(folder);

    std::vector<std::string> expected;
    // The sprite files come in the order the folder lists them.
    TDirHandle* dir = ReadDir(folder + "sprites");
    ASSERT_NE(dir, nullptr);
    for (std::string entry = NextFile(dir); !entry.empty(); entry = NextFile(dir)) {
        if (entry == "." || entry == "..") continue;
        expected.push_back("Loading sprites/" + entry + " + (" + LongToText(FileSize(folder + "sprites/" + entry)) +
                           " bytes)");
    }
    CloseDir(dir);
    ASSERT_EQ(expected.size(), 3u);
    const std::vector<std::string> rest = {
        "Loading weapon \"blaster\"",
        "brick Name: red",
        "brick Name: armoured",
        "brick Name: steel",
        "Linking brick sprites...",
        "Linked brick armoured to red",
        "Loading levels array...",
        "Loading level info only: First Steps, " + folder + "levels/one.xml",
        "Loading level info only: Steel Rows, " + folder + "levels/two.xml",
        "Loading Pack Difficulty info...",
        "   Loaded difficulty \"Easy\"",
        "   Loaded difficulty \"Hard\"",
    };
    expected.insert(expected.end(), rest.begin(), rest.end());
    EXPECT_EQ(LoaderNotes(), expected);
}

TEST_F(PackLoader, ANoteThatRaisesAbortsTheLoadButKeepsWhatWasBuilt) {
    // With notes raising, the first note (a sprite file's) ends the load in step 4.
    g_errorseverity = {3, 3, 3};
    PackPtr pack = LoadPack(FixturePath("pack/fixturepack/"));

    EXPECT_EQ(LogLinesWith("packs:Pack.LoadPackData() Note (Loading sprites/"), 1);
    EXPECT_EQ(pack->imagesArray.size(), 2u);
    EXPECT_EQ(pack->shifterDataArray.size(), 1u);
    EXPECT_TRUE(pack->bricksArray.empty());
    EXPECT_TRUE(pack->levelsArray.empty());
    EXPECT_EQ(pack->name, "Fixture Pack");
}

// A missing file is reported with its full path; its array stays empty and the rest loads.
TEST_F(PackLoader, MissingFilesAreReportedWithTheirPathAndTheLoadGoesOn) {
    const struct {
        const char* file;
        std::function<size_t(const Pack&)> size;
    } cases[] = {
        {"images.xml", [](const Pack& p) { return p.imagesArray.size(); }},
        {"sounds.xml", [](const Pack& p) { return p.soundsArray.size(); }},
        {"shifters.xml", [](const Pack& p) { return p.shifterDataArray.size(); }},
        {"sprites", [](const Pack& p) { return p.spritesArray.size(); }},
        {"particles.xml", [](const Pack& p) { return p.particleSourceArray.size(); }},
        {"projectiles.xml", [](const Pack& p) { return p.projectilesArray.size(); }},
        {"balls.xml", [](const Pack& p) { return p.ballsArray.size(); }},
        {"weapons.xml", [](const Pack& p) { return p.weaponsArray.size(); }},
        {"bricks.xml", [](const Pack& p) { return p.bricksArray.size(); }},
        {"powerups.xml", [](const Pack& p) { return p.powerupsArray.size(); }},
        {"levels.xml", [](const Pack& p) { return p.levelsArray.size(); }},
        {"game.xml", [](const Pack& p) { return p.packDifficultyArray.size(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        ScratchPack scratch;
        std::filesystem::remove_all(scratch + c.file);
        ClearDebugLog();
        PackPtr pack = LoadPack(scratch.path());

        EXPECT_EQ(LogLinesWith(" ERR: Could not read (" + (scratch + c.file) + ")"), 1);
        EXPECT_EQ(c.size(*pack), 0u);
        // The last step still ran, and the load ended in opaque black.
        EXPECT_EQ(LogLinesWith("Loading Pack Difficulty info..."), 1);
        EXPECT_EQ(LogLinesWith("packs:Pack.LoadPackData()"), 0);
        EXPECT_FLOAT_EQ(g_ScreenOverlayAlpha, 1.0f);
    }
}

TEST_F(PackLoader, MissingInfoFileLeavesTheHeaderEmptyAndTheLivesAlone) {
    ScratchPack scratch;
    std::filesystem::remove(scratch + "info.xml");
    auto pack = std::make_shared<Pack>();
    pack->path = scratch.path();
    pack->name = "old";
    pack->startingLives = 4;
    pack->LoadPackData(1, KeysAsShown);

    EXPECT_EQ(LogLinesWith(" ERR: Could not read (" + (scratch + "info.xml") + ")"), 1);
    // The loading picture's name is gone too, so the frames are drawn without one.
    EXPECT_EQ(LogLinesWith("Could not read"), LogLinesWith("info.xml)"));
    EXPECT_EQ(pack->name, "");
    EXPECT_EQ(pack->saveName, "");
    EXPECT_EQ(pack->backgroundImage, "");
    EXPECT_EQ(pack->startingLives, 4);
    EXPECT_EQ(pack->bricksArray.size(), 3u);
}

TEST_F(PackLoader, StartingLivesComeFromTheHeaderWhenTheyAreANumber) {
    const struct {
        const char* tag;
        int lives;
    } cases[] = {
        {"", 3},
        {"<startingLives></startingLives>", 3},
        {"<startingLives>0</startingLives>", 0},
        {"<startingLives> 7 </startingLives>", 7},
        {"<startingLives>many</startingLives>", 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tag);
        ScratchPack scratch;
        WriteStringToFile(std::string("<name>Lives</name>") + c.tag, scratch + "info.xml", 0);
        PackPtr pack = LoadPack(scratch.path());
        EXPECT_EQ(pack->startingLives, c.lives);
        EXPECT_EQ(pack->name, "Lives");
    }
}

// One template per element, whether the first element starts the file or not: counting tags
// from the file's second character made a phantom object, or dropped the last ball.
TEST_F(PackLoader, OneTemplatePerElementWhereverTheFirstElementBegins) {
    const std::string image = "<image><name>dot_pic</name><fileName>dot.png</fileName><alpha>1</alpha></image>";
    const std::string brickImage =
        "<image><name>brick_pic</name><fileName>brick.png</fileName><alpha>1</alpha></image>";
    const std::string ball = "<ball><ballName>plain_ball</ballName><spriteName>ball_sprite</spriteName></ball>";
    const std::string bricks =
        "<brick><brickName>red</brickName><spriteName>brick_sprite</spriteName></brick>\n"
        "<brick><brickName>armoured</brickName><spriteName>brick_sprite</spriteName>"
        "<nextBrickName>red</nextBrickName></brick>\n"
        "<brick><brickName>steel</brickName><spriteName>brick_sprite</spriteName></brick>\n";
    const std::string level = "<level><levelName>L</levelName><fileName>levels/one.xml</fileName></level>";
    const std::string difficulty = "<difficulty><name>D</name></difficulty>";
    const struct {
        const char* file;
        std::string elements;
        std::function<size_t(const Pack&)> size;
        size_t expected;
    } cases[] = {
        {"images.xml", image + "\n" + brickImage, [](const Pack& p) { return p.imagesArray.size(); }, 2},
        {"balls.xml", ball + "\n" + ball, [](const Pack& p) { return p.ballsArray.size(); }, 2},
        {"balls.xml", ball, [](const Pack& p) { return p.ballsArray.size(); }, 1},
        {"bricks.xml", bricks, [](const Pack& p) { return p.bricksArray.size(); }, 3},
        {"levels.xml", level + level, [](const Pack& p) { return p.levelsArray.size(); }, 2},
        {"game.xml", difficulty, [](const Pack& p) { return p.packDifficultyArray.size(); }, 1},
    };
    const struct {
        const char* name;
        std::string before;
    } starts[] = {
        {"first element starts the file", ""},
        {"a line break before it", "\n"},
        {"a declaration and a wrapper before it", "<?xml version=\"1.0\"?>\n<things>\n"},
    };
    for (const auto& c : cases) {
        for (const auto& start : starts) {
            SCOPED_TRACE(std::string(c.file) + ", " + start.name);
            ScratchPack scratch;
            WriteStringToFile(start.before + c.elements, scratch + c.file, 0);
            ClearDebugLog();
            PackPtr pack = LoadPack(scratch.path());

            EXPECT_EQ(c.size(*pack), c.expected);
            // No phantom brick with sprite "" stopped the linking.
            EXPECT_EQ(FaultLines(), std::vector<std::string>());
            EXPECT_EQ(pack->bricksArray.at(1)->nextBrick, pack->bricksArray.at(0));
            EXPECT_FLOAT_EQ(g_ScreenOverlayAlpha, 1.0f);
        }
    }
}

TEST_F(PackLoader, AnEmptyParticlePoolStillServesEverySource) {
    g_maxParticles = 0;
    PackPtr pack = LoadPack(FixturePath("pack/fixturepack/"));
    ASSERT_TRUE(pack->packParticleSprites);
    EXPECT_TRUE(pack->packParticleSprites->spriteArray.empty());
    ASSERT_EQ(pack->particleSourceArray.size(), 1u);
    EXPECT_EQ(pack->particleSourceArray[0]->particleSpriteTarget.lock(), pack->packParticleSprites);
}

TEST_F(PackLoader, ALevelWithoutAFileNameGetsThePackFolder) {
    ScratchPack scratch;
    WriteStringToFile("<levels><level><levelName>Nowhere</levelName></level></levels>", scratch + "levels.xml", 0);
    PackPtr pack = LoadPack(scratch.path());
    ASSERT_EQ(pack->levelsArray.size(), 1u);
    EXPECT_EQ(pack->levelsArray[0]->name, "Nowhere");
    EXPECT_EQ(pack->levelsArray[0]->nameOfFile, scratch.path());
}

TEST_F(PackLoader, ALoadedPackPlaysItsLevelsFromItsTemplates) {
    PackPtr pack = LoadPack(FixturePath("pack/fixturepack/"));
    ClearDebugLog();
    auto stat = std::make_shared<GameStat>();
    auto level = std::make_shared<Level>();
    level->nameOfFile = pack->levelsArray.at(0)->nameOfFile;
    pack->ReloadBrickPowerupData();
    level->LoadFromFile(pack->Sources(), pack->path, stat);

    EXPECT_EQ(FaultLines(), std::vector<std::string>());
    EXPECT_EQ(level->name, "First Steps");
    ASSERT_EQ(level->bricksArray.size(), 2u);
    EXPECT_EQ(level->bricksArray[0]->name, "red");
    ASSERT_TRUE(level->bricksArray[0]->powerupGenerated);
    EXPECT_EQ(level->bricksArray[0]->powerupGenerated->action, (std::vector<std::string>{"grow", "none"}));
    level->Unlink();
}

}  // namespace
