// Feeds arbitrary files to the level loader over the classic pack's templates, writes the level
// back and reads that again: no input may crash the loader or the writer, leak, or take longer
// than the run's time-out, and a level read from the writer's text writes back the same text.
#include <stdlib.h>

#include <climits>
#include <cstdint>
#include <memory>
#include <string>

#include "core/globals.h"
#include "fuzz_common.h"
#include "level/level.h"
#include "media/mixer.h"
#include "pack/packs.h"
#include "pieces/brick.h"
#include "pieces/gamestats.h"
#include "platform/files.h"
#include "platform/graphics.h"
#include "platform/runtime.h"
#include "sprites/sprites.h"
#include "text/parser.h"

namespace {

// Kept for the whole run and never freed: releasing a pack needs the master mixer, which the
// exit handlers free first.
Pack* g_pack = nullptr;
// The folder a level's background is looked up in: one that is gone, so no input spends its
// time decoding pictures, nor reaches any file through "..".
std::string g_noFolder;

LevelSources Sources(const Pack& pack) {
    return {.bricks = pack.bricksArray,
            .sprites = pack.spritesArray,
            .powerups = pack.powerupsArray,
            .weapons = pack.weaponsArray,
            .balls = pack.ballsArray,
            .levels = pack.levelsArray,
            .projectiles = pack.projectilesArray,
            .sounds = pack.soundsArray,
            .difficulties = pack.packDifficultyArray};
}

std::string LoadAndWrite(const std::string& xml) {
    auto stat = std::make_shared<GameStat>();
    stat->difficulty = "Normal";
    auto level = std::make_shared<Level>();
    level->LoadFromXML(xml, Sources(*g_pack), 0, g_noFolder, stat);
    // The writer keeps the live bricks, as the game makes every brick once the level starts.
    for (const BrickPtr& brick : level->bricksArray) {
        if (brick) brick->isLive = 1;
    }
    return level->WriteToXML();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The per-user folder is made at start-up: a scratch one, never the real home's.
    char home[] = "/tmp/bx2-fuzz-home-XXXXXX";
    if (!mkdtemp(home)) std::abort();
    setenv("HOME", home, 1);
    setenv("XDG_DATA_HOME", (std::string(home) + "/share").c_str(), 1);
    setenv("BX2_DATA_DIR", BX2_FUZZ_DATA_DIR, 1);

    SetBackend(Backend::Headless);
    InitGlobals();
    InitSprites();
    QuietDebugLog();
    OpenScreenClockAndMixer();
    LoadErrorCodes("data/", "en");

    g_pack = new Pack();
    g_pack->path = g_dataPath + "data/packs/classic/";
    g_pack->LoadPackData(1, [](const std::string& key) { return key; });
    if (g_pack->bricksArray.empty() || !g_DebugLog.empty()) {
        std::fprintf(stderr, "the classic pack did not load cleanly:\n%s", g_DebugLog.c_str());
        std::abort();
    }
    DeleteDir(home);
    g_noFolder = std::string(home) + "/pictures/";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    ResetDebugLog();
    // A damaged level reports one line per fault; the count that would end the run at 500
    // starts far below it.
    g_totalErrors = INT_MIN / 2;
    const std::string written = LoadAndWrite(std::string(reinterpret_cast<const char*>(bytes), size));
    const std::string rewritten = LoadAndWrite(written);
    if (rewritten != written) Broken("a level read from the writer writes back otherwise", rewritten, written);
    return 0;
}
