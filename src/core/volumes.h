// Where the user's folders are (home, desktop, documents, the per-user application
// folder and a few more) and which volumes are mounted, with their sizes.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// A mounted volume. The base type only names the operations; the platform's driver,
// installed as volume_driver, answers them, and its objects describe single volumes.
class TVolume {
public:
    virtual ~TVolume() = default;

    int available = 0;         // 1 once the sizes were read from the system
    std::string volumeName;    // the folder it is mounted on
    std::string volumeDevice;  // what is mounted there
    std::string volumeType;    // the file-system type
    int64_t volumeSize = 0;    // bytes
    int64_t volumeFree = 0;    // bytes the user may still fill

    virtual int Refresh();
    virtual std::shared_ptr<std::vector<std::shared_ptr<TVolume>>> ListVolumes();
    virtual int64_t GetVolumeFreeSpace(const std::string& path);
    virtual int64_t GetVolumeSize(const std::string& path);
    virtual std::shared_ptr<TVolume> GetVolumeInfo(const std::string& path);
    virtual std::string GetUserHomeDir();
    virtual std::string GetUserDesktopDir();
    virtual std::string GetUserAppDir();
    virtual std::string GetUserDocumentsDir();
    virtual std::string GetCustomDir(int which);
};
using TVolumePtr = std::shared_ptr<TVolume>;
using TVolumeList = std::shared_ptr<std::vector<TVolumePtr>>;

// The Linux driver: folders from the XDG conventions, volumes from the mount list.
class TLinuxVolume : public TVolume {
public:
    // The folder whose statistics a listed volume reads again on Refresh; "" for none.
    std::string spacePath;

    static std::shared_ptr<TLinuxVolume> Create();

    int Refresh() override;
    TVolumeList ListVolumes() override;
    int64_t GetVolumeFreeSpace(const std::string& path) override;
    int64_t GetVolumeSize(const std::string& path) override;
    TVolumePtr GetVolumeInfo(const std::string& path) override;
    std::string GetUserHomeDir() override;
    std::string GetUserDesktopDir() override;
    std::string GetUserAppDir() override;
    std::string GetUserDocumentsDir() override;
    std::string GetCustomDir(int which) override;
};

// The driver every public function below asks; installed on first use. Defined with the
// other globals in core/globals.h's list.
extern TVolumePtr volume_driver;

// The folder under which the game keeps its per-user folder, as an absolute path
// without a trailing "/". Never empty.
std::string GetUserAppDir();
// The user's folders, without a trailing "/"; "" when there is none.
std::string GetUserHomeDir();
std::string GetUserDesktopDir();
std::string GetUserDocumentsDir();
// 1 shared data, 2 pictures, 3 music, 4 movies; "" for any other number.
std::string GetCustomDir(int which);
// One volume per mounted file system, in the system's order; null when there are none.
// (The platform's own ListVolumes holds the plain name.)
TVolumeList GetVolumeList();
int64_t GetVolumeFreeSpace(const std::string& path);  // 0 when the path cannot be examined
int64_t GetVolumeSize(const std::string& path);       // 0 when the path cannot be examined
TVolumePtr GetVolumeInfo(const std::string& path);    // never null; available 0 on failure
std::string HomeDir();

// Decodes a zero-terminated UTF-8 text from the system into 16-bit characters; null
// gives "". A sequence cut short by the terminating zero yields U+FFFD and ends the text.
std::u16string bbStringFromUTF8String(const char* utf8);
