// Whole-file reading and writing for every file the game keeps, and the small HTTP text fetch.
#include "core/io.h"

#include "core/debuglog.h"
#include "core/errors.h"
#include "platform/files.h"
#include "platform/runtime.h"
#include "platform/stream.h"

std::string ReadFileToString(const std::string& path, int silent) {
    return Guarded("io:ReadFileToString() ", std::string(), [&] {
        std::string text;
        if (!ReadWholeFile(path, text)) {
            // The report may raise; the guard turns that into a log line and "".
            if (silent == 0) ThrowError(-13, path);
            return std::string();
        }
        return text;
    });
}

int WriteStringToFile(const std::string& text, const std::string& path, int readOnly) {
    return Guarded("io:WriteStringToFile() ", 0, [&] {
        // Written beside the target and renamed over it, so a full disk never costs the
        // player the file they already had. The rename replaces a read-only file too.
        int result = WriteWholeFile(path, text, readOnly == 1 ? 0444 : 0744);
        if (result == 0) RuntimeError("Could not write file " + path);
        return result;
    });
}

int DeleteGameFile(const std::string& path) {
    return Guarded("io:DeleteGameFile() ", 0, [&] {
        SetFileMode(path, 0744);
        DeleteFile(path);
        return 0;
    });
}

std::string HTTPgetToString(const std::string& path, const std::string& host) {
    return Guarded("io:HTTPgetToString() ", std::string(), [&] {
        // The stream gives up on a server that does not answer or goes quiet, so the
        // caller is never held forever by a connection left open.
        TStreamPtr stream = OpenStream("tcp::" + host, true, true);
        if (!stream) return std::string();
        if (!WriteLine(stream, "GET /" + path + " HTTP/1.1") || !WriteLine(stream, "Host: " + host) ||
            !WriteLine(stream, "")) {
            CloseStream(stream);
            RuntimeError("Could not send the request to " + host);
        }
        std::string result;
        do {
            result += ReadLine(stream);
        } while (!Eof(stream));
        CloseStream(stream);
        return result;
    });
}
