// What the fuzzers share: a quiet debug log that never reaches its save-and-exit limit,
// and a way to stop on a broken promise of the functions under test.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/globals.h"

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
