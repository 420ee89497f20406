// The debug log: entries echoed with CR LF, the save to the error-log file on the 501st
// entry (in a child process, since a save ends the process) and the failed saves.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <fstream>
#include <sstream>

#include "core/globals.h"
#include "support/game_test.h"

namespace {

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

int ModeOf(const std::string& path) {
    struct stat st;
    if (stat(path.c_str(), &st) != 0) return -1;
    return st.st_mode & 07777;
}

// What a child process left behind: its exit status and its two output streams.
struct ChildResult {
    int exitStatus = -1;
    std::string out, err;
};

std::string ReadAll(int fd) {
    std::string text;
    char buf[4096];
    ssize_t n;
    while ((n = read(fd, buf, sizeof buf)) > 0) text.append(buf, static_cast<size_t>(n));
    close(fd);
    return text;
}

// Runs body in a forked child with stdout and stderr going to pipes (not files, so a
// file-size limit in the child does not cut them). A child whose body returns exits with
// status 3, so a missing process end shows.
template <class F>
ChildResult RunInChild(F body) {
    int out[2], err[2];
    EXPECT_EQ(pipe(out), 0);
    EXPECT_EQ(pipe(err), 0);
    std::fflush(stdout);
    std::fflush(stderr);
    pid_t pid = fork();
    if (pid == 0) {
        dup2(out[1], 1);
        dup2(err[1], 2);
        close(out[0]), close(out[1]), close(err[0]), close(err[1]);
        SetEndStatus(0);
        body();
        std::fflush(stdout);
        _exit(3);
    }
    close(out[1]);
    close(err[1]);
    ChildResult result;
    result.out = ReadAll(out[0]);
    result.err = ReadAll(err[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return result;
}

std::string Numbered(int i) { return "entry " + std::to_string(i); }

class DebugLogTest : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        folder = ScratchPath();
        g_userPath = folder + "/";
    }
    std::string folder;
};

}  // namespace

TEST_F(DebugLogTest, AnEntryIsKeptAndEchoedWithCrLf) {
    testing::internal::CaptureStdout();
    EXPECT_EQ(AddLineToDebugLog("io:ReadFileToString() missing"), 0);
    AddLineToDebugLog("");
    AddLineToDebugLog("two\nlines");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "io:ReadFileToString() missing\r\n\r\ntwo\nlines\r\n");
    EXPECT_EQ(g_DebugLog, "io:ReadFileToString() missing\n\ntwo\nlines\n");
    EXPECT_EQ(g_totalErrors, 3);
}

TEST_F(DebugLogTest, ALatin1CharacterIsEchoedAsUtf8) {
    testing::internal::CaptureStdout();
    AddLineToDebugLog("caf\xe9");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "caf\xc3\xa9\r\n");
    EXPECT_EQ(g_DebugLog, "caf\xe9\n");
}

TEST_F(DebugLogTest, PrintDebugLogWritesTheWholeLog) {
    testing::internal::CaptureStdout();
    PrintDebugLog();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "\r\n");
    g_DebugLog = "a\nb\n";
    testing::internal::CaptureStdout();
    PrintDebugLog();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "a\nb\n\r\n");
}

TEST_F(DebugLogTest, FiveHundredEntriesSaveNothing) {
    testing::internal::CaptureStdout();
    for (int i = 1; i <= 500; ++i) AddLineToDebugLog(Numbered(i));
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(g_totalErrors, 500);
    EXPECT_EQ(ModeOf(ErrorLogPath()), -1);
}

TEST_F(DebugLogTest, The501stEntrySavesAlertsAndEnds) {
    // An earlier run's read-only file is replaced.
    std::string path = ErrorLogPath();
    std::ofstream(path) << "old run\n";
    chmod(path.c_str(), 0444);

    ChildResult child = RunInChild([] {
        for (int i = 1; i <= 501; ++i) AddLineToDebugLog(Numbered(i));
    });
    // So many faults end a run that cannot go on.
    EXPECT_EQ(child.exitStatus, kCannotGoOnStatus);

    std::string expectedLog, expectedOut;
    for (int i = 1; i <= 501; ++i) expectedLog += Numbered(i) + "\n";
    for (int i = 1; i <= 500; ++i) expectedOut += Numbered(i) + "\r\n";
    EXPECT_EQ(Slurp(path), expectedLog);
    EXPECT_EQ(ModeOf(path), 0444);
    // The 501st entry is saved but never echoed.
    EXPECT_EQ(child.out, expectedOut);
    std::string alert =
        "Whoops!  Something has gone very, very wrong.\n\nPlease see the file named \"" + path + "\" For details.";
    EXPECT_EQ(child.err, alert + "\n");
}

TEST_F(DebugLogTest, TheAlertGoesThroughTheNotifyHookAndTheRunEndsWithItsStatus) {
    // The player's own end of a run exits as usual; a run that cannot go on says so.
    const struct {
        int endStatus;
        int exitStatus;
    } cases[] = {{0, 0}, {kCannotGoOnStatus, kCannotGoOnStatus}, {5, 5}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.endStatus);
        std::string hookFile = folder + "/alert.txt";
        ChildResult child = RunInChild([&] {
            SetNotifyHook([&](const std::string& text, bool serious) {
                std::ofstream(hookFile) << (serious ? "serious:" : "plain:") << text;
            });
            WriteDebugLog("See the error log.", c.endStatus);
        });
        EXPECT_EQ(child.exitStatus, c.exitStatus);
        EXPECT_EQ(Slurp(hookFile), "plain:See the error log.");
    }
}

TEST_F(DebugLogTest, AFileThatCannotBeOpenedIsNotPointedAt) {
    g_userPath = folder + "/missing/";
    ChildResult child = RunInChild([] {
        for (int i = 1; i <= 501; ++i) AddLineToDebugLog(Numbered(i));
    });
    // So many faults end a run that cannot go on.
    EXPECT_EQ(child.exitStatus, kCannotGoOnStatus);
    EXPECT_EQ(ModeOf(ErrorLogPath()), -1);
    EXPECT_EQ(child.err.rfind("Could not save the following message to the error log: Whoops!  Something", 0), 0u)
        << child.err;
    EXPECT_EQ(child.out.find(Numbered(501)), std::string::npos);
}

TEST_F(DebugLogTest, AFailedWriteAlertsAndTheRunGoesOn) {
    ChildResult child = RunInChild([] {
        // Every write beyond 100 bytes fails: the save cannot complete.
        std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit = {100, 100};
        setrlimit(RLIMIT_FSIZE, &limit);
        for (int i = 1; i <= 502; ++i) AddLineToDebugLog(Numbered(i));
        _exit(7);
    });
    EXPECT_EQ(child.exitStatus, 7);
    // The old file is never half-written: there is none.
    EXPECT_EQ(ModeOf(ErrorLogPath()), -1);
    std::string alert =
        "Could not save the following message to the error log: Whoops!  Something has gone very, very wrong.\n\n"
        "Please see the file named \"" +
        ErrorLogPath() + "\" For details.\n";
    EXPECT_EQ(child.err, alert + alert);
    // The 501st and 502nd entries are echoed, since the run went on.
    EXPECT_NE(child.out.find(Numbered(501) + "\r\n" + Numbered(502) + "\r\n"), std::string::npos);
}
