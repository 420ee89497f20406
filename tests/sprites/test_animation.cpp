// Animations: step timing by game speed, the update result codes, modes and freezing,
// next-step and next-animation picks, step sounds on the master mixer, drawing at the
// step's progress, clones, and animations that have no steps at all.
#include <functional>
#include <set>

#include "core/io.h"
#include "sprites/particle.h"
#include "sprites/sprites.h"
#include "test_animation_support.h"

using namespace animtest;

namespace {

std::string ReadFixture(const std::string& file) {
    std::string text = ReadFileToString(Fixture(file));
    EXPECT_FALSE(text.empty()) << file;
    return text;
}

class AnimationTest : public AnimTest {};

TEST_F(AnimationTest, LoadsTheElementAndStandsInItsFirstStep) {
    AnimationPtr blink = LoadAnim(ReadFixture("blink.xml"));
    EXPECT_EQ(blink->name, "blink");
    EXPECT_EQ(blink->mode, "noFreeze");
    ASSERT_EQ(blink->StepsArray.size(), 2u);
    EXPECT_EQ(blink->StepsArray[0]->name, "open");
    EXPECT_EQ(blink->StepsArray[1]->name, "shut");
    ASSERT_TRUE(blink->nextAnimation && blink->inRangeAnimation && blink->outRangeAnimation);
    EXPECT_EQ(blink->nextAnimation->action, (std::vector<std::string>{"idle"}));
    EXPECT_EQ(blink->inRangeAnimation->action, (std::vector<std::string>{"wave"}));
    EXPECT_TRUE(blink->outRangeAnimation->action.empty());
    EXPECT_EQ(blink->GetNextAnimation(), "idle");
    // Started at load: first step, counts rolled.
    EXPECT_EQ(blink->currentFrame, 0);
    EXPECT_EQ(blink->terminatingStep, 3);
    EXPECT_EQ(blink->terminatingIteration, 2);
    EXPECT_EQ(blink->currentStep, 0.0f);
    EXPECT_TRUE(g_DebugLog.empty()) << g_DebugLog;
}

TEST_F(AnimationTest, AStepLastsItsTicksAtAnyGameSpeed) {
    struct Case {
        float speed;
        int ticks, passes;
        int updates;  // until the next step is current
    } cases[] = {
        {1.0f, 4, 1, 4},  {0.5f, 4, 1, 8}, {3.0f, 4, 1, 2},
        {1.0f, 4, 3, 12}, {1.0f, 0, 1, 1},  // a pass of no length ends at the first update
        {1.0f, 4, 0, 4},                    // no passes count as one
        {0.25f, 1, 2, 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "speed " << c.speed << ", " << c.ticks << " ticks x " << c.passes);
        g_gameSpeedFactor = c.speed;
        AnimationPtr run =
            LoadAnim(Anim("run", Step("A", c.ticks, c.passes, Table("nextFrame", {{"B", 1}})) + Step("B", 100, 1)));
        int updates = 0;
        while (run->currentFrame == 0 && updates < 100) {
            EXPECT_EQ(run->Update(0.0f, nullptr), 1);
            ++updates;
        }
        EXPECT_EQ(updates, c.updates);
        EXPECT_EQ(run->currentStep, 0.0f);
        EXPECT_EQ(run->currentIteration, 0);
    }
}

TEST_F(AnimationTest, RollsReachBothBoundsInEitherOrder) {
    AnimationPtr run = LoadAnim(Anim("run",
                                     "<animationStep><minSteps>5</minSteps><maxSteps>2</maxSteps>"
                                     "<minIterations>3</minIterations><maxIterations>1</maxIterations>"
                                     "</animationStep>"));
    std::set<int> lengths, passes;
    for (int i = 0; i < 200; ++i) {
        run->StartNewFrame("", nullptr);
        lengths.insert(run->terminatingStep);
        passes.insert(run->terminatingIteration);
    }
    EXPECT_EQ(lengths, (std::set<int>{2, 3, 4, 5}));
    EXPECT_EQ(passes, (std::set<int>{1, 2, 3}));
}

TEST_F(AnimationTest, UpdateResultCodes) {
    const std::string toB = Table("nextFrame", {{"B", 1}});
    struct Case {
        const char* label;
        std::string steps;
        const char* mode;
        float frozen;
        std::vector<int> results;
        int frameAfter;
    } cases[] = {
        // The last pass ends on the second update; "kill", "release" and "end" report it on
        // every pass end from then on, and go on in between.
        {"finish kill", Step("A", 2, 1, "<onFinish>kill</onFinish>" + toB) + Step("B", 9, 1), "", 0, {1, -1, 1, -1}, 0},
        {"finish release", Step("A", 2, 1, "<onFinish>release</onFinish>"), "", 0, {1, -2, 1, -2}, 0},
        {"finish end", Step("A", 2, 1, "<onFinish>end</onFinish>" + toB) + Step("B", 9, 1), "", 0, {1, 0, 1, 0}, 0},
        {"finish Kill is no action",
         Step("A", 2, 1, "<onFinish>Kill</onFinish>" + toB) + Step("B", 9, 1),
         "",
         0,
         {1, 1, 1},
         1},
        {"next frame _end",
         Step("A", 2, 1, Table("nextFrame", {{"_end", 1}})) + Step("B", 9, 1),
         "",
         0,
         {1, 0, 1, 0},
         0},
        {"start kill from the update that starts it",
         Step("A", 2, 1, toB) + Step("B", 9, 1, "<onStart>kill</onStart>"),
         "",
         0,
         {1, -1, -1, -1},
         1},
        {"start release", Step("A", 2, 1, "<onStart>release</onStart>"), "", 0, {-2, -2}, 0},
        {"start end", Step("A", 2, 1, "<onStart>end</onStart>"), "", 0, {0, 0, 0}, 0},
        {"start kill, static", Step("A", 2, 1, "<onStart>kill</onStart>"), "static", 0, {-1, -1, -1}, 0},
        {"start kill, parent", Step("A", 2, 1, "<onStart>kill</onStart>"), "parent", 0, {-1, -1}, 0},
        {"start kill, frozen", Step("A", 2, 1, "<onStart>kill</onStart>"), "", 1, {-1, -1, -1}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        AnimationPtr run = LoadAnim(Anim("run", c.steps, std::string("<mode>") + c.mode + "</mode>"));
        std::vector<int> results;
        for (size_t i = 0; i < c.results.size(); ++i) results.push_back(run->Update(c.frozen, nullptr));
        EXPECT_EQ(results, c.results);
        EXPECT_EQ(run->currentFrame, c.frameAfter);
    }
    EXPECT_TRUE(g_DebugLog.empty()) << g_DebugLog;
}

TEST_F(AnimationTest, FinishedStepKeepsCountingItsPassesUntilSomethingElseHappens) {
    AnimationPtr run = LoadAnim(Anim("run", Step("A", 2, 2, "<onFinish>end</onFinish>")));
    std::vector<int> results;
    for (int i = 0; i < 8; ++i) results.push_back(run->Update(0.0f, nullptr));
    EXPECT_EQ(results, (std::vector<int>{1, 1, 1, 0, 1, 0, 1, 0}));
    EXPECT_EQ(run->currentIteration, 4);
    EXPECT_EQ(run->currentStep, 0.0f);
}

TEST_F(AnimationTest, WhatFollowsALastPassByTheNextFramePick) {
    SoundPtr thud = MakeSound("thud");
    auto sprite = std::make_shared<Sprite>();
    struct Case {
        const char* next;  // the only entry of the step's nextFrame table; null: no table entry
        int result;        // of the update that ends the pass
        bool soundAgain;
    } cases[] = {
        {"_end", 0, false},  // the same step again, old rolls, no new sound
        {"nowhere", 1, true},
        {"a", 1, true},  // frame names are case-sensitive
        {nullptr, 1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.next ? c.next : "(empty table)");
        std::string table = c.next ? Table("nextFrame", {{c.next, 1}}) : "";
        AnimationPtr run = LoadAnim(
            Anim("run",
                 "<animationStep><stepName>A</stepName><minSteps>1</minSteps><maxSteps>9</maxSteps><minIterations>1"
                 "</minIterations><maxIterations>1</maxIterations>" +
                     table + Table("soundToPlay", {{"thud", 1}}) + "</animationStep>"));
        run->StepsArray[0]->LinkSound({thud});
        run->StartNewFrame("", sprite);
        EXPECT_EQ(PlayingEffects(), 1);
        SilenceMixer();

        const int ticks = run->terminatingStep;
        for (int i = 1; i < ticks; ++i) ASSERT_EQ(run->Update(0.0f, sprite), 1);
        EXPECT_EQ(run->Update(0.0f, sprite), c.result);
        EXPECT_EQ(run->currentFrame, 0);
        EXPECT_EQ(run->currentIteration, 0);
        EXPECT_EQ(run->currentStep, 0.0f);
        if (!c.soundAgain) {
            EXPECT_EQ(run->terminatingStep, ticks) << "no new roll";
        }
        EXPECT_EQ(PlayingEffects(), c.soundAgain ? 1 : 0);
        SilenceMixer();
    }
    EXPECT_TRUE(g_DebugLog.empty()) << g_DebugLog;
}

TEST_F(AnimationTest, ModesAndFreezingDecideWhetherTheStepAdvances) {
    struct Case {
        const char* mode;
        float frozen;
        bool advances;
    } cases[] = {
        {"", 0.0f, true},          {"", 0.01f, false},       {"", 1.0f, false},
        {"walk", 0.0f, true},      {"noFreeze", 1.0f, true}, {"noFreeze", 0.5f, true},
        {"NoFreeze", 1.0f, false}, {"static", 0.0f, false},  {"parent", 0.0f, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode '" << c.mode << "' frozen " << c.frozen);
        AnimationPtr run = LoadAnim(Anim("run", Step("A", 4, 1), std::string("<mode>") + c.mode + "</mode>"));
        EXPECT_EQ(run->Update(c.frozen, nullptr), 1);
        EXPECT_EQ(run->currentStep, c.advances ? 1.0f : 0.0f);
    }
}

TEST_F(AnimationTest, FrameNamesAreExactAndTheFirstOfTwoNamesakesWins) {
    AnimationPtr run = LoadAnim(Anim("run", Step("A", 1, 1) + Step("B", 2, 1) + Step("B", 7, 1) + Step("C", 3, 1)));
    struct Case {
        const char* name;
        int frame;
    } cases[] = {{"B", 1}, {"b", 3}, {"", 3}, {"nowhere", 3}, {"C", 3}, {"A", 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        run->StartNewFrame("C", nullptr);
        run->Update(0.0f, nullptr);
        ASSERT_EQ(run->currentStep, 1.0f);
        EXPECT_EQ(run->StartNewFrame(c.name, nullptr), 0);
        EXPECT_EQ(run->currentFrame, c.frame);
        // Found or not, the step starts over.
        EXPECT_EQ(run->currentStep, 0.0f);
        EXPECT_EQ(run->currentIteration, 0);
        EXPECT_EQ(run->terminatingStep, run->StepsArray[c.frame]->minSteps);
    }
}

TEST_F(AnimationTest, StepSoundsStartOnTheMasterMixerWithTheSpriteAsSource) {
    SoundPtr blip = MakeSound("blip");
    AnimationPtr blink = LoadAnim(ReadFixture("blink.xml"));
    EXPECT_EQ(PlayingEffects(), 0) << "a template plays nothing while it loads";
    for (const AnimationStepPtr& step : blink->StepsArray) step->LinkSound({blip});

    auto sprite = std::make_shared<Sprite>();
    // "open": 3 ticks x 2 passes, then "shut" with its sound; noFreeze runs on while frozen.
    std::vector<int> results;
    for (int i = 0; i < 5; ++i) results.push_back(blink->Update(1.0f, sprite));
    EXPECT_EQ(PlayingEffects(), 0);
    results.push_back(blink->Update(1.0f, sprite));
    EXPECT_EQ(blink->currentFrame, 1);
    ASSERT_EQ(PlayingEffects(), 1);
    EXPECT_TRUE(ChannelPlaying(g_MasterMixer->channelArray[1]));
    EXPECT_EQ(g_MasterMixer->sourceSpriteArray[1], sprite);
    EXPECT_EQ(g_MasterMixer->soundArray[1], blip);
    results.push_back(blink->Update(1.0f, sprite));
    EXPECT_EQ(results, (std::vector<int>{1, 1, 1, 1, 1, 1, 0}));
    EXPECT_TRUE(g_DebugLog.empty()) << g_DebugLog;
}

TEST_F(AnimationTest, AStaticAnimationSoundsOnlyWhenItStarts) {
    SoundPtr thud = MakeSound("thud");
    AnimationPtr pose =
        LoadAnim(Anim("pose", Step("A", 1, 1, Table("soundToPlay", {{"thud", 1}})), "<mode>static</mode>"));
    pose->StepsArray[0]->LinkSound({thud});
    auto sprite = std::make_shared<Sprite>();
    sprite->animationArray = {pose};
    EXPECT_EQ(sprite->JumpToAnimation("pose"), 1);
    EXPECT_EQ(PlayingEffects(), 1);
    EXPECT_EQ(g_MasterMixer->sourceSpriteArray[1], sprite);
    SilenceMixer();
    for (int i = 0; i < 20; ++i) EXPECT_EQ(pose->Update(0.0f, sprite), 1);
    EXPECT_EQ(PlayingEffects(), 0);
    sprite->Unlink();
}

TEST_F(AnimationTest, AFinishedAnimationHandsOverToThePickedNextAnimation) {
    struct Case {
        std::string table;
        int animationAfter;
    } cases[] = {
        {Table("nextAnimation", {{"hit", 1}}), 1},
        {Table("nextAnimation", {{"idle", 0}, {"hit", 0}, {"rest", 1}}), 2},
        {"", 0},                                    // nothing to go on with: the sprite stays
        {Table("nextAnimation", {{"Hit", 1}}), 0},  // no animation of that name
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.table);
        auto sprite = std::make_shared<Sprite>();
        sprite->animationArray = {LoadAnim(Anim("idle", Step("A", 2, 1, "<onFinish>end</onFinish>"), c.table)),
                                  LoadAnim(Anim("hit", Step("A", 9, 1))), LoadAnim(Anim("rest", Step("A", 9, 1)))};
        sprite->Update();
        EXPECT_EQ(sprite->currentAnimation, 0);
        sprite->Update();
        EXPECT_EQ(sprite->currentAnimation, c.animationAfter);
        sprite->Unlink();
    }
    EXPECT_TRUE(g_DebugLog.empty()) << g_DebugLog;
}

TEST_F(AnimationTest, NextAnimationPicksByWeight) {
    AnimationPtr run = LoadAnim(Anim("run", Step("A", 1, 1), Table("nextAnimation", {{"W", 1}, {"X", 3}})));
    int w = 0, x = 0;
    for (int i = 0; i < 400; ++i) {
        std::string next = run->GetNextAnimation();
        if (next == "W") ++w;
        if (next == "X") ++x;
    }
    EXPECT_EQ(w + x, 400);
    EXPECT_GT(x, 2 * w);
    EXPECT_GT(w, 50);
    EXPECT_EQ(Animation().GetNextAnimation(), "") << "never loaded";
    EXPECT_TRUE(g_DebugLog.empty()) << g_DebugLog;
}

TEST_F(AnimationTest, DrawsTheCurrentStepWithItsCurvesAtItsProgress) {
    auto ramp = std::make_shared<ShifterData>();
    ramp->LoadFromXML(
        "<shifterData><name>ramp</name><totalSteps>5</totalSteps><dat>0</dat><dat>0.25</dat><dat>0.5</dat>"
        "<dat>0.75</dat><dat>1</dat></shifterData>",
        "");
    const std::string curves =
        "<imageName>pic</imageName>"
        "<redShift><dataName>ramp</dataName><startValue>0</startValue><endValue>255</endValue>"
        "<amplitude>1</amplitude></redShift>"
        "<xPositionShift><dataName>ramp</dataName><endValue>8</endValue><amplitude>1</amplitude></xPositionShift>";
    AnimationPtr glow = LoadAnim(Anim("glow", Step("A", 4, 1, curves + Table("nextFrame", {{"B", 1}})) +
                                                  Step("B", 0, 1, curves + "<onStart>kill</onStart>")));
    ImagePtr pic = MakeImage("pic");
    for (const AnimationStepPtr& step : glow->StepsArray) {
        step->LinkImage({pic});
        step->redShift->SelectShifterDataFromName({ramp});
        step->xPositionShift->SelectShifterDataFromName({ramp});
    }

    struct Frame {
        int red;
        float x;
        int result;
    };
    // Four ticks through "A", then "B", whose pass has no length: its progress stays 0.
    const Frame expected[] = {{0, 100, 1}, {63, 102, 1}, {127, 104, 1}, {191, 106, 1}, {0, 100, -1}, {0, 100, -1}};
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        float x = 100, y = 50, rot = 0, sx = 1, sy = 1;
        glow->SetAnimationOffsets(x, y, rot, sx, sy);
        float ax = 0, ay = 0, arot = 0, asx = 0, asy = 0;
        StartRecording();
        int result = glow->Draw(x, y, rot, sx, sy, 0.0f, 1.0f, 16, 16, 0, 0, ax, ay, arot, asx, asy);
        std::vector<DrawCall> calls = StopRecording();
        EXPECT_EQ(result, expected[i].result);
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(calls[0].kind, DrawKind::Image);
        EXPECT_EQ(calls[0].image, pic->imageData);
        EXPECT_EQ(calls[0].state.red, expected[i].red);
        EXPECT_EQ(calls[0].state.green, 255);
        EXPECT_EQ(ax, expected[i].x);
        EXPECT_EQ(ay, 50);
        glow->Update(0.0f, nullptr);
    }
    EXPECT_TRUE(g_DebugLog.empty()) << g_DebugLog;
}

TEST_F(AnimationTest, CropAndHandleComeFromTheCurrentStep) {
    AnimationPtr run =
        LoadAnim(Anim("run", Step("A", 1, 1,
                                  "<imageName>pic</imageName><crop>1</crop><topCropOffset>3</topCropOffset>"
                                  "<bottomCropOffset>4</bottomCropOffset><rightCropOffset>5</rightCropOffset>"
                                  "<leftCropOffset>6</leftCropOffset>") +
                                 Step("B", 1, 1, "<crop>2</crop>")));
    run->StepsArray[0]->LinkImage({MakeImage("pic", 4, 6, 2, 0.5f)});
    int top = 0, bottom = 0, left = 0, right = 0;
    EXPECT_EQ(run->GetCrop(top, bottom, left, right), 1);
    EXPECT_EQ(top, 3);
    EXPECT_EQ(bottom, 4);
    EXPECT_EQ(left, 6);
    EXPECT_EQ(right, 5);
    float hx = 0, hy = 0;
    run->GetAnimationHandle(hx, hy);
    EXPECT_EQ(hx, 8);
    EXPECT_EQ(hy, 3);

    run->StartNewFrame("B", nullptr);
    EXPECT_EQ(run->GetCrop(top, bottom, left, right), 2) << "only 1 crops, but the flag is reported as it is";
    EXPECT_EQ(top, 0);
    hx = -1;
    run->GetAnimationHandle(hx, hy);
    EXPECT_EQ(hx, -1);
}

TEST_F(AnimationTest, ParticlesAreFedAtTheSpritesPlaceAndScaledSize) {
    auto source = std::make_shared<ParticleSource>();
    source->style = "box";
    source->ttl = 5.0f;
    AnimationPtr run =
        LoadAnim(Anim("run", Step("A", 1, 1) + Step("B", 1, 1, "<targetSpriteName>ball</targetSpriteName>")));
    run->StepsArray[0]->particleSourceLink = source;

    EXPECT_EQ(run->GenerateParticles(100, 50, 20, 10, 2, 2), 0);
    EXPECT_EQ(source->x, 120);
    EXPECT_EQ(source->y, 60);
    EXPECT_EQ(source->randomX, 20);
    EXPECT_EQ(source->randomY, 10);
    EXPECT_EQ(source->ttl, 4.0f);
    EXPECT_EQ(run->CheckTargetSprite(), "");

    run->StartNewFrame("B", nullptr);
    EXPECT_EQ(run->GenerateParticles(0, 0, 20, 10, 2, 2), 0);
    EXPECT_EQ(source->ttl, 4.0f) << "the source of a step that is not current rests";
    EXPECT_EQ(run->CheckTargetSprite(), "ball");
    EXPECT_TRUE(g_DebugLog.empty()) << g_DebugLog;
}

TEST_F(AnimationTest, CloneKeepsTheRunningStateAndRollsOnlyWhenAStepStarts) {
    AnimationPtr templ = LoadAnim(Anim("run",
                                       "<animationStep><stepName>A</stepName><minSteps>1</minSteps><maxSteps>50"
                                       "</maxSteps><minIterations>1</minIterations><maxIterations>50</maxIterations>"
                                       "<redShift><dataName>x</dataName></redShift></animationStep>" +
                                           Step("B", 3, 1),
                                       Table("nextAnimation", {{"hit", 1}}) + "<mode>noFreeze</mode>"));
    templ->currentStep = 0.5f;
    templ->currentIteration = 1;

    auto copy = std::make_shared<Animation>();
    ASSERT_EQ(copy->Clone(templ), 0);
    EXPECT_EQ(copy->name, "run");
    EXPECT_EQ(copy->mode, "noFreeze");
    EXPECT_EQ(copy->currentFrame, templ->currentFrame);
    EXPECT_EQ(copy->currentStep, 0.5f);
    EXPECT_EQ(copy->currentIteration, 1);
    EXPECT_EQ(copy->terminatingStep, templ->terminatingStep);
    EXPECT_EQ(copy->terminatingIteration, templ->terminatingIteration);
    EXPECT_EQ(copy->nextAnimation, templ->nextAnimation);
    EXPECT_EQ(copy->inRangeAnimation, templ->inRangeAnimation);
    EXPECT_EQ(copy->outRangeAnimation, templ->outRangeAnimation);
    ASSERT_EQ(copy->StepsArray.size(), 2u);
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_NE(copy->StepsArray[i], templ->StepsArray[i]);
        EXPECT_EQ(copy->StepsArray[i]->name, templ->StepsArray[i]->name);
    }
    EXPECT_NE(copy->StepsArray[0]->redShift, templ->StepsArray[0]->redShift);

    // A fresh roll only when the copy starts a step.
    bool rolledDifferently = false;
    for (int i = 0; i < 20 && !rolledDifferently; ++i) {
        copy->StartNewFrame("", nullptr);
        rolledDifferently = copy->terminatingStep != templ->terminatingStep ||
                            copy->terminatingIteration != templ->terminatingIteration;
    }
    EXPECT_TRUE(rolledDifferently);
    EXPECT_TRUE(g_DebugLog.empty()) << g_DebugLog;
}

TEST_F(AnimationTest, CloningOntoItselfOrFromNothingLosesNoSteps) {
    AnimationPtr run = LoadAnim(Anim("run", Step("A", 2, 1) + Step("B", 3, 1)));
    AnimationStepPtr oldFirst = run->StepsArray[0];
    EXPECT_EQ(run->Clone(run), 0);
    ASSERT_EQ(run->StepsArray.size(), 2u);
    EXPECT_EQ(run->StepsArray[0]->name, "A");
    EXPECT_EQ(run->StepsArray[1]->name, "B");
    EXPECT_NE(run->StepsArray[0], oldFirst);

    EXPECT_EQ(run->Clone(nullptr), 0);
    EXPECT_EQ(run->StepsArray.size(), 2u);
    EXPECT_EQ(g_DebugLog, "sprites:Animation.Clone() Attempt to access field or method of Null object\n");
}

TEST_F(AnimationTest, AnAnimationWithoutStepsDoesNothing) {
    AnimationPtr empty = LoadAnim(Anim("empty", "", Table("nextAnimation", {{"walk", 1}})));
    Animation initialized;
    initialized.Initialize(0);
    Animation negative;
    negative.Initialize(-3);
    for (Animation* a : {empty.get(), &initialized, &negative}) {
        EXPECT_TRUE(a->StepsArray.empty());
        for (int i = 0; i < 100; ++i) EXPECT_EQ(a->Update(0.0f, nullptr), 0) << "finished, at once";
        EXPECT_EQ(a->StartNewFrame("A", nullptr), 0);
        EXPECT_EQ(a->CheckTargetSprite(), "");
        EXPECT_EQ(a->GenerateParticles(1, 2, 3, 4, 1, 1), 0);

        float x = 1, y = 2, rot = 3, sx = 4, sy = 5;
        a->SetAnimationOffsets(x, y, rot, sx, sy);
        EXPECT_EQ(x + y + rot + sx + sy, 15.0f);
        int top = 7, bottom = 7, left = 7, right = 7;
        EXPECT_EQ(a->GetCrop(top, bottom, left, right), 0);
        EXPECT_EQ(top + bottom + left + right, 28);
        float hx = 9, hy = 9;
        a->GetAnimationHandle(hx, hy);
        EXPECT_EQ(hx + hy, 18.0f);

        float ox = -1, oy = -1, orot = -1, osx = -1, osy = -1;
        StartRecording();
        EXPECT_EQ(a->Draw(10, 20, 0, 1, 1, 0, 1, 8, 8, 0, 0, ox, oy, orot, osx, osy), 1);
        EXPECT_TRUE(StopRecording().empty());
        EXPECT_EQ(ox, -1);
    }

    // A sprite moves on from it as from any finished animation.
    auto sprite = std::make_shared<Sprite>();
    sprite->animationArray = {empty, LoadAnim(Anim("walk", Step("A", 9, 1)))};
    sprite->Update();
    EXPECT_EQ(sprite->currentAnimation, 1);
    sprite->Unlink();
    EXPECT_TRUE(g_DebugLog.empty()) << g_DebugLog;
}

TEST_F(AnimationTest, InitializeReplacesTheStepsWithDefaultOnes) {
    AnimationPtr run = LoadAnim(Anim("run", Step("A", 2, 1) + Step("B", 3, 1) + Step("C", 4, 1)));
    run->StartNewFrame("C", nullptr);
    AnimationStepPtr oldFirst = run->StepsArray[0];
    EXPECT_EQ(run->Initialize(2), 0);
    ASSERT_EQ(run->StepsArray.size(), 2u);
    EXPECT_NE(run->StepsArray[0], oldFirst);
    EXPECT_NE(run->StepsArray[0], run->StepsArray[1]);
    EXPECT_EQ(run->StepsArray[0]->name, "");
    EXPECT_FALSE(run->StepsArray[0]->nextFrame);
    // The current step stays one of the steps.
    EXPECT_EQ(run->currentFrame, 0);
    EXPECT_EQ(run->Update(0.0f, nullptr), 1);
    EXPECT_TRUE(g_DebugLog.empty()) << g_DebugLog;
}

// Between ticks an animation keeps its current step at hand and its mode read: steps replaced
// under it (a copy made over it, new default steps) are the ones its next tick runs, with the
// mode that came with them. The first tick runs the doomed step, so the old one was in use.
TEST_F(AnimationTest, StepsReplacedUnderAnAnimationAreTheOnesItsNextTickRuns) {
    const std::string doomed = Anim("doomed", Step("A", 5, 1, "<onStart>kill</onStart>"));
    struct Case {
        const char* what;
        std::function<void(const AnimationPtr&)> replace;
        int result;
        float stepAfter;
    } cases[] = {
        {"copied over from a still one",
         [](const AnimationPtr& a) { a->Clone(LoadAnim(Anim("still", Step("B", 5, 1), "<mode>static</mode>"))); }, 1,
         0.0f},
        {"copied over from a running one",
         [](const AnimationPtr& a) { a->Clone(LoadAnim(Anim("on", Step("B", 5, 1)))); }, 1, 1.0f},
        {"copied over from itself", [](const AnimationPtr& a) { a->Clone(a); }, -1, 2.0f},
        {"given new default steps", [](const AnimationPtr& a) { a->Initialize(1); }, 1, 2.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        AnimationPtr run = LoadAnim(doomed);
        ASSERT_EQ(run->Update(0.0f, nullptr), -1);
        c.replace(run);
        EXPECT_EQ(run->Update(0.0f, nullptr), c.result);
        EXPECT_EQ(run->currentStep, c.stepAfter);
    }
    EXPECT_TRUE(g_DebugLog.empty()) << g_DebugLog;
}

TEST_F(AnimationTest, AppendGrowsByOneNewAnimation) {
    std::vector<AnimationPtr> animations = AppendNewAnimation({});
    ASSERT_EQ(animations.size(), 1u);
    ASSERT_TRUE(animations[0]);
    std::vector<AnimationPtr> grown = AppendNewAnimation(animations);
    ASSERT_EQ(grown.size(), 2u);
    EXPECT_EQ(grown[0], animations[0]);
    ASSERT_TRUE(grown[1]);
    EXPECT_TRUE(grown[1]->StepsArray.empty());
    EXPECT_FALSE(grown[1]->nextAnimation);
}

}  // namespace
