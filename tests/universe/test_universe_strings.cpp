// Localised texts: the strings table as start-up loads it and the lookup of an English
// wording in the current language with its fallbacks.
#include "pack/loadingscreen.h"
#include "platform/graphics.h"
#include "universe_support.h"

namespace {

class Strings : public UniverseTest {};

TEST_F(Strings, StartUpKeepsOneWholeElementPerEntryInFileOrder) {
    Universe& u = StartUniverse();
    EXPECT_EQ(u.languageStringsXML, ReadText(dataFolder + "data/strings.xml"));
    ASSERT_EQ(u.languageStringsArray.size(), 8u);
    EXPECT_EQ(u.languageStringsArray[0],
              "<string>\n\t\t<name>New Game</name>\n\t\t<en>New Game</en>\n\t\t<fr>Nouvelle partie</fr>\n\t</string>");
    EXPECT_EQ(GetDataFromXML(u.languageStringsArray[7], "name"), "Escaped <Key>");
}

TEST_F(Strings, LookupsFallBackToEnglishThenToTheKey) {
    Universe& u = StartUniverse();
    struct Case {
        const char* language;
        const char* key;
        const char* expected;
    };
    const Case cases[] = {
        {"fr", "New Game", "Nouvelle partie"},  // of two entries with one name the first wins
        {"en", "New Game", "New Game"},
        {"FR", "New Game", "Nouvelle partie"},  // language tags ignore case
        {"de", "Options", "Einstellungen"},
        {"fr", "Options", "Settings"},  // no French: the English text
        {"", "Options", "Settings"},
        {"fr", "Only German", "Only German"},  // neither French nor English: the first child, the key
        {"en", "Two Lines", "First\nSecond"},
        {"fr", "Language",
         "Fran\xe7"
         "ais"},
        {"en", "Escaped <Key>", "Angle <ok>"},
        {"fr", "Not In The File", "Not In The File"},
        {"fr", "new game", "new game"},  // keys compare exactly
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.language) + " / " + c.key);
        g_language = c.language;
        EXPECT_EQ(u.GetLocalizedString(c.key), c.expected);
    }
    EXPECT_EQ(g_DebugLog, "");
}

// The screens below the universe are handed its lookup; the pack's loading screen is one.
TEST_F(Strings, TheLoadingScreenShowsTheCurrentUniversesTexts) {
    Universe& u = StartUniverse();
    g_language = "fr";
    EXPECT_EQ(LocalizedText("New Game"), "Nouvelle partie");
    EXPECT_EQ(LocalizedText("Not In The File"), "Not In The File");

    Graphics(1024, 768, 0, 60);
    StartRecording();
    EXPECT_EQ(DrawLoadingScreen("New Game", nullptr, 77, 77, 77, LocalizedText), 0);
    std::vector<std::string> shown;
    for (const DrawCall& call : StopRecording()) {
        if (call.kind == DrawKind::Text && !call.text.empty()) shown.push_back(call.text);
    }
    EndGraphics();
    EXPECT_EQ(shown, (std::vector<std::string>{"LOADING", "Nouvelle partie"}));
    EXPECT_EQ(g_DebugLog, "");

    // Without a universe the lookup raises, and the loading screen reports that.
    u.Unlink();
    g_gameUniverse = nullptr;
    try {
        LocalizedText("New Game");
        ADD_FAILURE() << "nothing raised";
    } catch (const TRuntimeException& e) {
        EXPECT_EQ(e.error, kNullAccessMessage);
    }
}

}  // namespace
