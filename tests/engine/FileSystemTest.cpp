#include "engine/FileSystem.h"

#include "support/TempDir.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <sys/time.h>

namespace {

// Dates a folder back, so its listing counts as settled and may be kept.
void DateFolderBack(const QString& folder, int secondsAgo)
{
    timeval now{};
    gettimeofday(&now, nullptr);
    const timeval times[2] = {{now.tv_sec - secondsAgo, 0}, {now.tv_sec - secondsAgo, 0}};
    ASSERT_EQ(utimes(QFile::encodeName(folder).constData(), times), 0);
}

TEST(FileSystem, NamesResolveIgnoringCaseAndFollowTheFolderWhenItChanges)
{
    TTempDir dir;
    dir.Write(QStringLiteral("Images/Pic.PNG"), "x");
    const QString folder = dir.File(QStringLiteral("Images"));
    DateFolderBack(folder, 3600);
    EXPECT_EQ(ResolvePathIgnoringCase(dir.File(QStringLiteral("images\\pic.png"))), folder + QStringLiteral("/Pic.PNG"));
    EXPECT_EQ(ResolvePathIgnoringCase(folder + QStringLiteral("/pic.png")), folder + QStringLiteral("/Pic.PNG"));

    ASSERT_TRUE(QFile::rename(folder + QStringLiteral("/Pic.PNG"), folder + QStringLiteral("/Other.png")));
    DateFolderBack(folder, 1800);
    EXPECT_EQ(ResolvePathIgnoringCase(folder + QStringLiteral("/pic.png")), folder + QStringLiteral("/pic.png"));
    EXPECT_EQ(ResolvePathIgnoringCase(folder + QStringLiteral("/OTHER.PNG")), folder + QStringLiteral("/Other.png"));
    EXPECT_FALSE(FileExistsIgnoringCase(folder + QStringLiteral("/missing.png")));
}

} // namespace
