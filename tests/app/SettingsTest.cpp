#include "app/CommandLineOptions.h"
#include "app/LogFile.h"
#include "app/Settings.h"
#include "engine/Exceptions.h"
#include "support/TempDir.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

class SettingsTest : public testing::Test {
protected:
    SettingsTest() : settings_([this](const QString& line) { logged_.append(line); }) {}

    TSettings settings_;
    QStringList logged_;
};

} // namespace

TEST_F(SettingsTest, FirstMatchIgnoringCaseAndValuesUntrimmed)
{
    settings_.SetLines({"[Main]", "debug=1", "Debug=0", "LogFilename= my log.txt", "Empty="});
    EXPECT_TRUE(settings_.GetBoolOption("DEBUG", false));
    EXPECT_EQ(settings_.GetStringOption("logfilename", "x"), " my log.txt");
    EXPECT_EQ(settings_.GetStringOption("Empty", "x"), "");
    EXPECT_EQ(settings_.GetStringOption("[Main]", "absent"), "absent");
    EXPECT_TRUE(logged_.isEmpty());
}

TEST_F(SettingsTest, MalformedValuesLogAndFallBackToTheDefault)
{
    settings_.SetLines({"Debug=yes", "Scramble=x%1y", "Fullscreen=TRUE", "Other=-5", "Hex=$12C"});
    EXPECT_FALSE(settings_.GetBoolOption("Debug", false));
    EXPECT_EQ(settings_.GetIntOption("Scramble", 0), 0);
    EXPECT_TRUE(settings_.GetBoolOption("Fullscreen", false));
    EXPECT_TRUE(settings_.GetBoolOption("Other", false));
    EXPECT_EQ(settings_.GetIntOption("Hex", 0) & 0xFF, 44);
    EXPECT_EQ(logged_, (QStringList{"Invalid boolean option: Debug=yes. Assuming default (False).",
                                    "Invalid integer option: Scramble=x%1y. Assuming default (0)."}));
}

TEST_F(SettingsTest, MissingFileMeansEveryDefault)
{
    settings_.LoadFromFile("/nonexistent/kvtparser.ini");
    EXPECT_EQ(settings_.GetIntOption("Scramble", 7), 7);
    EXPECT_TRUE(logged_.isEmpty());
}

TEST(LogFile, NewFileStartsWithOneMarkAndMessagesFollowDirectly)
{
    TTempDir dir;
    TLogFile log;
    log.SetFileName(dir.File("kvt.log"));
    log.AppendToLogFile("ab");
    log.AppendToLogFile("c");
    QFile file(dir.File("kvt.log"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("\xFF\xFE" "a\0b\0c\0", 8));
}

TEST(LogFile, UnwritableFileRaisesASystemError)
{
    TLogFile log;
    log.SetFileName("/nonexistent-folder/kvt.log");
    try {
        log.AppendToLogFile("x");
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.ClassName(), "EOSError");
    }
}

TEST(CommandLineOptions, ReadsEveryOptionAndThePositionals)
{
    const TCommandLineOptions o = ParseCommandLineOptions(
        {"--headless", "--fixed-step", "16", "--input", "click; key enter", "--max-frames", "9",
         "--screenshot-every", "3", "shots", "story.kvt", "start"});
    EXPECT_TRUE(o.Headless);
    EXPECT_EQ(o.FixedStepMs, 16u);
    EXPECT_EQ(o.Input, "click; key enter");
    EXPECT_EQ(o.MaxFrames, 9);
    EXPECT_EQ(o.ScreenshotEvery, 3);
    EXPECT_EQ(o.ScreenshotFolder, "shots");
    EXPECT_EQ(o.Script, "story.kvt");
    EXPECT_EQ(o.Label, "start");
}

TEST(CommandLineOptions, BadUsageIsRejected)
{
    for (const QStringList& args : {QStringList{"--fixed-step", "0"}, QStringList{"--max-frames"},
                                    QStringList{"--nope"}, QStringList{"a", "b", "c"},
                                    QStringList{"--screenshot-every", "2"}})
        EXPECT_THROW(ParseCommandLineOptions(args), EUsageError) << args.join(' ').toStdString();
}
