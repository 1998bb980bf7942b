#include "app/LogFile.h"

#include "engine/Exceptions.h"

#include <QFile>

namespace {

QByteArray Utf16Le(const QString& text)
{
    QByteArray bytes;
    bytes.reserve(text.size() * 2);
    for (QChar c : text) {
        bytes.append(char(c.unicode() & 0xFF));
        bytes.append(char(c.unicode() >> 8));
    }
    return bytes;
}

} // namespace

void TLogFile::AppendToLogFile(const QString& message) const
{
    QFile file(fileName_);
    const bool existed = file.exists();
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        throw EOSError(QStringLiteral("Cannot open log file \"%1\": %2").arg(fileName_, file.errorString()));
    const QString text = existed ? message : QChar(0xFEFF) + message;
    const QByteArray bytes = Utf16Le(text);
    if (file.write(bytes) != bytes.size())
        throw EOSError(QStringLiteral("Cannot write log file \"%1\": %2").arg(fileName_, file.errorString()));
}
