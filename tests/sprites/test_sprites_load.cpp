// Sprite templates: reading sprite elements, deep copies for pieces in play, the lookup and
// growth of the template array, linking a small pack by name, and releasing linked trees.
#include "core/io.h"
#include "media/sounds.h"
#include "sprites/particle.h"
#include "sprites/random.h"
#include "sprites/shifter.h"
#include "test_sprite_support.h"

using namespace spritetest;

namespace {

class SpriteLoad : public SpriteTest {};

TEST_F(SpriteLoad, ReadsEveryTagOfTheElement) {
    SpritePtr s = LoadSprite(
        "<sprite><spriteName>ball</spriteName><parentSpriteName>paddle</parentSpriteName>"
        "<targetSpriteName>nain</targetSpriteName><maxVel>9</maxVel><maxAccel>2</maxAccel><vel>4</vel>"
        "<accel>0.5</accel><elasticity>0.75</elasticity><x>11</x><y>12</y><dx>0.6</dx><dy>-0.8</dy>"
        "<ddx>0.1</ddx><ddy>0.2</ddy><rot>30</rot><dRot>3</dRot><maxdRot>6</maxdRot><widthBound>16</widthBound>"
        "<heightBound>14</heightBound><shake>1.5</shake><maxShake>4</maxShake><dShake>-0.25</dShake>"
        "<isFrozen>0.5</isFrozen><rotSnapback>1</rotSnapback><xScale>3</xScale>" +
        Anim("idle", Step("a", 3)) + Anim("kill", Step("b", 3)) + "</sprite>");
    EXPECT_EQ(s->name, "ball");
    EXPECT_EQ(s->parentSpriteName, "paddle");
    EXPECT_EQ(s->targetSpriteName, "nain");
    const std::pair<float, float> floats[] = {
        {s->maxVel, 9},       {s->maxAccel, 2}, {s->vel, 4},      {s->accel, 0.5f},    {s->elasticity, 0.75f},
        {s->x, 11},           {s->y, 12},       {s->dx, 0.6f},    {s->dy, -0.8f},      {s->ddx, 0.1f},
        {s->ddy, 0.2f},       {s->rot, 30},     {s->drot, 3},     {s->maxdRot, 6},     {s->widthBound, 16},
        {s->heightBound, 14}, {s->shake, 1.5f}, {s->maxShake, 4}, {s->dShake, -0.25f}, {s->isFrozen, 0.5f},
    };
    for (size_t i = 0; i < std::size(floats); ++i) EXPECT_FLOAT_EQ(floats[i].first, floats[i].second) << "field " << i;
    EXPECT_EQ(s->rotSnapback, 1);
    EXPECT_FLOAT_EQ(s->xScale, 1.0f) << "the owner sets the scale from its own element";
    ASSERT_EQ(s->animationArray.size(), 2u);
    EXPECT_EQ(s->animationArray[1]->name, "kill");
    EXPECT_EQ(s->isLive, 1);
    EXPECT_TRUE(LogLines().empty());
}

TEST_F(SpriteLoad, SkipTagOfTheMachineClass) {
    struct {
        int fast;
        const char* tag;
        const char* value;
        bool loaded;
    } cases[] = {
        {0, "ignoreOnFastSystems", "1", true},  {1, "ignoreOnFastSystems", "1", false},
        {0, "ignoreOnSlowSystems", "0", false}, {1, "ignoreOnSlowSystems", "1", true},
        {1, "ignoreOnFastSystems", "", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.tag) + " " + c.value + " fast " + std::to_string(c.fast));
        g_isFastComputer = c.fast;
        std::string tag = c.tag;
        SpritePtr s = LoadSprite(
            SpriteXml("s", "<" + tag + ">" + c.value + "</" + tag + "><vel>2</vel>", Anim("idle", Step("a", 1))));
        EXPECT_EQ(s->name, c.loaded ? "s" : "");
        EXPECT_EQ(s->animationArray.size(), c.loaded ? 1u : 0u);
        EXPECT_FLOAT_EQ(s->vel, c.loaded ? 2.0f : 0.0f);
    }
}

TEST_F(SpriteLoad, ReadingRulesOfTheTags) {
    // Zero floats keep their defaults; a zero int is taken.
    auto s = std::make_shared<Sprite>();
    s->rotSnapback = 1;
    s->LoadFromXML(SpriteXml("s", "<elasticity>0</elasticity><maxdRot>0</maxdRot><rotSnapback>0</rotSnapback>", ""));
    EXPECT_FLOAT_EQ(s->elasticity, 1.0f);
    EXPECT_FLOAT_EQ(s->maxdRot, 1.0f);
    EXPECT_EQ(s->rotSnapback, 0);

    // Tag names match without regard to case; the element name of an animation does not.
    SpritePtr caps = LoadSprite("<sprite><SPRITENAME>shout</SPRITENAME>" + Anim("idle", Step("a", 1)) +
                                "<Animation><aniName>other</aniName>" + Step("b", 1) + "</Animation></sprite>");
    EXPECT_EQ(caps->name, "shout");
    ASSERT_EQ(caps->animationArray.size(), 1u);
    EXPECT_EQ(caps->animationArray[0]->name, "idle");

    // The last targetSpriteName of the whole element counts, a step's included.
    struct {
        const char* stepTag;
        const char* want;
    } targets[] = {{"<targetSpriteName>ball</targetSpriteName>", "ball"},
                   {"<targetSpriteName></targetSpriteName>", ""},
                   {"", "paddle"}};
    for (const auto& t : targets) {
        SCOPED_TRACE(t.stepTag);
        SpritePtr aim = LoadSprite(
            SpriteXml("aim", "<targetSpriteName>paddle</targetSpriteName>", Anim("idle", Step("a", 1, t.stepTag))));
        EXPECT_EQ(aim->targetSpriteName, t.want);
    }
}

// The fixture pack: its sprites appended and loaded as the pack loader does, its images,
// one sound, one curve and one particle source.
class LinkedPack : public SpriteLoad {
protected:
    void SetUp() override {
        SpriteLoad::SetUp();
        std::string xml = ReadFileToString(Fixture("link/sprites.xml"));
        ASSERT_FALSE(xml.empty());
        int count = CountTagsInXML(xml, "sprite");
        for (int i = 0; i < count; ++i) {
            sprites = AppendNewSprite(sprites);
            sprites.back()->LoadFromXML(ExtractTagFromXML(xml, "sprite", i));
        }
        for (const char* name : {"body_pic", "arm_pic", "hand_pic", "paddle_pic", "spark_pic"}) {
            images.push_back(MakeImage(name));
        }
        auto hum = std::make_shared<Sound>();
        hum->name = "hum";
        sounds = {hum};
        auto fade = std::make_shared<ShifterData>();
        fade->name = "fade";
        fade->totalSteps = 2;
        fade->shift = {0.0f, 1.0f};
        curves = {fade};
        sources = AppendNewParticleSource(sources);
        sources[0]->LoadFromXML("<particleSource><name>sparks</name><spriteName>spark</spriteName></particleSource>",
                                sprites);
    }
    void TearDown() override {
        for (const SpritePtr& s : sprites) s->Unlink();
        for (const ParticleSourcePtr& p : sources) p->Unlink();
        SpriteLoad::TearDown();
    }
    SpritePtr Named(const std::string& name) { return GetSpriteByName(name, sprites); }

    std::vector<SpritePtr> sprites;
    std::vector<ImagePtr> images;
    std::vector<SoundPtr> sounds;
    std::vector<ShifterDataPtr> curves;
    std::vector<ParticleSourcePtr> sources;
};

TEST_F(LinkedPack, LinkingResolvesEveryName) {
    ASSERT_EQ(sprites.size(), 7u);
    EXPECT_TRUE(sources[0]->particleSprite->childSprites.empty()) << "cloned before linking";
    LinkSprites(sprites, images, curves, sources, sounds);
    EXPECT_TRUE(LogLines().empty());

    SpritePtr body = Named("body");
    ASSERT_EQ(body->childSprites.size(), 2u);
    EXPECT_EQ(body->childSprites[0], Named("arm_right")) << "children in array order";
    EXPECT_EQ(body->childSprites[1], Named("arm_left"));
    EXPECT_EQ(Named("arm_left")->parentSprite.lock(), body);
    EXPECT_EQ(Named("hand")->parentSprite.lock(), Named("arm_left"));
    EXPECT_EQ(body->targetSprite.lock(), Named("paddle"));

    const AnimationStepPtr& step = body->animationArray[0]->StepsArray[0];
    EXPECT_EQ(step->sourceImage, images[0]);
    ASSERT_EQ(step->soundsArray.size(), 1u);
    EXPECT_EQ(step->soundsArray[0], sounds[0]);
    EXPECT_EQ(step->alphaShift->shiftData, curves[0]);
    EXPECT_EQ(Named("hand")->animationArray[0]->StepsArray[0]->particleSourceLink, sources[0]);

    // The particle source copies its sprite again, now with its linked child.
    ASSERT_EQ(sources[0]->particleSprite->childSprites.size(), 1u);
    EXPECT_EQ(sources[0]->particleSprite->childSprites[0]->name, "glow");
}

TEST_F(LinkedPack, CloneIsDeepExceptTablesImagesAndCurveData) {
    LinkSprites(sprites, images, curves, sources, sounds);
    SpritePtr body = Named("body");
    body->isLive = 0;
    body->absX = 77;
    body->assignTargetSprite = 1;
    body->xRebound = 3;

    auto copy = std::make_shared<Sprite>();
    copy->Clone(body, nullptr);
    EXPECT_EQ(copy->name, "body");
    EXPECT_FLOAT_EQ(copy->vel, 3.0f);
    EXPECT_FLOAT_EQ(copy->widthBound, 20.0f);
    EXPECT_EQ(copy->xRebound, 3);
    EXPECT_EQ(copy->targetSpriteName, "paddle");
    EXPECT_TRUE(copy->targetSprite.expired()) << "targets of live sprites are assigned later";
    EXPECT_EQ(copy->isLive, 1);
    EXPECT_EQ(copy->assignTargetSprite, 0);
    EXPECT_FLOAT_EQ(copy->absX, 0.0f);

    // Animations, steps, curves and sounds are its own; tables, images and curve data shared.
    ASSERT_EQ(copy->animationArray.size(), 2u);
    const AnimationPtr& a = copy->animationArray[0];
    const AnimationPtr& t = body->animationArray[0];
    EXPECT_NE(a, t);
    EXPECT_EQ(a->nextAnimation, t->nextAnimation);
    EXPECT_EQ(a->terminatingStep, t->terminatingStep);
    EXPECT_NE(a->StepsArray[0], t->StepsArray[0]);
    EXPECT_EQ(a->StepsArray[0]->nextFrame, t->StepsArray[0]->nextFrame);
    EXPECT_EQ(a->StepsArray[0]->sourceImage, images[0]);
    EXPECT_NE(a->StepsArray[0]->alphaShift, t->StepsArray[0]->alphaShift);
    EXPECT_EQ(a->StepsArray[0]->alphaShift->shiftData, curves[0]);
    ASSERT_EQ(a->StepsArray[0]->soundsArray.size(), 1u);
    EXPECT_NE(a->StepsArray[0]->soundsArray[0], sounds[0]);
    EXPECT_EQ(a->StepsArray[0]->soundsArray[0]->name, "hum");

    // The whole subtree is copied, in order, each copy under its copied parent.
    ASSERT_EQ(copy->childSprites.size(), 2u);
    EXPECT_EQ(copy->childSprites[0]->name, "arm_right");
    EXPECT_EQ(copy->childSprites[1]->name, "arm_left");
    EXPECT_NE(copy->childSprites[1], Named("arm_left"));
    EXPECT_EQ(copy->childSprites[1]->parentSprite.lock(), copy);
    ASSERT_EQ(copy->childSprites[1]->childSprites.size(), 1u);
    SpritePtr hand = copy->childSprites[1]->childSprites[0];
    EXPECT_EQ(hand->parentSprite.lock(), copy->childSprites[1]);
    EXPECT_NE(hand->animationArray[0]->StepsArray[0]->particleSourceLink, sources[0]) << "its own emitter";

    // A child template cloned on its own takes the parent it is given.
    auto arm = std::make_shared<Sprite>();
    arm->Clone(Named("arm_left"), copy);
    EXPECT_EQ(arm->parentSprite.lock(), copy);

    // Cloning from its own child is safe: the child is unlinked with the tree it belonged
    // to before it is read, so only its own values are left to copy.
    copy->Clone(copy->childSprites[1], nullptr);
    EXPECT_EQ(copy->name, "arm_left");
    EXPECT_FLOAT_EQ(copy->x, -6.0f);
    EXPECT_TRUE(copy->childSprites.empty());
    copy->Unlink();
    arm->Unlink();
}

TEST_F(LinkedPack, CloneRefusesMissingTemplates) {
    struct {
        SpritePtr source;
        const char* message;
    } cases[] = {{nullptr, "sprites:Sprite.Clone() Sprite to clone is null!"},
                 {std::make_shared<Sprite>(), "sprites:Sprite.Clone() Sprite to clone name is null!"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        g_DebugLog.clear();
        auto s = std::make_shared<Sprite>();
        s->Clone(Named("body"), nullptr);
        s->vel = 42;
        s->Clone(c.source, nullptr);
        EXPECT_EQ(LogLines(), std::vector<std::string>{c.message});
        EXPECT_TRUE(s->animationArray.empty());
        EXPECT_TRUE(s->childSprites.empty());
        EXPECT_FLOAT_EQ(s->vel, 42.0f) << "other fields unchanged";
    }
}

TEST_F(LinkedPack, LookupAndGrowth) {
    SpritePtr twin = std::make_shared<Sprite>();
    twin->name = "body";
    sprites.push_back(twin);
    EXPECT_EQ(GetSpriteByName("body", sprites), sprites[0]) << "the lower index";
    EXPECT_TRUE(LogLines().empty());
    EXPECT_EQ(GetSpriteByName("BODY", sprites), nullptr);
    EXPECT_EQ(GetSpriteByName("body", {}), nullptr);
    auto lines = LogLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[0].find("Could not find sprite named \"BODY\"."), std::string::npos);
    EXPECT_NE(lines[1].find("Could not find sprite named \"body\"."), std::string::npos);

    // When the table makes -14 raise, the lookup's own handler logs it.
    g_errorseverity = {0, 0, 3};
    g_DebugLog.clear();
    EXPECT_EQ(GetSpriteByName("ghost", sprites), nullptr);
    ASSERT_FALSE(LogLines().empty());
    EXPECT_EQ(LogLines().back().rfind("sprites:GetSpriteByName() ", 0), 0u);

    std::vector<SpritePtr> none;
    std::vector<SpritePtr> one = AppendNewSprite(none);
    EXPECT_TRUE(none.empty());
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0]->name, "");
    EXPECT_FLOAT_EQ(one[0]->xScale, 1.0f);
}

TEST_F(LinkedPack, MissingParentSkipsOnlyThatLink) {
    // A sprite naming a parent the pack lacks comes first: the rest still links.
    auto orphan = std::make_shared<Sprite>();
    orphan->LoadFromXML(SpriteXml("orphan", "<parentSpriteName>ghost</parentSpriteName>", Anim("idle", Step("a", 1))));
    sprites.insert(sprites.begin(), orphan);
    LinkSprites(sprites, images, curves, sources, sounds);
    auto lines = LogLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("Could not find sprite named \"ghost\"."), std::string::npos);
    EXPECT_TRUE(orphan->parentSprite.expired());
    EXPECT_EQ(Named("body")->childSprites.size(), 2u);
    EXPECT_EQ(Named("paddle")->animationArray[0]->StepsArray[0]->sourceImage, images[3]);
    EXPECT_EQ(sources[0]->particleSprite->childSprites.size(), 1u);
}

TEST_F(LinkedPack, SpriteCannotBeItsOwnAncestor) {
    // "self" names itself; "ring_a" and "ring_b" name each other.
    std::vector<SpritePtr> loops;
    for (const auto& [name, parent] : {std::pair{"self", "self"}, {"ring_a", "ring_b"}, {"ring_b", "ring_a"}}) {
        loops = AppendNewSprite(loops);
        loops.back()->LoadFromXML(SpriteXml(name, std::string("<parentSpriteName>") + parent + "</parentSpriteName>",
                                            Anim("idle", Step("a", 1))));
    }
    LinkSprites(loops, images, curves, {}, sounds);
    auto lines = LogLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0],
              "sprites:LinkSprites() Sprite \"self\" cannot hang under \"self\": it would be its own ancestor.");
    EXPECT_EQ(lines[1],
              "sprites:LinkSprites() Sprite \"ring_b\" cannot hang under \"ring_a\": it would be its own ancestor.");
    EXPECT_TRUE(loops[0]->childSprites.empty());
    EXPECT_EQ(loops[1]->parentSprite.lock(), loops[2]);
    EXPECT_TRUE(loops[2]->parentSprite.expired());
    // The trees stay finite: updating, drawing and cloning them ends.
    for (const SpritePtr& s : loops) {
        s->Update();
        s->Draw();
        auto copy = std::make_shared<Sprite>();
        copy->Clone(s, nullptr);
        copy->Unlink();
        s->Unlink();
    }
}

TEST_F(LinkedPack, LinkedTreesAreReleasedWhole) {
    const int before = g_debugSpritesInMemory;
    {
        LinkSprites(sprites, images, curves, sources, sounds);
        std::vector<SpritePtr> live;
        for (int i = 0; i < 3; ++i) {
            auto s = std::make_shared<Sprite>();
            s->Clone(Named("body"), nullptr);
            s->targetSprite = Named("paddle");
            s->Update();
            s->Draw();
            live.push_back(s);
        }
        // Pieces point at each other's sprites as targets.
        live[0]->childSprites[0]->targetSprite = live[1];
        live[1]->targetSprite = live[0]->childSprites[1]->childSprites[0];
        // Each copy: body, two arms, a hand and the hand's emitter's spark with its glow;
        // the relinked particle sprite gained its glow.
        EXPECT_EQ(g_debugSpritesInMemory, before + 3 * 6 + 1);
        for (const SpritePtr& s : live) s->Unlink();
    }
    for (const SpritePtr& s : sprites) s->Unlink();
    for (const ParticleSourcePtr& p : sources) p->Unlink();
    sprites.clear();
    sources.clear();
    EXPECT_EQ(g_debugSpritesInMemory, before - 7 - 1);
}

}  // namespace
