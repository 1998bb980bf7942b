#include "support/StoryFixture.h"

using JumpCommandsTest = StoryFixture;

TEST_F(JumpCommandsTest, GotoFindsTheFirstWholeLabelIgnoringCase)
{
    Open("@goto Start\n# start\n#start \n#start\n@set hit, 1\n@exit\n#START\n@set hit, 2\n");
    Frame();
    EXPECT_EQ(variables.GetStr("hit"), "1");
}

TEST_F(JumpCommandsTest, CallPassesParametersAndReturnContinuesAfterIt)
{
    Open("@call sub, 1, two\n@set after, %x%\n@exit\n#sub\n@set x, %:2%\n@set none, [%:3%]\n@return\n");
    Frame();
    EXPECT_EQ(variables.GetStr("x"), "two");
    EXPECT_EQ(variables.GetStr("none"), "[]");
    EXPECT_EQ(variables.GetStr("after"), "two");
    EXPECT_TRUE(parser.Stack().empty());
}

TEST_F(JumpCommandsTest, FailedJumpsLeavePositionAndStackAlone)
{
    Open("@return\n@call nowhere\n@goto\n@call sub\n#sub\n@return missing\n@return there\n#there\n@set ok, 1\n");
    Frames(6);
    EXPECT_EQ(Errors, (QStringList{"At the top stack level, nowhere to return.",
                                   "Invalid \"call\". Label \"nowhere\" not found.",
                                   "Illegal \"goto\". No label specified.",
                                   "Invalid \"return\". Label \"missing\" not found."}));
    EXPECT_EQ(variables.GetStr("ok"), "1");
    EXPECT_TRUE(parser.Stack().empty());
}

TEST_F(JumpCommandsTest, ChapterShowsItsHeadingAndWaits)
{
    Open("@chapter 3, The Lighthouse\n@chapter 1,\n@section Harbour\n@title My Story\n");
    Frame();
    EXPECT_EQ(Shown, QStringList{"3. The Lighthouse"});
    EXPECT_EQ(story.WaitState, WaitStates::Click);
    story.ContinueAfterClick();
    Frame();
    EXPECT_EQ(Shown.last(), "1.");
    story.ContinueAfterClick();
    Frame();
    EXPECT_EQ(story.Chapter(), "1.");
    EXPECT_EQ(story.Section(), "Harbour");
    EXPECT_EQ(host.Title, "My Story");
    story.Restart();
    EXPECT_EQ(story.Chapter(), "");
}

TEST_F(JumpCommandsTest, ALoopThatNeverWaitsGivesControlBack)
{
    story.StepBudgetMs = 5;
    Open("#a\n@inc n\n@goto a\n");
    Frame();
    const int32_t afterOne = variables.GetInt("n");
    EXPECT_GT(afterOne, 0);
    Frame();
    EXPECT_GT(variables.GetInt("n"), afterOne);
}

TEST_F(JumpCommandsTest, RunawayRecursionStopsWithAnError)
{
    Open("#a\n@call a\n");
    for (int i = 0; i < 2000 && Errors.isEmpty(); ++i)
        Frame();
    EXPECT_EQ(Errors.value(0), "Call stack overflow.");
}
