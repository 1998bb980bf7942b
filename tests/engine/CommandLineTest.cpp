#include "engine/CommandHandlers.h"
#include "engine/Exceptions.h"
#include "engine/KvtEngine.h"

#include <gtest/gtest.h>

namespace {

TCmdData Parse(const QString& line)
{
    TCmdData data;
    ParseCommandLine(line, data);
    return data;
}

QString MessageOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const Exception& e) {
        return e.Message();
    }
    return QStringLiteral("<no error>");
}

} // namespace

TEST(ParseCommandLine, BlanksAroundParametersVanishInsideStay)
{
    const TCmdData d = Parse(QStringLiteral("@bg  pic.png , \t1000"));
    EXPECT_EQ(d.Name, QStringLiteral("bg"));
    EXPECT_EQ(d.Params, (QStringList{"pic.png", "\t1000"}));
    EXPECT_EQ(Parse(QStringLiteral("@say hello   world")).Params, QStringList{"hello   world"});
}

TEST(ParseCommandLine, CommasGiveEmptyParametersButTrailingCommaAddsNone)
{
    EXPECT_EQ(Parse(QStringLiteral("@set a,,b")).Params, (QStringList{"a", "", "b"}));
    EXPECT_EQ(Parse(QStringLiteral("@set ,a")).Params, (QStringList{"", "a"}));
    EXPECT_EQ(Parse(QStringLiteral("@set a,")).Params, QStringList{"a"});
}

TEST(ParseCommandLine, QuotesProtectCommasAndAreRemovedOnce)
{
    EXPECT_EQ(Parse(QStringLiteral("@set a, \"x, y\"")).Params, (QStringList{"a", "x, y"}));
    EXPECT_EQ(Parse(QStringLiteral("@set \"\"")).Params, QStringList{""});
    EXPECT_EQ(Parse(QStringLiteral("@set \"")).Params, QStringList{"\""});
    EXPECT_EQ(Parse(QStringLiteral("@set a\"b\"c")).Params, QStringList{"a\"b\"c"});
    EXPECT_EQ(Parse(QStringLiteral("@set \"\"a\"\"")).Params, QStringList{"\"a\""});
}

// Parameters are cut from the line as whole stretches: blanks a quote
// protects, blanks between quoted parts and blanks before a comma must land
// exactly where an append-per-character split put them.
TEST(ParseCommandLine, QuotedBlanksStayAndBlanksBeforeCommaVanish)
{
    EXPECT_EQ(Parse(QStringLiteral("@set \" a \"")).Params, QStringList{" a "});
    EXPECT_EQ(Parse(QStringLiteral("@set \"a\"  \"b\" , c  ")).Params, (QStringList{"a\"  \"b", "c"}));
    EXPECT_EQ(Parse(QStringLiteral("@set  ,  , x")).Params, (QStringList{"", "", "x"}));
    EXPECT_EQ(Parse(QStringLiteral("@set a\"b, c\" d,e")).Params, (QStringList{"a\"b, c\" d", "e"}));
}

TEST(ParseCommandLine, ReusedRecordKeepsNothingOfTheLineBefore)
{
    TCmdData d;
    ParseCommandLine(QStringLiteral("@call greet, a, b, c"), d);
    ParseCommandLine(QStringLiteral("@inc x"), d);
    EXPECT_EQ(d.Name, QStringLiteral("inc"));
    EXPECT_EQ(d.Params, QStringList{"x"});
    EXPECT_THROW(ParseCommandLine(QStringLiteral("no command"), d), Exception);
    EXPECT_TRUE(d.Name.isEmpty());
    EXPECT_TRUE(d.Params.isEmpty());
}

TEST(ParseCommandLine, UnclosedQuoteSwallowsRestOfLine)
{
    EXPECT_EQ(Parse(QStringLiteral("@set a, \"b, c , d")).Params, (QStringList{"a", "\"b, c , d"}));
}

TEST(ParseCommandLine, NameEndsAtFirstBlankOnlyNotTab)
{
    EXPECT_EQ(Parse(QStringLiteral("@")).Name, QString());
    const TCmdData tabbed = Parse(QStringLiteral("@set\ta, b"));
    EXPECT_EQ(tabbed.Name, QStringLiteral("set\ta,"));
    EXPECT_EQ(tabbed.Params, QStringList{"b"});
}

TEST(ParseCommandLine, LineWithoutAtSignIsRejected)
{
    EXPECT_EQ(MessageOf([] { Parse(QStringLiteral("set a")); }),
              QStringLiteral("\"set a\" - not a command, missing \"@\" symbol"));
    EXPECT_EQ(MessageOf([] { Parse(QString()); }),
              QStringLiteral("\"\" - not a command, missing \"@\" symbol"));
}

TEST(CommandManager, FirstRegistrationWinsIgnoringCase)
{
    TCommandManager manager;
    QString ran;
    manager.SetDefaultHandler([&](const TCmdData& d) { ran = "default:" + d.Name; return 0; });
    manager.RegisterCommand(QStringLiteral("set"), [&](const TCmdData&) { ran = "first"; return 7; });
    manager.RegisterCommand(QStringLiteral("SET"), [&](const TCmdData&) { ran = "second"; return 8; });

    EXPECT_EQ(manager.Dispatch({QStringLiteral("Set"), {}}), 7);
    EXPECT_EQ(ran, QStringLiteral("first"));
    EXPECT_EQ(manager.Dispatch({QStringLiteral("nope"), {}}), 0);
    EXPECT_EQ(ran, QStringLiteral("default:nope"));
    EXPECT_EQ(manager.Registrations().size(), 2u);
}

TEST(ParameterChecks, MessagesNameTheCommandAsWritten)
{
    const TCmdData none{QStringLiteral("SET"), {}};
    const TCmdData one{QStringLiteral("bgpos"), {QStringLiteral("10")}};
    const TCmdData four{QStringLiteral("twpos"), {"1", "2", "3", "4"}};
    EXPECT_EQ(MessageOf([&] { RequireParam(none, QStringLiteral("variable")); }),
              QStringLiteral("Illegal \"SET\". No variable specified."));
    EXPECT_EQ(MessageOf([&] { RequireTwoParams(one, "x", "y"); }),
              QStringLiteral("Illegal \"bgpos\". No y specified."));
    EXPECT_EQ(MessageOf([&] { RequireTwoParams(none, "x", "y"); }),
              QStringLiteral("Illegal \"SET\". No x specified."));
    EXPECT_EQ(MessageOf([&] { RequireParamCount(one, 2); }),
              QStringLiteral("Illegal \"bgpos\". Not enough params."));
    EXPECT_EQ(MessageOf([&] { RaiseTooManyParams(one); }),
              QStringLiteral("Illegal \"bgpos\". Too many params."));
    EXPECT_EQ(MessageOf([&] { RaiseInvalidCommand(one, QStringLiteral("Oops.")); }),
              QStringLiteral("Invalid \"bgpos\". Oops."));
    EXPECT_EQ(MessageOf([&] { RaiseInvalidParam(one, "position", 0); }),
              QStringLiteral("Invalid position in \"bgpos\": 10."));
    EXPECT_EQ(MessageOf([&] { RaiseInvalidParamPair(four, "size", 2, 3); }),
              QStringLiteral("Invalid size in \"twpos\": 3, 4."));
    EXPECT_EQ(MessageOf([&] { RaiseInvalidParamQuad(four, "rect", 3, 2, 1, 0); }),
              QStringLiteral("Invalid rect in \"twpos\": 4, 3, 2, 1."));
}

TEST(ParameterChecks, UnknownCommandTextEndsWithBlankWithoutParameters)
{
    EXPECT_EQ(UnknownCommandText({QStringLiteral("foo"), {"a", "b"}}),
              QStringLiteral("Unrecognized command: foo a, b"));
    EXPECT_EQ(UnknownCommandText({QString(), {}}), QStringLiteral("Unrecognized command:  "));
}

TEST(PathHelpers, AbsoluteMeansDriveUncOrPosix)
{
    EXPECT_TRUE(IsAbsolutePath(QStringLiteral("C:log.txt")));
    EXPECT_TRUE(IsAbsolutePath(QStringLiteral("\\\\server\\share")));
    EXPECT_TRUE(IsAbsolutePath(QStringLiteral("/var/log/kvt.log")));
    EXPECT_FALSE(IsAbsolutePath(QStringLiteral("logs\\kvt.log")));
    EXPECT_FALSE(IsAbsolutePath(QStringLiteral("1:")));
    EXPECT_FALSE(IsAbsolutePath(QStringLiteral("\\x")));
}
