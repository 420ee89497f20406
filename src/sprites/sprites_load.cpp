// Sprites as content: reading a sprite element, deep copies for the pieces in play, the
// pack's template array and the linking of every name the templates carry.
#include <string>
#include <vector>

#include "core/arrays.h"
#include "core/globals.h"
#include "core/lookup.h"
#include "platform/runtime.h"
#include "sprites/animation.h"
#include "sprites/particle.h"
#include "sprites/shifter.h"
#include "sprites/sprites.h"
#include "text/parser.h"

namespace {

// True when hanging child under parent would make child its own ancestor.
bool WouldBeOwnAncestor(const SpritePtr& child, const SpritePtr& parent) {
    size_t guard = 0;
    for (SpritePtr p = parent; p; p = p->parentSprite.lock()) {
        if (p == child) return true;
        // A chain longer than any real tree can only be a loop already.
        if (++guard > 100000) return true;
    }
    return false;
}

void LinkStepCurves(AnimationStep& step, const std::vector<ShifterDataPtr>& curveData) {
    const ShifterPtr curves[] = {step.redShift,    step.greenShift,     step.blueShift,
                                 step.alphaShift,  step.xPositionShift, step.yPositionShift,
                                 step.xScaleShift, step.yScaleShift,    step.rotationShift};
    for (const ShifterPtr& curve : curves) {
        if (curve) curve->SelectShifterDataFromName(curveData);
    }
}

}  // namespace

int Sprite::LoadFromXML(const std::string& xml) {
    return Guarded("sprites:Sprite.LoadFromXML() ", 0, [&] {
        std::string skip = GetDataFromXML(xml, g_isFastComputer == 0 ? "ignoreOnSlowSystems" : "ignoreOnFastSystems");
        if (!skip.empty()) return 0;

        SetStringFromXML(name, xml, "spriteName");
        ThrowError(1, "Loading sprite data from XML: " + name);
        LoadXmlFields(*this, xml, kSpriteFields);

        int count = CountTagsInXML(xml, "animation");
        animationArray.clear();
        const std::vector<std::string> animations = ExtractListFromXML(xml, "animation");
        for (int i = 0; i < count; ++i) {
            animationArray.push_back(std::make_shared<Animation>());
            Deref(At(animationArray, i)).LoadFromXML(ListEntry(animations, i));
        }
        return 0;
    });
}

int Sprite::Clone(const SpritePtr& source, const SpritePtr& parent, bool shareFixedSteps) {
    return Guarded("sprites:Sprite.Clone() ", 0, [&] {
        // Hold the template and the parent first: they may be this sprite's own children,
        // which unlinking releases.
        SpritePtr tmpl = source;
        SpritePtr newParent = parent;
        // The animations are kept out of Unlink's reach, to be made again in place below.
        std::vector<AnimationPtr> kept;
        kept.swap(animationArray);
        Unlink();
        for (const AnimationPtr& animation : kept) {
            if (animation) animation->Unlink();
        }
        if (!tmpl) RuntimeError("Sprite to clone is null!");
        if (tmpl->name.empty()) RuntimeError("Sprite to clone name is null!");
        name = tmpl->name;
        CopyXmlFields(*this, *tmpl, kSpriteFields);
        currentAnimation = tmpl->currentAnimation;
        ddrot = tmpl->ddrot;
        xScale = tmpl->xScale;
        yScale = tmpl->yScale;
        xRebound = tmpl->xRebound;
        yRebound = tmpl->yRebound;
        parentSprite = newParent;

        // An old animation that nothing else holds is cloned over, as a new one would be: a
        // particle made again in its slot (ParticleSprites) allocates nothing. A template slot
        // with no animation gets a new one, which the failed clone leaves as it was made.
        const size_t animations = tmpl->animationArray.size();
        animationArray.swap(kept);
        animationArray.resize(animations);
        for (size_t i = 0; i < animations; ++i) {
            AnimationPtr& animation = animationArray[i];
            if (!animation || animation.use_count() != 1 || !tmpl->animationArray[i]) {
                animation = std::make_shared<Animation>();
            }
            animation->Clone(tmpl->animationArray[i], shareFixedSteps);
        }
        const size_t children = tmpl->childSprites.size();
        SpritePtr self = children > 0 ? weak_from_this().lock() : nullptr;
        for (size_t i = 0; i < children && i < tmpl->childSprites.size(); ++i) {
            childSprites.push_back(std::make_shared<Sprite>());
            Deref(childSprites.back()).Clone(tmpl->childSprites[i], self, shareFixedSteps);
        }
        return 0;
    });
}

SpritePtr GetSpriteByName(const std::string& spriteName, const std::vector<SpritePtr>& sprites) {
    return GetByName("sprites:GetSpriteByName() ", sprites, &Sprite::name, spriteName, "sprite");
}

std::vector<SpritePtr> AppendNewSprite(const std::vector<SpritePtr>& sprites) {
    return AppendNew("sprites:AppendNewSprite() ", sprites);
}

int LinkSprites(const std::vector<SpritePtr>& sprites, const std::vector<ImagePtr>& images,
                const std::vector<ShifterDataPtr>& curveData, const std::vector<ParticleSourcePtr>& particleSources,
                const std::vector<SoundPtr>& sounds) {
    return Guarded("sprites:LinkSprites() ", 0, [&] {
        const size_t count = sprites.size();
        for (size_t i = 0; i < count && i < sprites.size(); ++i) {
            SpritePtr sprite = sprites[i];
            Sprite& s = Deref(sprite);

            if (!s.parentSpriteName.empty()) {
                // A missing parent is reported by the lookup; that one link is skipped and
                // the rest of the pack still links.
                SpritePtr parent = GetSpriteByName(s.parentSpriteName, sprites);
                if (parent && WouldBeOwnAncestor(sprite, parent)) {
                    AddLineToDebugLog("sprites:LinkSprites() Sprite \"" + s.name + "\" cannot hang under \"" +
                                      s.parentSpriteName + "\": it would be its own ancestor.");
                } else if (parent) {
                    s.parentSprite = parent;
                    parent->childSprites.push_back(sprite);
                }
            }

            if (!s.targetSpriteName.empty()) s.targetSprite = GetSpriteByName(s.targetSpriteName, sprites);

            for (const AnimationPtr& animationPtr : s.animationArray) {
                Animation& animation = Deref(animationPtr);
                for (const AnimationStepPtr& stepPtr : animation.StepsArray) {
                    AnimationStep& step = Deref(stepPtr);
                    ThrowError(1, step.imageName);
                    step.LinkImage(images);
                    step.LinkSound(sounds);
                    if (!step.particleSourceName.empty()) {
                        step.particleSourceLink = GetParticleSourceByName(step.particleSourceName, particleSources);
                    }
                    LinkStepCurves(step, curveData);
                }
            }
        }

        // The particle sources copied their sprites before the templates were linked.
        for (const ParticleSourcePtr& source : particleSources) {
            if (!source || source->spriteName.empty()) continue;
            SpritePtr particle = std::make_shared<Sprite>();
            particle->Clone(GetSpriteByName(source->spriteName, sprites), nullptr);
            if (source->particleSprite) source->particleSprite->Unlink();
            source->particleSprite = particle;
        }
        return 0;
    });
}
