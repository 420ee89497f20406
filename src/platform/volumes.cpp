// The mounted volumes and their free space, for the places where the game asks how
// much room the player's disk has left.
#include <sys/statvfs.h>

#include <cstdio>
#include <cstdlib>

#include "platform/files.h"
#include "platform/runtime.h"

namespace {

struct Mount {
    std::string device, mountPoint, type;  // UTF-8, as the system spells them
};

bool IsOctal(char c) { return c >= '0' && c <= '7'; }

// /proc/self/mounts writes blanks, tabs, newlines and backslashes as \ooo.
std::string Unescape(const std::string& field) {
    std::string out;
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && IsOctal(field[i + 1]) && IsOctal(field[i + 2]) &&
            IsOctal(field[i + 3])) {
            out += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0'));
            i += 3;
        } else {
            out += field[i];
        }
    }
    return out;
}

std::vector<Mount> ReadMounts() {
    std::vector<Mount> mounts;
    std::string text;
    if (!ReadWholeFile("/proc/self/mounts", text)) return mounts;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        std::vector<std::string> fields;
        size_t pos = 0;
        while (fields.size() < 3 && pos < line.size()) {
            size_t blank = line.find(' ', pos);
            if (blank == std::string::npos) blank = line.size();
            fields.push_back(line.substr(pos, blank - pos));
            pos = blank + 1;
        }
        if (fields.size() == 3) mounts.push_back({Unescape(fields[0]), Unescape(fields[1]), fields[2]});
    }
    return mounts;
}

bool ToLatin1(const std::string& utf8, std::string& latin1) {
    return Utf8ToLatin1(utf8, latin1) && Latin1ToUtf8(latin1) == utf8;
}

// Fills the entry from a mount; false when a name has no Latin-1 spelling.
bool Describe(const Mount& mount, const std::string& statPath, VolumeEntry& volume) {
    if (!ToLatin1(mount.mountPoint, volume.mountPoint) || !ToLatin1(mount.device, volume.device)) return false;
    ToLatin1(mount.type, volume.type);
    size_t slash = volume.mountPoint.find_last_of('/');
    volume.name = volume.mountPoint == "/" || slash == std::string::npos ? volume.mountPoint
                                                                         : volume.mountPoint.substr(slash + 1);
    struct statvfs st;
    if (statvfs(statPath.c_str(), &st) == 0) {
        volume.size = static_cast<int64_t>(st.f_frsize) * static_cast<int64_t>(st.f_blocks);
        volume.freeSpace = static_cast<int64_t>(st.f_frsize) * static_cast<int64_t>(st.f_bavail);
        volume.available = true;
    }
    return true;
}

// True when `path` is `dir` or lies below it.
bool Within(const std::string& path, const std::string& dir) {
    if (dir == "/") return !path.empty() && path[0] == '/';
    return path.compare(0, dir.size(), dir) == 0 && (path.size() == dir.size() || path[dir.size()] == '/');
}

}  // namespace

std::vector<VolumeEntry> ListVolumes() {
    std::vector<VolumeEntry> volumes;
    for (const Mount& mount : ReadMounts()) {
        VolumeEntry volume;
        if (Describe(mount, mount.mountPoint, volume)) volumes.push_back(volume);
    }
    return volumes;
}

VolumeEntry VolumeOf(const std::string& path) {
    VolumeEntry volume;
    char* real = realpath(Latin1ToUtf8(path).c_str(), nullptr);
    if (!real) return volume;
    std::string resolved = real;
    std::free(real);
    // The longest mount point wins; of equal ones the later, which is mounted on top.
    const Mount* best = nullptr;
    std::vector<Mount> mounts = ReadMounts();
    for (const Mount& mount : mounts) {
        if (Within(resolved, mount.mountPoint) && (!best || mount.mountPoint.size() >= best->mountPoint.size())) {
            best = &mount;
        }
    }
    if (!best || !Describe(*best, resolved, volume)) return VolumeEntry{};
    return volume;
}
