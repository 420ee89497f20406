// The error-code table's loader: entries in file order with the spare entry, messages in the
// chosen language, and what a missing file or one that starts with an entry leaves.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "core/globals.h"
#include "support/game_test.h"
#include "text/parser.h"

namespace {

std::vector<std::string> LogLines() { return DebugLogLines(); }

// Every test reads its data folder from a fresh folder, with an empty debug log and an empty
// error-code table.
class LoadErrorCodesTest : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        ASSERT_FALSE(ScratchPath().empty());
        folder_ = ScratchPath() + "/";
        g_dataPath = folder_;
    }
    std::string Path(const std::string& name) const { return folder_ + name; }
    void Put(const std::string& name, const std::string& text) const {
        FILE* f = std::fopen(Path(name).c_str(), "wb");
        ASSERT_NE(f, nullptr) << name;
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
    }

private:
    std::string folder_;
};

TEST_F(LoadErrorCodesTest, FixtureLoadsInFileOrderWithOneSpareEntry) {
    g_dataPath = FixturePath("text/");
    struct Entry {
        int code;
        int severity;
        std::string message;
    };
    struct Case {
        const char* language;
        std::vector<Entry> entries;
    };
    const Case cases[] = {
        {"en",
         {{1, 0, "Progress note"},
          {-13, 2, "File missing"},
          {-14, 4, "Nicht gefunden"},  // only a German text: it stands for every language
          {-13, 1, "Shadowed by the first -13"},
          {15, 0, "<message>plain</message>"},  // no language child: the element as it is
          {0, 0, ""}}},                         // the spare entry
        {"fr",
         {{1, 0, "Note de progression"},
          {-13, 2, "Fichier manquant"},
          {-14, 4, "Nicht gefunden"},
          {-13, 1, "Shadowed by the first -13"},
          {15, 0, "<message>plain</message>"},
          {0, 0, ""}}},
        {"de",  // no German text for the first two: English stands in
         {{1, 0, "Progress note"},
          {-13, 2, "File missing"},
          {-14, 4, "Nicht gefunden"},
          {-13, 1, "Shadowed by the first -13"},
          {15, 0, "<message>plain</message>"},
          {0, 0, ""}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.language);
        EXPECT_EQ(LoadErrorCodes("data/", c.language), 0);
        ASSERT_EQ(g_errorcode.size(), c.entries.size());
        ASSERT_EQ(g_errorseverity.size(), c.entries.size());
        ASSERT_EQ(g_errormessage.size(), c.entries.size());
        for (size_t i = 0; i < c.entries.size(); ++i) {
            EXPECT_EQ(g_errorcode[i], c.entries[i].code) << i;
            EXPECT_EQ(g_errorseverity[i], c.entries[i].severity) << i;
            EXPECT_EQ(g_errormessage[i], c.entries[i].message) << i;
        }
    }
    // A code defined twice answers with its first definition.
    EXPECT_EQ(GetErrorSeverity(-13), 2);
    EXPECT_EQ(GetErrorMessage(-13), "File missing");
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(LoadErrorCodesTest, EntryCountFollowsWhereTheFileStarts) {
    const std::string entryA =
        "<errorCode><code>-11</code><severity>3</severity><message><en>A</en></message></errorCode>\n";
    const std::string entryB =
        "<errorCode><code>-12</code><severity>1</severity><message><en>B</en></message></errorCode>\n";
    struct Case {
        const char* what;
        std::string text;
        std::vector<int> codes;
    };
    const Case cases[] = {
        {"root element first", "<codes>\n" + entryA + entryB + "</codes>\n", {-11, -12, 0}},
        // An entry at the very first character is not counted, so no spare entry is made.
        {"entry first", entryA + entryB, {-11, -12}},
        {"tag in small letters", "<codes><errorcode><code>5</code></errorcode></codes>", {0}},
        {"no entries", "", {0}},
    };
    std::filesystem::create_directory(Path("data"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Put("data/errorcodes.xml", c.text);
        EXPECT_EQ(LoadErrorCodes("data/", "en"), 0);
        EXPECT_EQ(g_errorcode, c.codes);
        EXPECT_EQ(g_errorseverity.size(), c.codes.size());
        EXPECT_EQ(g_errormessage.size(), c.codes.size());
    }
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(LoadErrorCodesTest, MissingFileLeavesOneEmptyEntryAndTwoLogLines) {
    EXPECT_EQ(LoadErrorCodes("data/", "en"), 0);
    EXPECT_EQ(g_errorcode, std::vector<int>{0});
    EXPECT_EQ(g_errorseverity, std::vector<int>{0});
    EXPECT_EQ(g_errormessage, std::vector<std::string>{""});
    std::string message = "An error occured.  (Specifics are unavailable.) (" + Path("data/errorcodes.xml") + ")";
    EXPECT_EQ(LogLines(), (std::vector<std::string>{message, "io:ReadFileToString() " + message}));
}

}  // namespace
