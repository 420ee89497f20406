// The game's global settings and state, the whole-degree tables, the debug log and the
// guard that every failing body reports through.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"

// Folders and files.
extern std::string g_dataPath;
extern std::string g_userPath;
extern std::string g_fontPath;

// Screen and display.
extern int g_desktopWidth, g_desktopHeight, g_desktopDepth, g_desktopHertz;
extern int g_virtualWidth, g_virtualHeight;
extern int g_ScreenWidth, g_ScreenHeight, g_ScreenDepth, g_ScreenHertz;
extern int g_isFullscreen;
extern int g_forceDesktopResolution;
extern float g_widthFactor, g_heightFactor;
extern float g_ScreenCenterX, g_ScreenCenterY;
extern int g_isFastComputer;

// Play field, in logical pixels.
extern int g_gamefieldWidth, g_gamefieldHeight, g_gamefieldXoffset, g_gamefieldYoffset;
extern float g_BrickShieldY;
extern int g_brickCollisionSubdivisions;

// Gameplay settings.
extern int g_maxBalls;
extern int g_maxParticles;
extern int g_useBallTrails;
extern float g_gravitationalConstant;
extern float g_paddlePositionModifier;
extern int g_godMode;

// Frame timing and game speed.
extern int g_frameDelay, g_realFrameDelay, g_maxFrameDelay;
extern int g_lastMilliSecs, g_curMilliSecs;
extern float g_gameSpeedFactor;
extern float g_gameSpeedModulation, g_gameSpeedTargetModulation;
extern float g_gameSpeedModulationTTL, g_gameSpeedModulationRate;
extern float g_gameSpeedDifficultyAdjust;
extern int g_pauseAtFlip;

// Mouse and keys.
extern float g_MouseXSpeed, g_MouseYSpeed;
extern int g_MouseXPrev, g_MouseYPrev;
extern int g_MouseMovementZone;
extern int g_cmdIsDown;

// Screen overlay and head-up display.
extern int g_ScreenOverlayRed, g_ScreenOverlayGreen, g_ScreenOverlayBlue;
extern float g_ScreenOverlayAlpha;
extern int64_t g_ScoreToDisplay;
extern int g_LevelToDisplay;

// Fonts, audio and language.
extern TImageFontPtr g_LargeFont, g_MenuFont, g_MidFont, g_SmallFont;
extern float g_sfxVolume, g_musicVolume;
extern std::string g_language;

// Debug state.
extern std::string g_DebugLog;
extern int g_totalErrors;
extern std::vector<std::string> g_DebugStrings;
extern int g_debugSpritesInMemory;
extern int g_enableOnscreenDebug;
// Keeps debug-log lines off standard output (the fuzzers add thousands a second).
extern int g_debugLogQuiet;

// Tables.
extern std::vector<float> g_Sin, g_Cos;

// Runs the start-up steps once; later calls return at once.
void InitGlobals();
// For tests: lets InitGlobals run again.
void ResetGlobalsForTest();

// The debug log. Each entry is kept with an LF and echoed to standard output with CR LF;
// the 501st entry (and every one after it) saves the log and ends the process.
int AddLineToDebugLog(const std::string& line);
// Saves the whole log to ErrorLogPath() (left read-only), shows message and ends the
// process. A save that fails part-way shows "Could not save the following message to the
// error log: " + message and returns 0; a file that cannot be opened shows that text too,
// then ends the process.
int WriteDebugLog(const std::string& message);
// The whole log to standard output in one line.
int PrintDebugLog();
// The per-user folder + "bx2_error_log.txt".
std::string ErrorLogPath();

// Frame timing and game speed: once per drawn frame, after the screen's drawing and
// before the flip. showDebug 1 draws the debug texts; a non-zero menuMode freezes the
// speed change.
int ScreenRefresh(int showDebug, int menuMode);
int SetGlobalGameSpeed(float target, float rate, float ttl);
// The overlay's clock: a "HH:MM:SS" time in the game's 12-hour form ("09:05 AM", "1:05 PM").
std::string TwelveHourClock(const std::string& time24);

// Relative mouse motion: measures the pointer's motion since the last call into
// g_MouseXSpeed and g_MouseYSpeed and keeps the pointer near the screen's centre.
int g_useMouseAsProportionalController();
// 1 when the player asked to quit (Command with Q, or the system's request).
int CheckForCommandQ();

// Fonts, numbers and array growth.
int LoadGameFont();
std::string FormatNumber(int64_t value);
std::vector<int> AppendNewInt(const std::vector<int>& array);
std::vector<float> AppendNewFloat(const std::vector<float>& array);
std::vector<std::string> AppendNewString(const std::vector<std::string>& array);

// A named stopwatch that sums its completed runs.
class debugTimer {
public:
    std::string name;
    int startTime = 0;
    int endTime = 0;
    int64_t totalTime = 0;  // 64 bits: a long-lived timer's sum must not overflow
    int isRunning = 0;
    int totalRuns = 0;
    int hiTime = 0;
    int loTime = 999999999;

    int Start(const std::string& newName);
    int Stop();
    std::string Report(const std::string& note);
};
using DebugTimerPtr = std::shared_ptr<debugTimer>;

// Stopwatches addressed by name; a name not yet known is added by Start.
class performanceTimers {
public:
    std::vector<DebugTimerPtr> timers;

    int Start(const std::string& name);
    int Stop(const std::string& name);
    int Report();
};
using PerformanceTimersPtr = std::shared_ptr<performanceTimers>;

// The content-pack loader's phase timers; made at start-up.
extern PerformanceTimersPtr g_LoadTimers;

// Runs body; anything it raises becomes one debug-log line (label + the exception's
// text) and the neutral value is returned instead.
template <class T, class F>
T Guarded(const char* label, T neutral, F&& body) {
    try {
        return body();
    } catch (const TRuntimeException& e) {
        AddLineToDebugLog(label + e.ToString());
    } catch (const std::exception& e) {
        AddLineToDebugLog(label + std::string(e.what()));
    } catch (const std::string& s) {
        AddLineToDebugLog(label + s);
    } catch (...) {
        AddLineToDebugLog(std::string(label));
    }
    return neutral;
}
