// A disk that fills up for a moment: while one lives, no file may grow past a few bytes, for
// root too, and the signal that would end the process is ignored, so writes fail as they do
// on a full disk.
#pragma once

#include <sys/resource.h>

#include <csignal>

class FullDisk {
public:
    explicit FullDisk(rlim_t bytes) {
        struct sigaction ignore = {};
        ignore.sa_handler = SIG_IGN;
        sigaction(SIGXFSZ, &ignore, &previous_);
        getrlimit(RLIMIT_FSIZE, &saved_);
        rlimit small = saved_;
        small.rlim_cur = bytes;
        full_ = setrlimit(RLIMIT_FSIZE, &small) == 0;
    }
    ~FullDisk() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        sigaction(SIGXFSZ, &previous_, nullptr);
    }
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;

    bool full() const { return full_; }

private:
    struct sigaction previous_ = {};
    rlimit saved_ = {};
    bool full_ = false;
};
