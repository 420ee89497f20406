// What the game's screens look like to the end-to-end tests, and the moves a player makes on them.
// Places are given in the game's 1024 x 768 layout and scaled into its window, wherever it stands.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "support/e2e.h"

namespace e2e {

// The title of the game's window.
inline const std::string kTitle = "Brondelvix 2!";

// Frames after a key that must change nothing: it is taken in at the end of one frame, and what
// it would open, close or start shows in the next ones.
inline constexpr int kFramesAfterAKey = 10;

// The green of the menus: the buttons' borders and faces, the entry's box, the scores' panels.
bool MenuGreen(Rgb c);
// The orange of the title picture across the top of the menu background.
bool TitleOrange(Rgb c);

// The layout over a whole screenshot, for a game whose window fills the screen.
View WholeScreen(const Screenshot& s);

// --- One screenshot, seen through the game's window.

// The title picture, not dimmed.
bool OnMenuBackground(const Screenshot& s, const View& v);

// A stretch of screen rows, both ends included.
struct Stretch {
    int from = 0, to = 0;
};
// The green stretches down the column at layout x, between layout rows top and bottom.
std::vector<Stretch> GreenStretches(const Screenshot& s, const View& v, double x, double top, double bottom);
// The buttons of the menu column, from the top of the box to the captions, down their left edge:
// border and face make one stretch each.
std::vector<Stretch> ButtonRows(const Screenshot& s, const View& v);
int ButtonsShown(const Screenshot& s, const View& v);
// The faces a column inside the menu box crosses, its green rim left out: at layout x 316 the
// column's buttons, at 512 whatever stands in the middle too.
int FacesDown(const Screenshot& s, const View& v, double x);

// The side panel's large white figures beside the field: at full light (above 240) only in play
// itself, whose first frame after a screen over it is already a little darker.
bool PanelShown(const Screenshot& s, const View& v, int light = 200);
// The paddle, blue, near the bottom of the field.
bool PaddleShown(const Screenshot& s, const View& v);
// The white captions under the main menu naming the player and the pack.
bool Captions(const Screenshot& s, const View& v);

// --- The screens, judged in the game's current window, which a change of screen mode replaces.

using ScreenTest = std::function<bool(const Screenshot&)>;

// A menu over the title picture with that many buttons in its column.
ScreenTest MenuWith(GameRun& game, int buttons);
// A screen over the stopped game (the pause, the game's end) with that many buttons. Neither this
// nor play looks for the title: the orange bricks of a level may look like it.
ScreenTest OverGameWith(GameRun& game, int buttons);
// A frame of play: no button, the panel's figures at that light, the paddle.
ScreenTest Playing(GameRun& game, int light = 240);
// The main menu, whatever buttons it offers: six or more, and the captions under them.
ScreenTest MainMenuShown(GameRun& game);
// The player menu: five buttons, the last one row apart.
ScreenTest PlayerMenuShown(GameRun& game);
// The options screen: six buttons with their values beside them, and no captions.
ScreenTest OptionsShown(GameRun& game);
// The text entry: its box tints the middle of the screen green.
ScreenTest EntryShown(GameRun& game);
// One row of the column (a message, a question, a chooser's entry) and down the middle, left of
// where the pointer starts, that many faces: a message with OK (2), a question with OK and Cancel
// (3), a chooser with its two arrows, OK and Cancel (5).
ScreenTest BoxWith(GameRun& game, int middleFaces);
ScreenTest MessageShown(GameRun& game);
ScreenTest QuestionShown(GameRun& game);
ScreenTest ChooserShown(GameRun& game);
// The scores: the title dimmed, two green panels side by side.
ScreenTest ScoresShown(GameRun& game);

// --- Driving the game.

// The game started and its window mapped, a window that must fill the screen: screen pixels are
// then window pixels, and WholeScreen places what a screenshot shows.
void StartFillingTheScreen(GameRun& game);
// The pointer in the bottom right corner of the window, away from every button: outside a new
// window the game would keep the place it last saw.
void Park(GameRun& game);
// A key, and the frame that shows what it brought up.
::testing::AssertionResult KeyShows(GameRun& game, const std::string& key, const std::string& what,
                                    const ScreenTest& shown, Millis timeout = kDefaultWait);
// A new window of the game, of that size, in place of the old one, with the pointer parked in it.
::testing::AssertionResult WaitForNewWindow(GameRun& game, unsigned long oldWindow, int width, int height);
// Where a chooser of the options screen shows its entry.
Region ChooserEntry(const View& v);
// A chooser of the options screen opened by its hot key, each step's next entry seen, then ended
// by `last`. The entries shown go to `shown` when it is given, the first one first.
::testing::AssertionResult Choose(GameRun& game, const std::string& hotKey, const std::vector<std::string>& steps,
                                  const std::string& last = "Return", std::vector<Screenshot>* shown = nullptr);
// Fire is a held button, seen by the game's next update: a click as short as XTest's could come
// and go between two of them.
void Launch(GameRun& game);
// From play: Escape to the pause screen, Q, and the game's end with status 0.
void QuitFromPlay(GameRun& game);
// The game ended with status 0, said nothing and logged nothing.
void ExpectCleanExit(GameRun& game);
// Whether the X server draws a pointer over the game: the cursor image has a visible pixel.
bool PointerShown(GameRun& game);

// Where a text entry shows the text typed so far.
Region EntryText(const View& v);
// Text for an entry that `entry` recognises, each key once the entry shows the one before. The
// entry takes a key, draws one frame and waits for the next; it drops the keys that came while it
// drew. A blank shows nothing: its frame is waited for instead.
void EntryKeys(GameRun& game, const std::string& text, const ScreenTest& entry);
// Enter (or Escape), and the entry gone.
void EndEntry(GameRun& game, const std::string& key = "Return");
// A whole entry of the menus: the text typed as it shows, then Enter.
void Enter(GameRun& game, const std::string& text);

}  // namespace e2e
