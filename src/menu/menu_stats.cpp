// The scores screen: the best scores and highest levels of every player side by side, the totals
// over all their games with the play time in words, and one OK button back to the main menu.
#include <array>
#include <cstdint>

#include "core/globals.h"
#include "core/numbertext.h"
#include "menu/menu.h"
#include "menu/menu_frame.h"
#include "platform/graphics.h"
#include "platform/input.h"

namespace {

// Whole logical pixels: half a text's width is rounded down before it is scaled.
void DrawCentred(const std::string& text, int centre, int y) {
    DrawText(text, static_cast<float>(centre - TextWidth(text) / 2) * g_widthFactor,
             static_cast<float>(y) * g_heightFactor);
}
void DrawLeft(const std::string& text, int left, int y) {
    DrawText(text, static_cast<float>(left) * g_widthFactor, static_cast<float>(y) * g_heightFactor);
}
void DrawRight(const std::string& text, int right, int y) {
    DrawText(text, static_cast<float>(right - TextWidth(text)) * g_widthFactor, static_cast<float>(y) * g_heightFactor);
}
void DrawLogicalRect(float x, float y, float width, float height) {
    DrawRect(x * g_widthFactor, y * g_heightFactor, width, height);
}

// Everything up to the button, at alpha 0.8: the dimmed screen, the two panels, the headers, the
// rows and the four totals.
void DrawStatsPanels(Universe& u, const std::array<std::string, 4>& totals) {
    SetColor(0, 0, 0);
    SetAlpha(0.8f);
    DrawLogicalRect(0, 0, static_cast<float>(g_virtualWidth), static_cast<float>(g_virtualHeight));
    SetColor(0, 50, 0);
    DrawLogicalRect(15, 45, 492, 400);
    DrawLogicalRect(517, 45, 492, 400);
    SetColor(0, 255, 0);
    DrawCentred(u.GetLocalizedString("High Score"), 256, 50);
    DrawCentred(u.GetLocalizedString("High Level"), 768, 50);

    // The top row keeps the headers' green; every later row is white.
    SetImageFont(g_MidFont);
    for (size_t i = 0; i < u.statsHighScores.size(); ++i) {
        const int y = 100 + 22 * static_cast<int>(i);
        if (!At(u.statsHighScoreNames, i).empty()) {
            DrawLeft(u.statsHighScoreNames[i], 20, y);
            DrawRight(FormatNumber(u.statsHighScores[i]), 502, y);
        }
        if (!At(u.statsHighLevelNames, i).empty()) {
            DrawLeft(u.statsHighLevelNames[i], 522, y);
            DrawRight(FormatNumber(static_cast<int64_t>(At(u.statsHighLevels, i))), 1004, y);
        }
        SetColor(255, 255, 255);
    }

    SetColor(0, 255, 0);
    for (size_t i = 0; i < totals.size(); ++i) DrawCentred(totals[i], 512, 500 + 30 * static_cast<int>(i));
}

}  // namespace

std::string TimeForeverLostText(Universe& universe, int64_t milliseconds) {
    struct Unit {
        int64_t length;
        const char* one;
        const char* many;
    };
    // A year of 365.25 days.
    static constexpr Unit kUnits[] = {{31557600000LL, "year", "years"},
                                      {86400000LL, "day", "days"},
                                      {3600000LL, "hour", "hours"},
                                      {60000LL, "minute", "minutes"},
                                      {1000LL, "second", "seconds"}};
    int64_t t = milliseconds;
    std::string text;
    for (const Unit& unit : kUnits) {
        if (t >= unit.length) {
            const int64_t n = t / unit.length;
            text += LongToText(n) + " " + universe.GetLocalizedString(n == 1 ? unit.one : unit.many) + ", ";
        }
        // What is left below a second is dropped, not rounded.
        if (unit.length != 1000LL) t %= unit.length;
    }
    if (text.empty()) text = "0 " + universe.GetLocalizedString("seconds") + ", ";
    text.resize(text.size() - 2);
    return universe.GetLocalizedString("Time Forever Lost") + ": " + text + "!";
}

int DrawPlayerStats() {
    return Guarded("menu:DrawPlayerStats() ", 0, [&] {
        Universe& u = Deref(g_gameUniverse);
        // Once a visit: every player's file is read again here, never while the screen stays.
        u.CalculatePlayerStatistics();
        const std::array<std::string, 4> totals = {
            u.GetLocalizedString("Total Games Played") + ": " +
                FormatNumber(static_cast<int64_t>(u.statsTotalGamesPlayed)),
            u.GetLocalizedString("Total Levels Played") + ": " +
                FormatNumber(static_cast<int64_t>(u.statsTotalLevelsPlayed)),
            u.GetLocalizedString("Total Points Scored") + ": " + FormatNumber(u.statsTotalPointsScored),
            TimeForeverLostText(u, u.statsTotalTimeForeverLost),
        };

        // Its label stays the English "OK": the button's own default text.
        const MenuButtonPtr ok = MakeMenuButton("OK", KEY_ENTER, u.sndButtonClick);
        SizeForMenuColumn(*ok, 200);
        // The slot just below a column of 14 menu buttons.
        PutInMenuRow(*ok, 14, 14);

        ModalScreen screen;
        // The screen's own panels stand where the other screens have their box.
        screen.backdrop = [&] {
            Cls();
            SetMenuDrawState();
            SetImageFont(g_MenuFont);
            DrawMenuBackground(u);
            DrawStatsPanels(u, totals);
        };
        screen.menuBox = false;
        screen.update = [&](const MenuPointer& p) {
            return ok->Update(p.x, p.y, p.buttonsDown) ? MenuStep::kLastFrame : MenuStep::kStay;
        };
        screen.draw = [&] { ok->Draw(); };
        RunModalScreen(u, screen);
        return 0;
    });
}
