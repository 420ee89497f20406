// Animation steps: reading the element, linking pictures and sounds by name, the sound a
// step starts with, drawing with colour and alpha curves and the frozen look, and clones.
#include <cmath>
#include <limits>

#include "core/io.h"
#include "sprites/particle.h"
#include "test_animation_support.h"

using namespace animtest;

namespace {

std::string ReadFixture(const std::string& file) {
    std::string text = ReadFileToString(Fixture(file));
    EXPECT_FALSE(text.empty()) << file;
    return text;
}

// What one image draw looked like.
struct Drawn {
    TImagePtr image;
    int red, green, blue;
    float alpha;
};

std::vector<Drawn> DrawStep(AnimationStep& step, float progress, float frozen, float alpha) {
    float ox = 0, oy = 0, orot = 0, osx = 0, osy = 0;
    StartRecording();
    EXPECT_EQ(step.Draw(10, 20, 30, 2, 3, progress, frozen, alpha, 16, 16, 0, 0, ox, oy, orot, osx, osy), 0);
    std::vector<Drawn> drawn;
    for (const DrawCall& call : StopRecording()) {
        if (call.kind != DrawKind::Image) continue;
        drawn.push_back({call.image, call.state.red, call.state.green, call.state.blue, call.state.alpha});
    }
    EXPECT_EQ(ox, 10);
    EXPECT_EQ(oy, 20);
    EXPECT_EQ(orot, 30);
    EXPECT_EQ(osx, 2);
    EXPECT_EQ(osy, 3);
    return drawn;
}

std::vector<ShifterDataPtr> PackCurves() {
    auto ramp = std::make_shared<ShifterData>();
    ramp->LoadFromXML(
        "<shifterData><name>ramp</name><totalSteps>5</totalSteps><dat>0</dat><dat>0.25</dat><dat>0.5</dat>"
        "<dat>0.75</dat><dat>1</dat></shifterData>",
        "");
    auto wave = std::make_shared<ShifterData>();
    wave->LoadFromXML("<shifterData><name>wave</name><totalSteps>2</totalSteps><dat>0</dat><dat>1</dat></shifterData>",
                      "");
    return {ramp, wave};
}

void LinkCurves(AnimationStep& step, const std::vector<ShifterDataPtr>& curves) {
    for (ShifterPtr* curve : {&step.redShift, &step.greenShift, &step.blueShift, &step.alphaShift, &step.xPositionShift,
                              &step.yPositionShift, &step.xScaleShift, &step.yScaleShift, &step.rotationShift}) {
        if (*curve) (*curve)->SelectShifterDataFromName(curves);
    }
}

class AnimationStepTest : public AnimTest {};

TEST_F(AnimationStepTest, ReadsEveryTagOfTheElement) {
    AnimationStep step;
    EXPECT_EQ(step.LoadFromXML(ReadFixture("step.xml")), 0);

    EXPECT_EQ(step.name, "glow");
    EXPECT_EQ(step.imageName, "nain_walk");
    EXPECT_EQ(step.minSteps, 6);
    EXPECT_EQ(step.maxSteps, 2);
    EXPECT_EQ(step.minIterations, 1);
    EXPECT_EQ(step.maxIterations, 3);
    EXPECT_EQ(step.onStart, "none");
    EXPECT_EQ(step.onFinish, "end");
    EXPECT_EQ(step.crop, 1);
    EXPECT_EQ(step.topCropOffset, 3);
    EXPECT_EQ(step.bottomCropOffset, 4);
    EXPECT_EQ(step.rightCropOffset, 5);
    EXPECT_EQ(step.leftCropOffset, 6);
    EXPECT_EQ(step.targetSpriteName, "paddle");
    EXPECT_EQ(step.particleSourceName, "sparks");
    ASSERT_TRUE(step.nextFrame);
    EXPECT_EQ(step.nextFrame->action, (std::vector<std::string>{"walk", "_end"}));
    ASSERT_TRUE(step.soundToPlay);
    EXPECT_EQ(step.soundToPlay->action, (std::vector<std::string>{"squeak", "thud"}));

    ASSERT_TRUE(step.redShift);
    EXPECT_EQ(step.redShift->dataName, "ramp");
    EXPECT_EQ(step.redShift->endValue, 255.0f);
    ASSERT_TRUE(step.alphaShift);
    EXPECT_EQ(step.alphaShift->stepDuration, 3);
    ASSERT_TRUE(step.rotationShift);
    EXPECT_EQ(step.rotationShift->offset, 10.0f);
    EXPECT_FALSE(step.greenShift) << "an element with nothing in it makes no curve";
    for (const ShifterPtr& absent :
         {step.blueShift, step.xPositionShift, step.yPositionShift, step.xScaleShift, step.yScaleShift}) {
        EXPECT_FALSE(absent);
    }
    // Names are resolved later, by the linker.
    EXPECT_FALSE(step.sourceImage);
    EXPECT_FALSE(step.particleSourceLink);
    EXPECT_TRUE(step.soundsArray.empty());
    EXPECT_TRUE(g_DebugLog.empty()) << g_DebugLog;
}

TEST_F(AnimationStepTest, AbsentTagsClearPlainFieldsAndKeepTheOthers) {
    AnimationStep step;
    step.name = "old";
    step.imageName = "old.png";
    step.minSteps = 9;
    step.maxIterations = 9;
    step.onStart = "kill";
    step.onFinish = "release";
    step.crop = 1;
    step.leftCropOffset = 7;
    step.targetSpriteName = "ball";
    step.particleSourceName = "smoke";
    step.LoadFromXML("<animationStep><crop>0</crop></animationStep>");

    // Plain lookups replace whatever was there.
    EXPECT_EQ(step.name, "");
    EXPECT_EQ(step.imageName, "");
    EXPECT_EQ(step.minSteps, 0);
    EXPECT_EQ(step.maxIterations, 0);
    // The keep-default setters only take what is there ("0" is a value for an int).
    EXPECT_EQ(step.onStart, "kill");
    EXPECT_EQ(step.onFinish, "release");
    EXPECT_EQ(step.crop, 0);
    EXPECT_EQ(step.leftCropOffset, 7);
    EXPECT_EQ(step.targetSpriteName, "ball");
    EXPECT_EQ(step.particleSourceName, "smoke");
    // The tables always exist after loading, empty here.
    ASSERT_TRUE(step.nextFrame);
    ASSERT_TRUE(step.soundToPlay);
    EXPECT_EQ(step.GetNextFrame(), "");
    EXPECT_TRUE(g_DebugLog.empty()) << g_DebugLog;
}

TEST_F(AnimationStepTest, LinksPicturesByExactName) {
    ImagePtr pic = MakeImage("pic");
    ImagePtr frozenPic = MakeImage("_frozen_pic");
    ImagePtr upper = MakeImage("Ghost");
    struct Case {
        const char* imageName;
        std::vector<ImagePtr> images;
        ImagePtr source, frozen;
        bool reported;
    } cases[] = {
        {"", {pic, frozenPic}, nullptr, nullptr, false},
        {"pic", {pic}, pic, nullptr, false},
        {"pic", {frozenPic, pic}, pic, frozenPic, false},
        {"ghost", {pic, upper}, nullptr, nullptr, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.imageName);
        g_DebugLog.clear();
        AnimationStep step;
        step.imageName = c.imageName;
        EXPECT_EQ(step.LinkImage(c.images), 0);
        EXPECT_EQ(step.sourceImage, c.source);
        EXPECT_EQ(step.frozenImage, c.frozen);
        std::vector<std::string> lines = LogLines();
        if (c.reported) {
            // The missing picture once; its missing frozen look not at all.
            ASSERT_EQ(lines.size(), 1u);
            EXPECT_NE(lines[0].find("Could not find image named \"ghost\"."), std::string::npos) << lines[0];
        } else {
            EXPECT_TRUE(lines.empty()) << g_DebugLog;
        }
    }
}

TEST_F(AnimationStepTest, SoundSlotsFollowTheTableAndMissingSoundsPlayNothing) {
    SoundPtr thud = MakeSound("thud");
    SoundPtr other = MakeSound("squeakish");
    struct Case {
        int squeakWeight, thudWeight;
        SoundPtr expected;
    } cases[] = {
        {1, 0, nullptr},  // the pack has no "squeak"
        {0, 1, thud},
    };
    for (const Case& c : cases) {
        AnimationStep step;
        step.LoadFromXML("<animationStep>" +
                         Table("soundToPlay", {{"squeak", c.squeakWeight}, {"thud", c.thudWeight}}) +
                         "</animationStep>");
        EXPECT_EQ(step.GetNextSound(), nullptr) << "never linked";
        EXPECT_EQ(step.LinkSound({other, nullptr, thud}), 0);
        ASSERT_EQ(step.soundsArray.size(), 2u);
        EXPECT_EQ(step.soundsArray[0], nullptr);
        EXPECT_EQ(step.soundsArray[1], thud);
        for (int i = 0; i < 5; ++i) EXPECT_EQ(step.GetNextSound(), c.expected);
    }
    EXPECT_TRUE(g_DebugLog.empty()) << g_DebugLog;
}

TEST_F(AnimationStepTest, AStepThatWasNeverLoadedHasNoNextFrameAndNoSounds) {
    AnimationStep step;
    EXPECT_EQ(step.GetNextFrame(), "");
    EXPECT_EQ(step.LinkSound({MakeSound("thud")}), 0);
    EXPECT_TRUE(step.soundsArray.empty());
    EXPECT_EQ(step.GetNextSound(), nullptr);
    EXPECT_TRUE(g_DebugLog.empty()) << g_DebugLog;
}

TEST_F(AnimationStepTest, DrawsInWhiteAtTheCallersAlphaWithoutCurves) {
    AnimationStep step;
    step.sourceImage = MakeImage("pic");
    std::vector<Drawn> drawn = DrawStep(step, 0.5f, 0.0f, 0.6f);
    ASSERT_EQ(drawn.size(), 1u);
    EXPECT_EQ(drawn[0].image, step.sourceImage->imageData);
    EXPECT_EQ(drawn[0].red, 255);
    EXPECT_EQ(drawn[0].green, 255);
    EXPECT_EQ(drawn[0].blue, 255);
    EXPECT_FLOAT_EQ(drawn[0].alpha, 0.6f);

    step.sourceImage = nullptr;
    EXPECT_TRUE(DrawStep(step, 0.5f, 0.0f, 1.0f).empty()) << "no picture, nothing drawn";
}

TEST_F(AnimationStepTest, ColourCurvesAreTruncatedAndHeldToTheByteRange) {
    const float inf = std::numeric_limits<float>::infinity();
    struct Case {
        float value;
        int expected;
    } cases[] = {
        {300.0f, 255},
        {-5.0f, 0},
        {254.9f, 254},
        {-0.9f, 0},
        {128.0f, 128},
        // Beyond any int and not a number at all: held, not overflowed.
        {1e10f, 255},
        {-1e10f, 0},
        {inf, 255},
        {-inf, 0},
        {std::nanf(""), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        AnimationStep step;
        step.sourceImage = MakeImage("pic");
        step.redShift = MakeCurve({c.value});
        step.blueShift = MakeCurve({c.value});
        std::vector<Drawn> drawn = DrawStep(step, 0.0f, 0.0f, 1.0f);
        ASSERT_EQ(drawn.size(), 1u);
        EXPECT_EQ(drawn[0].red, c.expected);
        EXPECT_EQ(drawn[0].green, 255);
        EXPECT_EQ(drawn[0].blue, c.expected);
    }
}

TEST_F(AnimationStepTest, FrozenLookByFreezeLevel) {
    ImagePtr pic = MakeImage("pic");
    ImagePtr ice = MakeImage("_frozen_pic");
    struct Case {
        float frozen;
        bool withIce;
        std::vector<Drawn> expected;
    } cases[] = {
        {0.0f, false, {{pic->imageData, 200, 100, 50, 0.8f}}},
        {0.0f, true, {{pic->imageData, 200, 100, 50, 0.8f}}},
        // Freezing: the ice over the picture at the freeze level itself.
        {0.5f, true, {{pic->imageData, 200, 100, 50, 0.8f}, {ice->imageData, 200, 100, 50, 0.5f}}},
        // Without ice the tint stands in, whatever the level.
        {0.5f, false, {{pic->imageData, 150, 150, 255, 0.8f}}},
        {1.0f, false, {{pic->imageData, 150, 150, 255, 0.8f}}},
        {1.0f, true, {{ice->imageData, 200, 100, 50, 0.8f}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "frozen " << c.frozen << (c.withIce ? " with ice" : " without ice"));
        AnimationStep step;
        step.sourceImage = pic;
        if (c.withIce) step.frozenImage = ice;
        step.redShift = MakeCurve({200});
        step.greenShift = MakeCurve({100});
        step.blueShift = MakeCurve({50});
        step.alphaShift = MakeCurve({0.8f});
        std::vector<Drawn> drawn = DrawStep(step, 0.0f, c.frozen, 1.0f);
        ASSERT_EQ(drawn.size(), c.expected.size());
        for (size_t i = 0; i < drawn.size(); ++i) {
            EXPECT_EQ(drawn[i].image, c.expected[i].image) << i;
            EXPECT_EQ(drawn[i].red, c.expected[i].red) << i;
            EXPECT_EQ(drawn[i].green, c.expected[i].green) << i;
            EXPECT_EQ(drawn[i].blue, c.expected[i].blue) << i;
            EXPECT_FLOAT_EQ(drawn[i].alpha, c.expected[i].alpha) << i;
        }
    }
}

TEST_F(AnimationStepTest, LinkedCurvesFollowProgressOrTheirOwnClock) {
    AnimationStep step;
    step.LoadFromXML(ReadFixture("step.xml"));
    step.sourceImage = MakeImage("pic");
    LinkCurves(step, PackCurves());

    // Red runs 0..255 with the progress; alpha (1 down to 0) has a clock of its own that
    // advances one sample index per draw: counter 0, 1, 2, 3 reads samples 0, 1, 2, 4.
    const float progress[] = {0.0f, 0.25f, 0.5f, 0.75f, 1.0f};
    const int red[] = {0, 63, 127, 191, 255};
    const float alpha[] = {1.0f, 0.75f, 0.5f, 0.0f, 1.0f};
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        std::vector<Drawn> drawn = DrawStep(step, progress[i], 0.0f, 1.0f);
        ASSERT_EQ(drawn.size(), 1u);
        EXPECT_EQ(drawn[0].red, red[i]);
        EXPECT_EQ(drawn[0].green, 255);
        EXPECT_FLOAT_EQ(drawn[0].alpha, alpha[i]);
    }
    EXPECT_TRUE(g_DebugLog.empty()) << g_DebugLog;
}

TEST_F(AnimationStepTest, OffsetCurvesAddToTheCallersValues) {
    AnimationStep step;
    float x = 100, y = 50, rot = 10, sx = 1, sy = 1;
    step.SetAnimationOffsets(x, y, rot, sx, sy, 0.5f);
    EXPECT_EQ(x, 100);
    EXPECT_EQ(y, 50);
    EXPECT_EQ(rot, 10);
    EXPECT_EQ(sx, 1);
    EXPECT_EQ(sy, 1);

    step.xPositionShift = MakeCurve({0, 4});
    step.yPositionShift = MakeCurve({-2});
    step.rotationShift = MakeCurve({30});
    step.xScaleShift = MakeCurve({0.5f});
    step.yScaleShift = MakeCurve({0.25f});
    step.SetAnimationOffsets(x, y, rot, sx, sy, 1.0f);
    EXPECT_EQ(x, 104);
    EXPECT_EQ(y, 48);
    EXPECT_EQ(rot, 40);
    EXPECT_EQ(sx, 1.5f);
    EXPECT_EQ(sy, 1.25f);
}

TEST_F(AnimationStepTest, HandleIsThePicturesHandleTimesItsScale) {
    AnimationStep step;
    float hx = -1, hy = -2;
    step.GetAnimationStepHandle(hx, hy);
    EXPECT_EQ(hx, -1) << "no picture leaves the values alone";
    EXPECT_EQ(hy, -2);
    step.sourceImage = MakeImage("pic", 4, 6, 2, 0.5f);
    step.GetAnimationStepHandle(hx, hy);
    EXPECT_EQ(hx, 8);
    EXPECT_EQ(hy, 3);
}

TEST_F(AnimationStepTest, ClonesOwnTheirCurvesSoundsAndParticlesAndShareTheRest) {
    auto source = std::make_shared<ParticleSource>();
    source->name = "sparks";
    auto templ = std::make_shared<AnimationStep>();
    templ->LoadFromXML(ReadFixture("step.xml"));
    templ->LinkImage({MakeImage("nain_walk"), MakeImage("_frozen_nain_walk")});
    SoundPtr thud = MakeSound("thud");
    templ->LinkSound({thud});
    templ->particleSourceLink = source;
    LinkCurves(*templ, PackCurves());

    auto first = std::make_shared<AnimationStep>();
    auto second = std::make_shared<AnimationStep>();
    ASSERT_EQ(first->Clone(templ), 0);
    ASSERT_EQ(second->Clone(templ), 0);
    for (const AnimationStepPtr& copy : {first, second}) {
        EXPECT_EQ(copy->name, "glow");
        EXPECT_EQ(copy->minSteps, 6);
        EXPECT_EQ(copy->maxIterations, 3);
        EXPECT_EQ(copy->onFinish, "end");
        EXPECT_EQ(copy->leftCropOffset, 6);
        EXPECT_EQ(copy->targetSpriteName, "paddle");
        EXPECT_EQ(copy->particleSourceName, "sparks");
        EXPECT_EQ(copy->sourceImage, templ->sourceImage);
        EXPECT_EQ(copy->frozenImage, templ->frozenImage);
        EXPECT_EQ(copy->nextFrame, templ->nextFrame);
        EXPECT_EQ(copy->soundToPlay, templ->soundToPlay);

        ASSERT_EQ(copy->soundsArray.size(), 2u);
        EXPECT_EQ(copy->soundsArray[0], nullptr);
        ASSERT_TRUE(copy->soundsArray[1]);
        EXPECT_NE(copy->soundsArray[1], thud);
        EXPECT_EQ(copy->soundsArray[1]->name, "thud");
        EXPECT_EQ(copy->soundsArray[1]->soundData, thud->soundData);

        ASSERT_TRUE(copy->particleSourceLink);
        EXPECT_NE(copy->particleSourceLink, source);
        EXPECT_EQ(copy->particleSourceLink->name, "sparks");

        ASSERT_TRUE(copy->redShift);
        EXPECT_NE(copy->redShift, templ->redShift);
        EXPECT_EQ(copy->redShift->shiftData, templ->redShift->shiftData);
        EXPECT_EQ(copy->redShift->GetShiftByProgress(0.5f, 1), 127.5f);
        EXPECT_FALSE(copy->greenShift);
    }
    EXPECT_NE(first->soundsArray[1], second->soundsArray[1]);
    EXPECT_NE(first->redShift, second->redShift);
    EXPECT_NE(first->alphaShift, second->alphaShift);
    EXPECT_NE(first->particleSourceLink, second->particleSourceLink);

    // Each copy runs its own curve clock.
    first->alphaShift->GetShiftByProgress(0.0f, 1);
    EXPECT_EQ(first->alphaShift->currentStep, 1);
    EXPECT_EQ(second->alphaShift->currentStep, 0);
    EXPECT_TRUE(g_DebugLog.empty()) << g_DebugLog;
}

TEST_F(AnimationStepTest, CloningNothingIsLoggedAndChangesNothing) {
    AnimationStep step;
    step.name = "kept";
    EXPECT_EQ(step.Clone(nullptr), 0);
    EXPECT_EQ(step.name, "kept");
    EXPECT_EQ(g_DebugLog, "sprites:AnimationStep.Clone() Attempt to access field or method of Null object\n");
}

TEST_F(AnimationStepTest, AppendGrowsByOneNewStep) {
    std::vector<AnimationStepPtr> steps = AppendNewAnimationStep({});
    ASSERT_EQ(steps.size(), 1u);
    ASSERT_TRUE(steps[0]);
    std::vector<AnimationStepPtr> grown = AppendNewAnimationStep(steps);
    ASSERT_EQ(grown.size(), 2u);
    EXPECT_EQ(grown[0], steps[0]);
    ASSERT_TRUE(grown[1]);
    EXPECT_EQ(grown[1]->minSteps, 0);
    EXPECT_FALSE(grown[1]->nextFrame);
}

}  // namespace
