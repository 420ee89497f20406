// Tests of the runtime: random numbers, the clock, checked access, text conversion,
// console output, alerts and shutdown order.
#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <regex>
#include <set>
#include <sstream>

#include "platform/runtime.h"
#include "support/scratch_folder.h"

namespace {

TEST(Random, RandStaysInRangeAndReachesBothEnds) {
    struct Case {
        int a, b;
    };
    const Case cases[] = {{1, 6}, {6, 1}, {-3, 3}, {0, 1}, {-10, -8}, {INT_MAX - 2, INT_MAX}, {INT_MIN, INT_MIN + 2}};
    SeedRnd(42);
    for (const Case& c : cases) {
        int lo = std::min(c.a, c.b), hi = std::max(c.a, c.b);
        std::set<int> seen;
        for (int i = 0; i < 2000; ++i) {
            int v = Rand(c.a, c.b);
            ASSERT_GE(v, lo) << c.a << ".." << c.b;
            ASSERT_LE(v, hi) << c.a << ".." << c.b;
            seen.insert(v);
        }
        EXPECT_EQ(seen.count(lo), 1u) << c.a << ".." << c.b;
        EXPECT_EQ(seen.count(hi), 1u) << c.a << ".." << c.b;
    }
    EXPECT_EQ(Rand(7, 7), 7);
}

TEST(Random, RealDrawsStayInTheirHalfOpenRange) {
    SeedRnd(7);
    for (int i = 0; i < 5000; ++i) {
        double d = RndDouble();
        float f = RndFloat();
        double r = Rnd(5.0, -2.5);
        ASSERT_TRUE(d >= 0.0 && d < 1.0) << d;
        ASSERT_TRUE(f >= 0.0f && f < 1.0f) << f;
        ASSERT_TRUE(r >= -2.5 && r < 5.0) << r;
    }
    EXPECT_EQ(Rnd(3.25, 3.25), 3.25);
    EXPECT_EQ(Rnd(-1.0, -1.0), -1.0);
}

TEST(Random, SeedRepeatsTheSequence) {
    auto draw = [] {
        std::ostringstream out;
        for (int i = 0; i < 20; ++i)
            out << Rand(1, 100) << ' ' << Rnd(0.0, 10.0) << ' ' << RndFloat() << ' ' << RndDouble() << ';';
        return out.str();
    };
    SeedRnd(12345);
    EXPECT_EQ(RndSeed(), 12345);
    std::string first = draw();
    SeedRnd(12345);
    EXPECT_EQ(draw(), first);
    SeedRnd(12346);
    EXPECT_NE(draw(), first);
}

// Seeded replays and recorded runs hold the game to the standard Mersenne Twister's numbers:
// over several refills of its state, from seeds at both ends of the range.
TEST(Random, DrawsTheStandardMersenneTwistersNumbers) {
    for (int seed : {0, 1, 99, 0x1234, 12345, INT_MAX, -1, INT_MIN}) {
        SCOPED_TRACE(seed);
        SeedRnd(seed);
        std::mt19937 standard(static_cast<uint32_t>(seed));
        for (int i = 0; i < 2000; ++i) {
            const uint64_t hi = standard() >> 5, lo = standard() >> 6;
            const double d = (static_cast<double>(hi) * 67108864.0 + static_cast<double>(lo)) / 9007199254740992.0;
            ASSERT_EQ(RndDouble(), d) << "draw " << i;
            ASSERT_EQ(RndFloat(), static_cast<float>(standard() >> 8) / 16777216.0f) << "draw " << i;
        }
    }
}

class TestClock : public ::testing::Test {
protected:
    void TearDown() override { UseRealClock(); }
};

TEST_F(TestClock, StepsPerCallAndFrameAndDelayAdvanceIt) {
    UseTestClock(1000, 5, 16);
    EXPECT_TRUE(UsingTestClock());
    EXPECT_EQ(MilliSecs(), 1000);
    EXPECT_EQ(MilliSecs(), 1005);
    Delay(100);
    EXPECT_EQ(MilliSecs(), 1110);
    ClockFrameTick();
    EXPECT_EQ(MilliSecs(), 1131);
    AdvanceTestClock(-36);
    EXPECT_EQ(MilliSecs(), 1100);
    Delay(-50);  // nothing happens for negative delays
    EXPECT_EQ(MilliSecs(), 1105);
}

TEST_F(TestClock, WrapsAsASigned32BitCount) {
    UseTestClock(INT_MAX - 1, 1);
    int before = MilliSecs();
    EXPECT_EQ(MilliSecs(), INT_MAX);
    int after = MilliSecs();
    EXPECT_EQ(after, INT_MIN);
    // Durations are wrap-around differences.
    EXPECT_EQ(static_cast<int>(static_cast<uint32_t>(after) - static_cast<uint32_t>(before)), 2);
}

TEST_F(TestClock, RealClockMovesWithDelay) {
    UseTestClock(5, 0, 0);
    UseRealClock();
    EXPECT_FALSE(UsingTestClock());
    int start = MilliSecs();
    Delay(30);
    int elapsed = static_cast<int>(static_cast<uint32_t>(MilliSecs()) - static_cast<uint32_t>(start));
    EXPECT_GE(elapsed, 30);
    EXPECT_LT(elapsed, 5000);
}

TEST(Clock, TimeAndDateTexts) {
    EXPECT_TRUE(std::regex_match(CurrentTime(), std::regex("([01][0-9]|2[0-3]):[0-5][0-9]:[0-5][0-9]")))
        << CurrentTime();
    EXPECT_TRUE(std::regex_match(
        CurrentDate(), std::regex("(0[1-9]|[12][0-9]|3[01]) (Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) "
                                  "[0-9]{4}")))
        << CurrentDate();
}

std::string RaisedText(const std::function<void()>& body) {
    try {
        body();
    } catch (const TRuntimeException& e) {
        return e.ToString();
    }
    return "(nothing raised)";
}

TEST(CheckedAccess, NullAndBadIndexRaiseTheGameException) {
    std::shared_ptr<int> none;
    int* raw = nullptr;
    std::vector<int> three{1, 2, 3};
    EXPECT_EQ(RaisedText([&] { Deref(none); }), kNullAccessMessage);
    EXPECT_EQ(RaisedText([&] { Deref(raw); }), kNullAccessMessage);
    EXPECT_EQ(RaisedText([&] { At(three, -1); }), kBadIndexMessage);
    EXPECT_EQ(RaisedText([&] { At(three, 3); }), kBadIndexMessage);
    EXPECT_EQ(RaisedText([&] { At(three, 1LL << 40); }), kBadIndexMessage);
    EXPECT_EQ(RaisedText([] { RuntimeError("Out of bricks"); }), "Out of bricks");
    EXPECT_STREQ(kNullAccessMessage, "Attempt to access field or method of Null object");
    EXPECT_STREQ(kBadIndexMessage, "Attempt to index array element beyond array length");

    auto value = std::make_shared<int>(9);
    EXPECT_EQ(Deref(value), 9);
    At(three, 2) = 30;
    EXPECT_EQ(three[2], 30);
}

// Each index type checked against the same table. An index below zero reaches an unsigned
// type wrapped to its top, where it must still raise rather than read past the end.
template <class I>
void CheckIndexType(const char* typeName) {
    struct Case {
        long long index;
        bool inRange;
    };
    const Case cases[] = {{-1, false}, {-3, false}, {0, true}, {2, true}, {3, false}, {4, false}};
    std::vector<int> three{10, 20, 30};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(typeName) + " index " + std::to_string(c.index));
        const I i = static_cast<I>(c.index);
        if (c.inRange) {
            EXPECT_EQ(&At(three, i), &three[static_cast<size_t>(c.index)]);
        } else {
            EXPECT_EQ(RaisedText([&] { At(three, i); }), kBadIndexMessage);
        }
    }
}

TEST(CheckedAccess, EveryIndexTypeRaisesOutsideTheArray) {
    CheckIndexType<int>("int");
    CheckIndexType<long long>("long long");
    CheckIndexType<int64_t>("int64_t");
    CheckIndexType<size_t>("size_t");
    CheckIndexType<unsigned>("unsigned");
    // The far ends of the signed types, which no narrowing may bring back into range.
    std::vector<int> one{1};
    EXPECT_EQ(RaisedText([&] { At(one, INT_MIN); }), kBadIndexMessage);
    EXPECT_EQ(RaisedText([&] { At(one, LLONG_MIN); }), kBadIndexMessage);
    EXPECT_EQ(RaisedText([&] { At(one, LLONG_MAX); }), kBadIndexMessage);
}

TEST(Text, Latin1RoundTripsThroughUtf8) {
    std::string all;
    for (int c = 1; c < 256; ++c) all += static_cast<char>(c);
    std::string utf8 = Latin1ToUtf8(all);
    EXPECT_EQ(utf8.size(), 127u + 2u * 128u);
    std::string back;
    EXPECT_TRUE(Utf8ToLatin1(utf8, back));
    EXPECT_EQ(back, all);
    EXPECT_EQ(Latin1ToUtf8("caf\xE9"), "caf\xC3\xA9");
}

TEST(Text, Utf8Decoding) {
    const uint32_t bad = 0xFFFD;
    struct Case {
        const char* name;
        std::string utf8;
        std::vector<uint32_t> codes;
    };
    const Case cases[] = {
        {"plain", "Ab1", {'A', 'b', '1'}},
        {"two bytes", "\xC3\xA9", {233}},
        {"three bytes", "\xE2\x82\xAC", {8364}},
        {"four bytes", "\xF0\x9F\x8E\xB2", {0x1F3B2}},
        {"cut-off three-byte sequence", "a\xE2\x82", {'a', bad, bad}},
        {"cut-off four-byte sequence", "\xF0\x9F", {bad, bad}},
        {"lone continuation", "\x80x", {bad, 'x'}},
        {"bad continuation", "\xC3(", {bad, '('}},
        {"overlong slash", "\xC0\xAF", {bad, bad}},
        {"surrogate", "\xED\xA0\x80", {bad, bad, bad}},
        {"past U+10FFFF", "\xF4\x90\x80\x80", {bad, bad, bad, bad}},
        {"zero byte kept", std::string("a\0b", 3), {'a', 0, 'b'}},
    };
    for (const Case& c : cases) {
        // An exact-size heap copy lets the sanitizer catch a read past the end.
        std::unique_ptr<char[]> exact(new char[c.utf8.size()]);
        std::copy(c.utf8.begin(), c.utf8.end(), exact.get());
        EXPECT_EQ(Utf8Decode(std::string(exact.get(), c.utf8.size())), c.codes) << c.name;
    }

    std::string latin1;
    EXPECT_FALSE(Utf8ToLatin1("5\xE2\x82\xAC!", latin1));
    EXPECT_EQ(latin1, "5!");
    EXPECT_FALSE(Utf8ToLatin1("x\xC3", latin1));
    EXPECT_EQ(latin1, "x");
}

// Runs `body` with standard output sent to a file and returns what it wrote.
std::string CaptureStdout(const std::function<void()>& body) {
    char path[] = "/tmp/bx2-stdout-XXXXXX";
    int fd = mkstemp(path);
    EXPECT_GE(fd, 0);
    std::fflush(stdout);
    int saved = dup(STDOUT_FILENO);
    dup2(fd, STDOUT_FILENO);
    body();
    std::fflush(stdout);
    dup2(saved, STDOUT_FILENO);
    close(saved);
    close(fd);
    std::ifstream in(path, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    unlink(path);
    return text;
}

TEST(Output, PrintWritesOneUtf8Line) {
    EXPECT_EQ(CaptureStdout([] { Print("Caf\xE9 au lait"); }), "Caf\xC3\xA9 au lait\n");
    EXPECT_EQ(CaptureStdout([] { Print(""); }), "\n");
}

// Puts an environment variable back as it was when the test ends.
class EnvGuard {
public:
    explicit EnvGuard(const char* name) : name_(name) {
        const char* v = std::getenv(name);
        had_ = v != nullptr;
        if (had_) value_ = v;
    }
    ~EnvGuard() {
        if (had_) {
            setenv(name_, value_.c_str(), 1);
        } else {
            unsetenv(name_);
        }
    }

private:
    const char* name_;
    bool had_ = false;
    std::string value_;
};

class Alerts : public ::testing::Test {
protected:
    void TearDown() override {
        SetNotifyHook(nullptr);
        SetBackend(Backend::Headless);
    }
    EnvGuard display_{"DISPLAY"}, wayland_{"WAYLAND_DISPLAY"};
};

TEST_F(Alerts, HookReceivesTheAlertInsteadOfAMessageBox) {
    std::vector<std::pair<std::string, bool>> seen;
    SetNotifyHook([&](const std::string& text, bool serious) { seen.emplace_back(text, serious); });
    // Even on the real backend with a display named, the hook takes the alert.
    SetBackend(Backend::Real);
    setenv("DISPLAY", ":93", 1);
    Notify("Pack \xE9t\xE9 missing", true);
    Notify("Saved");
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0], std::make_pair(std::string("Pack \xE9t\xE9 missing"), true));
    EXPECT_EQ(seen[1], std::make_pair(std::string("Saved"), false));
}

TEST_F(Alerts, NeverBlocksWithoutADisplayOrWhenHeadless) {
    struct Case {
        Backend backend;
        const char* display;
    };
    const Case cases[] = {{Backend::Real, nullptr}, {Backend::Headless, ":93"}};
    for (const Case& c : cases) {
        SetBackend(c.backend);
        unsetenv("WAYLAND_DISPLAY");
        if (c.display) {
            setenv("DISPLAY", c.display, 1);
        } else {
            unsetenv("DISPLAY");
        }
        testing::internal::CaptureStderr();
        Notify("No sound device", false);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "No sound device\n");
    }
}

TEST(OutsideWorld, OpenUrlFailsQuietlyWithoutABrowserLauncher) {
    EnvGuard path("PATH");
    ScratchFolder empty;
    ASSERT_FALSE(empty.path().empty());
    setenv("PATH", empty.path().c_str(), 1);
    EXPECT_FALSE(OpenURL("https://example.invalid/"));
}

// The frame time a test run asks for through the environment.
TEST_F(TestClock, FrameTimeFromTheEnvironment) {
    EnvGuard frameMs("BX2_FRAME_MS");
    struct Case {
        const char* value;  // nullptr: not set
        int step;           // 0: the real clock stays, else ms per frame
        bool refused;
    };
    const Case cases[] = {
        {nullptr, 0, false}, {"16", 16, false}, {"1", 1, false},      {"1000000", 1000000, false},
        {"0", 0, true},      {"", 0, true},     {"-5", 0, true},      {"16ms", 0, true},
        {" 16", 0, true},    {"1.5", 0, true},  {"1000001", 0, true}, {"99999999999999999999", 0, true},
    };
    for (const Case& c : cases) {
        const std::string label = c.value ? std::string("\"") + c.value + "\"" : "unset";
        UseRealClock();
        if (c.value) {
            setenv("BX2_FRAME_MS", c.value, 1);
        } else {
            unsetenv("BX2_FRAME_MS");
        }
        testing::internal::CaptureStderr();
        ApplyClockFromEnvironment();
        std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(said.find("BX2_FRAME_MS") != std::string::npos, c.refused) << label << ": " << said;
        EXPECT_EQ(UsingTestClock(), c.step != 0) << label;
        if (c.step == 0) continue;
        // Time stands still between frames and moves by the step at each one.
        int start = MilliSecs();
        EXPECT_EQ(MilliSecs(), start) << label;
        ClockFrameTick();
        ClockFrameTick();
        EXPECT_EQ(MilliSecs() - start, 2 * c.step) << label;
    }
}

TEST(Shutdown, RunsInOrderOnce) {
    std::string order;
    RegisterShutdown(2, [&] { order += "graphics;"; });
    RegisterShutdown(1, [&] { order += "audio;"; });
    RunShutdown();
    RunShutdown();
    EXPECT_EQ(order, "audio;graphics;");
}

}  // namespace
