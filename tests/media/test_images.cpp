// Named images: what an "image" element loads, the texture flags by machine class, how
// Draw sets up the screen, bad strips and frames, and the lookup by name.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

#include "core/globals.h"
#include "media/images.h"
#include "platform/graphics.h"
#include "platform/runtime.h"
#include "support/game_test.h"
#include "text/parser.h"

namespace {

std::string MediaFixtures() { return FixturePath("media/"); }

std::vector<std::string> LogLines() { return DebugLogLines(); }

// Progress notes are silent, as in the shipped table; a missing file or name raises, so
// the handler of the method that reported it logs it.
void UseErrorTable(int noteSeverity = 0) {
    g_errorcode = {1, -13, -14};
    g_errorseverity = {noteSeverity, 3, 3};
    g_errormessage = {"Progress note", "File missing", "Not found"};
}

class ImageTest : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        g_debugLogQuiet = 1;
        UseErrorTable();
        SetOrigin(0, 0);
        SetTransform(0, 1, 1);
        SetBlend(MASKBLEND);
        SetColor(255, 255, 255);
        SetAlpha(1);
    }

    static ImagePtr Load(const std::string& xml) {
        auto image = std::make_shared<Image>();
        image->LoadFromXML(xml, MediaFixtures());
        return image;
    }
};

const std::string kMissing = "File missing (missing image: ";

// ---------------------------------------------------------------------------
// Reading an element.

TEST_F(ImageTest, AFullElementSetsEveryField) {
    ImagePtr image = Load(
        "<image>\n\t<fileName>picture.png</fileName>\n\t<name>hero</name>\n\t<alpha>0.5</alpha>\n"
        "\t<blendMode>LIGHTBLEND</blendMode>\n\t<handleX>3</handleX>\n\t<handleY>4.5</handleY>\n"
        "\t<originX>-2</originX>\n\t<originY>7</originY>\n\t<xScale>2</xScale>\n\t<yScale>0.5</yScale>\n"
        "\t<mipMap>1</mipMap>\n\t<filter>0</filter>\n</image>\n");
    EXPECT_EQ(image->fileName, MediaFixtures() + "picture.png");
    EXPECT_EQ(image->name, "hero");
    EXPECT_FLOAT_EQ(image->alpha, 0.5f);
    EXPECT_EQ(image->blendMode, "LIGHTBLEND");
    EXPECT_FLOAT_EQ(image->handleX, 3.0f);
    EXPECT_FLOAT_EQ(image->handleY, 4.5f);
    EXPECT_FLOAT_EQ(image->originX, -2.0f);
    EXPECT_FLOAT_EQ(image->originY, 7.0f);
    EXPECT_FLOAT_EQ(image->xScale, 2.0f);
    EXPECT_FLOAT_EQ(image->yScale, 0.5f);
    EXPECT_EQ(image->mipMap, 1);
    EXPECT_EQ(image->filter, 0);
    EXPECT_EQ(image->frames, 1);
    ASSERT_NE(image->imageData, nullptr);
    EXPECT_FLOAT_EQ(image->width, 48.0f);
    EXPECT_FLOAT_EQ(image->height, 24.0f);
    EXPECT_FLOAT_EQ(image->GetWidth(), 48.0f);
    EXPECT_FLOAT_EQ(image->GetHeight(), 24.0f);
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(ImageTest, AnEmptyElementNamesTheFolderAndIsInvisible) {
    ImagePtr image = Load("<image></image>");
    EXPECT_EQ(image->fileName, MediaFixtures());
    EXPECT_EQ(image->name, "");
    EXPECT_EQ(image->alpha, 0.0f);  // not the constructor's 1
    EXPECT_EQ(image->blendMode, "");
    EXPECT_EQ(image->xScale, 1.0f);
    EXPECT_EQ(image->filter, 1);
    EXPECT_EQ(image->mipMap, 0);
    EXPECT_EQ(image->imageData, nullptr);
    EXPECT_EQ(image->GetWidth(), 0.0f);
    std::vector<std::string> lines = LogLines();
    ASSERT_EQ(lines.size(), 2u) << g_DebugLog;
    EXPECT_EQ(lines[0], " ERR: " + kMissing + MediaFixtures() + ")");
    EXPECT_EQ(lines[1], "images:Image.LoadFromFile() " + kMissing + MediaFixtures() + ")");
}

TEST_F(ImageTest, TypedTagsKeepTheirDefaultsOnZeroOrJunk) {
    struct Case {
        const char* tags;
        float xScale;
        int mipMap, filter;
    } cases[] = {
        {"<xScale>0</xScale>", 1.0f, 0, 1},
        {"<xScale>abc</xScale>", 1.0f, 0, 1},
        {"<mipMap>0</mipMap><filter>0</filter>", 1.0f, 0, 0},
        {"<filter>abc</filter><mipMap> 1 </mipMap>", 1.0f, 1, 1},
        {"<XSCALE>3</XSCALE><xScale>1.5</xScale>", 1.5f, 0, 1},  // the last one of any case
    };
    for (const Case& c : cases) {
        ImagePtr image = Load(std::string("<fileName>picture.png</fileName>") + c.tags);
        EXPECT_FLOAT_EQ(image->xScale, c.xScale) << c.tags;
        EXPECT_EQ(image->mipMap, c.mipMap) << c.tags;
        EXPECT_EQ(image->filter, c.filter) << c.tags;
    }
}

TEST_F(ImageTest, SingleFrameTextsIgnoreTheFrameSize) {
    for (const char* frames : {"", "<frames>1</frames>", "<frames> 1 </frames>", "<frames>0</frames>"}) {
        ImagePtr image =
            Load(std::string("<fileName>picture.png</fileName><frameWidth>8</frameWidth><frameHeight>8</frameHeight>") +
                 frames);
        EXPECT_EQ(image->frames, 1) << frames;
        ASSERT_NE(image->imageData, nullptr) << frames;
        EXPECT_EQ(ImageFrames(image->imageData), 1) << frames;
        EXPECT_FLOAT_EQ(image->width, 48.0f) << frames;
        EXPECT_FLOAT_EQ(image->height, 24.0f) << frames;
    }
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(ImageTest, AStripIsCutRowByRowAndMasked) {
    ImagePtr image = Load(
        "<fileName>strip.png</fileName><name>s</name><frames>4</frames>"
        "<frameWidth>32</frameWidth><frameHeight>32</frameHeight>");
    ASSERT_NE(image->imageData, nullptr);
    ASSERT_EQ(ImageFrames(image->imageData), 4);
    EXPECT_EQ(image->GetFrames(), 4);
    EXPECT_FLOAT_EQ(image->GetWidth(), 32.0f);
    const int colours[4][3] = {{220, 30, 30}, {30, 200, 40}, {40, 60, 220}, {230, 220, 30}};
    for (int f = 0; f < 4; ++f) {
        const uint8_t* p = image->imageData->frames[f]->PixelPtr(16, 16);
        EXPECT_EQ(p[0], colours[f][0]) << "frame " << f;
        EXPECT_EQ(p[1], colours[f][1]) << "frame " << f;
        EXPECT_EQ(p[2], colours[f][2]) << "frame " << f;
        EXPECT_EQ(p[3], 255) << "frame " << f;
    }
    // The black corner of the last cell became transparent.
    EXPECT_EQ(image->imageData->frames[3]->PixelPtr(0, 0)[3], 0);
}

// A strip that cannot be cut is reported like an unreadable picture; the image keeps the
// size it was given and draws nothing.
TEST_F(ImageTest, StripsThatCannotBeCutAreReported) {
    struct Case {
        const char* frames;
        const char* frameWidth;
        const char* frameHeight;
        int expectFrames;
    } cases[] = {
        {"5", "32", "32", 5},                            // the picture holds only four cells
        {"-2", "32", "32", -2},                          // no frames
        {"   ", "32", "32", 0},                          // a blank text reads as 0 frames
        {"abc", "32", "32", 0}, {"2", "0.5", "32", 2},   // a cell below one pixel
        {"2", "32", "0", 2},    {"2", "1e30", "32", 2},  // more than any int
        {"2", "32", "nan", 2},  {"2", "-inf", "32", 2},
    };
    for (const Case& c : cases) {
        g_DebugLog.clear();
        ImagePtr image =
            Load(std::string("<fileName>strip.png</fileName><frames>") + c.frames + "</frames><frameWidth>" +
                 c.frameWidth + "</frameWidth><frameHeight>" + c.frameHeight + "</frameHeight>");
        EXPECT_EQ(image->imageData, nullptr) << c.frames << " " << c.frameWidth << " " << c.frameHeight;
        EXPECT_EQ(image->frames, c.expectFrames) << c.frames;
        EXPECT_NE(g_DebugLog.find("images:Image.LoadFromFile() " + kMissing + MediaFixtures() + "strip.png)"),
                  std::string::npos)
            << c.frames << " " << c.frameWidth << " " << c.frameHeight << "\n"
            << g_DebugLog;
        StartRecording();
        EXPECT_EQ(image->Draw(10, 10, 0, 1, 1, 255, 255, 255, 1, 0, 0, 0), 0);
        EXPECT_TRUE(StopRecording().empty());
    }
}

TEST_F(ImageTest, AFailedPictureKeepsTheSizeItWasGiven) {
    auto image = std::make_shared<Image>();
    image->LoadFromFile(MediaFixtures() + "absent.png", "gone", 3, 12.5f, 7.0f);
    EXPECT_EQ(image->imageData, nullptr);
    EXPECT_EQ(image->name, "gone");
    EXPECT_FLOAT_EQ(image->width, 12.5f);
    EXPECT_FLOAT_EQ(image->height, 7.0f);
    EXPECT_EQ(image->GetWidth(), 0.0f);
}

TEST_F(ImageTest, ProgressNotesFrameTheLoadEvenWhenItFails) {
    UseErrorTable(1);
    Load("<fileName>absent.png</fileName><name>ghost</name>");
    std::string path = MediaFixtures() + "absent.png";
    std::vector<std::string> expected = {
        " NOTE: Progress note (Loading image data from XML: " + path + ")",
        " NOTE: Progress note (Loading image \"" + path + "\"...)",
        " ERR: " + kMissing + path + ")",
        "images:Image.LoadFromFile() " + kMissing + path + ")",
        " NOTE: Progress note (Loaded image \"ghost\" from XML)",
    };
    EXPECT_EQ(LogLines(), expected);
}

// ---------------------------------------------------------------------------
// Texture flags.

TEST_F(ImageTest, SinglePictureFlagsFollowTheMachineAndTheOptions) {
    struct Case {
        int fast, filter, mipMap, flags;
    } cases[] = {
        {1, 1, 0, FILTEREDIMAGE},  // the defaults
        {1, 1, 1, FILTEREDIMAGE | MIPMAPPEDIMAGE},
        {1, 0, 1, MIPMAPPEDIMAGE},
        {1, 0, 0, 0},
        {1, 2, 1, 0},
        {1, 1, 2, 0},
        {2, 1, 1, FILTEREDIMAGE | MIPMAPPEDIMAGE},  // any machine class but 0 is fast
        {0, 1, 0, 0},
        {0, 1, 1, 0},
        {0, 0, 1, 0},
    };
    for (const Case& c : cases) {
        g_isFastComputer = c.fast;
        ImagePtr image = Load("<fileName>picture.png</fileName><filter>" + IntToText(c.filter) + "</filter><mipMap>" +
                              IntToText(c.mipMap) + "</mipMap>");
        ASSERT_NE(image->imageData, nullptr);
        EXPECT_EQ(image->imageData->flags, c.flags)
            << "fast " << c.fast << " filter " << c.filter << " mipMap " << c.mipMap;
    }
}

TEST_F(ImageTest, StripsAreAlwaysMaskedAndFiltered) {
    for (int fast : {0, 1}) {
        for (const char* options :
             {"", "<filter>0</filter>", "<mipMap>1</mipMap>", "<filter>1</filter><mipMap>1</mipMap>"}) {
            g_isFastComputer = fast;
            ImagePtr image =
                Load(std::string("<fileName>strip.png</fileName><frames>2</frames><frameWidth>32</frameWidth>"
                                 "<frameHeight>32</frameHeight>") +
                     options);
            ASSERT_NE(image->imageData, nullptr);
            EXPECT_EQ(image->imageData->flags, MASKEDIMAGE | FILTEREDIMAGE) << "fast " << fast << " " << options;
        }
    }
}

// ---------------------------------------------------------------------------
// Drawing.

struct Placed {
    DrawCall call;
    bool drawn = false;
};

Placed DrawOnce(Image& image, float x, float y, float rotation, float sx, float sy, float alpha, int frame = 0,
                float hdx = 0, float hdy = 0) {
    StartRecording();
    image.Draw(x, y, rotation, sx, sy, 10, 20, 30, alpha, frame, hdx, hdy);
    std::vector<DrawCall> calls = StopRecording();
    Placed placed;
    if (calls.size() == 1 && calls[0].kind == DrawKind::Image) {
        placed.call = calls[0];
        placed.drawn = true;
    }
    return placed;
}

TEST_F(ImageTest, DrawPlacesTheHandleOriginAndScaleOnTheScreen) {
    struct Case {
        float wf, hf;
        float handleX, handleY, originX, originY, xScale, yScale;
        float x, y, rotation, sx, sy, hdx, hdy;
        // expected
        float originOutX, originOutY, scaleOutX, scaleOutY, posX, posY, imgHandleX, imgHandleY;
    } cases[] = {
        // Unscaled screen: no 1.04, the position as given.
        {1, 1, 4, 2, 0, 0, 1, 1, 100, 50, 0, 1, 1, 0, 0, 0, 0, 1, 1, 100, 50, 4, 2},
        // The draw's handle offsets add to the image's handle.
        {1, 1, 4, 2, 0, 0, 1, 1, 100, 50, 0, 1, 1, 3, -1, 0, 0, 1, 1, 100, 50, 7, 1},
        // Origin scaled by the draw's and the image's scale; rotation passed on.
        {1, 1, 0, 0, 10, -4, 2, 1, 0, 0, 30, 1.5f, 1, 0, 0, 30, -4, 3, 1, 0, 0, 0, 0},
        // Both axes scaled: each gets 1.04 on top of the screen factor.
        {1.25f,
         1.25f,
         0,
         0,
         8,
         8,
         1,
         1,
         100,
         100,
         0,
         1,
         1,
         0,
         0,
         8 * 1.04f * 1.25f,
         8 * 1.04f * 1.25f,
         1.04f * 1.25f,
         1.04f * 1.25f,
         125,
         125,
         0,
         0},
        // Only the vertical factor differs from 1: only it gets 1.04.
        {1, 1.25f, 0, 0, 0, 0, 2, 1, 40, 40, 0, 1, 1, 0, 0, 0, 0, 2, 1.04f * 1.25f, 40, 50, 0, 0},
    };
    for (const Case& c : cases) {
        g_widthFactor = c.wf;
        g_heightFactor = c.hf;
        ImagePtr image = Load("<fileName>picture.png</fileName><alpha>1</alpha>");
        image->handleX = c.handleX;
        image->handleY = c.handleY;
        image->originX = c.originX;
        image->originY = c.originY;
        image->xScale = c.xScale;
        image->yScale = c.yScale;
        Placed p = DrawOnce(*image, c.x, c.y, c.rotation, c.sx, c.sy, 1, 0, c.hdx, c.hdy);
        ASSERT_TRUE(p.drawn);
        const DrawState& s = p.call.state;
        SCOPED_TRACE(testing::Message() << "case at (" << c.x << ", " << c.y << ") wf " << c.wf << " hf " << c.hf);
        EXPECT_FLOAT_EQ(s.originX, c.originOutX);
        EXPECT_FLOAT_EQ(s.originY, c.originOutY);
        EXPECT_FLOAT_EQ(s.scaleX, c.scaleOutX);
        EXPECT_FLOAT_EQ(s.scaleY, c.scaleOutY);
        EXPECT_FLOAT_EQ(s.rotation, c.rotation);
        EXPECT_FLOAT_EQ(p.call.x, c.posX);
        EXPECT_FLOAT_EQ(p.call.y, c.posY);
        EXPECT_FLOAT_EQ(image->imageData->handleX, c.imgHandleX);
        EXPECT_FLOAT_EQ(image->imageData->handleY, c.imgHandleY);
        EXPECT_EQ(s.red, 10);
        EXPECT_EQ(s.green, 20);
        EXPECT_EQ(s.blue, 30);
    }
}

TEST_F(ImageTest, DrawCornersLandAroundTheHandle) {
    ImagePtr image = Load("<fileName>picture.png</fileName><alpha>1</alpha><handleX>24</handleX><handleY>12</handleY>");
    Placed p = DrawOnce(*image, 200, 100, 0, 2, 1, 1);
    ASSERT_TRUE(p.drawn);
    ASSERT_EQ(p.call.corners.size(), 4u);
    // 48 x 24 picture, handle at its centre, twice as wide.
    EXPECT_FLOAT_EQ(p.call.corners[0].x, 152);
    EXPECT_FLOAT_EQ(p.call.corners[0].y, 88);
    EXPECT_FLOAT_EQ(p.call.corners[2].x, 248);
    EXPECT_FLOAT_EQ(p.call.corners[2].y, 112);
}

TEST_F(ImageTest, DrawBlendsByTheExactName) {
    struct Case {
        const char* name;
        int blend;
    } cases[] = {
        {"SOLIDBLEND", SOLIDBLEND}, {"MASKBLEND", MASKBLEND},   {"LIGHTBLEND", LIGHTBLEND}, {"SHADEBLEND", SHADEBLEND},
        {"ALPHABLEND", ALPHABLEND}, {"solidblend", ALPHABLEND}, {"", ALPHABLEND},           {"GLOW", ALPHABLEND},
    };
    ImagePtr image = Load("<fileName>picture.png</fileName><alpha>1</alpha>");
    for (const Case& c : cases) {
        image->blendMode = c.name;
        Placed p = DrawOnce(*image, 0, 0, 0, 1, 1, 1);
        ASSERT_TRUE(p.drawn);
        EXPECT_EQ(p.call.state.blend, c.blend) << c.name;
    }
}

TEST_F(ImageTest, DrawAlphaIsTheProductLimitedToZeroAndOne) {
    struct Case {
        float imageAlpha, drawAlpha, expected;
    } cases[] = {
        {1.0f, 1.0f, 1.0f},
        {0.5f, 0.5f, 0.25f},
        {0.5f, 3.0f, 1.0f},
        {0.5f, -1.0f, 0.0f},
        {0.0f, 1.0f, 0.0f},  // an element without alpha stays invisible
        {1.0f, std::numeric_limits<float>::quiet_NaN(), 0.0f},
        {std::numeric_limits<float>::infinity(), 0.0f, 0.0f},  // infinity times 0 is not a number
    };
    ImagePtr image = Load("<fileName>picture.png</fileName>");
    for (const Case& c : cases) {
        image->alpha = c.imageAlpha;
        Placed p = DrawOnce(*image, 0, 0, 0, 1, 1, c.drawAlpha);
        ASSERT_TRUE(p.drawn);
        EXPECT_FLOAT_EQ(p.call.state.alpha, c.expected) << c.imageAlpha << " x " << c.drawAlpha;
    }
}

TEST_F(ImageTest, FramesOutsideThePictureDrawNothing) {
    ImagePtr single = Load("<fileName>picture.png</fileName><alpha>1</alpha>");
    ImagePtr strip = Load(
        "<fileName>strip.png</fileName><alpha>1</alpha><frames>4</frames><frameWidth>32</frameWidth>"
        "<frameHeight>32</frameHeight>");
    auto empty = std::make_shared<Image>();
    struct Case {
        Image* image;
        int frame;
        bool drawn;
    } cases[] = {
        {single.get(), 0, true}, {single.get(), 1, false},      {single.get(), -1, false}, {strip.get(), 3, true},
        {strip.get(), 4, false}, {strip.get(), 1000000, false}, {empty.get(), 0, false},
    };
    for (const Case& c : cases) {
        SetBlend(MASKBLEND);
        Placed p = DrawOnce(*c.image, 5, 5, 0, 1, 1, 1, c.frame);
        EXPECT_EQ(p.drawn, c.drawn) << c.image->fileName << " frame " << c.frame;
        if (p.drawn) {
            EXPECT_EQ(p.call.frame, c.frame);
        } else {
            // Nothing drawn, nothing changed.
            EXPECT_EQ(GetBlend(), MASKBLEND);
        }
    }
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(ImageTest, SetBlendModeStoresTheNameDrawKnows) {
    auto image = std::make_shared<Image>();
    struct Case {
        int mode;
        const char* name;
    } cases[] = {{1, "MASKBLEND"},  {2, "SOLIDBLEND"}, {3, "ALPHABLEND"}, {4, "LIGHTBLEND"},
                 {5, "SHADEBLEND"}, {0, "0"},          {7, "7"}};
    for (const Case& c : cases) {
        image->SetBlendMode(c.mode);
        EXPECT_EQ(image->GetBlendMode(), c.name);
    }
    image->SetImageAlpha(2.5f);
    EXPECT_EQ(image->GetImageAlpha(), 2.5f);
}

// ---------------------------------------------------------------------------
// Lookup, arrays and clones.

TEST_F(ImageTest, GetImageByNameFindsTheFirstExactMatch) {
    std::vector<ImagePtr> images;
    for (const char* name : {"ball", "", "Ball", "ball"}) {
        images = AppendNewImage(images);
        images.back()->name = name;
    }
    images.insert(images.begin(), nullptr);  // a hole never matches

    struct Case {
        const char* name;
        int index;  // -1: null
        bool reported;
    } cases[] = {
        {"ball", 1, false},        {"Ball", 3, false},          {"", 2, false},
        {"BALL", -1, true},        {"_frozen_ball", -1, false}, {"_frozen_", -1, false},
        {"_frozenball", -1, true},
    };
    for (const Case& c : cases) {
        g_DebugLog.clear();
        ImagePtr found = GetImageByName(c.name, images);
        if (c.index < 0) {
            EXPECT_EQ(found, nullptr) << c.name;
        } else {
            EXPECT_EQ(found, images[c.index]) << c.name;
        }
        std::string report =
            "images:GetImageByName() Not found (Could not find image named \"" + std::string(c.name) + "\".)";
        EXPECT_EQ(g_DebugLog.find(report) != std::string::npos, c.reported) << c.name << "\n" << g_DebugLog;
    }

    g_DebugLog.clear();
    EXPECT_EQ(GetImageByName("x", {}), nullptr);
    EXPECT_NE(g_DebugLog.find("Could not find image named \"x\"."), std::string::npos);
    g_DebugLog.clear();
    EXPECT_EQ(GetImageByName("_frozen_x", {}), nullptr);
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(ImageTest, AppendNewImageKeepsTheOrderAndAddsADefault) {
    std::vector<ImagePtr> one = AppendNewImage({});
    ASSERT_EQ(one.size(), 1u);
    const Image& fresh = *one[0];
    EXPECT_EQ(fresh.imageData, nullptr);
    EXPECT_EQ(fresh.frames, 1);
    EXPECT_EQ(fresh.alpha, 1.0f);
    EXPECT_EQ(fresh.xScale, 1.0f);
    EXPECT_EQ(fresh.blendMode, "ALPHABLEND");
    EXPECT_EQ(fresh.filter, 1);
    EXPECT_EQ(fresh.mipMap, 0);
    std::vector<ImagePtr> two = AppendNewImage(one);
    ASSERT_EQ(two.size(), 2u);
    EXPECT_EQ(two[0], one[0]);
    EXPECT_NE(two[1], one[0]);
}

TEST_F(ImageTest, ClonesShareThePictureAndUnlinkOnlyTheirOwn) {
    ImagePtr source = Load(
        "<fileName>picture.png</fileName><name>n</name><alpha>0.75</alpha><blendMode>SHADEBLEND</blendMode>"
        "<handleX>2</handleX><originY>3</originY><yScale>4</yScale><mipMap>1</mipMap>");
    auto clone = std::make_shared<Image>();
    clone->Clone(source);
    EXPECT_EQ(clone->imageData, source->imageData);
    EXPECT_EQ(clone->fileName, source->fileName);
    EXPECT_EQ(clone->name, "n");
    EXPECT_EQ(clone->alpha, 0.75f);
    EXPECT_EQ(clone->blendMode, "SHADEBLEND");
    EXPECT_EQ(clone->handleX, 2.0f);
    EXPECT_EQ(clone->originY, 3.0f);
    EXPECT_EQ(clone->yScale, 4.0f);
    EXPECT_EQ(clone->mipMap, 1);
    EXPECT_EQ(clone->width, 48.0f);
    clone->Unlink();
    EXPECT_EQ(clone->imageData, nullptr);
    EXPECT_NE(source->imageData, nullptr);
    EXPECT_EQ(clone->name, "n");  // Unlink drops only the picture

    EXPECT_EQ(clone->Clone(nullptr), 0);
    EXPECT_EQ(LogLines(), std::vector<std::string>{"images:Image.Clone() " + std::string(kNullAccessMessage)});
}

}  // namespace
