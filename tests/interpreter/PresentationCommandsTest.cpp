#include "interpreter/PresentationCommands.h"

#include "support/StoryFixture.h"

#include <QBuffer>
#include <QImage>

namespace {

QByteArray Picture(int width, int height, const char* format = "png")
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(0xFF204060u);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

class PresentationTest : public StoryFixture {
protected:
    void SetUp() override
    {
        StoryFixture::SetUp();
        AttachDevice();
    }

    // Runs the lines to their end, one frame for each error, and gives the
    // errors they raised.
    QStringList Run(const QString& lines)
    {
        Errors.clear();
        Open(lines);
        for (int i = 0; i < 50 && !story.IsFinished(); ++i)
            Frame();
        return Errors;
    }

    bool Logged(const QString& line) const { return host.LogLines.contains(line); }
};

} // namespace

TEST_F(PresentationTest, BgTakesAColourNoneOrAPictureByItsExtensions)
{
    dir.Write("images/forest.png", Picture(200, 100));
    dir.Write("images/forest.bmp", Picture(10, 10, "bmp"));
    EXPECT_EQ(Run("@bg white\n@bgpos 5, 5\n@bg forest\n"), QStringList());
    EXPECT_EQ(background.Color(), 0xFFFFFFu);
    EXPECT_EQ(background.Picture().Width(), 200);  // png before bmp
    EXPECT_EQ(background.PosX(), 100.0);  // centred on the new picture
    EXPECT_EQ(background.PosY(), 50.0);
    EXPECT_TRUE(Logged("Loading file: " + dir.File("images/forest.png")));
    Run("@bg forest\n@bgzoom 150\n@bgpos 7, 8\n@bgpic black\n");
    EXPECT_EQ(background.Color(), 0u);
    EXPECT_TRUE(background.Picture().IsEmpty());
    EXPECT_EQ(background.PosX(), 7.0);  // "bgpic" moves nothing
    EXPECT_EQ(background.Zoom(), 150.0);
    Run("@bgcolor navy\n@bg none\n");
    EXPECT_EQ(background.Color(), 0x800000u);  // "none" keeps the colour
    EXPECT_EQ(background.PosX(), 0.0);
}

TEST_F(PresentationTest, MissingBackgroundIsReportedAndShownRed)
{
    dir.Write("images/forest.png", Picture(20, 20));
    EXPECT_EQ(Run("@bg forest.png\n"), QStringList());  // named without extension: forest.png.jpg and so on
    EXPECT_TRUE(Logged("BG file not found: \"forest.png\""));
    EXPECT_EQ(background.Color(), 0xFFu);
    missingFiles.SkipMissingFiles = false;
    EXPECT_EQ(Run("@bg gone\n"), QStringList{"BG file not found: \"gone\""});
}

TEST_F(PresentationTest, BackgroundMotionCommandsAndTheirMessages)
{
    Run("@bgpos 10, 20, now\n@bgzoom 0\n");
    EXPECT_EQ(background.PosX(), 10.0);
    EXPECT_EQ(background.Zoom(), 100.0);
    Run("@bgzoom -5, 0\n@bgpos 110, 20, 200\n@bgtint red, 128, 100\n@bgfree\n");
    EXPECT_EQ(background.Zoom(), 100.0);
    EXPECT_FALSE(background.Fit());
    EXPECT_EQ(background.TintColor(), 0x0000FFu);  // the colour at once, the alpha over time
    EXPECT_NEAR(background.TintAlpha(), 128 * 16 / 100.0, 1e-9);
    Frames(15);
    EXPECT_EQ(background.PosX(), 110.0);
    EXPECT_EQ(background.TintAlpha(), 128.0);
    EXPECT_EQ(Run("@bgpos 1\n@bgpos a, 2\n@bgpos 1, 2, soon\n@bgzoom big\n@bgtint red\n@bgtint red, 256\n"
                  "@bgtint nocolor, 1\n@bgcolor\n"),
              QStringList({"Illegal \"bgpos\". No Y specified.", "Invalid position in \"bgpos\": a, 2.",
                           "Invalid interval in \"bgpos\": soon.", "Invalid zoom in \"bgzoom\": big.",
                           "Illegal \"bgtint\". No alpha specified.", "Invalid alpha in \"bgtint\": 256.",
                           "Invalid color in \"bgtint\": nocolor.", "Illegal \"bgcolor\". No color specified."}));
}

TEST_F(PresentationTest, MarginFormsOfTheTextWindowAndTheSelectionBox)
{
    Run("@twmargin 8\n");
    EXPECT_EQ(textBox.Margins(), (TMargins{8, 8, 8, 8}));
    Run("@twmargin 8, 4\n@selmargin 1, 2, 3, 4\n");
    EXPECT_EQ(textBox.Margins(), (TMargins{8, 4, 8, 4}));
    EXPECT_EQ(selectionBox.Margins(), (TMargins{1, 2, 3, 4}));
    Run("@selmargin 5, 6, 7, 8, 9\n");
    EXPECT_EQ(selectionBox.Margins(), (TMargins{5, 6, 5, 6}));
    EXPECT_EQ(Run("@twmargin 1, 2, 3\n@twmargin x\n@selmargin 1, y\n@selmargin 1, 2, 3, z\n"),
              QStringList({"Invalid \"twmargin\". Either use full (l,t,r,b) form, (w,h) form, but three arguments "
                           "are not supported.",
                           "Invalid margin in \"twmargin\": x.", "Invalid margin in \"selmargin\": y.",
                           "Invalid margin in \"selmargin\": 3, z."}));
}

TEST_F(PresentationTest, TextWindowGeometry)
{
    Run("@twtextpos 30, 20, 974, 158\n");
    EXPECT_EQ(textBox.Margins(), (TMargins{30, 20, 30, 20}));  // of the window at 10, 585 - 1014, 763
    Run("@settwpos 0, 0, 400, 300\n@twnamepos 5, 6, 100, 30\n@twchartextpos AUTO\n@twspeed 0\n");
    EXPECT_EQ(textBox.Bounds(), (TRect{0, 0, 400, 300}));
    EXPECT_FALSE(textBox.NameAuto());
    EXPECT_EQ(textBox.NamePos(), (TRect{5, 6, 100, 30}));
    EXPECT_TRUE(textBox.CharTextAuto());
    EXPECT_EQ(textBox.Speed(), 0);
    // No window without an inside, and none a texture could not be made for.
    EXPECT_EQ(Run("@twpos 5, 5, 1, 100\n@twpos 0, 0, 40000, 10\n@twpos 1, 2, 3\n@twnamepos 1, 2\n@twspeed fast\n"),
              QStringList({"Invalid position in \"twpos\": 5,5,1,100.", "Invalid position in \"twpos\": 0,0,40000,10.",
                           "Illegal \"twpos\". Not enough params.", "Illegal \"twnamepos\". Not enough params.",
                           "Invalid speed in \"twspeed\": fast."}));
    EXPECT_EQ(textBox.Bounds(), (TRect{10, 585, 1014, 763}));
}

TEST_F(PresentationTest, TextWindowAndSelectionBoxLook)
{
    dir.Write("images/frame.png", Picture(50, 20));
    Run("@twcolor blue\n@settwalpha 90\n@hidetw\n@selcolor red\n@selalpha 10\n@selhlcolor lime\n");
    EXPECT_EQ(textBox.Box().Color(), 0xFF0000u);
    EXPECT_EQ(textBox.Box().Alpha(), 90);
    EXPECT_FALSE(textBox.Visible());
    EXPECT_EQ(selectionBox.Box().Color(), 0x0000FFu);
    EXPECT_EQ(selectionBox.Box().Alpha(), 10);
    EXPECT_EQ(selectionBox.HighlightColor(), 0x00FF00u);
    EXPECT_EQ(Run("@twpic frame.png\n@selpic FRAME.PNG\n@twpic frame\n@selpic nothing.png\n"), QStringList());
    EXPECT_EQ(textBox.Box().PictureFile(), dir.File("images/frame.png"));
    EXPECT_FALSE(selectionBox.Box().PictureFile().isEmpty());  // letter case ignored
    EXPECT_TRUE(Logged("TwPic file not found: \"frame\""));
    EXPECT_TRUE(Logged("SelPic file not found: \"nothing.png\""));
}

TEST_F(PresentationTest, FontFamilyCommands)
{
    Run("@charfont Arial, 20\n@namefont Courier New\n");
    EXPECT_EQ(textBox.CharTextFont().name, "Arial");
    EXPECT_EQ(textBox.CharTextFont().size, 20);
    EXPECT_EQ(textBox.CharTextFont().color, 0xFFFF00u);
    EXPECT_EQ(textBox.NameFont().name, "Courier New");
    EXPECT_EQ(textBox.NameFont().size, 20);  // no size given: the copy's stays
    Run("@namefont Arial, 20\n@charfontsize 30\n@fontsz huge\n@fontcolor red\n");
    EXPECT_EQ(textBox.CharTextFont().name, "Lucida Sans Unicode");  // "namefont" leaves it alone
    EXPECT_EQ(textBox.NameFont().size, 30);
    EXPECT_EQ(textBox.NarrationFont().size, 32);
    EXPECT_EQ(textBox.NarrationFont().color, 0x0000FFu);
    // A bad value stops the command, but what it set before stays.
    EXPECT_EQ(Run("@charfont Arial, 12, nocolor\n@selfont Arial, , blue\n"),
              QStringList({"Invalid color in \"charfont\": nocolor.", "Invalid size in \"selfont\": ."}));
    EXPECT_EQ(textBox.CharTextFont().name, "Arial");
    EXPECT_EQ(textBox.CharTextFont().size, 12);
    EXPECT_EQ(textBox.NameFont().name, "Lucida Sans Unicode");
    EXPECT_EQ(selectionBox.Font().name, "Arial");
    Run("@font No Such Face, 40\n@charfont No Such Face\n");
    EXPECT_EQ(textBox.NarrationFont().size, 16);
    EXPECT_TRUE(Logged("Font file not found: \"No Such Face\""));
    EXPECT_TRUE(Logged("CharFont file not found: \"No Such Face\""));
}

TEST_F(PresentationTest, CursorCommandsLoadThroughTheImageManager)
{
    dir.Write("images/arrow.png", Picture(16, 16));
    dir.Write("images/dots.png", Picture(48, 16));
    dir.WriteUtf8("images/_images.code", "[SETTINGS]\ndots,,16,16,100\n");
    Run("@mousecursor set, arrow\n@cursor set, dots\n@selcursor1 set, arrow\n@selcursor2 set, dots\n");
    EXPECT_TRUE(MouseCursorShown);
    EXPECT_EQ(mouseCursor.Width(), 16);
    EXPECT_EQ(textBox.CursorPicture().FrameCount(), 3);
    EXPECT_FALSE(selectionBox.LeftCursor().IsEmpty());
    EXPECT_EQ(selectionBox.RightCursor().FrameInterval(), 100u);
    // A picture that fails to load must not leave the pointer invisible.
    dir.Write("images/broken.png", "no picture");
    EXPECT_THROW(story.RunConsoleCommand("@mousecursor set, broken"), ED3DError);
    EXPECT_FALSE(MouseCursorShown);
    EXPECT_EQ(Run("@cursor maybe\n@mousecursor set\n@selcursor1 set, nowhere\n@cursor clear\n"),
              QStringList({"Invalid \"cursor\". Unsupported option: maybe", "Illegal \"mousecursor\". Not enough params.",
                           "Image file not found: \"nowhere\"."}));
    EXPECT_TRUE(textBox.CursorPicture().IsEmpty());
}

TEST_F(PresentationTest, AnimatedLayersMoveInTheFrameAdvance)
{
    dir.Write("images/dots.png", Picture(48, 16));
    dir.WriteUtf8("images/_images.code", "[SETTINGS]\ndots,,16,16,50\n");
    Run("@mousecursor set, dots\n@bgpos 100, 0, 1000\n");
    EXPECT_TRUE(story.LayersMoveWithTime());
    const int frame = mouseCursor.CurrentFrame();
    Frames(4);
    EXPECT_NE(mouseCursor.CurrentFrame(), frame);
    EXPECT_LT(background.PosX(), 512.0);  // on its way from the reset's centre
}

TEST_F(PresentationTest, ResetBringsBackAnUntintedLiveScreen)
{
    dir.Write("images/arrow.png", Picture(16, 16));
    Run("@bgtint black, 200\n@repaint off\n@mousecursor set, arrow\n@twpos 0, 0, 100, 100\n@reset\n");
    EXPECT_EQ(background.TintAlpha(), 0.0);
    EXPECT_EQ(background.TintColor(), 0u);
    EXPECT_FALSE(host.Suspended);
    EXPECT_FALSE(MouseCursorShown);
    EXPECT_TRUE(mouseCursor.IsEmpty());
    EXPECT_EQ(textBox.Bounds(), (TRect{10, 585, 1014, 763}));
    EXPECT_TRUE(background.Fit());
    EXPECT_EQ(background.PosX(), 512.0);
}

TEST_F(PresentationTest, MalformedImageCodeIsReportedAndTheStoryStillRuns)
{
    dir.WriteUtf8("images/_images.code", "[ALIASES]\nhero=hero.png\nbroken\nlater=x.png\n");
    try {
        Open(":-\nstill here\n-:\n");
        ADD_FAILURE() << "no error";
    } catch (const EImageCodeError& error) {
        EXPECT_EQ(error.Message(), QStringLiteral("Invalid image alias line: \"broken\"."));
    }
    Frame();
    EXPECT_EQ(Shown, QStringList{"still here"});
    EXPECT_EQ(images.FindAlias("hero"), "hero.png");
    EXPECT_EQ(images.FindAlias("later"), QString());
}
