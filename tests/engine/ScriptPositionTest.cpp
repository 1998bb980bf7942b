#include "engine/ScriptPosition.h"

#include "engine/KvtEngine.h"
#include "support/TempDir.h"

#include <QDir>

#include <gtest/gtest.h>

namespace {

class ScriptPositionTest : public testing::Test {
protected:
    void SetUp() override { savedCwd_ = QDir::currentPath(); }
    void TearDown() override { QDir::setCurrent(savedCwd_); }
    void Load(const QString& text) { parser.LoadScript(dir.WriteUtf8(QStringLiteral("story.kvt"), text)); }
    // Where the line of `text` (encoded in the script as it was) lands now.
    TPlacedPosition Moved(const QString& before, int32_t line, const QString& after)
    {
        Load(before);
        const TScriptPosition position = EncodePosition(parser, line);
        Load(after);
        return PlacePosition(parser, position);
    }

    TTempDir dir;
    TKvtParser parser;

private:
    QString savedCwd_;
};

const QString Story = QStringLiteral("intro\n#a\nx\ny\n#b\nz\n");

} // namespace

TEST_F(ScriptPositionTest, ALineIsToldByTheNearestLabelAboveAndFoundAfterEditsAboveIt)
{
    Load(Story);
    EXPECT_EQ(EncodePosition(parser, 3), (TScriptPosition{"a", 2, "story.kvt", 4, "y"}));
    EXPECT_EQ(EncodePosition(parser, 0), (TScriptPosition{"", 0, "story.kvt", 1, "intro"}));
    EXPECT_EQ(EncodePosition(parser, 6), (TScriptPosition{"b", 2, "", 0, ""}));  // past the last line
    const TPlacedPosition shifted = Moved(Story, 3, QStringLiteral("new\nlines\n") + Story);
    EXPECT_EQ(shifted.Line, 5);
    EXPECT_TRUE(shifted.Problem.isEmpty());
    EXPECT_EQ(Moved(Story, 6, QStringLiteral("more\n") + Story).Line, 7);
}

TEST_F(ScriptPositionTest, AnEqualLabelFurtherDownIsPassedOverForTheOneAJumpFinds)
{
    Load(QStringLiteral("#a\none\n#A\ntwo\n"));
    EXPECT_EQ(EncodePosition(parser, 3).Label, "a");
    EXPECT_EQ(EncodePosition(parser, 3).Offset, 3);
}

TEST_F(ScriptPositionTest, AChangedLineIsLookedForByFileLineThenFallsBackToItsLabel)
{
    // Lines added between the label and the line, none above: the file's
    // line number still points at the same text.
    const TPlacedPosition byHint = Moved(Story, 3, QStringLiteral("intro\n#a\nx\ny\n#b\nz\n").replace("x\n", "x\n"));
    EXPECT_EQ(byHint.Line, 3);
    const TPlacedPosition toLabel = Moved(Story, 3, QStringLiteral("intro\n#a\nx\nnew\nY\n#b\nz\n"));
    EXPECT_EQ(toLabel.Line, 1);
    EXPECT_TRUE(toLabel.Problem.contains(QStringLiteral("going on from the label \"a\""))) << toLabel.Problem.toStdString();
    const TPlacedPosition toStart = Moved(Story, 3, QStringLiteral("intro\n#c\nx\nq\n"));
    EXPECT_EQ(toStart.Line, 0);
    EXPECT_EQ(toStart.Problem, QStringLiteral("the label \"a\" is gone; going on from the start of the script"));
}
