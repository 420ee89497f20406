// The globals module's start-up: per-user folders, tables and defaults; the game fonts,
// number formatting and array growth.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <cstdlib>
#include <fstream>

#include "core/globals.h"
#include "platform/files.h"
#include "platform/graphics.h"
#include "support/game_test.h"

namespace {

bool IsFolder(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

const char* const kFolders[] = {"/Vostrand", "/Vostrand/Brondelvix 2!", "/Vostrand/Brondelvix 2!/data",
                                "/Vostrand/Brondelvix 2!/data/players"};

}  // namespace

class InitGlobalsTest : public GameTest {
protected:
    // Runs the start-up again with the per-user folders under `dataHome`; returns what it printed.
    static std::string StartUp(const std::string& dataHome) {
        setenv("XDG_DATA_HOME", dataHome.c_str(), 1);
        ResetGlobals();
        testing::internal::CaptureStdout();
        InitGlobals();
        return testing::internal::GetCapturedStdout();
    }
};

TEST_F(InitGlobalsTest, FirstStartCreatesTheFourFolders) {
    std::string home = ScratchPath();
    std::string out = StartUp(home);
    EXPECT_NE(out.find("Directory creation (0 means all good): 0\n"), std::string::npos) << out;
    for (const char* folder : kFolders) EXPECT_TRUE(IsFolder(home + folder)) << folder;
    EXPECT_EQ(g_userPath, home + "/Vostrand/Brondelvix 2!/");
    EXPECT_EQ(g_DebugLog, "");
    EXPECT_EQ(g_totalErrors, 0);
}

TEST_F(InitGlobalsTest, SecondStartFindsThemAndCountsZero) {
    std::string home = ScratchPath();
    StartUp(home);
    std::string out = StartUp(home);
    EXPECT_NE(out.find("Directory creation (0 means all good): 0\n"), std::string::npos) << out;
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(InitGlobalsTest, AParentThatCannotBeMadeFailsAllFour) {
    std::string tmp = ScratchPath();
    std::ofstream(tmp + "/file") << "x";
    std::string home = tmp + "/file/sub";  // a folder can never be made under a regular file
    testing::internal::CaptureStderr();
    std::string out = StartUp(home);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(out.find("Directory creation (0 means all good): -4\n"), std::string::npos) << out;
    std::string expected = "Error creating user directories.  Attempted To Create the following:\n";
    for (const char* folder : kFolders) expected += home + folder + "\n";
    EXPECT_EQ(said, expected);
    // Not logged: the game plays on, and a logged line would end its first game start.
    EXPECT_EQ(g_DebugLog, "");
    EXPECT_EQ(g_totalErrors, 0);
}

TEST_F(InitGlobalsTest, ASecondCallDoesNothing) {
    std::string home = ScratchPath();
    StartUp(home);
    g_fontPath = "changed";
    testing::internal::CaptureStdout();
    InitGlobals();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(g_fontPath, "changed");
}

TEST_F(InitGlobalsTest, TablesAndDerivedValues) {
    StartUp(ScratchPath());
    ASSERT_EQ(g_Sin.size(), 360u);
    ASSERT_EQ(g_Cos.size(), 360u);
    EXPECT_EQ(g_Sin[0], 0.0f);
    EXPECT_EQ(g_Sin[90], 1.0f);
    EXPECT_EQ(g_Cos[0], 1.0f);
    EXPECT_EQ(g_Cos[180], -1.0f);
    EXPECT_NE(g_Cos[90], 0.0f);
    EXPECT_NEAR(g_Cos[90], 0.0f, 1e-7f);
    EXPECT_FLOAT_EQ(g_Sin[30], 0.5f);
    EXPECT_EQ(g_Sin[45], static_cast<float>(std::sin(45 * M_PI / 180.0)));
    EXPECT_FLOAT_EQ(g_Sin[270], -1.0f);

    EXPECT_EQ(g_ScreenCenterX, 512.0f);
    EXPECT_EQ(g_ScreenCenterY, 384.0f);
    EXPECT_EQ(g_BrickShieldY, 754.0f);
    ASSERT_EQ(g_DebugStrings.size(), 10u);
    for (const std::string& s : g_DebugStrings) EXPECT_EQ(s, "");
    ASSERT_NE(g_LoadTimers, nullptr);
    EXPECT_TRUE(g_LoadTimers->timers.empty());
    EXPECT_EQ(g_dataPath.back(), '/');
    EXPECT_EQ(g_fontPath, g_dataPath + "data/fonts/DejaVuSans.ttf");
}

TEST_F(InitGlobalsTest, TheCentreDoesNotFollowALaterVirtualWidth) {
    StartUp(ScratchPath());
    g_virtualWidth = 1280;
    EXPECT_EQ(g_ScreenCenterX, 512.0f);
}

TEST_F(InitGlobalsTest, DeclaredDefaults) {
    EXPECT_EQ(g_maxFrameDelay, 45);
    EXPECT_EQ(g_MouseMovementZone, 50);
    EXPECT_EQ(g_maxBalls, 16);
    EXPECT_EQ(g_maxParticles, 256);
    EXPECT_EQ(g_gravitationalConstant, 0.2f);
    EXPECT_EQ(g_gamefieldWidth, 720);
    EXPECT_EQ(g_gamefieldHeight, 760);
    EXPECT_EQ(g_isFastComputer, 1);
}

// ---------------------------------------------------------------------------
// ResetGlobals, checked against the list itself, so a global added to the list is covered.

namespace {

// Some value other than the one the global holds.
void Change(int& v) { v += 7; }
void Change(int64_t& v) { v += 7; }
void Change(float& v) { v += 1.5f; }
void Change(std::string& v) { v += "x"; }
template <class T>
void Change(std::vector<T>& v) {
    v.push_back(T());
}
template <class T>
void Change(std::shared_ptr<T>& v) {
    v = std::make_shared<T>();
}

}  // namespace

using ResetGlobalsTest = GameTest;

TEST_F(ResetGlobalsTest, PutsEveryGlobalOfTheListBackToItsStartValue) {
    testing::internal::CaptureStdout();
    InitGlobals();
    testing::internal::GetCapturedStdout();
#define BX2_CHANGE_GLOBAL(type, name, start)                 \
    {                                                        \
        Change(name);                                        \
        const type startValue = start;                       \
        EXPECT_FALSE(name == startValue) << #name " stayed"; \
    }
    BX2_GLOBALS(BX2_CHANGE_GLOBAL)
#undef BX2_CHANGE_GLOBAL

    ResetGlobals();
#define BX2_EXPECT_START_VALUE(type, name, start) \
    {                                             \
        const type startValue = start;            \
        EXPECT_TRUE(name == startValue) << #name; \
    }
    BX2_GLOBALS(BX2_EXPECT_START_VALUE)
#undef BX2_EXPECT_START_VALUE

    // The start-up runs again after a reset.
    testing::internal::CaptureStdout();
    InitGlobals();
    EXPECT_NE(testing::internal::GetCapturedStdout().find("Directory creation"), std::string::npos);
    EXPECT_EQ(g_Sin.size(), 360u);
    EXPECT_NE(g_LoadTimers, nullptr);
}

// ---------------------------------------------------------------------------
struct NumberCase {
    int64_t value;
    const char* text;
};

void PrintTo(const NumberCase& c, std::ostream* os) { *os << c.value; }

class FormatNumberTest : public testing::TestWithParam<NumberCase> {};

TEST_P(FormatNumberTest, GroupsDigitsInThrees) { EXPECT_EQ(FormatNumber(GetParam().value), GetParam().text); }

INSTANTIATE_TEST_SUITE_P(Cases, FormatNumberTest,
                         testing::Values(NumberCase{0, "0"}, NumberCase{7, "7"}, NumberCase{999, "999"},
                                         NumberCase{1000, "1,000"}, NumberCase{12345, "12,345"},
                                         NumberCase{123456, "123,456"}, NumberCase{1234567, "1,234,567"},
                                         NumberCase{999999999, "999,999,999"}, NumberCase{-5, "-5"},
                                         NumberCase{-999, "-999"}, NumberCase{-1000, "-1,000"},
                                         NumberCase{-123456, "-123,456"}, NumberCase{-123456789, "-123,456,789"},
                                         NumberCase{INT64_MAX, "9,223,372,036,854,775,807"},
                                         NumberCase{INT64_MIN, "-9,223,372,036,854,775,808"}));

TEST(AppendNew, GrowsByOneZeroElement) {
    EXPECT_EQ(AppendNewInt({}), std::vector<int>{0});
    EXPECT_EQ(AppendNewInt({3, 4}), (std::vector<int>{3, 4, 0}));
    EXPECT_EQ(AppendNewFloat({}), std::vector<float>{0.0f});
    EXPECT_EQ(AppendNewFloat({1.5f}), (std::vector<float>{1.5f, 0.0f}));
    EXPECT_EQ(AppendNewString({}), std::vector<std::string>{""});
    std::vector<std::string> names{"a", "b"};
    EXPECT_EQ(AppendNewString(names), (std::vector<std::string>{"a", "b", ""}));
    EXPECT_EQ(names.size(), 2u);
}

// ---------------------------------------------------------------------------
class GameFontTest : public GameTest {
protected:
    static void ExpectSizes() {
        ASSERT_NE(g_LargeFont, nullptr);
        ASSERT_NE(g_MenuFont, nullptr);
        ASSERT_NE(g_MidFont, nullptr);
        ASSERT_NE(g_SmallFont, nullptr);
        EXPECT_EQ(g_LargeFont->size, 36);
        EXPECT_EQ(g_MenuFont->size, 30);
        EXPECT_EQ(g_MidFont->size, 24);
        EXPECT_EQ(g_SmallFont->size, 12);
        EXPECT_EQ(g_LargeFont->style, 4);
        EXPECT_EQ(g_SmallFont->style, 4);
    }
};

TEST_F(GameFontTest, LoadsThePathItself) {
    g_fontPath = DataFolder() + "data/fonts/DejaVuSans.ttf";
    EXPECT_EQ(LoadGameFont(), 0);
    ExpectSizes();
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(GameFontTest, TriesTheTtfExtensionSecond) {
    g_fontPath = DataFolder() + "data/fonts/DejaVuSans";
    EXPECT_EQ(LoadGameFont(), 0);
    ExpectSizes();
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(GameFontTest, NoFileLeavesEverySlotEmptyAndLogsNothing) {
    g_fontPath = DataFolder() + "data/fonts/NoSuchFont";
    g_LargeFont = LoadImageFont(DataFolder() + "data/fonts/DejaVuSans.ttf", 10, 0);
    EXPECT_EQ(LoadGameFont(), 0);
    EXPECT_EQ(g_LargeFont, nullptr);
    EXPECT_EQ(g_MenuFont, nullptr);
    EXPECT_EQ(g_MidFont, nullptr);
    EXPECT_EQ(g_SmallFont, nullptr);
    EXPECT_EQ(g_DebugLog, "");
    // Text drawn with an empty slot uses the built-in font.
    SetImageFont(g_SmallFont);
    EXPECT_GT(TextWidth("Score"), 0);
}

TEST_F(GameFontTest, ASecondLoadReplacesAllFour) {
    g_fontPath = DataFolder() + "data/fonts/DejaVuSans";
    LoadGameFont();
    TImageFontPtr large = g_LargeFont, small = g_SmallFont;
    LoadGameFont();
    EXPECT_NE(g_LargeFont, large);
    EXPECT_NE(g_SmallFont, small);
    ExpectSizes();
}
