// The player menu under a scripted player: its buttons and the order of a frame, two hot keys in
// one frame, the closing frame, a failure inside it, and its four flows with injected keys and
// failures: deleting and resetting (the question in three languages, a copied folder), choosing
// (localised labels, passwords, a chooser that fails), and creating with and without a password
// (names refused, a player file that cannot be written).
#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <map>
#include <optional>

#include "core/hash.h"
#include "menu/menu.h"
#include "menu/playermenu.h"
#include "players/full_disk.h"
#include "players/players.h"
#include "screens_support.h"

namespace {

using namespace menu_test;
namespace fs = std::filesystem;

const std::string kPlayersFolder = "data/players/";
const std::string kUp(1, '\x92');  // the chooser's button to the previous entry

// Characters for the text entries, handed over one at a time whenever an entry waits for a key.
class Typist {
public:
    // Again after every reset of the input, which drops the hook.
    void Install() {
        SetIdleHook([this] {
            if (pending_.empty()) return;
            InjectEvent({.type = InputEventType::Char, .codepoint = pending_.front()});
            pending_.pop_front();
        });
    }

    // Latin-1 text; "\r" is Enter, "\x1b" Escape, "\b" Backspace.
    std::function<void()> Types(const std::string& text) {
        return [this, text] {
            for (unsigned char c : text) pending_.push_back(c);
        };
    }

private:
    std::deque<uint32_t> pending_;
};

// Whether any of the frames (each its texts joined by "|") drew exactly this text.
bool AnyFrameShows(const std::vector<std::string>& frames, const std::string& text) {
    for (const std::string& frame : frames) {
        if (("|" + frame).find("|" + text + "|") != std::string::npos) return true;
    }
    return false;
}

// How many times a screen showing this text came up: runs of consecutive frames that drew it.
int Showings(const std::vector<std::string>& frames, const std::string& text) {
    int runs = 0;
    bool before = false;
    for (const std::string& frame : frames) {
        const bool now = AnyFrameShows({frame}, text);
        if (now && !before) ++runs;
        before = now;
    }
    return runs;
}

std::function<void()> PressKeys(std::vector<int> keys) {
    return [keys] {
        for (int key : keys) Press(key);
    };
}

// The player file of a player without records, as the game has always written it.
std::string NewPlayerFile(const std::string& name, const std::string& password) {
    return "<!-- CAREFUL!  IF YOU CHANGE THESE VALUES, YOUR PLAYER ACCOUNT WILL STOP WORKING! -->\n"
           "<player>\n\t<name>" +
           name + "</name>\n\t<playerIsTamperedWith>0</playerIsTamperedWith>\n\t<password>" +
           MD5(name + "|Here comes nonsense to fill a digest.  4471qkw%&!Z^|" + password + "|") +
           "</password>\n\t<gameStatsHash>" +
           MD5("kindly leave this alone.  Tampering is lame. %!@K^Tzq59173|" + name) + "</gameStatsHash>\n</player>\n";
}

class PlayerMenu : public ScreenTest {
protected:
    // The players (name, password) in the players folder before the start, the preferences naming
    // `current` and the language; then the universe started on the headless screen.
    void Start(const std::vector<std::pair<std::string, std::string>>& players, const std::string& current = kPlayer,
               const std::string& language = "en") {
        fs::create_directories(PlayersFolder());
        // The players' files note their saving through the error table.
        LoadErrorCodes("data/", "en");
        for (const auto& [name, password] : players) {
            Player player;
            ASSERT_EQ(player.CreateNewPlayer(kPlayersFolder, name, password), 1) << name;
        }
        WritePrefs("<language>" + language + "</language><currentPlayerName>" + current + "</currentPlayerName>");
        StartUniverse();
        ClearDebugLog();
        typist.Install();
    }
    // Set up afresh, for the next case of a table.
    void Restart() {
        TearDown();
        SetUp();
    }

    std::string PlayersFolder() const { return userFolder + kPlayersFolder; }
    std::string PlayerFile(const std::string& folder) const { return PlayersFolder() + folder + "/player.xml"; }
    std::string PrefsPath() const { return userFolder + "data/prefs.xml"; }
    std::string RememberedPlayer() const { return GetDataFromXML(ReadText(PrefsPath()), "currentPlayerName"); }

    std::vector<std::string> Names() {
        std::vector<std::string> names;
        for (const PlayerPtr& player : universe().playersArray) names.push_back(player->name);
        return names;
    }
    std::string Current() { return universe().playersArray.at(universe().currentPlayerIndex)->name; }
    int IndexOf(const std::string& folder) {
        for (size_t i = 0; i < universe().playersArray.size(); ++i) {
            if (universe().playersArray[i]->folderName == folder) return static_cast<int>(i);
        }
        return -1;
    }

    // Runs the menu under the scripted player; the texts of every frame that it and its flows drew.
    std::vector<std::string> Run(std::vector<Script::Step> steps) {
        Script player(std::move(steps));
        EXPECT_EQ(DrawPlayerMenu(g_gameUniverse), "");
        EXPECT_TRUE(player.Finished()) << "the menu ended before the scripted player's last step";
        return player.Frames();
    }

    Typist typist;
};

TEST_F(PlayerMenu, FiveButtonsStandInTheirRowsUnderTheBoxWithTheCaptionsAndThePointerLast) {
    Start({{kPlayer, ""}});
    MoveMouse(300, 200);
    std::vector<DrawCall> frame;
    const std::vector<std::string> frames = Run({{Keep(frame, Shows("Go Back")), PressKey(KEY_ESCAPE)}});

    const std::vector<ShownButton> buttons = ButtonsIn(frame);
    const struct {
        const char* label;
        int row;
    } expected[] = {{"Use Existing Player", 0},
                    {"Create New Player", 1},
                    {"New Player With Password", 2},
                    {"Delete Current Player", 3},
                    {"Go Back", 5}};
    ASSERT_EQ(buttons.size(), std::size(expected));
    for (size_t i = 0; i < buttons.size(); ++i) {
        EXPECT_EQ(buttons[i].label, expected[i].label);
        ExpectAt(buttons[i], ColumnPlace(400, expected[i].row, 6));
    }

    // Cleared, the background and the box pictures, the empty title, the buttons, the captions,
    // and the pointer over everything, unscaled at the pointer.
    ASSERT_GE(frame.size(), 3u);
    EXPECT_EQ(frame.front().kind, DrawKind::Cls);
    EXPECT_EQ(frame.back().kind, DrawKind::Flip);
    const DrawCall& pointer = frame[frame.size() - 2];
    EXPECT_EQ(pointer.kind, DrawKind::Image);
    EXPECT_EQ(pointer.image, universe().cursorImage);
    EXPECT_EQ(pointer.x, 300);
    EXPECT_EQ(pointer.y, 200);
    EXPECT_EQ(pointer.state.scaleX, 1.0f);
    const DrawCall* title = TextCall(frame, "");
    const DrawCall* player = TextCall(frame, "Current Player: Nameless Wonder");
    const DrawCall* pack =
        TextCall(frame, "Current Pack: " + universe().packsArray.at(universe().currentPackIndex)->name);
    ASSERT_TRUE(title && player && pack);
    EXPECT_LT(title, TextCall(frame, "Use Existing Player"));
    EXPECT_GT(player, TextCall(frame, "Go Back"));
    EXPECT_GT(pack, player);
    EXPECT_GE(Calls(frame, DrawKind::Image).size(), 3u) << "the background, the box and the pointer";

    // The frame of "Go Back" shows the background, the box and the pointer only; then the
    // preferences are written, no longer read-only.
    EXPECT_EQ(frames.back(), "|");
    EXPECT_EQ(ModeOf(PrefsPath()), 0744);
    EXPECT_EQ(RememberedPlayer(), kPlayer);
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(PlayerMenu, OfTwoHotKeysInOneFrameOnlyTheFirstInUpdateOrderClicks) {
    const struct Case {
        const char* what;
        std::vector<int> keys;
        std::vector<Script::Step> then;
        const char* shown;  // a text of the flows, shown this many times: the second key ran nothing
        int showings;
    } cases[] = {
        {"D before U",
         {'U', 'D'},
         {{"Delete \"Alex\"?", PressKey(KEY_ESCAPE)}, {"Go Back", PressKey(KEY_ESCAPE)}},
         "\x92",
         0},
        {"U before N", {'N', 'U'}, {{"\x92", PressKey(KEY_ESCAPE)}}, "Enter Player Name", 0},
        {"N before P",
         {'P', 'N'},
         {{"Enter Player Name", typist.Types("\r")},
          {"No Name Entered", PressKey(KEY_ENTER)},
          {"Go Back", PressKey(KEY_ESCAPE)}},
         "Enter Player Name",
         1},
        {"P before Go Back",
         {KEY_ESCAPE, 'P'},
         {{"Enter Player Name", typist.Types("\r")},
          {"No Name Entered", PressKey(KEY_ENTER)},
          {"Go Back", PressKey(KEY_ESCAPE)}},
         "Enter Player Name",
         1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Restart();
        Start({{kPlayer, ""}, {"Alex", ""}}, "Alex");
        std::vector<Script::Step> steps{{"Go Back", PressKeys(c.keys)}};
        steps.insert(steps.end(), c.then.begin(), c.then.end());
        const std::vector<std::string> frames = Run(steps);
        EXPECT_EQ(Showings(frames, c.shown), c.showings);
        EXPECT_EQ(Current(), "Alex");
    }
}

TEST_F(PlayerMenu, TheQuestionNamesTheStoredPlayerAfterTheLocalisedWordInEveryLanguage) {
    const struct {
        const char* language;
        const char* current;
        const char* question;  // UTF-8
        const char* goBack;
    } cases[] = {
        {"en", "Nameless Wonder", "Reset \"Nameless Wonder\"?", "Go Back"},
        {"fr", "Nameless Wonder", "Réinitialiser \"Nameless Wonder\"?", "Retour"},
        {"de", "Nameless Wonder", "Zurücksetzen \"Nameless Wonder\"?", "Zurück"},
        {"en", "Alex", "Delete \"Alex\"?", "Go Back"},
        {"fr", "Alex", "Supprimer \"Alex\"?", "Retour"},
        {"de", "Alex", "Löschen \"Alex\"?", "Zurück"},
        // Letter case counts: this is not the default player.
        {"de", "nameless wonder", "Löschen \"nameless wonder\"?", "Zurück"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.language) + " " + c.current);
        Restart();
        std::vector<std::pair<std::string, std::string>> players{{kPlayer, ""}};
        if (c.current != kPlayer) players.push_back({c.current, ""});
        Start(players, c.current, c.language);
        EXPECT_EQ(PlayerDeleteQuestion(universe()), Latin1(c.question));
        // The same question in the dialog; the hot keys are the same in every language.
        Run({{Latin1(c.goBack).c_str(), PressKey('D')},
             {Latin1(c.question).c_str(), PressKey(KEY_ESCAPE)},
             {Latin1(c.goBack).c_str(), PressKey(KEY_ESCAPE)}});
        EXPECT_EQ(Current(), c.current);
    }
}

TEST_F(PlayerMenu, OkDeletesThePlayersOwnFolderOnlyAndCancelNothing) {
    const struct Case {
        const char* what;
        std::vector<std::pair<std::string, std::string>> players;
        std::vector<std::string> copied;  // a player's folder and its copy, made by hand
        bool moved;                       // the original then removed: a folder renamed by hand
        std::string current;              // the folder of the current player
        int answer;
        std::vector<std::string> namesAfter;
        std::string currentAfter;
        std::vector<std::string> foldersAfter;
    } cases[] = {
        {"cancel",
         {{kPlayer, ""}, {"Alex", ""}, {"Bea", ""}},
         {},
         false,
         "Bea",
         KEY_ESCAPE,
         {"Alex", "Bea", kPlayer},
         "Bea",
         {"Alex", "Bea", kPlayer}},
        {"OK: the others keep their order, the default player is current",
         {{kPlayer, ""}, {"Alex", ""}, {"Bea", ""}, {"Cy", ""}},
         {},
         false,
         "Bea",
         KEY_ENTER,
         {"Alex", "Cy", kPlayer},
         kPlayer,
         {"Alex", "Cy", kPlayer}},
        {"a password is not asked",
         {{kPlayer, ""}, {"Alex", "pw"}},
         {},
         false,
         "Alex",
         KEY_ENTER,
         {kPlayer},
         kPlayer,
         {kPlayer}},
        {"the last player gives way to the default player",
         {{"Alex", ""}},
         {},
         false,
         "Alex",
         KEY_ENTER,
         {kPlayer},
         kPlayer,
         {kPlayer}},
        // Read from a folder that is not its own name's: its namesake's folder, or nobody's.
        {"a copy spares its namesake",
         {{kPlayer, ""}, {"Alex", ""}},
         {"Alex", "Alex copy"},
         false,
         "Alex copy",
         KEY_ENTER,
         {"Alex", "Alex", kPlayer},
         "Alex",
         {"Alex", "Alex copy", kPlayer}},
        {"a renamed folder stays",
         {{kPlayer, ""}, {"Cy", ""}},
         {"Cy", "Cy moved"},
         true,
         "Cy moved",
         KEY_ENTER,
         {"Cy", kPlayer},
         "Cy",
         {"Cy moved", kPlayer}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Restart();
        Start(c.players);
        if (!c.copied.empty()) {
            fs::copy(PlayersFolder() + c.copied[0], PlayersFolder() + c.copied[1], fs::copy_options::recursive);
            if (c.moved) fs::remove_all(PlayersFolder() + c.copied[0]);
            universe().Unlink();
            StartUniverse();
        }
        universe().currentPlayerIndex = IndexOf(c.current);
        ASSERT_GE(universe().currentPlayerIndex, 0);
        std::map<std::string, std::string> before;
        for (const std::string& folder : LoadDir(PlayersFolder())) before[folder] = ReadText(PlayerFile(folder));

        Run({{"Go Back", PressKey('D')},
             {Shows("OK"), PressKey(c.answer)},
             {Shows("Current Player: " + c.currentAfter), PressKey(KEY_ESCAPE)}});

        EXPECT_EQ(Names(), c.namesAfter);
        EXPECT_EQ(Current(), c.currentAfter);
        EXPECT_EQ(LoadDir(PlayersFolder()), c.foldersAfter);
        // What stays is untouched.
        for (const std::string& folder : LoadDir(PlayersFolder())) {
            if (before.count(folder)) {
                EXPECT_EQ(ReadText(PlayerFile(folder)), before[folder]) << folder;
            }
        }
    }
}

TEST_F(PlayerMenu, ResettingTheDefaultPlayerKeepsItsRecordsAndDropsItsSavedGames) {
    Start({{kPlayer, ""}, {"Alex", ""}});
    const int index = IndexOf(kPlayer);
    universe().currentPlayerIndex = index;
    Player& player = *universe().playersArray.at(index);
    auto record = std::make_shared<GameStat>();
    record->score = 4200;
    record->level = 5;
    record->time = 61000;
    player.AddGameStat(record);
    ASSERT_EQ(player.SaveToFile(kPlayersFolder), 1);
    const std::string file = ReadText(PlayerFile(kPlayer));
    ASSERT_EQ(WriteWholeFile(PlayersFolder() + kPlayer + "/save_quickpack.xml", "<saveData></saveData>", 0444), 1);

    Run({{"Go Back", PressKey('D')},
         {"Reset \"Nameless Wonder\"?", PressKey(KEY_ENTER)},
         {"Current Player: Nameless Wonder", PressKey(KEY_ESCAPE)}});

    EXPECT_EQ(LoadDir(PlayersFolder() + kPlayer), std::vector<std::string>{"player.xml"});
    EXPECT_EQ(ReadText(PlayerFile(kPlayer)), file);
    EXPECT_EQ(ModeOf(PlayerFile(kPlayer)), 0444);
    EXPECT_EQ(universe().currentPlayerIndex, index);
    EXPECT_EQ(Names(), (std::vector<std::string>{"Alex", kPlayer}));
    EXPECT_EQ(player.gameStatsArray.size(), 1u);
}

TEST_F(PlayerMenu, TheChooserListsLocalisedNamesByIndexAndAProtectedPlayerNeedsItsPassword) {
    // Listed as Alex, Bea, Nameless Wonder; the default player is current.
    Start({{kPlayer, ""}, {"Alex", ""}, {"Bea", "s3cret"}}, kPlayer, "fr");
    const std::string goBack = "Retour", wrong = Latin1("Mot de passe incorrect");
    const std::string defaultShown = Latin1("Héros sans nom");
    const std::vector<std::string> frames =
        Run({// Opens on the current player; Down wraps to the first and goes on to Bea.
             {goBack.c_str(), PressKey('U')},
             {defaultShown.c_str(), PressKey(KEY_DOWN)},
             {"Alex", PressKey(KEY_DOWN)},
             {"Bea", PressKey(KEY_ENTER)},
             {Latin1("Entrez le mot de passe").c_str(), typist.Types("wrong\r")},
             {wrong.c_str(), PressKey(KEY_ENTER)},
             // Nothing changed; again, Up from the current player, and the right password ended
             // with Escape.
             {goBack.c_str(), PressKey('U')},
             {defaultShown.c_str(), PressKey(KEY_UP)},
             {"Bea", PressKey(KEY_ENTER)},
             {Latin1("Entrez le mot de passe").c_str(), typist.Types("s3cret\x1b")}});

    EXPECT_EQ(Current(), "Bea");
    EXPECT_EQ(universe().currentPlayerIndex, 1);
    // The entries show stars; the protected player is remembered as the default player.
    EXPECT_TRUE(AnyFrameShows(frames, "*****"));
    EXPECT_TRUE(AnyFrameShows(frames, "******"));
    EXPECT_FALSE(AnyFrameShows(frames, "s3cret"));
    // The rest of the frame that ran the choice draws no buttons and no captions (and nothing
    // again of what it drew before the chooser opened).
    EXPECT_EQ(frames.back(), "");
    EXPECT_EQ(RememberedPlayer(), kPlayer);

    // A player without a password is taken at once, and remembered.
    Run({{goBack.c_str(), PressKey('U')}, {"Bea", PressKey(KEY_UP)}, {"Alex", PressKey(KEY_ENTER)}});
    EXPECT_EQ(Current(), "Alex");
    EXPECT_EQ(RememberedPlayer(), "Alex");
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(PlayerMenu, EscapeWithNothingTypedIsAWrongPassword) {
    Start({{kPlayer, ""}, {"Bea", "s3cret"}});
    Run({{"Go Back", PressKey('U')},
         {"Nameless Wonder", PressKey(KEY_UP)},
         {"Bea", PressKey(KEY_ENTER)},
         {"Enter Password", typist.Types("\x1b")},
         {"Incorrect Password", PressKey(KEY_ENTER)},
         {"Go Back", PressKey(KEY_ESCAPE)}});
    EXPECT_EQ(Current(), kPlayer);
}

TEST_F(PlayerMenu, AChooserThatFailsChoosesNobody) {
    // Listed as Alex, Nameless Wonder: a failed chooser's "" must not read as Alex's index.
    Start({{kPlayer, ""}, {"Alex", ""}});
    Run({{"Go Back", PressKey('U')},
         {"Nameless Wonder", [] { RuntimeError("the chooser broke"); }},
         {"Go Back", PressKey(KEY_ESCAPE)}});
    EXPECT_EQ(Current(), kPlayer);
    EXPECT_EQ(g_DebugLog, "menu:DrawChooseMenu() the chooser broke\n");
}

TEST_F(PlayerMenu, ANewPlayerIsMadeFromTheTypedNameAndEndsTheMenuAtOnce) {
    const struct {
        const char* typed;
        const char* name;
    } cases[] = {
        {" Rook \r", "Rook"},
        {"Rook\x1b", "Rook"},
        {"alex\r", "alex"},  // another letter case is another name
        {"abcdefghijklmnopq\r", "abcdefghijklmnop"},
        {"R*o+o=k[]{}/\\<>.:?\"\r", "Rook"},
        {"Rox\b\book\r", "Rook"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        Restart();
        Start({{kPlayer, ""}, {"Alex", ""}});
        const std::vector<std::string> frames = Run({{"Go Back", PressKey('N')},
                                                     {"Enter Player Name", typist.Types(c.typed)},
                                                     {"Player Created", PressKey(KEY_ENTER)}});
        EXPECT_EQ(ReadText(PlayerFile(c.name)), NewPlayerFile(c.name, ""));
        EXPECT_EQ(ModeOf(PlayerFile(c.name)), 0444);
        EXPECT_EQ(Names(), (std::vector<std::string>{"Alex", kPlayer, c.name}));
        EXPECT_EQ(universe().currentPlayerIndex, 2);
        EXPECT_EQ(RememberedPlayer(), c.name);
        // Nothing of the menu after the dialog.
        EXPECT_TRUE(AnyFrameShows({frames.back()}, "Player Created"));
    }
}

TEST_F(PlayerMenu, NamesThatCannotBecomeAPlayerAreRefusedBeforeAnyPassword) {
    const struct {
        int button;
        const char* typed;
        const char* message;
    } cases[] = {
        {'N', "\r", "No Name Entered"},
        {'P', "\x1b", "No Name Entered"},
        {'N', "   \r", "No Name Entered"},
        {'P', "  \r", "No Name Entered"},
        {'N', "Alex\r", "Player Already Exists"},
        {'P', "Alex\r", "Player Already Exists"},
        // The trimmed name is taken: the folder stays as it is.
        {'N', " Alex\r", "Could Not Create Player"},
        {'N', "Left \r", "Could Not Create Player"},
        // The player file would give back another name.
        {'N', "&lt;b\r", "Could Not Create Player"},
        {'N', "a&gt;\r", "Could Not Create Player"},
        {'P', "&tab;\r", "Could Not Create Player"},
        {'P', "x&line;y\r", "Could Not Create Player"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        Restart();
        Start({{kPlayer, ""}, {"Alex", ""}}, "Alex");
        // A folder left without its player file, by another run or by hand.
        fs::create_directories(PlayersFolder() + "Left");
        const std::vector<std::string> folders = LoadDir(PlayersFolder());

        const std::vector<std::string> frames = Run({{"Go Back", PressKey(c.button)},
                                                     {"Enter Player Name", typist.Types(c.typed)},
                                                     {c.message, PressKey(KEY_ENTER)},
                                                     {"Go Back", PressKey(KEY_ESCAPE)}});
        EXPECT_FALSE(AnyFrameShows(frames, "Enter Password"));
        EXPECT_EQ(LoadDir(PlayersFolder()), folders);
        EXPECT_EQ(Names(), (std::vector<std::string>{"Alex", kPlayer}));
        EXPECT_EQ(Current(), "Alex");
    }
}

TEST_F(PlayerMenu, APlayerFileThatCannotBeWrittenLeavesNoEntryAndNoFolderBehind) {
    Start({{kPlayer, ""}});
    std::optional<FullDisk> disk;
    Run({{"Go Back", PressKey('N')},
         {"Enter Player Name",
          [&] {
              disk.emplace(16);
              ASSERT_TRUE(disk->full());
              typist.Types("Rook\r")();
          }},
         {"Could Not Create Player",
          [&] {
              disk.reset();
              EXPECT_EQ(Names(), std::vector<std::string>{kPlayer});
              EXPECT_EQ(LoadDir(PlayersFolder()), std::vector<std::string>{kPlayer});
              Press(KEY_ENTER);
          }},
         // The name is free: once the disk has room, the same player is made.
         {"Go Back", PressKey('N')},
         {"Enter Player Name", typist.Types("Rook\r")},
         {"Player Created", PressKey(KEY_ENTER)}});
    EXPECT_EQ(Names(), (std::vector<std::string>{kPlayer, "Rook"}));
    EXPECT_EQ(Current(), "Rook");
    EXPECT_EQ(ReadText(PlayerFile("Rook")), NewPlayerFile("Rook", ""));
}

TEST_F(PlayerMenu, APasswordIsTypedTwiceAndOnlyAMatchMakesThePlayer) {
    Start({{kPlayer, ""}});
    const std::vector<std::string> frames =
        Run({{"Go Back", PressKey('P')},
             {"Enter Player Name", typist.Types("Vex\r")},
             {"Enter Password", typist.Types("abc\r")},
             {"Re-Enter Password", typist.Types("ABC\r")},
             {"Passwords Do Not Match",
              [&] {
                  EXPECT_EQ(LoadDir(PlayersFolder()), std::vector<std::string>{kPlayer});
                  EXPECT_EQ(Names(), std::vector<std::string>{kPlayer});
                  Press(KEY_ENTER);
              }},
             {"Go Back", PressKey('P')},
             {"Enter Player Name", typist.Types("Vex\r")},
             {"Enter Password", typist.Types("s3cret\r")},
             {"Re-Enter Password", typist.Types("s3cret\x1b")},
             {"Player Created", PressKey(KEY_ENTER)}});

    EXPECT_EQ(ReadText(PlayerFile("Vex")), NewPlayerFile("Vex", "s3cret"));
    EXPECT_EQ(Current(), "Vex");
    // A protected player is never remembered as current.
    EXPECT_EQ(RememberedPlayer(), kPlayer);
    EXPECT_TRUE(AnyFrameShows(frames, "***"));
    EXPECT_TRUE(AnyFrameShows(frames, "******"));
    EXPECT_FALSE(AnyFrameShows(frames, "abc"));
    EXPECT_FALSE(AnyFrameShows(frames, "s3cret"));

    // Two empty passwords make a player without one.
    Run({{"Go Back", PressKey('P')},
         {"Enter Player Name", typist.Types("Wren\r")},
         {"Enter Password", typist.Types("\x1b")},
         {"Re-Enter Password", typist.Types("\r")},
         {"Player Created", PressKey(KEY_ENTER)}});
    EXPECT_EQ(ReadText(PlayerFile("Wren")), NewPlayerFile("Wren", ""));
    EXPECT_EQ(RememberedPlayer(), "Wren");
}

TEST_F(PlayerMenu, AFailureInsideTheScreenIsLoggedOnceAndLeavesThePreferencesAlone) {
    Start({{kPlayer, ""}});
    const std::string prefs = ReadText(PrefsPath());
    const int mode = ModeOf(PrefsPath());
    Run({{"Go Back", [] { RuntimeError("out of paint"); }}});
    EXPECT_EQ(g_DebugLog, "menu:DrawPlayerMenu() out of paint\n");
    EXPECT_EQ(ReadText(PrefsPath()), prefs);
    EXPECT_EQ(ModeOf(PrefsPath()), mode);
}

}  // namespace
