// Error reports by code: the table of messages and severities, and ThrowError, which notes,
// logs or raises a report as its severity says.
#include "core/errors.h"

#include "core/debuglog.h"
#include "core/globals.h"
#include "platform/runtime.h"

const char* const kUnknownErrorMessage = "An error occured.  (Specifics are unavailable.)";

std::string GetErrorMessage(int code) {
    return Guarded("parser:GetErrorMessage() ", std::string(), [&]() -> std::string {
        for (size_t i = 0; i < g_errormessage.size(); ++i) {
            if (At(g_errorcode, i) == code) return g_errormessage[i];
        }
        return kUnknownErrorMessage;
    });
}

int GetErrorSeverity(int code) {
    return Guarded("parser:GetErrorSeverity() ", 0, [&] {
        for (size_t i = 0; i < g_errorseverity.size(); ++i) {
            if (At(g_errorcode, i) == code) return g_errorseverity[i];
        }
        return 4;
    });
}

int ThrowError(int code, const std::string& detail) {
    std::string message = GetErrorMessage(code);
    if (!detail.empty()) message += " (" + detail + ")";

    // The on-screen debug overlay shows the latest reports, newest first. Before start-up
    // has made the list there is nowhere to keep them.
    if (!g_DebugStrings.empty()) {
        for (size_t i = g_DebugStrings.size() - 1; i > 0; --i) g_DebugStrings[i] = std::move(g_DebugStrings[i - 1]);
        g_DebugStrings[0] = message;
    }

    switch (GetErrorSeverity(code)) {
        case 0:
            return code;
        case 1:
            AddLineToDebugLog(" NOTE: " + message);
            return code;
        case 2:
            AddLineToDebugLog(" WARN: " + message);
            RuntimeError(message);
        case 3:
            AddLineToDebugLog(" ERR: " + message);
            RuntimeError(message);
        case 4:
            AddLineToDebugLog(message);
            throw message;
        default:
            RuntimeError(message);
    }
}
