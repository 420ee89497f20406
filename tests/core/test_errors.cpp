// Error reports by code: unknown codes, what each severity logs and raises, repeated codes,
// the recent messages the overlay shows and a damaged table.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/debuglog.h"
#include "core/errors.h"
#include "core/globals.h"
#include "platform/runtime.h"
#include "support/game_test.h"

namespace {

// Every test starts with an empty log, an empty error table and ten blank recent messages.
class ErrorReports : public GameTest {
protected:
    static std::vector<std::string> LogLines() { return DebugLogLines(); }
    // What LoadErrorCodes would leave behind.
    static void SetErrorTable(std::vector<int> codes, std::vector<int> severities, std::vector<std::string> messages) {
        g_errorcode = std::move(codes);
        g_errorseverity = std::move(severities);
        g_errormessage = std::move(messages);
    }
};

TEST_F(ErrorReports, AnUnknownCodeIsLoggedBareAndThrownAsItsMessage) {
    const std::string message = std::string(kUnknownErrorMessage) + " (missing.png)";
    EXPECT_EQ(std::string(kUnknownErrorMessage), "An error occured.  (Specifics are unavailable.)");
    EXPECT_EQ(GetErrorMessage(-13), kUnknownErrorMessage);
    EXPECT_EQ(GetErrorSeverity(-13), 4);
    try {
        ThrowError(-13, "missing.png");
        FAIL() << "nothing thrown";
    } catch (const std::string& thrown) {
        EXPECT_EQ(thrown, message);
    }
    EXPECT_EQ(LogLines(), std::vector<std::string>{message});
    EXPECT_EQ(g_DebugStrings[0], message);
}

TEST_F(ErrorReports, ThrowErrorActsOnEachSeverity) {
    enum Raised { kNothing, kRuntimeError, kMessageText };
    struct Case {
        int severity;
        const char* logLine;  // nullptr: no line
        Raised raised;
    } cases[] = {
        {0, nullptr, kNothing},
        {1, " NOTE: Oops (d)", kNothing},
        {2, " WARN: Oops (d)", kRuntimeError},
        {3, " ERR: Oops (d)", kRuntimeError},
        {4, "Oops (d)", kMessageText},
        {5, nullptr, kRuntimeError},
        {-1, nullptr, kRuntimeError},
    };
    for (const Case& c : cases) {
        SetUp();
        SetErrorTable({7}, {c.severity}, {"Oops"});
        Raised raised = kNothing;
        int result = 0;
        try {
            result = ThrowError(7, "d");
        } catch (const TRuntimeException& e) {
            raised = kRuntimeError;
            EXPECT_EQ(e.error, "Oops (d)");
        } catch (const std::string& s) {
            raised = kMessageText;
            EXPECT_EQ(s, "Oops (d)");
        }
        EXPECT_EQ(raised, c.raised) << "severity " << c.severity;
        if (raised == kNothing) {
            EXPECT_EQ(result, 7) << "severity " << c.severity;
        }
        std::vector<std::string> expectedLog;
        if (c.logLine) expectedLog.push_back(c.logLine);
        EXPECT_EQ(LogLines(), expectedLog) << "severity " << c.severity;
        EXPECT_EQ(g_DebugStrings[0], "Oops (d)") << "severity " << c.severity;
        EXPECT_EQ(g_DebugStrings.size(), 10u);
    }
}

TEST_F(ErrorReports, ACallersHandlerLogsWhatThrowErrorRaises) {
    struct Case {
        int severity;
        std::vector<std::string> log;
    } cases[] = {
        {2, {" WARN: Missing", "images:Image.Load() Missing"}},
        {3, {" ERR: Missing", "images:Image.Load() Missing"}},
        {4, {"Missing", "images:Image.Load() Missing"}},
        {5, {"images:Image.Load() Missing"}},
    };
    for (const Case& c : cases) {
        SetUp();
        SetErrorTable({-14}, {c.severity}, {"Missing"});
        int result = Guarded("images:Image.Load() ", -1, [] {
            ThrowError(-14, "");
            return 1;
        });
        EXPECT_EQ(result, -1);
        EXPECT_EQ(LogLines(), c.log) << "severity " << c.severity;
    }
}

TEST_F(ErrorReports, TheFirstOfRepeatedCodesWinsAndAnEmptyDetailAddsNothing) {
    SetErrorTable({1, -10, -10, 0}, {0, 1, 4, 0}, {"Note", "Wrong password", "Other", ""});
    EXPECT_EQ(GetErrorMessage(-10), "Wrong password");
    EXPECT_EQ(GetErrorSeverity(-10), 1);
    EXPECT_EQ(ThrowError(-10, ""), -10);
    EXPECT_EQ(LogLines(), std::vector<std::string>{" NOTE: Wrong password"});
    EXPECT_EQ(ThrowError(1, "Loading levels array..."), 1);
    EXPECT_EQ(g_DebugStrings[0], "Note (Loading levels array...)");
    // Severity 0 touches nothing but the recent messages.
    EXPECT_EQ(LogLines().size(), 1u);
    EXPECT_EQ(ThrowError(0, ""), 0);
    EXPECT_EQ(g_DebugStrings[0], "");
    EXPECT_EQ(g_DebugStrings[1], "Note (Loading levels array...)");
    EXPECT_EQ(LogLines().size(), 1u);
}

TEST_F(ErrorReports, TheRecentMessagesKeepTheLastTenNewestFirst) {
    SetErrorTable({1}, {0}, {"Note"});
    for (int i = 1; i <= 11; ++i) ThrowError(1, std::to_string(i));
    ASSERT_EQ(g_DebugStrings.size(), 10u);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(g_DebugStrings[i], "Note (" + std::to_string(11 - i) + ")");
    EXPECT_EQ(g_DebugLog, "");

    // Before start-up has made the list, a report still goes through.
    g_DebugStrings.clear();
    EXPECT_EQ(ThrowError(1, "early"), 1);
    EXPECT_TRUE(g_DebugStrings.empty());
}

TEST_F(ErrorReports, ATableWithShortCodeColumnIsCaughtByTheLookups) {
    // The lookups scan the column they read; a shorter code column raises a bad index.
    SetErrorTable({}, {2}, {"Text"});
    EXPECT_EQ(GetErrorMessage(3), "");
    EXPECT_EQ(GetErrorSeverity(3), 0);
    EXPECT_EQ(LogLines(), (std::vector<std::string>{std::string("parser:GetErrorMessage() ") + kBadIndexMessage,
                                                    std::string("parser:GetErrorSeverity() ") + kBadIndexMessage}));
}

}  // namespace
