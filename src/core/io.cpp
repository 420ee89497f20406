// Whole-file reading and writing for every file the game keeps, the error-code table
// loader, and the small HTTP text fetch.
#include "core/io.h"

#include "core/globals.h"
#include "platform/files.h"
#include "platform/stream.h"
#include "text/parser.h"

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

int LoadErrorCodes(const std::string& subFolder, const std::string& language) {
    return Guarded("io:LoadErrorCodes() ", 0, [&] {
        std::string text = ReadFileToString(g_dataPath + subFolder + "errorcodes.xml", 0);
        int n = CountTagsInXML(text, "errorCode");
        // One entry more than counted: the count skips an element at the very start of
        // the text, and the spare entry is how such a file still loads whole.
        size_t size = static_cast<size_t>(n) + 1;
        g_errorcode.assign(size, 0);
        g_errorseverity.assign(size, 0);
        g_errormessage.assign(size, std::string());
        for (int i = 0; i <= n; ++i) {
            std::string entry = ExtractTagFromXML(text, "errorCode", i);
            At(g_errorcode, i) = TextToInt(GetDataFromXML(entry, "code"));
            At(g_errorseverity, i) = TextToInt(GetDataFromXML(entry, "severity"));
            At(g_errormessage, i) = GetLocalizedStringFromXML(ExtractTagFromXML(entry, "message", 0), language);
        }
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
