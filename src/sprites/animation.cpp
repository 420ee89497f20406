// A sprite's named animations and their steps: timing by game ticks, next-step and
// next-animation picks, step sounds through the master mixer, curve-driven drawing.
#include "sprites/animation.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <string_view>

#include "core/arrays.h"
#include "core/globals.h"
#include "media/mixer.h"
#include "platform/runtime.h"
#include "sprites/particle.h"
#include "sprites/random.h"
#include "sprites/shifter.h"
#include "sprites/sprites.h"
#include "text/parser.h"

namespace {

// A colour channel from its curve: truncated toward zero and held to 0..255. The clamp is
// done on the float so that huge or broken curve values cannot overflow the conversion.
int ColourFromCurve(const ShifterPtr& curve, float progress) {
    if (!curve) return 255;
    float value = curve->GetShiftByProgress(progress, 1);
    if (value >= 255.0f) return 255;
    if (value > 0.0f) return static_cast<int>(value);
    return 0;  // negative, or not a number at all
}

// A curve of the step element, made only when its element holds something.
void LoadCurve(ShifterPtr& field, const std::string& xml, const std::string& tag) {
    std::string element = ExtractTagFromXML(xml, tag, 0);
    if (element.empty() || GetDataFromXML(element, tag).empty()) return;
    field = std::make_shared<Shifter>();
    field->LoadFromXML(element, "");
}

ShifterPtr CloneCurve(const ShifterPtr& source, const ShifterPtr& current) {
    if (!source) return current;
    auto copy = std::make_shared<Shifter>();
    copy->Clone(source);
    return copy;
}

RandomPtr LoadTable(const std::string& xml, const std::string& tag) {
    auto table = std::make_shared<Random>();
    table->LoadFromXML(ExtractTagFromXML(xml, tag, 0));
    return table;
}

void AddCurve(const ShifterPtr& curve, float& value, float progress) {
    if (curve) value += curve->GetShiftByProgress(progress, 1);
}

void DrawImageIfAny(const ImagePtr& image, float x, float y, float rot, float xScale, float yScale, int red, int green,
                    int blue, float alpha) {
    if (image) image->Draw(x, y, rot, xScale, yScale, red, green, blue, alpha, 0, 0.0f, 0.0f);
}

}  // namespace

// ---------------------------------------------------------------------------
// AnimationStep

int AnimationStep::Unlink() {
    return Guarded("sprites:AnimationStep.Unlink() ", 0, [&] { return 0; });
}

std::string AnimationStep::GetNextFrame() {
    return Guarded("sprites:AnimationStep.GetNextFrame() ", std::string(), [&]() -> std::string {
        // A step that was never loaded has no table: it simply names no next step.
        if (!nextFrame) return "";
        return nextFrame->Pick();
    });
}

SoundPtr AnimationStep::GetNextSound() {
    return Guarded("sprites:AnimationStep.GetNextSound() ", SoundPtr(), [&]() -> SoundPtr {
        if (!soundToPlay) return nullptr;
        std::string soundName = soundToPlay->Pick();
        for (const SoundPtr& sound : soundsArray) {
            if (sound && sound->name == soundName) return sound;
        }
        return nullptr;
    });
}

int AnimationStep::Clone(const AnimationStepPtr& source) {
    return Guarded("sprites:AnimationStep.Clone() ", 0, [&] {
        const AnimationStep& src = Deref(source);
        name = src.name;
        imageName = src.imageName;
        sourceImage = src.sourceImage;
        frozenImage = src.frozenImage;
        minSteps = src.minSteps;
        maxSteps = src.maxSteps;
        minIterations = src.minIterations;
        maxIterations = src.maxIterations;
        nextFrame = src.nextFrame;
        soundToPlay = src.soundToPlay;
        onStart = src.onStart;
        onFinish = src.onFinish;
        particleSourceName = src.particleSourceName;
        crop = src.crop;
        topCropOffset = src.topCropOffset;
        bottomCropOffset = src.bottomCropOffset;
        rightCropOffset = src.rightCropOffset;
        leftCropOffset = src.leftCropOffset;
        targetSpriteName = src.targetSpriteName;

        // Live steps own their sounds so that each can be set up on its own.
        std::vector<SoundPtr> sourceSounds = src.soundsArray;
        soundsArray.clear();
        soundsArray.resize(sourceSounds.size());
        for (size_t i = 0; i < sourceSounds.size(); ++i) {
            if (!sourceSounds[i]) continue;
            auto sound = std::make_shared<Sound>();
            sound->Clone(sourceSounds[i]);
            soundsArray[i] = sound;
        }

        if (src.particleSourceLink) {
            auto particles = std::make_shared<ParticleSource>();
            particles->Clone(src.particleSourceLink);
            particleSourceLink = particles;
        }

        // Every live step runs its own curve clocks.
        redShift = CloneCurve(src.redShift, redShift);
        greenShift = CloneCurve(src.greenShift, greenShift);
        blueShift = CloneCurve(src.blueShift, blueShift);
        alphaShift = CloneCurve(src.alphaShift, alphaShift);
        xPositionShift = CloneCurve(src.xPositionShift, xPositionShift);
        yPositionShift = CloneCurve(src.yPositionShift, yPositionShift);
        xScaleShift = CloneCurve(src.xScaleShift, xScaleShift);
        yScaleShift = CloneCurve(src.yScaleShift, yScaleShift);
        rotationShift = CloneCurve(src.rotationShift, rotationShift);
        return 0;
    });
}

int AnimationStep::LinkImage(const std::vector<ImagePtr>& images) {
    return Guarded("sprites:AnimationStep.LinkImage() ", 0, [&] {
        if (imageName.empty()) return 0;
        sourceImage = GetImageByName(imageName, images);
        frozenImage = GetImageByName("_frozen_" + imageName, images);
        return 0;
    });
}

int AnimationStep::LinkSound(const std::vector<SoundPtr>& sounds) {
    return Guarded("sprites:AnimationStep.LinkSound() ", 0, [&] {
        soundsArray.clear();
        // A step that was never loaded has no sound table and so no sounds.
        if (!soundToPlay) return 0;
        soundsArray.resize(soundToPlay->action.size());
        for (size_t i = 0; i < soundsArray.size(); ++i) {
            soundsArray[i] = GetSoundByName(soundToPlay->action[i], sounds);
        }
        return 0;
    });
}

int AnimationStep::GetAnimationStepHandle(float& x, float& y) {
    return Guarded("sprites:AnimationStep.GetAnimationStepHandle() ", 0, [&] {
        if (sourceImage) {
            x = sourceImage->handleX * sourceImage->xScale;
            y = sourceImage->handleY * sourceImage->yScale;
        }
        return 0;
    });
}

int AnimationStep::SetAnimationOffsets(float& x, float& y, float& rot, float& xScale, float& yScale, float progress) {
    return Guarded("sprites:AnimationStep.SetAnimationOffsets() ", 0, [&] {
        AddCurve(xPositionShift, x, progress);
        AddCurve(yPositionShift, y, progress);
        AddCurve(rotationShift, rot, progress);
        AddCurve(xScaleShift, xScale, progress);
        AddCurve(yScaleShift, yScale, progress);
        return 0;
    });
}

int AnimationStep::Draw(float x, float y, float rot, float xScale, float yScale, float progress, float frozen,
                        float alpha, int /*width*/, int /*height*/, float /*extra1*/, float /*extra2*/, float& outX,
                        float& outY, float& outRot, float& outXScale, float& outYScale) {
    int red = ColourFromCurve(redShift, progress);
    int green = ColourFromCurve(greenShift, progress);
    int blue = ColourFromCurve(blueShift, progress);

    outX = x;
    outY = y;
    outRot = rot;
    outXScale = xScale;
    outYScale = yScale;

    // Not clamped here: the image clamps its own alpha times this.
    float a = (alphaShift ? alphaShift->GetShiftByProgress(progress, 1) : 1.0f) * alpha;

    if (frozen == 0.0f) {
        DrawImageIfAny(sourceImage, x, y, rot, xScale, yScale, red, green, blue, a);
    } else if (!frozenImage) {
        // Without a frozen picture the ice look is a blue tint.
        DrawImageIfAny(sourceImage, x, y, rot, xScale, yScale, 150, 150, 255, a);
    } else if (frozen == 1.0f) {
        DrawImageIfAny(frozenImage, x, y, rot, xScale, yScale, red, green, blue, a);
    } else {
        // Freezing in progress: the ice fades in over the normal picture.
        DrawImageIfAny(sourceImage, x, y, rot, xScale, yScale, red, green, blue, a);
        DrawImageIfAny(frozenImage, x, y, rot, xScale, yScale, red, green, blue, frozen);
    }
    return 0;
}

int AnimationStep::LoadFromXML(const std::string& xml) {
    return Guarded("sprites:AnimationStep.LoadFromXML() ", 0, [&] {
        name = GetDataFromXML(xml, "stepName");
        imageName = GetDataFromXML(xml, "imageName");
        minSteps = TextToInt(GetDataFromXML(xml, "minSteps"));
        maxSteps = TextToInt(GetDataFromXML(xml, "maxSteps"));
        minIterations = TextToInt(GetDataFromXML(xml, "minIterations"));
        maxIterations = TextToInt(GetDataFromXML(xml, "maxIterations"));
        SetStringFromXML(onStart, xml, "onStart");
        SetStringFromXML(onFinish, xml, "onFinish");
        SetIntFromXML(crop, xml, "crop");
        SetIntFromXML(topCropOffset, xml, "topCropOffset");
        SetIntFromXML(bottomCropOffset, xml, "bottomCropOffset");
        SetIntFromXML(rightCropOffset, xml, "rightCropOffset");
        SetIntFromXML(leftCropOffset, xml, "leftCropOffset");
        SetStringFromXML(targetSpriteName, xml, "targetSpriteName");
        nextFrame = LoadTable(xml, "nextFrame");
        soundToPlay = LoadTable(xml, "soundToPlay");
        SetStringFromXML(particleSourceName, xml, "particleSourceName");
        LoadCurve(redShift, xml, "redShift");
        LoadCurve(greenShift, xml, "greenShift");
        LoadCurve(blueShift, xml, "blueShift");
        LoadCurve(alphaShift, xml, "alphaShift");
        LoadCurve(xPositionShift, xml, "xPositionShift");
        LoadCurve(yPositionShift, xml, "yPositionShift");
        LoadCurve(xScaleShift, xml, "xScaleShift");
        LoadCurve(yScaleShift, xml, "yScaleShift");
        LoadCurve(rotationShift, xml, "rotationShift");
        return 0;
    });
}

std::vector<AnimationStepPtr> AppendNewAnimationStep(const std::vector<AnimationStepPtr>& steps) {
    return AppendNew("sprites:AppendNewAnimationStep() ", steps);
}

// ---------------------------------------------------------------------------
// Animation
//
// An animation without steps has nothing to show, time or sound: every operation on the
// current step leaves things as they are, and Update reports it finished without a log
// line, so the sprite moves on to its next animation if it has one.

namespace {

// How far the current pass has run, 0 up to (not reaching) 1.
float Progress(const Animation& animation) {
    if (animation.terminatingStep == 0) return 0.0f;
    return animation.currentStep / static_cast<float>(animation.terminatingStep);
}

AnimationStep& CurrentStep(Animation& animation) {
    if (AnimationStep* step = animation.CurrentStepOrNull()) return *step;
    // Raises the bad index or the missing step, as a lookup through the list would.
    return Deref(At(animation.StepsArray, animation.currentFrame));
}

}  // namespace

AnimationMode AnimationModeFromText(const std::string& text) {
    if (text == "static") return AnimationMode::Static;
    if (text == "parent") return AnimationMode::Parent;
    if (text == "noFreeze") return AnimationMode::NoFreeze;
    return AnimationMode::Normal;
}

AnimationStep* Animation::LookUpCurrentStep() {
    frameAtHand_ = currentFrame;
    stepsAtHand_ = StepsArray.data();
    // A list too long to count here is looked up every time.
    countAtHand_ = static_cast<uint32_t>(std::min<size_t>(StepsArray.size(), UINT32_MAX));
    if (currentFrame >= 0 && static_cast<size_t>(currentFrame) < StepsArray.size()) {
        stepAtHand_ = StepsArray[static_cast<size_t>(currentFrame)];
    } else {
        stepAtHand_ = nullptr;
    }
    return stepAtHand_.get();
}

void Animation::ForgetStepAtHand() {
    frameAtHand_ = -1;
    stepsAtHand_ = nullptr;
    countAtHand_ = 0;
    stepAtHand_ = nullptr;
}

std::string Animation::GetNextAnimation() {
    return Guarded("sprites:Animation.GetNextAnimation() ", std::string(), [&]() -> std::string {
        // An animation that was never loaded has no table: it names no next animation.
        if (!nextAnimation) return "";
        return nextAnimation->Pick();
    });
}

int Animation::Unlink() {
    return Guarded("sprites:Animation.Unlink() ", 0, [&] { return 0; });
}

int Animation::GetAnimationHandle(float& x, float& y) {
    return Guarded("sprites:Animation.GetAnimationHandle() ", 0, [&] {
        if (StepsArray.empty()) return 0;
        return CurrentStep(*this).GetAnimationStepHandle(x, y);
    });
}

int Animation::GetCrop(int& top, int& bottom, int& left, int& right) {
    return Guarded("sprites:Animation.GetCrop() ", 0, [&] {
        if (StepsArray.empty()) return 0;
        AnimationStep& step = CurrentStep(*this);
        top = step.topCropOffset;
        bottom = step.bottomCropOffset;
        left = step.leftCropOffset;
        right = step.rightCropOffset;
        return step.crop;
    });
}

int Animation::StartNewFrame(const std::string& frameName, const SpritePtr& sprite) {
    return Guarded("sprites:Animation.StartNewFrame() ", 0, [&] {
        if (StepsArray.empty()) return 0;
        if (!frameName.empty()) {
            for (size_t i = 0; i < StepsArray.size(); ++i) {
                if (StepsArray[i] && StepsArray[i]->name == frameName) {
                    currentFrame = static_cast<int>(i);
                    break;
                }
            }
        }
        currentStep = 0.0f;
        currentIteration = 0;
        AnimationStep& step = CurrentStep(*this);
        terminatingStep = Rand(step.minSteps, step.maxSteps);
        terminatingIteration = Rand(step.minIterations, step.maxIterations);

        // The sprite is the sound's source, so one sprite never plays two sounds at once.
        SoundPtr sound = step.GetNextSound();
        if (sound) Deref(g_MasterMixer).AddSound(sound, 0, sprite);
        return 0;
    });
}

int Animation::GenerateParticles(float x, float y, int width, int height, float xScale, float yScale) {
    return Guarded("sprites:Animation.GenerateParticles() ", 0, [&] {
        if (StepsArray.empty()) return 0;
        const ParticleSourcePtr& source = CurrentStep(*this).particleSourceLink;
        if (!source) return 0;
        source->SetPosition(x, y, static_cast<float>(width) * xScale, static_cast<float>(height) * yScale);
        source->Update();
        source->GenerateParticle();
        return 0;
    });
}

std::string Animation::CheckTargetSprite() {
    return Guarded("sprites:Animation.CheckTargetSprite() ", std::string(), [&]() -> std::string {
        if (StepsArray.empty()) return "";
        return CurrentStep(*this).targetSpriteName;
    });
}

namespace {

// Finishing names are compared by length first: most steps have none.
bool Is(const std::string& text, std::string_view name) { return std::string_view(text) == name; }

// Animation::Update for either kind of caller; source() gives the sprite a new step's sound
// plays from.
template <class Source>
int Advance(Animation& animation, float frozen, const Source& source) {
    if (animation.StepsArray.empty()) return 0;
    const AnimationMode mode = animation.modeKind;
    if (mode == AnimationMode::NoFreeze) frozen = 0.0f;

    if (mode != AnimationMode::Static && mode != AnimationMode::Parent && frozen == 0.0f) {
        animation.currentStep += g_gameSpeedFactor;
        if (!(animation.currentStep < static_cast<float>(animation.terminatingStep))) {
            animation.currentStep = 0.0f;
            // A finished step that reports "end" keeps counting passes; never past the top.
            if (animation.currentIteration < INT_MAX) animation.currentIteration += 1;
            if (!(animation.currentIteration < animation.terminatingIteration)) {
                AnimationStep& finished = CurrentStep(animation);
                if (Is(finished.onFinish, "kill")) return -1;
                if (Is(finished.onFinish, "release")) return -2;
                if (Is(finished.onFinish, "end")) return 0;
                animation.currentIteration = 0;
                std::string next = finished.GetNextFrame();
                if (next == "_end") return 0;
                animation.StartNewFrame(next, source());
            }
        }
    }

    const AnimationStep& current = CurrentStep(animation);
    if (Is(current.onStart, "kill")) return -1;
    if (Is(current.onStart, "release")) return -2;
    if (Is(current.onStart, "end")) return 0;
    return 1;
}

}  // namespace

int Animation::Update(float frozen, const SpritePtr& sprite) {
    return Guarded("sprites:Animation.Update() ", 0,
                   [&] { return Advance(*this, frozen, [&]() -> const SpritePtr& { return sprite; }); });
}

int Animation::Update(float frozen, Sprite& sprite) {
    return Guarded("sprites:Animation.Update() ", 0,
                   [&] { return Advance(*this, frozen, [&] { return sprite.weak_from_this().lock(); }); });
}

namespace {

bool HasOwnClock(const ShifterPtr& curve) { return curve && curve->stepDuration > 0; }

// Whether a live copy of the step would only ever read it: playing a sound sets the sound up,
// an emitter moves and counts down, and a curve with a clock of its own advances it.
bool FixedInPlay(const AnimationStep& step) {
    if (step.particleSourceLink) return false;
    for (const SoundPtr& sound : step.soundsArray) {
        if (sound) return false;
    }
    const ShifterPtr* curves[] = {&step.redShift,    &step.greenShift,     &step.blueShift,
                                  &step.alphaShift,  &step.xPositionShift, &step.yPositionShift,
                                  &step.xScaleShift, &step.yScaleShift,    &step.rotationShift};
    for (const ShifterPtr* curve : curves) {
        if (HasOwnClock(*curve)) return false;
    }
    return true;
}

}  // namespace

int Animation::Clone(const AnimationPtr& source, bool shareFixedSteps) {
    return Guarded("sprites:Animation.Clone() ", 0, [&] {
        const Animation& src = Deref(source);
        name = src.name;
        currentFrame = src.currentFrame;
        currentStep = src.currentStep;
        terminatingStep = src.terminatingStep;
        currentIteration = src.currentIteration;
        terminatingIteration = src.terminatingIteration;
        mode = src.mode;
        modeKind = AnimationModeFromText(mode);
        nextAnimation = src.nextAnimation;
        inRangeAnimation = src.inRangeAnimation;
        outRangeAnimation = src.outRangeAnimation;

        // Taken first when cloning an animation onto itself, so that it keeps its steps; any
        // other source is read in place (each particle made is a clone).
        std::vector<AnimationStepPtr> ownSteps;
        if (&src == this) ownSteps = src.StepsArray;
        const std::vector<AnimationStepPtr>& sourceSteps = &src == this ? ownSteps : src.StepsArray;
        ForgetStepAtHand();
        StepsArray.clear();
        StepsArray.reserve(sourceSteps.size());
        // By place and held: a step's copy makes copies of other sprites, and this list must
        // stay readable whatever they do.
        for (size_t i = 0; i < sourceSteps.size(); ++i) {
            const AnimationStepPtr step = sourceSteps[i];
            if (shareFixedSteps && step && FixedInPlay(*step)) {
                StepsArray.push_back(step);
                continue;
            }
            StepsArray.push_back(std::make_shared<AnimationStep>());
            StepsArray.back()->Clone(step);
        }
        return 0;
    });
}

int Animation::SetAnimationOffsets(float& x, float& y, float& rot, float& xScale, float& yScale) {
    return Guarded("sprites:Animation.SetAnimationOffsets() ", 0, [&] {
        if (StepsArray.empty()) return 0;
        return CurrentStep(*this).SetAnimationOffsets(x, y, rot, xScale, yScale, Progress(*this));
    });
}

int Animation::Draw(float x, float y, float rot, float xScale, float yScale, float frozen, float alpha, int width,
                    int height, float extra1, float extra2, float& outX, float& outY, float& outRot, float& outXScale,
                    float& outYScale) {
    if (StepsArray.empty()) return 1;
    AnimationStep& step = CurrentStep(*this);
    step.Draw(x, y, rot, xScale, yScale, Progress(*this), frozen, alpha, width, height, extra1, extra2, outX, outY,
              outRot, outXScale, outYScale);
    return step.onStart == "kill" ? -1 : 1;
}

int Animation::LoadFromXML(const std::string& xml) {
    return Guarded("sprites:Animation.LoadFromXML() ", 0, [&] {
        name = GetDataFromXML(xml, "aniName");
        int count = CountTagsInXML(xml, "animationStep");
        nextAnimation = LoadTable(xml, "nextAnimation");
        inRangeAnimation = LoadTable(xml, "inRangeAnimation");
        outRangeAnimation = LoadTable(xml, "outRangeAnimation");
        const std::vector<std::string> steps = ExtractListFromXML(xml, "animationStep");
        ForgetStepAtHand();
        for (int i = 0; i < count; ++i) {
            StepsArray.push_back(std::make_shared<AnimationStep>());
            StepsArray.back()->LoadFromXML(ListEntry(steps, i));
        }
        SetStringFromXML(mode, xml, "mode");
        modeKind = AnimationModeFromText(mode);
        // A template stands in its first step with rolled counts; its steps are not linked
        // yet, so no sound plays here.
        StartNewFrame("", nullptr);
        return 0;
    });
}

int Animation::Initialize(int n) {
    return Guarded("sprites:Animation.Initialize() ", 0, [&] {
        ForgetStepAtHand();
        StepsArray.assign(static_cast<size_t>(std::max(n, 0)), nullptr);
        for (AnimationStepPtr& step : StepsArray) step = std::make_shared<AnimationStep>();
        // The current step must stay one of the steps.
        if (currentFrame < 0 || currentFrame >= static_cast<int>(StepsArray.size())) currentFrame = 0;
        return 0;
    });
}

std::vector<AnimationPtr> AppendNewAnimation(const std::vector<AnimationPtr>& animations) {
    return AppendNew("sprites:AppendNewAnimation() ", animations);
}
