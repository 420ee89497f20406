// Pack files made large: a copy of the fixture pack with tens of thousands of difficulties and
// level entries loads in time and memory in proportion to its files.
#include <cstdint>
#include <string>

#include "core/io.h"
#include "level/level.h"
#include "pack_support.h"
#include "pieces/allocation_count.h"
#include "pieces/difficulty.h"
#include "support/support.h"

namespace {

using namespace packtest;

// Notes stay out of the log as in the game, so every line in it is a fault.
class PackScale : public PackTest {
protected:
    void SetUp() override {
        PackTest::SetUp();
        g_errorseverity = {0, 3, 3};
    }
};

TEST_F(PackScale, ManyElementsLoadInProportionToTheFiles) {
    constexpr int kDifficulties = 30000, kLevels = 20000;
    ScratchPack copy;
    std::string game = "<game>", levels = "<levels>";
    for (int k = 0; k < kDifficulties; ++k)
        game += "<difficulty><name>D" + IntToText(k) + "</name><dBallStartSpeed>1.5</dBallStartSpeed></difficulty>";
    for (int k = 0; k < kLevels; ++k)
        levels += "<level><levelName>L" + IntToText(k) + "</levelName><fileName>first.xml</fileName></level>";
    ASSERT_TRUE(WriteStringToFile(game + "</game>", copy + "game.xml", 1));
    ASSERT_TRUE(WriteStringToFile(levels + "</levels>", copy + "levels.xml", 1));
    const uint64_t size = game.size() + levels.size();

    const double start = ThreadCpuSeconds();
    allocation::Count memory;
    PackPtr pack = LoadPack(copy.path());
    const double seconds = ThreadCpuSeconds() - start;

    EXPECT_EQ(FaultLines(), std::vector<std::string>());
    ASSERT_EQ(pack->packDifficultyArray.size(), size_t(kDifficulties));
    EXPECT_EQ(pack->packDifficultyArray.back()->name, "D29999");
    ASSERT_EQ(pack->levelsArray.size(), size_t(kLevels));
    EXPECT_EQ(pack->levelsArray.back()->name, "L19999");
    // Growing each array by a copy of it per element handed out gigabytes here.
    EXPECT_LT(memory.Total(), 400 * size + (64u << 20));
    // A backstop far above the sanitizer build's few seconds.
    EXPECT_LT(seconds, 30.0);
    pack->Unlink();
}

}  // namespace
