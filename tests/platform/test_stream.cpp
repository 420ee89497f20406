// Tests of the TCP text streams against a small server on 127.0.0.1: the request
// lines, line reading with every kind of end, time-outs and failed connections.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/stream.h"

namespace {

// Accepts one connection, reads the request up to its blank line, sends the reply in
// pieces and then closes, or stays open until the client closes.
class OneShotServer {
public:
    struct Script {
        std::vector<std::string> pieces;  // sent one by one with a short pause between
        bool readRequest = true;
        bool stayOpen = false;
    };

    explicit OneShotServer(Script script) : script_(std::move(script)) {
        listen_ = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof addr;
        if (bind(listen_, reinterpret_cast<sockaddr*>(&addr), len) != 0 || listen(listen_, 1) != 0 ||
            getsockname(listen_, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
            ADD_FAILURE() << "cannot listen on 127.0.0.1";
            return;
        }
        port_ = ntohs(addr.sin_port);
        thread_ = std::thread([this] { Serve(); });
    }
    ~OneShotServer() {
        if (thread_.joinable()) thread_.join();
        close(listen_);
    }
    int port() const { return port_; }
    // What the client sent; call after the client has closed.
    std::string Received() {
        if (thread_.joinable()) thread_.join();
        return received_;
    }

private:
    void Serve() {
        int fd = accept(listen_, nullptr, nullptr);
        if (fd < 0) return;
        char buf[4096];
        while (script_.readRequest && received_.find("\r\n\r\n") == std::string::npos) {
            ssize_t n = recv(fd, buf, sizeof buf, 0);
            if (n <= 0) break;
            received_.append(buf, static_cast<size_t>(n));
        }
        for (const std::string& piece : script_.pieces) {
            send(fd, piece.data(), piece.size(), MSG_NOSIGNAL);
            std::this_thread::sleep_for(std::chrono::milliseconds(15));
        }
        while (script_.stayOpen && recv(fd, buf, sizeof buf, 0) > 0) {
        }
        close(fd);
    }

    Script script_;
    int listen_ = -1;
    int port_ = 0;
    std::string received_;
    std::thread thread_;
};

std::string Address(int port) { return "tcp::127.0.0.1:" + std::to_string(port); }

class Streams : public ::testing::Test {
protected:
    void TearDown() override { SetStreamTimeouts(5000, 10000); }
};

TEST_F(Streams, RequestGoesOutAndLinesComeBackWithEveryEnding) {
    const std::string longLine(50000, 'x');
    OneShotServer server({{"HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\n\r\n", "crlf\r\nbare\nmid\rdle\n",
                           std::string("zero\0after\r\n", 12), "split ac", "ross\n" + longLine + "\n\xE9t\xE9\r\n",
                           "last without end"}});
    TStreamPtr stream = OpenStream(Address(server.port()));
    ASSERT_NE(stream, nullptr);
    EXPECT_TRUE(WriteLine(stream, "GET /news.txt HTTP/1.1"));
    EXPECT_TRUE(WriteLine(stream, "Host: 127.0.0.1:" + std::to_string(server.port())));
    EXPECT_TRUE(WriteLine(stream, ""));

    const std::vector<std::string> expected = {"HTTP/1.1 200 OK",
                                               "Content-Type: text/plain",
                                               "",
                                               "crlf",
                                               "bare",
                                               "middle",
                                               "zero",
                                               "after",
                                               "split across",
                                               longLine,
                                               "\xE9t\xE9",
                                               "last without end"};
    std::vector<std::string> lines;
    do {
        lines.push_back(ReadLine(stream));
    } while (!Eof(stream) && lines.size() < 100);
    EXPECT_EQ(lines, expected);
    EXPECT_TRUE(Eof(stream));
    EXPECT_EQ(ReadLine(stream), "");
    CloseStream(stream);

    EXPECT_EQ(server.Received(),
              "GET /news.txt HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(server.port()) + "\r\n\r\n");
}

TEST_F(Streams, PeerClosingAtOnceGivesAnEmptyLineThenEof) {
    OneShotServer server({{}, false});
    TStreamPtr stream = OpenStream(Address(server.port()));
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(ReadLine(stream), "");
    EXPECT_TRUE(Eof(stream));
}

TEST_F(Streams, ASilentServerEndsTheDataAfterTheReadTimeOut) {
    OneShotServer server({{"partial"}, true, true});
    SetStreamTimeouts(2000, 200);
    TStreamPtr stream = OpenStream(Address(server.port()));
    ASSERT_NE(stream, nullptr);
    ASSERT_TRUE(WriteLine(stream, "GET / HTTP/1.1"));
    ASSERT_TRUE(WriteLine(stream, ""));
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(ReadLine(stream), "partial");
    EXPECT_TRUE(Eof(stream));
    auto waited = std::chrono::steady_clock::now() - start;
    // poll() may wake a fraction of a millisecond early; the point is that it waited.
    EXPECT_GE(waited, std::chrono::milliseconds(150));
    EXPECT_LT(waited, std::chrono::milliseconds(3000));
    CloseStream(stream);  // lets the server finish
}

TEST_F(Streams, PortTextIsReadAsTheGamesIntegers) {
    struct Case {
        const char* suffix;  // appended to the port in the game's notation
        bool hex;
    };
    const Case cases[] = {{"", false}, {"/index", false}, {" trailing", false}, {"", true}};
    for (const Case& c : cases) {
        OneShotServer server({{"ok\n"}, false});
        char port[16];
        std::snprintf(port, sizeof port, c.hex ? "$%x" : "%d", server.port());
        TStreamPtr stream = OpenStream("tcp::127.0.0.1:" + std::string(port) + c.suffix);
        ASSERT_NE(stream, nullptr) << port << c.suffix;
        EXPECT_EQ(ReadLine(stream), "ok");
    }
}

TEST_F(Streams, FailedOpeningsGiveNull) {
    // A port that was just free: nothing listens there.
    int probe = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    ASSERT_EQ(bind(probe, reinterpret_cast<sockaddr*>(&addr), len), 0);
    ASSERT_EQ(getsockname(probe, reinterpret_cast<sockaddr*>(&addr), &len), 0);
    int closedPort = ntohs(addr.sin_port);
    close(probe);

    const std::string cases[] = {
        Address(closedPort),
        "tcp::no-such-host.invalid",
        "tcp::no-such-host.invalid:8080",
        "http::127.0.0.1:80",
        "tcp::",
        "tcp::127.0.0.1:0",
        "tcp::127.0.0.1:-5",
        "tcp::127.0.0.1:70000",
        "tcp::127.0.0.1:port",
    };
    for (const std::string& address : cases) EXPECT_EQ(OpenStream(address), nullptr) << address;
}

TEST_F(Streams, ClosedAndNullStreamsAreInert) {
    OneShotServer server({{"never read\n"}, false});
    TStreamPtr stream = OpenStream(Address(server.port()));
    ASSERT_NE(stream, nullptr);
    CloseStream(stream);
    CloseStream(stream);
    EXPECT_FALSE(WriteLine(stream, "late"));
    EXPECT_EQ(ReadLine(stream), "");
    EXPECT_TRUE(Eof(stream));

    TStreamPtr none;
    EXPECT_FALSE(WriteLine(none, "x"));
    EXPECT_EQ(ReadLine(none), "");
    EXPECT_TRUE(Eof(none));
    CloseStream(none);
}

}  // namespace
