// Particles: the pack's fixed pool of particle sprites and the emitters that animation
// steps feed with their sprite's place and size on every update.
#include "sprites/particle.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <string_view>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#endif

#include "core/arrays.h"
#include "core/globals.h"
#include "core/lookup.h"
#include "core/numeric.h"
#include "sprites/animation.h"
#include "sprites/prefetch.h"
#include "sprites/sprites.h"
#include "text/parser.h"

void InitParticle() {
    static bool done = false;
    if (done) return;
    done = true;
    InitGlobals();
    InitSprites();
}

namespace {

// Every particle that leaves the pool is unlinked first, so that no sprite tree or
// animation state it holds outlives its slot.
void Discard(SpritePtr& slot) {
    if (slot) slot->Unlink();
    slot = nullptr;
}

// The lowest free slot from `i` on, or the size when every slot is taken. A full pool is the
// common case in a busy level, so the slots are crossed eight at a time: the least of eight
// addresses is 0 exactly when one of them is free.
size_t FirstFreeSlotFrom(const SpritePtr* s, size_t count, size_t i) {
    const auto address = [&](size_t k) { return reinterpret_cast<uintptr_t>(s[k].get()); };
    while (i + 8 <= count) {
        uintptr_t least = address(i);
        for (size_t k = 1; k < 8; ++k) least = std::min(least, address(i + k));
        if (least == 0) break;
        i += 8;
    }
    while (i < count && s[i]) ++i;
    return i;
}

#if defined(__x86_64__) && defined(__GNUC__)
// The same with AVX2, where the processor has it: sixteen slots are eight 32-byte reads and
// compares. A slot is its pointer and its count's pointer, so a free slot has a word of 0 in
// its 16 bytes; a taken one with a word of 0 (a pointer without a count, made by aliasing)
// only has its sixteen looked at one by one.
[[gnu::target("avx2")]] size_t FirstFreeSlotWide(const SpritePtr* s, size_t count) {
    static_assert(sizeof(SpritePtr) == 2 * sizeof(uint64_t));
    const __m256i zero = _mm256_setzero_si256();
    size_t i = 0;
    for (; i + 16 <= count; i += 16) {
        const auto* at = reinterpret_cast<const __m256i*>(s + i);
        __m256i any = _mm256_cmpeq_epi64(_mm256_loadu_si256(at), zero);
        for (int k = 1; k < 8; ++k) any = _mm256_or_si256(any, _mm256_cmpeq_epi64(_mm256_loadu_si256(at + k), zero));
        if (!_mm256_testz_si256(any, any)) break;
    }
    return FirstFreeSlotFrom(s, count, i);
}
#endif

size_t FirstFreeSlot(const std::vector<SpritePtr>& slots) {
#if defined(__x86_64__) && defined(__GNUC__)
    static const bool wide = __builtin_cpu_supports("avx2");
    if (wide) return FirstFreeSlotWide(slots.data(), slots.size());
#endif
    return FirstFreeSlotFrom(slots.data(), slots.size(), 0);
}

// A particle that only the pool holds and that has no tree of its own can be made again in
// place; any other is let go as usual.
bool Reusable(const SpritePtr& particle) {
    return particle && particle.use_count() == 1 && particle->childSprites.empty();
}

// A used particle made ready for Clone: the fields Clone leaves alone go back to what a new
// sprite has, so that the clone made in it is the one a new sprite would have become.
void Renew(Sprite& s) {
    s.assignTargetSprite = 0;
    s.absX = s.absY = 0.0f;
    s.absDX = s.absDY = s.absVel = 0.0f;
    s.absDDX = s.absDDY = s.absAccel = 0.0f;
    s.absRot = s.absDRot = s.absDDRot = 0.0f;
    s.absXScale = s.absYScale = 1.0f;
    s.isLive = 1;
}

// Whether updating the particle may emit: its running step feeds an emitter, or it has
// children, whose steps may.
bool MayEmit(const Sprite& particle) {
    if (!particle.childSprites.empty()) return true;
    const int a = particle.currentAnimation;
    if (a < 0 || static_cast<size_t>(a) >= particle.animationArray.size()) return false;
    Animation* animation = particle.animationArray[static_cast<size_t>(a)].get();
    if (!animation) return false;
    const AnimationStep* step = animation->CurrentStepOrNull();
    return step && step->particleSourceLink;
}

}  // namespace

// ---------------------------------------------------------------------------
// ParticleSprites

ParticleSprites::~ParticleSprites() {
    for (SpritePtr& slot : spriteArray) Discard(slot);
    for (SpritePtr& used : recycled_) Discard(used);
}

int ParticleSprites::Initialize(int size) {
    return Guarded("sprites:ParticleSprites.Initialize() ", 0, [&] {
        if (size != -1) maxSprites = size;
        for (SpritePtr& slot : spriteArray) Discard(slot);
        for (SpritePtr& used : recycled_) Discard(used);
        spriteArray.assign(static_cast<size_t>(std::clamp(maxSprites, 0, kMostParticles)), nullptr);
        recycled_.assign(spriteArray.size(), nullptr);
        return 0;
    });
}

int ParticleSprites::Unlink() {
    return Guarded("sprites:ParticleSprites.Unlink() ", 0, [&] {
        for (SpritePtr& slot : spriteArray) Discard(slot);
        for (SpritePtr& used : recycled_) Discard(used);
        return 0;
    });
}

int ParticleSprites::AddSprite(const SpritePtr& templateSprite, float x, float y, float dx, float dy, float vel,
                               float rot) {
    return Guarded("sprites:ParticleSprites.AddSprite() ", 0, [&] {
        if (spriteArray.empty()) return 0;
        if (recycled_.size() != spriteArray.size()) recycled_.resize(spriteArray.size());
        size_t slot = FirstFreeSlot(spriteArray);
        SpritePtr particle;
        if (slot == spriteArray.size()) {
            // Full: a random particle makes room instead of the pool growing.
            slot = static_cast<size_t>(Rand(0, static_cast<int>(spriteArray.size()) - 1));
            if (Reusable(spriteArray[slot])) {
                particle = std::move(spriteArray[slot]);
            } else {
                Discard(spriteArray[slot]);
            }
        }
        if (!particle && Reusable(recycled_[slot])) particle = std::move(recycled_[slot]);
        if (particle) {
            Renew(*particle);
        } else {
            particle = std::make_shared<Sprite>();
        }
        // Nothing changes a particle's steps once it flies, so it shares the template's.
        particle->Clone(templateSprite, nullptr, true);
        particle->x = x;
        particle->y = y;
        particle->dx = dx;
        particle->dy = dy;
        particle->vel = vel;
        // A particle spins by its starting angle per tick.
        particle->rot = rot;
        particle->drot = rot;
        spriteArray[slot] = particle;
        return 0;
    });
}

int ParticleSprites::Update() {
    return Guarded("sprites:ParticleSprites.Update() ", 0, [&] {
        for (size_t i = 0; i < spriteArray.size(); ++i) {
            PrefetchSpritesAhead(i + 1, spriteArray.size(), [&](size_t j) { return spriteArray[j].get(); });
            Sprite* particle = spriteArray[i].get();
            if (!particle) continue;
            // Held while it may emit (itself or through its children): a particle that emits
            // into this full pool may see its own slot replaced.
            SpritePtr held;
            if (MayEmit(*particle)) held = spriteArray[i];
            particle->Update();
            if (particle->isLive == 0 && spriteArray[i].get() == particle) {
                held = nullptr;
                // Kept for the next particle of this slot; the one it replaces there goes.
                if (i < recycled_.size() && Reusable(spriteArray[i])) {
                    Discard(recycled_[i]);
                    recycled_[i] = std::move(spriteArray[i]);
                } else {
                    Discard(spriteArray[i]);
                }
            }
        }
        return 0;
    });
}

int ParticleSprites::Draw() {
    return Guarded("sprites:ParticleSprites.Draw() ", 0, [&] {
        for (size_t i = 0; i < spriteArray.size(); ++i) {
            SpritePtr particle = spriteArray[i];
            if (particle) particle->Draw();
        }
        return 0;
    });
}

// ---------------------------------------------------------------------------
// ParticleSource

int ParticleSource::Unlink() {
    return Guarded("sprites:ParticleSource.Unlink() ", 0, [&] {
        // The pool is the pack's: this empties it for every source that targets it.
        if (ParticleSpritesPtr pool = particleSpriteTarget.lock()) pool->Unlink();
        particleSpriteTarget.reset();
        if (particleSprite) {
            particleSprite->Unlink();
            particleSprite = nullptr;
        }
        return 0;
    });
}

int ParticleSource::SetPosition(float newX, float newY, float width, float height) {
    return Guarded("sprites:ParticleSource.SetPosition() ", 0, [&] {
        // Compared as a view: a length test and five bytes, on every emitter of every tick.
        if (std::string_view(style) == "point") {
            x = newX;
            y = newY;
        } else {
            x = newX + width / 2.0f;
            y = newY + height / 2.0f;
            randomX = width / 2.0f;
            randomY = height / 2.0f;
        }
        return 0;
    });
}

int ParticleSource::Update() {
    return Guarded("sprites:ParticleSource.Update() ", 0, [&] {
        if (ttl > -1.0f) {
            ttl = ttl - g_gameSpeedFactor;
            if (ttl < 0.0f) ttl = 0.0f;
        }
        return 0;
    });
}

int ParticleSource::Clone(const ParticleSourcePtr& source) {
    return Guarded("sprites:ParticleSource.Clone() ", 0, [&] {
        const ParticleSource& from = Deref(source);
        CopyXmlFields(*this, from, kParticleSourceFields);
        if (from.particleSprite) {
            auto copy = std::make_shared<Sprite>();
            copy->Clone(from.particleSprite, nullptr);
            if (particleSprite) particleSprite->Unlink();
            particleSprite = copy;
        }
        particleSpriteTarget = from.particleSpriteTarget;
        return 0;
    });
}

int ParticleSource::GenerateParticle() {
    return Guarded("sprites:ParticleSource.GenerateParticle() ", 0, [&] {
        if (ttl == 0.0f) return 0;
        const float speed = g_gameSpeedFactor;
        // Rolls = ceiling of rate, plus one. Bounded by the pool's slots: more particles in one
        // call would only replace others of the same call, and a wild rate would hold the game
        // for ever (each particle added to a full pool costs a look along all of it).
        const ParticleSpritesPtr target = particleSpriteTarget.lock();
        const int most = target ? static_cast<int>(target->spriteArray.size()) : kMostParticles;
        const double ceiling = std::ceil(static_cast<double>(rate));
        const int n = std::isnan(ceiling)  ? -1
                      : ceiling >= most    ? most
                      : ceiling <= INT_MIN ? INT_MIN
                                           : static_cast<int>(ceiling);
        for (int roll = 0; roll < n + 1; ++roll) {
            // A roll over [0, chance x F) must beat F: probability 1 - 1/chance, never for chance <= 1.
            const float r = RndF(0.0f, chance * speed);
            if (!(r > speed)) continue;
            const float pRot = RndF(-randomRot, randomRot);
            const float pVel = RndF(0.0f, randomVel);
            const float pDy = dy + RndF(-randomDy, randomDy);
            const float pDx = dx + RndF(-randomDx, randomDx);
            const float pY = (y - yOffset) + RndF(-randomY, randomY);
            const float pX = (x - xOffset) + RndF(-randomX, randomX);
            ParticleSpritesPtr pool = particleSpriteTarget.lock();
            Deref(pool).AddSprite(particleSprite, pX, pY, pDx, pDy, pVel, pRot);
        }
        return 0;
    });
}

std::string ParticleSource::LoadFromXML(const std::string& xml, const std::vector<SpritePtr>& sprites) {
    return Guarded("sprites:ParticleSource.LoadFromXML() ", std::string(), [&] {
        // The chance follows the rate, so the default rate of 1 never emits.
        LoadXmlFields(*this, xml, kParticleSourceFields);

        auto copy = std::make_shared<Sprite>();
        if (particleSprite) particleSprite->Unlink();
        particleSprite = copy;
        copy->Clone(GetSpriteByName(spriteName, sprites), nullptr);
        return std::string();
    });
}

// ---------------------------------------------------------------------------
// Free functions

int UpdateParticleSource(ParticleSourcePtr& source, const ParticleSpritesPtr& pool) {
    return Guarded("particle:UpdateParticleSource() ", 0, [&] {
        ParticleSource& emitter = Deref(source);
        emitter.particleSpriteTarget = pool;
        emitter.Update();
        emitter.GenerateParticle();
        if (emitter.ttl == 0.0f) source = nullptr;
        return 0;
    });
}

std::vector<ParticleSourcePtr> AppendNewParticleSource(const std::vector<ParticleSourcePtr>& sources) {
    return AppendNew("particle:AppendNewParticleSource() ", sources);
}

ParticleSourcePtr GetParticleSourceByName(const std::string& name, const std::vector<ParticleSourcePtr>& sources) {
    return GetByName("sprites:GetParticleSourceByName() ", sources, &ParticleSource::name, name, "particle source",
                     EmptySlot::Raise);
}
