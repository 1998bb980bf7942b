#include "engine/TextFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

// Files are read in pieces and cut into lines before decoding; these catch a
// line break, a character or an encoding decision lost where two pieces meet.
namespace {

constexpr qsizetype kPiece = 64 * 1024;  // the size the reader reads at a time

QByteArray Filler(qsizetype size)
{
    return QByteArray(size, 'x');
}

} // namespace

TEST(ReadTextFileLines, CrLfSplitBetweenTwoReadsIsOneLineBreak)
{
    TTempDir dir;
    const QByteArray first = Filler(kPiece - 1);
    const QString path = dir.Write("crlf.kvt", first + "\r\nnext\r\rlast");
    EXPECT_EQ(ReadTextFileLines(path), (QStringList{QString::fromLatin1(first), "next", "", "last"}));
}

TEST(ReadTextFileLines, LineAndCharacterAcrossReadsStayWhole)
{
    TTempDir dir;
    // The euro sign's three bytes straddle the end of the first piece.
    const QByteArray head = Filler(kPiece - 7);  // after the 6 bytes of "start\n"
    const QString path = dir.Write("utf8.kvt", "start\n" + head + "\xE2\x82\xAC tail\n");
    const QStringList lines = ReadTextFileLines(path);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[1], QString::fromLatin1(head) + QString::fromUtf8("\u20ac tail"));
}

TEST(ReadTextFileLines, InvalidByteLateInTheFileMakesEveryLineWindows1252)
{
    TTempDir dir;
    // Valid UTF-8 in the first piece, one stray byte far after it.
    const QString path = dir.Write("late.kvt", "caf\xC3\xA9\n" + Filler(2 * kPiece) + "\n\x80\n");
    const QStringList lines = ReadTextFileLines(path);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0], QString::fromUtf8("caf\u00c3\u00a9"));
    EXPECT_EQ(lines[2], QString::fromUtf8("\u20ac"));
}

TEST(ReadTextFileLines, MarkInsideTheFileIsTextAndEmptyLinesAreNotNull)
{
    TTempDir dir;
    const QString path = dir.Write("mark.kvt", "a\n\xEF\xBB\xBFz\n\n");
    const QStringList lines = ReadTextFileLines(path);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[1], QString(QChar(0xFEFF)) + u'z');
    EXPECT_TRUE(lines[2].isEmpty());
    EXPECT_FALSE(lines[2].isNull());
}
