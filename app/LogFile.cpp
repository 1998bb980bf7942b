#include "app/LogFile.h"

#include "engine/Exceptions.h"
#include "engine/TextFile.h"

#include <QFile>

void TLogFile::AppendToLogFile(const QString& message) const
{
    QFile file(fileName_);
    const bool existed = file.exists();
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        throw EOSError(QStringLiteral("Cannot open log file \"%1\": %2").arg(fileName_, file.errorString()));
    const QString text = existed ? message : QChar(0xFEFF) + message;
    QByteArray bytes;
    AppendUtf16Le(bytes, text);
    if (file.write(bytes) != bytes.size())
        throw EOSError(QStringLiteral("Cannot write log file \"%1\": %2").arg(fileName_, file.errorString()));
}
