// Value curves: sampling, normalising, linking by name and reading by progress or by the
// shifter's own clock, as animation steps rely on them while they draw.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

#include "core/globals.h"
#include "core/io.h"
#include "platform/runtime.h"
#include "sprites/shifter.h"
#include "support/game_test.h"
#include "text/parser.h"

namespace {

class Curves : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        g_debugLogQuiet = 1;
        // Notes and missing names only log; a bad index logs and raises.
        g_errorcode = {1, 0, -15};
        g_errorseverity = {1, 1, 2};
        g_errormessage = {"Progress note", "Missing data", "Index out of range"};
    }

    static std::vector<std::string> LogLines() { return DebugLogLines(); }
    static int CountInLog(const std::string& text) {
        int count = 0;
        for (size_t at = g_DebugLog.find(text); at != std::string::npos; at = g_DebugLog.find(text, at + 1)) ++count;
        return count;
    }

    static std::string Element(const std::string& name, const std::string& function, int steps, const char* extra) {
        return "<shifterData><name>" + name + "</name><startX>0</startX><endX>8</endX><totalSteps>" +
               std::to_string(steps) + "</totalSteps><plottingFunction>" + function + "</plottingFunction>" + extra +
               "</shifterData>";
    }
    static ShifterDataPtr Curve(const std::string& xml) {
        auto data = std::make_shared<ShifterData>();
        data->LoadFromXML(xml, "");
        return data;
    }
    // A shifter over data mapping the samples onto 0..255.
    static ShifterPtr ColourShifter(const ShifterDataPtr& data, int stepDuration = 0) {
        auto shifter = std::make_shared<Shifter>();
        shifter->LoadFromXML("<redShift><name>red</name><dataName>" + data->name +
                             "</dataName><startValue>0</startValue><endValue>255</endValue><amplitude>1</amplitude>"
                             "<stepDuration>" +
                             std::to_string(stepDuration) + "</stepDuration></redShift>");
        shifter->SelectShifterDataFromName({data});
        return shifter;
    }
    static std::string Fixture(const std::string& file) {
        return ReadFileToString(FixturePath("sprites/curves/" + file));
    }
};

void ExpectSamples(const std::vector<float>& actual, const std::vector<float>& expected, const std::string& label) {
    ASSERT_EQ(actual.size(), expected.size()) << label;
    for (size_t i = 0; i < expected.size(); ++i) EXPECT_NEAR(actual[i], expected[i], 1e-6) << label << " sample " << i;
}

// ---------------------------------------------------------------------------
// Sampling and normalising

TEST_F(Curves, SamplesFollowTheFormulaAndTheNormalisingRules) {
    const float third = 1.0f / 3.0f;
    struct Case {
        const char* label;
        std::string xml;
        std::vector<float> samples;
        int normalizedAfter;
    } cases[] = {
        // Samples at 0, 2, 4, 6: endX itself is never reached.
        {"linear, raw", Element("a", "VAR", 4, "<isNormalized>0</isNormalized>"), {0, 2, 4, 6}, 0},
        // f - v is 0, -2, -4, -6: negated to end above the start, divided by the last.
        {"linear, one-way", Element("a", "VAR", 4, "<isNormalized>1</isNormalized>"), {0, third, 2 * third, 1}, 1},
        // Periodic: divided by the largest magnitude, with the sign of f - v.
        {"linear, periodic",
         Element("a", "VAR", 4, "<isNormalized>1</isNormalized><isPeriodic>1</isPeriodic>"),
         {0, -third, -2 * third, -1},
         1},
        // A falling raw curve (operands come off the stack top first: 10 - VAR) ends at 1 too.
        {"falling, one-way",
         Element("a", "VAR 10 -", 4, "<isNormalized>1</isNormalized>"),
         {0, third, 2 * third, 1},
         1},
        {"square, one-way",
         Element("a", "VAR VAR *", 4, "<isNormalized>1</isNormalized>"),
         {0, 4.0f / 36, 16.0f / 36, 1},
         1},
        // All equal: the divisor 0 becomes 1e-8 and every sample is 0.
        {"flat, one-way", Element("a", "5", 3, "<isNormalized>1</isNormalized>"), {0, 0, 0}, 1},
        // Without the tag nothing is normalised, whatever the constructor said.
        {"no isNormalized tag", Element("a", "VAR", 4, ""), {0, 2, 4, 6}, 0},
        // Listed samples are kept as they are; a missing one reads 0.
        {"dat list",
         "<shifterData><totalSteps>4</totalSteps><isNormalized>1</isNormalized><dat>0.5</dat>"
         "<dat>-2</dat><dat>7.25</dat></shifterData>",
         {0.5f, -2, 7.25f, 0},
         1},
        {"empty element", "", {}, 0},
        // A negative count is no samples, not a failed allocation.
        {"negative count", Element("a", "VAR", -3, "<isNormalized>0</isNormalized>"), {}, 0},
    };
    for (const Case& c : cases) {
        g_DebugLog.clear();
        ShifterDataPtr data = Curve(c.xml);
        ExpectSamples(data->shift, c.samples, c.label);
        EXPECT_EQ(data->totalSteps, static_cast<int>(c.samples.size())) << c.label;
        EXPECT_EQ(data->isNormalized, c.normalizedAfter) << c.label;
        EXPECT_EQ(g_DebugLog.find("shifter:"), std::string::npos) << c.label << ": " << g_DebugLog;
    }
}

TEST_F(Curves, AHugeSampleCountIsHeldAtTheMostACurveHas) {
    // Two thousand million samples would take 8 GB and as many formula runs at every load.
    for (const int steps : {kMostShifterSteps + 1, 2000000000}) {
        ShifterDataPtr data = Curve(Element("a", "VAR", steps, "<isNormalized>0</isNormalized>"));
        EXPECT_EQ(data->totalSteps, kMostShifterSteps) << steps;
        ASSERT_EQ(data->shift.size(), static_cast<size_t>(kMostShifterSteps)) << steps;
        // The curve spans its range over the samples it has.
        EXPECT_FLOAT_EQ(data->shift.back(), 8.0f * (kMostShifterSteps - 1) / kMostShifterSteps);
        const ShifterPtr shifter = ColourShifter(data);
        EXPECT_EQ(shifter->calculatedValues.size(), static_cast<size_t>(kMostShifterSteps));
    }
    // A file that lists more samples keeps every one of them.
    std::string listed = "<shifterData><name>b</name><totalSteps>2000000000</totalSteps>";
    for (int i = 0; i < kMostShifterSteps + 10; ++i) listed += "<dat>0.5</dat>";
    ShifterDataPtr data = Curve(listed + "</shifterData>");
    EXPECT_EQ(data->totalSteps, kMostShifterSteps + 10);
    EXPECT_EQ(data->shift.back(), 0.5f);
}

TEST_F(Curves, PackCurvesLoadWithTheirNotes) {
    std::string file = Fixture("shifters.xml");
    ASSERT_FALSE(file.empty());
    std::vector<ShifterDataPtr> curves;
    for (int i = 0; i < CountTagsInXML(file, "shifterData"); ++i) {
        curves = AppendNewShifterData(curves);
        curves.back()->LoadFromXML(ExtractTagFromXML(file, "shifterData", i), "");
    }
    ASSERT_EQ(curves.size(), 3u);
    EXPECT_EQ(curves[0]->name, "rise");
    ExpectSamples(curves[0]->shift, {0, 1.0f / 3, 2.0f / 3, 1}, "rise");
    // sin at 0, 90, 180, 270 degrees: 0, 1, 0, -1; f - v over the largest magnitude.
    EXPECT_EQ(curves[1]->name, "wave");
    ExpectSamples(curves[1]->shift, {0, -1, 0, 1}, "wave");
    EXPECT_EQ(curves[2]->name, "steps");
    ExpectSamples(curves[2]->shift, {0.5f, -2, 7.25f}, "steps");
    EXPECT_EQ(LogLines(), (std::vector<std::string>{" NOTE: Progress note (Shift is NOT periodic)",
                                                    " NOTE: Progress note (Shift is periodic)"}));
}

// ---------------------------------------------------------------------------
// Reading

TEST_F(Curves, ProgressPicksTheSampleByTheRules) {
    ShifterPtr shifter = ColourShifter(Curve(Element("rise", "VAR", 4, "<isNormalized>1</isNormalized>")));
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Case {
        float progress;
        float value;
    } cases[] = {
        {-0.5f, 0},   {0.0f, 0},   {0.5f, 85},  // floor(3 x 0.5) = 1
        {0.99f, 170},                           // floor(2.97): only exactly 1 reaches the last sample
        {1.0f, 255},  {1.5f, 255}, {nan, 0},
    };
    for (const Case& c : cases) EXPECT_NEAR(shifter->GetShiftByProgress(c.progress, 1), c.value, 1e-3) << c.progress;
    EXPECT_EQ(shifter->currentStep, 0);

    // Amplitude 0 flattens the curve to startValue + offset.
    shifter->amplitude = 0.0f;
    shifter->startValue = 10.0f;
    shifter->offset = 2.5f;
    shifter->CalculateValues();
    for (float p : {0.0f, 0.5f, 1.0f}) EXPECT_FLOAT_EQ(shifter->GetShiftByProgress(p, 1), 12.5f);
    EXPECT_EQ(g_DebugLog.find("shifter:"), std::string::npos) << g_DebugLog;
}

TEST_F(Curves, OwnClockCyclesThroughTheSamples) {
    ShifterDataPtr rise = Curve(Element("rise", "VAR", 4, "<isNormalized>1</isNormalized>"));
    // stepDuration 3 over 4 samples: the counter stands at 0, 1, 2, 3 before each read, whatever
    // the progress or the game speed.
    g_gameSpeedFactor = 0.25f;
    ShifterPtr clocked = ColourShifter(rise, 3);
    const float expected[] = {0, 85, 170, 255, 0, 85, 170, 255, 0};
    for (float value : expected) EXPECT_NEAR(clocked->GetShiftByProgress(0.9f, 1), value, 1e-3);

    // Without stepping the same shifter follows the progress and its clock stands still.
    int before = clocked->currentStep;
    EXPECT_NEAR(clocked->GetShiftByProgress(1.0f, 0), 255, 1e-3);
    EXPECT_EQ(clocked->currentStep, before);

    // Progress -1 steps the own clock even without a cycle: it stays at 0 and reads sample 0.
    ShifterPtr unclocked = ColourShifter(rise, 0);
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(unclocked->GetShiftByProgress(-1.0f, 1), 0, 1e-3);
        EXPECT_EQ(unclocked->currentStep, 0);
    }

    // A negative cycle length counts as 0: the shifter reads by progress.
    ShifterPtr negative = ColourShifter(rise, -4);
    EXPECT_EQ(negative->stepDuration, 0);
    EXPECT_NEAR(negative->GetShiftByProgress(1.0f, 1), 255, 1e-3);
    EXPECT_NEAR(negative->GetShiftByProgress(0.5f, 1), 85, 1e-3);
    EXPECT_EQ(g_DebugLog.find("shifter:"), std::string::npos) << g_DebugLog;
}

// ---------------------------------------------------------------------------
// Linking and cloning

TEST_F(Curves, LinkedTemplateAndClonesShareTheCurve) {
    ShifterDataPtr wave = Curve(Element("wave", "VAR", 4, "<isNormalized>1</isNormalized><isPeriodic>1</isPeriodic>"));
    ShifterDataPtr rise = Curve(Element("rise", "VAR", 4, "<isNormalized>1</isNormalized>"));
    ShifterDataPtr twin = Curve(Element("rise", "VAR", 4, ""));
    g_DebugLog.clear();

    auto shifter = std::make_shared<Shifter>();
    shifter->LoadFromXML(
        "<alphaShift><name>fade</name><dataName>rise</dataName><startValue>1</startValue>"
        "<endValue>0</endValue><amplitude>1</amplitude><offset>0.5</offset>"
        "<stepDuration>7</stepDuration></alphaShift>");
    EXPECT_EQ(shifter->shiftData->totalSteps, 0);  // its own placeholder until linked
    shifter->SelectShifterDataFromName({wave, rise, twin});
    // The first exact name wins, and the template's table is made there.
    EXPECT_EQ(shifter->shiftData, rise);
    ExpectSamples(shifter->calculatedValues, {1.5f, 1.5f - 1.0f / 3, 1.5f - 2.0f / 3, 0.5f}, "template");
    EXPECT_EQ(LogLines(), std::vector<std::string>{" NOTE: Progress note (calculating \"fade\" shifter values...)"});

    shifter->currentStep = 2;
    auto clone = std::make_shared<Shifter>();
    clone->Clone(shifter);
    EXPECT_EQ(clone->shiftData, rise);
    EXPECT_EQ(clone->name, "fade");
    EXPECT_EQ(clone->dataName, "rise");
    EXPECT_EQ(clone->stepDuration, 7);
    EXPECT_EQ(clone->currentStep, 2);
    EXPECT_FLOAT_EQ(clone->offset, 0.5f);
    EXPECT_TRUE(clone->calculatedValues.empty());
    // Its own table on its first read, equal to the template's.
    clone->GetShift(0, 0);
    EXPECT_EQ(clone->calculatedValues, shifter->calculatedValues);

    // Unlinking a shifter leaves the shared curve to the pack.
    clone->Unlink();
    EXPECT_EQ(clone->shiftData, nullptr);
    EXPECT_TRUE(clone->calculatedValues.empty());
    EXPECT_EQ(rise->shift.size(), 4u);
    rise->Unlink();
    EXPECT_TRUE(rise->shift.empty());
}

TEST_F(Curves, UnresolvedNameReportsOnceThenReadsZero) {
    // Whether the bad-index report only logs or also raises, it shows once for the shifter and
    // all its clones, however many frames draw them.
    for (int severity : {1, 2}) {
        g_errorseverity[2] = severity;
        g_DebugLog.clear();
        g_totalErrors = 0;
        auto shifter = std::make_shared<Shifter>();
        shifter->LoadFromXML(
            "<redShift><name>red</name><dataName>glow</dataName><endValue>255</endValue>"
            "<amplitude>1</amplitude></redShift>");
        shifter->SelectShifterDataFromName({Curve(Element("Glow", "VAR", 4, ""))});
        EXPECT_EQ(shifter->shiftData->totalSteps, 0);
        EXPECT_EQ(CountInLog(" NOTE: Missing data (Could not find shifter data named \"glow\".)"), 1);

        std::vector<ShifterPtr> copies{shifter};
        for (int i = 0; i < 3; ++i) {
            copies.push_back(std::make_shared<Shifter>());
            copies.back()->Clone(shifter);
        }
        // Few enough frames that a report on every read stays below the log's limit.
        for (int frame = 0; frame < 20; ++frame) {
            for (const ShifterPtr& copy : copies) {
                EXPECT_EQ(copy->GetShiftByProgress(frame / 20.0f, 1), 0.0f);
                EXPECT_EQ(copy->GetShift(-1, 1), 0.0f);
            }
        }
        const std::string detail =
            "Index out of range (Debug information: the program asked for element 0 of a shifter that only has 0 "
            "elements.)";
        EXPECT_EQ(CountInLog(detail), severity == 1 ? 1 : 2) << g_DebugLog;  // the raise adds the handler's line
        if (severity == 2) {
            EXPECT_EQ(CountInLog("shifter:Shifter.GetShift() " + detail), 1);
        }
    }

    // A read past the end of a real curve is reported the same way, once.
    ShifterPtr shifter = ColourShifter(Curve(Element("rise", "VAR", 4, "")));
    g_errorseverity[2] = 1;
    g_DebugLog.clear();
    for (int i = 0; i < 5; ++i) EXPECT_EQ(shifter->GetShift(4, 0), 0.0f);
    EXPECT_EQ(CountInLog("asked for element 4 of a shifter that only has 4 elements."), 1);
    EXPECT_EQ(shifter->GetShift(-2, 0), 0.0f);
}

}  // namespace
