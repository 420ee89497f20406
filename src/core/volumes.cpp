// Where the user's folders are and which volumes are mounted. The game itself only
// asks for GetUserAppDir, to place the per-user folder.
#include "core/volumes.h"

#include <cstdlib>
#include <cstring>

#include "platform/files.h"
#include "platform/runtime.h"

namespace {

const char* const kAbstractMessage = "Attempt to call abstract method";

TVolumePtr Driver() {
    if (!volume_driver) volume_driver = TLinuxVolume::Create();
    return volume_driver;
}

// A folder the system names, given only when it is there; none is ever created here.
std::string ExistingFolder(const std::string& path) {
    if (path.empty() || path[0] != '/' || FileType(path) != 2) return "";
    std::string folder = path;
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return folder;
}

// An XDG user folder, or the folder the XDG convention falls back to without a setting.
std::string UserFolderNamed(const std::string& key, const std::string& fallback) {
    std::string folder = ExistingFolder(XdgUserFolder(key));
    if (!folder.empty() || fallback.empty()) return folder;
    std::string home = HomeFolder();
    return home.empty() ? "" : ExistingFolder(home + "/" + fallback);
}

// The first folder of XDG_DATA_DIRS: data shared by every user of the machine.
std::string SharedDataFolder() {
    const char* dirs = std::getenv("XDG_DATA_DIRS");
    std::string first = dirs && *dirs ? std::string(dirs) : "/usr/local/share";
    first = first.substr(0, first.find(':'));
    std::string latin1;
    if (!Utf8ToLatin1(first, latin1)) return "";
    return ExistingFolder(latin1);
}

void Describe(TVolume& volume, const VolumeEntry& entry) {
    volume.volumeName = entry.mountPoint;
    volume.volumeDevice = entry.device;
    volume.volumeType = entry.type;
    volume.volumeSize = entry.size;
    volume.volumeFree = entry.freeSpace;
    volume.available = entry.available ? 1 : 0;
}

}  // namespace

// ---------------------------------------------------------------------------
int TVolume::Refresh() { RuntimeError(kAbstractMessage); }
TVolumeList TVolume::ListVolumes() { RuntimeError(kAbstractMessage); }
int64_t TVolume::GetVolumeFreeSpace(const std::string&) { RuntimeError(kAbstractMessage); }
int64_t TVolume::GetVolumeSize(const std::string&) { RuntimeError(kAbstractMessage); }
TVolumePtr TVolume::GetVolumeInfo(const std::string&) { RuntimeError(kAbstractMessage); }
std::string TVolume::GetUserHomeDir() { RuntimeError(kAbstractMessage); }
std::string TVolume::GetUserDesktopDir() { RuntimeError(kAbstractMessage); }
std::string TVolume::GetUserAppDir() { RuntimeError(kAbstractMessage); }
std::string TVolume::GetUserDocumentsDir() { RuntimeError(kAbstractMessage); }
std::string TVolume::GetCustomDir(int) { RuntimeError(kAbstractMessage); }

// ---------------------------------------------------------------------------
std::shared_ptr<TLinuxVolume> TLinuxVolume::Create() { return std::make_shared<TLinuxVolume>(); }

int TLinuxVolume::Refresh() {
    // A listed volume reads its statistics again through the folder it is mounted on.
    if (spacePath.empty()) return 0;
    VolumeEntry entry = VolumeOf(spacePath);
    if (!entry.available) return 0;
    volumeSize = entry.size;
    volumeFree = entry.freeSpace;
    available = 1;
    return 1;
}

TVolumeList TLinuxVolume::ListVolumes() {
    std::vector<VolumeEntry> entries = ::ListVolumes();
    if (entries.empty()) return nullptr;
    auto list = std::make_shared<std::vector<TVolumePtr>>();
    for (const VolumeEntry& entry : entries) {
        auto volume = Create();
        Describe(*volume, entry);
        volume->spacePath = entry.mountPoint;
        list->push_back(volume);
    }
    return list;
}

int64_t TLinuxVolume::GetVolumeFreeSpace(const std::string& path) {
    VolumeEntry entry = VolumeOf(path);
    return entry.available ? entry.freeSpace : 0;
}

int64_t TLinuxVolume::GetVolumeSize(const std::string& path) {
    VolumeEntry entry = VolumeOf(path);
    return entry.available ? entry.size : 0;
}

TVolumePtr TLinuxVolume::GetVolumeInfo(const std::string& path) {
    auto volume = Create();
    VolumeEntry entry = VolumeOf(path);
    if (entry.available) Describe(*volume, entry);
    return volume;
}

std::string TLinuxVolume::GetUserHomeDir() { return ExistingFolder(HomeFolder()); }
std::string TLinuxVolume::GetUserDesktopDir() { return UserFolderNamed("DESKTOP", "Desktop"); }
// The platform makes sure there is always one, creating it when a fresh account lacks it.
std::string TLinuxVolume::GetUserAppDir() { return UserAppFolder(); }
std::string TLinuxVolume::GetUserDocumentsDir() { return UserFolderNamed("DOCUMENTS", ""); }

std::string TLinuxVolume::GetCustomDir(int which) {
    switch (which) {
        case 1:
            return SharedDataFolder();
        case 2:
            return UserFolderNamed("PICTURES", "");
        case 3:
            return UserFolderNamed("MUSIC", "");
        case 4:
            return UserFolderNamed("VIDEOS", "");
        default:
            return "";
    }
}

// ---------------------------------------------------------------------------
std::string GetUserAppDir() { return Driver()->GetUserAppDir(); }
std::string GetUserHomeDir() { return Driver()->GetUserHomeDir(); }
std::string GetUserDesktopDir() { return Driver()->GetUserDesktopDir(); }
std::string GetUserDocumentsDir() { return Driver()->GetUserDocumentsDir(); }
std::string GetCustomDir(int which) { return Driver()->GetCustomDir(which); }
TVolumeList GetVolumeList() { return Driver()->ListVolumes(); }
int64_t GetVolumeFreeSpace(const std::string& path) { return Driver()->GetVolumeFreeSpace(path); }
int64_t GetVolumeSize(const std::string& path) { return Driver()->GetVolumeSize(path); }
TVolumePtr GetVolumeInfo(const std::string& path) { return Driver()->GetVolumeInfo(path); }
std::string HomeDir() { return GetUserHomeDir(); }

// ---------------------------------------------------------------------------
std::u16string bbStringFromUTF8String(const char* utf8) {
    std::u16string out;
    if (!utf8) return out;
    const auto* s = reinterpret_cast<const unsigned char*>(utf8);
    size_t n = std::strlen(utf8);
    size_t i = 0;
    while (i < n) {
        unsigned lead = s[i];
        // Continuation bytes are taken as they come; only the terminating zero is respected.
        size_t need = lead < 0x80 ? 0 : lead < 0xE0 ? 1 : lead < 0xF0 ? 2 : lead < 0xF8 ? 3 : 0;
        if (need > 0 && n - i - 1 < need) {
            out += u'\uFFFD';
            break;
        }
        if (lead < 0x80) {
            out += static_cast<char16_t>(lead);
        } else if (need == 1) {
            int code = (static_cast<int>(lead) - 0xC0) * 64 + (static_cast<int>(s[i + 1]) - 0x80);
            out += static_cast<char16_t>(static_cast<unsigned>(code) & 0xFFFF);
        } else if (need == 2) {
            int code = (static_cast<int>(lead) - 0xE0) * 4096 + (static_cast<int>(s[i + 1]) - 0x80) * 64 +
                       (static_cast<int>(s[i + 2]) - 0x80);
            out += static_cast<char16_t>(static_cast<unsigned>(code) & 0xFFFF);
        } else if (need == 3) {
            // Beyond 16 bits: a surrogate pair, or U+FFFD when it names no character.
            uint32_t code =
                ((lead & 0x07u) << 18) | ((s[i + 1] & 0x3Fu) << 12) | ((s[i + 2] & 0x3Fu) << 6) | (s[i + 3] & 0x3Fu);
            if (code < 0x10000 || code > 0x10FFFF) {
                out += u'\uFFFD';
            } else {
                code -= 0x10000;
                out += static_cast<char16_t>(0xD800 + (code >> 10));
                out += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
            }
        } else {
            out += u'\uFFFD';
        }
        i += need + 1;
    }
    return out;
}
