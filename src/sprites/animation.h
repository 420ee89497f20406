// A sprite's named animations and their steps: which picture shows, for how long, what it
// sounds like when it starts, what it feeds to particles and how its curves vary the drawing.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "media/images.h"
#include "media/sounds.h"
#include "sprites/fwd.h"

// One step of an animation. It keeps no timing of its own: the animation counts the ticks
// and passes and hands the step its progress (0 at the start of a pass, towards 1 at its end).
class AnimationStep {
public:
    // First and together: what its sprite's every update reads of the current step.
    ParticleSourcePtr particleSourceLink;  // the pack's source on a template, an own copy on a clone
    std::string onStart;                   // "kill", "release", "end" while current
    std::string targetSpriteName;
    std::string onFinish;  // "kill", "release", "end" when the last pass ends
    std::string name;      // tag "stepName"
    std::string imageName;
    ImagePtr frozenImage;  // "_frozen_" + imageName, when the pack has one
    ImagePtr sourceImage;
    int minSteps = 0;  // pass length bounds, in update ticks, either order
    int maxSteps = 0;
    int minIterations = 0;  // pass count bounds, either order
    int maxIterations = 0;
    std::string particleSourceName;
    RandomPtr soundToPlay;              // actions are sound names
    std::vector<SoundPtr> soundsArray;  // one slot per action of soundToPlay; null when unlinked
    RandomPtr nextFrame;                // actions are step names of the same animation
    ShifterPtr redShift;
    ShifterPtr greenShift;
    ShifterPtr blueShift;
    ShifterPtr alphaShift;
    ShifterPtr xPositionShift;
    ShifterPtr xScaleShift;
    ShifterPtr yPositionShift;
    ShifterPtr yScaleShift;
    ShifterPtr rotationShift;
    int crop = 0;  // 1: the sprite clips its drawing while this step is current
    int topCropOffset = 0;
    int bottomCropOffset = 0;
    int rightCropOffset = 0;
    int leftCropOffset = 0;

    int Unlink();
    std::string GetNextFrame();
    SoundPtr GetNextSound();
    int Clone(const AnimationStepPtr& source);
    int LinkImage(const std::vector<ImagePtr>& images);
    int LinkSound(const std::vector<SoundPtr>& sounds);
    int GetAnimationStepHandle(float& x, float& y);
    int SetAnimationOffsets(float& x, float& y, float& rot, float& xScale, float& yScale, float progress);
    // width, height, extra1 and extra2 are handed down by the sprite but change nothing.
    int Draw(float x, float y, float rot, float xScale, float yScale, float progress, float frozen, float alpha,
             int width, int height, float extra1, float extra2, float& outX, float& outY, float& outRot,
             float& outXScale, float& outYScale);
    int LoadFromXML(const std::string& xml);
};

std::vector<AnimationStepPtr> AppendNewAnimationStep(const std::vector<AnimationStepPtr>& steps);

// How an animation runs: its "mode" text, read once when the animation is loaded or copied.
enum class AnimationMode : unsigned char { Normal, Static, Parent, NoFreeze };

// "static", "parent", "noFreeze" (exact case); anything else is normal.
AnimationMode AnimationModeFromText(const std::string& text);

// A named run of steps with the running state of its current step.
class Animation {
public:
    // First and together: what every update of its sprite reads of the animation, with the
    // step it keeps at hand (CurrentStepOrNull).
    std::vector<AnimationStepPtr> StepsArray;
    int currentFrame = 0;  // index of the current step

private:
    int frameAtHand_ = -1;
    const AnimationStepPtr* stepsAtHand_ = nullptr;
    uint32_t countAtHand_ = 0;

public:
    float currentStep = 0.0f;                        // ticks elapsed in the current pass
    int terminatingStep = 0;                         // rolled pass length
    AnimationMode modeKind = AnimationMode::Normal;  // `mode` as loaded or copied

private:
    AnimationStepPtr stepAtHand_;

public:
    int currentIteration = 0;      // passes done
    int terminatingIteration = 0;  // rolled pass count
    std::string name;              // tag "aniName"
    RandomPtr nextAnimation;
    RandomPtr inRangeAnimation;   // read and copied, never consulted
    RandomPtr outRangeAnimation;  // read and copied, never consulted
    std::string mode;             // "static", "parent", "noFreeze"; anything else is normal

    std::string GetNextAnimation();
    int Unlink();
    int GetAnimationHandle(float& x, float& y);
    int GetCrop(int& top, int& bottom, int& left, int& right);
    int StartNewFrame(const std::string& frameName, const SpritePtr& sprite);
    int GenerateParticles(float x, float y, int width, int height, float xScale, float yScale);
    std::string CheckTargetSprite();
    // -1 kill, -2 release the children, 0 finished, 1 go on.
    int Update(float frozen, const SpritePtr& sprite);
    // The same for a sprite its caller holds: the sprite is taken as a sound's source only
    // when a new step starts, so a step that runs on costs no reference to it.
    int Update(float frozen, Sprite& sprite);
    // shareFixedSteps: a step that holds nothing a live sprite changes (no emitter, no sounds,
    // no curve with a clock of its own) is shared with the source rather than copied. Only
    // for copies that no one changes afterwards: the particle pool's particles.
    int Clone(const AnimationPtr& source, bool shareFixedSteps = false);
    int SetAnimationOffsets(float& x, float& y, float& rot, float& xScale, float& yScale);
    // -1 when the current step's onStart is "kill", else 1.
    int Draw(float x, float y, float rot, float xScale, float yScale, float frozen, float alpha, int width, int height,
             float extra1, float extra2, float& outX, float& outY, float& outRot, float& outXScale, float& outYScale);
    int LoadFromXML(const std::string& xml);
    int Initialize(int n);

    // The current step, or null when currentFrame names none. Kept at hand from one call to
    // the next, so that a tick does not look it up through the list again.
    AnimationStep* CurrentStepOrNull() {
        if (currentFrame == frameAtHand_ && StepsArray.data() == stepsAtHand_ && StepsArray.size() == countAtHand_) {
            return stepAtHand_.get();
        }
        return LookUpCurrentStep();
    }

    // The step last looked up, to fetch ahead (only a hint: it may no longer be the current one).
    const AnimationStep* StepAtHandOrNull() const { return stepAtHand_.get(); }

private:
    AnimationStep* LookUpCurrentStep();
    // The list is replaced only here (load, copy, Initialize), and each of those forgets the
    // step at hand: a new list may sit where the old one was. The step is held, not borrowed,
    // so that one let go of elsewhere is never read freed.
    void ForgetStepAtHand();
};

std::vector<AnimationPtr> AppendNewAnimation(const std::vector<AnimationPtr>& animations);
