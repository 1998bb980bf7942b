#include "support/StoryFixture.h"

namespace {

// Line numbers below are 0-based indices into the script.
const char* const kCallStory =
    "@set a, 1\n"      // 0
    "@call sub\n"      // 1
    "@set b, 2\n"      // 2
    "@exit\n"          // 3
    "#sub\n"           // 4
    "// inside\n"      // 5
    "@set c, 3\n"      // 6
    "@set d, 4\n"      // 7
    "@return\n";       // 8

class DebugStepperTest : public StoryFixture {
protected:
    TDebugStepper& Stepper() { return story.Stepper(); }
    // Where the story stands once a frame has run whatever it may.
    int32_t StopAfterFrame()
    {
        Frame();
        EXPECT_TRUE(Stepper().Paused());
        return parser.Position;
    }
};

} // namespace

TEST_F(DebugStepperTest, BreakpointStopsBeforeItsLineUntilContinued)
{
    Open(kCallStory);
    ASSERT_TRUE(Stepper().ToggleBreakpoint(2));
    EXPECT_EQ(StopAfterFrame(), 2);
    EXPECT_EQ(host.LogLines.last(), "Breakpoint at story.kvt@2.");
    EXPECT_EQ(variables.GetStr("d"), "4");
    EXPECT_FALSE(variables.Exists("b"));
    EXPECT_FALSE(story.IsRunning());  // the main loop may sleep while stopped
    Frames(3);
    EXPECT_FALSE(variables.Exists("b"));
    Stepper().Continue();
    Frame();
    EXPECT_EQ(variables.GetStr("b"), "2");
    EXPECT_EQ(host.CloseRequests, 1);
    EXPECT_FALSE(Stepper().ToggleBreakpoint(2));  // a second toggle removes it
    EXPECT_FALSE(Stepper().ToggleBreakpoint(9));  // past the last line
    EXPECT_EQ(Stepper().BreakpointCount(), 0);
}

// A call is one line for Step; Step Into stops inside it, passing the label
// and the comment; Step Out runs to the line after the call.
TEST_F(DebugStepperTest, StepOverIntoAndOutOfACall)
{
    Open(kCallStory);
    Stepper().ToggleBreakpoint(1);
    EXPECT_EQ(StopAfterFrame(), 1);
    Stepper().Step();
    EXPECT_EQ(StopAfterFrame(), 2);
    EXPECT_EQ(variables.GetStr("d"), "4");
    EXPECT_FALSE(variables.Exists("b"));

    story.Restart();
    EXPECT_FALSE(Stepper().Paused());
    EXPECT_EQ(StopAfterFrame(), 1);
    Stepper().StepInto();
    EXPECT_EQ(StopAfterFrame(), 6);
    EXPECT_EQ(parser.Stack().size(), 1u);
    Stepper().Step();
    EXPECT_EQ(StopAfterFrame(), 7);
    EXPECT_EQ(variables.GetStr("c"), "3");
    EXPECT_FALSE(variables.Exists("d"));
    Stepper().StepOut();
    EXPECT_EQ(StopAfterFrame(), 2);
    EXPECT_EQ(variables.GetStr("d"), "4");
    EXPECT_TRUE(parser.Stack().empty());
}

// A step over a line that waits for the reader stops after the wait.
TEST_F(DebugStepperTest, StepOverTextStopsAfterTheReadersClick)
{
    Open(":-\nSay it.\n-:\n@set after, 1\n");
    Stepper().ToggleBreakpoint(1);
    EXPECT_EQ(StopAfterFrame(), 1);
    Stepper().Step();
    Frame();
    EXPECT_EQ(story.WaitState, WaitStates::Click);
    EXPECT_FALSE(Stepper().Paused());
    story.ContinueAfterClick();
    EXPECT_EQ(StopAfterFrame(), 2);
}

TEST_F(DebugStepperTest, BreakpointInAnIncludedFileNamesThatFile)
{
    dir.WriteUtf8("part2.kvt", "@set p, 1\n@set q, 2\n");
    Open("@set a, 1\n@include part2.kvt\n@set z, 3\n");
    Stepper().ToggleBreakpoint(2);  // "@set q, 2", line 1 of part2.kvt
    EXPECT_EQ(StopAfterFrame(), 2);
    EXPECT_EQ(host.LogLines.last(), "Breakpoint at part2.kvt@1.");
}

// Lines added above move a breakpoint with its line; a line that is gone
// drops it with a log line; an unchanged reload keeps everything.
TEST_F(DebugStepperTest, BreakpointsFollowTheirLinesAcrossReloads)
{
    Open("@set a, 1\n@set b, 2\n@set c, 3\n");
    Stepper().ToggleBreakpoint(1);
    Stepper().ToggleBreakpoint(2);
    Open("@set a, 1\n@set b, 2\n@set c, 3\n");
    EXPECT_TRUE(Stepper().HasBreakpoint(1));
    EXPECT_TRUE(Stepper().HasBreakpoint(2));
    Open("// new\n@set a, 1\n@set b, 2\n");
    EXPECT_TRUE(Stepper().HasBreakpoint(2));
    EXPECT_EQ(Stepper().BreakpointCount(), 1);
    EXPECT_EQ(host.LogLines.last(), "Breakpoint at story.kvt@2 dropped: the line no longer exists.");
    EXPECT_EQ(StopAfterFrame(), 2);
}

// A breakpoint is where the author put it, whatever the line holds.
TEST_F(DebugStepperTest, BreakpointsOnACommentAndOnTheLastLineStopToo)
{
    Open(kCallStory);
    Stepper().ToggleBreakpoint(5);  // "// inside"
    Stepper().ToggleBreakpoint(8);  // "@return", the last line
    EXPECT_EQ(StopAfterFrame(), 5);
    Stepper().Continue();
    EXPECT_EQ(StopAfterFrame(), 8);
    EXPECT_EQ(variables.GetStr("d"), "4");
    Stepper().Continue();
    Frame();
    EXPECT_EQ(variables.GetStr("b"), "2");
}
