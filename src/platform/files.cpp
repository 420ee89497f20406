// Files and folders for the game: whole-file reading and crash-safe writing, sorted
// listings, and where the data and the player's own files live.
#include "platform/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>

#include "platform/runtime.h"

namespace {

// Game paths are Latin-1; the system's are UTF-8. A path with a zero byte in it names no file:
// the system would read it only up to that byte, which names another file than the game meant
// (a players folder from the preferences could so name the folder above it). It becomes the
// empty path, which every call refuses.
std::string Sys(const std::string& path) {
    if (path.find('\0') != std::string::npos) return "";
    return Latin1ToUtf8(path);
}

// A system name as a game string; false when it has no Latin-1 spelling.
bool FromSys(const std::string& utf8, std::string& latin1) {
    return Utf8ToLatin1(utf8, latin1) && Latin1ToUtf8(latin1) == utf8;
}

std::string EnvUtf8(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

std::string WithSlash(std::string path) {
    if (path.empty() || path.back() != '/') path += '/';
    return path;
}

std::string ParentOf(const std::string& path) {
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

bool IsDotName(const char* name) { return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)); }

// The entries of a folder as game strings, sorted by byte order, without "." and "..".
bool ListFolder(const std::string& path, std::vector<std::string>& names) {
    names.clear();
    DIR* dir = opendir(Sys(path).c_str());
    if (!dir) return false;
    while (dirent* entry = readdir(dir)) {
        std::string name;
        if (IsDotName(entry->d_name) || !FromSys(entry->d_name, name)) continue;
        names.push_back(std::move(name));
    }
    closedir(dir);
    std::sort(names.begin(), names.end());
    return true;
}

// Removes `name` under the open folder `parent` without ever following a link.
bool RemoveTree(int parent, const char* name) {
    struct stat st;
    if (fstatat(parent, name, &st, AT_SYMLINK_NOFOLLOW) != 0) return errno == ENOENT;
    if (!S_ISDIR(st.st_mode)) return unlinkat(parent, name, 0) == 0;
    int fd = openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return false;
    DIR* dir = fdopendir(fd);
    if (!dir) {
        close(fd);
        return false;
    }
    bool ok = true;
    while (dirent* entry = readdir(dir)) {
        if (!IsDotName(entry->d_name)) ok = RemoveTree(fd, entry->d_name) && ok;
    }
    closedir(dir);
    return ok && unlinkat(parent, name, AT_REMOVEDIR) == 0;
}

bool WriteAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

// Creates the missing folders of an absolute path, private to the user as the
// base-directory convention asks.
void MakeFolders(const std::string& utf8) {
    for (size_t i = 1; i <= utf8.size(); ++i) {
        if (i == utf8.size() || utf8[i] == '/') mkdir(utf8.substr(0, i).c_str(), 0700);
    }
}

std::string PasswdHome() {
    const passwd* pw = getpwuid(getuid());
    return (pw && pw->pw_dir) ? pw->pw_dir : "";
}

std::string HomeUtf8() {
    std::string home = EnvUtf8("HOME");
    return home.empty() ? PasswdHome() : home;
}

std::string ToGame(const std::string& utf8) {
    std::string latin1;
    return FromSys(utf8, latin1) ? latin1 : "";
}

}  // namespace

// ---------------------------------------------------------------------------
int FileType(const std::string& path) {
    struct stat st;
    if (stat(Sys(path).c_str(), &st) != 0) return 0;
    if (S_ISREG(st.st_mode)) return 1;
    if (S_ISDIR(st.st_mode)) return 2;
    return 0;
}

bool CreateDir(const std::string& path) {
    mkdir(Sys(path).c_str(), 0777);
    return FileType(path) == 2;
}

bool DeleteFile(const std::string& path) { return unlink(Sys(path).c_str()) == 0; }

bool DeleteDir(const std::string& path) {
    std::string sys = Sys(path);
    if (sys.empty()) return false;
    // A plain file is not a folder: it stays. A link given as the folder goes itself.
    struct stat st;
    if (lstat(sys.c_str(), &st) == 0 && !S_ISDIR(st.st_mode) && !S_ISLNK(st.st_mode)) return false;
    return RemoveTree(AT_FDCWD, sys.c_str());
}

bool SetFileMode(const std::string& path, int mode) { return chmod(Sys(path).c_str(), static_cast<mode_t>(mode)) == 0; }

int64_t FileSize(const std::string& path) {
    struct stat st;
    if (stat(Sys(path).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return -1;
    return st.st_size;
}

std::vector<std::string> LoadDir(const std::string& path) {
    std::vector<std::string> names;
    ListFolder(path, names);
    return names;
}

// ---------------------------------------------------------------------------
// Read whole and sorted up front so that the order the game loads things in does
// not depend on the file system.
struct TDirHandle {
    std::vector<std::string> names;
    size_t next = 0;
};

TDirHandle* ReadDir(const std::string& path) {
    std::vector<std::string> names;
    if (!ListFolder(path, names)) return nullptr;
    auto* dir = new TDirHandle;
    dir->names = {".", ".."};
    dir->names.insert(dir->names.end(), names.begin(), names.end());
    return dir;
}

std::string NextFile(TDirHandle* dir) {
    if (!dir || dir->next >= dir->names.size()) return "";
    return dir->names[dir->next++];
}

void CloseDir(TDirHandle* dir) { delete dir; }

std::string AppFile() {
    char buf[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf);
    if (n <= 0 || static_cast<size_t>(n) >= sizeof buf) return "";
    return ToGame(std::string(buf, static_cast<size_t>(n)));
}

// ---------------------------------------------------------------------------
bool ReadWholeFile(const std::string& path, std::string& out) {
    out.clear();
    // Only a plain file is read: a file name from a pack or the preferences may name a device
    // that never ends (/dev/zero) or a named pipe, whose opening would wait for a writer.
    int fd = open(Sys(path).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return false;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return false;
    }
    // The size is only a hint: files under /proc report 0.
    if (st.st_size > 0) out.reserve(static_cast<size_t>(st.st_size));
    char buf[65536];
    for (;;) {
        ssize_t n = read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            close(fd);
            out.clear();
            return false;
        }
        if (n == 0) break;
        out.append(buf, static_cast<size_t>(n));
    }
    close(fd);
    return true;
}

int WriteWholeFile(const std::string& path, const std::string& text, int mode) {
    std::string target = Sys(path);
    if (target.empty() || target.back() == '/') return -1;
    // A link to a file is kept: the file it points at is the one replaced.
    struct stat st;
    if (lstat(target.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        if (char* real = realpath(target.c_str(), nullptr)) {
            target = real;
            std::free(real);
        }
    }
    if (stat(target.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return -1;

    size_t slash = target.find_last_of('/');
    std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    std::string temp = folder + "." + base + ".XXXXXX";
    int fd = mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) return -1;

    bool ok = WriteAll(fd, text) && fchmod(fd, static_cast<mode_t>(mode)) == 0 && fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
    // The mode is set before the rename so the file never shows up with the temp file's.
    if (!ok || rename(temp.c_str(), target.c_str()) != 0) {
        unlink(temp.c_str());
        return 0;
    }
    // Make the rename itself survive a crash.
    int dirFd = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        fsync(dirFd);
        close(dirFd);
    }
    return 1;
}

// ---------------------------------------------------------------------------
std::string DataFolder() {
    std::string env = EnvUtf8("BX2_DATA_DIR");
    if (!env.empty()) return WithSlash(ToGame(env));
    char buf[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf);
    if (n <= 0 || static_cast<size_t>(n) >= sizeof buf) return "../share/brondelvix2/";
    std::string guess = ParentOf(std::string(buf, static_cast<size_t>(n))) + "/../share/brondelvix2";
    if (char* real = realpath(guess.c_str(), nullptr)) {
        guess = real;
        std::free(real);
    }
    return WithSlash(ToGame(guess));
}

std::string UserAppFolder() {
    // The base-directory convention ignores a relative XDG_DATA_HOME.
    std::string base = EnvUtf8("XDG_DATA_HOME");
    if (base.empty() || base[0] != '/') {
        std::string home = HomeUtf8();
        base = home.empty() ? "" : home + "/.local/share";
    }
    if (base.empty() || ToGame(base).empty()) base = "/tmp";
    while (base.size() > 1 && base.back() == '/') base.pop_back();
    // A fresh account may have no ~/.local/share yet; the game creates only its own folders.
    MakeFolders(base);
    return ToGame(base);
}

std::string UserFolder() { return UserAppFolder() + "/Vostrand/Brondelvix 2!/"; }

std::string HomeFolder() { return ToGame(HomeUtf8()); }

namespace {

// One value of user-dirs.dirs: "$HOME/Music" or "/abs/path", shell-quoted.
std::string UserDirsValue(const std::string& raw) {
    size_t open = raw.find('"');
    if (open == std::string::npos) return "";
    std::string value;
    for (size_t i = open + 1; i < raw.size() && raw[i] != '"'; ++i) {
        if (raw[i] == '\\' && i + 1 < raw.size()) ++i;
        value += raw[i];
    }
    if (value == "$HOME" || value.rfind("$HOME/", 0) == 0) {
        std::string home = HomeUtf8();
        if (home.empty()) return "";
        value = home + value.substr(5);
    }
    if (value.empty() || value[0] != '/') return "";
    while (value.size() > 1 && value.back() == '/') value.pop_back();
    return value;
}

}  // namespace

std::string XdgUserFolder(const std::string& name) {
    std::string key = "XDG_";
    for (char c : name) key += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    key += "_DIR";
    std::string config = EnvUtf8("XDG_CONFIG_HOME");
    if (config.empty() || config[0] != '/') {
        std::string home = HomeUtf8();
        if (home.empty()) return "";
        config = home + "/.config";
    }
    std::string text;
    if (!ReadWholeFile(ToGame(config + "/user-dirs.dirs"), text)) return "";
    // The file holds UTF-8; ReadWholeFile handed its bytes over unchanged.
    std::string found;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#') continue;
        line = line.substr(first);
        if (line.rfind(key + "=", 0) == 0) found = UserDirsValue(line.substr(key.size() + 1));
    }
    return ToGame(found);
}
