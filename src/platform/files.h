// Files and folders as the game sees them: whole-file reading and safe writing,
// sorted listings, the data and per-user folders, and the mounted volumes.
// Paths are Latin-1 game strings; they are converted to UTF-8 for the system. A path with a
// zero byte in it names nothing: every call fails for it, as for a path where nothing is.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// 0 nothing, 1 file, 2 folder.
int FileType(const std::string& path);
// One level; true when a folder exists at the path afterwards.
bool CreateDir(const std::string& path);
bool DeleteFile(const std::string& path);
// Removes a folder with everything in it; symbolic links are removed, never followed.
bool DeleteDir(const std::string& path);
bool SetFileMode(const std::string& path, int mode);
int64_t FileSize(const std::string& path);  // -1 when not a readable file

// Entries without "." and "..", sorted by byte order. Names that cannot be told in
// Latin-1 are left out. Empty when the folder cannot be read.
std::vector<std::string> LoadDir(const std::string& path);

// Stepping through a folder: lists "." and ".." too, then an empty name after the last entry.
struct TDirHandle;
TDirHandle* ReadDir(const std::string& path);  // null when it cannot be read
std::string NextFile(TDirHandle* dir);
void CloseDir(TDirHandle* dir);

// The running executable.
std::string AppFile();

// Reads a whole plain file. A missing file, a folder, a device, a named pipe or an unreadable
// file is a failure.
bool ReadWholeFile(const std::string& path, std::string& out);

// Writes a whole file without ever losing the old one: the text goes to a temporary
// file in the same folder, every write is checked, then it is renamed over the target
// and given `mode`. Returns 1 when written, -1 when the file could not be opened for
// writing (missing folder, no permission), 0 when a write failed. On failure the old
// file is left as it was.
int WriteWholeFile(const std::string& path, const std::string& text, int mode = 0644);

// The data folder, ending in "/": BX2_DATA_DIR when set, else ../share/brondelvix2/
// from the executable.
std::string DataFolder();
// The per-user folder, ending in "/": ${XDG_DATA_HOME:-$HOME/.local/share} +
// "/Vostrand/Brondelvix 2!/". Never empty.
std::string UserFolder();
// The folder UserFolder() lies in, without a trailing "/": ${XDG_DATA_HOME:-$HOME/.local/share},
// created when missing. Never empty.
std::string UserAppFolder();
std::string HomeFolder();  // "" when unknown
// The user's XDG folders (desktop, documents, pictures, music, videos); "" when unknown.
std::string XdgUserFolder(const std::string& name);  // "DESKTOP", "DOCUMENTS", ...

// Mounted volumes from /proc/self/mounts, with statvfs sizes.
struct VolumeEntry {
    std::string name;  // the mount point's last component, "/" for the root
    std::string mountPoint;
    std::string device;
    std::string type;        // the file-system type, "ext4", "tmpfs", ...
    int64_t size = 0;        // bytes
    int64_t freeSpace = 0;   // bytes available to the user
    bool available = false;  // statvfs succeeded
};
std::vector<VolumeEntry> ListVolumes();
// The volume holding `path`; available is false when it cannot be told.
VolumeEntry VolumeOf(const std::string& path);
