// TCP streams for the game's small HTTP text fetch.
#pragma once

#include <memory>
#include <string>

struct TStream;
using TStreamPtr = std::shared_ptr<TStream>;

// "tcp::host[:port]", port 80 by default. Null when the name does not resolve or the
// connection fails or times out.
TStreamPtr OpenStream(const std::string& address, bool readable = true, bool writeable = true);
// Sends the text and CR LF; false on failure.
bool WriteLine(const TStreamPtr& stream, const std::string& text);
// Reads up to LF, a zero byte or the end; CR dropped; the end mark is not returned.
std::string ReadLine(const TStreamPtr& stream);
// True once the peer has closed and every received byte was read (or on an error).
bool Eof(const TStreamPtr& stream);
void CloseStream(const TStreamPtr& stream);
// Time-outs in milliseconds for connecting and for each read (defaults 5000 and 10000);
// a negative one waits without limit. A read that times out ends the data.
void SetStreamTimeouts(int connectMs, int readMs);
