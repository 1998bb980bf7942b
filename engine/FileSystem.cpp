#include "engine/FileSystem.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>
#include <vector>

namespace {

// A story names its pictures and sounds again and again, often in another
// letter case or without the extension that exists, and each miss would
// read the whole folder. Listings are kept while the folder's modification
// time stays the same; a folder changed in the last seconds is read afresh,
// since its time may not yet tell one change from the next.
struct TFolderListing {
    QString folder;
    QDateTime modified;
    QStringList entries;
};

const QStringList& FolderEntries(const QString& folder)
{
    thread_local std::vector<TFolderListing> listings;
    constexpr std::size_t KeptFolders = 16;
    constexpr qint64 SettledMs = 2000;
    const QString path = folder.isEmpty() ? QStringLiteral(".") : folder;
    const QDateTime modified = QFileInfo(path).lastModified();
    const bool settled = modified.isValid() && modified.msecsTo(QDateTime::currentDateTime()) > SettledMs;
    auto kept = std::find_if(listings.begin(), listings.end(), [&](const TFolderListing& l) { return l.folder == path; });
    if (kept != listings.end() && settled && kept->modified == modified)
        return kept->entries;
    if (kept == listings.end()) {
        if (listings.size() == KeptFolders)
            listings.erase(listings.begin());
        kept = listings.insert(listings.end(), TFolderListing{path, {}, {}});
    }
    kept->modified = settled ? modified : QDateTime();
    kept->entries = QDir(path).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    return kept->entries;
}

QString FindEntryIgnoringCase(const QString& folder, const QString& name)
{
    for (const QString& entry : FolderEntries(folder))
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return entry;
    return {};
}

} // namespace

QString NormalizeSeparators(const QString& path)
{
    QString result = path;
    result.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return result;
}

QString ResolvePathIgnoringCase(const QString& path)
{
    const QString normal = NormalizeSeparators(path);
    if (normal.isEmpty() || QFileInfo::exists(normal))
        return normal;
    // Most misses are a name in a folder that exists as written.
    if (const qsizetype slash = normal.lastIndexOf(QLatin1Char('/')); slash > 0) {
        const QString folder = normal.left(slash);
        if (QFileInfo(folder).isDir()) {
            const QString found = FindEntryIgnoringCase(folder, normal.mid(slash + 1));
            return found.isEmpty() ? normal : folder + QLatin1Char('/') + found;
        }
    }

    const bool absolute = normal.startsWith(QLatin1Char('/'));
    const QStringList parts = normal.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString current = absolute ? QStringLiteral("/") : QString();
    for (const QString& part : parts) {
        const QString candidate = current.isEmpty() ? part
            : (current.endsWith(QLatin1Char('/')) ? current + part : current + QLatin1Char('/') + part);
        if (part == QLatin1String(".") || part == QLatin1String("..") || QFileInfo::exists(candidate)) {
            current = candidate;
            continue;
        }
        const QString found = FindEntryIgnoringCase(current, part);
        if (found.isEmpty())
            return normal;
        current = current.isEmpty() ? found
            : (current.endsWith(QLatin1Char('/')) ? current + found : current + QLatin1Char('/') + found);
    }
    return current;
}

bool FileExistsIgnoringCase(const QString& path)
{
    return QFileInfo(ResolvePathIgnoringCase(path)).isFile();
}

QString UserDataFolder()
{
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base)) {
        // Not QDir::homePath(): without a home it answers "/", and globals
        // would go to a folder nobody chose.
        const QString home = qEnvironmentVariable("HOME");
        if (home.isEmpty() || !QDir::isAbsolutePath(home))
            return QString();
        base = home + QStringLiteral("/.local/share");
    }
    while (base.size() > 1 && base.endsWith(QLatin1Char('/')))
        base.chop(1);
    return base;
}
