// Tests of the MD5 digests and the stored hashes that guard player and saved-game files.
#include <gtest/gtest.h>

#include "core/globals.h"
#include "core/hash.h"
#include "support/game_test.h"

namespace {

// The first n letters of the repeating alphabet.
std::string Letters(size_t n) {
    std::string text;
    for (size_t i = 0; i < n; ++i) text += static_cast<char>('a' + i % 26);
    return text;
}

class HashTest : public GameTest {
protected:
    void TearDown() override {
        EXPECT_EQ(g_DebugLog, "");
        GameTest::TearDown();
    }
};

TEST_F(HashTest, DigestsMatchTheReferenceValues) {
    struct Case {
        std::string text;
        const char* digest;
    };
    std::string allBytes;
    for (int i = 0; i < 256; ++i) allBytes += static_cast<char>(i);
    const Case cases[] = {
        // RFC 1321's test suite, in upper case.
        {"", "D41D8CD98F00B204E9800998ECF8427E"},
        {"a", "0CC175B9C0F1B6A831C399E269772661"},
        {"abc", "900150983CD24FB0D6963F7D28E17F72"},
        {"message digest", "F96B697D7CB7938D525A2F31AAF161D0"},
        {"abcdefghijklmnopqrstuvwxyz", "C3FCD3D76192E4007DFB496CCA67E13B"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "D174AB98D277D9F5A5611C2C9F419D9F"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57EDF4A22BE3C955AC49DA2E2107B67A"},
        // Either side of the block boundaries: 55 fits one block, 56 needs two,
        // 119 fits two, 120 needs three.
        {Letters(55), "0D7AE056B2F015CD7DC67494EFD658F1"},
        {Letters(56), "31FCFB5165169EB55898E7E4CF34D19A"},
        {Letters(63), "1B30C0670C15E7DA3C2BA7BCE77EBE99"},
        {Letters(64), "A2EAF6295C32ADC403865FD96A2F182B"},
        {Letters(119), "B05187E08DA41FA3EF16BD56AFAAFD99"},
        {Letters(120), "62AF9B597A9F55E16AB2B897387FC052"},
        // Character 233 is the single byte 0xE9, never a UTF-8 pair.
        {"\xE9", "3406877694691DDD1DFB0ACA54681407"},
        {"caf\xE9", "961F50F6282239D09E48F812C1CA7276"},
        {allBytes, "E2C865DB4162BED963BFAA9EF6AC18F0"},
    };
    for (const Case& c : cases) EXPECT_EQ(MD5(c.text), c.digest) << "length " << c.text.size();
}

TEST_F(HashTest, WordOperations) {
    EXPECT_EQ(WordToHex(0x67452301u), "01234567");
    EXPECT_EQ(WordToHex(0xEFCDAB89u), "89ABCDEF");
    EXPECT_EQ(RotateLeft(0x80000001u, 1), 0x00000003u);
    EXPECT_EQ(RotateLeft(0x12345678u, 31), 0x091A2B3Cu);
}

TEST_F(HashTest, StoredDigestTestsExactly) {
    Hash fresh;
    EXPECT_EQ(fresh.hash, "");
    EXPECT_EQ(fresh.TestHash(""), 0);
    EXPECT_EQ(fresh.TestHash("Nameless Wonder"), 0);

    Hash stored;
    EXPECT_EQ(stored.UpdateHash("Nameless Wonder"), 0);
    EXPECT_EQ(stored.hash, MD5("Nameless Wonder"));
    struct Case {
        const char* text;
        int expected;
    };
    const Case cases[] = {
        {"Nameless Wonder", 1},
        // One character off, a trailing blank, letter case.
        {"Nameless Wondes", 0},
        {"Nameless Wonder ", 0},
        {"nameless wonder", 0},
        {"", 0},
    };
    for (const Case& c : cases) EXPECT_EQ(stored.TestHash(c.text), c.expected) << c.text;

    // A digest stored in lower case names the same bytes but never matches.
    Hash lower;
    for (char ch : MD5("abc")) lower.hash += static_cast<char>(ch >= 'A' && ch <= 'F' ? ch + 32 : ch);
    EXPECT_EQ(lower.TestHash("abc"), 0);

    // A new digest replaces the old one.
    stored.UpdateHash("other");
    EXPECT_EQ(stored.TestHash("Nameless Wonder"), 0);
    EXPECT_EQ(stored.TestHash("other"), 1);
}

}  // namespace
