// Helpers every test may use: the fixtures folder, the debug log split into lines, and the
// processor time a load took.
#pragma once

#include <time.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "core/globals.h"

// A path under the committed fixtures folder (the test main always sets BX2_FIXTURES).
inline std::string FixturePath(const std::string& relative) {
    const char* root = std::getenv("BX2_FIXTURES");
    return std::string(root ? root : ".") + "/" + relative;
}

// An empty debug log, as at start-up: no lines, no count, ten empty recent messages.
inline void ClearDebugLog() {
    g_DebugLog.clear();
    g_totalErrors = 0;
    g_DebugStrings.assign(10, "");
}

// The debug log's lines, without their line feeds.
inline std::vector<std::string> DebugLogLines() {
    std::vector<std::string> lines;
    size_t from = 0;
    for (size_t lf = g_DebugLog.find('\n'); lf != std::string::npos; lf = g_DebugLog.find('\n', from)) {
        lines.push_back(g_DebugLog.substr(from, lf - from));
        from = lf + 1;
    }
    return lines;
}

// Processor seconds this thread has used. Bounds on how long a load may take read this, not the
// wall clock: the other jobs of a busy machine stretch the one but not the other.
inline double ThreadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}
