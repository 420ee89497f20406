#include "core/playtrace.h"

#include <cstdio>

namespace {

std::FILE* g_trace = nullptr;

void Line(const char* what, const std::string& name) {
    if (!g_trace) return;
    std::fprintf(g_trace, "%s %s\n", what, name.c_str());
    // A run ended by a signal keeps every line written before it.
    std::fflush(g_trace);
}

}  // namespace

bool OpenPlayTrace(const std::string& path) {
    ClosePlayTrace();
    if (path.empty()) return true;
    g_trace = std::fopen(path.c_str(), "a");
    return g_trace != nullptr;
}

void ClosePlayTrace() {
    if (g_trace) std::fclose(g_trace);
    g_trace = nullptr;
}

void TracePowerupCaught(const std::string& name) { Line("powerup", name); }
void TraceBrickBroken(const std::string& name) { Line("brick", name); }
