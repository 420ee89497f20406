// How long one update step of a busy level takes: 16 balls with particle trails bouncing under
// a wall of 200 bricks, 10 nains throwing from its top row, a pool of 256 particles.
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
#include "pieces/ball.h"
#include "pieces/brick.h"
#include "pieces/brickbox.h"
#include "pieces/gamestats.h"
#include "pieces/nain.h"
#include "pieces/paddle.h"
#include "pieces/projectile.h"
#include "platform/runtime.h"
#include "sprites/particle.h"
#include "sprites/sprites.h"
#include "text/parser.h"

namespace {

constexpr int kBalls = 16;
constexpr int kColumns = 20;
constexpr int kRows = 10;  // 200 bricks
constexpr int kNains = 10;
constexpr int kParticles = 256;

std::string Step(const std::string& name, int ticks, const std::string& extra = "") {
    return "<animationStep><stepName>" + name + "</stepName><minSteps>" + IntToText(ticks) + "</minSteps><maxSteps>" +
           IntToText(ticks) + "</maxSteps><minIterations>1</minIterations><maxIterations>1</maxIterations>" + extra +
           "</animationStep>";
}

std::string Anim(const std::string& name, const std::string& steps, const std::string& next = "") {
    std::string table;
    if (!next.empty()) {
        table = "<nextAnimation><randomData><action>" + next + "</action><value>1</value></randomData></nextAnimation>";
    }
    return "<animation><aniName>" + name + "</aniName>" + table + steps + "</animation>";
}

std::string SpriteXml(const std::string& name, float w, float h, const std::string& anims,
                      const std::string& extra = "") {
    return "<sprite><spriteName>" + name + "</spriteName><widthBound>" + FloatToText(w) + "</widthBound><heightBound>" +
           FloatToText(h) + "</heightBound>" + extra + anims + "</sprite>";
}

// Everything a pack would hold for this level, and the level itself, started as the game does.
struct BusyLevel {
    std::vector<SpritePtr> sprites;
    std::vector<ParticleSourcePtr> sources;
    ParticleSpritesPtr pool = std::make_shared<ParticleSprites>();
    std::vector<BrickPtr> bricks;
    std::vector<BallPtr> balls;
    std::vector<ProjectilePtr> projectiles;
    std::vector<SoundPtr> sounds;
    GameStatPtr stat = std::make_shared<GameStat>();
    LevelPtr level = std::make_shared<Level>();
    int lives = 3;

    BusyLevel() {
        const std::string loop = Step("a", 1000);
        const std::string xmls[] = {
            SpriteXml("bat", 100, 16, Anim("idle", loop)),
            SpriteXml("orb", 10, 10,
                      Anim("Standard", Step("a", 1000, "<particleSourceName>trail</particleSourceName>")),
                      "<maxVel>8</maxVel>"),
            SpriteXml("slab", 36, 14,
                      Anim("idle", loop) + Anim("sound_struck", Step("hit", 3, "<onFinish>end</onFinish>"), "idle")),
            SpriteXml("gnome", 16, 24,
                      Anim("at rest", loop) +
                          Anim("Start projectile", Step("wind", 6, "<onFinish>end</onFinish>"), "Launch projectile") +
                          Anim("Launch projectile", Step("throw", 2, "<onFinish>end</onFinish>"), "at rest")),
            SpriteXml("rock", 8, 8, Anim("falling", loop) + Anim("burst", Step("dust", 3, "<onFinish>kill</onFinish>")),
                      "<maxVel>9</maxVel>"),
            SpriteXml("spark", 4, 4, Anim("glow", Step("a", 40, "<onFinish>kill</onFinish>"))),
        };
        for (const std::string& xml : xmls) {
            sprites = AppendNewSprite(sprites);
            sprites.back()->LoadFromXML(xml);
        }
        sources = AppendNewParticleSource(sources);
        sources.back()->LoadFromXML(
            "<particleSource><name>trail</name><spriteName>spark</spriteName><rate>1.07</rate><randomDx>0.5</randomDx>"
            "<randomDy>0.5</randomDy><randomVel>0.5</randomVel></particleSource>",
            sprites);
        sources.back()->particleSpriteTarget = pool;
        LinkSprites(sprites, {}, {}, sources, sounds);

        pool->Initialize(kParticles);
        SpritePtr spark = GetSpriteByName("spark", sprites);
        for (int i = 0; i < kParticles; ++i) pool->AddSprite(spark, 20.0f + i * 2.5f, 400.0f, 0.0f, -1.0f, 0.2f, 0.0f);

        // Tough bricks: the wall stands for the whole run, and no ball gets above it.
        bricks = AppendNewBrick(bricks);
        bricks.back()->LoadFromXML(
            "<brick><brickName>slab</brickName><spriteName>slab</spriteName><isSolid>1</isSolid>"
            "<strength>2000000000</strength><points>1</points></brick>",
            0);
        LinkBricks(bricks, sprites, 0);
        balls = AppendNewBall(balls);
        balls.back()->LoadFromXML("<ball><ballName>orb</ballName><spriteName>orb</spriteName></ball>", sprites, 0);
        projectiles = AppendNewProjectile(projectiles);
        projectiles.back()->LoadFromXML(
            "<projectile><name>rock</name><spriteName>rock</spriteName><throwMinVert>-1</throwMinVert>"
            "<throwMaxVert>-0.5</throwMaxVert><throwMinVel>2</throwMinVel><throwMaxVel>3</throwMaxVel>"
            "<points>1</points></projectile>",
            sprites, 0);

        std::string xml = "<level><levelName>Busy</levelName><paddle><spriteName>bat</spriteName></paddle>";
        for (int i = 0; i < kBalls; ++i) {
            const float angle = 20.0f + 320.0f * i / kBalls;
            xml += "<ball><spriteName>orb</spriteName><isLive>1</isLive><x>" + FloatToText(40.0f + 40.0f * i) +
                   "</x><y>" + FloatToText(300.0f + 20.0f * (i % 8)) + "</y><dx>" +
                   FloatToText(std::sin(angle * 0.0174533f)) + "</dx><dy>" + FloatToText(std::cos(angle * 0.0174533f)) +
                   "</dy><vel>5</vel><maxVel>8</maxVel></ball>";
        }
        xml +=
            "<nain><name>gnome</name><spriteName>gnome</spriteName><aggression>40</aggression><maxBounces>2</"
            "maxBounces>"
            "<projectileToThrow><randomData><action>rock</action><value>1</value></randomData></projectileToThrow>"
            "</nain>";
        for (int row = 0; row < kRows; ++row) {
            for (int col = 0; col < kColumns; ++col) {
                xml += "<brick><brickName>slab</brickName><x>" + IntToText(4 + 36 * col) + "</x><y>" +
                       IntToText(60 + 14 * row) + "</y></brick>";
            }
        }
        xml += "</level>";
        level->gameOver = -1.0f;
        level->LoadFromXML(
            xml, {.bricks = bricks, .sprites = sprites, .balls = balls, .projectiles = projectiles, .sounds = sounds},
            0, "", stat);
        for (const BrickPtr& brick : level->bricksArray) brick->isLive = 1;
        level->CreateBrickBoxGrid();
        level->StartNewBall(sounds);
        level->levelStartTTL = -1.0f;

        // Nains seated along the top row, out of the balls' reach.
        for (int i = 0; i < kNains; ++i) {
            BrickPtr seat = level->bricksArray[static_cast<size_t>(2 * i)];
            level->nainsArray = AppendNewNain(level->nainsArray);
            NainPtr nain = level->nainsArray.back();
            nain->Clone(level->sourceNainsArray[0]);
            nain->nainSprite->x = seat->brickSprite->x + 10.0f;
            nain->nainSprite->y = seat->brickSprite->y - 24.0f;
            nain->parentBrick = seat;
            seat->currentNain = nain;
        }
    }

    ~BusyLevel() {
        level->Unlink();
        pool->Unlink();
        for (auto& p : projectiles) p->Unlink();
        for (auto& b : balls) b->Unlink();
        for (auto& b : bricks) b->Unlink();
        for (auto& s : sources) s->Unlink();
        for (auto& s : sprites) s->Unlink();
    }

    int LiveBalls() const {
        int n = 0;
        for (const BallPtr& ball : level->ballsArray) n += ball->isLive == 1 ? 1 : 0;
        return n;
    }
    int SeatedNains() const {
        int n = 0;
        for (const NainPtr& nain : level->nainsArray) n += (nain->isLive == 1 && nain->parentBrick) ? 1 : 0;
        return n;
    }
    int Particles() const {
        int n = 0;
        for (const SpritePtr& p : pool->spriteArray) n += p ? 1 : 0;
        return n;
    }
};

// A throwaway per-user folder, a quiet log, fixed speed and seed, the floor closed so no ball
// is lost, and no new nains: the load stays the same from the first step to the last.
void PrepareWorld(const std::string& home) {
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_DATA_HOME", (home + "/.local/share").c_str(), 1);
    SetBackend(Backend::Headless);
    InitGlobals();
    InitSprites();
    g_debugLogQuiet = 1;
    g_errorcode = {1};
    g_errorseverity = {0};
    g_errormessage = {"Progress note"};
    g_gameSpeedFactor = 1.0f;
    g_godMode = 1;
    SeedRnd(99);
    if (!g_MasterMixer) {
        g_MasterMixer = std::make_shared<Mixer>();
        g_MasterMixer->Initialize(16);
    }
}

template <bool kWholeStep, bool kTrails = true>
void RunBusyLevel(benchmark::State& state) {
    char pattern[] = "/tmp/bx2_bench_XXXXXX";
    const std::string home = mkdtemp(pattern) ? pattern : "/tmp";
    PrepareWorld(home);
    // Read when the balls load: without trails their sprites feed no particles.
    g_useBallTrails = kTrails ? 1 : 0;
    {
        BusyLevel busy;
        for (int i = 0; i < 200; ++i) busy.level->Update(busy.stat, busy.sounds, busy.lives, 1);  // settle in
        for (auto _ : state) {
            if (kWholeStep) busy.level->playerPaddle->Update(0.0f);
            busy.level->Update(busy.stat, busy.sounds, busy.lives, 1);
            if (kWholeStep) busy.pool->Update();
            benchmark::ClobberMemory();
        }
        state.counters["balls"] = busy.LiveBalls();
        state.counters["bricks"] = static_cast<double>(busy.level->bricksArray.size());
        state.counters["nains"] = busy.SeatedNains();
        state.counters["particles"] = busy.Particles();
        state.counters["projectiles"] = static_cast<double>(busy.level->projectilesArray.size());
        state.counters["log_lines"] = static_cast<double>(std::count(g_DebugLog.begin(), g_DebugLog.end(), '\n'));
    }
    std::error_code ignored;
    if (home != "/tmp") std::filesystem::remove_all(home, ignored);
}

// Level.Update alone: the ball sub-steps, bricks, nains, projectiles, goals and timers.
void BM_LevelUpdate(benchmark::State& state) { RunBusyLevel<false>(state); }
// The same with the option "ball trails" off.
void BM_LevelUpdateNoTrails(benchmark::State& state) { RunBusyLevel<false, false>(state); }
// The game's whole update step around it: paddle, level, particle pool.
void BM_PlayStep(benchmark::State& state) { RunBusyLevel<true>(state); }

BENCHMARK(BM_LevelUpdate)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LevelUpdateNoTrails)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlayStep)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
