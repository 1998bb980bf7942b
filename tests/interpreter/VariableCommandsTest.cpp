#include "support/StoryFixture.h"

#include <QFile>

using VariableCommandsTest = StoryFixture;

TEST_F(VariableCommandsTest, SetParsesNumbersAndKeepsOtherText)
{
    Open("@set a\n@set b, TRUE\n@set c, 007\n@set d, $10\n@set e, hello world\n@set f,,\n@define g\n");
    Frame();
    EXPECT_EQ(variables.GetStr("a"), "1");
    EXPECT_EQ(variables.GetStr("b"), "1");
    EXPECT_EQ(variables.GetStr("c"), "7");
    EXPECT_EQ(variables.GetStr("d"), "16");
    EXPECT_EQ(variables.GetStr("e"), "hello world");
    EXPECT_TRUE(variables.Exists("f"));
    EXPECT_EQ(variables.GetStr("f"), "");
    EXPECT_EQ(variables.GetStr("g"), "1");
}

TEST_F(VariableCommandsTest, IncAndDecWrapAroundAt32Bits)
{
    Open("@inc new\n@set big, 2147483647\n@inc big\n@set small, -2147483648\n@dec small, 1\n@dec new, -5\n");
    Frame();
    EXPECT_EQ(variables.GetStr("new"), "6");
    EXPECT_EQ(variables.GetStr("big"), "-2147483648");
    EXPECT_EQ(variables.GetStr("small"), "2147483647");
}

TEST_F(VariableCommandsTest, FailuresChangeNothing)
{
    Open("@set\n@set a, b, c\n@clear x, y\n@set s, text\n@inc s\n@inc n, lots\n@undef missing\n@product\n@product acme, \"\"\n@saveglobals\n");
    Frames(9);
    EXPECT_EQ(Errors, (QStringList{"Illegal \"set\". No variable specified.",
                                   "Illegal \"set\". Too many params.",
                                   "Illegal \"clear\". Too many params.",
                                   "'text' is not a valid integer value",
                                   "Cannot interpret integer value: \"lots\".",
                                   "Illegal \"product\". No product name specified.",
                                   "Illegal empty product name in \"product\".",
                                   "Product info is not set."}));
    EXPECT_EQ(variables.GetStr("s"), "text");
    EXPECT_FALSE(variables.Exists("n"));
}

TEST_F(VariableCommandsTest, ReferencesExpandInParameters)
{
    Open("@set name, Anna\n@set greeting, Hi %name%! 50\\% \\\\ %%done\n@set bad, %open\n@set worse, \\q\n");
    Frames(3);
    EXPECT_EQ(variables.GetStr("greeting"), "Hi Anna! 50% \\ done");
    EXPECT_EQ(Errors, (QStringList{"Unterminated variable reference", "Undefined escape sequence: \\q."}));
}

TEST_F(VariableCommandsTest, RestartKeepsGlobalsAndDropsLocals)
{
    Open("@set _score, 10\n@set tmp, 1\n@waitclk\n");
    Frame();
    story.Restart();
    EXPECT_EQ(variables.GetStr("_score"), "10");
    EXPECT_FALSE(variables.Exists("tmp"));
}

TEST_F(VariableCommandsTest, GlobalsPersistPerProduct)
{
    TTempDir data;
    const QByteArray savedHome = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", data.Path().toUtf8());
    Open("@product Acme, Demo\n@set _seen, 1\n@set local, 2\n@saveglobals\n");
    Frame();
    QFile file(data.File("Acme/Demo/globals.dat"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("_\0s\0e\0e\0n\0=\0001\0\r\0\n\0", 18));
    file.close();

    // Opening a script forgets the product; the same product in other letter
    // case finds the same folder and its globals again.
    Open("@product acme, demo\n");
    EXPECT_FALSE(variables.Exists("_seen"));
    Frame();
    EXPECT_EQ(variables.GetStr("_seen"), "1");
    EXPECT_TRUE(Errors.isEmpty()) << Errors.join("|").toStdString();
    qputenv("XDG_DATA_HOME", savedHome);
}

TEST_F(VariableCommandsTest, AGlobalsSaveThatFailsDoesNotBlockTheNextStory)
{
    TTempDir data;
    const QByteArray savedHome = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", data.Path().toUtf8());
    Open("@product Broken\n@set _x, 1\n");
    Frame();
    // A file where the product's folder should be makes every save fail.
    QDir(data.File("Broken")).removeRecursively();
    data.Write("Broken", "not a folder");
    Open(":-\nsecond story\n-:\n");
    Frame();
    EXPECT_EQ(Shown, QStringList{"second story"});
    EXPECT_FALSE(product.HasProduct());
    // The failed save, besides the background each reset logs.
    EXPECT_EQ(host.LogLines.size() - host.LogLines.count(QStringLiteral("Setting bg: none")), 1);
    qputenv("XDG_DATA_HOME", savedHome);
}

TEST_F(VariableCommandsTest, ALineRunAgainExpandsItsReferencesAgain)
{
    Open("@set n, 0\n#a\n@set last, %n%\n@inc n\n@if n < 3, goto a\n");
    Frame();
    EXPECT_EQ(variables.GetStr("last"), "2");
    // A new load of the same file name must not reuse the old lines' commands.
    Open("@set last, fresh\n");
    Frame();
    EXPECT_EQ(variables.GetStr("last"), "fresh");
}
