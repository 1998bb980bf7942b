#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

QString TTempDir::Write(const QString& name, const QByteArray& bytes) const
{
    const QString path = File(name);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return {};
    file.write(bytes);
    return path;
}
