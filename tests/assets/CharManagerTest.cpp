#include "assets/CharManager.h"

#include "assets/ImageLoader.h"
#include "render/RenderDevice.h"
#include "support/Pictures.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace {

// The characters layer drawn by a real frame, on a stage of default
// positions, with an actor whose poses are plain coloured pictures.
class StageTest : public testing::Test {
protected:
    StageTest()
    {
        render.SetLayer(TLayerSlot::Characters, &chars);
        render.AddDeviceClient({[this](const std::shared_ptr<TDxDevice>& device) { images.SetDevice(device); }, {}, {}});
        render.CreateDevice(false);
        images.SetFolder(dir.Path() + QStringLiteral("/images/"));
        positions.ResetPositions();
        actors.AddActor(QStringLiteral("Anna"));
        anna = actors.FindActor(QStringLiteral("anna"));
        AddPose(QString(), 200, 400, 0xFFFF0000u);
    }
    ~StageTest() override { render.ReleaseDevice(); }

    void AddPose(const QString& name, int width, int height, QRgb color)
    {
        const QString file = QStringLiteral("pose_%1_%2").arg(width).arg(height) + name;
        dir.Write(QStringLiteral("images/") + file + QStringLiteral(".png"), PngBytes(width, height, color));
        anna->SetPose(name, file);
    }

    // A character of the actor Anna in the pose with the empty name.
    TCharSlot& Show(const QString& name, TPositionRef position = {})
    {
        TCharSlot& slot = chars.AddChar(name, anna);
        chars.ShowChar(slot, anna->FindPose(QString()), position ? position : positions.PickDefaultPosition());
        return slot;
    }

    QImage Frame()
    {
        render.Invalidate();
        render.RenderFrame();
        return render.PresentedImage();
    }

    TVirtualClock clock;
    TTempDir dir;
    TFontManager fonts;
    TRenderDevice render{fonts, clock, {}};
    TImageManager images{clock};
    TActorManager actors;
    TPositionManager positions;
    TCharManager chars{images, clock};
    TActorRef anna;
};

TEST(CastRegistries, NamesIgnoreCaseAndOnlyListChangesNotify)
{
    TActorManager actors;
    int actorChanges = 0;
    actors.SetOnChange([&](const TActorManager&) { ++actorChanges; });
    actors.AddActor(QStringLiteral("Anna"));
    actors.AddActor(QStringLiteral("ANNA"));
    ASSERT_EQ(actors.Count(), 1);
    TActorData& anna = *actors.FindActor(QStringLiteral("anna"));
    anna.SetPose(QStringLiteral("happy"), QStringLiteral("a"));
    anna.SetPose(QString(), QStringLiteral("b"));
    anna.SetPose(QStringLiteral("HAPPY"), QStringLiteral("c"));
    ASSERT_EQ(anna.Poses().size(), 2u);
    EXPECT_EQ(anna.Poses()[0]->Name, QStringLiteral("happy"));  // keeps its place
    EXPECT_EQ(anna.Poses()[0]->FileName, QStringLiteral("c"));
    EXPECT_EQ(anna.FindPose(QString())->FileName, QStringLiteral("b"));
    EXPECT_EQ(actorChanges, 1);  // poses are not the list's business

    TPositionManager positions;
    int positionChanges = 0;
    positions.SetOnChange([&](const TPositionManager&) { ++positionChanges; });
    positions.ResetPositions();
    EXPECT_EQ(positions.FindPosition(QString())->X, 512);
    EXPECT_EQ(positions.AddOrGetPosition(QStringLiteral("Left")), positions.AddOrGetPosition(QStringLiteral("LEFT")));
    EXPECT_NE(positions.AddOrGetPosition(QString()), positions.FindPosition(QString()));  // nameless ones repeat
    EXPECT_EQ(positions.Count(), 5);
    EXPECT_EQ(positionChanges, 3);
}

TEST_F(StageTest, DefaultPositionsFillThenReplaceWhoStoodLongest)
{
    TCharSlot& first = Show(QStringLiteral("A"));
    TCharSlot& second = Show(QStringLiteral("B"));
    Show(QStringLiteral("C"));
    EXPECT_EQ(first.Position()->X, 512);
    EXPECT_EQ(second.Position()->X, 341);
    TCharSlot& fourth = Show(QStringLiteral("D"));
    EXPECT_EQ(fourth.Position(), first.Position());
    EXPECT_FALSE(first.Visible());
    EXPECT_TRUE(first.Position()->Occupied);  // a hidden character keeps its place
    // All in one tick: the order of use still tells who came first.
    TCharSlot& fifth = Show(QStringLiteral("E"));
    EXPECT_EQ(fifth.Position(), second.Position());
    EXPECT_FALSE(second.Visible());
    EXPECT_EQ(chars.IndexOfChar(QStringLiteral("e")), 4);
}

TEST_F(StageTest, AlignedSpritesTouchTheStageEdgesAndDrawCentred)
{
    const TPositionRef corner = positions.AddOrGetPosition(QStringLiteral("corner"));
    positions.SetPlacement(*corner, 0, 0, CharAlign::Right | CharAlign::Top);
    TCharSlot& centre = Show(QStringLiteral("A"));
    EXPECT_EQ(centre.Y(), 568);
    EXPECT_EQ(centre.X(), 512);
    TCharSlot& up = Show(QStringLiteral("B"), corner);
    EXPECT_EQ(up.X(), 924);
    EXPECT_EQ(up.Y(), 200);
    const QImage frame = Frame();
    EXPECT_EQ(frame.pixel(412, 368), qRgb(255, 0, 0));
    EXPECT_EQ(frame.pixel(411, 368), qRgb(0, 0, 0));
    EXPECT_EQ(frame.pixel(611, 767), qRgb(255, 0, 0));
    EXPECT_EQ(frame.pixel(1023, 0), qRgb(255, 0, 0));
    chars.SetVisible(false);
    EXPECT_EQ(Frame().pixel(512, 600), qRgb(0, 0, 0));
}

TEST_F(StageTest, ShowingOnAnOccupiedPositionHidesWhoStoodThere)
{
    TCharSlot& a = Show(QStringLiteral("A"));
    TCharSlot& b = Show(QStringLiteral("B"), a.Position());
    EXPECT_FALSE(a.Visible());
    EXPECT_TRUE(b.Visible());
    chars.HideCharsAt(nullptr);
    EXPECT_TRUE(b.Visible());
    chars.ReshowChar(a);
    EXPECT_TRUE(a.Visible());
    EXPECT_FALSE(b.Visible());
    chars.RemoveChar(QStringLiteral("a"));
    EXPECT_FALSE(b.Position()->Occupied);
    EXPECT_EQ(chars.FindChar(QStringLiteral("A")), nullptr);
    EXPECT_THROW(chars.AddChar(QStringLiteral("b"), nullptr), Exception);
}

// Clearing a registry or redefining a pose under a standing character must
// leave it with what it had (ASan would see a dangling one).
TEST_F(StageTest, CharactersKeepTheirPoseAndPositionWhenRegistriesChange)
{
    TCharSlot& a = Show(QStringLiteral("A"));
    AddPose(QString(), 100, 100, 0xFF00FF00u);  // the same pose, another picture
    anna->ClearPoses();
    positions.ClearPositions();
    actors.ClearActors();
    anna.reset();
    EXPECT_EQ(a.Pose()->FileName, QStringLiteral("pose_100_100"));
    EXPECT_EQ(a.Width(), 200);  // shown before the change: keeps its picture
    EXPECT_EQ(Frame().pixel(512, 600), qRgb(255, 0, 0));
    chars.SetStageSize(800, 600);
    EXPECT_EQ(a.Y(), 400);
    chars.ClearChars();
    EXPECT_EQ(chars.Count(), 0);
}

TEST_F(StageTest, BrokenPosePictureRaisesAndTheCharacterIsNotDrawn)
{
    TCharSlot& a = Show(QStringLiteral("A"));
    dir.Write(QStringLiteral("images/broken.png"), "not a picture");
    anna->SetPose(QStringLiteral("broken"), QStringLiteral("broken"));
    anna->SetPose(QStringLiteral("gone"), QStringLiteral("gone"));
    const TPositionRef place = a.Position();
    EXPECT_THROW(chars.ShowChar(a, anna->FindPose(QStringLiteral("broken")), place), ED3DError);
    EXPECT_EQ(a.Pose()->Name, QStringLiteral("broken"));
    EXPECT_EQ(a.Picture(), nullptr);
    EXPECT_EQ(Frame().pixel(512, 600), qRgb(0, 0, 0));
    EXPECT_THROW(chars.ShowChar(a, anna->FindPose(QStringLiteral("gone")), place), EResourceMissing);
    EXPECT_EQ(a.Position(), place);
}

TEST_F(StageTest, HundredsOnStageShowOnlyTheLastOnEachPosition)
{
    for (int i = 0; i < 600; ++i)
        Show(QString::number(i));
    int visible = 0;
    for (int i = 0; i < chars.Count(); ++i)
        visible += chars.Item(i).Visible() ? 1 : 0;
    EXPECT_EQ(visible, 3);
    EXPECT_TRUE(chars.FindChar(QStringLiteral("599"))->Visible());
    EXPECT_FALSE(Frame().isNull());
    chars.ClearChars();
    EXPECT_FALSE(positions.FindPosition(QString())->Occupied);
}

} // namespace
