// The game's XML text and value-curve formulas, as the loaders, writers and curves of the rest
// of the game rely on them.
#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "core/globals.h"
#include "platform/runtime.h"
#include "support/game_test.h"
#include "text/parser.h"

namespace {

const std::string TAB = "\t";
const std::string LF = "\n";

// Every test starts with an empty log, an empty error table and ten blank recent messages.
class Parser : public GameTest {
protected:
    static std::vector<std::string> LogLines() { return DebugLogLines(); }
};

// ---------------------------------------------------------------------------
// Text helpers

TEST_F(Parser, TrimmingAndCaseFoldingWorkOnLatin1) {
    EXPECT_EQ(TrimText(" \t\x01 a b \n\r"), "a b");
    EXPECT_EQ(TrimText("\xA0x\xA0"), "\xA0x\xA0");  // a no-break space is above 32
    EXPECT_EQ(TrimText("   "), "");
    // A-Z and 192-222 move up by 32; the multiplication sign 215 and everything else stay.
    EXPECT_EQ(FoldToLowerCase("ABCxyz@[`{"), "abcxyz@[`{");
    EXPECT_EQ(FoldToLowerCase("\xC0\xC9\xDE\xD7\xDF\xE0\xFF\xBF"), "\xE0\xE9\xFE\xD7\xDF\xE0\xFF\xBF");
}

// ---------------------------------------------------------------------------
// Reading

TEST_F(Parser, GetDataFromXMLTakesTheLastElementAndUnescapes) {
    struct Case {
        std::string text, tag, data;
    } cases[] = {
        // The last occurrence wins, whatever the case of the tag.
        {"<a>1</a><a>2</a>", "a", "2"},
        {"<a>1</a><a>2</a>", "A", "2"},
        {"<Name>Blue</NAME>", "name", "Blue"},
        {"<n> x </n>", "n", " x "},
        // Opening and closing tags are each the last of the whole text.
        {"<a><a>x</a></a>", "a", "x</a>"},
        {"abc</x>", "x", ""},
        {"<a>1</a><a>", "a", ""},
        {"<a></a>", "a", ""},
        {"<a>x", "a", ""},
        // Escapes, in their order; "&" and unknown sequences stay; CR stays.
        {"<t>a&lt;b&gt;&tab;c&line;d&amp;</t>", "t", "a<b>" + TAB + "c" + LF + "d&amp;"},
        {"<t>&&lt;gt;&#60;</t>", "t", "&<gt;&#60;"},
        {"<t>&lt;lt;</t>", "t", "<lt;"},
        {"<t>x\r</t>", "t", "x\r"},
        // Latin-1 capitals fold; the data keeps its case.
        {"<\xC9T\xC9>Chaud</\xE9t\xE9>", "\xC9t\xE9", "Chaud"},
        {"<x>\xC0\x42</x>", "X", "\xC0\x42"},  // the data keeps its capitals
        {"<\xDE>v</\xDE>", "\xFE", "v"},
        {"<a\xD7>v</a\xD7>", "a\xF7", ""},
        // No attributes, no empty-element form; comments are plain text.
        {"<a x=\"1\">v</a>", "a", ""},
        {"<a/>", "a", ""},
        {"<!-- <c>old</c> -->", "c", "old"},
        {"", "a", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(GetDataFromXML(c.text, c.tag), c.data) << c.text << " / " << c.tag;
        // A reader that folded the text once reads the same; a fold of another text reads nothing.
        EXPECT_EQ(GetDataFromFoldedXML(c.text, FoldToLowerCase(c.text), c.tag), c.data) << c.text << " / " << c.tag;
        EXPECT_EQ(GetDataFromFoldedXML(c.text, FoldToLowerCase(c.text + "<a>"), c.tag), "") << c.text;
    }
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(Parser, SettersLeaveTheVariableAloneUnlessTheyHaveAValue) {
    struct IntCase {
        std::string xml;
        int expected;
    } ints[] = {
        {"<v>12abc</v>", 12}, {"<v> 0 </v>", 0}, {"<v>0</v>", 0},   {"<v>-7</v>", -7},    {"<v>$1F</v>", 31},
        {"<v>%101</v>", 5},   {"<v>00</v>", 99}, {"<v>+0</v>", 99}, {"<v>0.0</v>", 99},   {"<v>abc</v>", 99},
        {"<v></v>", 99},      {"<w>5</w>", 99},  {"<V>8</V>", 8},   {"<v>&tab;0</v>", 0},
    };
    for (const IntCase& c : ints) {
        int variable = 99;
        EXPECT_EQ(SetIntFromXML(variable, c.xml, "v"), 0);
        EXPECT_EQ(variable, c.expected) << c.xml;
    }

    // Zero never replaces a float, nor does not-a-number.
    struct FloatCase {
        std::string xml;
        float expected;
    } floats[] = {
        {"<f>0.5</f>", 0.5f},
        {"<f>1.00000000</f>", 1.0f},
        {"<f>-2.5</f>", -2.5f},
        {"<f>0</f>", 9.0f},
        {"<f>0.0</f>", 9.0f},
        {"<f>0.00000000</f>", 9.0f},
        {"<f>abc</f>", 9.0f},
        {"<f>nan</f>", 9.0f},
        {"<f>1e-50</f>", 9.0f},
        {"<f></f>", 9.0f},
        {"", 9.0f},
        {"<f>7kg</f>", 7.0f},
    };
    for (const FloatCase& c : floats) {
        float variable = 9.0f;
        EXPECT_EQ(SetFloatFromXML(variable, c.xml, "f"), 0);
        EXPECT_EQ(variable, c.expected) << c.xml;
    }

    struct StringCase {
        std::string xml, expected;
    } strings[] = {
        {"<s></s>", "old"}, {"<s> </s>", " "}, {"<s>a&lt;b</s>", "a<b"}, {"<x>y</x>", "old"}, {"<S> t </S>", " t "},
    };
    for (const StringCase& c : strings) {
        std::string variable = "old";
        EXPECT_EQ(SetStringFromXML(variable, c.xml, "s"), 0);
        EXPECT_EQ(variable, c.expected) << c.xml;
    }
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(Parser, CountTagsInXMLSkipsAnElementAtTheVeryStart) {
    struct Case {
        std::string text, tag;
        int count;
    } cases[] = {
        {"", "b", 0},
        {"<B>1</B>", "b", 0},
        {"<b>1</b>", "b", 0},
        {" <b>1</b>", "b", 1},
        {"<b>1</b><b>2</b>", "b", 1},
        {"<r><b>1</b><b>2</b></r>", "b", 2},
        {"<r><B>1</B><b>2</b></r>", "b", 1},
        {"<a><a><a>", "a", 2},
        {"x<a>", "a", 1},
    };
    for (const Case& c : cases) EXPECT_EQ(CountTagsInXML(c.text, c.tag), c.count) << c.text;
}

TEST_F(Parser, ExtractTagFromXMLWalksPairsWithoutNesting) {
    struct Case {
        std::string text, tag;
        int index;
        std::string element;
    } cases[] = {
        {"<b>1</b><b>2</b>", "b", 0, "<b>1</b>"},
        {"<b>1</b><b>2</b>", "b", 1, "<b>2</b>"},
        {"<b>1</b><b>2</b>", "b", 2, ""},
        {"<b>1</b><b>2</b>", "b", -1, ""},
        {"<b>1</b><b>2</b>", "b", INT_MIN, ""},
        {"<b>1</b>\n<b>2</b>\n", "b", 1, "<b>2</b>"},
        {"<a><a>x</a></a>", "a", 0, "<a><a>x</a>"},
        {"<B>1</B>", "b", 0, ""},
        // A stray closing tag makes an empty element and the walk goes on.
        {"<b>1</b></b><b>2</b>", "b", 1, ""},
        {"<b>1</b></b><b>2</b>", "b", 2, "<b>2</b>"},
        {"<b>1</b><b>2", "b", 1, ""},
        {"</b><b>1", "b", 0, ""},
        // Past an opening tag that is never closed there are no more elements, however far one asks.
        {"<b>1</b><b>2</b><b>", "b", 3, ""},
        {"<b>1</b><b>2</b><b>", "b", 4, ""},
        {"<b>1</b><b>2</b>", "b", INT_MAX, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ExtractTagFromXML(c.text, c.tag, c.index), c.element) << c.text << " #" << c.index;

    // The loaders' walk: indices 0 to the count when the text opens with the element,
    // 0 to the count minus 1 otherwise.
    const std::string bare = "<e>1</e>\n<e>2</e>\n";
    ASSERT_EQ(CountTagsInXML(bare, "e"), 1);
    EXPECT_EQ(ExtractTagFromXML(bare, "e", 0), "<e>1</e>");
    EXPECT_EQ(ExtractTagFromXML(bare, "e", 1), "<e>2</e>");
    const std::string declared = "<?xml version=\"1.0\"?>\n<e>1</e>\n<e>2</e>\n";
    ASSERT_EQ(CountTagsInXML(declared, "e"), 2);
    EXPECT_EQ(ExtractTagFromXML(declared, "e", 0), "<e>1</e>");
    EXPECT_EQ(ExtractTagFromXML(declared, "e", 1), "<e>2</e>");
    EXPECT_EQ(ExtractTagFromXML(declared, "e", 2), "");
}

TEST_F(Parser, ExtractListFromXMLMatchesExtractTagEntryForEntry) {
    using List = std::vector<std::string>;
    struct Case {
        std::string text;
        List list;
    } cases[] = {
        {"<r><b>1</b>\n<b>2</b></r>", {"<b>1</b>", "<b>2</b>"}},
        {"<b>1</b></b><b>2</b>", {"<b>1</b>", "", "<b>2</b>"}},
        {"<r><b>1</b>\n<b>2", {"<b>1</b>"}},
        {"<b><b>x</b></b>", {"<b><b>x</b>"}},
        {"no elements", {}},
        {"", {}},
        {"<B>1</B>", {}},
    };
    for (const Case& c : cases) {
        const List list = ExtractListFromXML(c.text, "b");
        EXPECT_EQ(list, c.list) << c.text;
        for (size_t k = 0; k < list.size(); ++k) EXPECT_EQ(list[k], ExtractTagFromXML(c.text, "b", int(k)));
        EXPECT_EQ(ExtractTagFromXML(c.text, "b", int(list.size())), "") << c.text;
    }
}

// The walk by index as the loaders first had it: from the start of the text for every index,
// each step searching afresh for both tags from the end of the element before. Nothing when
// the walk ends before the index.
std::optional<std::string> ElementByIndexWalk(const std::string& text, const std::string& tag, int index) {
    const std::string open = "<" + tag + ">", close = "</" + tag + ">";
    size_t cursor = 0, start = 0, end = 0;
    bool paired = false;
    for (long long element = 0; element <= index; ++element) {
        start = text.find(open, cursor);
        const size_t closeAt = text.find(close, cursor);
        if (start == std::string::npos || closeAt == std::string::npos) return std::nullopt;
        end = closeAt + close.size();
        paired = closeAt > start;
        cursor = end;
    }
    return paired ? text.substr(start, end - start) : "";
}

TEST_F(Parser, ElementReadersAgreeWithTheWalkByIndexOnRandomText) {
    const char* const pieces[] = {"<b>", "</b>", "x", "<b", "b>", "</", "<", ">", "<bb>", "</bb>", "<B>", "\n"};
    unsigned state = 2024;
    const auto next = [&](unsigned n) {
        state = state * 1103515245u + 12345u;
        return (state >> 16) % n;
    };
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        const unsigned length = next(40);
        for (unsigned k = 0; k < length; ++k) text += pieces[next(12)];
        for (const std::string tag : {"b", "bb"}) {
            const std::vector<std::string> list = ExtractListFromXML(text, tag);
            for (int index : {-1, 0, 1, 2, 3, 5, 8, 13, 21, 34, 40, 41, INT_MAX}) {
                const std::string expected = ElementByIndexWalk(text, tag, index).value_or("");
                ASSERT_EQ(ExtractTagFromXML(text, tag, index), expected) << text << " #" << index;
                ASSERT_EQ(ListEntry(list, index), expected) << text << " #" << index;
            }
            int walked = 0;
            while (ElementByIndexWalk(text, tag, walked)) ++walked;
            ASSERT_EQ(list.size(), size_t(walked)) << text;
        }
    }
    EXPECT_TRUE(LogLines().empty());
}

// Texts laid out so that a walk searching again from where an element ended passes the same
// characters over and over; the walk passes each about twice at most, however far one asks.
TEST_F(Parser, ElementReadersPassOverTheTextOnce) {
    const auto repeat = [](const std::string& text, int times) {
        std::string out;
        for (int k = 0; k < times; ++k) out += text;
        return out;
    };
    struct Case {
        const char* label;
        std::string text;
        size_t entries;
    } cases[] = {
        {"closing tags ahead of the elements", repeat("</b>", 20000) + repeat("<b>1</b>", 20000), 40000},
        {"elements inside elements", repeat("<b>", 30000) + repeat("</b>", 30000), 1},
        {"elements never closed", repeat("<b>x", 50000), 0},
        {"closing tags only", repeat("</b>", 50000), 0},
        {"broken tags", repeat("</b<b>b>", 25000) + "</b>", 1},
        {"elements", repeat("<b>1</b>", 30000), 30000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const uint64_t bound = 3 * c.text.size() + 64;
        uint64_t before = g_xmlElementScan;
        EXPECT_EQ(ExtractListFromXML(c.text, "b").size(), c.entries);
        EXPECT_LE(g_xmlElementScan - before, bound);
        for (int index : {INT_MAX, static_cast<int>(c.entries / 2), static_cast<int>(c.entries)}) {
            before = g_xmlElementScan;
            ExtractTagFromXML(c.text, "b", index);
            EXPECT_LE(g_xmlElementScan - before, bound) << "#" << index;
        }
    }
}

TEST_F(Parser, GetNameOfFirstTagInXML) {
    struct Case {
        std::string text;
        int flag;
        std::string name;
    } cases[] = {
        {"<string>\n\t<name>k</name>", 1, "name"},
        {"<string>\n\t<name>k</name>", 0, "string"},
        {"<string>\n\t<name>k</name>", -3, "name"},
        {"", 0, ""},
        {"", 1, ""},
        {"<string>", 1, "<string"},
        {"plain", 1, ""},
        {"<open", 0, ""},
        {"a>b", 0, "a"},
    };
    for (const Case& c : cases) EXPECT_EQ(GetNameOfFirstTagInXML(c.text, c.flag), c.name) << c.text << " " << c.flag;
}

TEST_F(Parser, GetLocalizedStringFromXMLFallsBackToEnglishThenTheFirstChild) {
    const std::string entry = "<s><name>k</name><en>Hello</en><fr>Salut</fr></s>";
    struct Case {
        std::string text, language, result;
    } cases[] = {
        {entry, "fr", "Salut"},
        {entry, "FR", "Salut"},
        {entry, "de", "Hello"},
        {entry, "", "Hello"},
        {"<s><name>k</name></s>", "fr", "k"},
        {"<s><name>k</name></s>", "en", "k"},
        {"<message><de>Fehler</de></message>", "fr", "Fehler"},
        // The first child is the empty "en": on to the entry text itself.
        {"<s><en></en><de>Nur</de></s>", "fr", "<s><en></en><de>Nur</de></s>"},
        {"no elements", "fr", "no elements"},
        {"<s></s>", "fr", "<s></s>"},
    };
    for (const Case& c : cases) EXPECT_EQ(GetLocalizedStringFromXML(c.text, c.language), c.result) << c.text;
}

// ---------------------------------------------------------------------------
// Writing

TEST_F(Parser, LeafElementsEscapeTheirDataAndReadBack) {
    const std::string data = "a<b>" + TAB + "c" + LF + "d";
    EXPECT_EQ(GetXMLfromData("name", data, 0), "<name>a&lt;b&gt;&tab;c&line;d</name>" + LF);
    EXPECT_EQ(GetDataFromXML(GetXMLfromData("name", data, 0), "name"), data);
    EXPECT_EQ(GetXMLfromData("t", "a&b", 0), "<t>a&b</t>" + LF);
    // "&" is never escaped, so a literal escape sequence reads back as its character.
    EXPECT_EQ(GetXMLfromData("t", "&lt;", 0), "<t>&lt;</t>" + LF);
    EXPECT_EQ(GetDataFromXML(GetXMLfromData("t", "&lt;", 0), "t"), "<");
    // Only flag 1 nests.
    for (int flag : {0, 2, -1}) EXPECT_EQ(GetXMLfromData("t", "x", flag), "<t>x</t>" + LF) << flag;
    EXPECT_EQ(GetXMLfromData("t", "", 0), "<t></t>" + LF);
    EXPECT_EQ(GetXMLFromData("t", "x", 0), "<t>x</t>" + LF);
}

TEST_F(Parser, NestedElementsIndentTheirChildrenOneTabDeeper) {
    EXPECT_EQ(GetXMLfromData("t", "", 1), "<t>" + LF + TAB + "</t>" + LF);
    EXPECT_EQ(GetXMLfromData("t", "abc", 1), "<t>" + LF + TAB + "ab</t>" + LF);
    EXPECT_EQ(GetXMLfromData("t", "a<b", 1), "<t>" + LF + TAB + "a<</t>" + LF);  // not escaped

    const std::string inner = GetXMLfromData("inner", GetXMLfromData("a", "x", 0) + GetXMLfromData("b", "y", 0), 1);
    const std::string outer = GetXMLfromData("outer", GetXMLfromData("c", "z", 0) + inner, 1);
    EXPECT_EQ(outer,
              "<outer>\n"
              "\t<c>z</c>\n"
              "\t<inner>\n"
              "\t\t<a>x</a>\n"
              "\t\t<b>y</b>\n"
              "\t</inner>\n"
              "</outer>\n");
    EXPECT_EQ(GetDataFromXML(outer, "B"), "y");
    EXPECT_EQ(ExtractTagFromXML(outer, "inner", 0), "<inner>\n\t\t<a>x</a>\n\t\t<b>y</b>\n\t</inner>");
}

TEST_F(Parser, UpdateTagInXMLReplacesOnlyTheLastElementsData) {
    const std::string prefs = "<prefs>\n\t<language>en</language>\n\t<Volume>5</Volume>\n</prefs>\n";
    struct Case {
        std::string text, tag, data, result;
    } cases[] = {
        {prefs, "LANGUAGE", "fr", "<prefs>\n\t<language>fr</language>\n\t<Volume>5</Volume>\n</prefs>\n"},
        {prefs, "volume", "7", "<prefs>\n\t<language>en</language>\n\t<Volume>7</Volume>\n</prefs>\n"},
        {"<a>1</a><a>2</a>", "a", "3", "<a>1</a><a>3</a>"},
        {prefs, "missing", "x", prefs},
        {prefs, "", "x", prefs},
        {"<a>v</a>", "a", "a<b", "<a>a&lt;b</a>"},
        {"<a>v</a>", "a", "t\tl\n", "<a>t&tab;l&line;</a>"},
        {"<a></a>", "a", "x", "<a>x</a>"},
        {"<a>v</a>", "a", "", "<a></a>"},
        // A last closing tag ahead of the last opening tag: no element to update.
        {"<a>1</a><a>", "a", "x", "<a>1</a><a>"},
        {"</a><a>", "a", "x", "</a><a>"},
    };
    for (const Case& c : cases) {
        std::string text = c.text;
        EXPECT_EQ(UpdateTagInXML(text, c.tag, c.data), 0);
        EXPECT_EQ(text, c.result) << c.text << " / " << c.tag;
    }
    std::string text = "<a>v</a>";
    UpdateTagInXML(text, "a", "a<b");
    EXPECT_EQ(GetDataFromXML(text, "a"), "a<b");
    EXPECT_EQ(g_DebugLog, "");
}

// ---------------------------------------------------------------------------
// The value curves' formulas

TEST_F(Parser, RPNResults) {
    struct Case {
        std::string expr;
        float result;
    } cases[] = {
        {"", 0.0f},
        {"   ", 0.0f},
        {"3 4 +", 7.0f},
        {"3   4    +  \n", 7.0f},
        {" 3 4 +", 7.0f},
        {"3 2 -", -1.0f},
        {"2 6 /", 3.0f},
        {"6 2 /", 0.333333343f},
        {"2 3 ^", 9.0f},
        {"0 1 ATAN2", 90.0f},
        {"0 5 /", 50000000.0f},
        {"3 4 *", 12.0f},
        {"30 SIN", 0.5f},
        {"60 COS", 0.5f},
        {"45 TAN", 1.0f},
        {"1 ASIN", 90.0f},
        {"1 ACOS", 0.0f},
        {"1 ATAN", 45.0f},
        {"16 SQRT", 4.0f},
        {"2.5 FLOOR", 2.0f},
        {"-2.5 FLOOR", -3.0f},
        {"2.1 CEIL", 3.0f},
        {"0 COSH", 1.0f},
        {"0 SINH", 0.0f},
        {"0 TANH", 0.0f},
        {"0 EXP", 1.0f},
        {"1 LOG", 0.0f},
        {"1000 LOG10", 3.0f},
        {"PI", 3.14159274f},
        {"E", 2.71828175f},
        {"1 2", 1.0f},
        {"1 2 3 +", 1.0f},
        {"30 sin", 30.0f},
        {"-3", -3.0f},
        // Missing operands pop as 0; unknown words read as the number they start with.
        {"5 -", 5.0f},
        {"-", 0.0f},
        {"/", 0.0f},
        {"SQRT", 0.0f},
        {"12abc", 12.0f},
        {"VAR 2 +", 2.0f},
        // Only the blank separates tokens.
        {"3\t4 +", 3.0f},
        // Float arithmetic for the four operators.
        {"0.1 0.2 +", 0.1f + 0.2f},
        {"16777216 1 +", 16777216.0f},
    };
    for (const Case& c : cases) EXPECT_EQ(RPN(c.expr), c.result) << '"' << c.expr << '"';

    EXPECT_TRUE(std::isnan(RPN("-1 SQRT")));
    EXPECT_TRUE(std::isnan(RPN("2 ASIN")));
    EXPECT_EQ(RPN("0 LOG"), -INFINITY);
    EXPECT_EQ(RPN("1e30 1e30 *"), INFINITY);
    EXPECT_EQ(g_DebugLog, "");
}

TEST_F(Parser, RPNStackIsOneStringOfBlankSeparatedItems) {
    std::string stack;
    float value = 42.0f;
    EXPECT_EQ(RPNPop(stack, value), 0);
    EXPECT_EQ(value, 0.0f);
    EXPECT_EQ(stack, "");

    EXPECT_EQ(RPNPush(stack, " 5 "), 0);
    EXPECT_EQ(stack, "5");
    RPNPush(stack, "");
    EXPECT_EQ(stack, "5");
    RPNPush(stack, "2.50000000");
    RPNPush(stack, "word");
    EXPECT_EQ(stack, "5 2.50000000 word");

    RPNPop(stack, value);
    EXPECT_EQ(value, 0.0f);
    EXPECT_EQ(stack, "5 2.50000000");
    RPNPop(stack, value);
    EXPECT_EQ(value, 2.5f);
    EXPECT_EQ(stack, "5");
    RPNPop(stack, value);
    EXPECT_EQ(value, 5.0f);
    EXPECT_EQ(stack, "");

    // A stack written by hand is trimmed as it is taken apart.
    stack = "1\t 2  3";
    RPNPop(stack, value);
    EXPECT_EQ(value, 3.0f);
    EXPECT_EQ(stack, "1\t 2");
    RPNPop(stack, value);
    EXPECT_EQ(value, 2.0f);
    EXPECT_EQ(stack, "1");
}

}  // namespace
