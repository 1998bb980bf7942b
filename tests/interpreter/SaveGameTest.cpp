#include "interpreter/SaveGame.h"

#include "support/Pictures.h"
#include "support/StoryFixture.h"

namespace {

class SaveGameTest : public StoryFixture {
protected:
    TSaveGame saves{{story, clock, parser, variables, product, sound, textBox, images, background, selectionBox,
                     screenObjects, mouseCursor, [this](bool on) { MouseCursorShown = on; }, choices, actors,
                     positions, chars, host}};

    // The file's text of what the story holds now; the moment of saving
    // left out, so two captures compare.
    QByteArray Written()
    {
        TSaveState state = saves.Capture();
        state.Saved = QDateTime::fromSecsSinceEpoch(0, Qt::UTC);
        state.StoryTime = 0;
        return WriteSaveData(state);
    }
};

// A scene with something on every layer, waiting at its menu inside a call.
const char* const Scene = "#start\n@set mood, calm\n@bg sky\n@bgtint navy, 80\n@actors Mira\n@poses Mira, , sky\n"
                          "@call choose, deep\n:-\nafter\n-:\n@exit\n"
                          "#choose\n@img badge, sky, 10, 20\nMira(, left): Which way?\n@item North, n\n"
                          "@item South, s\n@menu\n#n\n@return\n#s\n@return\n";

} // namespace

TEST_F(SaveGameTest, AStateWrittenReadAndPutBackIsTheStateThatWasSaved)
{
    AttachDevice();
    dir.Write(QStringLiteral("images/sky.png"), PngBytes(8, 8));
    Open(QString::fromLatin1(Scene));
    Frames(3);
    story.ContinueAfterClick();
    Frames(3);
    ASSERT_EQ(story.WaitState, WaitStates::Choice) << Errors.join(u'\n').toStdString();
    selectionBox.Select(1);
    const QByteArray before = Written();

    story.Restart();
    Frames(2);
    ASSERT_NE(Written(), before);
    const QStringList problems = saves.Apply(ReadSaveData(before));
    EXPECT_TRUE(problems.isEmpty()) << problems.join(u'\n').toStdString();
    EXPECT_EQ(Written(), before);
    EXPECT_EQ(parser.Stack().size(), 1u);
    EXPECT_EQ(variables.GetStr("mood"), "calm");
    EXPECT_EQ(selectionBox.Items(), (QStringList{"North", "South"}));

    // Picking goes on as it would have: the return lands after the call.
    story.HandleKey(TReaderKey::Enter, false);
    Frames(2);
    EXPECT_EQ(Shown.last(), "after");
}

TEST_F(SaveGameTest, DamagedNewerAndForeignFilesAreRefusedWithTheirReason)
{
    Open(":-\ntext\n-:\n");
    Frame();
    const QByteArray good = Written();
    const auto reason = [](const QByteArray& data) {
        try {
            ReadSaveData(data);
        } catch (const ESaveFileError& e) {
            return e.Message();
        }
        return QStringLiteral("(read)");
    };
    EXPECT_TRUE(reason(good.left(good.size() / 2)).startsWith(QStringLiteral("it is damaged or cut short")));
    EXPECT_EQ(reason("[1, 2]"), QStringLiteral("this is not a KvtParser save"));
    QByteArray newer = good;
    newer.replace("\"version\": 1", "\"version\": 7");
    EXPECT_EQ(reason(newer), QStringLiteral("it was written by a newer KvtParser (save format 7; this one reads up to 1)"));
    QByteArray wrongKind = good;
    wrongKind.replace("\"typed\": ", "\"typed\": \"many\", \"was\": ");
    EXPECT_EQ(reason(wrongKind), QStringLiteral("\"textWindow.typed\" is not an integer"));
    QByteArray badIndex = good;
    badIndex.replace("\"selected\": -1", "\"selected\": 3");
    EXPECT_EQ(reason(badIndex), QStringLiteral("\"menu.selected\" is not an integer from -1 to -1"));

    TSaveState foreign = ReadSaveData(good);
    foreign.Story.Script = QStringLiteral("other.kvt");
    story.ContinueAfterClick();
    Frame();
    EXPECT_THROW(saves.Apply(foreign), ESaveFileError);
    EXPECT_EQ(Shown, QStringList{"text"});  // nothing was put back
    EXPECT_TRUE(story.IsFinished());
}

TEST_F(SaveGameTest, ReloadGoesOnAtTheSameLineAndBreakpointsFollowTheirLines)
{
    Open("#start\n:-\none\ntwo\n-:\n#later\n@set x, 1\n");
    Frame();
    story.ContinueAfterClick();
    Frame();
    ASSERT_EQ(Shown.last(), "two");
    dir.WriteUtf8(QStringLiteral("story.kvt"), QStringLiteral("@set pre, 1\n#start\n:-\none\ntwo\n-:\n:-\nthree\n-:\n#later\n@set x, 1\n"));
    story.Stepper().ToggleBreakpoint(6);  // "@set x, 1"
    EXPECT_TRUE(saves.ReloadScript().isEmpty());
    EXPECT_TRUE(story.Stepper().HasBreakpoint(10));
    story.ContinueAfterClick();
    Frame();
    EXPECT_EQ(Shown.last(), "three");

    // A script that no longer loads leaves the running one alone.
    dir.WriteUtf8(QStringLiteral("story.kvt"), QStringLiteral("@include gone.kvt\n"));
    EXPECT_ANY_THROW(saves.ReloadScript());
    EXPECT_EQ(parser.LineCount(), 11);
}
