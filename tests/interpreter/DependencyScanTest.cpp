#include "engine/KvtEngine.h"
#include "interpreter/DependencyScan.h"
#include "support/TempDir.h"

#include <QDir>

#include <gtest/gtest.h>

namespace {

class DependencyScanTest : public testing::Test {
protected:
    void TearDown() override { QDir::setCurrent(savedCwd_); }  // loading moves into the script's folder

    TDependencyScan Scan(const QString& script)
    {
        parser_.LoadScript(dir_.WriteUtf8(QStringLiteral("story.kvt"), script));
        return TDependencyScan(parser_);
    }
    void Touch(const QString& name) { dir_.Write(name, "x"); }

    TTempDir dir_;
    TKvtParser parser_;

private:
    QString savedCwd_ = QDir::currentPath();
};

} // namespace

TEST_F(DependencyScanTest, LabelsAreListedOnceAndJumpTargetsMatchThemIgnoringCase)
{
    const TDependencyScan scan = Scan(QStringLiteral(
        "#start\n#end\n@goto End\n#START\n@goto nowhere\n@gotoif x, elsewhere\n@gotoif onlyone\n"
        "@gotorandom a, start, NOWHERE\n@call sub\n@goto %next%\n#start\n"));
    EXPECT_EQ(scan.List(TDependencyList::Labels), (QStringList{"start", "end"}));
    EXPECT_EQ(scan.List(TDependencyList::DuplicateLabels), QStringList{"START"});
    // "call" targets are not collected; a one-parameter "gotoif" names no label.
    EXPECT_EQ(scan.List(TDependencyList::RequiredLabels),
              (QStringList{"End", "nowhere", "elsewhere", "a", "start", "%next%"}));
    // A target filled in at run time cannot be known to be missing.
    EXPECT_EQ(scan.List(TDependencyList::MissingLabels), (QStringList{"nowhere", "elsewhere", "a"}));
}

TEST_F(DependencyScanTest, IncludedFilesAndEveryBranchAreRead)
{
    dir_.WriteUtf8(QStringLiteral("part2.kvt"), QStringLiteral("#inner\n@font Serif, 12\n"));
    const TDependencyScan scan =
        Scan(QStringLiteral("@if 0\n@goto inner\n@font Mono\n@endif\n@include part2.kvt\n@FONT serif\n"));
    EXPECT_TRUE(scan.List(TDependencyList::MissingLabels).isEmpty());
    EXPECT_EQ(scan.List(TDependencyList::Fonts), (QStringList{"Mono", "Serif"}));
}

TEST_F(DependencyScanTest, MissingBackgroundsAreNamesWithoutAPictureFile)
{
    Touch(QStringLiteral("images/forest.png"));
    Touch(QStringLiteral("images/Tür.JPG"));
    const TDependencyScan scan = Scan(QStringLiteral(
        "@bg forest\n@bg forest.png\n@bg Tür\n@bg Straße\n@bg none\n@bg black\n@bg $FF8000\n@bg %place%\n"
        "@bg\n@bgpic elsewhere\n"));
    EXPECT_EQ(scan.List(TDependencyList::Backgrounds),
              (QStringList{"forest", "forest.png", "Tür", "Straße", "none", "black", "$FF8000", "%place%"}));
    // A name is tried with each picture extension only: written with its
    // own it is missing. Names keep every character they were written with.
    EXPECT_EQ(scan.List(TDependencyList::MissingBackgrounds), (QStringList{"forest.png", "Straße"}));
    Touch(QStringLiteral("images/straße.bmp"));
    EXPECT_EQ(scan.List(TDependencyList::MissingBackgrounds), QStringList{"forest.png"});
}

TEST_F(DependencyScanTest, SoundsOfBothCommandsShareOneListAndSilenceIsNoFile)
{
    Touch(QStringLiteral("music/theme.ogg"));
    Touch(QStringLiteral("sound/rain.wav"));
    const TDependencyScan scan = Scan(QStringLiteral(
        "@bgmusic theme\n@bgmusic SILENCE, 2000\n@bgmusic lost\n@bgsound rain, once\n@sound bell\n"
        "@bgsound Bell\n@bgsound silence\n@sound silence\n"));
    EXPECT_EQ(scan.List(TDependencyList::Music), (QStringList{"theme", "SILENCE", "lost"}));
    EXPECT_EQ(scan.List(TDependencyList::MissingMusic), QStringList{"lost"});
    EXPECT_EQ(scan.List(TDependencyList::Sounds), (QStringList{"rain", "bell", "silence"}));
    // "silence" stops the background sound but is a file name for "sound".
    EXPECT_EQ(scan.List(TDependencyList::MissingSounds), (QStringList{"bell", "silence"}));
}

TEST_F(DependencyScanTest, ReportShowsListsWithEntriesAndFlagsOnlyProblems)
{
    Touch(QStringLiteral("images/sky.jpg"));
    parser_.LoadScript(dir_.WriteUtf8(QStringLiteral("story.kvt"), QStringLiteral("#a\n@bg sky\n@goto a\n")));
    TDependencyReport report = BuildDependencyReport(parser_);
    EXPECT_EQ(report.Text, QStringLiteral("#:\n  a\nRequired #:\n  a\nbg:\n  sky\n"));
    EXPECT_FALSE(report.HasProblems);

    parser_.LoadScript(dir_.WriteUtf8(QStringLiteral("story.kvt"), QStringLiteral("#a\n#a\n")));
    report = BuildDependencyReport(parser_);
    EXPECT_EQ(report.Text, QStringLiteral("#:\n  a\nDuplicate #:\n  a\n"));
    EXPECT_TRUE(report.HasProblems);
}
