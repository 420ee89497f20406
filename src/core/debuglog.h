// The debug log, where every caught failure and progress note goes, and the guard that
// every failing body reports through.
#pragma once

#include <exception>
#include <string>

#include "platform/runtime.h"

// Defined with their start values in the globals list (core/globals.h).
extern std::string g_DebugLog;
extern int g_totalErrors;
// Keeps debug-log lines off standard output (the fuzzers add thousands a second).
extern int g_debugLogQuiet;

// Each entry is kept with an LF and echoed to standard output with CR LF; the 501st entry
// (and every one after it) saves the log and ends the process.
int AddLineToDebugLog(const std::string& line);
// Saves the whole log to ErrorLogPath() (left read-only), shows message and ends the
// process: with End() when endStatus is 0 (the player's own ends of a run), else with that
// status (a run that cannot go on). A save that fails part-way shows "Could not save the
// following message to the error log: " + message and returns 0; a file that cannot be
// opened shows that text too, then ends the process.
int WriteDebugLog(const std::string& message, int endStatus = 0);
// The whole log to standard output in one line.
int PrintDebugLog();
// The per-user folder + "bx2_error_log.txt".
std::string ErrorLogPath();

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
