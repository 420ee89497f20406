// The level writer and the level lists: the saved text, saving over the level file, and
// finding and growing a pack's list of levels.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "level/test_level_xml_support.h"
#include "support/scratch_folder.h"
#include "support/support.h"

namespace leveltest {
namespace {

int FileMode(const std::string& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) return -1;
    return static_cast<int>(info.st_mode & 0777);
}

// ---------------------------------------------------------------------------
// The written text

TEST_F(LevelTest, SavedLevelMatchesTheGoldenText) {
    // Hard tunes the templates, and the game's start copies them into the live paddle and
    // balls; none of that may reach the file.
    LevelPtr level = LoadFile(PackPath() + "levels/first.xml", "hard");
    StartLikeTheGame(*level);
    ASSERT_FLOAT_EQ(level->playerPaddle->paddleSprite->xScale, 1.8f);
    ASSERT_FLOAT_EQ(level->ballsArray[0]->ballSprite->vel, 12.0f);
    // Play moves on: a brick dies, a goal counts a repeat, a ball flies off.
    level->bricksArray[2]->isLive = 0;
    level->goalsArray[1]->repeats = 1;
    level->goalsArray[0]->isLive = 0;
    level->ballsArray[1]->ballSprite->x = 512.0f;

    EXPECT_EQ(level->WriteToXML(), PackFile("levels/first_saved.xml"));
}

TEST_F(LevelTest, BareLevelWritesFourChildren) {
    LevelPtr level = LoadText("<level><levelName>Bare</levelName></level>");
    EXPECT_EQ(level->WriteToXML(),
              "<level>\n"
              "\t<levelName>Bare</levelName>\n"
              "\t<paddle>\n"
              "\t\t<spriteName></spriteName>\n"
              "\t\t<xScale>1.00000000</xScale>\n"
              "\t\t<yScale>1.00000000</yScale>\n"
              "\t</paddle>\n"
              "\t<background></background>\n"
              "\t<music></music>\n"
              "</level>\n");
}

TEST_F(LevelTest, LeafValuesAreEscaped) {
    struct Case {
        std::string name;
        std::string written;
    };
    const Case cases[] = {
        {"a<b>c", "a&lt;b&gt;c"},
        {"tab\there", "tab&tab;here"},
        {"two\nlines", "two&line;lines"},
        {"R&D", "R&D"},
    };
    LevelPtr level = LoadText("<level><levelName>x</levelName></level>");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.written);
        level->name = c.name;
        level->music = c.name;
        const std::string text = level->WriteToXML();
        EXPECT_NE(text.find("\t<levelName>" + c.written + "</levelName>\n"), std::string::npos) << text;
        EXPECT_NE(text.find("\t<music>" + c.written + "</music>\n"), std::string::npos) << text;
    }
}

TEST_F(LevelTest, LevelMadeInCodeWritesItsLivePieces) {
    auto level = std::make_shared<Level>();
    made.push_back(level);
    level->name = "Built";
    level->playerPaddle = std::make_shared<Paddle>();
    level->playerPaddle->paddleSpriteName = "paddle_sprite";
    for (int live : {1, 0, 1}) {
        level->ballsArray = AppendNewBall(level->ballsArray);
        level->ballsArray.back()->isLive = live;
        level->ballsArray.back()->ballSprite->x = 100.0f + 10.0f * static_cast<float>(level->ballsArray.size());
    }
    for (int live : {0, 1}) {
        level->goalsArray = AppendNewGoal(level->goalsArray);
        level->goalsArray.back()->isLive = live;
    }
    const std::string text = level->WriteToXML();
    EXPECT_EQ(CountTagsInXML(text, "ball"), 2);
    EXPECT_NE(text.find("<x>110.000000</x>"), std::string::npos);
    EXPECT_EQ(text.find("<x>120.000000</x>"), std::string::npos);
    EXPECT_NE(text.find("<x>130.000000</x>"), std::string::npos);
    EXPECT_EQ(CountTagsInXML(text, "goal"), 2);
    EXPECT_EQ(CountTagsInXML(text, "paddle"), 1);
}

TEST_F(LevelTest, CopyOfALevelSavesTheCopiedPieces) {
    LevelPtr source = LoadFile(PackPath() + "levels/first.xml", "Hard");
    StartLikeTheGame(*source);
    // A level that held another file before the copy must not save that file's pieces.
    LevelPtr copy = LoadFile(PackPath() + "levels/second.xml", "Hard");
    copy->Clone(source);
    const std::string text = copy->WriteToXML();
    EXPECT_NE(text.find("<levelName>First Steps</levelName>"), std::string::npos);
    EXPECT_NE(text.find("<isStuck>41</isStuck>"), std::string::npos);
    EXPECT_EQ(text.find("<isStuck>30</isStuck>"), std::string::npos);
    EXPECT_NE(text.find("<name>thrower</name>"), std::string::npos);
    EXPECT_EQ(CountTagsInXML(text, "goal"), 2);
}

// ---------------------------------------------------------------------------
// Saving over the level file

TEST_F(LevelTest, LoadSaveLoadSaveGivesTheSameFile) {
    ScratchFolder scratch;
    ASSERT_FALSE(scratch.path().empty());
    const std::string files[] = {"levels/first.xml", "levels/second.xml"};
    const std::string difficulties[] = {"Normal", "Hard", "easy"};
    for (const std::string& file : files) {
        for (const std::string& difficulty : difficulties) {
            SCOPED_TRACE(file + " " + difficulty);
            const std::string firstSave = scratch.path() + "/once.xml";
            const std::string secondSave = scratch.path() + "/twice.xml";

            LevelPtr original = LoadFile(PackPath() + file, difficulty);
            StartLikeTheGame(*original);
            original->nameOfFile = firstSave;
            original->SaveToFile();

            LevelPtr reloaded = LoadFile(firstSave, difficulty);
            StartLikeTheGame(*reloaded);
            if (!reloaded->goalsArray.empty()) reloaded->goalsArray.back()->repeats += 5;
            reloaded->nameOfFile = secondSave;
            reloaded->SaveToFile();

            const std::string once = ReadFileToString(firstSave, 0);
            ASSERT_FALSE(once.empty());
            EXPECT_EQ(ReadFileToString(secondSave, 0), once);
            EXPECT_EQ(FileMode(secondSave), 0444);

            // The reloaded level is the level that was saved (a brick keeps only its name,
            // place and scale, so a per-brick mustClear of the first file is not carried over).
            EXPECT_EQ(reloaded->name, original->name);
            EXPECT_EQ(reloaded->bricksArray.size(), original->bricksArray.size());
            EXPECT_EQ(reloaded->goalsArray.size(), original->goalsArray.size());
            EXPECT_EQ(reloaded->sourceNainsArray.size(), original->sourceNainsArray.size());
            ASSERT_EQ(reloaded->difficultyArray.size(), original->difficultyArray.size());
            for (size_t i = 0; i < original->difficultyArray.size(); ++i) {
                const Difficulty& a = *original->difficultyArray[i];
                const Difficulty& b = *reloaded->difficultyArray[i];
                EXPECT_EQ(b.name, a.name);
                EXPECT_FLOAT_EQ(b.dBallStartSpeed, a.dBallStartSpeed);
                EXPECT_FLOAT_EQ(b.dPaddleSize, a.dPaddleSize);
                EXPECT_EQ(b.dNainBounces, a.dNainBounces);
                EXPECT_EQ(Actions(b.extraBrickPowerups), Actions(a.extraBrickPowerups));
            }
            EXPECT_FLOAT_EQ(reloaded->playerPaddleSource->paddleSprite->xScale,
                            original->playerPaddleSource->paddleSprite->xScale);
            EXPECT_EQ(reloaded->newBallsSourceArray[0]->isStuck, original->newBallsSourceArray[0]->isStuck);
            EXPECT_FLOAT_EQ(reloaded->newBallsSourceArray[0]->ballSprite->vel,
                            original->newBallsSourceArray[0]->ballSprite->vel);
            EXPECT_FALSE(LogHas("Could not save"));
        }
    }
}

TEST_F(LevelTest, SavingTwiceRewritesTheReadOnlyFile) {
    ScratchFolder scratch;
    const std::string path = scratch.path() + "/level.xml";
    LevelPtr level = LoadFile(PackPath() + "levels/second.xml");
    StartLikeTheGame(*level);
    level->nameOfFile = path;
    EXPECT_EQ(level->SaveToFile(), 0);
    EXPECT_EQ(FileMode(path), 0444);
    level->bricksArray[0]->isLive = 0;
    EXPECT_EQ(level->SaveToFile(), 0);
    EXPECT_EQ(FileMode(path), 0444);
    EXPECT_EQ(CountTagsInXML(ReadFileToString(path, 0), "brick"), 2);
    EXPECT_TRUE(LogHas(Note("Writing file: " + path)));
    EXPECT_FALSE(LogHas("Could not save"));
}

TEST_F(LevelTest, FailedSaveIsReportedAndLeavesTheFile) {
    ScratchFolder scratch;
    const std::string kept = scratch.path() + "/kept.xml";
    struct Case {
        const char* label;
        bool writerFails;
        std::string path;
        std::string fileBefore;  // written first when not empty
    };
    const Case cases[] = {
        {"writer fails", true, kept, "<level>keep me</level>\n"},
        {"folder missing", false, scratch.path() + "/no/such/folder/level.xml", ""},
        {"no file name", false, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        ClearDebugLog();
        if (!c.fileBefore.empty()) {
            ASSERT_EQ(WriteStringToFile(c.fileBefore, c.path, 1), 1);
        }
        LevelPtr level = LoadText("<level><levelName>Doomed</levelName></level>");
        // A level without a paddle that was not read from a file cannot be written.
        if (c.writerFails) {
            level->loadedPaddleXML.clear();
            level->playerPaddle->Unlink();
            level->playerPaddle = nullptr;
            EXPECT_EQ(level->WriteToXML(), "");
        }
        level->nameOfFile = c.path;
        EXPECT_EQ(level->SaveToFile(), 0);
        EXPECT_TRUE(LogHas("Could not save (Tried to save level file to: \n" + c.path + ")")) << g_DebugLog;
        if (!c.fileBefore.empty()) {
            EXPECT_EQ(ReadFileToString(c.path, 0), c.fileBefore);
        }
    }
}

// ---------------------------------------------------------------------------
// Level lists

TEST_F(LevelTest, GetLevelByNameFindsTheFirstExactName) {
    std::vector<LevelPtr> levels;
    for (const char* name : {"Alpha", "Beta", "Alpha", "beta"}) {
        levels = AppendNewLevel(levels);
        levels.back()->name = name;
    }
    struct Case {
        std::string name;
        int index;  // -1: not found
    };
    const Case cases[] = {{"Alpha", 0}, {"Beta", 1}, {"beta", 3}, {"ALPHA", -1}, {"", -1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ClearDebugLog();
        const LevelPtr found = GetLevelByName(c.name, levels);
        if (c.index < 0) {
            EXPECT_EQ(found, nullptr);
            EXPECT_TRUE(LogHas("Not found (Could not find level named \"" + c.name + "\".)")) << g_DebugLog;
            EXPECT_TRUE(LogHas("level:GetLevelByName() "));
        } else {
            EXPECT_EQ(found, levels[static_cast<size_t>(c.index)]);
            EXPECT_EQ(g_DebugLog, "");
        }
    }
    EXPECT_EQ(GetLevelByName("Alpha", {}), nullptr);
}

TEST_F(LevelTest, AppendNewLevelGrowsACopy) {
    const std::vector<LevelPtr> empty;
    const std::vector<LevelPtr> one = AppendNewLevel(empty);
    EXPECT_TRUE(empty.empty());
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0]->name, "");
    EXPECT_EQ(one[0]->nameOfFile, "");
    EXPECT_FLOAT_EQ(one[0]->levelStartTTL, 25.0f);

    const std::vector<LevelPtr> two = AppendNewLevel(one);
    EXPECT_EQ(one.size(), 1u);
    ASSERT_EQ(two.size(), 2u);
    EXPECT_EQ(two[0], one[0]);
    EXPECT_NE(two[1], one[0]);
}

}  // namespace
}  // namespace leveltest
