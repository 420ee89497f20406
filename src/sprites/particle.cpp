// Particles: the pack's fixed pool of particle sprites and the emitters that animation
// steps feed with their sprite's place and size on every update.
#include "sprites/particle.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "core/arrays.h"
#include "core/globals.h"
#include "core/lookup.h"
#include "core/numeric.h"
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

}  // namespace

// ---------------------------------------------------------------------------
// ParticleSprites

ParticleSprites::~ParticleSprites() {
    for (SpritePtr& slot : spriteArray) Discard(slot);
}

int ParticleSprites::Initialize(int size) {
    return Guarded("sprites:ParticleSprites.Initialize() ", 0, [&] {
        if (size != -1) maxSprites = size;
        for (SpritePtr& slot : spriteArray) Discard(slot);
        spriteArray.assign(static_cast<size_t>(std::clamp(maxSprites, 0, kMostParticles)), nullptr);
        return 0;
    });
}

int ParticleSprites::Unlink() {
    return Guarded("sprites:ParticleSprites.Unlink() ", 0, [&] {
        for (SpritePtr& slot : spriteArray) Discard(slot);
        return 0;
    });
}

int ParticleSprites::AddSprite(const SpritePtr& templateSprite, float x, float y, float dx, float dy, float vel,
                               float rot) {
    return Guarded("sprites:ParticleSprites.AddSprite() ", 0, [&] {
        if (spriteArray.empty()) return 0;
        size_t slot = 0;
        while (slot < spriteArray.size() && spriteArray[slot]) ++slot;
        if (slot == spriteArray.size()) {
            // Full: a random particle makes room instead of the pool growing.
            slot = static_cast<size_t>(Rand(0, static_cast<int>(spriteArray.size()) - 1));
            Discard(spriteArray[slot]);
        }
        auto particle = std::make_shared<Sprite>();
        particle->Clone(templateSprite, nullptr);
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
            // Held here: a particle that emits into this full pool may see its own slot replaced.
            SpritePtr particle = spriteArray[i];
            if (!particle) continue;
            particle->Update();
            if (particle->isLive == 0 && spriteArray[i] == particle) Discard(spriteArray[i]);
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
        if (style == "point") {
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
        name = from.name;
        spriteName = from.spriteName;
        if (from.particleSprite) {
            auto copy = std::make_shared<Sprite>();
            copy->Clone(from.particleSprite, nullptr);
            if (particleSprite) particleSprite->Unlink();
            particleSprite = copy;
        }
        particleSpriteTarget = from.particleSpriteTarget;
        rate = from.rate;
        chance = from.chance;
        ttl = from.ttl;
        randomX = from.randomX;
        randomY = from.randomY;
        randomDx = from.randomDx;
        randomDy = from.randomDy;
        randomVel = from.randomVel;
        randomRot = from.randomRot;
        x = from.x;
        y = from.y;
        xOffset = from.xOffset;
        yOffset = from.yOffset;
        dx = from.dx;
        dy = from.dy;
        style = from.style;
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
        SetFloatFromXML(randomX, xml, "randomX");
        SetFloatFromXML(randomY, xml, "randomY");
        SetFloatFromXML(randomDx, xml, "randomDx");
        SetFloatFromXML(randomDy, xml, "randomDy");
        SetFloatFromXML(randomVel, xml, "randomVel");
        SetFloatFromXML(randomRot, xml, "randomRot");
        SetFloatFromXML(x, xml, "x");
        SetFloatFromXML(y, xml, "y");
        SetFloatFromXML(xOffset, xml, "xOffset");
        SetFloatFromXML(yOffset, xml, "yOffset");
        SetFloatFromXML(dx, xml, "dx");
        SetFloatFromXML(dy, xml, "dy");
        SetStringFromXML(name, xml, "name");
        SetStringFromXML(spriteName, xml, "spriteName");
        SetFloatFromXML(rate, xml, "rate");
        // chance has no tag of its own: it follows rate, so the default rate of 1 never emits.
        SetFloatFromXML(chance, xml, "rate");
        SetFloatFromXML(ttl, xml, "ttl");
        SetStringFromXML(style, xml, "style");

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
