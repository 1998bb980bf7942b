#include "interpreter/ChoiceCommands.h"

#include "support/StoryFixture.h"

#include <QBuffer>
#include <QImage>

namespace {

// A strip of three 40 x 20 frames whose left halves are opaque.
QByteArray ButtonStrip(bool opaque = true)
{
    QImage image(120, 20, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    for (int y = 0; y < 20 && opaque; ++y)
        for (int x = 0; x < 120; ++x)
            if (x % 40 < 20)
                image.setPixel(x, y, qRgba(0, 0, 255, 255));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "png");
    return bytes;
}

const QString Menu = QStringLiteral(
    "@item Yes, yes_branch\n@item No, no_branch\n@menu\n"
    "#yes_branch\n:-\nyes\n-:\n@exit\n#no_branch\n:-\nno\n-:\n@exit\n");

class ChoiceTest : public StoryFixture {
protected:
    void SetUp() override
    {
        StoryFixture::SetUp();
        AttachDevice();
        dir.Write("images/go.png", ButtonStrip());
        dir.Write("images/clear.png", ButtonStrip(false));
        dir.WriteUtf8("images/_images.code", "[SETTINGS]\ngo,,40,20,50\nclear,,40,20\n");
    }

    // The centre of a choice of the shown menu.
    QPoint ItemCentre(int index)
    {
        selectionBox.UpdateLayout();
        const TRect& r = selectionBox.ItemRects()[size_t(index)];
        return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }
    void Click(QPoint p)
    {
        story.HandleMouseDown(p.x(), p.y());
        story.HandleMouseUp(p.x(), p.y());
    }
    void Key(TReaderKey key) { story.HandleKey(key, false); }
    // Errors of reader input reach the application as those of frames do.
    void Guarded(const std::function<void()>& input)
    {
        try {
            input();
        } catch (const Exception& e) {
            Errors.append(e.Message());
        }
    }
};

} // namespace

TEST_F(ChoiceTest, KeysPickTheHighlightedChoice)
{
    Open(Menu);
    Frame();
    EXPECT_EQ(story.WaitState, WaitStates::Choice);
    EXPECT_EQ(selectionBox.Items(), (QStringList{"Yes", "No"}));
    EXPECT_EQ(selectionBox.Selected(), -1);
    Key(TReaderKey::Enter);  // nothing highlighted yet
    EXPECT_EQ(story.WaitState, WaitStates::Choice);
    Key(TReaderKey::Down);
    Key(TReaderKey::Enter);
    Frame();
    EXPECT_EQ(Shown, QStringList{"yes"});
    EXPECT_FALSE(selectionBox.Visible());
    EXPECT_TRUE(choices.PendingItems().empty());

    Open(Menu);
    Frame();
    Key(TReaderKey::Up);
    Key(TReaderKey::Space);
    Frame();
    EXPECT_EQ(Shown.last(), "no");
}

TEST_F(ChoiceTest, TheMoveHighlightsAndTheClickConfirms)
{
    Open(Menu);
    Frame();
    Click(ItemCentre(1));
    EXPECT_EQ(story.WaitState, WaitStates::Choice);  // not highlighted first
    story.HandleMouseMove(ItemCentre(1).x(), ItemCentre(1).y());
    story.HandleMouseMove(5, 5);  // off the choices the highlight stays
    EXPECT_EQ(selectionBox.Selected(), 1);
    Click(ItemCentre(0));
    EXPECT_EQ(story.WaitState, WaitStates::Choice);
    Click(ItemCentre(1));
    Frame();
    EXPECT_EQ(Shown, QStringList{"no"});
}

TEST_F(ChoiceTest, AChoiceWithAMissingLabelLeavesTheMenuToChooseAgain)
{
    Open("@item Lost, nowhere\n@item Found, here\n@menu\n#here\n:-\nfound\n-:\n");
    Frame();
    Key(TReaderKey::Down);
    Guarded([&] { Key(TReaderKey::Enter); });
    EXPECT_EQ(Errors, QStringList{"Label not found: nowhere"});
    EXPECT_EQ(story.WaitState, WaitStates::Choice);
    EXPECT_TRUE(selectionBox.Visible());
    EXPECT_EQ(choices.PendingItems().size(), 2u);
    Key(TReaderKey::Down);
    Key(TReaderKey::Enter);
    Frame();
    EXPECT_EQ(Shown, QStringList{"found"});
}

TEST_F(ChoiceTest, EmptyMenuWaitsForAClickAndAMenuEndedWithoutAPickLeavesTheScreen)
{
    Open("@menu\n:-\nafter\n-:\n");
    Frame();
    EXPECT_TRUE(selectionBox.Visible());
    EXPECT_EQ(story.WaitState, WaitStates::Choice);
    story.HandleTextWindowClick();
    Frame();
    EXPECT_EQ(Shown, QStringList{"after"});
    EXPECT_FALSE(selectionBox.Visible());
    Open(Menu);
    Frame();
    story.RunConsoleCommand(QString());  // the author goes on past a menu: it goes too
    EXPECT_FALSE(selectionBox.Visible());
    EXPECT_EQ(story.WaitState, WaitStates::Run);
}

TEST_F(ChoiceTest, ImagesAndButtonsTakeTheirNamesPicturesAndPlaces)
{
    for (const char* name : {"images/title.png", "images/a.png", "images/d.png", "images/e.png"})
        dir.Write(QString::fromUtf8(name), ButtonStrip());
    const QString lines = QStringLiteral(
        "@img go, 10, 20\n@img a, , 30, 40\n@image b, title.png, 50, 60\n@btn c, go, 1, 2, unused, start\n"
        "@button d, 5, 5, there\n@btn e, , 7, 8, here\n");
    Open(lines);
    Frame();
    ASSERT_TRUE(Errors.isEmpty()) << Errors.join(u'\n').toStdString();
    ASSERT_EQ(screenObjects.Count(), 6);
    const auto& b = dynamic_cast<const TScreenImg&>(screenObjects.At(2));
    EXPECT_TRUE(b.Picture().FileName().endsWith(QStringLiteral("title.png")));
    EXPECT_EQ(QPoint(b.X(), b.Y()), QPoint(50, 60));
    EXPECT_EQ(dynamic_cast<const TScreenImg&>(screenObjects.At(0)).Picture().FrameCount(), 3);
    EXPECT_TRUE(dynamic_cast<const TScreenImg&>(screenObjects.At(1)).Picture().FileName().endsWith(u"a.png"));
    QStringList targets;
    for (int i = 3; i < 6; ++i)
        targets.append(dynamic_cast<const TScreenButton&>(screenObjects.At(i)).Target());
    EXPECT_EQ(targets, (QStringList{"start", "there", "here"}));
}

TEST_F(ChoiceTest, BadPlacementsCreateNothing)
{
    Open("@img logo, 10, x\n@img go, 1, 1\n@img GO, 2, 2\n@btn b, missing, 1, 1, l\n@img x, 1\n@btn y, 1, 1\n");
    Frames(6);
    EXPECT_EQ(Errors, (QStringList{"Invalid coordinates in \"img\": 10,x.", "Object \"GO\" is already present.",
                                   "Image file not found: \"missing\".", "Illegal \"img\". Not enough params.",
                                   "Illegal \"btn\". Not enough params."}));
    EXPECT_EQ(screenObjects.Count(), 1);
}

TEST_F(ChoiceTest, DropRemovesNamedObjectsOrAll)
{
    Open("@img go, 1, 1\n@img a, go, 1, 1\n@drop GO, ghost\n");
    Frame();
    EXPECT_TRUE(host.LogLines.contains("Dropping \"GO\"."));
    EXPECT_TRUE(host.LogLines.contains("Object \"ghost\" not found, cannot delete."));
    EXPECT_EQ(screenObjects.Count(), 1);
    Open("@img go, 1, 1\n@drop\n");
    Frame();
    EXPECT_EQ(screenObjects.Count(), 0);
}

TEST_F(ChoiceTest, AButtonInATextWaitJumpsAtOnce)
{
    Open("@btn go, 100, 100, jumped\n:-\nwaiting\n-:\n:-\nnever\n-:\n#jumped\n:-\njumped\n-:\n");
    Frame();
    ASSERT_EQ(story.WaitState, WaitStates::Click);
    Click(QPoint(125, 105));  // a transparent pixel: a click on the text
    Frame();
    EXPECT_EQ(Shown.last(), "never");
    Click(QPoint(105, 105));
    Frame();
    EXPECT_EQ(Shown.last(), "jumped");
}

TEST_F(ChoiceTest, ChooseWaitsForAButtonWithALabel)
{
    Open("@btn go, 100, 100, nowhere\n@btn plain, go, 200, 100, \"\"\n@choose\n:-\nnext\n-:\n#target\n:-\nbutton\n-:\n");
    Frame();
    ASSERT_EQ(story.WaitState, WaitStates::Button);
    Click(QPoint(205, 105));  // no label
    Click(QPoint(500, 300));
    Key(TReaderKey::Enter);
    Guarded([&] { Click(QPoint(105, 105)); });
    EXPECT_EQ(Errors, QStringList{"Label not found: nowhere"});
    EXPECT_EQ(story.WaitState, WaitStates::Button);
    dynamic_cast<TScreenButton*>(screenObjects.Find("go"))->SetTarget("target");
    Click(QPoint(105, 105));
    Frame();
    EXPECT_EQ(Shown, QStringList{"button"});
}

TEST_F(ChoiceTest, ChooseWithoutAButtonToClickGoesOnAtAClick)
{
    Open("@btn glass, clear, 100, 100, target\n@choose\n:-\nnext\n-:\n#target\n");
    Frame();
    Click(QPoint(105, 105));
    Frame();
    EXPECT_EQ(Shown, QStringList{"next"});
}

TEST_F(ChoiceTest, TheTextWindowTakesPressesButAHeldButtonStillGetsItsRelease)
{
    Open("@btn low, go, 100, 600, low\n@btn high, go, 100, 100, low\n:-\nwaiting\n-:\n:-\nnext\n-:\n#low\n");
    Frame();
    story.HandleMouseDown(105, 105);
    auto* high = dynamic_cast<TScreenButton*>(screenObjects.Find("high"));
    EXPECT_TRUE(high->Pressed());
    story.HandleMouseUp(105, 650);  // over the text window, off the button: no click
    EXPECT_FALSE(high->Pressed());
    EXPECT_EQ(screenObjects.Captured(), nullptr);
    Click(QPoint(105, 605));  // on the text window, above the low button
    Frame();
    EXPECT_EQ(Shown.last(), "next");
}

TEST_F(ChoiceTest, ButtonsNeverAnimate)
{
    Open("@btn go, 100, 100, x\n@choose\n");
    Frames(20);
    EXPECT_EQ(dynamic_cast<TScreenButton*>(screenObjects.Find("go"))->Picture().CurrentFrame(), 0);
}

TEST_F(ChoiceTest, ANewSceneAResetAndARestartClearWhatTheStoryPlaced)
{
    Open("@img go, 1, 1\n@bg black\n@img go, 1, 1\n@reset\n@img go, 1, 1\n@item a, b\n@menu\n");
    Frame();
    EXPECT_EQ(screenObjects.Count(), 1);  // "bg" and "reset" cleared the first two
    story.Restart();
    EXPECT_EQ(screenObjects.Count(), 0);
    EXPECT_FALSE(selectionBox.Visible());
    EXPECT_TRUE(choices.PendingItems().empty());
}
