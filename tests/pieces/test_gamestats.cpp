// The game record: score arithmetic, counters, the record digest, the "gameStat" element
// as player files and saved games hold it, copies and the reset for a new run.
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <functional>
#include <limits>
#include <regex>
#include <string>
#include <vector>

#include "core/globals.h"
#include "core/io.h"
#include "pieces/gamestats.h"
#include "platform/runtime.h"
#include "support/game_test.h"
#include "text/parser.h"

namespace {

const float kInf = std::numeric_limits<float>::infinity();
const float kNaN = std::numeric_limits<float>::quiet_NaN();

// The record of the worked digest example: its fields run together after the padding.
const char kExampleDigest[] = "389125A4FDF714ABAD626DE4EF0E3063";
// The digest of a record reset for a new run (score 0, level 1, time 0, no date, fair, Normal).
const char kContinueDigest[] = "33A54FACB0C9527467E8D37DDBA52566";

std::string PiecesFixtures() {
    const char* env = std::getenv("BX2_FIXTURES");
    std::string root =
        env && *env ? env : std::string(__FILE__).substr(0, std::string(__FILE__).rfind('/')) + "/../fixtures";
    return root + "/pieces/";
}

class GameRecord : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        InitGameStats();
        g_debugLogQuiet = 1;
    }

    static GameStatPtr Example() {
        auto stat = std::make_shared<GameStat>();
        stat->score = 1200;
        stat->level = 3;
        stat->time = 65000;
        stat->date = "05 Mar 2007";
        stat->cheatEnabled = 0;
        stat->difficulty = "Normal";
        stat->pack = "classic";
        return stat;
    }
    static GameStatPtr Scoring(int64_t score, int multiplier, float factor) {
        auto stat = std::make_shared<GameStat>();
        stat->score = score;
        stat->scoreMultiplier = multiplier;
        stat->difficultyPointModifier = factor;
        return stat;
    }
};

TEST_F(GameRecord, NewRecordIsActiveFairNormalAndDatedToday) {
    const std::string before = CurrentDate();
    GameStat stat;
    const std::string after = CurrentDate();

    EXPECT_EQ(stat.score, 0);
    EXPECT_EQ(stat.scoreMultiplier, 1);
    EXPECT_EQ(stat.level, 0);
    EXPECT_EQ(stat.time, 0);
    EXPECT_TRUE(stat.date == before || stat.date == after) << stat.date;
    EXPECT_TRUE(std::regex_match(stat.date, std::regex("[0-3][0-9] (Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) "
                                                       "[0-9]{4}")))
        << stat.date;
    EXPECT_EQ(stat.cheatEnabled, 0);
    EXPECT_EQ(stat.difficulty, "Normal");
    EXPECT_EQ(stat.pack, "");
    ASSERT_NE(stat.dataHash, nullptr);
    EXPECT_EQ(stat.dataHash->hash, "");
    EXPECT_EQ(stat.difficultyPointModifier, 1.0f);
    EXPECT_EQ(stat.isActive, 1);
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(GameRecord, SetDateKeepsAnyTextAndTheEmptyTextMeansToday) {
    GameStat stat;
    EXPECT_EQ(stat.SetDate("the day the music died"), 0);
    EXPECT_EQ(stat.GetDate(), "the day the music died");
    const std::string before = CurrentDate();
    stat.SetDate("");
    EXPECT_TRUE(stat.date == before || stat.date == CurrentDate()) << stat.date;
}

TEST_F(GameRecord, AddToScoreAddsTheRoundedUpProductOfPointsMultiplierAndFactor) {
    const int64_t kTop = std::numeric_limits<int64_t>::max();
    const int64_t kBottom = std::numeric_limits<int64_t>::min();
    const int64_t k2To53 = int64_t{1} << 53;
    struct Case {
        const char* what;
        int64_t score;
        int multiplier;
        float factor;
        int64_t points;
        int64_t expected;
    } cases[] = {
        {"10 points x 3 x 1.5", 0, 3, 1.5f, 10, 45},
        {"a fraction rounds up", 0, 1, 1.25f, 1, 2},
        {"factor 1 adds the product", 7, 2, 1.0f, 21, 49},
        {"zero points change nothing", 500, 4, 1.5f, 0, 500},
        {"a zero multiplier scores nothing", 10, 0, 2.0f, 100, 10},
        {"the float factor is widened, not rounded", 0, 1, 0.1f, 10, 2},
        {"negative points round toward zero", 0, 1, 1.5f, -5, -7},
        {"negative points lower the score", 10, 1, 1.5f, -5, 3},
        {"scores past 2^53 stay exact", k2To53 + 1, 1, 1.0f, 0, k2To53 + 1},
        {"and count single points", k2To53 + 1, 1, 1.0f, 1, k2To53 + 2},
        {"the top of the range holds", kTop - 5, 1, 1.0f, 10, kTop},
        {"the bottom of the range holds", kBottom + 5, 1, 1.0f, -10, kBottom},
        {"a gain beyond the range", 0, 1, 1e30f, 1000000, kTop},
        {"an infinite factor", 5, 1, kInf, 1, kTop},
        {"the product wraps in 64 bits", 100, 2, 1.0f, kTop, 98},
        {"a factor that is not a number", 100, 1, kNaN, 10, 100},
        {"zero times infinity", 100, 1, kInf, 0, 100},
    };
    for (const Case& c : cases) {
        auto stat = Scoring(c.score, c.multiplier, c.factor);
        EXPECT_EQ(stat->AddToScore(c.points), 0) << c.what;
        EXPECT_EQ(stat->GetScore(), c.expected) << c.what;
    }
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(GameRecord, SubtractFromScoreDeductsTheSameGainButNeverBelowZero) {
    const int64_t kTop = std::numeric_limits<int64_t>::max();
    struct Case {
        const char* what;
        int64_t score;
        int multiplier;
        float factor;
        int64_t points;
        int64_t expected;
    } cases[] = {
        {"a smaller deduction", 100, 1, 1.0f, 30, 70},
        {"a deduction equal to the score", 100, 1, 1.0f, 100, 0},
        {"a larger deduction", 100, 1, 1.0f, 150, 0},
        {"multiplier and factor apply", 100, 2, 1.25f, 10, 75},
        {"the deduction rounds up", 100, 1, 1.5f, 1, 98},
        {"nothing from nothing", 0, 1, 1.0f, 0, 0},
        {"zero points still floor a negative score", -7, 1, 1.0f, 0, 0},
        {"negative points raise the score", 0, 1, 1.0f, -5, 5},
        {"an infinite deduction", 100, 1, kInf, 1, 0},
        {"an infinite negative deduction", 100, 1, kInf, -1, kTop},
        {"a negative deduction stops at the top", kTop - 1, 1, 1.0f, -10, kTop},
        {"a factor that is not a number", 100, 1, kNaN, 10, 100},
    };
    for (const Case& c : cases) {
        auto stat = Scoring(c.score, c.multiplier, c.factor);
        EXPECT_EQ(stat->SubtractFromScore(c.points), 0) << c.what;
        EXPECT_EQ(stat->score, c.expected) << c.what;
    }
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(GameRecord, CountersWrapOrFloorAndPlayTimeSaturates) {
    struct Case {
        const char* what;
        std::function<void(GameStat&)> act;
        int64_t score;
        int multiplier;
        int level;
        int time;
    } cases[] = {
        {"AddToMultiplier 2 on 1", [](GameStat& s) { s.AddToMultiplier(2); }, 0, 1 + 2, 0, 0},
        {"SetMultiplier keeps any value", [](GameStat& s) { s.SetMultiplier(-4); }, 0, -4, 0, 0},
        {"the multiplier wraps", [](GameStat& s) { s.AddToMultiplier(INT_MAX); }, 0, INT_MIN, 0, 0},
        {"AddToLevel has no floor",
         [](GameStat& s) {
             s.level = 2;
             s.AddToLevel(-5);
         },
         0, 1, -3, 0},
        {"the level wraps",
         [](GameStat& s) {
             s.level = INT_MAX;
             s.AddToLevel(1);
         },
         0, 1, INT_MIN, 0},
        {"SetScore of -5 stores 0",
         [](GameStat& s) {
             s.score = 9;
             s.SetScore(-5);
         },
         0, 1, 0, 0},
        {"SetScore uses 64 bits", [](GameStat& s) { s.SetScore(1234567890123); }, 1234567890123, 1, 0, 0},
        {"SetLevel of -1 stores 0",
         [](GameStat& s) {
             s.level = 4;
             s.SetLevel(-1);
         },
         0, 1, 0, 0},
        {"SetLevel", [](GameStat& s) { s.SetLevel(9); }, 0, 1, 9, 0},
        {"frame times add up",
         [](GameStat& s) {
             s.AddToTime(1000);
             s.AddToTime(20);
             s.AddToTime(-5);
         },
         0, 1, 0, 1015},
        {"play time stops at the top",
         [](GameStat& s) {
             s.time = INT_MAX - 10;
             s.AddToTime(100);
             s.AddToTime(1);
         },
         0, 1, 0, INT_MAX},
        {"and at the bottom",
         [](GameStat& s) {
             s.time = INT_MIN + 10;
             s.AddToTime(-100);
         },
         0, 1, 0, INT_MIN},
    };
    for (const Case& c : cases) {
        GameStat stat;
        c.act(stat);
        EXPECT_EQ(stat.GetScore(), c.score) << c.what;
        EXPECT_EQ(stat.scoreMultiplier, c.multiplier) << c.what;
        EXPECT_EQ(stat.GetLevel(), c.level) << c.what;
        EXPECT_EQ(stat.GetTime(), c.time) << c.what;
    }
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(GameRecord, DigestCoversSixFieldsAfterThePadding) {
    auto stat = Example();
    EXPECT_EQ(stat->UpdateStatHash(), 0);
    EXPECT_EQ(stat->dataHash->hash, kExampleDigest);
    EXPECT_EQ(stat->CheckStatHash(), 1);

    struct Case {
        const char* what;
        std::function<void(GameStat&)> change;
        int stillVerifies;
    } cases[] = {
        {"score", [](GameStat& s) { s.AddToScore(1); }, 0},
        {"level", [](GameStat& s) { s.AddToLevel(1); }, 0},
        {"time", [](GameStat& s) { s.AddToTime(1); }, 0},
        {"date", [](GameStat& s) { s.SetDate("06 Mar 2007"); }, 0},
        {"cheat flag", [](GameStat& s) { s.SetCheat(1); }, 0},
        {"difficulty", [](GameStat& s) { s.SetDifficulty("normal"); }, 0},
        {"multiplier", [](GameStat& s) { s.SetMultiplier(5); }, 1},
        {"pack", [](GameStat& s) { s.pack = "other"; }, 1},
        {"point factor", [](GameStat& s) { s.difficultyPointModifier = 2.0f; }, 1},
        {"active flag", [](GameStat& s) { s.isActive = 0; }, 1},
    };
    for (const Case& c : cases) {
        auto changed = Example();
        changed->UpdateStatHash();
        c.change(*changed);
        EXPECT_EQ(changed->CheckStatHash(), c.stillVerifies) << c.what;
        // Changing a field never refreshes the digest by itself.
        EXPECT_EQ(changed->dataHash->hash, kExampleDigest) << c.what;
    }
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(GameRecord, DataToXMLWritesTheEightChildrenInOrder) {
    auto stat = Example();
    stat->UpdateStatHash();
    stat->scoreMultiplier = 7;  // not stored
    EXPECT_EQ(stat->DataToXML(),
              "<gameStat>\n"
              "\t<score>1200</score>\n"
              "\t<level>3</level>\n"
              "\t<time>65000</time>\n"
              "\t<date>05 Mar 2007</date>\n"
              "\t<cheatEnabled>0</cheatEnabled>\n"
              "\t<difficulty>Normal</difficulty>\n"
              "\t<hash>" +
                  std::string(kExampleDigest) +
                  "</hash>\n"
                  "\t<pack>classic</pack>\n"
                  "</gameStat>\n");

    // A fresh record holds no digest yet, and the element says so with an empty child.
    GameStat fresh;
    fresh.date = "01 Jan 2010";
    EXPECT_NE(fresh.DataToXML().find("\t<hash></hash>\n\t<pack></pack>\n"), std::string::npos);
}

TEST_F(GameRecord, StoredRecordReadsBackVerifiesAndWritesTheSameText) {
    const std::string stored = ReadFileToString(PiecesFixtures() + "stored_gamestat.xml", 1);
    ASSERT_FALSE(stored.empty());

    GameStat stat;
    stat.scoreMultiplier = 3;
    stat.difficultyPointModifier = 1.5f;
    stat.isActive = 0;
    EXPECT_EQ(stat.XMLtoData(stored), 0);
    EXPECT_EQ(stat.score, 9876543210);
    EXPECT_EQ(stat.level, 12);
    EXPECT_EQ(stat.time, 3456789);
    EXPECT_EQ(stat.date, "14 Nov 2009");
    EXPECT_EQ(stat.cheatEnabled, 0);
    EXPECT_EQ(stat.GetDifficlty(), "Hard & <Tricky>");
    EXPECT_EQ(stat.pack, "classic");
    EXPECT_EQ(stat.dataHash->hash, "97B53B500CF1B9265A755DCF1FCD43F0");
    // Not stored: these stay the record's own.
    EXPECT_EQ(stat.scoreMultiplier, 3);
    EXPECT_EQ(stat.difficultyPointModifier, 1.5f);
    EXPECT_EQ(stat.isActive, 0);

    EXPECT_EQ(stat.CheckStatHash(), 1);
    EXPECT_EQ(stat.DataToXML(), stored);
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(GameRecord, HandEditedRecordNoLongerVerifies) {
    const std::string stored = ReadFileToString(PiecesFixtures() + "stored_gamestat.xml", 1);
    ASSERT_FALSE(stored.empty());
    struct Case {
        const char* from;
        const char* to;
        int verifies;
    } cases[] = {
        {"<score>9876543210<", "<score>9876543211<", 0},
        {"<level>12<", "<level>13<", 0},
        {"<time>3456789<", "<time>3456788<", 0},
        {"14 Nov 2009", "15 Nov 2009", 0},
        {"<cheatEnabled>0<", "<cheatEnabled>1<", 0},
        {"Hard & &lt;Tricky&gt;", "Easy", 0},
        {"97B53B500CF1B9265A755DCF1FCD43F0", "97b53b500cf1b9265a755dcf1fcd43f0", 0},
        {"\t<hash>97B53B500CF1B9265A755DCF1FCD43F0</hash>\n", "", 0},
        // Outside the digest: the pack, and layout the reader ignores.
        {"classic", "another pack", 1},
        {"\t<score>", "\n  <score>", 1},
    };
    for (const Case& c : cases) {
        std::string edited = stored;
        const size_t at = edited.find(c.from);
        ASSERT_NE(at, std::string::npos) << c.from;
        edited.replace(at, std::string(c.from).size(), c.to);
        GameStat stat;
        stat.XMLtoData(edited);
        EXPECT_EQ(stat.CheckStatHash(), c.verifies) << c.from << " -> " << c.to;
    }
}

TEST_F(GameRecord, XMLtoDataOverwritesEveryStoredField) {
    const int64_t kBottom = std::numeric_limits<int64_t>::min();
    struct Case {
        const char* xml;
        int64_t score;
        int level;
        std::string difficulty;
        std::string hash;
    } cases[] = {
        {"", 0, 0, "", ""},
        {"<gameStat><level>4</level></gameStat>", 0, 4, "", ""},
        {"<score>12abc</score>", 12, 0, "", ""},
        {"<SCORE>5</Score>", 5, 0, "", ""},
        {"<score> -42</score><level>$1F</level>", -42, 31, "", ""},
        {"<score>%101</score>", 5, 0, "", ""},
        {"<score>-9223372036854775808</score>", kBottom, 0, "", ""},
        {"<score>1</score><score>2</score>", 2, 0, "", ""},
        {"<difficulty>Hard</difficulty><hash>ABC</hash>", 0, 0, "Hard", "ABC"},
        {"<hash></hash>", 0, 0, "", ""},
    };
    for (const Case& c : cases) {
        auto stat = Example();
        stat->UpdateStatHash();
        stat->scoreMultiplier = 4;
        stat->isActive = 0;
        EXPECT_EQ(stat->XMLtoData(c.xml), 0) << c.xml;
        EXPECT_EQ(stat->score, c.score) << c.xml;
        EXPECT_EQ(stat->level, c.level) << c.xml;
        EXPECT_EQ(stat->time, 0) << c.xml;
        EXPECT_EQ(stat->date, "") << c.xml;
        EXPECT_EQ(stat->cheatEnabled, 0) << c.xml;
        EXPECT_EQ(stat->difficulty, c.difficulty) << c.xml;
        EXPECT_EQ(stat->dataHash->hash, c.hash) << c.xml;
        EXPECT_EQ(stat->pack, "") << c.xml;
        EXPECT_EQ(stat->scoreMultiplier, 4) << c.xml;
        EXPECT_EQ(stat->isActive, 0) << c.xml;
    }
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(GameRecord, TextFieldsSurviveTheirEscapes) {
    struct Case {
        std::string written;
        std::string readBack;
    } cases[] = {
        {"<Hard>", "<Hard>"},
        {"tab\there", "tab\there"},
        {"two\nlines", "two\nlines"},
        {"fish & chips", "fish & chips"},
        // "&" is not escaped, so a literal escape sequence comes back decoded.
        {"&lt;", "<"},
        {"&line;", "\n"},
    };
    for (const Case& c : cases) {
        auto stat = Example();
        stat->difficulty = c.written;
        stat->pack = c.written;
        stat->date = c.written;
        GameStat copy;
        copy.XMLtoData(stat->DataToXML());
        EXPECT_EQ(copy.difficulty, c.readBack);
        EXPECT_EQ(copy.pack, c.readBack);
        EXPECT_EQ(copy.date, c.readBack);
        EXPECT_EQ(copy.score, 1200);
    }
}

TEST_F(GameRecord, CloneCopiesStoredFieldsAndTheDigestAsItStands) {
    auto source = Example();
    source->cheatEnabled = 1;
    source->scoreMultiplier = 6;
    source->difficultyPointModifier = 2.0f;
    source->UpdateStatHash();
    const std::string sourceDigest = source->dataHash->hash;
    source->score += 1;  // now stale: the copy must carry the stale digest, not a fresh one

    auto copy = std::make_shared<GameStat>();
    copy->difficultyPointModifier = 0.5f;
    copy->isActive = 0;
    const HashPtr oldHash = copy->dataHash;
    EXPECT_EQ(copy->Clone(source), 0);

    EXPECT_EQ(copy->DataToXML(), source->DataToXML());
    EXPECT_EQ(copy->scoreMultiplier, 6);
    EXPECT_EQ(copy->difficultyPointModifier, 0.5f);
    EXPECT_EQ(copy->isActive, 0);
    EXPECT_EQ(copy->CheckStatHash(), 0);
    // A digest of its own: re-digesting the source leaves the copy alone.
    EXPECT_NE(copy->dataHash, source->dataHash);
    EXPECT_NE(copy->dataHash, oldHash);
    source->UpdateStatHash();
    EXPECT_NE(source->dataHash->hash, sourceDigest);
    EXPECT_EQ(copy->dataHash->hash, sourceDigest);

    // A source without a digest object gives an empty digest text.
    source->dataHash = nullptr;
    EXPECT_EQ(copy->Clone(source), 0);
    ASSERT_NE(copy->dataHash, nullptr);
    EXPECT_EQ(copy->dataHash->hash, "");

    // Cloning a record onto itself keeps it whole.
    auto self = Example();
    self->UpdateStatHash();
    const std::string before = self->DataToXML();
    self->Clone(self);
    EXPECT_EQ(self->DataToXML(), before);
    EXPECT_EQ(g_DebugLog, "");

    // No source: logged, nothing copied.
    copy->Clone(nullptr);
    EXPECT_EQ(g_DebugLog, std::string("gamestats:GameStat.Clone() ") + kNullAccessMessage + "\n");
    EXPECT_EQ(copy->score, 1201);
}

TEST_F(GameRecord, SetForContinueResetsForANewRunAndDigestsTheEmptyDate) {
    auto stat = Example();
    stat->SetCheat(1);
    stat->SetDifficulty("Hard");
    stat->scoreMultiplier = 4;
    stat->difficultyPointModifier = 2.5f;
    stat->isActive = 0;
    EXPECT_EQ(stat->SetForContinue(), 0);

    EXPECT_EQ(stat->score, 0);
    EXPECT_EQ(stat->level, 1);
    EXPECT_EQ(stat->time, 0);
    EXPECT_EQ(stat->date, "");
    EXPECT_EQ(stat->GetCheat(), 0);
    EXPECT_EQ(stat->difficulty, "Normal");
    EXPECT_EQ(stat->dataHash->hash, kContinueDigest);
    EXPECT_EQ(stat->CheckStatHash(), 1);
    // Kept.
    EXPECT_EQ(stat->scoreMultiplier, 4);
    EXPECT_EQ(stat->pack, "classic");
    EXPECT_EQ(stat->difficultyPointModifier, 2.5f);
    EXPECT_EQ(stat->isActive, 0);
}

TEST_F(GameRecord, AppendNewGameStatReturnsALongerCopy) {
    std::vector<GameStatPtr> none;
    auto one = AppendNewGameStat(none);
    EXPECT_TRUE(none.empty());
    ASSERT_EQ(one.size(), 1u);
    ASSERT_NE(one[0], nullptr);
    EXPECT_EQ(one[0]->difficulty, "Normal");

    std::vector<GameStatPtr> two = {Example(), Example()};
    auto three = AppendNewGameStat(two);
    EXPECT_EQ(two.size(), 2u);
    ASSERT_EQ(three.size(), 3u);
    EXPECT_EQ(three[0], two[0]);
    EXPECT_EQ(three[1], two[1]);
    ASSERT_NE(three[2], nullptr);
    EXPECT_NE(three[2], two[0]);
    EXPECT_NE(three[2], two[1]);
    EXPECT_EQ(three[2]->score, 0);
    EXPECT_EQ(three[2]->isActive, 1);
}

TEST_F(GameRecord, WithoutADigestObjectEachOperationLogsUnderItsOwnLabel) {
    struct Case {
        const char* label;
        std::function<void(GameStat&)> act;
    } cases[] = {
        {"gamestats:GameStat.UpdateStatHash() ", [](GameStat& s) { EXPECT_EQ(s.UpdateStatHash(), 0); }},
        {"gamestats:GameStat.CheckStatHash() ", [](GameStat& s) { EXPECT_EQ(s.CheckStatHash(), 0); }},
        {"gamestats:GameStat.XMLToData() ", [](GameStat& s) { EXPECT_EQ(s.XMLtoData("<score>1</score>"), 0); }},
        {"gamestats:GameStat.DataToXML() ", [](GameStat& s) { EXPECT_EQ(s.DataToXML(), ""); }},
        // The reset's digest step has a handler of its own.
        {"gamestats:GameStat.UpdateStatHash() ", [](GameStat& s) { EXPECT_EQ(s.SetForContinue(), 0); }},
    };
    for (const Case& c : cases) {
        g_DebugLog.clear();
        GameStat stat;
        stat.dataHash = nullptr;
        c.act(stat);
        EXPECT_EQ(g_DebugLog, std::string(c.label) + kNullAccessMessage + "\n");
    }
}

}  // namespace
