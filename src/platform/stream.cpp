// TCP text streams for the game's small HTTP fetch: connect with a time-out, send
// lines, and read lines back from a buffer.
#include "platform/stream.h"

#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>

#include "platform/runtime.h"

struct TStream {
    int fd = -1;
    bool readable = true;
    bool writeable = true;
    std::string buffer;  // received bytes; those before `pos` were read already
    size_t pos = 0;
    bool ended = false;  // the peer closed, a read failed or timed out: nothing more will come

    ~TStream() {
        if (fd >= 0) close(fd);
    }
};

namespace {

std::atomic<int> g_connectMs{5000};
std::atomic<int> g_readMs{10000};

using Clock = std::chrono::steady_clock;

// Waits for `events` on the socket until the time-out runs out; a negative time-out
// waits without limit. EINTR does not restart the clock.
bool WaitFor(int fd, short events, int timeoutMs) {
    auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        int left = -1;
        if (timeoutMs >= 0) {
            auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            left = ms > 0 ? static_cast<int>(ms) : 0;
        }
        pollfd p{fd, events, 0};
        int n = poll(&p, 1, left);
        if (n > 0) return true;
        if (n == 0 || errno != EINTR) return false;
    }
}

// The game's integer reading: blanks, a sign, then "%" binary, "$" hexadecimal or
// decimal digits, up to the first character that does not fit.
int64_t ParsePort(const std::string& text) {
    size_t i = text.find_first_not_of(" \t");
    if (i == std::string::npos) return 0;
    bool negative = text[i] == '-';
    if (text[i] == '-' || text[i] == '+') ++i;
    int base = 10;
    if (i < text.size() && (text[i] == '%' || text[i] == '$')) base = text[i++] == '%' ? 2 : 16;
    int64_t value = 0;
    for (; i < text.size(); ++i) {
        char c = text[i];
        int digit = 99;
        if (c >= '0' && c <= '9') digit = c - '0';
        if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        if (digit >= base) break;
        value = value * base + digit;
        if (value > 0xFFFFFF) break;  // far past any port; stop before overflowing
    }
    return negative ? -value : value;
}

bool SplitAddress(const std::string& address, std::string& host, int64_t& port) {
    const std::string scheme = "tcp::";
    if (address.size() < scheme.size()) return false;
    for (size_t i = 0; i < scheme.size(); ++i) {
        char c = address[i] >= 'A' && address[i] <= 'Z' ? static_cast<char>(address[i] + 32) : address[i];
        if (c != scheme[i]) return false;
    }
    std::string rest = address.substr(scheme.size());
    size_t colon = rest.find(':');
    // "[::1]:8080": a bracketed IPv6 literal keeps its own colons.
    if (!rest.empty() && rest[0] == '[') {
        size_t close = rest.find(']');
        if (close == std::string::npos) return false;
        host = rest.substr(1, close - 1);
        colon = rest.find(':', close);
    } else {
        host = rest.substr(0, colon);
    }
    port = colon == std::string::npos ? 80 : ParsePort(rest.substr(colon + 1));
    return !host.empty() && port > 0 && port < 65536;
}

int ConnectTo(const addrinfo* ai, Clock::time_point deadline, int timeoutMs) {
    int fd = socket(ai->ai_family, ai->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, ai->ai_protocol);
    if (fd < 0) return -1;
    if (connect(fd, ai->ai_addr, ai->ai_addrlen) == 0) return fd;
    if (errno == EINPROGRESS) {
        int left = -1;
        if (timeoutMs >= 0) {
            auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            left = ms > 0 ? static_cast<int>(ms) : 0;
        }
        int error = 0;
        socklen_t len = sizeof error;
        if (WaitFor(fd, POLLOUT, left) && getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &len) == 0 && error == 0) {
            return fd;
        }
    }
    close(fd);
    return -1;
}

// Reads what the peer has sent into the buffer, waiting up to the read time-out.
void Fill(TStream& s) {
    if (s.pos == s.buffer.size()) {
        s.buffer.clear();
        s.pos = 0;
    }
    if (s.ended) return;
    if (s.fd < 0 || !s.readable) {
        s.ended = true;
        return;
    }
    for (;;) {
        // A silent server is treated as one that has said all it will.
        if (!WaitFor(s.fd, POLLIN, g_readMs)) {
            s.ended = true;
            return;
        }
        char chunk[16384];
        ssize_t n = recv(s.fd, chunk, sizeof chunk, 0);
        if (n > 0) {
            s.buffer.append(chunk, static_cast<size_t>(n));
            return;
        }
        if (n < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)) continue;
        s.ended = true;
        return;
    }
}

}  // namespace

TStreamPtr OpenStream(const std::string& address, bool readable, bool writeable) {
    std::string host;
    int64_t port = 0;
    if (!SplitAddress(address, host, port)) return nullptr;
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    if (getaddrinfo(Latin1ToUtf8(host).c_str(), std::to_string(port).c_str(), &hints, &list) != 0) return nullptr;
    int timeoutMs = g_connectMs;
    auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    int fd = -1;
    for (const addrinfo* ai = list; ai && fd < 0; ai = ai->ai_next) fd = ConnectTo(ai, deadline, timeoutMs);
    freeaddrinfo(list);
    if (fd < 0) return nullptr;
    auto stream = std::make_shared<TStream>();
    stream->fd = fd;
    stream->readable = readable;
    stream->writeable = writeable;
    return stream;
}

bool WriteLine(const TStreamPtr& stream, const std::string& text) {
    if (!stream || stream->fd < 0 || !stream->writeable) return false;
    std::string line = text + "\r\n";
    size_t done = 0;
    while (done < line.size()) {
        ssize_t n = send(stream->fd, line.data() + done, line.size() - done, MSG_NOSIGNAL);
        if (n > 0) {
            done += static_cast<size_t>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            if (!WaitFor(stream->fd, POLLOUT, g_readMs)) return false;
        } else {
            return false;
        }
    }
    return true;
}

std::string ReadLine(const TStreamPtr& stream) {
    std::string line;
    if (!stream) return line;
    TStream& s = *stream;
    for (;;) {
        if (s.pos == s.buffer.size()) {
            Fill(s);
            if (s.pos == s.buffer.size()) return line;  // the end of the data
        }
        char c = s.buffer[s.pos++];
        if (c == '\n' || c == '\0') return line;
        if (c != '\r') line += c;
    }
}

bool Eof(const TStreamPtr& stream) {
    if (!stream) return true;
    TStream& s = *stream;
    if (s.pos < s.buffer.size()) return false;
    // Whether more is coming is only known by waiting for it.
    Fill(s);
    return s.pos == s.buffer.size();
}

void CloseStream(const TStreamPtr& stream) {
    if (!stream || stream->fd < 0) return;
    close(stream->fd);
    stream->fd = -1;
    stream->ended = true;
    stream->buffer.clear();
    stream->pos = 0;
}

void SetStreamTimeouts(int connectMs, int readMs) {
    g_connectMs = connectMs;
    g_readMs = readMs;
}
