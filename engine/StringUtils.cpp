#include "engine/StringUtils.h"

#include "engine/Exceptions.h"

#include <iterator>

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

size_t TNameHash::operator()(QStringView text) const noexcept
{
    uint64_t hash = 14695981039346656037ull;  // FNV-1a
    for (QChar c : text) {
        hash ^= c.unicode();
        hash *= 1099511628211ull;
    }
    return size_t(hash);
}

TFoldedKey::TFoldedKey(QStringView name)
{
    const qsizetype size = name.size();
    if (size <= qsizetype(std::size(buffer_))) {
        bool ascii = true;
        for (qsizetype i = 0; i < size && ascii; ++i) {
            const char16_t c = name[i].unicode();
            ascii = c < 0x80;
            buffer_[i] = (c >= u'A' && c <= u'Z') ? char16_t(c + (u'a' - u'A')) : c;
        }
        if (ascii) {
            key_ = QStringView(buffer_, size);
            return;
        }
    }
    folded_ = name.toString().toCaseFolded();
    key_ = folded_;
}
