// Error reports by code and severity: the table LoadErrorCodes fills at start-up and
// ThrowError, through which loaders and file helpers report what they could not do.
#pragma once

#include <string>
#include <vector>

// The table is three parallel arrays, filled by LoadErrorCodes (text/parser.h) at start-up
// (tests may fill them directly); until then every code is unknown. Defined with the other
// globals in core/globals.h's list.
extern std::vector<int> g_errorcode;
extern std::vector<int> g_errorseverity;
extern std::vector<std::string> g_errormessage;

// The text given to a code the table does not hold.
extern const char* const kUnknownErrorMessage;  // "An error occured.  (Specifics are unavailable.)"

std::string GetErrorMessage(int code);
int GetErrorSeverity(int code);
// Severity 0 only remembers the message, 1 also logs it, 2 and 3 log and raise a runtime error,
// 4 logs and throws the message text itself, anything else raises without logging. Returns
// the code when nothing is raised.
int ThrowError(int code, const std::string& detail);
