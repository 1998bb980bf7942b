#include "engine/TextFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

// Lines are cut from a file's bytes before they are decoded, one at a time;
// these catch a line break, a character or an encoding decision lost on the
// way, far into a file as well as near its start.
namespace {

constexpr qsizetype kPiece = 64 * 1024;  // once the size of a read; a long stretch still

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

// Decoding each line on its own must give what decoding the whole file and
// splitting it gives, whatever the mark, the encoding or where in a word of
// eight bytes a line break falls.
TEST(ReadTextFileLines, EveryLineAsDecodingTheWholeFileGivesIt)
{
    const QByteArray breaks = "a\nbc\r\ndef\rghij\n\nklmno\r\rpqrstu\r\n\r\nvwxyz12\n12345678\n123456789";
    const QByteArray samples[] = {
        breaks,
        breaks + "\n",
        "\xEF\xBB\xBF" + breaks,
        "\xEF\xBB\xBF\xEF\xBB\xBFtwo marks\n\xEF\xBB\xBFthird",
        "\xEF\xBB\xBF" "broken \xC3 after a mark\n\xE2\x82",
        "caf\xC3\xA9 \xE2\x82\xAC\n\xEF\xBB\xBFmark at a line's start\n",
        "\x80\x9F\xA0\xFF cp1252\r\nline",
        "overlong \xC0\x80 and a surrogate \xED\xA0\x80\n",
        "\xFF\xFE" + Utf16LeBytes(QStringLiteral("le\r\nutf16\rend")),
        QByteArray("\xFE\xFF\x00h\x00i\x00\n\x20\xAC", 10),
        "",
        "\n",
    };
    TTempDir dir;
    for (const QByteArray& bytes : samples) {
        const QString path = dir.Write("sample.kvt", bytes);
        EXPECT_EQ(ReadTextFileLines(path), SplitTextLines(DecodeText(bytes))) << bytes.toHex().toStdString();
    }
}
