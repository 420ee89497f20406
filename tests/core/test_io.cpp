// Tests of the whole-file helpers and the HTTP text fetch.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "core/errors.h"
#include "core/globals.h"
#include "core/io.h"
#include "platform/stream.h"
#include "support/game_test.h"

namespace {

std::vector<std::string> LogLines() { return DebugLogLines(); }

// Every test works in a fresh folder that also stands in for the user's and the data
// folders, with an empty debug log and an empty error-code table.
class IoTest : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        ASSERT_FALSE(ScratchPath().empty());
        root_ = ScratchPath() + "/";
        setenv("XDG_DATA_HOME", ScratchPath().c_str(), 1);
        setenv("BX2_DATA_DIR", ScratchPath().c_str(), 1);
        g_dataPath = root_;
    }
    std::string Path(const std::string& name) const { return root_ + name; }
    void Put(const std::string& name, const std::string& text) const {
        FILE* f = std::fopen(Path(name).c_str(), "wb");
        ASSERT_NE(f, nullptr) << name;
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
    }
    std::string Get(const std::string& name) const {
        FILE* f = std::fopen(Path(name).c_str(), "rb");
        if (!f) return "<missing>";
        std::string text;
        char buf[4096];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
        std::fclose(f);
        return text;
    }
    int ModeOf(const std::string& name) const {
        struct stat st;
        return stat(Path(name).c_str(), &st) == 0 ? static_cast<int>(st.st_mode & 07777) : -1;
    }
    void SetTable(std::vector<int> codes, std::vector<int> severities, std::vector<std::string> messages) {
        g_errorcode = std::move(codes);
        g_errorseverity = std::move(severities);
        g_errormessage = std::move(messages);
    }
    std::string root_;
};

// ---------------------------------------------------------------------------
using ReadFileToStringTest = IoTest;

TEST_F(ReadFileToStringTest, ReadsWholeFilesAndStaysQuietWhenAsked) {
    std::string allBytes;
    for (int i = 0; i < 256; ++i) allBytes += static_cast<char>(i);
    Put("bytes.bin", allBytes);
    Put("empty.txt", "");
    std::filesystem::create_directory(Path("folder"));

    struct Case {
        const char* name;
        int silent;
        std::string expected;
    };
    const Case cases[] = {
        {"bytes.bin", 0, allBytes},  // bytes 128 to 255 come back as themselves
        {"empty.txt", 0, ""},        // empty, but no report: the file is there
        // Any flag but 0 keeps it quiet.
        {"missing.txt", 1, ""},
        {"folder", 1, ""},
        {"missing.txt", 2, ""},
    };
    for (const Case& c : cases) EXPECT_EQ(ReadFileToString(Path(c.name), c.silent), c.expected) << c.name;
    EXPECT_EQ(g_DebugLog, "");
    EXPECT_EQ(g_DebugStrings[0], "");
}

TEST_F(ReadFileToStringTest, UnreadableFileIsReportedWithCode13AndNeverRaises) {
    std::filesystem::create_directory(Path("folder"));
    const std::string unknown = "An error occured.  (Specifics are unavailable.)";
    struct Case {
        const char* name;
        // Severity of code -13 in the table; -1 for an empty table.
        int severity;
        // "@" stands for the report's message.
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        // Before the table is loaded every code is unknown: logged bare and thrown,
        // then caught here and logged again under this function's label.
        {"missing.txt", -1, {"@", "io:ReadFileToString() @"}},
        {"folder", -1, {"@", "io:ReadFileToString() @"}},
        {"missing.txt", 0, {}},
        {"missing.txt", 1, {" NOTE: @"}},
        {"missing.txt", 2, {" WARN: @", "io:ReadFileToString() @"}},
        {"missing.txt", 3, {" ERR: @", "io:ReadFileToString() @"}},
        {"missing.txt", 4, {"@", "io:ReadFileToString() @"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " severity " + std::to_string(c.severity));
        g_DebugLog.clear();
        if (c.severity < 0) {
            SetTable({}, {}, {});
        } else {
            SetTable({-13}, {c.severity}, {"File missing"});
        }
        std::string message = (c.severity < 0 ? unknown : "File missing") + " (" + Path(c.name) + ")";
        std::string result = "not called";
        EXPECT_NO_THROW(result = ReadFileToString(Path(c.name), 0));
        EXPECT_EQ(result, "");
        std::vector<std::string> expected;
        for (std::string line : c.lines) expected.push_back(line.replace(line.find('@'), 1, message));
        EXPECT_EQ(LogLines(), expected);
        EXPECT_EQ(g_DebugStrings[0], message);
    }
}

// ---------------------------------------------------------------------------
using WriteStringToFileTest = IoTest;

TEST_F(WriteStringToFileTest, WritesWholeTextAndLeavesTheAskedMode) {
    std::string allBytes;
    for (int i = 255; i >= 0; --i) allBytes += static_cast<char>(i);
    struct Case {
        int readOnly;
        int mode;
    };
    // Each round replaces the file of the round before, read-only ones included.
    const Case cases[] = {{1, 0444}, {0, 0744}, {1, 0444}, {2, 0744}, {1, 0444}, {-1, 0744}, {1, 0444}};
    int round = 0;
    for (const Case& c : cases) {
        std::string text = "round " + std::to_string(round++) + allBytes;
        EXPECT_EQ(WriteStringToFile(text, Path("player.xml"), c.readOnly), 1) << c.readOnly;
        EXPECT_EQ(Get("player.xml"), text);
        EXPECT_EQ(ModeOf("player.xml"), c.mode) << c.readOnly;
    }
    EXPECT_EQ(WriteStringToFile("", Path("empty.xml"), 0), 1);
    EXPECT_EQ(Get("empty.xml"), "");
    EXPECT_EQ(g_DebugLog, "");
    // Nothing is left behind beside the files.
    int entries = 0;
    for (const auto& entry : std::filesystem::directory_iterator(root_)) entries += entry.is_regular_file();
    EXPECT_EQ(entries, 2);
}

TEST_F(WriteStringToFileTest, MissingFolderGivesMinusOneAndLogsNothing) {
    EXPECT_EQ(WriteStringToFile("text", Path("no such folder/prefs.xml"), 1), -1);
    EXPECT_EQ(WriteStringToFile("text", Path(""), 0), -1);  // the folder itself
    EXPECT_EQ(g_DebugLog, "");
    EXPECT_FALSE(std::filesystem::exists(Path("no such folder")));
}

TEST_F(WriteStringToFileTest, FailedWriteKeepsTheOldFile) {
    const std::string old = "<player><name>Nameless Wonder</name></player>\n";
    ASSERT_EQ(WriteStringToFile(old, Path("player.xml"), 1), 1);

    // Files may not grow past 1 MiB for a moment; the new text needs 2 MiB.
    struct sigaction ignore = {}, previous = {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGXFSZ, &ignore, &previous);
    rlimit saved = {};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 1 << 20;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    int result = WriteStringToFile(std::string(2 << 20, 'x'), Path("player.xml"), 1);
    setrlimit(RLIMIT_FSIZE, &saved);
    sigaction(SIGXFSZ, &previous, nullptr);

    EXPECT_EQ(result, 0);
    EXPECT_EQ(Get("player.xml"), old);
    EXPECT_EQ(ModeOf("player.xml"), 0444);
    std::vector<std::string> lines = LogLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].rfind("io:WriteStringToFile() ", 0), 0u) << lines[0];
    int entries = 0;
    for (const auto& entry : std::filesystem::directory_iterator(root_)) entries += entry.is_regular_file();
    EXPECT_EQ(entries, 1) << "the temporary file was left behind";
}

// ---------------------------------------------------------------------------
using DeleteGameFileTest = IoTest;

TEST_F(DeleteGameFileTest, DeletesReadOnlyFilesAndIgnoresMissingOnes) {
    ASSERT_EQ(WriteStringToFile("saved game", Path("save.xml"), 1), 1);
    ASSERT_EQ(WriteStringToFile("prefs", Path("prefs.xml"), 0), 1);
    EXPECT_EQ(DeleteGameFile(Path("save.xml")), 0);
    EXPECT_EQ(DeleteGameFile(Path("prefs.xml")), 0);
    EXPECT_EQ(DeleteGameFile(Path("missing.xml")), 0);
    EXPECT_FALSE(std::filesystem::exists(Path("save.xml")));
    EXPECT_FALSE(std::filesystem::exists(Path("prefs.xml")));
    EXPECT_EQ(g_DebugLog, "");
}

// ---------------------------------------------------------------------------
// A one-connection HTTP server on 127.0.0.1: it reads the request up to its empty
// line, sends a canned answer and closes, or keeps the connection open until the
// client goes away.
class TinyServer {
public:
    TinyServer(std::string response, bool holdOpen) : response_(std::move(response)), holdOpen_(holdOpen) {
        listener_ = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr = {};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
        listen(listener_, 1);
        socklen_t len = sizeof addr;
        getsockname(listener_, reinterpret_cast<sockaddr*>(&addr), &len);
        port_ = ntohs(addr.sin_port);
        thread_ = std::thread([this] { Serve(); });
    }
    ~TinyServer() {
        Finish();
        close(listener_);
    }
    std::string host() const { return "127.0.0.1:" + std::to_string(port_); }
    // What the client sent; waits for the exchange to end.
    const std::string& request() {
        Finish();
        return request_;
    }

private:
    void Finish() {
        if (thread_.joinable()) thread_.join();
    }
    void Serve() {
        pollfd p{listener_, POLLIN, 0};
        if (poll(&p, 1, 5000) <= 0) return;
        int fd = accept(listener_, nullptr, nullptr);
        if (fd < 0) return;
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        char buf[1024];
        // Read the whole request first: closing on unread bytes would reset the connection.
        while (request_.find("\r\n\r\n") == std::string::npos && std::chrono::steady_clock::now() < deadline) {
            pollfd q{fd, POLLIN, 0};
            if (poll(&q, 1, 100) <= 0) continue;
            ssize_t n = recv(fd, buf, sizeof buf, 0);
            if (n <= 0) break;
            request_.append(buf, static_cast<size_t>(n));
        }
        send(fd, response_.data(), response_.size(), MSG_NOSIGNAL);
        while (holdOpen_ && std::chrono::steady_clock::now() < deadline) {
            pollfd q{fd, POLLIN, 0};
            if (poll(&q, 1, 100) > 0 && recv(fd, buf, sizeof buf, 0) <= 0) break;
        }
        close(fd);
    }

    std::string response_;
    bool holdOpen_;
    int listener_ = -1;
    int port_ = 0;
    std::string request_;
    std::thread thread_;
};

using HTTPgetToStringTest = IoTest;

TEST_F(HTTPgetToStringTest, SendsTheRequestAndRunsTheAnswerTogether) {
    struct Case {
        const char* path;
        std::string response;
        std::string expected;
    };
    const Case cases[] = {
        {"index.html", "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\n\r\nline one\r\nline two\n",
         "HTTP/1.1 200 OKContent-Type: text/plainline oneline two"},
        // A leading slash is kept: two slashes follow the method.
        {"/scores.txt", "HTTP/1.1 404 Not Found\r\n\r\n", "HTTP/1.1 404 Not Found"},
        // Bare LF ends a line too; a zero byte ends a line and is lost.
        {"bytes", std::string("HTTP/1.0 200 OK\n\nab\0cd\xE9", 23), "HTTP/1.0 200 OKabcd\xE9"},
        // The server closes without a word.
        {"silent", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        TinyServer server(c.response, false);
        EXPECT_EQ(HTTPgetToString(c.path, server.host()), c.expected);
        // Exactly three lines, the host line carrying the port as it was passed.
        EXPECT_EQ(server.request(), "GET /" + std::string(c.path) + " HTTP/1.1\r\nHost: " + server.host() + "\r\n\r\n");
    }
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(HTTPgetToStringTest, RefusedConnectionGivesEmptyTextWithoutLogging) {
    // A port that was just free and has no listener.
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr = {};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    socklen_t len = sizeof addr;
    getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
    close(fd);
    EXPECT_EQ(HTTPgetToString("index.html", "127.0.0.1:" + std::to_string(ntohs(addr.sin_port))), "");
    EXPECT_EQ(HTTPgetToString("index.html", "127.0.0.1:0"), "");
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(HTTPgetToStringTest, ServerThatKeepsTheConnectionOpenDoesNotHoldTheGame) {
    SetStreamTimeouts(2000, 300);
    TinyServer server("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nhi", true);
    auto start = std::chrono::steady_clock::now();
    std::string result = HTTPgetToString("index.html", server.host());
    auto elapsed = std::chrono::steady_clock::now() - start;
    SetStreamTimeouts(5000, 10000);
    EXPECT_EQ(result, "HTTP/1.1 200 OKContent-Length: 2hi");
    EXPECT_LT(elapsed, std::chrono::seconds(3));
    EXPECT_EQ(g_DebugLog, "");
}

}  // namespace
