#include "engine/StringUtils.h"

#include "engine/Exceptions.h"

qsizetype ScanForAny(QStringView text, qsizetype from, QStringView set)
{
    for (qsizetype i = qMax<qsizetype>(from, 0); i < text.size(); ++i)
        if (set.contains(text[i]))
            return i;
    return text.size();
}

QString CopyRange(QStringView text, qsizetype first, qsizetype last)
{
    if (last < first)
        throw EAssertionFailed(QStringLiteral("Assertion failed: CopyRange range is reversed (StringUtils)"));
    return text.mid(first, last - first).toString();
}

TStringArrayW SplitString(const QString& text, QChar separator)
{
    if (text.isEmpty())
        return {};
    return text.split(separator, Qt::KeepEmptyParts);
}

QString TrimChar(const QString& text, QChar c)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text[first] == c)
        ++first;
    while (last > first && text[last - 1] == c)
        --last;
    return text.mid(first, last - first);
}
