#include "engine/Exceptions.h"
#include "engine/KvtEngine.h"
#include "support/TempDir.h"

#include <QDir>

#include <gtest/gtest.h>

namespace {

QByteArray NumberedLines(const QString& prefix, int count)
{
    QByteArray text;
    for (int i = 0; i < count; ++i)
        text += (prefix + QString::number(i) + "\r\n").toUtf8();
    return text;
}

class KvtParserTest : public testing::Test {
protected:
    void SetUp() override { savedCwd_ = QDir::currentPath(); }
    void TearDown() override { QDir::setCurrent(savedCwd_); }

    QString Load(const QString& name)
    {
        try {
            parser_.LoadScript(dir_.File(name));
        } catch (const Exception& e) {
            return e.Message();
        }
        return {};
    }

    TTempDir dir_;
    TKvtParser parser_;
    QString savedCwd_;
};

} // namespace

TEST_F(KvtParserTest, IncludeSplitsTheBlockAndKeepsTrueLineNumbers)
{
    QByteArray main = NumberedLines("a", 3) + "@include b%3.kvt\r\n" + NumberedLines("a", 6);
    dir_.Write("a.kvt", main);
    dir_.Write("b%3.kvt", NumberedLines("b", 4));
    ASSERT_EQ(Load("a.kvt"), QString());

    EXPECT_EQ(parser_.LineCount(), 13);
    ASSERT_EQ(parser_.Blocks().size(), 3u);
    EXPECT_EQ(parser_.Blocks()[0].StartLine, 0);
    EXPECT_EQ(parser_.Blocks()[0].LineCount, 3);
    EXPECT_EQ(parser_.Blocks()[1].FileName, QStringLiteral("b%3.kvt"));
    EXPECT_EQ(parser_.Blocks()[1].LineCount, 4);
    EXPECT_EQ(parser_.Blocks()[2].StartLine, 4);
    EXPECT_EQ(parser_.Blocks()[2].LineCount, 6);
    EXPECT_EQ(parser_.PositionText(7), QStringLiteral("a.kvt@4"));
    EXPECT_EQ(parser_.PositionText(13), QStringLiteral("abs#13"));
    EXPECT_EQ(parser_.PositionText(14), QStringLiteral("end"));
    EXPECT_EQ(parser_.PositionText(-1), QStringLiteral("abs#-1"));
    EXPECT_EQ(parser_.FileBlockDescriptions(),
              (QStringList{"0. a.kvt: 0-2", "3. b%3.kvt: 0-3", "7. a.kvt: 4-9"}));
}

TEST_F(KvtParserTest, EmptyIncludeInTheMiddleKeepsLaterLineNumbers)
{
    dir_.Write("a.kvt", "x0\n@INCLUDE empty.kvt\nx2\nx3\n");
    dir_.Write("empty.kvt", "");
    ASSERT_EQ(Load("a.kvt"), QString());
    EXPECT_EQ(parser_.DecodeAllLines(), (QStringList{"x0", "x2", "x3"}));
    EXPECT_EQ(parser_.PositionText(1), QStringLiteral("a.kvt@2"));
}

TEST_F(KvtParserTest, NestedIncludesAtFirstLinesAreExpanded)
{
    dir_.Write("main.kvt", "@include sub/one.kvt\nm1\n");
    dir_.Write("sub/one.kvt", "@include two.kvt\no1\n");
    dir_.Write("two.kvt", "t0\n");
    ASSERT_EQ(Load("main.kvt"), QString());
    EXPECT_EQ(parser_.DecodeAllLines(), (QStringList{"t0", "o1", "m1"}));
    EXPECT_EQ(parser_.PositionText(1), QStringLiteral("one.kvt@1"));
    EXPECT_EQ(parser_.PositionText(2), QStringLiteral("main.kvt@1"));
}

TEST_F(KvtParserTest, IncludeNamesTakeBackslashesAndAnyLetterCase)
{
    dir_.Write("main.kvt", "@include Chapters\\ONE.kvt\n");
    dir_.Write("chapters/one.KVT", "hello\n");
    ASSERT_EQ(Load("main.kvt"), QString());
    EXPECT_EQ(parser_.DecodeAllLines(), QStringList{"hello"});
}

TEST_F(KvtParserTest, LeadingBlankMakesALineNoDirective)
{
    dir_.Write("main.kvt", " @include missing.kvt\n");
    ASSERT_EQ(Load("main.kvt"), QString());
    EXPECT_EQ(parser_.LineCount(), 1);
}

TEST_F(KvtParserTest, SelfIncludeFailsNamingTheFileAndLeavesNothingBehind)
{
    dir_.Write("a.kvt", "one\n@include b.kvt\n");
    dir_.Write("b.kvt", "@include A.kvt\n");
    int linesChanged = 0;
    parser_.OnLinesChanged = [&] { ++linesChanged; };
    const QString error = Load("a.kvt");
    EXPECT_TRUE(error.contains(QStringLiteral("A.kvt"))) << error.toStdString();
    EXPECT_EQ(parser_.LineCount(), 0);
    EXPECT_TRUE(parser_.Blocks().empty());
    EXPECT_EQ(linesChanged, 1);
}

TEST_F(KvtParserTest, MissingFilesAndNamelessIncludesReportExactly)
{
    dir_.Write("a.kvt", "@include nothere.kvt\n");
    dir_.Write("b.kvt", "@include\n");
    EXPECT_EQ(Load("a.kvt"), QStringLiteral("Cannot open file \"nothere.kvt\"."));
    EXPECT_EQ(Load("b.kvt"), QStringLiteral("Invalid include directive - no file specified."));
    EXPECT_EQ(Load("zzz.kvt").left(17), QStringLiteral("Cannot open file "));
}

TEST_F(KvtParserTest, OtherExtensionsAreReadFromTheScrambledFile)
{
    const QByteArray plain = "secret\n";
    QByteArray scrambled = plain;
    for (char& c : scrambled)
        c = char(uint8_t(c) ^ 0x2C);
    dir_.Write("story.txt", "plain text that must not be read\n");
    dir_.Write("story.kvs", scrambled);
    parser_.ScrambleKey = 0x2C;
    ASSERT_EQ(Load("story.txt"), QString());
    EXPECT_EQ(parser_.DecodeAllLines(), QStringList{"secret"});
    // A missing .kvt falls back to the .kvs file of the same name.
    ASSERT_EQ(Load("story.kvt"), QString());
    EXPECT_EQ(parser_.DecodeAllLines(), QStringList{"secret"});
}

TEST_F(KvtParserTest, TextEncodingsAreDetected)
{
    dir_.Write("bom16.kvt", QByteArray("\xFF\xFE" "h\0i\0\r\0\n\0", 10));
    ASSERT_EQ(Load("bom16.kvt"), QString());
    EXPECT_EQ(parser_.DecodeAllLines(), QStringList{"hi"});
    dir_.Write("cp.kvt", "caf\xE9 \x80\n");
    ASSERT_EQ(Load("cp.kvt"), QString());
    EXPECT_EQ(parser_.DecodeAllLines(), QStringList{QString::fromUtf8("caf\u00e9 \u20ac")});
    dir_.Write("utf8.kvt", "caf\xC3\xA9\rnext");
    ASSERT_EQ(Load("utf8.kvt"), QString());
    EXPECT_EQ(parser_.DecodeAllLines(), (QStringList{QString::fromUtf8("caf\u00e9"), "next"}));
}

TEST_F(KvtParserTest, BinaryGarbageLoadsWithoutCrashing)
{
    QByteArray junk;
    for (int i = 0; i < 4096; ++i)
        junk.append(char((i * 7919) & 0xFF));
    dir_.Write("junk.kvt", junk);
    EXPECT_EQ(Load("junk.kvt"), QString());
}

TEST_F(KvtParserTest, LabelsMatchFirstIgnoringCaseAndKeepBlanks)
{
    dir_.Write("a.kvt", "#Start\n#START\n#trail \nx\n");
    ASSERT_EQ(Load("a.kvt"), QString());
    EXPECT_EQ(parser_.FindLabel(QStringLiteral("start")), 0);
    EXPECT_EQ(parser_.FindLabel(QStringLiteral("START")), 0);
    EXPECT_EQ(parser_.FindLabel(QStringLiteral("trail")), -1);
    EXPECT_EQ(parser_.FindLabel(QStringLiteral("trail ")), 2);
    EXPECT_EQ(parser_.LabelNames(), (QStringList{"Start", "START", "trail "}));
}

TEST_F(KvtParserTest, LabelsBeyondAsciiAndLongLabelsMatchIgnoringCase)
{
    dir_.WriteUtf8("u.kvt", QString::fromUtf8("x\n#\u00c4rger\n#ThisLabelIsFarLongerThanThirtyTwoChars\n"));
    ASSERT_EQ(Load("u.kvt"), QString());
    EXPECT_EQ(parser_.FindLabel(QString::fromUtf8("\u00e4RGER")), 1);
    EXPECT_EQ(parser_.FindLabel(QStringLiteral("thislabelisfarlongerthanthirtytwochars")), 2);
}

TEST_F(KvtParserTest, LoadingSetsTheScriptFolderAsCurrentDirectory)
{
    dir_.Write("story/main.kvt", "x\n");
    ASSERT_EQ(Load("story/main.kvt"), QString());
    EXPECT_TRUE(parser_.ScriptFolder().endsWith(QStringLiteral("story/")));
    EXPECT_EQ(QDir::currentPath() + "/", parser_.ScriptFolder());
    EXPECT_EQ(parser_.ImagesFolder(), parser_.ScriptFolder() + "images/");
}

TEST(CallStack, PushAndReturnContinueAfterTheCall)
{
    TKvtParser parser;
    int stackNotes = 0;
    parser.OnStackChanged = [&] { ++stackNotes; };
    parser.Position = 11;  // the call at line 10 already moved on
    parser.PushCall(40, {"a", "b"});
    EXPECT_EQ(parser.Position, 40);
    EXPECT_EQ(parser.Stack().back().ReturnLine, 11);
    EXPECT_EQ(parser.GetCallParam(QStringLiteral("2")), QStringLiteral("b"));
    EXPECT_EQ(parser.GetCallParam(QStringLiteral("3")), QString());
    EXPECT_EQ(parser.GetCallParam(QStringLiteral("0")), QString());
    EXPECT_EQ(parser.GetCallParam(QStringLiteral("-1")), QString());
    EXPECT_EQ(parser.GetCallParam(QStringLiteral("x")), QString());
    parser.ReturnFromCall();
    EXPECT_EQ(parser.Position, 11);
    EXPECT_TRUE(parser.Stack().empty());
    EXPECT_EQ(parser.GetCallParam(QStringLiteral("1")), QString());
    EXPECT_EQ(stackNotes, 2);
}

TEST(CallStack, ReturningFromTheTopChangesNothing)
{
    TKvtParser parser;
    parser.Position = 5;
    for (auto action : {+[](TKvtParser& p) { p.ReturnFromCall(); }, +[](TKvtParser& p) { p.ReturnTo(3); }}) {
        try {
            action(parser);
            FAIL();
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), QStringLiteral("At the top stack level, nowhere to return."));
        }
        EXPECT_EQ(parser.Position, 5);
    }
}

TEST(CallStack, ClearDisposesEveryFrameAndRewinds)
{
    TKvtParser parser;
    for (int i = 0; i < 5; ++i)
        parser.PushCall(i * 10, {});
    parser.ClearStack();
    EXPECT_TRUE(parser.Stack().empty());
    EXPECT_EQ(parser.Position, 0);
}

TEST(CallStack, RunawayRecursionIsCapped)
{
    TKvtParser parser;
    for (qsizetype i = 0; i < kMaxCallDepth; ++i)
        parser.PushCall(1, {});
    EXPECT_THROW(parser.PushCall(1, {}), Exception);
    EXPECT_EQ(parser.Stack().size(), size_t(kMaxCallDepth));
}

TEST(Position, NotificationsWaitForTheOutermostUpdate)
{
    TKvtParser parser;
    int notes = 0;
    parser.OnPositionChanged = [&] { ++notes; };
    parser.NextLine();
    EXPECT_EQ(notes, 1);
    parser.BeginUpdate();
    parser.BeginUpdate();
    parser.NextLine();
    parser.EndUpdate();
    EXPECT_EQ(notes, 1);
    parser.EndUpdate();
    EXPECT_EQ(notes, 2);
    EXPECT_EQ(parser.Position, 2);
}
