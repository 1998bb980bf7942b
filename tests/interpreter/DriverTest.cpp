#include "support/StoryFixture.h"

using DriverTest = StoryFixture;

TEST_F(DriverTest, SkipsCommentsAndLabelsAndWaitsAtText)
{
    Open(QStringLiteral("// comment\n#label\n\n:-\nFirst\nSecond\n-:\n"));
    Frame();
    EXPECT_EQ(Shown, QStringList{"First"});
    EXPECT_EQ(story.WaitState, WaitStates::Click);
    EXPECT_EQ(parser.Position, 5);  // already past the waiting line
    Frame();
    EXPECT_EQ(Shown.size(), 1);  // a click is needed first
    story.ContinueAfterClick();
    Frames(2);
    EXPECT_EQ(Shown, (QStringList{"First", "Second"}));
    story.ContinueAfterClick();
    Frame();
    EXPECT_TRUE(story.IsFinished());
    EXPECT_TRUE(Errors.isEmpty());
}

TEST_F(DriverTest, UnknownCommandIsLoggedAndExecutionGoesOn)
{
    Open(QStringLiteral("@foo a, b\n@\n:-\ntext\n-:\n"));
    Frame();
    EXPECT_EQ(host.LogLines,
              (QStringList{"Setting bg: none", "Unrecognized command: foo a, b", "Unrecognized command:  "}));
    EXPECT_EQ(Shown, QStringList{"text"});
}

TEST_F(DriverTest, CharacterLinesNameTheSpeakerOrOpenABlock)
{
    Open(QStringLiteral("Anna: Hello.\nAnna(happy, left).\nBob:-\nLine of Bob\n-:\n"));
    Frame();
    EXPECT_EQ(Shown, QStringList{"Anna: Hello."});
    story.ContinueAfterClick();
    Frame();
    EXPECT_EQ(Shown.last(), QStringLiteral("Bob:Line of Bob"));
    EXPECT_TRUE(Errors.isEmpty());
}

TEST_F(DriverTest, BadLinesReportAndTheNextFrameGoesOn)
{
    Open(QStringLiteral("no body here\n:-\n:-\n-:\n-:\nAnna(happy: hi\n:-\nend\n-:\n"));
    Frames(5);
    EXPECT_EQ(Errors, (QStringList{"Invalid character line: no line body.",
                                   "Illegal duplicate text block opener!",
                                   "Illegal duplicate text block closer!",
                                   "Invalid unclosed character state."}));
    EXPECT_EQ(Shown, QStringList{"end"});
}

TEST_F(DriverTest, WaitRunsFramesOnVirtualTimeAndEnds)
{
    Open(QStringLiteral("@wait 60000\n:-\nafter\n-:\n"));
    Frame();
    EXPECT_EQ(Shown, QStringList{"after"});
    EXPECT_GE(host.FramesRendered, 5000);
    EXPECT_EQ(story.WaitRemaining, 0u);
}

TEST_F(DriverTest, WaitZeroRunsNoFrameAndBadIntervalsReport)
{
    Open(QStringLiteral("@wait 0\n@wait\n@wait soon\n:-\nafter\n-:\n"));
    Frames(3);
    EXPECT_EQ(host.FramesRendered, 0);
    EXPECT_EQ(Errors, (QStringList{"Illegal \"wait\". No interval specified.",
                                   "Invalid interval in \"wait\": soon."}));
    EXPECT_EQ(Shown, QStringList{"after"});
}

TEST_F(DriverTest, ErrorInsideABlockingWaitDoesNotLeaveTheStoryStuck)
{
    Open(QStringLiteral("@wait 1000\n:-\nafter\n-:\n"));
    int pumps = 0;
    host.OnPump = [&] {
        if (++pumps == 3)
            throw Exception(QStringLiteral("boom"));
    };
    Frame();
    EXPECT_EQ(Errors, QStringList{"boom"});
    EXPECT_EQ(story.WaitState, WaitStates::Run);
    host.OnPump = nullptr;
    Frame();
    EXPECT_EQ(Shown, QStringList{"after"});
}

TEST_F(DriverTest, ClosingTheWindowEndsAWaitThatWouldLastForever)
{
    Open(QStringLiteral("@wait -1\n@exit\n"));
    int pumps = 0;
    host.OnPump = [&] {
        if (++pumps == 50)
            story.WaitRemaining = 0;  // what closing the window does
    };
    Frame();
    EXPECT_EQ(pumps, 50);
    EXPECT_EQ(host.CloseRequests, 1);
    EXPECT_EQ(story.WaitState, WaitStates::Exit);
}

TEST_F(DriverTest, WaitClkWaitsForClickAndKeysNeedNoModifiers)
{
    Open(QStringLiteral("@waitclk\n:-\nafter\n-:\n"));
    Frame();
    EXPECT_EQ(story.WaitState, WaitStates::Click);
    story.HandleKey(TReaderKey::Enter, true);
    EXPECT_EQ(story.WaitState, WaitStates::Click);
    story.HandleKey(TReaderKey::Space, false);
    Frame();
    EXPECT_EQ(Shown, QStringList{"after"});
}

TEST_F(DriverTest, RepaintTakesExactlyOnAndOff)
{
    Open(QStringLiteral("@repaint off\n@repaint ON\n@repaint on\n"));
    Frame();
    EXPECT_TRUE(host.Suspended);
    Frame();
    EXPECT_FALSE(host.Suspended);
    EXPECT_EQ(Errors, QStringList{"Invalid command in \"repaint\": ON."});
}

TEST_F(DriverTest, JumpsFindLabelsAndReportMissingOnes)
{
    Open(QStringLiteral(":-\nfirst\n#Later\nlater\n-:\n"));
    Frame();
    story.JumpFromTools(QStringLiteral("later"));
    EXPECT_FALSE(story.InTextBlock);
    EXPECT_EQ(parser.Position, 2);
    EXPECT_EQ(story.WaitState, WaitStates::Run);
    try {
        story.JumpToLabel(QStringLiteral("nowhere"));
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Label not found: nowhere"));
    }
    story.JumpToLine(1000);
    EXPECT_TRUE(story.Halted);
    EXPECT_EQ(parser.Position, int32_t(parser.LineCount()) - 1);
}

TEST_F(DriverTest, ConsoleCommandsRunUnexpandedAndNeverWait)
{
    Open(QStringLiteral(":-\ntext\n-:\n"));
    Frame();
    story.RunConsoleCommand(QStringLiteral("@waitclk"));
    story.RunConsoleCommand(QStringLiteral("@foo %x%"));
    EXPECT_EQ(host.LogLines,
              (QStringList{"Setting bg: none", ">> @waitclk", ">> @foo %x%", "Unrecognized command: foo %x%"}));
    EXPECT_EQ(story.WaitState, WaitStates::Click);
    EXPECT_THROW(story.RunConsoleCommand(QStringLiteral("waitclk")), Exception);
    story.RunConsoleCommand(QString());  // an empty line is a click
    EXPECT_EQ(story.WaitState, WaitStates::Run);
}

TEST_F(DriverTest, RestartRewindsAndLeavesTheTextBlock)
{
    Open(QStringLiteral(":-\none\ntwo\n-:\n"));
    Frame();
    story.ContinueAfterClick();
    Frame();
    story.Restart();
    EXPECT_EQ(parser.Position, 0);
    EXPECT_FALSE(story.InTextBlock);
    Frame();
    EXPECT_EQ(Shown.last(), QStringLiteral("one"));
    EXPECT_TRUE(Errors.isEmpty());
}

TEST_F(DriverTest, RestartKeepsTheStorysFontsAndANewScriptDropsThem)
{
    QFile font(QStringLiteral("/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf"));
    if (!font.open(QIODevice::ReadOnly))
        GTEST_SKIP() << "no font file to copy";
    dir.Write(QStringLiteral("fonts/mono.ttf"), font.readAll());
    Open(QStringLiteral(":-\none\n-:\n"));
    ASSERT_EQ(fonts.FontFiles().size(), 1);
    story.Restart();
    EXPECT_EQ(fonts.FontFiles().size(), 1);
    story.OpenScript(dir.WriteUtf8(QStringLiteral("other/next.kvt"), QStringLiteral(":-\ntwo\n-:\n")));
    EXPECT_TRUE(fonts.FontFiles().isEmpty());
}

TEST_F(DriverTest, ExitClosesTheWindowAndStopsAtOnce)
{
    Open(QStringLiteral("@exit\n:-\nnever\n-:\n"));
    Frame();
    EXPECT_EQ(host.CloseRequests, 1);
    EXPECT_TRUE(Shown.isEmpty());
}

TEST_F(DriverTest, RegistryFollowsTheCommandTableOrder)
{
    // Every name a script may use, in the order the registry must hold them;
    // the table grows as handler groups land, but never out of this order.
    const QStringList all{
        "reset", "exit", "wait", "waitclk", "repaint", "bg", "bgpic", "bgcolor", "bgfit", "bgfree", "bgpos",
        "bgzoom", "bgtint", "bgmusic", "bgmusicvol", "bgsound", "bgsoundvol", "sound", "font", "fontsz",
        "fontsize", "fontcolor", "charfont", "charfontsize", "charfontsz", "charfontcolor", "namefont",
        "namefontsize", "namefontsz", "namefontcolor", "selfont", "selfontsize", "selfontsz", "selfontcolor",
        "selhlcolor", "showtw", "hidetw", "twcolor", "settwcolor", "twalpha", "settwalpha", "twpos",
        "settwpos", "twmargin", "twpic", "twtextpos", "twnamepos", "twchartextpos", "twspeed", "selcolor",
        "selalpha", "selmargin", "selpic", "cursor", "setcursor", "selcursor1", "selcursor2",
        "mousecursor", "hidechars", "resetchars",
        "actors", "actor", "poses", "pose", "positions", "position", "set", "clear", "inc", "dec", "define",
        "undef", "ifdef", "ifndef", "if", "elseif", "else", "endif", "goto", "call", "return", "title",
        "chapter", "section", "scene", "item", "menu", "drop", "img", "image", "btn", "button", "choose",
        "product", "clearglobals", "clearlocals", "saveglobals", "loadglobals"};
    ASSERT_EQ(all.size(), 98);
    const QStringList names = CommandTableNames();
    qsizetype next = 0;
    for (const QString& name : names) {
        const qsizetype at = all.indexOf(name, next);
        ASSERT_GE(at, 0) << name.toStdString() << " is unknown, repeated or out of order";
        next = at + 1;
        EXPECT_TRUE(commands.IsRegistered(name.toUpper())) << name.toStdString();
    }
    EXPECT_GE(names.size(), 29);
    EXPECT_FALSE(commands.IsRegistered(QStringLiteral("include")));
}

// Headless skipping: one pass runs through every text and click wait, and
// stops only where the reader must choose or the script ends.
TEST_F(DriverTest, ClicksAnsweredInTheStepLoopRunThroughTextsInOnePass)
{
    story.AnswerClicksInStepLoop = true;
    Open(QStringLiteral(":-\none\ntwo\n-:\n@waitclk\nAnna: three\n@exit\n:-\nnever\n-:\n"));
    textBox.SetSpeed(50);  // still typing when answered: shown whole first
    Frame();
    EXPECT_EQ(Shown, (QStringList{"one", "two", "Anna: three"}));
    EXPECT_FALSE(story.IsTyping());
    EXPECT_EQ(story.WaitState, WaitStates::Exit);
    EXPECT_EQ(host.FramesRendered, 0);
}
