#include "engine/KvtVariables.h"

#include "engine/Exceptions.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace {

QStringList Listing(const TKvtVariables& vars)
{
    QStringList lines;
    for (int i = 0; i < vars.Count(); ++i)
        lines << vars.GetName(i) + u'=' + vars.GetValue(i);
    return lines;
}

template <typename F>
QString MessageOf(F&& action)
{
    try {
        action();
    } catch (const Exception& e) {
        return e.ClassName() + QStringLiteral(": ") + e.Message();
    }
    return QStringLiteral("(nothing raised)");
}

} // namespace

TEST(KvtVariables, NamesAreCaseSensitiveAndKeepInsertionOrder)
{
    TKvtVariables vars;
    vars.SetStr(QStringLiteral("A"), QStringLiteral("1"));
    vars.SetStr(QStringLiteral("a"), QStringLiteral("2"));
    vars.SetStr(QStringLiteral("A"), QStringLiteral("3"));
    EXPECT_EQ(Listing(vars), (QStringList{"A=3", "a=2"}));
    EXPECT_EQ(vars.IndexOf(QStringLiteral("a")), 1);
    EXPECT_FALSE(vars.Exists(QStringLiteral("b")));
    EXPECT_EQ(vars.GetStr(QStringLiteral("b")), QString());
}

TEST(KvtVariables, GetIntOfMissingIsZeroAndCreatesNothing)
{
    TKvtVariables vars;
    EXPECT_EQ(vars.GetInt(QStringLiteral("x")), 0);
    EXPECT_EQ(vars.Count(), 0);
}

TEST(KvtVariables, IntegerViewFollowsEveryWayOfChangingTheValue)
{
    TKvtVariables vars;
    vars.SetStr(QStringLiteral("x"), QStringLiteral("12"));
    EXPECT_EQ(vars.GetInt(QStringLiteral("x")), 12);
    vars.SetStr(QStringLiteral("x"), QStringLiteral(" $10"));
    EXPECT_EQ(vars.GetInt(QStringLiteral("x")), 16);
    vars.SetValue(0, QStringLiteral("-3"));
    EXPECT_EQ(vars.GetInt(QStringLiteral("x")), -3);
    vars.SetInt(QStringLiteral("x"), -2147483647 - 1);
    EXPECT_EQ(vars.GetStr(QStringLiteral("x")), QStringLiteral("-2147483648"));
    EXPECT_EQ(vars.GetInt(QStringLiteral("x")), -2147483647 - 1);

    vars.SetStr(QStringLiteral("x"), QStringLiteral("ab"));
    const auto read = [&] { vars.GetInt(QStringLiteral("x")); };
    EXPECT_EQ(MessageOf(read), QStringLiteral("EConvertError: 'ab' is not a valid integer value"));
    EXPECT_EQ(MessageOf(read), QStringLiteral("EConvertError: 'ab' is not a valid integer value"));
    EXPECT_EQ(vars.GetStr(QStringLiteral("x")), QStringLiteral("ab"));
}

TEST(KvtVariables, IndexOutsideTheStoreRaises)
{
    TKvtVariables vars;
    vars.SetStr(QStringLiteral("a"), QStringLiteral("1"));
    const QString expected = QStringLiteral("Exception: Variable index is out of bounds.");
    EXPECT_EQ(MessageOf([&] { vars.GetName(-1); }), expected);
    EXPECT_EQ(MessageOf([&] { vars.GetValue(1); }), expected);
    EXPECT_EQ(MessageOf([&] { vars.SetValue(1, QString()); }), expected);
    EXPECT_EQ(MessageOf([&] { vars.Delete(1); }), expected);
    EXPECT_EQ(vars.Count(), 1);
}

TEST(KvtVariables, RemovalKeepsLookupsInStep)
{
    TKvtVariables vars;
    for (const char* name : {"_score", "tmp", "_seen", "n"})
        vars.SetStr(QString::fromLatin1(name), QString::fromLatin1(name).toUpper());
    vars.Delete(0);
    EXPECT_EQ(vars.IndexOf(QStringLiteral("_seen")), 1);
    EXPECT_EQ(vars.GetStr(QStringLiteral("n")), QStringLiteral("N"));
    vars.SetStr(QStringLiteral("_score"), QStringLiteral("again"));
    EXPECT_EQ(Listing(vars), (QStringList{"tmp=TMP", "_seen=_SEEN", "n=N", "_score=again"}));

    vars.ClearLocals();
    EXPECT_EQ(Listing(vars), (QStringList{"_seen=_SEEN", "_score=again"}));
    EXPECT_EQ(vars.IndexOf(QStringLiteral("_score")), 1);
    EXPECT_EQ(vars.IndexOf(QStringLiteral("tmp")), -1);

    vars.Undefine(QStringLiteral("_seen"));
    vars.Undefine(QStringLiteral("never"));
    EXPECT_EQ(vars.IndexOf(QStringLiteral("_score")), 0);
    vars.ClearAll();
    EXPECT_EQ(vars.Count(), 0);
    EXPECT_FALSE(vars.Exists(QStringLiteral("_score")));
}

TEST(KvtVariables, NotifiesAfterEachChangeOnly)
{
    TKvtVariables vars;
    int calls = 0;
    vars.OnChanged = [&] { ++calls; };
    auto count = [&](auto&& action) {
        calls = 0;
        try {
            action();
        } catch (const Exception&) {
        }
        return calls;
    };
    EXPECT_EQ(count([&] { vars.SetStr(QStringLiteral("a"), QStringLiteral("x")); }), 1);
    EXPECT_EQ(count([&] { vars.SetInt(QStringLiteral("b"), 2); }), 1);
    EXPECT_EQ(count([&] { vars.Define(QStringLiteral("c")); }), 2);
    EXPECT_EQ(count([&] { vars.SetValue(0, QStringLiteral("y")); }), 1);
    EXPECT_EQ(count([&] { vars.GetInt(QStringLiteral("a")); }), 0);
    EXPECT_EQ(count([&] { vars.SetValue(9, QStringLiteral("y")); }), 0);
    EXPECT_EQ(count([&] { vars.Undefine(QStringLiteral("none")); }), 0);
    EXPECT_EQ(count([&] { vars.Undefine(QStringLiteral("c")); }), 1);
    EXPECT_EQ(count([&] { vars.ClearLocals(); }), 1);
    EXPECT_EQ(count([&] { vars.ClearAll(); }), 1);
    EXPECT_EQ(count([&] { vars.LoadFromData(Utf16LeBytes(QStringLiteral("_a=1\r\n_b=2\r\n"))); }), 3);
    EXPECT_EQ(vars.GetInt(QStringLiteral("c")), 0);
}

TEST(GlobalsFile, WritesOnlyGlobalsAsUtf16LinesByteForByte)
{
    TTempDir dir;
    TKvtVariables vars;
    vars.SetStr(QStringLiteral("_a"), QStringLiteral("1"));
    vars.SetStr(QStringLiteral("tmp"), QStringLiteral("2"));
    vars.SetStr(QStringLiteral("_b"), QStringLiteral("x=y"));
    vars.SetStr(QStringLiteral("_\u00e9"), QString::fromUtf16(u"\U0001F600"));
    vars.SetStr(QStringLiteral("_empty"), QString());
    const QString file = dir.File(QStringLiteral("globals.dat"));
    vars.SaveGlobalsToFile(file);

    const QByteArray expected("_\0a\0=\0001\0\r\0\n\0"
                              "_\0b\0=\0x\0=\0y\0\r\0\n\0"
                              "_\0\xE9\0=\0\x3D\xD8\x00\xDE\r\0\n\0"
                              "_\0e\0m\0p\0t\0y\0=\0\r\0\n\0",
                              12 + 16 + 14 + 18);
    EXPECT_EQ(ReadFileBytes(file), expected);

    TKvtVariables reloaded;
    reloaded.LoadFromFile(file);
    EXPECT_EQ(Listing(reloaded), (QStringList{"_a=1", "_b=x=y", QString::fromUtf16(u"_\u00e9=\U0001F600"), "_empty="}));
}

TEST(GlobalsFile, NoGlobalsGiveAnEmptyFile)
{
    TTempDir dir;
    const QString file = dir.Write(QStringLiteral("globals.dat"), Utf16LeBytes(QStringLiteral("_old=1\r\n")));
    TKvtVariables vars;
    vars.SetStr(QStringLiteral("local"), QStringLiteral("1"));
    vars.SaveGlobalsToFile(file);
    EXPECT_TRUE(QFile::exists(file));
    EXPECT_EQ(ReadFileBytes(file), QByteArray());
}

TEST(GlobalsFile, ReadingSplitsAtFirstEqualsAndSkipsNamelessLines)
{
    TKvtVariables vars;
    vars.SetStr(QStringLiteral("stale"), QStringLiteral("gone"));
    vars.LoadFromData(Utf16LeBytes(QStringLiteral("_a=b=c\rplain=1\nno equals\r\n=orphan\r\n\r\n_last=")));
    EXPECT_EQ(Listing(vars), (QStringList{"_a=b=c", "plain=1", "_last="}));
}

TEST(GlobalsFile, LeadingByteOrderMarkIsNotPartOfTheFirstName)
{
    TKvtVariables vars;
    vars.LoadFromData("\xFF\xFE" + Utf16LeBytes(QStringLiteral("_first=1\r\n_second=2\r\n")));
    EXPECT_EQ(Listing(vars), (QStringList{"_first=1", "_second=2"}));
    vars.LoadFromData(QByteArray("\xEF\xBB\xBF_u8=\xC3\xA9\r\n"));
    EXPECT_EQ(Listing(vars), (QStringList{QStringLiteral("_u8=\u00e9")}));
}

TEST(GlobalsFile, DamagedFilesLoadWhatCanBeRead)
{
    TKvtVariables vars;
    // A dangling last byte (a save cut short by an older program).
    vars.LoadFromData(Utf16LeBytes(QStringLiteral("_a=1\r\n_b=2")) + 'X');
    EXPECT_EQ(Listing(vars), (QStringList{"_a=1", "_b=2"}));

    // A lone surrogate is kept as it was, not dropped with its line.
    vars.LoadFromData(Utf16LeBytes(QStringLiteral("_s=")) + QByteArray("\x00\xD8", 2) + Utf16LeBytes(QStringLiteral("\r\n_t=ok")));
    ASSERT_EQ(vars.Count(), 2);
    EXPECT_EQ(vars.GetStr(QStringLiteral("_s")).size(), 1);
    EXPECT_EQ(vars.GetStr(QStringLiteral("_t")), QStringLiteral("ok"));

    // Garbage of every length neither crashes nor yields nameless entries.
    uint32_t seed = 12345;
    for (int length = 0; length < 300; ++length) {
        QByteArray garbage;
        for (int i = 0; i < length; ++i) {
            seed = seed * 1103515245u + 12345u;
            garbage.append(char(seed >> 24));
        }
        vars.LoadFromData(garbage);
        for (int i = 0; i < vars.Count(); ++i)
            EXPECT_FALSE(vars.GetName(i).isEmpty());
    }
}

TEST(GlobalsFile, UnstorableVariablesAreSkippedAndLogged)
{
    TTempDir dir;
    TKvtVariables vars;
    QStringList log;
    vars.OnLog = [&](const QString& line) { log << line; };
    vars.SetStr(QStringLiteral("_keep"), QStringLiteral("1"));
    vars.SetStr(QStringLiteral("_multi"), QStringLiteral("line1\nline2=evil"));
    vars.SetStr(QStringLiteral("_a=b"), QStringLiteral("2"));
    vars.SetStr(QStringLiteral("_cr\r"), QStringLiteral("3"));
    vars.SetStr(QStringLiteral("_also"), QStringLiteral("4"));
    const QString file = dir.File(QStringLiteral("globals.dat"));
    vars.SaveGlobalsToFile(file);

    EXPECT_EQ(log, (QStringList{
        QStringLiteral("Global variable \"_multi\" not saved: its value holds a line break."),
        QStringLiteral("Global variable \"_a=b\" not saved: its name holds \"=\" or a line break."),
        QStringLiteral("Global variable \"_cr\r\" not saved: its name holds \"=\" or a line break."),
    }));
    EXPECT_EQ(ReadFileBytes(file), Utf16LeBytes(QStringLiteral("_keep=1\r\n_also=4\r\n")));
}

TEST(GlobalsFile, SaveReplacesTheFileInsteadOfRewritingIt)
{
    TTempDir dir;
    const QByteArray old = Utf16LeBytes(QStringLiteral("_old=1\r\n"));
    const QString file = dir.Write(QStringLiteral("globals.dat"), old);
    // A reader that opened the old file keeps seeing it whole: the new
    // contents arrive under a new file that is renamed over the old name,
    // so no moment exists in which the name holds a half-written file.
    QFile before(file);
    ASSERT_TRUE(before.open(QIODevice::ReadOnly));

    TKvtVariables vars;
    vars.SetStr(QStringLiteral("_new"), QStringLiteral("2"));
    vars.SaveGlobalsToFile(file);
    EXPECT_EQ(before.readAll(), old);
    EXPECT_EQ(ReadFileBytes(file), Utf16LeBytes(QStringLiteral("_new=2\r\n")));
    EXPECT_EQ(QDir(dir.Path()).entryList(QDir::Files), QStringList{"globals.dat"});
}

TEST(GlobalsFile, FileErrorsRaiseAndChangeNothing)
{
    TTempDir dir;
    TKvtVariables vars;
    vars.SetStr(QStringLiteral("_a"), QStringLiteral("1"));
    EXPECT_TRUE(MessageOf([&] { vars.LoadFromFile(dir.File(QStringLiteral("missing.dat"))); })
                    .startsWith(QStringLiteral("EOSError: Cannot open file")));
    EXPECT_EQ(Listing(vars), QStringList{"_a=1"});

    QDir(dir.Path()).mkdir(QStringLiteral("taken"));
    EXPECT_TRUE(MessageOf([&] { vars.SaveGlobalsToFile(dir.File(QStringLiteral("taken"))); })
                    .startsWith(QStringLiteral("EOSError: ")));
    EXPECT_TRUE(MessageOf([&] { vars.SaveGlobalsToFile(dir.File(QStringLiteral("no/such/globals.dat"))); })
                    .startsWith(QStringLiteral("EOSError: ")));
}
