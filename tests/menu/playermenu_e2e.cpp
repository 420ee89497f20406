// The player menu as a player uses it, through the end-to-end harness: creating a player with
// blanks around its name and with a password, names that are refused and the entry's limits,
// choosing a protected player, deleting and resetting, and a copied folder that is never deleted
// in place of its namesake. The player files and the preferences are compared byte for byte,
// with their modes, against files worked out here: the layout by hand, the digests by the
// system's md5sum.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/e2e.h"
#include "support/support.h"

namespace {

using namespace e2e;
namespace fs = std::filesystem;

const std::string kTitle = "Brondelvix 2!";
const std::string kDefault = "Nameless Wonder";
const std::string kPlayers = "data/players/";
const std::string kPrefs = "data/prefs.xml";

void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// --- The files as they must be.

struct Record {
    std::string score, level, time, date, cheat, difficulty, pack;
};

// A player file as the game writes it: the warning, the player's element with its two digests,
// then each record after an empty line, with its own digest.
std::string PlayerFile(const std::string& name, const std::string& password, const std::vector<Record>& records = {}) {
    std::string recordDigests, recordText;
    for (const Record& r : records) {
        const std::string digest =
            Md5Upper("nothing to see here, friend." + r.score + r.level + r.time + r.date + r.cheat + r.difficulty);
        recordDigests += digest;
        recordText += "\n<gameStat>\n\t<score>" + r.score + "</score>\n\t<level>" + r.level + "</level>\n\t<time>" +
                      r.time + "</time>\n\t<date>" + r.date + "</date>\n\t<cheatEnabled>" + r.cheat +
                      "</cheatEnabled>\n\t<difficulty>" + r.difficulty + "</difficulty>\n\t<hash>" + digest +
                      "</hash>\n\t<pack>" + r.pack + "</pack>\n</gameStat>\n";
    }
    return "<!-- CAREFUL!  IF YOU CHANGE THESE VALUES, YOUR PLAYER ACCOUNT WILL STOP WORKING! -->\n<player>\n\t<name>" +
           name + "</name>\n\t<playerIsTamperedWith>0</playerIsTamperedWith>\n\t<password>" +
           Md5Upper(name + "|Here comes nonsense to fill a digest.  4471qkw%&!Z^|" + password + "|") +
           "</password>\n\t<gameStatsHash>" +
           Md5Upper("kindly leave this alone.  Tampering is lame. %!@K^Tzq59173|" + name + recordDigests) +
           "</gameStatsHash>\n</player>\n" + recordText;
}

// The shipped default preferences, naming another current player, in another language.
std::string Prefs(const std::string& currentPlayer, const std::string& language = "en") {
    std::ifstream in(Resources() + "data/default_prefs.xml", std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    std::string prefs = text.str();
    const std::string from = "<currentPlayerName>" + kDefault + "</currentPlayerName>";
    prefs.replace(prefs.find(from), from.size(), "<currentPlayerName>" + currentPlayer + "</currentPlayerName>");
    const std::string english = "<language>en</language>";
    prefs.replace(prefs.find(english), english.size(), "<language>" + language + "</language>");
    return prefs;
}

std::vector<std::string> Listing(const GameRun& game, const std::string& relative) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(game.UserFolder() + relative)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// --- What the screens look like (1024 x 768, the pointer moved out of the way).

bool Green(Rgb c) { return c.g > 35 && c.g > 3 * c.r && c.g > 3 * c.b; }

// The menu background: the orange of the title across the top.
bool OnMenuBackground(const Screenshot& s) {
    return s.Count({650, 60, 250, 90}, [](Rgb c) { return c.r > 180 && c.g > 80 && c.b < 90; }) > 1000;
}

// The green stretches down a column inside the menu box (its green rim left out): one per
// button face the column crosses.
struct Stretch {
    int from, to;
};
std::vector<Stretch> GreenDown(const Screenshot& s, int x) {
    std::vector<Stretch> stretches;
    bool inside = false;
    for (int y = s.Height() / 4 + 8; y < s.Height() * 3 / 4 - 8; ++y) {
        const bool green = Green(s.At(x, y));
        if (green && !inside) stretches.push_back({y, y});
        if (green) stretches.back().to = y;
        inside = green;
    }
    return stretches;
}

// The text entry: its box tints the whole middle of the screen green.
bool EntryShown(const Screenshot& s) { return OnMenuBackground(s) && s.All({270, 200, 30, 30}, Green); }

// The player menu: five buttons of the 400-wide column, the last one row apart.
bool PlayerMenuShown(const Screenshot& s) {
    if (!OnMenuBackground(s) || EntryShown(s)) return false;
    const std::vector<Stretch> rows = GreenDown(s, 312);
    if (rows.size() != 5) return false;
    const int gap = rows[1].from - rows[0].to;
    return rows[4].from - rows[3].to > 2 * gap;
}

// Another screen of the column: the main menu, whatever buttons it offers.
bool MainMenuShown(const Screenshot& s) {
    return OnMenuBackground(s) && !EntryShown(s) && !PlayerMenuShown(s) && GreenDown(s, 312).size() >= 3;
}

// One row of the 400-wide column (a message, or the chooser's entry) and, down the middle of
// the screen, that many faces: a message with OK (2), a question with OK and Cancel (3), the
// chooser with its two arrows, OK and Cancel (5).
std::function<bool(const Screenshot&)> BoxWith(size_t middleFaces) {
    return [middleFaces](const Screenshot& s) {
        return OnMenuBackground(s) && !EntryShown(s) && GreenDown(s, 312).size() == 1 &&
               GreenDown(s, 512).size() == middleFaces;
    };
}
const auto MessageShown = BoxWith(2);
const auto QuestionShown = BoxWith(3);
const auto ChooserShown = BoxWith(5);

// The typed text, in grey at the middle of the entry box; the captions under the menu.
const Region kEntryText{262, 350, 500, 70};
const Region kCaptions{100, 590, 824, 80};

// --- Driving the game.

GameOptions Options() { return {.frameMs = 40}; }

// The game started on the shipped pack with the shipped preferences but for the current player
// and the language, after the players' files the test put in, and brought from the main menu to
// the player menu.
void StartInPlayerMenu(GameRun& game, const std::string& currentPlayer = kDefault, const std::string& language = "en") {
    game.SeedUserFile(kPrefs, Prefs(currentPlayer, language));
    ASSERT_TRUE(game.Start());
    ASSERT_TRUE(game.WaitForWindow(kTitle));
    game.MoveTo(1010, 750);
    ASSERT_TRUE(game.WaitForScreen("the main menu", MainMenuShown));
    game.Tap("p");
    ASSERT_TRUE(game.WaitForScreen("the player menu", PlayerMenuShown));
}

// What a key does to the text an entry shows.
enum class Seen { Shown, Blank, Refused };

// A key for a text entry once it waits for one. The entry takes one key a frame and flushes the
// keyboard before each: a key that came while it drew would be lost, as for a player that fast.
void EntryKey(GameRun& game, const std::string& key, Seen seen) {
    const Screenshot before = game.Capture();
    game.Tap(key);
    if (seen == Seen::Shown) {
        ASSERT_TRUE(game.WaitForScreen("the entry showing \"" + key + "\"", [&](const Screenshot& s) {
            return EntryShown(s) && s.Differences(before, kEntryText, 30) > 10;
        }));
    } else {
        Sleep(700);
    }
    if (seen == Seen::Refused) {
        EXPECT_EQ(game.Capture().Differences(before, kEntryText, 30), 0) << "\"" << key << "\" was taken";
    }
    Sleep(300);
}
void EntryKeys(GameRun& game, const std::string& text, Seen seen) {
    for (char c : text) EntryKey(game, std::string(1, c), c == ' ' ? Seen::Blank : seen);
}
// Enter (or Escape), and the entry gone.
void EndEntry(GameRun& game, const std::string& key = "Return") {
    const Screenshot before = game.Capture();
    game.Tap(key);
    ASSERT_TRUE(game.WaitForScreen("the entry ended", [&](const Screenshot& s) {
        return s.Differences(before, {100, 200, 824, 380}, 30) > 10;
    }));
}
// A whole entry: the text typed as it shows, then Enter.
void Enter(GameRun& game, const std::string& text) {
    ASSERT_TRUE(game.WaitForScreen("a text entry", EntryShown));
    Sleep(300);
    EntryKeys(game, text, Seen::Shown);
    EndEntry(game);
}

void Leave(GameRun& game) {
    game.Tap("Escape");
    ASSERT_TRUE(game.WaitForScreen("the main menu", MainMenuShown));
    game.Tap("Escape");
    ASSERT_TRUE(game.WaitForExit());
    EXPECT_EQ(game.ExitCode(), 0) << game.ExitDescription() << "\n" << game.Stderr();
    EXPECT_EQ(game.Stderr(), "");
    EXPECT_EQ(game.UserFileMode("bx2_error_log.txt"), -1);
}

TEST(CreatingPlayers, RookWithBlanksAroundIsWrittenTrimmedWithItsDigestsAndBecomesCurrent) {
    GameRun game(Options());
    StartInPlayerMenu(game);
    const Screenshot menu = game.Capture();
    game.SaveScreenshot(menu, "player-menu");

    game.Tap("n");
    Enter(game, " Rook ");
    ASSERT_TRUE(game.WaitForScreen("\"Player Created\"", MessageShown));
    game.SaveScreenshot("player-created");
    game.Tap("Return");
    ASSERT_TRUE(game.WaitForScreen("the main menu", MainMenuShown));
    game.SaveScreenshot("main-menu-after");

    EXPECT_EQ(Listing(game, kPlayers), (std::vector<std::string>{kDefault, "Rook"}));
    EXPECT_EQ(game.ReadUserFile(kPlayers + "Rook/player.xml"), PlayerFile("Rook", ""));
    EXPECT_EQ(game.UserFileMode(kPlayers + "Rook/player.xml"), 0444);
    EXPECT_EQ(game.ReadUserFile(kPrefs), Prefs("Rook"));
    EXPECT_EQ(game.UserFileMode(kPrefs), 0744);

    // The caption under the menu now names Rook.
    game.Tap("p");
    ASSERT_TRUE(game.WaitForScreen("the player menu again", PlayerMenuShown));
    const Screenshot again = game.Capture();
    game.SaveScreenshot(again, "player-menu-rook");
    EXPECT_GT(again.Differences(menu, kCaptions, 60), 100);
    EXPECT_EQ(again.Differences(menu, {300, 250, 424, 260}, 8), 0) << "the buttons are the same";
    Leave(game);
}

// A name typed after the button, refused with a message, and the player menu back with no player
// made and the default player's file as it was.
void Refuse(GameRun& game, const char* button, const std::string& typed, const char* shot) {
    SCOPED_TRACE(typed);
    const std::string defaultFile = game.ReadUserFile(kPlayers + kDefault + "/player.xml").value_or("");
    game.Tap(button);
    Enter(game, typed);
    ASSERT_TRUE(game.WaitForScreen("the message", MessageShown));
    game.SaveScreenshot(shot);
    game.Tap("Return");
    ASSERT_TRUE(game.WaitForScreen("the player menu", PlayerMenuShown));
    EXPECT_EQ(Listing(game, kPlayers), std::vector<std::string>{kDefault});
    EXPECT_EQ(game.ReadUserFile(kPlayers + kDefault + "/player.xml"), defaultFile);
}

// A name typed after the button, the player made and current, and the main menu back.
void Create(GameRun& game, const char* button, const std::string& name) {
    game.Tap(button);
    Enter(game, name);
    ASSERT_TRUE(game.WaitForScreen("\"Player Created\"", MessageShown));
    game.Tap("Return");
    ASSERT_TRUE(game.WaitForScreen("the main menu", MainMenuShown));
    EXPECT_EQ(game.ReadUserFile(kPlayers + name + "/player.xml"), PlayerFile(name, ""));
    EXPECT_EQ(game.ReadUserFile(kPrefs), Prefs(name));
}

TEST(CreatingPlayers, EmptyBlankAndListedNamesAreRefusedButAnotherLetterCaseIsAnotherPlayer) {
    GameRun game(Options());
    StartInPlayerMenu(game);
    Refuse(game, "n", "", "no-name-entered");
    // With a password: the message comes before any password is asked.
    Refuse(game, "p", "   ", "blank-name");
    Refuse(game, "n", kDefault, "player-already-exists");
    Create(game, "n", "nameless wonder");
    EXPECT_EQ(Listing(game, kPlayers), (std::vector<std::string>{kDefault, "nameless wonder"}));
    game.Tap("Escape");
    ASSERT_TRUE(game.WaitForExit());
    EXPECT_EQ(game.ExitCode(), 0) << game.ExitDescription();
    EXPECT_EQ(game.Stderr(), "");
}

TEST(CreatingPlayers, NamesThePlayerFileWouldGiveBackChangedAreRefusedButAnAmpersandIsNot) {
    GameRun game(Options());
    StartInPlayerMenu(game);
    Refuse(game, "n", "&lt;b", "could-not-create-lt");
    Refuse(game, "p", "&gt;", "could-not-create-gt");
    Refuse(game, "n", "a&tab;", "could-not-create-tab");
    Refuse(game, "p", "&line;", "could-not-create-line");
    Create(game, "n", "Rock&Roll");
    EXPECT_EQ(Listing(game, kPlayers), (std::vector<std::string>{kDefault, "Rock&Roll"}));
    game.Tap("Escape");
    ASSERT_TRUE(game.WaitForExit());
    EXPECT_EQ(game.ExitCode(), 0) << game.ExitDescription();
    EXPECT_EQ(game.Stderr(), "");
}

TEST(CreatingPlayers, TheEntryStopsAtSixteenCharactersAndRefusesFileNameCharacters) {
    GameRun game(Options());
    StartInPlayerMenu(game);
    game.Tap("n");
    ASSERT_TRUE(game.WaitForScreen("the name entry", EntryShown));
    Sleep(300);
    EntryKeys(game, "abcdefgh", Seen::Shown);
    EntryKeys(game, "*+=[]{}/\\<>.:?\"", Seen::Refused);
    EntryKeys(game, "ijklmnop", Seen::Shown);
    game.SaveScreenshot("sixteen-characters");
    EntryKeys(game, "qQ", Seen::Refused);
    game.Tap("Return");
    ASSERT_TRUE(game.WaitForScreen("\"Player Created\"", MessageShown));
    game.Tap("Return");
    ASSERT_TRUE(game.WaitForScreen("the main menu", MainMenuShown));

    EXPECT_EQ(Listing(game, kPlayers), (std::vector<std::string>{kDefault, "abcdefghijklmnop"}));
    EXPECT_EQ(game.ReadUserFile(kPlayers + "abcdefghijklmnop/player.xml"), PlayerFile("abcdefghijklmnop", ""));
    EXPECT_EQ(game.ReadUserFile(kPrefs), Prefs("abcdefghijklmnop"));
    game.Tap("Escape");
    ASSERT_TRUE(game.WaitForExit());
}

TEST(CreatingPlayers, WithAPasswordAMismatchMakesNothingAndAMatchIsNeverRememberedAsCurrent) {
    GameRun game(Options());
    StartInPlayerMenu(game);

    game.Tap("p");
    Enter(game, "Vex");
    ASSERT_TRUE(game.WaitForScreen("the first password entry", EntryShown));
    Sleep(300);
    EntryKeys(game, "abc", Seen::Shown);
    game.SaveScreenshot("password-masked");
    EndEntry(game);
    Enter(game, "ABC");
    ASSERT_TRUE(game.WaitForScreen("\"Passwords Do Not Match\"", MessageShown));
    game.SaveScreenshot("passwords-do-not-match");
    EXPECT_EQ(Listing(game, kPlayers), std::vector<std::string>{kDefault});
    game.Tap("Return");
    ASSERT_TRUE(game.WaitForScreen("the player menu", PlayerMenuShown));

    game.Tap("p");
    Enter(game, "Vex");
    Enter(game, "s3cret");
    Enter(game, "s3cret");
    ASSERT_TRUE(game.WaitForScreen("\"Player Created\"", MessageShown));
    game.Tap("Return");
    ASSERT_TRUE(game.WaitForScreen("the main menu", MainMenuShown));

    EXPECT_EQ(Listing(game, kPlayers), (std::vector<std::string>{kDefault, "Vex"}));
    EXPECT_EQ(game.ReadUserFile(kPlayers + "Vex/player.xml"), PlayerFile("Vex", "s3cret"));
    EXPECT_EQ(game.UserFileMode(kPlayers + "Vex/player.xml"), 0444);
    EXPECT_EQ(game.ReadUserFile(kPrefs), Prefs(kDefault));
    EXPECT_EQ(game.UserFileMode(kPrefs), 0744);
    game.Tap("Escape");
    ASSERT_TRUE(game.WaitForExit());
    EXPECT_EQ(game.Stderr(), "");
}

TEST(ChoosingPlayers, InGermanAProtectedPlayerIsChosenOnlyWithItsPasswordWhichEscapeMayEnd) {
    GameRun game(Options());
    game.SeedUserFile(kPlayers + kDefault + "/player.xml", PlayerFile(kDefault, ""), 0444);
    game.SeedUserFile(kPlayers + "Vex/player.xml", PlayerFile("Vex", "s3cret"), 0444);
    // The chooser shows the default player as "Namenloses Wunder"; the keys are the same.
    StartInPlayerMenu(game, kDefault, "de");
    const Screenshot before = game.Capture();

    // Listed as Nameless Wonder, Vex; the chooser opens on the current player and Up wraps.
    for (const char* typed : {"wrong", "s3cret"}) {
        game.Tap("u");
        ASSERT_TRUE(game.WaitForScreen("the chooser", ChooserShown));
        game.SaveScreenshot(std::string("chooser-") + typed);
        const Screenshot opened = game.Capture();
        game.Tap("Up");
        ASSERT_TRUE(game.WaitForScreen("the chooser showing Vex", [&](const Screenshot& s) {
            return ChooserShown(s) && s.Differences(opened, {312, 310, 400, 36}, 30) > 10;
        }));
        game.Tap("Return");
        ASSERT_TRUE(game.WaitForScreen("the password entry", EntryShown));
        Sleep(300);
        EntryKeys(game, typed, Seen::Shown);
        game.SaveScreenshot(std::string("password-") + typed);
        if (std::string(typed) == "wrong") {
            EndEntry(game);
            ASSERT_TRUE(game.WaitForScreen("\"Incorrect Password\"", MessageShown));
            game.SaveScreenshot("incorrect-password");
            game.Tap("Return");
            ASSERT_TRUE(game.WaitForScreen("the player menu", PlayerMenuShown));
            EXPECT_EQ(game.Capture().Differences(before, kCaptions, 60), 0) << "the default player is current";
        } else {
            EndEntry(game, "Escape");
        }
    }
    ASSERT_TRUE(game.WaitForScreen("the main menu", MainMenuShown));
    EXPECT_EQ(game.ReadUserFile(kPrefs), Prefs(kDefault, "de"));
    game.Tap("p");
    ASSERT_TRUE(game.WaitForScreen("the player menu", PlayerMenuShown));
    game.SaveScreenshot("vex-current");
    EXPECT_GT(game.Capture().Differences(before, kCaptions, 60), 100) << "Vex is current";
    Leave(game);
}

TEST(DeletingPlayers, CancelKeepsOkDeletesAndResetKeepsTheRecordsButNotTheSavedGame) {
    GameRun game(Options());
    const std::vector<Record> records = {{"1200", "3", "65000", "05 Mar 2007", "0", "Normal", "classic"},
                                         {"350", "1", "9000", "14 Nov 2009", "1", "Hard", "classic"}};
    const std::string defaultFile = PlayerFile(kDefault, "", records);
    game.SeedUserFile(kPlayers + kDefault + "/player.xml", defaultFile, 0444);
    game.SeedUserFile(kPlayers + kDefault + "/save_classic.xml", "<saveData></saveData>\n", 0444);
    game.SeedUserFile(kPlayers + "Alex/player.xml", PlayerFile("Alex", "pw"), 0444);
    game.SeedUserFile(kPlayers + "Bea/player.xml", PlayerFile("Bea", ""), 0444);
    StartInPlayerMenu(game, "Bea");

    game.Tap("d");
    ASSERT_TRUE(game.WaitForScreen("the question", QuestionShown));
    game.SaveScreenshot("delete-bea");
    game.Tap("Escape");
    ASSERT_TRUE(game.WaitForScreen("the player menu", PlayerMenuShown));
    EXPECT_EQ(Listing(game, kPlayers), (std::vector<std::string>{"Alex", "Bea", kDefault}));

    game.Tap("d");
    ASSERT_TRUE(game.WaitForScreen("the question", QuestionShown));
    game.Tap("Return");
    ASSERT_TRUE(game.WaitForScreen("the player menu", PlayerMenuShown));
    game.SaveScreenshot("bea-deleted");
    EXPECT_EQ(Listing(game, kPlayers), (std::vector<std::string>{"Alex", kDefault}));

    // The default player is current now, and is reset instead.
    game.Tap("d");
    ASSERT_TRUE(game.WaitForScreen("the question", QuestionShown));
    game.SaveScreenshot("reset-default");
    game.Tap("Return");
    ASSERT_TRUE(game.WaitForScreen("the player menu", PlayerMenuShown));
    ASSERT_TRUE(game.WaitUntil("the saved game gone", [&] { return Listing(game, kPlayers + kDefault).size() == 1; }));
    EXPECT_EQ(Listing(game, kPlayers + kDefault), std::vector<std::string>{"player.xml"});
    EXPECT_EQ(game.ReadUserFile(kPlayers + kDefault + "/player.xml"), defaultFile);
    EXPECT_EQ(game.UserFileMode(kPlayers + kDefault + "/player.xml"), 0444);
    EXPECT_EQ(game.ReadUserFile(kPlayers + "Alex/player.xml"), PlayerFile("Alex", "pw"));

    game.Tap("Escape");
    ASSERT_TRUE(game.WaitForScreen("the main menu", MainMenuShown));
    EXPECT_EQ(game.ReadUserFile(kPrefs), Prefs(kDefault));
    game.Tap("Escape");
    ASSERT_TRUE(game.WaitForExit());
    EXPECT_EQ(game.Stderr(), "");
}

TEST(DeletingPlayers, APlayerReadFromACopiedFolderNeverTakesItsNamesakesFolder) {
    GameRun game(Options());
    game.SeedUserFile(kPlayers + kDefault + "/player.xml", PlayerFile(kDefault, ""), 0444);
    game.SeedUserFile(kPlayers + "Rook/player.xml", PlayerFile("Rook", ""), 0444);
    game.SeedUserFile(kPlayers + "Rook copy/player.xml", PlayerFile("Rook", ""), 0444);
    // Of the two players named Rook the later in the listing is current: the copy.
    StartInPlayerMenu(game, "Rook");

    game.Tap("d");
    ASSERT_TRUE(game.WaitForScreen("the question", QuestionShown));
    game.SaveScreenshot("delete-rook-copy");
    game.Tap("Return");
    ASSERT_TRUE(game.WaitForScreen("the player menu", PlayerMenuShown));
    Sleep(500);
    EXPECT_EQ(Listing(game, kPlayers), (std::vector<std::string>{kDefault, "Rook", "Rook copy"}));
    EXPECT_EQ(game.ReadUserFile(kPlayers + "Rook/player.xml"), PlayerFile("Rook", ""));
    EXPECT_EQ(game.ReadUserFile(kPlayers + "Rook copy/player.xml"), PlayerFile("Rook", ""));
    Leave(game);
    EXPECT_EQ(game.ReadUserFile(kPrefs), Prefs("Rook"));
}

}  // namespace
