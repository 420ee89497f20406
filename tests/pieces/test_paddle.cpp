// The player's paddle: its "paddle" element read and written, cloning, following the mouse
// between the walls, the damping of a shaken paddle, drawing, and release without leaks.
#include "media/images.h"
#include "platform/image.h"
#include "test_gear_support.h"

using namespace geartest;

namespace {

class PaddleTest : public GearTest {
protected:
    // The bat's idle step shows a picture, so drawing leaves a trace.
    void ShowPicture(const PaddlePtr& paddle) {
        if (!batPic) {
            batPic = std::make_shared<Image>();
            batPic->name = "bat_pic";
            batPic->imageData = LoadImage(CreatePixmap(8, 8));
        }
        paddle->paddleSprite->animationArray[0]->StepsArray[0]->LinkImage({batPic});
    }
    static int ImageCalls(const std::vector<DrawCall>& calls, float* x = nullptr) {
        int count = 0;
        for (const DrawCall& call : calls) {
            if (call.kind != DrawKind::Image) continue;
            ++count;
            if (x) *x = call.x;
        }
        return count;
    }
    ImagePtr batPic;
};

TEST_F(PaddleTest, LoadReadsTheElementOverTheTemplate) {
    struct Case {
        const char* what;
        std::string xml;
        int flag;
        const char* spriteName;  // of the paddle's body: "" for a blank one
        float widthBound, xScale, yScale;
        int isSticky, isLive;
        int missingSprite;  // the lookup's report
    };
    const Case cases[] = {
        {"full element",
         "<paddle><spriteName>bat</spriteName><isSticky>1</isSticky><isLive>0</isLive>"
         "<xScale>1.5</xScale><yScale>0.5</yScale></paddle>",
         0, "bat", 100, 1.5f, 0.5f, 1, 0, 0},
        {"flags absent keep 0 and 1", "<paddle><spriteName>bat</spriteName></paddle>", 0, "bat", 100, 1, 1, 0, 1, 0},
        {"no element: a blank body", "", 0, "", 0, 1, 1, 0, 1, 1},
        {"unknown sprite: a blank body with the scales",
         "<paddle><spriteName>ghost</spriteName><xScale>2</xScale></paddle>", 0, "", 0, 2, 1, 0, 1, 1},
        {"non-zero flag: a blank body that still takes the scales",
         "<paddle><spriteName>bat</spriteName><xScale>3</xScale><yScale>0.25</yScale></paddle>", 1, "", 0, 3, 0.25f, 0,
         1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        g_DebugLog.clear();
        auto paddle = std::make_shared<Paddle>();
        SpritePtr before = paddle->paddleSprite;
        EXPECT_EQ(paddle->LoadFromXML(c.xml, sprites, c.flag), 0);
        ASSERT_NE(paddle->paddleSprite, nullptr);
        EXPECT_NE(paddle->paddleSprite, before);
        EXPECT_NE(paddle->paddleSprite, GetSpriteByName("bat", sprites));
        EXPECT_EQ(paddle->paddleSprite->name, c.spriteName);
        EXPECT_FLOAT_EQ(paddle->paddleSprite->widthBound, c.widthBound);
        EXPECT_FLOAT_EQ(paddle->paddleSprite->xScale, c.xScale);
        EXPECT_FLOAT_EQ(paddle->paddleSprite->yScale, c.yScale);
        EXPECT_EQ(paddle->isSticky, c.isSticky);
        EXPECT_EQ(paddle->isLive, c.isLive);
        EXPECT_EQ(LogLinesWith("Could not find sprite named"), c.missingSprite);
        EXPECT_EQ(LogLinesWith("Sprite to clone is null!"), c.missingSprite);
        EXPECT_EQ(LogLinesWith("paddle:"), 0);
        paddle->Unlink();
    }
    // The progress note names the sprite.
    EXPECT_EQ(g_DebugStrings.front(), "Progress note (Loading paddle data from XML: bat)");
}

TEST_F(PaddleTest, WrittenPaddleReadsBackWithoutItsFlags) {
    auto paddle = std::make_shared<Paddle>();
    paddle->LoadFromXML(
        "<paddle><spriteName>bat</spriteName><isSticky>1</isSticky><isLive>0</isLive>"
        "<xScale>1.25</xScale><yScale>0.75</yScale></paddle>",
        sprites, 0);
    const std::string xml = paddle->WriteToXML();
    EXPECT_EQ(xml,
              "<paddle>\n\t<spriteName>bat</spriteName>\n\t<xScale>1.25000000</xScale>\n"
              "\t<yScale>0.750000000</yScale>\n</paddle>\n");

    auto back = std::make_shared<Paddle>();
    back->LoadFromXML(xml, sprites, 0);
    EXPECT_EQ(back->paddleSpriteName, "bat");
    EXPECT_FLOAT_EQ(back->paddleSprite->xScale, 1.25f);
    EXPECT_FLOAT_EQ(back->paddleSprite->yScale, 0.75f);
    EXPECT_EQ(back->isSticky, 0);
    EXPECT_EQ(back->isLive, 1);

    // Without a body there is nothing to write.
    paddle->Unlink();
    EXPECT_EQ(paddle->WriteToXML(), "");
    EXPECT_EQ(LogLinesWith("paddle:Paddle.WriteToXML() Attempt to access field or method of Null object"), 1);
    back->Unlink();
}

TEST_F(PaddleTest, CloneCopiesTheDefinitionIntoItsOwnBody) {
    auto source = std::make_shared<Paddle>();
    source->LoadFromXML(
        "<paddle><spriteName>bat</spriteName><isSticky>1</isSticky><isLive>0</isLive>"
        "<xScale>2</xScale></paddle>",
        sprites, 0);
    source->paddleSprite->x = 300;

    auto paddle = std::make_shared<Paddle>();
    paddle->dX = 3.0f;
    paddle->Clone(source);
    EXPECT_EQ(paddle->paddleSpriteName, "bat");
    EXPECT_EQ(paddle->isSticky, 1);
    EXPECT_EQ(paddle->isLive, 0);
    EXPECT_FLOAT_EQ(paddle->dX, 3.0f);
    ASSERT_NE(paddle->paddleSprite, nullptr);
    EXPECT_NE(paddle->paddleSprite, source->paddleSprite);
    EXPECT_FLOAT_EQ(paddle->paddleSprite->xScale, 2.0f);
    EXPECT_FLOAT_EQ(paddle->paddleSprite->x, 300.0f);
    EXPECT_EQ(paddle->paddleSprite->animationArray.size(), 2u);

    // A paddle copying itself keeps a whole body; a missing source leaves it as it was.
    paddle->Clone(paddle);
    EXPECT_EQ(paddle->paddleSprite->animationArray.size(), 2u);
    SpritePtr body = paddle->paddleSprite;
    paddle->Clone(nullptr);
    EXPECT_EQ(LogLinesWith("paddle:Paddle.Clone() Attempt to access field or method of Null object"), 1);
    EXPECT_EQ(paddle->paddleSprite, body);
    EXPECT_EQ(body->animationArray.size(), 2u);
    source->Unlink();
    paddle->Unlink();
}

TEST_F(PaddleTest, FollowsTheMouseBetweenTheWalls) {
    struct Case {
        const char* what;
        float startX, xScale, mouse, modifier;
        float x, dX;
    };
    const Case cases[] = {
        {"right by 5", 300, 1, 5, 1, 305, -5},
        {"left, halved by the modifier", 300, 1, -12, 0.5f, 294, 6},
        {"doubled by the modifier", 300, 1, 10, 2, 320, -20},
        {"past the left wall", 10, 1, -20, 1, 4, 6},
        {"onto the left wall", 14, 1, -10, 1, 4, 10},
        {"past the right wall: right edge at 724", 600, 1, 50, 1, 624, -24},
        {"right edge exactly on the wall", 620, 1, 4, 1, 624, -4},
        {"wide paddle past the right wall", 560, 2, 30, 1, 524, 36},
        {"wider than the field: the left wall wins", 600, 8, 0, 1, 4, 596},
        {"wider than the field, already on the left wall", 4, 8, 0, 1, 4, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PaddlePtr paddle = MakePaddle(c.startX, 700);
        paddle->paddleSprite->xScale = c.xScale;
        g_MouseXSpeed = c.mouse;
        g_paddlePositionModifier = c.modifier;
        // The argument plays no part.
        EXPECT_EQ(paddle->Update(-999.0f), 0);
        EXPECT_FLOAT_EQ(paddle->paddleSprite->x, c.x);
        EXPECT_FLOAT_EQ(paddle->dX, c.dX);
        EXPECT_FLOAT_EQ(paddle->paddleSprite->y, 700.0f);
        // At rest the paddle stays where the walls put it.
        g_MouseXSpeed = 0.0f;
        paddle->Update(0.0f);
        EXPECT_FLOAT_EQ(paddle->paddleSprite->x, c.x);
        EXPECT_FLOAT_EQ(paddle->dX, 0.0f);
        paddle->Unlink();
    }
    EXPECT_TRUE(DebugLogLines().empty());
}

TEST_F(PaddleTest, AShakenPaddleIsDamped) {
    // maxShake 8; the shake fades by dShake x speed in the sprite's own update, after the move.
    struct Case {
        const char* what;
        float shake, maxShake, startX, mouse;
        float x, shakeAfter;
    };
    const Case cases[] = {
        {"still: full move", 0, 8, 300, 8, 308, 0},
        {"shake begins: a little under half", 1, 8, 300, 8, 303, 0},
        {"quarter of the ceiling: a quarter move", 2, 8, 300, 8, 302, 1},
        {"half the ceiling: stuck", 4, 8, 300, 8, 300, 3},
        {"full shake: stuck", 8, 8, 300, -8, 300, 7},
        {"no ceiling: stuck", 3, 0, 300, 8, 300, 0},
        {"stuck, yet the wall still moves it", 8, 8, 2, -8, 4, 7},
    };
    g_gameSpeedFactor = 2.0f;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PaddlePtr paddle = MakePaddle(c.startX, 700);
        paddle->paddleSprite->shake = c.shake;
        paddle->paddleSprite->maxShake = c.maxShake;
        paddle->paddleSprite->dShake = -0.5f;
        g_MouseXSpeed = c.mouse;
        paddle->Update(0.0f);
        EXPECT_FLOAT_EQ(paddle->paddleSprite->x, c.x);
        EXPECT_FLOAT_EQ(paddle->dX, c.startX - c.x);
        EXPECT_FLOAT_EQ(paddle->paddleSprite->shake, c.shakeAfter);
        paddle->Unlink();
    }
}

TEST_F(PaddleTest, ADeadPaddleNeitherMovesNorDraws) {
    struct Case {
        const char* what;
        int paddleLive, spriteLive;
        int moves;
    };
    const Case cases[] = {
        {"live", 1, 1, 1},
        {"paddle dead", 0, 1, 0},
        {"dies with its sprite", 1, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PaddlePtr paddle = MakePaddle(300, 700);
        ShowPicture(paddle);
        paddle->isLive = c.paddleLive;
        paddle->paddleSprite->isLive = c.spriteLive;
        paddle->paddleSprite->shake = 1.0f;
        paddle->paddleSprite->dShake = -1.0f;
        paddle->dX = 7.0f;
        g_MouseXSpeed = 10.0f;
        paddle->Update(0.0f);
        EXPECT_EQ(paddle->isLive, c.moves);
        EXPECT_FLOAT_EQ(paddle->paddleSprite->x, c.moves ? 303.75f : 300.0f);
        EXPECT_FLOAT_EQ(paddle->dX, c.moves ? -3.75f : 7.0f);
        // The sprite is updated (its shake fades) only while the paddle lives.
        EXPECT_FLOAT_EQ(paddle->paddleSprite->shake, c.moves ? 0.0f : 1.0f);

        SetViewport(0, 0, 1024, 768);
        StartRecording();
        EXPECT_EQ(paddle->Draw(), 0);
        float drawnX = 0.0f;
        EXPECT_EQ(ImageCalls(StopRecording(), &drawnX), c.moves);
        if (c.moves) {
            EXPECT_FLOAT_EQ(drawnX, 303.75f);
        }
        paddle->Unlink();
    }
}

TEST_F(PaddleTest, FaultsAreLoggedUnderTheirLabels) {
    auto paddle = std::make_shared<Paddle>();
    paddle->Unlink();
    EXPECT_EQ(paddle->Update(0.0f), 0);
    EXPECT_EQ(LogLinesWith("paddle:Paddle.Update() Attempt to access field or method of Null object"), 1);
    EXPECT_EQ(paddle->Draw(), 0);
    EXPECT_EQ(LogLinesWith("paddle:Paddle.Draw() Attempt to access field or method of Null object"), 1);
    // A fresh paddle has a blank body that draws and moves without complaint.
    auto fresh = std::make_shared<Paddle>();
    ASSERT_NE(fresh->paddleSprite, nullptr);
    fresh->Update(0.0f);
    fresh->Draw();
    EXPECT_EQ(LogLinesWith("paddle:"), 2);
    fresh->Unlink();
}

TEST_F(PaddleTest, UnlinkedPaddlesReleaseTheirSpriteTrees) {
    {
        // A template with a child sprite, as a paddle with a part on it.
        SpritePtr bat = GetSpriteByName("bat", sprites);
        auto part = std::make_shared<Sprite>();
        part->LoadFromXML(
            "<sprite><spriteName>part</spriteName><x>5</x><animation><aniName>idle</aniName>"
            "<animationStep><stepName>a</stepName></animationStep></animation></sprite>");
        part->parentSprite = bat;
        bat->childSprites.push_back(part);

        auto source = std::make_shared<Paddle>();
        source->LoadFromXML("<paddle><spriteName>bat</spriteName></paddle>", sprites, 0);
        ASSERT_EQ(source->paddleSprite->childSprites.size(), 1u);
        auto live = std::make_shared<Paddle>();
        for (int restart = 0; restart < 3; ++restart) {
            live->Clone(source);
            g_MouseXSpeed = 3.0f;
            live->Update(0.0f);
            live->paddleSprite->JumpToAnimation("sound_hit");
        }
        source->LoadFromXML("<paddle><spriteName>bat</spriteName></paddle>", sprites, 0);
        live->Unlink();
        live->Unlink();  // harmless twice
        source->Unlink();
    }
    UnlinkAll(sprites);
    EXPECT_EQ(g_debugSpritesInMemory, spritesBefore);
}

}  // namespace
