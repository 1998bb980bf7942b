#include "interpreter/TextCommands.h"

#include "support/StoryFixture.h"

namespace {

class TextCommandsTest : public StoryFixture {
protected:
    TFontInfo base = TFontManager::MakeFontInfo(QStringLiteral("Arial"), 16, 0, 0xFFFFFF);

    TTextBlock Build(const QString& markup) { return text.BuildTextBlock(markup, base); }

    TStringChunk Expect(const QString& chunkText, uint8_t style = 0, TColorValue color = 0xFFFFFF, int size = 16,
                        bool lineBreak = false)
    {
        return {TFontManager::MakeFontInfo(QStringLiteral("Arial"), size, style, color), chunkText, lineBreak};
    }

    QString MarkupError(const QString& markup)
    {
        try {
            Build(markup);
        } catch (const Exception& e) {
            return e.Message();
        }
        return {};
    }
};

} // namespace

TEST_F(TextCommandsTest, MarkupSplitsRunsWhereTheFontStateChanges)
{
    EXPECT_EQ(Build(QStringLiteral("I **really** \\c:Red:hate\\c:: you\\n")),
              (TTextBlock{Expect("I "), Expect("really", FontStyle::Bold), Expect(" "), Expect("hate", 0, 0x0000FF),
                          Expect(" you", 0, 0xFFFFFF, 16, true)}));
    EXPECT_EQ(Build(QStringLiteral("**a**b")), (TTextBlock{Expect("a", FontStyle::Bold), Expect("b")}));
    EXPECT_EQ(Build(QStringLiteral("x~~--__y_z**")),
              (TTextBlock{Expect("x"), Expect("y", FontStyle::Italic | FontStyle::Strikeout | FontStyle::Underline),
                          Expect("z", FontStyle::Italic | FontStyle::Strikeout)}));
    EXPECT_EQ(Build(QStringLiteral("a\\++b\\+-c\\=d")), (TTextBlock{Expect("a"), Expect("bc", 0, 0xFFFFFF, 20), Expect("d")}));
    EXPECT_EQ(Build(QStringLiteral("\\s: 20 :big\\c:  Blue  :\\f:arial:x")),
              (TTextBlock{Expect("big", 0, 0xFFFFFF, 20), Expect("x", 0, 0xFF0000, 20)}));
    EXPECT_TRUE(Build(QStringLiteral("**~~**~~")).isEmpty());
}

TEST_F(TextCommandsTest, EscapesAndReferencesAreTextNotMarkup)
{
    variables.SetStr(QStringLiteral("score"), QStringLiteral("**9**"));
    EXPECT_EQ(Build(QStringLiteral("50\\% \\\\ %%Score: %score%")), (TTextBlock{Expect("50% \\ Score: **9**")}));
    EXPECT_EQ(Build(QStringLiteral("%missing%")), TTextBlock{});
}

TEST_F(TextCommandsTest, BadMarkupRaisesItsExactMessage)
{
    EXPECT_EQ(MarkupError(QStringLiteral("\\q")), QStringLiteral("Unrecognized special command: q."));
    EXPECT_EQ(MarkupError(QStringLiteral("a\\c:Blue")), QStringLiteral("Invalid color markup in \"a\\c:Blue\"."));
    EXPECT_EQ(MarkupError(QStringLiteral("\\fArial:")), QStringLiteral("Invalid font markup in \"\\fArial:\"."));
    EXPECT_EQ(MarkupError(QStringLiteral("\\s:")), QStringLiteral("Invalid size markup in \"\\s:\"."));
    EXPECT_EQ(MarkupError(QStringLiteral("\\f:No Such Face 42:")), QStringLiteral("Font not found: No Such Face 42"));
    EXPECT_EQ(MarkupError(QStringLiteral("%name")), QStringLiteral("Unterminated variable reference!"));
    EXPECT_EQ(MarkupError(QStringLiteral("\\c:nocolour:")), QStringLiteral("\"nocolour\" is not a valid color value."));
}

TEST_F(TextCommandsTest, FailingTextLineShowsNothingWaitsForNothingAndKeepsTheBlock)
{
    Open(QStringLiteral(":-\nshown\nbad \\q\nnext\n-:\n"));
    Frame();
    story.ContinueAfterClick();
    Frame();
    EXPECT_EQ(Errors, QStringList{"Unrecognized special command: q."});
    EXPECT_EQ(TTextCommands::PlainText(textBox.Text()), QStringLiteral("shown"));
    Frame();
    EXPECT_EQ(Shown, (QStringList{"shown", "next"}));
    EXPECT_TRUE(story.InTextBlock);
}

TEST_F(TextCommandsTest, SpeakersTextUsesTheCharacterFontAndShowsTheHiddenWindow)
{
    Open(QStringLiteral("Anna: **hi**\\nthere\nBob:-\nline\n-:\nAnna:\n@chapter 3, The Lighthouse\n"));
    textBox.SetVisible(false);
    Frame();
    EXPECT_TRUE(textBox.Visible());
    EXPECT_EQ(textBox.Text()[0].Font.color, 0xFFFF00u);
    EXPECT_EQ(Shown.last(), QStringLiteral("Anna: hi there"));
    textBox.SetVisible(false);
    story.ContinueAfterClick();
    Frame();
    EXPECT_TRUE(textBox.Visible());  // "Name:-" shows the window as ":-" does
    EXPECT_EQ(Shown.last(), QStringLiteral("Bob:line"));
    story.ContinueAfterClick();
    Frame();
    EXPECT_TRUE(textBox.Text().isEmpty());  // an empty body still replaces the text and waits
    EXPECT_EQ(story.WaitState, WaitStates::Click);
    story.ContinueAfterClick();
    Frame();
    EXPECT_FALSE(textBox.HasName());
    EXPECT_EQ(textBox.Text(), (TTextBlock{{TFontManager::MakeFontInfo(QStringLiteral("Lucida Sans Unicode"), 16, 0, 0x00FFFF),
                                           QStringLiteral("3. The Lighthouse"), false}}));
}

TEST_F(TextCommandsTest, ClickCompletesTypingBeforeItEndsTheWait)
{
    Open(QStringLiteral(":-\nA line typed out slowly.\nnext\n-:\n"));
    textBox.SetSpeed(50);
    Frame();
    EXPECT_TRUE(story.IsTyping());
    story.ContinueAfterClick();
    EXPECT_FALSE(story.IsTyping());
    EXPECT_EQ(story.WaitState, WaitStates::Click);
    story.ContinueAfterClick();
    Frame();
    EXPECT_EQ(Shown.last(), QStringLiteral("next"));
}

TEST_F(TextCommandsTest, HugeAndMarkupOnlyLinesAndAnUnclosedBlockEndCleanly)
{
    Open(QStringLiteral(":-\n") + QString(100000, u'w') + QStringLiteral("\n") + QStringLiteral("**~~").repeated(25000)
         + QStringLiteral("\n\\s:100000:big\n"));
    for (int i = 0; i < 3; ++i) {
        Frame();
        story.ContinueAfterClick();
    }
    Frames(2);
    EXPECT_TRUE(story.IsFinished());
    EXPECT_TRUE(Errors.isEmpty());
    EXPECT_EQ(textBox.Text()[0].Font.size, 100000);  // kept as written, clamped only when drawn
    EXPECT_EQ(Build(QStringLiteral("\\s:2147483647:\\+x")).value(0).Font.size, INT32_MAX);
}
