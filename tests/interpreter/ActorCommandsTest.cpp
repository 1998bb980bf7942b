#include "support/Pictures.h"
#include "support/StoryFixture.h"

namespace {

// Anna has a neutral (empty-named) and a happy pose; "left" is declared.
const QString kCast = QStringLiteral("@actor Anna\n@pose Anna, , anna_neutral\n@pose anna, happy, ANNA_happy.png\n"
                                     "@position left, left, bottom\n");

class CastTest : public StoryFixture {
protected:
    void SetUp() override
    {
        StoryFixture::SetUp();
        AttachDevice();
        dir.Write("images/anna_neutral.png", PngBytes(100, 300));
        dir.Write("images/anna_happy.png", PngBytes(120, 320));
    }

    // Runs the lines, answering every click, and gives the errors they raised.
    QStringList Run(const QString& lines)
    {
        Errors.clear();
        Shown.clear();
        Open(lines);
        for (int i = 0; i < 50 && !story.IsFinished(); ++i) {
            Frame();
            story.ContinueAfterClick();
        }
        return Errors;
    }

    const TCharSlot& Char(const QString& name) { return *chars.FindChar(name); }
    const TCharPosition& Position(const QString& name) { return *positions.FindPosition(name); }
    bool Logged(const QString& line) const { return host.LogLines.contains(line); }
};

TEST_F(CastTest, EveryCommandMessageAndNothingChangedByAFailingCommand)
{
    EXPECT_EQ(Run("@actors\n@actors wipe\n@actor\n@poses\n@poses Anna\n@poses Anna, clear\n@actor Anna\n"
                  "@poses Anna, wipe\n@pose Anna, happy\n@pose Bob, happy, anna_happy\n@pose Anna, happy, nowhere\n"
                  "@positions\n@positions all\n@position Middle\n@position Middle, 512\n@position , nodefault\n"
                  "@position Far, up, 3\n@position Far, 3, up\n@position Mid, 1, 2\n@position Mid, 512\n"),
              (QStringList{"Illegal \"actors\". No command specified.", "Invalid command in \"actors\": wipe.",
                           "Illegal \"actor\". No char specified.", "Illegal \"poses\". No actor specified.",
                           "Illegal \"poses\". No command specified.", "Actor not registered: Anna",
                           "Invalid command in \"poses\": wipe.", "Illegal \"pose\". Not enough params.",
                           "Actor not registered: Bob", "Image file not found: \"nowhere\".",
                           "Illegal \"positions\". No command specified.", "Invalid command in \"positions\": all.",
                           "Illegal \"position\". Not enough params.", "Position not registered: Middle",
                           "Invalid \"position\". Nameless positions cannot be made non-default",
                           "Invalid X in \"position\": up.", "Invalid Y in \"position\": up.",
                           "Invalid position command in \"position\": 512."}));
    EXPECT_TRUE(actors.FindActor("anna")->Poses().empty());
    EXPECT_EQ(positions.Count(), 4);
}

TEST_F(CastTest, PositionFormsSetCoordinatesFlagsAndDefaults)
{
    EXPECT_TRUE(Run("@position Left, LEFT, bottom\n@position Far, 10, 20, ignored\n@position Far, default\n"
                    "@position , default\n@position Right, right, top\n@position Right, nodefault\n")
                    .isEmpty());
    EXPECT_EQ(Position("left").Align, CharAlign::Left | CharAlign::Bottom);
    EXPECT_EQ(Position("Far").X, 10);
    EXPECT_TRUE(Position("Far").IsDefault);
    EXPECT_EQ(Position("Right").Align, CharAlign::Right | CharAlign::Top);
    EXPECT_FALSE(Position("Right").IsDefault);
    story.RunConsoleCommand("@position Left, 200, center");
    EXPECT_EQ(Position("Left").Align, 0);
    EXPECT_EQ(Position("Left").X, 200);
    EXPECT_EQ(Position("Left").Y, 384);
}

TEST_F(CastTest, ClearingCommandsEmptyTheStageAndTheirRegistries)
{
    const QString cast = kCast + "Anna.\n";
    Run(cast + "@hidechars\n");
    EXPECT_EQ(chars.Count(), 0);
    EXPECT_EQ(actors.FindActor("Anna")->FindPose("happy")->FileName, QStringLiteral("ANNA_happy.png"));  // as written
    Run(cast + "@poses Anna, clear\n");
    EXPECT_EQ(chars.Count(), 1);
    EXPECT_TRUE(actors.FindActor("Anna")->Poses().empty());
    Run(cast + "@actors clear\n");
    EXPECT_EQ(chars.Count() + actors.Count(), 0);
    Run(cast + "@positions clear\n");
    EXPECT_EQ(chars.Count() + positions.Count(), 0);
    Run(cast + "@positions default\n");
    EXPECT_EQ(positions.Count(), 3);
    Run(cast + "@resetchars\n");
    EXPECT_EQ(actors.Count(), 0);
    EXPECT_EQ(positions.FindPosition("Left"), nullptr);
    Run(cast + "@bgpic black\n");
    EXPECT_EQ(chars.Count(), 1);
    Run(cast + "@bg black\n");
    EXPECT_EQ(chars.Count(), 0);
    Run(cast);
    story.Restart();
    EXPECT_EQ(chars.Count() + actors.Count(), 0);
    EXPECT_EQ(positions.Count(), 3);
}

TEST_F(CastTest, LinesBringOnPoseAndMoveCharacters)
{
    Run(kCast + "Anna: Hello.\n");
    EXPECT_EQ(Char("Anna").Position(), positions.FindPosition(QString()));
    EXPECT_EQ(Char("Anna").Y(), 768 - 150);
    Run(kCast + "Anna: Hello.\nAnna(happy): I am glad you came.\nAnna(, left).\nBob: Who is there?\n");
    EXPECT_EQ(Shown, (QStringList{"Anna: Hello.", "Anna: I am glad you came.", "Bob: Who is there?"}));
    EXPECT_EQ(Char("anna").Pose()->Name, QStringLiteral("happy"));
    EXPECT_EQ(Char("anna").X(), 60);
    EXPECT_TRUE(Logged("Actor Bob not found."));
    EXPECT_EQ(Char("Bob").Picture(), nullptr);
    // No default positions left: the speaker speaks without a sprite.
    Run(kCast + "@positions clear\nAnna: hi\n");
    EXPECT_EQ(Shown, QStringList{"Anna: hi"});
    EXPECT_EQ(Char("Anna").Picture(), nullptr);
    EXPECT_TRUE(Errors.isEmpty());
}

TEST_F(CastTest, AnimatedPoseStandsAsOneFrameAndKeepsFramesComing)
{
    dir.Write("images/strip.png", PngBytes(200, 300));
    dir.WriteUtf8("images/_images.code", "[SETTINGS]\nstrip,,100,300,50\n");
    Run(kCast + "@pose Anna, talking, strip\nAnna(talking, left).\n");
    EXPECT_EQ(Char("Anna").X(), 50);
    EXPECT_TRUE(story.LayersMoveWithTime());
    const int frame = Char("Anna").Picture()->CurrentFrame();
    Frames(4);
    EXPECT_NE(Char("Anna").Picture()->CurrentFrame(), frame);
}

TEST_F(CastTest, NamesEndAtTheFirstMarkerAndExtraItemsAreSkipped)
{
    Run(kCast + "Mr. Smith: hello\n: hello\nAnna(happy, , Anna, extra): hi\n");
    EXPECT_NE(chars.FindChar("Mr"), nullptr);
    EXPECT_TRUE(Logged("Actor  not found."));
    EXPECT_EQ(Shown, (QStringList{" hello", "Anna: hi"}));
    EXPECT_EQ(Char("Anna").Pose()->Name, QStringLiteral("happy"));
}

TEST_F(CastTest, FailingLinesChangeOnlyWhatCameBefore)
{
    EXPECT_EQ(Run(kCast + "Anna: hi\nAnna(sad): hi\nAnna(, nowhere): hi\nAnna(,,Nobody): hi\nCara(,,Anna): hi\n"
                          "Dora(sad,,Anna): hi\n"),
              (QStringList{"Pose \"sad\" not found for Actor Anna.", "Position \"nowhere\" not found.",
                           "Actor Nobody not found.", "Pose \"sad\" not found for Actor Anna."}));
    EXPECT_EQ(chars.FindChar("Anna"), nullptr);  // removed for another actor before the failure
    EXPECT_FALSE(Char("Dora").Visible());        // registered before its pose was checked
    EXPECT_TRUE(Char("Cara").Visible());
    EXPECT_EQ(textBox.Name(), QStringLiteral("Dora"));
    EXPECT_EQ(Shown, (QStringList{"Anna: hi", "Cara: hi"}));
}

TEST_F(CastTest, SameActorKeepsTheCharacterAnotherSpellingMakesItAnew)
{
    Run(kCast + "Anna(happy, left).\nBea(,,Anna).\nBea(, left).\nAnna(,,Anna).\n");
    EXPECT_TRUE(Char("Anna").Visible());  // came back on its place
    EXPECT_FALSE(Char("Bea").Visible());
    Run(kCast + "Anna(happy, left).\nAnna(,,anna).\n");
    EXPECT_EQ(Char("Anna").Pose()->Name, QString());
    EXPECT_EQ(Char("Anna").Position(), positions.FindPosition(QString()));
}

TEST_F(CastTest, HugeAndUnbalancedLinesNeverCrash)
{
    const QString longName(10000, u'x');
    EXPECT_EQ(Run(kCast + longName + ": hi\nAnna((happy)): hi\nAnna)(: hi\nAnna(" + QString(10000, u'(') +
                  "\nAnna(" + QString(5000, u',') + "): " + QString(10000, u'y') + "\n"),
              (QStringList{"Pose \"(happy\" not found for Actor Anna.", "Invalid unclosed character state.",
                           "Invalid unclosed character state."}));
    EXPECT_NE(chars.FindChar(longName), nullptr);
    EXPECT_EQ(Shown.size(), 2);
}

} // namespace
