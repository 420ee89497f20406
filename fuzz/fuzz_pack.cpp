// Feeds arbitrary packs to the pack loader and starts a game on each, as the game does: every XML
// file of a pack folder comes from the input, the pictures and sounds are the classic pack's.
// No pack may crash the loader, the first level's start or its first updates, leak, or take
// longer than the run's time-out; what a pack gets wrong goes to the debug log, as content faults do.
//
// An input is a bundle of files, each after a line "@@@ name": "info.xml", "sprites/balls.xml",
// "levels/first.xml" and the like (a name of letters, digits, "_", "-" and ".", in the pack
// folder or its "sprites" or "levels" folder). Text before the first such line is not read.
#include <climits>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/globals.h"
#include "fuzz_game.h"
#include "level/level.h"
#include "media/mixer.h"
#include "pack/packs.h"
#include "pieces/ball.h"
#include "pieces/gamestats.h"
#include "pieces/paddle.h"
#include "platform/files.h"
#include "platform/graphics.h"
#include "platform/image.h"
#include "platform/runtime.h"
#include "sprites/sprites.h"
#include "universe/game.h"

namespace {

const char kMarker[] = "@@@ ";
const size_t kMostFiles = 64;

std::string g_packFolder;  // ends in "/"

bool IsNameChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-' ||
           c == '.';
}

// A file name the bundle may use: never one that leaves the pack folder or hides from a listing.
bool IsBundleName(const std::string& name) {
    std::string file = name;
    for (const char* folder : {"sprites/", "levels/"}) {
        if (file.rfind(folder, 0) == 0) file = file.substr(std::string(folder).size());
    }
    if (file.empty() || file[0] == '.' || file.size() > 64) return false;
    for (char c : file)
        if (!IsNameChar(c)) return false;
    return true;
}

struct BundleFile {
    std::string name;
    std::string text;
};

std::vector<BundleFile> Unbundle(const std::string& input) {
    const std::string marker = kMarker;
    std::vector<BundleFile> files;
    bool taking = false;  // whether the lines belong to a file of the bundle
    for (size_t at = 0; at < input.size();) {
        const size_t end = input.find('\n', at);
        const size_t next = end == std::string::npos ? input.size() : end + 1;
        if (input.compare(at, marker.size(), marker) == 0) {
            const std::string name =
                input.substr(at + marker.size(), next - at - marker.size() - (end != std::string::npos));
            taking = IsBundleName(name) && files.size() < kMostFiles;
            if (taking) files.push_back({name, ""});
        } else if (taking) {
            files.back().text.append(input, at, next - at);
        }
        at = next;
    }
    return files;
}

// The pack folder with only its pictures and sounds, then the bundle's files in it.
void PlaceBundle(const std::vector<BundleFile>& files) {
    for (const std::string& entry : LoadDir(g_packFolder)) {
        if (entry == "images" || entry == "sounds") continue;
        if (FileType(g_packFolder + entry) == 2) {
            DeleteDir(g_packFolder + entry);
        } else {
            DeleteFile(g_packFolder + entry);
        }
    }
    fuzz::MustMakeFolder(g_packFolder + "sprites");
    fuzz::MustMakeFolder(g_packFolder + "levels");
    for (const BundleFile& file : files) WriteWholeFile(g_packFolder + file.name, file.text);
}

// The classic pack's pictures and sounds, seen through links, except the four backgrounds and
// the music, which a small picture and a short tune stand in for: every input loads all of them.
void LinkMedia(const std::string& classic, const std::string& fixtures) {
    for (const char* kind : {"images", "sounds"}) {
        fuzz::MustMakeFolder(g_packFolder + kind);
        for (const std::string& entry : LoadDir(classic + kind)) {
            std::string target = classic + kind + "/" + entry;
            if (entry.rfind("bg_", 0) == 0) target = fixtures + "media/picture.png";
            if (entry.size() > 4 && entry.compare(entry.size() - 4, 4, ".ogg") == 0)
                target = fixtures + "platform/tone.ogg";
            fuzz::MustLink(target, g_packFolder + kind + "/" + entry);
        }
    }
}

// What StartGame does with a loaded pack, without its end over a logged line: the placeholder
// level's ball pool, the paddle, a fresh record, and the pack's first level; then a few updates.
void StartFirstLevel(const PackPtr& pack) {
    Game game;
    game.currentPack = pack;
    game.currentLevel = std::make_shared<Level>();
    const SpritePtr ballSprite = GetSpriteByName("ball", pack->spritesArray);
    game.currentLevel->ballsArray.assign(static_cast<size_t>(BallPoolSize()), nullptr);
    for (BallPtr& ball : game.currentLevel->ballsArray) {
        ball = std::make_shared<Ball>();
        ball->ballSprite->Clone(ballSprite, nullptr);
    }
    game.currentPaddle = std::make_shared<Paddle>();
    game.currentPaddle->paddleSprite->Clone(GetSpriteByName("paddle", pack->spritesArray), nullptr);
    game.gameStats = std::make_shared<GameStat>();
    game.gameStats->SetForContinue();
    game.gameStats->level = 0;
    game.gameStats->pack = pack->saveName;
    game.lives = pack->startingLives;
    game.LoadNextLevel("");
    // The first updates of play, which every template of the level takes part in.
    for (int pass = 0; pass < 3 && game.currentLevel; ++pass)
        game.currentLevel->Update(game.gameStats, pack->soundsArray, game.lives, 0);
    game.Unlink();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const std::string home = fuzz::MakeScratchHome();
    fuzz::StartHeadless(fuzz::MirrorDataFolder(home, BX2_FUZZ_DATA_DIR, BX2_FUZZ_FIXTURES_DIR));
    OpenScreenClockAndMixer();
    g_gameUniverse = std::make_shared<Universe>();

    g_packFolder = home + "/pack/";
    fuzz::MustMakeFolder(g_packFolder);
    LinkMedia(std::string(BX2_FUZZ_DATA_DIR) + "data/packs/classic/", BX2_FUZZ_FIXTURES_DIR);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    ResetDebugLog();
    // A damaged pack reports one line per fault; the count that would end the run at 500
    // starts far below it.
    g_totalErrors = INT_MIN / 2;
    PlaceBundle(Unbundle(std::string(reinterpret_cast<const char*>(bytes), size)));

    fuzz::Hearing hearing;
    auto pack = std::make_shared<Pack>();
    pack->path = g_packFolder;
    pack->LoadPackData(1, [](const std::string& key) { return key; });
    StartFirstLevel(pack);
    pack->Unlink();
    return 0;
}
