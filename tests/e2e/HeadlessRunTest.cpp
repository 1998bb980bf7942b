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

// Runs the real program headless, as an author's check would.
TRun RunPlayer(const QStringList& arguments, const QString& workingFolder = {})
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("XDG_RUNTIME_DIR"));  // as under a service: no session
    process.setProcessEnvironment(env);
    if (!workingFolder.isEmpty())
        process.setWorkingDirectory(workingFolder);
    process.start(QStringLiteral(KVT_BINARY), QStringList{"--headless"} + arguments);
    process.waitForFinished(60000);
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

QStringList Lines(const QString& text)
{
    return text.split(u'\n', Qt::SkipEmptyParts);
}

class HeadlessRun : public testing::Test {
protected:
    QString Script(const QString& text) { return dir_.WriteUtf8(QStringLiteral("story.kvt"), text); }
    TTempDir dir_;
};

} // namespace

TEST_F(HeadlessRun, UnknownCommandIsLoggedAndTheStoryGoesOn)
{
    const TRun run = RunPlayer({"--print-log", "--transcript", "--auto", "--fixed-step", "16",
                                Script("@foo a, b\n:-\nHello there.\n-:\n")});
    EXPECT_EQ(run.ExitCode, 0);
    EXPECT_TRUE(run.Err.contains(QStringLiteral("Unrecognized command: foo a, b"))) << run.Err.toStdString();
    EXPECT_EQ(Lines(run.Out), QStringList{"Hello there."});
}

TEST_F(HeadlessRun, MissingIncludeIsReportedWithItsName)
{
    const TRun run = RunPlayer({"--print-log", "--strict", Script("@include nothere.kvt\n")});
    EXPECT_TRUE(run.Err.contains(QStringLiteral("Exception: Cannot open file \"nothere.kvt\"."))) << run.Err.toStdString();
    EXPECT_EQ(run.ExitCode, 1);
}

TEST_F(HeadlessRun, LongWaitCostsNoRealTimeOnFixedSteps)
{
    // Ten minutes of story time: a run that really slept would hit the
    // test's time limit instead of printing the text.
    const TRun run = RunPlayer({"--fixed-step", "16", "--transcript", "--auto",
                                Script("@wait 600000\n:-\ndone\n-:\n")});
    EXPECT_EQ(Lines(run.Out), QStringList{"done"});
}

TEST_F(HeadlessRun, MissingStartLabelIsReportedAndTheStoryStartsAtTheTop)
{
    const TRun run = RunPlayer({"--print-log", "--transcript", "--auto",
                                Script(":-\nfrom the top\n-:\n"), "nowhere"});
    EXPECT_TRUE(run.Err.contains(QStringLiteral("Label not found: nowhere")));
    EXPECT_EQ(Lines(run.Out), QStringList{"from the top"});
}

TEST_F(HeadlessRun, InputEventsAnswerWaitsAndTheRunEndsWhenTheyAreUsedUp)
{
    const QString script = Script(":-\none\ntwo\nthree\n-:\n");
    // Typed out by then, each click goes on.
    EXPECT_EQ(Lines(RunPlayer({"--fixed-step", "16", "--transcript", "--input", "wait 100; click; wait 100; key enter",
                               script}).Out),
              (QStringList{"one", "two", "three"}));
    // A click while the text types completes it first.
    EXPECT_EQ(Lines(RunPlayer({"--fixed-step", "16", "--transcript", "--input", "click; click", script}).Out),
              (QStringList{"one", "two"}));
    EXPECT_EQ(Lines(RunPlayer({"--transcript", "--skip", script}).Out), (QStringList{"one", "two", "three"}));
}

TEST_F(HeadlessRun, ExitStopsTheRun)
{
    const TRun run = RunPlayer({"--transcript", "--auto", Script(":-\nbefore\n-:\n@exit\n:-\nafter\n-:\n")});
    EXPECT_EQ(run.ExitCode, 0);
    EXPECT_EQ(Lines(run.Out), QStringList{"before"});
}

TEST_F(HeadlessRun, MaxFramesStopsAStoryThatNeverEnds)
{
    const TRun run = RunPlayer({"--fixed-step", "16", "--max-frames", "10", Script("@wait -1\n")});
    EXPECT_EQ(run.ExitCode, 0);
}

TEST_F(HeadlessRun, UsageErrorsExitWithTwo)
{
    for (const QStringList& args : {QStringList{"--bogus"}, QStringList{"--fixed-step"},
                                    QStringList{"--fixed-step", "fast"}, QStringList{"--input", "dance"},
                                    QStringList{"a", "b", "c"}, QStringList{"--check"},
                                    QStringList{"--check", "a.kvt", "start"}}) {
        const TRun run = RunPlayer(args);
        EXPECT_EQ(run.ExitCode, 2) << args.join(' ').toStdString();
        EXPECT_EQ(Lines(run.Err).size(), 1) << run.Err.toStdString();
    }
}

// An author's CI: the report of what is missing, and a status that fails
// the build, without a line of the story run.
TEST_F(HeadlessRun, CheckReportsMissingAndDuplicateNamesAndFails)
{
    QDir(dir_.Path()).mkpath(QStringLiteral("images"));
    ASSERT_TRUE(QImage(4, 4, QImage::Format_RGB32).save(dir_.File(QStringLiteral("images/harbour.png"))));
    dir_.WriteUtf8(QStringLiteral("chapters/two.kvt"), QStringLiteral("#start\n@bg storm\n@goto epilogue\n"));
    const TRun run = RunPlayer({"--check", Script("#start\n@bg harbour\n@include chapters/two.kvt\n"
                                                  ":-\nnever shown\n-:\n@exit\n")});
    EXPECT_EQ(run.ExitCode, 1) << run.Err.toStdString();
    EXPECT_EQ(run.Out, QStringLiteral("#:\n  start\nRequired #:\n  epilogue\nMissing #:\n  epilogue\n"
                                      "Duplicate #:\n  start\nbg:\n  harbour\n  storm\nMissing bg:\n  storm\n"));
    EXPECT_TRUE(run.Err.isEmpty()) << run.Err.toStdString();
}

TEST_F(HeadlessRun, CheckPassesTheDemoAndFailsAScriptThatCannotLoad)
{
    const TRun demo = RunPlayer({"--check", QStringLiteral(KVT_SOURCE_DIR "/examples/demo/demo.kvt")});
    EXPECT_EQ(demo.ExitCode, 0) << demo.Out.toStdString();
    EXPECT_TRUE(demo.Out.contains(QStringLiteral("bgmusic:\n  harbour\n"))) << demo.Out.toStdString();
    const TRun broken = RunPlayer({"--check", Script("@include nothere.kvt\n")});
    EXPECT_EQ(broken.ExitCode, 1);
    EXPECT_EQ(broken.Err, QStringLiteral("kvtparser: Exception: Cannot open file \"nothere.kvt\".\n"));
}

TEST_F(HeadlessRun, FailingScriptSettingEndsTheProgramWithStatusOne)
{
    const QString settings = dir_.WriteUtf8(QStringLiteral("kvt.ini"), QStringLiteral("Script=missing.kvt\n"));
    const TRun run = RunPlayer({"--print-log", "--settings", settings});
    EXPECT_EQ(run.ExitCode, 1);
    EXPECT_TRUE(run.Err.contains(QStringLiteral("Cannot open file \"missing.kvt\".")));
}

TEST_F(HeadlessRun, SettingsScriptAndEntryPointWinOverTheCommandLine)
{
    const QString script = Script(":-\nfirst\n-:\n#second\n:-\nsecond\n-:\n");
    const QString settings = dir_.WriteUtf8(QStringLiteral("kvt.ini"),
                                            "Script=" + script + "\nEntryPoint=second\n");
    const TRun run = RunPlayer({"--transcript", "--auto", "--settings", settings, "ignored.kvt"});
    EXPECT_EQ(Lines(run.Out), QStringList{"second"});
}

TEST_F(HeadlessRun, LogFileIsUtf16WithOneByteOrderMark)
{
    const QString log = dir_.File(QStringLiteral("run.log"));
    const QString settings = dir_.WriteUtf8(QStringLiteral("kvt.ini"), "LogFilename=" + log + "\n");
    RunPlayer({"--settings", settings, Script("@foo\n")});
    QFile file(log);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    ASSERT_GE(bytes.size(), 2);
    EXPECT_EQ(bytes.left(2), QByteArray("\xFF\xFE"));
    const QString text = QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData() + 2),
                                            (bytes.size() - 2) / 2);
    // Each reset, at start-up and when the script opens, logs the background it restores.
    EXPECT_EQ(text, QStringLiteral("Setting bg: noneApplication initialized.Setting bg: noneUnrecognized command: foo "));
}

// The demo with its texts answered and its menu and seat buttons picked.
TRun PlayDemo(const QString& choices)
{
    return RunPlayer({"--fixed-step", "16", "--auto", "--transcript", "--strict", "--print-log", "--input", choices,
                      QStringLiteral(KVT_SOURCE_DIR "/examples/demo/demo.kvt")});
}

// Each branch of the menu, then each seat, to the story's end: a key picks
// the first choice, a move and a click the second; a seat button is clicked
// where its plate is.
TEST_F(HeadlessRun, DemoPlaysByItselfAndItsChoicesChangeWhatFollows)
{
    const TRun signal = PlayDemo(QStringLiteral("key down; key enter; click 280 332"));
    EXPECT_EQ(signal.ExitCode, 0) << signal.Err.toStdString();
    const QStringList lines = Lines(signal.Out);
    const qsizetype menu = lines.indexOf(QStringLiteral("> Wave the lantern"));
    ASSERT_GE(menu, 0) << signal.Out.toStdString();
    EXPECT_EQ(lines.value(menu + 1), QStringLiteral("> Wait and watch"));
    EXPECT_EQ(lines.value(menu + 2), QStringLiteral("Mira: Over here! Over here!"));
    EXPECT_TRUE(lines.contains(QStringLiteral("Mira: On deck! I want to watch the sea.")));
    EXPECT_TRUE(lines.contains(QStringLiteral("Old Tom: And wave to the captain who came for your lantern.")));

    const TRun watch = PlayDemo(QStringLiteral("move 512 400; click 512 400; click 740 332"));
    EXPECT_EQ(watch.ExitCode, 0) << watch.Err.toStdString();
    EXPECT_TRUE(watch.Out.contains(QStringLiteral("Old Tom: Patience.")));
    EXPECT_FALSE(watch.Out.contains(QStringLiteral("Over here!")));
    EXPECT_TRUE(watch.Out.contains(QStringLiteral("Mira: In the cabin, where it is warm and dry.")));
    EXPECT_TRUE(watch.Out.contains(QStringLiteral("Thank you for reading!")));
}

TEST_F(HeadlessRun, ScreenshotShowsTheMenuWithItsHighlightedChoiceAndCursors)
{
    QDir(dir_.Path()).mkpath(QStringLiteral("images"));
    QImage cursor(12, 12, QImage::Format_ARGB32);
    cursor.fill(qRgb(255, 0, 255));
    ASSERT_TRUE(cursor.save(dir_.File(QStringLiteral("images/mark.png"))));
    const QString shot = dir_.File(QStringLiteral("shot.png"));
    // Two choices of one line each around y 384: the second lies below it.
    const TRun run = RunPlayer({"--strict", "--print-log", "--fixed-step", "16", "--input", "move 512 394",
                                "--screenshot", shot,
                                Script("@selcursor1 set, mark\n@selcursor2 set, mark\n@selhlcolor lime\n"
                                       "@selalpha 255\n@selcolor black\n@item First, a\n@item Second, b\n@menu\n")});
    EXPECT_EQ(run.ExitCode, 0) << run.Err.toStdString();
    const QImage image(shot);
    int highlighted = 0, marks = 0, white = 0;
    for (int y = 340; y < 430; ++y)
        for (int x = 380; x < 650; ++x) {
            const QRgb p = image.pixel(x, y);
            highlighted += y > 384 && qGreen(p) > 200 && qRed(p) < 80 && qBlue(p) < 80;
            white += y < 384 && qRed(p) > 200 && qGreen(p) > 200 && qBlue(p) > 200;
            marks += p == qRgb(255, 0, 255);
        }
    EXPECT_GT(highlighted, 30);  // "Second" in the highlight colour
    EXPECT_GT(white, 30);        // "First" in the font's
    EXPECT_EQ(marks, 2 * 12 * 12);  // one cursor on either side
}

// Mira has walked from the centre to the pier's edge (x 300) and Old Tom
// sits on the bench at the right edge; both stand behind the text window.
TEST_F(HeadlessRun, DemoScreenshotShowsTheCastOnTheirPlacesBehindTheTextWindow)
{
    const QString shot = dir_.File(QStringLiteral("shot.png"));
    const TRun run = RunPlayer({"--fixed-step", "16", "--strict", "--screenshot", shot, "--input",
                                "wait 4000;click;wait 2000;click;wait 2000;click;wait 2000;click;wait 2000;click",
                                QStringLiteral(KVT_SOURCE_DIR "/examples/demo/demo.kvt")});
    EXPECT_EQ(run.ExitCode, 0) << run.Err.toStdString();
    const QImage image(shot);
    const auto near = [&](int x, int y, QRgb expected) {
        const QRgb p = image.pixel(x, y);
        return std::abs(qRed(p) - qRed(expected)) + std::abs(qGreen(p) - qGreen(expected))
                   + std::abs(qBlue(p) - qBlue(expected)) < 30;
    };
    EXPECT_TRUE(near(300, 376, qRgb(0xf1, 0xc9, 0xa5)));  // Mira's face
    EXPECT_FALSE(near(512, 376, qRgb(0xf1, 0xc9, 0xa5)));  // the centre she left
    EXPECT_TRUE(near(894, 428, qRgb(0xe8, 0xe6, 0xe0)));  // Old Tom's beard
    EXPECT_LT(qRed(image.pixel(300, 650)), 80);            // her yellow coat, under the window
}

TEST_F(HeadlessRun, ScreenshotShowsTheFrameTimeLineOnABlackScreen)
{
    const QString settings = dir_.WriteUtf8(QStringLiteral("kvt.ini"), QStringLiteral("DisplayFps=True\n"));
    const QString shot = dir_.File(QStringLiteral("shot.png"));
    const TRun run = RunPlayer({"--settings", settings, "--auto", "--screenshot", shot, Script(":-\nx\n-:\n")});
    EXPECT_EQ(run.ExitCode, 0);
    const QImage image(shot);
    ASSERT_EQ(image.size(), QSize(1024, 768));
    int blue = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 200; ++x) {
            const QRgb p = image.pixel(x, y);
            if (qBlue(p) > 128 && qRed(p) < 64 && qGreen(p) < 64)
                ++blue;
        }
    EXPECT_GT(blue, 50);
    EXPECT_EQ(image.pixel(512, 400), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(5, 700), qRgb(0, 0, 0));  // left of the text window
}

TEST_F(HeadlessRun, ScreenshotShowsTheTintedBackgroundPictureUnderTheRestyledWindow)
{
    QImage sky(1024, 768, QImage::Format_RGB32);
    sky.fill(qRgb(0, 0, 255));
    QDir(dir_.Path()).mkpath(QStringLiteral("images"));
    ASSERT_TRUE(sky.save(dir_.File(QStringLiteral("images/Sky.png"))));  // found as "sky"
    const QString shot = dir_.File(QStringLiteral("shot.png"));
    const TRun run = RunPlayer({"--strict", "--print-log", "--fixed-step", "16", "--auto", "--screenshot", shot,
                                Script("@bg sky\n@bgtint red, 128, 160\n@twpos 100, 600, 900, 700\n"
                                       "@twcolor lime\n@twalpha 255\n@wait 200\n:-\nx\n-:\n")});
    EXPECT_EQ(run.ExitCode, 0) << run.Err.toStdString();
    const QImage image(shot);
    const QRgb tinted = image.pixel(50, 50);
    EXPECT_NEAR(qRed(tinted), 128, 3);  // the fade has ended on half the tint
    EXPECT_NEAR(qBlue(tinted), 127, 3);
    EXPECT_EQ(image.pixel(110, 690), qRgb(0, 255, 0));
    EXPECT_EQ(image.pixel(50, 650), tinted);  // beside the moved window
}

TEST_F(HeadlessRun, ScreenshotEveryNthFrameGoesIntoTheFolder)
{
    const QString folder = dir_.File(QStringLiteral("frames"));
    RunPlayer({"--fixed-step", "16", "--max-frames", "9", "--screenshot-every", "3", folder, Script("@wait 1000\n")});
    EXPECT_EQ(QDir(folder).entryList({"*.png"}, QDir::Files),
              (QStringList{"frame-000003.png", "frame-000006.png", "frame-000009.png"}));
}

TEST_F(HeadlessRun, LoopsCallsBranchesAndAGlobalThatASecondRunLoads)
{
    const QString script = Script(
        "@product Acme, Counter\n"
        "@set i, 0\n"
        "#loop\n"
        "@inc i\n"
        "@if i < 3, goto loop\n"
        "@call greet, Anna, %i%\n"
        "@ifdef _runs\n"
        ":-\nagain\n-:\n"
        "@else\n"
        ":-\nfirst time\n-:\n"
        "@endif\n"
        "@inc _runs\n"
        "@exit\n"
        "#greet\n"
        "@set who, %:1%\n"
        "@if %:2% = 3\n"
        "Narrator: loop ran three times\n"
        "@endif\n"
        "@return\n");
    const QStringList args{"--transcript", "--auto", "--strict", "--fixed-step", "16", script};
    const TRun first = RunPlayer(args);
    EXPECT_EQ(first.ExitCode, 0) << first.Err.toStdString();
    EXPECT_EQ(Lines(first.Out), (QStringList{"Narrator: loop ran three times", "first time"}));

    QFile globals(qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/Acme/Counter/globals.dat"));
    ASSERT_TRUE(globals.open(QIODevice::ReadOnly));
    EXPECT_EQ(globals.readAll(), QByteArray("_\0r\0u\0n\0s\0=\0001\0\r\0\n\0", 18));
    globals.close();

    const TRun second = RunPlayer(args);
    EXPECT_EQ(Lines(second.Out), (QStringList{"Narrator: loop ran three times", "again"}));
    ASSERT_TRUE(globals.open(QIODevice::ReadOnly));
    EXPECT_EQ(globals.readAll(), QByteArray("_\0r\0u\0n\0s\0=\0002\0\r\0\n\0", 18));
}

TEST_F(HeadlessRun, ScrambledScriptsUseTheLowByteOfTheSetting)
{
    QByteArray scrambled(":-\nsecret text\n-:\n");
    for (char& c : scrambled)
        c = char(uint8_t(c) ^ 44);
    const QString script = dir_.Write(QStringLiteral("story.kvs"), scrambled);
    const QString settings = dir_.WriteUtf8(QStringLiteral("kvt.ini"), QStringLiteral("Scramble=300\nDisplayFps=maybe\n"));
    const TRun run = RunPlayer({"--settings", settings, "--print-log", "--transcript", "--auto", script});
    EXPECT_EQ(Lines(run.Out), QStringList{"secret text"});
    EXPECT_TRUE(run.Err.contains(QStringLiteral("Scrambling @ 44")));
    EXPECT_TRUE(run.Err.contains(QStringLiteral("Invalid boolean option: DisplayFps=maybe. Assuming default (False).")));
}

TEST_F(HeadlessRun, TextWindowTypesTheSpeakersStyledTextUnderTheName)
{
    const QString script = Script("Anna: \\c:Red:**Typed out one letter at a time**\n");
    auto shotAfter = [&](const char* wait) {
        const QString shot = dir_.File(QStringLiteral("shot.png"));
        RunPlayer({"--fixed-step", "16", "--input", wait, "--screenshot", shot, script});
        return QImage(shot);
    };
    // Pixels of the text window's lower part in the run colour, and of the
    // name row in the name colour.
    auto count = [](const QImage& image, int top, int bottom, QRgb wanted) {
        int found = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = 30; x < 990; ++x)
                found += image.pixel(x, y) == wanted;
        return found;
    };
    const QImage typing = shotAfter("wait 60");
    const QImage typed = shotAfter("wait 1000");
    const int redTyping = count(typing, 630, 740, qRgb(255, 0, 0));
    const int redTyped = count(typed, 630, 740, qRgb(255, 0, 0));
    EXPECT_GT(redTyping, 20);
    EXPECT_GT(redTyped, 2 * redTyping);
    EXPECT_GT(count(typed, 600, 630, qRgb(255, 255, 255)), 20);
    EXPECT_EQ(count(typed, 0, 500, qRgb(255, 0, 0)), 0);
}

TEST_F(HeadlessRun, MaxFramesEndsAStoryThatFailsOnEveryLineAndTheErrorIsLoggedOnce)
{
    const TRun run = RunPlayer({"--print-log", "--max-frames", "10", Script("#a\n@set x, %bad\n@goto a\n")});
    EXPECT_EQ(Lines(run.Err), (QStringList{"Setting bg: none", "Application initialized.", "Setting bg: none",
                                           "Exception: Unterminated variable reference",
                                           "The error above happened 9 more times."}));
}

TEST_F(HeadlessRun, RelativePathsAreTakenFromTheStartFolder)
{
    // The story's folder becomes the current one once it loads.
    dir_.WriteUtf8(QStringLiteral("story/main.kvt"), QStringLiteral(":-\nhi\n-:\n"));
    QDir(dir_.Path()).mkpath(QStringLiteral("logs"));
    dir_.WriteUtf8(QStringLiteral("kvt.ini"), QStringLiteral("LogFilename=") + dir_.Path() + QStringLiteral("/logs\\run.log\n"));
    RunPlayer({"--auto", "--fixed-step", "16", "--settings", "kvt.ini", "--screenshot", "out.png", "story/main.kvt"},
              dir_.Path());
    EXPECT_TRUE(QFile::exists(dir_.File(QStringLiteral("out.png"))));
    EXPECT_FALSE(QFile::exists(dir_.File(QStringLiteral("story/out.png"))));
    EXPECT_TRUE(QFile::exists(dir_.File(QStringLiteral("logs/run.log"))));
}
