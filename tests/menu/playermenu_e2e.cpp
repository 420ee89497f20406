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
#include <string>
#include <thread>
#include <vector>

#include "support/e2e.h"
#include "support/e2e_screens.h"
#include "support/support.h"

namespace {

using namespace e2e;
namespace fs = std::filesystem;

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
    return ShippedPrefs({{"currentPlayerName", currentPlayer}, {"language", language}});
}

std::vector<std::string> Listing(const GameRun& game, const std::string& relative) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(game.UserFolder() + relative)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// The captions under the menu (1024 x 768).
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
    Park(game);
    ASSERT_TRUE(game.WaitForScreen("the main menu", MainMenuShown(game)));
    game.Tap("p");
    ASSERT_TRUE(game.WaitForScreen("the player menu", PlayerMenuShown(game)));
}

// Keys an entry refuses: each is taken in and its frame drawn, and the text stays as it was.
void RefusedKeys(GameRun& game, const std::string& keys) {
    for (const char c : keys) {
        const std::string key(1, c);
        const Screenshot before = game.Capture();
        const long run = game.FramesRun();
        game.Tap(key);
        ASSERT_TRUE(game.WaitForFramesAfter(run, 1));
        EXPECT_EQ(game.Capture().Differences(before, EntryText(View(game.Window())), 30), 0)
            << "\"" << key << "\" was taken";
        Sleep(300);
    }
}

void Leave(GameRun& game) {
    game.Tap("Escape");
    ASSERT_TRUE(game.WaitForScreen("the main menu", MainMenuShown(game)));
    game.Tap("Escape");
    ExpectCleanExit(game);
}

TEST(CreatingPlayers, RookWithBlanksAroundIsWrittenTrimmedWithItsDigestsAndBecomesCurrent) {
    GameRun game(Options());
    StartInPlayerMenu(game);
    const Screenshot menu = game.Capture();
    game.SaveScreenshot(menu, "player-menu");

    game.Tap("n");
    Enter(game, " Rook ");
    ASSERT_TRUE(game.WaitForScreen("\"Player Created\"", MessageShown(game)));
    game.SaveScreenshot("player-created");
    game.Tap("Return");
    ASSERT_TRUE(game.WaitForScreen("the main menu", MainMenuShown(game)));
    game.SaveScreenshot("main-menu-after");

    EXPECT_EQ(Listing(game, kPlayers), (std::vector<std::string>{kDefault, "Rook"}));
    EXPECT_EQ(game.ReadUserFile(kPlayers + "Rook/player.xml"), PlayerFile("Rook", ""));
    EXPECT_EQ(game.UserFileMode(kPlayers + "Rook/player.xml"), 0444);
    EXPECT_EQ(game.ReadUserFile(kPrefs), Prefs("Rook"));
    EXPECT_EQ(game.UserFileMode(kPrefs), 0744);

    // The caption under the menu now names Rook.
    game.Tap("p");
    ASSERT_TRUE(game.WaitForScreen("the player menu again", PlayerMenuShown(game)));
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
    ASSERT_TRUE(game.WaitForScreen("the message", MessageShown(game)));
    game.SaveScreenshot(shot);
    game.Tap("Return");
    ASSERT_TRUE(game.WaitForScreen("the player menu", PlayerMenuShown(game)));
    EXPECT_EQ(Listing(game, kPlayers), std::vector<std::string>{kDefault});
    EXPECT_EQ(game.ReadUserFile(kPlayers + kDefault + "/player.xml"), defaultFile);
}

// A name typed after the button, the player made and current, and the main menu back.
void Create(GameRun& game, const char* button, const std::string& name) {
    game.Tap(button);
    Enter(game, name);
    ASSERT_TRUE(game.WaitForScreen("\"Player Created\"", MessageShown(game)));
    game.Tap("Return");
    ASSERT_TRUE(game.WaitForScreen("the main menu", MainMenuShown(game)));
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
    ASSERT_TRUE(game.WaitForScreen("the name entry", EntryShown(game)));
    Sleep(300);
    EntryKeys(game, "abcdefgh", EntryShown(game));
    RefusedKeys(game, "*+=[]{}/\\<>.:?\"");
    EntryKeys(game, "ijklmnop", EntryShown(game));
    game.SaveScreenshot("sixteen-characters");
    RefusedKeys(game, "qQ");
    game.Tap("Return");
    ASSERT_TRUE(game.WaitForScreen("\"Player Created\"", MessageShown(game)));
    game.Tap("Return");
    ASSERT_TRUE(game.WaitForScreen("the main menu", MainMenuShown(game)));

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
    ASSERT_TRUE(game.WaitForScreen("the first password entry", EntryShown(game)));
    Sleep(300);
    EntryKeys(game, "abc", EntryShown(game));
    game.SaveScreenshot("password-masked");
    EndEntry(game);
    Enter(game, "ABC");
    ASSERT_TRUE(game.WaitForScreen("\"Passwords Do Not Match\"", MessageShown(game)));
    game.SaveScreenshot("passwords-do-not-match");
    EXPECT_EQ(Listing(game, kPlayers), std::vector<std::string>{kDefault});
    game.Tap("Return");
    ASSERT_TRUE(game.WaitForScreen("the player menu", PlayerMenuShown(game)));

    game.Tap("p");
    Enter(game, "Vex");
    Enter(game, "s3cret");
    Enter(game, "s3cret");
    ASSERT_TRUE(game.WaitForScreen("\"Player Created\"", MessageShown(game)));
    game.Tap("Return");
    ASSERT_TRUE(game.WaitForScreen("the main menu", MainMenuShown(game)));

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
        ASSERT_TRUE(game.WaitForScreen("the chooser", ChooserShown(game)));
        game.SaveScreenshot(std::string("chooser-") + typed);
        const Screenshot opened = game.Capture();
        game.Tap("Up");
        ASSERT_TRUE(game.WaitForScreen("the chooser showing Vex", [&](const Screenshot& s) {
            return ChooserShown(game)(s) && s.Differences(opened, {312, 310, 400, 36}, 30) > 10;
        }));
        game.Tap("Return");
        ASSERT_TRUE(game.WaitForScreen("the password entry", EntryShown(game)));
        Sleep(300);
        EntryKeys(game, typed, EntryShown(game));
        game.SaveScreenshot(std::string("password-") + typed);
        if (std::string(typed) == "wrong") {
            EndEntry(game);
            ASSERT_TRUE(game.WaitForScreen("\"Incorrect Password\"", MessageShown(game)));
            game.SaveScreenshot("incorrect-password");
            game.Tap("Return");
            ASSERT_TRUE(game.WaitForScreen("the player menu", PlayerMenuShown(game)));
            EXPECT_EQ(game.Capture().Differences(before, kCaptions, 60), 0) << "the default player is current";
        } else {
            EndEntry(game, "Escape");
        }
    }
    ASSERT_TRUE(game.WaitForScreen("the main menu", MainMenuShown(game)));
    EXPECT_EQ(game.ReadUserFile(kPrefs), Prefs(kDefault, "de"));
    game.Tap("p");
    ASSERT_TRUE(game.WaitForScreen("the player menu", PlayerMenuShown(game)));
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
    ASSERT_TRUE(game.WaitForScreen("the question", QuestionShown(game)));
    game.SaveScreenshot("delete-bea");
    game.Tap("Escape");
    ASSERT_TRUE(game.WaitForScreen("the player menu", PlayerMenuShown(game)));
    EXPECT_EQ(Listing(game, kPlayers), (std::vector<std::string>{"Alex", "Bea", kDefault}));

    game.Tap("d");
    ASSERT_TRUE(game.WaitForScreen("the question", QuestionShown(game)));
    game.Tap("Return");
    ASSERT_TRUE(game.WaitForScreen("the player menu", PlayerMenuShown(game)));
    game.SaveScreenshot("bea-deleted");
    EXPECT_EQ(Listing(game, kPlayers), (std::vector<std::string>{"Alex", kDefault}));

    // The default player is current now, and is reset instead.
    game.Tap("d");
    ASSERT_TRUE(game.WaitForScreen("the question", QuestionShown(game)));
    game.SaveScreenshot("reset-default");
    game.Tap("Return");
    ASSERT_TRUE(game.WaitForScreen("the player menu", PlayerMenuShown(game)));
    ASSERT_TRUE(game.WaitUntil("the saved game gone", [&] { return Listing(game, kPlayers + kDefault).size() == 1; }));
    EXPECT_EQ(Listing(game, kPlayers + kDefault), std::vector<std::string>{"player.xml"});
    EXPECT_EQ(game.ReadUserFile(kPlayers + kDefault + "/player.xml"), defaultFile);
    EXPECT_EQ(game.UserFileMode(kPlayers + kDefault + "/player.xml"), 0444);
    EXPECT_EQ(game.ReadUserFile(kPlayers + "Alex/player.xml"), PlayerFile("Alex", "pw"));

    game.Tap("Escape");
    ASSERT_TRUE(game.WaitForScreen("the main menu", MainMenuShown(game)));
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
    ASSERT_TRUE(game.WaitForScreen("the question", QuestionShown(game)));
    game.SaveScreenshot("delete-rook-copy");
    game.Tap("Return");
    ASSERT_TRUE(game.WaitForScreen("the player menu", PlayerMenuShown(game)));
    ASSERT_TRUE(game.WaitForFrames(kFramesAfterAKey));
    EXPECT_EQ(Listing(game, kPlayers), (std::vector<std::string>{kDefault, "Rook", "Rook copy"}));
    EXPECT_EQ(game.ReadUserFile(kPlayers + "Rook/player.xml"), PlayerFile("Rook", ""));
    EXPECT_EQ(game.ReadUserFile(kPlayers + "Rook copy/player.xml"), PlayerFile("Rook", ""));
    Leave(game);
    EXPECT_EQ(game.ReadUserFile(kPrefs), Prefs("Rook"));
}

}  // namespace
