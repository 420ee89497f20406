// What the fuzzers share: a quiet debug log that never reaches its save-and-exit limit,
// and a way to stop on a broken promise of the functions under test.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "core/globals.h"
#include "media/mixer.h"
#include "platform/graphics.h"
#include "platform/runtime.h"

inline void QuietDebugLog() {
    g_debugLogQuiet = 1;
    g_DebugStrings.assign(10, "");
}

// Run before every input: the 501st line would save the log and end the process.
inline void ResetDebugLog() {
    g_DebugLog.clear();
    g_totalErrors = 0;
}

[[noreturn]] inline void Broken(const char* what, const std::string& a, const std::string& b) {
    std::fprintf(stderr, "broken: %s\n  got:      [%s]\n  expected: [%s]\n", what, a.c_str(), b.c_str());
    std::abort();
}

// What loading a pack or a level asks for: a 1024x768 screen at scale 1, a clock on which
// every frame of the loading screen's fades counts as 80 ms (so none is waited for), a mixer.
inline void OpenScreenClockAndMixer() {
    Graphics(1024, 768, 0, 60);
    g_widthFactor = 1.0f;
    g_heightFactor = 1.0f;
    UseTestClock(100000, 0, 80);
    g_MasterMixer = std::make_shared<Mixer>();
    g_MasterMixer->Initialize(16);
}
