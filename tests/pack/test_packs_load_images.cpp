// The classic pack's pictures: every entry of its images.xml names a picture that decodes,
// whose frames fit it, with an alpha that makes it visible; frozen looks match their base
// picture; the level backgrounds are full-screen; no picture file is left unlisted.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/io.h"
#include "platform/image.h"
#include "support/support.h"
#include "text/parser.h"

namespace {

namespace fs = std::filesystem;

std::string PackFolder() {
    return fs::weakly_canonical(FixturePath("../../resources/")).string() + "/data/packs/classic/";
}

struct Entry {
    std::string name;
    std::string fileName;
    std::string frames;
    std::string frameWidth;
    std::string frameHeight;
    std::string alpha;
};

std::vector<Entry> ReadEntries() {
    const std::string xml = ReadFileToString(PackFolder() + "images.xml", 1);
    std::vector<Entry> entries;
    for (const std::string& element : ExtractListFromXML(xml, "image")) {
        entries.push_back({GetDataFromXML(element, "name"), GetDataFromXML(element, "fileName"),
                           GetDataFromXML(element, "frames"), GetDataFromXML(element, "frameWidth"),
                           GetDataFromXML(element, "frameHeight"), GetDataFromXML(element, "alpha")});
    }
    return entries;
}

// A number text as the whole of a tag; false when it is empty or has anything after the number.
bool ParseNumber(const std::string& text, double& out) {
    if (text.empty()) return false;
    char* end = nullptr;
    out = std::strtod(text.c_str(), &end);
    return end && *end == '\0';
}

TEST(PackImages, EveryEntryLoadsAndIsVisible) {
    const std::vector<Entry> entries = ReadEntries();
    ASSERT_FALSE(entries.empty()) << "no image entries in " << PackFolder() << "images.xml";
    std::set<std::string> names;
    for (const Entry& e : entries) {
        SCOPED_TRACE("image \"" + e.name + "\" (" + e.fileName + ")");
        EXPECT_FALSE(e.name.empty());
        EXPECT_TRUE(names.insert(e.name).second) << "name used twice";

        double alpha = 0.0;
        EXPECT_TRUE(ParseNumber(e.alpha, alpha) && alpha > 0.0) << "alpha \"" << e.alpha << "\" draws it invisible";

        ASSERT_FALSE(e.fileName.empty());
        const TPixmapPtr pixmap = LoadPixmap(PackFolder() + e.fileName);
        ASSERT_TRUE(pixmap) << "does not decode";
        // Strips load masked: a picture without an alpha channel would lose its black pixels.
        EXPECT_TRUE(pixmap->hasAlpha);

        double frames = 1, fw = 0, fh = 0;
        if (!e.frames.empty()) {
            ASSERT_TRUE(ParseNumber(e.frames, frames)) << "frames \"" << e.frames << "\"";
        }
        const bool hasW = ParseNumber(e.frameWidth, fw);
        const bool hasH = ParseNumber(e.frameHeight, fh);
        if (frames <= 1) {
            // A single picture takes its size from the file: a stated size must agree with it.
            if (hasW) {
                EXPECT_EQ(fw, pixmap->width);
            }
            if (hasH) {
                EXPECT_EQ(fh, pixmap->height);
            }
        } else {
            ASSERT_TRUE(hasW && hasH && fw >= 1 && fh >= 1) << "a strip needs its frame size";
            const long cells = static_cast<long>(pixmap->width / static_cast<int>(fw)) *
                               static_cast<long>(pixmap->height / static_cast<int>(fh));
            EXPECT_GE(cells, static_cast<long>(frames)) << "the picture holds fewer frames than listed";
        }
    }
}

// A frozen look is drawn in place of (or faded over) its base picture, so it needs one of
// the same size.
TEST(PackImages, FrozenLooksMatchTheirBase) {
    std::map<std::string, TPixmapPtr> byName;
    for (const Entry& e : ReadEntries()) byName[e.name] = LoadPixmap(PackFolder() + e.fileName);
    int frozen = 0;
    for (const auto& [name, pixmap] : byName) {
        if (name.rfind("_frozen_", 0) != 0) continue;
        ++frozen;
        SCOPED_TRACE(name);
        const auto base = byName.find(name.substr(8));
        ASSERT_NE(base, byName.end()) << "no base picture";
        ASSERT_TRUE(pixmap && base->second);
        EXPECT_EQ(pixmap->width, base->second->width);
        EXPECT_EQ(pixmap->height, base->second->height);
    }
    EXPECT_GT(frozen, 0);
}

// Level backgrounds are loaded by path and cover the whole 1024 x 768 screen; every other
// picture file of the folder is listed in images.xml, and the folder stays small.
TEST(PackImages, BackgroundsAndFolder) {
    std::set<std::string> listed;
    for (const Entry& e : ReadEntries()) listed.insert(fs::path(e.fileName).filename().string());
    int backgrounds = 0;
    uintmax_t bytes = 0;
    for (const auto& file : fs::directory_iterator(PackFolder() + "images")) {
        const std::string leaf = file.path().filename().string();
        SCOPED_TRACE(leaf);
        bytes += file.file_size();
        if (leaf.rfind("bg_", 0) == 0) {
            ++backgrounds;
            const TPixmapPtr pixmap = LoadPixmap(file.path().string());
            ASSERT_TRUE(pixmap);
            EXPECT_EQ(pixmap->width, 1024);
            EXPECT_EQ(pixmap->height, 768);
        } else {
            EXPECT_TRUE(listed.count(leaf)) << "not listed in images.xml";
        }
    }
    EXPECT_GE(backgrounds, 1);
    EXPECT_LT(bytes, 2500u * 1024u) << "the pack's pictures grew past their budget";
}

}  // namespace
