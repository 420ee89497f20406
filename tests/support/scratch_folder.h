// A fresh folder under /tmp for one test, removed with everything in it afterwards.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <string>

class ScratchFolder {
public:
    ScratchFolder() {
        char pattern[] = "/tmp/bx2_test_XXXXXX";
        if (mkdtemp(pattern)) path_ = pattern;
    }
    ~ScratchFolder() {
        std::error_code ignored;
        if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    // Without a trailing "/"; empty when the folder could not be made.
    const std::string& path() const { return path_; }

private:
    std::string path_;
};
