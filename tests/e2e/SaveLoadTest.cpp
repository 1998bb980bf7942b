#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>

#include <gtest/gtest.h>

namespace {

struct TRun {
    int ExitCode = -1;
    QString Out;
    QString Err;
};

// The real program, headless, its per-user data (globals and saves) kept
// in the test's folder.
TRun RunPlayer(const QStringList& arguments, const QString& dataFolder)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), dataFolder);
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(KVT_BINARY), QStringList{"--headless", "--fixed-step", "16", "--transcript"} + arguments);
    process.waitForFinished(60000);
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

QString Demo()
{
    return QStringLiteral(KVT_SOURCE_DIR "/examples/demo/demo.kvt");
}

} // namespace

// The demo stops at its menu (background, cast, music and the choices
// pending) and is saved; a second run goes on from the save alone. Together
// they print what one run prints, and end on the same screen.
TEST(SaveAndLoad, ARunSplitAtTheMenuPrintsAndShowsWhatOneRunDoes)
{
    TTempDir dir;
    const QString choices = QStringLiteral("key down; key enter; click 280 332");
    const QString whole = dir.File(QStringLiteral("whole.png")), split = dir.File(QStringLiteral("split.png"));
    const QString save = dir.File(QStringLiteral("menu.json"));
    // The demo counts its visits in a global: each way of playing starts
    // from no globals.
    const TRun one = RunPlayer({"--auto", "--input", choices, "--screenshot", whole, Demo()}, dir.File("one"));
    const TRun first = RunPlayer({"--auto", "--save", save, Demo()}, dir.File("split"));
    const TRun second = RunPlayer({"--auto", "--print-log", "--input", choices, "--load", save, "--screenshot", split},
                                  dir.File("split"));
    ASSERT_EQ(second.ExitCode, 0) << second.Err.toStdString();
    EXPECT_TRUE(first.Out.endsWith(QStringLiteral("> Wait and watch\n"))) << first.Out.toStdString();
    EXPECT_EQ(first.Out + second.Out, one.Out);
    EXPECT_FALSE(second.Err.contains(QStringLiteral("script changed"))) << second.Err.toStdString();
    EXPECT_EQ(QImage(split), QImage(whole));
}

// An author adds lines above the label the reader was under and reloads:
// the next click goes on with the text that followed, not from the label.
TEST(SaveAndLoad, ASaveOfAnEditedScriptGoesOnAtTheSameText)
{
    TTempDir dir;
    const QString script = dir.WriteUtf8(QStringLiteral("story.kvt"),
                                         QStringLiteral("#start\n:-\none\ntwo\nthree\n-:\n"));
    const QString save = dir.File(QStringLiteral("two.json"));
    RunPlayer({"--input", "wait 200; click", "--save", save, script}, dir.Path());
    dir.WriteUtf8(QStringLiteral("story.kvt"), QStringLiteral("// a new opening\n:-\nzero\n-:\n#start\n:-\none\ntwo\nthree\n-:\n"));
    const TRun resumed = RunPlayer({"--print-log", "--input", "wait 200; click", "--load", save, script}, dir.Path());
    EXPECT_EQ(resumed.Out, QStringLiteral("three\n")) << resumed.Err.toStdString();

    // The label gone: the story starts again at the top, and says so.
    dir.WriteUtf8(QStringLiteral("story.kvt"), QStringLiteral(":-\nfresh\n-:\n"));
    const TRun fallback = RunPlayer({"--print-log", "--input", "click", "--load", save, script}, dir.Path());
    EXPECT_EQ(fallback.Out, QStringLiteral("fresh\n"));
    EXPECT_TRUE(fallback.Err.contains(QStringLiteral("the label \"start\" is gone"))) << fallback.Err.toStdString();

    // Another story's save is refused, and nothing runs.
    const QString other = dir.WriteUtf8(QStringLiteral("other.kvt"), QStringLiteral(":-\nelsewhere\n-:\n"));
    const TRun refused = RunPlayer({"--print-log", "--auto", "--load", save, other}, dir.Path());
    EXPECT_EQ(refused.ExitCode, 1);
    EXPECT_TRUE(refused.Out.isEmpty());
    EXPECT_TRUE(refused.Err.contains(QStringLiteral("This save belongs to another story"))) << refused.Err.toStdString();
}
