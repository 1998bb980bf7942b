#include "engine/Exceptions.h"
#include "interpreter/MissingFiles.h"

#include <QStringList>

#include <gtest/gtest.h>

TEST(ReportMissingFile, LogsAndGoesOnWhileSkipping_RaisesTheSameTextOtherwise)
{
    QStringList log;
    TMissingFileReporter reporter([&log](const QString& line) { log.append(line); });
    reporter.ReportMissingFile(QStringLiteral("BG"), QStringLiteral("forest"));
    reporter.SkipMissingFiles = false;
    try {
        reporter.ReportMissingFile(QStringLiteral("Sound"), QStringLiteral("bell"));
        FAIL() << "a missing file must raise when skipping is off";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Sound file not found: \"bell\""));
    }
    EXPECT_EQ(log, QStringList({QStringLiteral("BG file not found: \"forest\""),
                                QStringLiteral("Sound file not found: \"bell\"")}));
}
