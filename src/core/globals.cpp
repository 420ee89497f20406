// The game's global settings and state, defined from the list in globals.h, and the
// whole-degree tables.
#include "core/globals.h"

#include <cmath>
#include <iostream>

#include "core/arrays.h"
#include "core/numbertext.h"
#include "core/volumes.h"
#include "platform/files.h"
#include "platform/runtime.h"

#define BX2_DEFINE_GLOBAL(type, name, start) type name = start;
BX2_GLOBALS(BX2_DEFINE_GLOBAL)
#undef BX2_DEFINE_GLOBAL

namespace {
bool g_globalsReady = false;
}

void ResetGlobals() {
#define BX2_RESET_GLOBAL(type, name, start) name = start;
    BX2_GLOBALS(BX2_RESET_GLOBAL)
#undef BX2_RESET_GLOBAL
    g_globalsReady = false;
}

void InitGlobals() {
    if (g_globalsReady) return;
    g_globalsReady = true;

    std::string appDir = GetUserAppDir();
    g_userPath = appDir + "/Vostrand/Brondelvix 2!/";
    g_dataPath = DataFolder();

    int result = 0;
    const char* folders[] = {"/Vostrand", "/Vostrand/Brondelvix 2!", "/Vostrand/Brondelvix 2!/data",
                             "/Vostrand/Brondelvix 2!/data/players"};
    for (const char* folder : folders) {
        std::string path = appDir + folder;
        if (FileType(path) == 0) result += -1 + (CreateDir(path) ? 1 : 0);
    }
    Print("Directory creation (0 means all good): " + IntToText(result));
    if (result != 0) {
        // Said, not logged: the game plays on without them (keeping nothing), and a logged line
        // would end the first game start.
        std::cerr << "Error creating user directories.  Attempted To Create the following:" << std::endl;
        for (const char* folder : folders) std::cerr << Latin1ToUtf8(appDir + folder) << std::endl;
    }

    // The game ships its own font; LoadGameFont's ".ttf" retry serves preference paths.
    g_fontPath = g_dataPath + "data/fonts/DejaVuSans.ttf";
    g_DebugStrings.assign(10, "");
    g_lastMilliSecs = MilliSecs();
    g_ScreenCenterX = static_cast<float>(g_virtualWidth / 2);
    g_ScreenCenterY = static_cast<float>(g_virtualHeight / 2);
    g_BrickShieldY = static_cast<float>(g_gamefieldHeight + g_gamefieldYoffset - 10);
    g_Sin.assign(360, 0.0f);
    g_Cos.assign(360, 0.0f);
    for (int i = 0; i < 360; ++i) {
        double rad = i * M_PI / 180.0;
        g_Sin[i] = static_cast<float>(std::sin(rad));
        g_Cos[i] = static_cast<float>(std::cos(rad));
    }
    g_LoadTimers = std::make_shared<performanceTimers>();
}

// ---------------------------------------------------------------------------
// The four game fonts, all from one file.

int LoadGameFont() {
    return Guarded("globals:LoadGameFont() ", 0, [] {
        g_LargeFont = LoadImageFont(g_fontPath, 36, 4);
        g_MenuFont = LoadImageFont(g_fontPath, 30, 4);
        g_MidFont = LoadImageFont(g_fontPath, 24, 4);
        g_SmallFont = LoadImageFont(g_fontPath, 12, 4);
        // The path names the file without its extension; only the large font decides the retry.
        if (!g_LargeFont) {
            g_LargeFont = LoadImageFont(g_fontPath + ".ttf", 36, 4);
            g_MenuFont = LoadImageFont(g_fontPath + ".ttf", 30, 4);
            g_MidFont = LoadImageFont(g_fontPath + ".ttf", 24, 4);
            g_SmallFont = LoadImageFont(g_fontPath + ".ttf", 12, 4);
        }
        return 0;
    });
}

// ---------------------------------------------------------------------------
// Numbers for display, and array growth.

std::string FormatNumber(int64_t value) {
    return Guarded("globals:FormatNumber() ", std::string(), [&] {
        std::string digits = LongToText(value);
        std::string sign;
        if (!digits.empty() && digits[0] == '-') {
            sign = "-";
            digits.erase(0, 1);
        }
        // The leftmost group holds one to three digits.
        std::string out = sign;
        size_t first = digits.size() % 3 == 0 ? 3 : digits.size() % 3;
        out += digits.substr(0, first);
        for (size_t i = first; i < digits.size(); i += 3) out += "," + digits.substr(i, 3);
        return out;
    });
}

std::vector<int> AppendNewInt(const std::vector<int>& array) { return AppendNew("globals:AppendNewInt() ", array); }

std::vector<float> AppendNewFloat(const std::vector<float>& array) {
    return AppendNew("globals:AppendNewFloat() ", array);
}

std::vector<std::string> AppendNewString(const std::vector<std::string>& array) {
    return AppendNew("globals:AppendNewString() ", array);
}
