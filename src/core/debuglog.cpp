// The debug log: one entry per caught failure or progress note, echoed at once and
// saved whole to the error-log file when it overflows and at the ends of a run.
#include "core/debuglog.h"

#include "core/globals.h"
#include "platform/files.h"

std::string ErrorLogPath() { return g_userPath + "bx2_error_log.txt"; }

namespace {
const char* const kCouldNotSave = "Could not save the following message to the error log: ";
}

int AddLineToDebugLog(const std::string& line) {
    try {
        g_DebugLog += line;
        g_DebugLog += '\n';
        ++g_totalErrors;
        if (g_totalErrors > 500) {
            // A run this full of faults cannot go on.
            WriteDebugLog(std::string("Whoops!  Something has gone very, very wrong.") + "\n\n" +
                              "Please see the file named \"" + ErrorLogPath() + "\" For details.",
                          kCannotGoOnStatus);
        }
        // Print ends the line with LF; the log's echo ends each line with CR LF.
        if (!g_debugLogQuiet) Print(line + "\r");
    } catch (...) {
        // Logging must never fail its caller.
    }
    return 0;
}

int WriteDebugLog(const std::string& message, int endStatus) {
    int written = 0;
    try {
        // The whole log replaces the file atomically (an old read-only file included)
        // and is left read-only.
        written = WriteWholeFile(ErrorLogPath(), g_DebugLog, 0444);
    } catch (...) {
        written = 0;
    }
    if (written == 0) {
        // The save failed part-way: say so, and let the run go on.
        Notify(kCouldNotSave + message, false);
        return 0;
    }
    // A file that could not even be opened was never written: don't point the player at it.
    Notify(written == 1 ? message : kCouldNotSave + message, false);
    if (endStatus == 0) End();
    End(endStatus);
}

int PrintDebugLog() {
    try {
        Print(g_DebugLog + "\r");
    } catch (const std::exception& e) {
        AddLineToDebugLog(std::string("globals:PrintDebugLog() ") + e.what());
    }
    return 0;
}
