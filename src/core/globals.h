// The game's global settings and state, the whole-degree tables, the frame services and
// the debug timers; the debug log and its guard come with it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/debuglog.h"
#include "platform/font.h"

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

// Debug state; the debug log itself is in core/debuglog.h.
extern std::vector<std::string> g_DebugStrings;
extern int g_debugSpritesInMemory;
extern int g_enableOnscreenDebug;

// Tables.
extern std::vector<float> g_Sin, g_Cos;

// Runs the start-up steps once; later calls return at once.
void InitGlobals();
// For tests: lets InitGlobals run again.
void ResetGlobalsForTest();

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
