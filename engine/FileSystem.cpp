#include "engine/FileSystem.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

QString FindEntryIgnoringCase(const QString& folder, const QString& name)
{
    QDir dir(folder.isEmpty() ? QStringLiteral(".") : folder);
    const QStringList entries = dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& entry : entries)
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
