// The one name look-up behind every GetXByName function: the first exact match, empty slots
// passed over or raised, and a miss reported under code -14 or passed over in silence.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/errors.h"
#include "core/globals.h"
#include "core/lookup.h"
#include "support/game_test.h"

namespace {

struct Thing {
    std::string name;
};
using ThingPtr = std::shared_ptr<Thing>;

const char* const kLabel = "things:GetThingByName() ";

class Lookup : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        g_debugLogQuiet = 1;
        g_errorcode = {-14};
        g_errorseverity = {2};
        g_errormessage = {"Not found"};
    }
};

TEST_F(Lookup, FirstExactMatchElseNullWithTheMissReportedOrNot) {
    // An empty slot sits between the first name and the two of the same name.
    std::vector<ThingPtr> things{std::make_shared<Thing>(Thing{"alpha"}), nullptr,
                                 std::make_shared<Thing>(Thing{"dup"}), std::make_shared<Thing>(Thing{"dup"})};
    const std::string nullAccess = std::string(kLabel) + kNullAccessMessage + "\n";
    const std::string miss = "Not found (Could not find thing named \"Dup\".)";
    struct Case {
        const char* name;
        const char* missingKind;
        EmptySlot empty;
        int index;  // -1: null
        std::string log;
    } cases[] = {
        {"dup", "thing", EmptySlot::Skip, 2, ""},
        {"alpha", "thing", EmptySlot::Raise, 0, ""},
        {"Dup", "thing", EmptySlot::Skip, -1, " WARN: " + miss + "\n" + kLabel + miss + "\n"},
        {"Dup", nullptr, EmptySlot::Skip, -1, ""},
        {"dup", "thing", EmptySlot::Raise, -1, nullAccess},
        {"", nullptr, EmptySlot::Raise, -1, nullAccess},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("\"") + c.name + "\" " + (c.missingKind ? "reported" : "silent") +
                     (c.empty == EmptySlot::Raise ? ", empty slots raise" : ""));
        ClearDebugLog();
        ThingPtr found = GetByName(kLabel, things, &Thing::name, c.name, c.missingKind, c.empty);
        EXPECT_EQ(found, c.index < 0 ? nullptr : things[static_cast<size_t>(c.index)]);
        EXPECT_EQ(g_DebugLog, c.log);
    }
}

}  // namespace
