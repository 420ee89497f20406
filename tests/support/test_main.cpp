// The main of every test binary: sanitizer defaults, a throwaway home folder so no test
// can touch the real one, the fixtures folder, and an unexpected End() that fails.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>

#include "platform/files.h"
#include "platform/runtime.h"

extern "C" const char* __asan_default_options() { return "detect_leaks=1"; }
extern "C" const char* __ubsan_default_options() { return "print_stacktrace=1:halt_on_error=1"; }
// Leaks inside system libraries (X11, Mesa, SDL's drivers, fontconfig, dbus) are not ours.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libX11\nleak:libxcb\nleak:libGLX\nleak:libGL\nleak:libEGL\nleak:libgallium\n"
           "leak:swrast_dri\nleak:libLLVM\nleak:libdbus\nleak:libfontconfig\nleak:libSDL2\n";
}

int main(int argc, char** argv) {
    setenv("BX2_HEADLESS", "1", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    setenv("BX2_FIXTURES", BX2_FIXTURES_DIR, 0);

    char home[] = "/tmp/bx2-test-home-XXXXXX";
    if (!mkdtemp(home)) return 2;
    setenv("HOME", home, 1);
    setenv("XDG_DATA_HOME", (std::string(home) + "/.local/share").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (std::string(home) + "/.config").c_str(), 1);

    // The game's End() exits with 0; in a test that would pass a test that never finished.
    SetEndStatus(86);

    testing::InitGoogleTest(&argc, argv);
    int result = RUN_ALL_TESTS();
    DeleteDir(home);
    return result;
}
