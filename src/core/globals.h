// The game's global settings and state, the whole-degree tables, the frame services and
// the debug timers; the debug log and its guard come with it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/debuglog.h"
#include "core/volumes.h"
#include "platform/font.h"

class performanceTimers;
using PerformanceTimersPtr = std::shared_ptr<performanceTimers>;

// Every global of the core, once: its type, its name and the value it has when the program
// starts. The list declares them below, defines them in globals.cpp and is what ResetGlobals
// puts back, so a new global is added here and nowhere else. (The debug log's, the error
// table's and the volume driver's are declared again beside their functions.)
#define BX2_GLOBALS(X)                                                   \
    /* Folders and files. */                                             \
    X(std::string, g_dataPath, "")                                       \
    X(std::string, g_userPath, "")                                       \
    X(std::string, g_fontPath, "")                                       \
    /* Screen and display. */                                            \
    X(int, g_desktopWidth, -1)                                           \
    X(int, g_desktopHeight, -1)                                          \
    X(int, g_desktopDepth, -1)                                           \
    X(int, g_desktopHertz, -1)                                           \
    X(int, g_virtualWidth, 1024)                                         \
    X(int, g_virtualHeight, 768)                                         \
    X(int, g_ScreenWidth, -1)                                            \
    X(int, g_ScreenHeight, -1)                                           \
    X(int, g_ScreenDepth, -1)                                            \
    X(int, g_ScreenHertz, -1)                                            \
    X(int, g_isFullscreen, -1)                                           \
    X(int, g_forceDesktopResolution, 0)                                  \
    X(float, g_widthFactor, 1.0f)                                        \
    X(float, g_heightFactor, 1.0f)                                       \
    X(float, g_ScreenCenterX, 0.0f)                                      \
    X(float, g_ScreenCenterY, 0.0f)                                      \
    X(int, g_isFastComputer, 1)                                          \
    /* Play field, in logical pixels. */                                 \
    X(int, g_gamefieldWidth, 720)                                        \
    X(int, g_gamefieldHeight, 760)                                       \
    X(int, g_gamefieldXoffset, 4)                                        \
    X(int, g_gamefieldYoffset, 4)                                        \
    X(float, g_BrickShieldY, 0.0f)                                       \
    X(int, g_brickCollisionSubdivisions, 4)                              \
    /* Gameplay settings. */                                             \
    X(int, g_maxBalls, 16)                                               \
    X(int, g_maxParticles, 256)                                          \
    X(int, g_useBallTrails, 1)                                           \
    X(float, g_gravitationalConstant, 0.2f)                              \
    X(float, g_paddlePositionModifier, 1.0f)                             \
    X(int, g_godMode, 0)                                                 \
    /* Frame timing and game speed. */                                   \
    X(int, g_frameDelay, 30)                                             \
    X(int, g_realFrameDelay, 30)                                         \
    X(int, g_maxFrameDelay, 45)                                          \
    X(int, g_lastMilliSecs, 0)                                           \
    X(int, g_curMilliSecs, 0)                                            \
    X(float, g_gameSpeedFactor, 1.0f)                                    \
    X(float, g_gameSpeedModulation, 1.0f)                                \
    X(float, g_gameSpeedTargetModulation, 1.0f)                          \
    X(float, g_gameSpeedModulationTTL, -1.0f)                            \
    X(float, g_gameSpeedModulationRate, 10.0f)                           \
    X(float, g_gameSpeedDifficultyAdjust, 1.0f)                          \
    X(int, g_pauseAtFlip, 0)                                             \
    /* Mouse and keys. */                                                \
    X(float, g_MouseXSpeed, 0.0f)                                        \
    X(float, g_MouseYSpeed, 0.0f)                                        \
    X(int, g_MouseXPrev, 0)                                              \
    X(int, g_MouseYPrev, 0)                                              \
    X(int, g_MouseMovementZone, 50)                                      \
    X(float, g_MouseXTravel, 0.0f)                                       \
    X(float, g_MouseYTravel, 0.0f)                                       \
    X(int, g_MouseXRest, 0)                                              \
    X(int, g_MouseYRest, 0)                                              \
    X(int, g_cmdIsDown, 0)                                               \
    /* Screen overlay and head-up display. */                            \
    X(int, g_ScreenOverlayRed, 0)                                        \
    X(int, g_ScreenOverlayGreen, 0)                                      \
    X(int, g_ScreenOverlayBlue, 0)                                       \
    X(float, g_ScreenOverlayAlpha, 0.0f)                                 \
    X(int64_t, g_ScoreToDisplay, 0)                                      \
    X(int, g_LevelToDisplay, 0)                                          \
    /* Fonts, audio and language. */                                     \
    X(TImageFontPtr, g_LargeFont, nullptr)                               \
    X(TImageFontPtr, g_MenuFont, nullptr)                                \
    X(TImageFontPtr, g_MidFont, nullptr)                                 \
    X(TImageFontPtr, g_SmallFont, nullptr)                               \
    X(float, g_sfxVolume, 0.0f)                                          \
    X(float, g_musicVolume, 0.0f)                                        \
    X(std::string, g_language, "")                                       \
    /* The debug log (core/debuglog.h) and the debug state around it. */ \
    X(std::string, g_DebugLog, "")                                       \
    X(int, g_totalErrors, 0)                                             \
    X(int, g_debugLogQuiet, 0)                                           \
    X(std::vector<std::string>, g_DebugStrings, {})                      \
    X(int, g_debugSpritesInMemory, 0)                                    \
    X(int, g_enableOnscreenDebug, 0)                                     \
    /* The error table (core/errors.h). */                               \
    X(std::vector<int>, g_errorcode, {})                                 \
    X(std::vector<int>, g_errorseverity, {})                             \
    X(std::vector<std::string>, g_errormessage, {})                      \
    /* The whole-degree tables, made by InitGlobals. */                  \
    X(std::vector<float>, g_Sin, {})                                     \
    X(std::vector<float>, g_Cos, {})                                     \
    /* The content-pack loader's phase timers, made by InitGlobals. */   \
    X(PerformanceTimersPtr, g_LoadTimers, nullptr)                       \
    /* The volume driver (core/volumes.h), made on first use. */         \
    X(TVolumePtr, volume_driver, nullptr)

#define BX2_DECLARE_GLOBAL(type, name, start) extern type name;
BX2_GLOBALS(BX2_DECLARE_GLOBAL)
#undef BX2_DECLARE_GLOBAL

// Runs the start-up steps once; later calls return at once.
void InitGlobals();
// Every global of the list back to its start value, and InitGlobals free to run again; each
// test starts from here.
void ResetGlobals();

// Frame timing and game speed: once per drawn frame, after the screen's drawing and
// before the flip. showDebug 1 draws the debug texts; a non-zero menuMode freezes the
// speed change.
int ScreenRefresh(int showDebug, int menuMode);
int SetGlobalGameSpeed(float target, float rate, float ttl);
// The overlay's clock: a "HH:MM:SS" time in the game's 12-hour form ("09:05 AM", "1:05 PM").
std::string TwelveHourClock(const std::string& time24);

// Relative mouse motion: measures the pointer's motion since the last call into
// g_MouseXSpeed and g_MouseYSpeed and keeps the pointer near the screen's centre. The
// pointer's true motion, without the measure the recentring repeats, is added up in
// g_MouseXTravel and g_MouseYTravel (screen pixels) for whoever takes it.
int g_useMouseAsProportionalController();
// Forgets the travel added up so far.
void ResetMouseTravel();
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
