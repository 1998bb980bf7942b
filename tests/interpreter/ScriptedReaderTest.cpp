#include "interpreter/ScriptedReader.h"
#include "support/StoryFixture.h"

using ScriptedReaderTest = StoryFixture;

TEST_F(ScriptedReaderTest, EventsArriveOnlyWhileTheStoryWaits)
{
    Open(":-\none\ntwo\n-:\n@wait 100\n:-\nthree\n-:\n");
    TScriptedReader reader(ParseReaderEvents("key space; wait 50; click"), false, false);
    EXPECT_EQ(reader.Step(story, clock.TickCount()), TScriptedReader::TOutcome::Idle);  // still running
    Frame();
    EXPECT_EQ(reader.Step(story, clock.TickCount()), TScriptedReader::TOutcome::Delivered);
    Frame();
    EXPECT_EQ(Shown.last(), "two");
    EXPECT_EQ(reader.Step(story, clock.TickCount()), TScriptedReader::TOutcome::Idle);  // the wait begins
    clock.Advance(20);
    EXPECT_EQ(reader.Step(story, clock.TickCount()), TScriptedReader::TOutcome::Idle);
    clock.Advance(40);
    EXPECT_EQ(reader.Step(story, clock.TickCount()), TScriptedReader::TOutcome::Delivered);
    Frame();
    EXPECT_EQ(Shown.last(), "three");
    EXPECT_EQ(reader.Step(story, clock.TickCount()), TScriptedReader::TOutcome::Exhausted);
}

TEST_F(ScriptedReaderTest, AutoAndSkipAnswerClickWaitsButNotChoices)
{
    Open(":-\none\n-:\n");
    textBox.SetSpeed(8);
    TScriptedReader automatic({}, true, false);
    Frame();
    EXPECT_EQ(automatic.Step(story, clock.TickCount()), TScriptedReader::TOutcome::Idle);  // still typing
    Frames(2);  // 32 ms type the three letters
    EXPECT_EQ(automatic.Step(story, clock.TickCount()), TScriptedReader::TOutcome::Delivered);
    EXPECT_EQ(story.WaitState, WaitStates::Run);
    story.WaitState = WaitStates::Choice;
    EXPECT_EQ(automatic.Step(story, clock.TickCount()), TScriptedReader::TOutcome::Exhausted);
}

// In a window every skipped text gets one frame, drawn before its click is
// answered: that frame must show the text whole.
TEST_F(ScriptedReaderTest, SkipCompletesTheTextBeforeItsFrameAndThenAnswers)
{
    Open(":-\nA line that would type out.\nnext\n-:\n");
    textBox.SetSpeed(8);
    TScriptedReader skip({}, false, true);
    Frame();
    ASSERT_TRUE(story.IsTyping());
    skip.CompleteSkippedText(story);
    EXPECT_FALSE(story.IsTyping());
    EXPECT_EQ(story.WaitState, WaitStates::Click);
    EXPECT_EQ(skip.Step(story, clock.TickCount()), TScriptedReader::TOutcome::Delivered);
    Frame();
    EXPECT_EQ(Shown.last(), "next");
}

TEST(ReaderEvents, MalformedEventsAreNamed)
{
    EXPECT_EQ(ParseReaderEvents(" click ;; move 1 2 ;key UP").size(), 3u);
    for (const char* bad : {"dance", "click 1", "key tab", "wait -5", "move a b", "wait"}) {
        try {
            ParseReaderEvents(QString::fromUtf8(bad));
            ADD_FAILURE() << bad;
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), QStringLiteral("Invalid input event: \"%1\".").arg(QString::fromUtf8(bad)));
        }
    }
}
