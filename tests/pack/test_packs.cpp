// The pack record: the header read from "info.xml", Unlink and what it leaves, the list
// growth, the fresh brick powerup tables, and a loaded pack released without a leak.
#include "core/io.h"
#include "level/level.h"
#include "media/images.h"
#include "pack_support.h"
#include "pieces/brick.h"
#include "pieces/difficulty.h"
#include "sprites/particle.h"
#include "sprites/random.h"
#include "support/support.h"

namespace {

using namespace packtest;

class PackRecord : public PackTest {};

TEST_F(PackRecord, HeaderComesFromInfoXml) {
    const struct {
        const char* name;
        std::string info;
        std::string packName, saveName, readMe, image;
    } cases[] = {
        {"every tag",
         "<?xml version=\"1.0\"?>\n<info><name>Blue Pack</name><saveName>blue</saveName>"
         "<readMe>Line one&line;Line two &lt;3</readMe><loadingImage>load.png</loadingImage>"
         "<startingLives>9</startingLives></info>",
         "Blue Pack", "blue", "Line one\nLine two <3", "load.png"},
        {"the last of a repeated tag", "<name>First</name><name>Second</name>", "Second", "", "", ""},
        {"tags in capitals", "<NAME>Loud</NAME><SAVENAME>loud</SAVENAME>", "Loud", "loud", "", ""},
        {"an ampersand stays as written", "<name>Tom &amp; Jerry</name>", "Tom &amp; Jerry", "", "", ""},
        {"no tags at all", "just text", "", "", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchFolder folder;
        const std::string path = folder.path() + "/";
        WriteStringToFile(c.info, path + "info.xml", 0);
        Pack pack;
        EXPECT_EQ(pack.Initialize(path), 0);
        EXPECT_EQ(pack.path, path);
        EXPECT_EQ(pack.name, c.packName);
        EXPECT_EQ(pack.saveName, c.saveName);
        EXPECT_EQ(pack.readMe, c.readMe);
        EXPECT_EQ(pack.backgroundImage, c.image);
        // A header pack never reads the lives, nor anything but its header.
        EXPECT_EQ(pack.startingLives, 3);
        EXPECT_TRUE(pack.bricksArray.empty());
        EXPECT_EQ(FaultLines(), std::vector<std::string>());
    }
}

TEST_F(PackRecord, MissingInfoXmlIsReportedAndLeavesAnEmptyHeader) {
    ScratchFolder folder;
    Pack pack;
    pack.name = "stale";
    EXPECT_EQ(pack.Initialize(folder.path() + "/"), 0);
    EXPECT_EQ(LogLinesWith(" ERR: Could not read (" + folder.path() + "/info.xml)"), 1);
    EXPECT_EQ(pack.name, "");
    EXPECT_EQ(pack.path, folder.path() + "/");

    // Without its slash the path runs into the file name: the file beside the folder is read.
    WriteStringToFile("<name>Beside</name>", folder.path() + "info.xml", 0);
    Pack beside;
    beside.Initialize(folder.path());
    EXPECT_EQ(beside.name, "Beside");
    std::filesystem::remove(folder.path() + "info.xml");
}

TEST_F(PackRecord, AppendNewPackKeepsThePacksAndAddsADefaultOne) {
    std::vector<PackPtr> packs = AppendNewPack({});
    ASSERT_EQ(packs.size(), 1u);
    ASSERT_TRUE(packs[0]);
    EXPECT_EQ(packs[0]->startingLives, 3);
    EXPECT_EQ(packs[0]->path, "");
    EXPECT_FALSE(packs[0]->packParticleSprites);

    const std::vector<PackPtr> before = packs;
    packs = AppendNewPack(packs);
    ASSERT_EQ(packs.size(), 2u);
    EXPECT_EQ(packs[0], before[0]);
    EXPECT_NE(packs[1], packs[0]);
    EXPECT_EQ(before.size(), 1u);
}

// Every Unlink, also on a pack with nothing loaded, gives the mixer 16 fresh channels and
// keeps the header, the lives and the difficulties.
TEST_F(PackRecord, UnlinkEmptiesTheTemplatesResetsTheMixerAndKeepsTheHeader) {
    const struct {
        const char* name;
        bool loaded;
        int unlinks;
    } cases[] = {
        {"header pack", false, 1},
        {"loaded pack", true, 1},
        {"loaded pack, unlinked twice", true, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto pack = std::make_shared<Pack>();
        if (c.loaded) {
            pack->path = FixturePath("pack/fixturepack/");
            pack->LoadPackData(1, KeysAsShown);
        } else {
            pack->Initialize(FixturePath("pack/fixturepack/"));
        }
        const std::string name = pack->name, readMe = pack->readMe;
        const int lives = pack->startingLives;
        const size_t difficulties = pack->packDifficultyArray.size();
        for (int i = 0; i < c.unlinks; ++i) {
            g_MasterMixer->Initialize(3);
            g_MasterMixer->soundArray[1] = std::make_shared<Sound>();
            EXPECT_EQ(pack->Unlink(), 0);
            EXPECT_EQ(g_MasterMixer->totalChannels, 16);
            EXPECT_EQ(g_MasterMixer->channelArray.size(), 16u);
            EXPECT_FALSE(g_MasterMixer->soundArray[1]);
        }
        EXPECT_TRUE(pack->imagesArray.empty());
        EXPECT_TRUE(pack->soundsArray.empty());
        EXPECT_TRUE(pack->shifterDataArray.empty());
        EXPECT_TRUE(pack->spritesArray.empty());
        EXPECT_TRUE(pack->particleSourceArray.empty());
        EXPECT_FALSE(pack->packParticleSprites);
        EXPECT_TRUE(pack->projectilesArray.empty());
        EXPECT_TRUE(pack->ballsArray.empty());
        EXPECT_TRUE(pack->weaponsArray.empty());
        EXPECT_TRUE(pack->bricksArray.empty());
        EXPECT_TRUE(pack->powerupsArray.empty());
        EXPECT_TRUE(pack->levelsArray.empty());
        EXPECT_EQ(pack->name, name);
        EXPECT_EQ(pack->readMe, readMe);
        EXPECT_EQ(pack->backgroundImage, "loading.png");
        EXPECT_EQ(pack->startingLives, lives);
        EXPECT_EQ(pack->packDifficultyArray.size(), difficulties);
        EXPECT_EQ(FaultLines(), std::vector<std::string>());
    }
}

// The templates refer to one another in cycles; releasing the pack, unlinked or not, must
// free every one of them.
TEST_F(PackRecord, AReleasedPackFreesItsTemplates) {
    for (const bool unlinkFirst : {true, false}) {
        SCOPED_TRACE(unlinkFirst ? "unlinked, then released" : "released only");
        auto pack = std::make_shared<Pack>();
        pack->path = FixturePath("pack/fixturepack/");
        pack->LoadPackData(1, KeysAsShown);
        ASSERT_EQ(pack->bricksArray.size(), 3u);
        std::weak_ptr<Brick> brick = pack->bricksArray[1];
        std::weak_ptr<Sprite> sprite = pack->spritesArray[0];
        std::weak_ptr<ParticleSprites> pool = pack->packParticleSprites;
        std::weak_ptr<ParticleSource> source = pack->particleSourceArray[0];
        std::weak_ptr<Image> image = pack->imagesArray[0];
        std::weak_ptr<Level> level = pack->levelsArray[0];
        if (unlinkFirst) pack->Unlink();
        pack = nullptr;
        EXPECT_TRUE(brick.expired());
        EXPECT_TRUE(sprite.expired());
        EXPECT_TRUE(pool.expired());
        EXPECT_TRUE(source.expired());
        EXPECT_TRUE(image.expired());
        EXPECT_TRUE(level.expired());
        EXPECT_EQ(FaultLines(), std::vector<std::string>());
    }
}

std::vector<std::string> Actions(const BrickPtr& brick) {
    return brick->powerupGenerated ? brick->powerupGenerated->action : std::vector<std::string>{"<no table>"};
}

TEST_F(PackRecord, ReloadGivesEveryBrickAFreshTableFromTheFile) {
    ScratchPack scratch;
    PackPtr pack = LoadPack(scratch.path());
    ASSERT_EQ(pack->bricksArray.size(), 3u);
    ClearDebugLog();

    // What levels appended is gone, and a table held elsewhere is left as it was.
    const RandomPtr oldRed = pack->bricksArray[0]->powerupGenerated;
    oldRed->Append(pack->packDifficultyArray[0]->extraBrickPowerups);
    const std::vector<std::string> appended = oldRed->action;
    ASSERT_EQ(appended.size(), 3u);
    EXPECT_EQ(pack->ReloadBrickPowerupData(), 0);
    EXPECT_NE(pack->bricksArray[0]->powerupGenerated, oldRed);
    EXPECT_EQ(oldRed->action, appended);
    EXPECT_EQ(Actions(pack->bricksArray[0]), (std::vector<std::string>{"grow", "none"}));
    EXPECT_EQ(Actions(pack->bricksArray[1]), (std::vector<std::string>{"wall"}));
    EXPECT_EQ(Actions(pack->bricksArray[2]), std::vector<std::string>());
    EXPECT_EQ(FaultLines(), std::vector<std::string>());

    // A file that gained a brick since the load: the extra element has no brick to go to.
    std::string xml = ReadFileToString(scratch + "bricks.xml", 0);
    xml +=
        "<brick><brickName>extra</brickName><powerupGenerated><randomData><action>grow</action>"
        "<value>1</value></randomData></powerupGenerated></brick>\n";
    WriteStringToFile(xml, scratch + "bricks.xml", 0);
    EXPECT_EQ(pack->ReloadBrickPowerupData(), 0);
    EXPECT_EQ(pack->bricksArray.size(), 3u);
    EXPECT_EQ(Actions(pack->bricksArray[2]), std::vector<std::string>());
    EXPECT_EQ(FaultLines(), std::vector<std::string>());

    // A missing file is reported; the bricks keep the tables they hold.
    std::filesystem::remove(scratch + "bricks.xml");
    const RandomPtr kept = pack->bricksArray[0]->powerupGenerated;
    EXPECT_EQ(pack->ReloadBrickPowerupData(), 0);
    EXPECT_EQ(LogLinesWith(" ERR: Could not read (" + (scratch + "bricks.xml") + ")"), 1);
    EXPECT_EQ(pack->bricksArray[0]->powerupGenerated, kept);
}

}  // namespace
