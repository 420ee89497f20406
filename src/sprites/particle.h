// Particles: the pack's pool of short-lived particle sprites (trails, sparks, dust) and the
// sources that animation steps feed to emit into it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "sprites/fwd.h"
#include "text/xmlfields.h"

// The most slots a particle pool has: the preferences may ask for any number, and one past
// the memory the game can have would end it at the next pack load.
constexpr int kMostParticles = 4096;

// A fixed pool of particle sprites, one per loaded pack. A null slot is free; a full pool
// replaces a random particle instead of growing.
class ParticleSprites {
public:
    int maxSprites = 512;
    std::vector<SpritePtr> spriteArray;

    ParticleSprites() = default;
    ~ParticleSprites();
    ParticleSprites(const ParticleSprites&) = delete;
    ParticleSprites& operator=(const ParticleSprites&) = delete;

    int Initialize(int size);
    int Unlink();
    int AddSprite(const SpritePtr& templateSprite, float x, float y, float dx, float dy, float vel, float rot);
    int Update();
    int Draw();

private:
    // Per slot, the last particle that died there and that nothing else holds: the next one
    // born in the slot is made in it, instead of one being freed and another allocated.
    std::vector<SpritePtr> recycled_;
};

// An emitter: a template particle sprite, an emission point or box, the spreads of
// position, direction, speed and spin, a rate and a life.
class ParticleSource {
public:
    std::string name;
    std::string spriteName;
    SpritePtr particleSprite;
    // Not owned: the pack owns its pool, and particles may carry sources of their own that
    // target it, so a strong reference here would keep the pool alive through its own slots.
    std::weak_ptr<ParticleSprites> particleSpriteTarget;
    float rate = 1.0f;
    float chance = 1.0f;
    float ttl = -1.0f;
    float randomX = 0.0f;
    float randomY = 0.0f;
    float randomDx = 0.0f;
    float randomDy = 0.0f;
    float randomVel = 0.0f;
    float randomRot = 0.0f;
    float x = 0.0f;
    float y = 0.0f;
    float xOffset = 0.0f;
    float yOffset = 0.0f;
    float dx = 0.0f;
    float dy = 0.0f;
    std::string style = "point";

    int Unlink();
    int SetPosition(float newX, float newY, float width, float height);
    int Update();
    int Clone(const ParticleSourcePtr& source);
    int GenerateParticle();
    std::string LoadFromXML(const std::string& xml, const std::vector<SpritePtr>& sprites);
};

// Every field a source's element sets, with its tag (the chance follows the rate, having no tag of
// its own): LoadFromXML reads them and Clone copies them.
inline constexpr XmlFields kParticleSourceFields{
    XmlField{"randomX", &ParticleSource::randomX},
    XmlField{"randomY", &ParticleSource::randomY},
    XmlField{"randomDx", &ParticleSource::randomDx},
    XmlField{"randomDy", &ParticleSource::randomDy},
    XmlField{"randomVel", &ParticleSource::randomVel},
    XmlField{"randomRot", &ParticleSource::randomRot},
    XmlField{"x", &ParticleSource::x},
    XmlField{"y", &ParticleSource::y},
    XmlField{"xOffset", &ParticleSource::xOffset},
    XmlField{"yOffset", &ParticleSource::yOffset},
    XmlField{"dx", &ParticleSource::dx},
    XmlField{"dy", &ParticleSource::dy},
    XmlField{"name", &ParticleSource::name},
    XmlField{"spriteName", &ParticleSource::spriteName},
    XmlField{"rate", &ParticleSource::rate},
    XmlField{"rate", &ParticleSource::chance},
    XmlField{"ttl", &ParticleSource::ttl},
    XmlField{"style", &ParticleSource::style},
};

// The particle module's start-up, once: the core services and the sprites first.
void InitParticle();

// Drives a free-standing source once: targets pool, counts down, emits; a spent source
// (ttl 0) is dropped from the caller's variable.
int UpdateParticleSource(ParticleSourcePtr& source, const ParticleSpritesPtr& pool);
std::vector<ParticleSourcePtr> AppendNewParticleSource(const std::vector<ParticleSourcePtr>& sources);
// First source of that exact name; a miss reports code -14 and gives nullptr.
ParticleSourcePtr GetParticleSourceByName(const std::string& name, const std::vector<ParticleSourcePtr>& sources);
