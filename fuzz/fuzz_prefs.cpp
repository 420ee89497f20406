// Feeds arbitrary preferences files to the game's start-up, which reads prefs.xml and mends what
// it lost, then uses the settings as a start and a game do and writes them back as the options
// do: nothing is logged (any logged line would end the next game start), and the file written
// back is whole, so the next start has nothing to mend.
//
// A players folder that climbs out of the per-user folder ("..") is where the game would make
// its default player, wherever that is: the fuzzer turns every ".." of an input into "._", so that
// no input writes outside its scratch folder.
#include <cstdint>
#include <string>

#include "app/brondelvix.h"
#include "core/globals.h"
#include "fuzz_game.h"
#include "media/mixer.h"
#include "platform/files.h"
#include "platform/graphics.h"
#include "platform/runtime.h"
#include "sprites/particle.h"
#include "text/parser.h"
#include "universe/game.h"
#include "universe/prefs.h"
#include "universe/universe.h"

namespace {

std::string g_dataFolder;

std::string WithoutClimbing(std::string text) {
    for (size_t at = text.find(".."); at != std::string::npos; at = text.find("..", at)) text[at + 1] = '_';
    return text;
}

// Without a pack the game ends at start-up with its alert, by design; such an input is not run.
bool FindsAPack(const std::string& prefs, const std::string& path) {
    const std::string text = prefs.empty() ? fuzz::ReadOrEmpty(g_dataPath + "data/default_prefs.xml") : prefs;
    const std::string packs = g_dataPath + GetDataFromXML(MendPreferences(text, path), "packsPath");
    for (const std::string& entry : LoadDir(packs)) {
        if (FileType(packs + entry) == 2 && FileType(packs + entry + "/info.xml") == 1) return true;
    }
    return false;
}

// The process as a fresh start has it, with an empty per-user folder.
void FreshStart() {
    ResetGlobals();
    InitGlobals();
    QuietDebugLog();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const std::string home = fuzz::MakeScratchHome();
    g_dataFolder = fuzz::MirrorDataFolder(home, BX2_FUZZ_DATA_DIR, BX2_FUZZ_FIXTURES_DIR);
    fuzz::StartHeadless(g_dataFolder);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    DeleteDir(g_userPath);
    FreshStart();
    const std::string path = g_userPath + "data/prefs.xml";
    const std::string prefs = WithoutClimbing(std::string(reinterpret_cast<const char*>(bytes), size));
    if (WriteWholeFile(path, prefs, 0644) != 1) Broken("cannot place the preferences", path, "");

    fuzz::Hearing hearing;
    if (!FindsAPack(prefs, path)) return 0;

    // The program's start-up: the universe, the screen from the settings, the intro music, the
    // statistics.
    try {
        StartUp();
    } catch (const TRuntimeException& e) {
        Broken("start-up failed", e.ToString(), "");
    } catch (const std::string& text) {
        Broken("start-up failed", text, "");
    }
    Universe& universe = *g_gameUniverse;
    fuzz::ExpectNothingLogged("starting");
    // The menus stand on a current player and pack.
    if (universe.playersArray.empty() || universe.packsArray.empty()) Broken("start-up left no player or pack", "", "");

    // A game: its ball pool, and the particle pool the pack loader makes.
    BallPoolSize();
    ParticleSprites particles;
    particles.Initialize(g_maxParticles);
    particles.Unlink();
    fuzz::ExpectNothingLogged("starting a game");

    // The options' write-back: the file is whole again.
    universe.UpdatePrefsFile();
    const std::string written = fuzz::ReadOrEmpty(path);
    if (MendPreferences(written, path) != written) Broken("the written preferences need mending", written, prefs);
    fuzz::ExpectNothingLogged("writing back");

    universe.Unlink();
    g_gameUniverse = nullptr;
    g_MasterMixer->EndMusic();
    EndGraphics();
    return 0;
}
