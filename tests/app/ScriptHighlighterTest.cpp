#include "app/ScriptHighlighter.h"

#include <gtest/gtest.h>

namespace {

// "kind start length" per span, for exact comparison.
std::vector<std::string> Spans(const QString& line, bool inTextBlock)
{
    static const char* const names[] = {"command", "label", "comment", "marker", "name"};
    std::vector<std::string> out;
    for (const TScriptSpan& span : HighlightScriptLine(line, inTextBlock))
        out.push_back(std::string(names[int(span.Kind)]) + ' ' + std::to_string(span.Start) + ' '
                      + std::to_string(span.Length));
    return out;
}

} // namespace

// The colours follow the driver's reading: inside a text block a command is
// still a command, while "Anna: hi" is text, not a speaker.
TEST(ScriptHighlighter, ColoursLinesAsTheDriverReadsThem)
{
    using V = std::vector<std::string>;
    EXPECT_EQ(Spans("@set x, 1", false), V{"command 0 4"});
    EXPECT_EQ(Spans("@set x, 1", true), V{"command 0 4"});
    EXPECT_EQ(Spans("#start", false), V{"label 0 6"});
    EXPECT_EQ(Spans("// note", true), V{"comment 0 7"});
    EXPECT_EQ(Spans(":-", false), V{"marker 0 2"});
    EXPECT_EQ(Spans("Anna(happy, left): Hello.", false), V{"name 0 17"});
    EXPECT_EQ(Spans("Anna:- ", false), (V{"name 0 4", "marker 4 2"}));
    EXPECT_EQ(Spans("Anna: hi", true), V{});
    EXPECT_EQ(Spans("no speaker here", false), V{});  // the driver rejects it: no colour
    EXPECT_TRUE(TextBlockAfter(":-", false));
    EXPECT_TRUE(TextBlockAfter("Anna:-", false));
    EXPECT_TRUE(TextBlockAfter("Some text", true));
    EXPECT_FALSE(TextBlockAfter("-:", true));
}
