// How long one play step takes on the classic pack's own content: balls with their trails
// under a wall of bricks, nains seated on its top row, the particle pool, the paddle and the
// mixer, stepped as the play loop steps them. The wall either stands (steel) or breaks, and a
// sweep over balls and bricks shows how the cost grows.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/globals.h"
#include "level/level.h"
#include "media/mixer.h"
#include "pack/packs.h"
#include "pieces/ball.h"
#include "pieces/brick.h"
#include "pieces/gamestats.h"
#include "pieces/nain.h"
#include "pieces/paddle.h"
#include "pieces/projectile.h"
#include "platform/graphics.h"
#include "platform/runtime.h"
#include "sprites/particle.h"
#include "sprites/sprites.h"
#include "text/parser.h"

namespace {

constexpr int kNains = 10;
constexpr int kColumns = 15;  // 48-unit bricks across the 720-unit field
// A breaking wall is built again after this many steps, outside the timing, so that the
// balls always have bricks to break.
constexpr int kStepsPerWall = 200;
// Live counts are taken every so many steps: counting costs a little itself.
constexpr int kCountEvery = 16;

std::string ClassicFolder() { return g_dataPath + "data/packs/classic/"; }

// A throwaway per-user folder, a quiet log, a headless screen on a test clock (so that the
// loading screen does not wait for vertical blanks), fixed speed and seed, sound on, and the
// floor closed so that no ball is lost.
void PrepareWorld(const std::string& home) {
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_DATA_HOME", (home + "/.local/share").c_str(), 1);
    SetBackend(Backend::Headless);
    InitGlobals();
    InitSprites();
    InitParticle();
    UseTestClock(100000, 0, 80);
    Graphics(1024, 768, 0, 60);
    g_debugLogQuiet = 1;
    g_errorcode = {1};
    g_errorseverity = {0};
    g_errormessage = {"Progress note"};
    g_gameSpeedFactor = 1.0f;
    // As the default preferences have them: the pack's effects and music load and play.
    g_sfxVolume = 1.0f;
    g_musicVolume = 1.0f;
    g_godMode = 1;
    SeedRnd(99);
    if (!g_MasterMixer) {
        g_MasterMixer = std::make_shared<Mixer>();
        g_MasterMixer->Initialize(16);
    }
}

class World {
public:
    World() {
        char pattern[] = "/tmp/bx2_bench_XXXXXX";
        home_ = mkdtemp(pattern) ? pattern : "";
        PrepareWorld(home_.empty() ? "/tmp" : home_);
    }
    ~World() {
        std::error_code ignored;
        if (!home_.empty()) std::filesystem::remove_all(home_, ignored);
    }

private:
    std::string home_;
};

PackPtr LoadClassic() {
    auto pack = std::make_shared<Pack>();
    pack->path = ClassicFolder();
    pack->LoadPackData(1, [](const std::string& key) { return key; });
    return pack;
}

// A level of the pack's own pieces: a wall of `bricks` bricks from the top of the field,
// `balls` balls below it heading every way, and the nain of "Gnome Watch" as its only kind.
std::string LevelXml(int balls, int bricks, bool breaking) {
    std::string xml = "<level><levelName>Bench</levelName><paddle><spriteName>paddle_sprite</spriteName></paddle>";
    for (int i = 0; i < balls; ++i) {
        const float angle = 20.0f + 320.0f * static_cast<float>(i) / static_cast<float>(std::max(balls, 1));
        xml += "<ball><ballName>plain</ballName><spriteName>ball_sprite</spriteName><isLive>1</isLive><x>" +
               FloatToText(40.0f + 40.0f * static_cast<float>(i)) + "</x><y>" +
               FloatToText(460.0f + 20.0f * static_cast<float>(i % 8)) + "</y><dx>" +
               FloatToText(std::sin(angle * 0.0174533f)) + "</dx><dy>" + FloatToText(std::cos(angle * 0.0174533f)) +
               "</dy><vel>5</vel><maxVel>9</maxVel></ball>";
    }
    xml +=
        "<nain><name>nain</name><spriteName>nain_sprite</spriteName>"
        "<projectileHardpointName>nain_hand_sprite</projectileHardpointName><aggression>160</aggression>"
        "<frequency>240</frequency><maxBounces>2</maxBounces><rootPointValue>50</rootPointValue>"
        "<projectileToThrow><randomData><action>rock</action><value>1</value></randomData></projectileToThrow>"
        "</nain>";
    const char* const kinds[] = {"green", "blue", "red", "yellow", "purple", "orange", "tough"};
    for (int i = 0; i < bricks; ++i) {
        const std::string kind = breaking ? kinds[(i / kColumns + i) % 7] : "steel";
        xml += "<brick><brickName>" + kind + "</brickName><x>" + IntToText(4 + 48 * (i % kColumns)) + "</x><y>" +
               IntToText(60 + 20 * (i / kColumns)) + "</y></brick>";
    }
    return xml + "</level>";
}

// One level in play as the game starts it, with the nains seated along the wall's top row.
struct Play {
    PackPtr pack;
    LevelPtr level;
    GameStatPtr stat = std::make_shared<GameStat>();
    int lives = 3;

    Play(const PackPtr& p, int balls, int bricks, bool breaking) : pack(p) {
        stat->difficulty = "Normal";
        level = std::make_shared<Level>();
        level->gameOver = -1.0f;
        level->LoadFromXML(LevelXml(balls, bricks, breaking), pack->Sources(), 0, pack->path, stat);
        for (const BallPtr& ball : level->ballsArray) ball->isLive = 1;
        for (const BrickPtr& brick : level->bricksArray) brick->isLive = 1;
        // The ball pool is padded as a level change pads it, so multiball has balls to wake.
        while (static_cast<int>(level->ballsArray.size()) < g_maxBalls) {
            level->ballsArray = AppendNewBall(level->ballsArray);
            level->ballsArray.back()->isLive = 0;
        }
        level->CreateBrickBoxGrid();
        level->StartNewBall(pack->soundsArray);
        // Launched at once: a ball held on the paddle would only follow it.
        for (const BallPtr& ball : level->ballsArray) ball->isStuck = kBallNotStuck;
        level->levelStartTTL = -1.0f;
        const int seats = std::min<int>(kNains, static_cast<int>(level->bricksArray.size()));
        for (int i = 0; i < seats; ++i) {
            BrickPtr seat = level->bricksArray[static_cast<size_t>(i * kColumns / kNains)];
            level->nainsArray = AppendNewNain(level->nainsArray);
            NainPtr nain = level->nainsArray.back();
            nain->Clone(level->sourceNainsArray[0]);
            nain->nainSprite->x = seat->brickSprite->x + 10.0f;
            nain->nainSprite->y = seat->brickSprite->y - 36.0f;
            nain->parentBrick = seat;
            seat->currentNain = nain;
        }
    }
    ~Play() { level->Unlink(); }

    // The play loop's update step: paddle, level, particle pool, mixer. Kept out of line so
    // that a profiler can count it alone (callgrind's --toggle-collect).
    [[gnu::noinline]] void Step(int noNewNains) {
        level->playerPaddle->Update(0.0f);
        level->Update(stat, pack->soundsArray, lives, noNewNains);
        pack->packParticleSprites->Update();
        g_MasterMixer->Update();
        g_MasterMixer->RateAdjust(g_gameSpeedModulation);
    }
};

// What is in play, summed over the samples of the timed loop.
struct Counts {
    double balls = 0, bricks = 0, nains = 0, particles = 0, projectiles = 0;
    int samples = 0;

    void Take(const Play& play) {
        for (const BallPtr& b : play.level->ballsArray) balls += b->isLive == 1 ? 1 : 0;
        for (const BrickPtr& b : play.level->bricksArray) bricks += b->isLive == 1 ? 1 : 0;
        for (const NainPtr& n : play.level->nainsArray) nains += n->isLive == 1 ? 1 : 0;
        for (const SpritePtr& p : play.pack->packParticleSprites->spriteArray) particles += p ? 1 : 0;
        for (const ProjectilePtr& p : play.level->projectilesArray) projectiles += p && p->isLive == 1 ? 1 : 0;
        ++samples;
    }
    void Report(benchmark::State& state) const {
        const double n = std::max(samples, 1);
        state.counters["balls"] = balls / n;
        state.counters["bricks"] = bricks / n;
        state.counters["nains"] = nains / n;
        state.counters["particles"] = particles / n;
        state.counters["projectiles"] = projectiles / n;
    }
};

World& TheWorld() {
    static World world;
    return world;
}

PackPtr& Classic() {
    static PackPtr pack;
    if (!pack) pack = LoadClassic();
    return pack;
}

// args: balls, bricks. A standing wall holds the load steady and brings no new nains; a
// breaking one is played as the game plays it and built again every kStepsPerWall steps.
template <bool kBreaking>
void RunPlay(benchmark::State& state) {
    TheWorld();
    const PackPtr& pack = Classic();
    const int balls = static_cast<int>(state.range(0));
    const int bricks = static_cast<int>(state.range(1));
    SeedRnd(99);
    // The pool starts full, as it is after a while of play.
    pack->packParticleSprites->Initialize(g_maxParticles);
    const SpritePtr spark = GetSpriteByName("spark_particle", pack->spritesArray);
    for (int i = 0; i < g_maxParticles; ++i) {
        pack->packParticleSprites->AddSprite(spark, 20.0f + static_cast<float>(i % 200) * 3.5f, 400.0f, 0.0f, -1.0f,
                                             0.2f, 0.0f);
    }
    auto play = std::make_unique<Play>(pack, balls, bricks, kBreaking);
    for (int i = 0; i < 50; ++i) play->Step(kBreaking ? 0 : 1);  // settle in
    Counts counts;
    int step = 0;
    for (auto _ : state) {
        if (kBreaking && step == kStepsPerWall) {
            state.PauseTiming();
            play.reset();
            play = std::make_unique<Play>(pack, balls, bricks, kBreaking);
            step = 0;
            state.ResumeTiming();
        }
        play->Step(kBreaking ? 0 : 1);
        if (++step % kCountEvery == 0) counts.Take(*play);
        benchmark::ClobberMemory();
    }
    counts.Report(state);
    state.counters["log_lines"] = static_cast<double>(std::count(g_DebugLog.begin(), g_DebugLog.end(), '\n'));
}

// BX2_BENCH_STEPS=N runs exactly N timed steps, so that instruction counts (callgrind) of
// two builds compare step for step.
void SweepArgs(benchmark::internal::Benchmark* b) {
    b->ArgNames({"balls", "bricks"});
    for (int balls : {1, 4, 8, 16}) b->Args({balls, 200});
    for (int bricks : {50, 100}) b->Args({16, bricks});
    if (const char* steps = getenv("BX2_BENCH_STEPS")) b->Iterations(std::max(1, atoi(steps)));
}

// A wall of steel: every hit rebounds and nothing breaks.
void BM_PlayStepStanding(benchmark::State& state) { RunPlay<false>(state); }
// A wall of the pack's breakable bricks: pieces fly, nains fall and are hit, powerups drop.
void BM_PlayStepBreaking(benchmark::State& state) { RunPlay<true>(state); }

BENCHMARK(BM_PlayStepStanding)->Apply(SweepArgs)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlayStepBreaking)->Apply(SweepArgs)->Unit(benchmark::kMicrosecond);

// The whole load of the classic pack behind its loading screen, as a game start does it.
void BM_PackLoad(benchmark::State& state) {
    TheWorld();
    for (auto _ : state) {
        PackPtr pack = LoadClassic();
        benchmark::DoNotOptimize(pack.get());
        state.PauseTiming();
        pack->Unlink();
        pack.reset();
        state.ResumeTiming();
    }
}

BENCHMARK(BM_PackLoad)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
