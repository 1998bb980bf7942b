#include "engine/TextFile.h"

#include "engine/Exceptions.h"

#include <QFile>
#include <QStringDecoder>

namespace {

// Windows-1252 differs from Latin-1 only in 0x80-0x9F; the five unassigned
// bytes map to the C1 controls, as the system's conversion does.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

QString DecodeWindows1252(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        out[i] = (b >= 0x80 && b < 0xA0) ? QChar(kCp1252High[b - 0x80]) : QChar(b);
    }
    return text;
}

QString DecodeUtf16(QByteArrayView bytes, bool bigEndian)
{
    const qsizetype count = bytes.size() / 2;  // a dangling odd byte is dropped
    QString text(count, Qt::Uninitialized);
    QChar* out = text.data();
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    for (qsizetype i = 0; i < count; ++i) {
        const unsigned hi = bigEndian ? p[2 * i] : p[2 * i + 1];
        const unsigned lo = bigEndian ? p[2 * i + 1] : p[2 * i];
        out[i] = QChar(static_cast<char16_t>((hi << 8) | lo));
    }
    return text;
}

} // namespace

QString DecodeText(const QByteArray& bytes)
{
    const QByteArrayView view(bytes);
    if (view.startsWith("\xFF\xFE"))
        return DecodeUtf16(view.sliced(2), false);
    if (view.startsWith("\xFE\xFF"))
        return DecodeUtf16(view.sliced(2), true);
    if (view.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(view.sliced(3));

    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(view);
    if (!utf8.hasError())
        return text;
    return DecodeWindows1252(view);
}

QStringList SplitTextLines(const QString& text)
{
    QStringList lines;
    const QChar* data = text.constData();
    const qsizetype size = text.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = data[i].unicode();
        if (c != u'\n' && c != u'\r')
            continue;
        lines.append(QString(data + start, i - start));
        if (c == u'\r' && i + 1 < size && data[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < size)
        lines.append(QString(data + start, size - start));
    return lines;
}

QStringList ReadTextFileLines(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw EOSError(QStringLiteral("Cannot read file \"%1\": %2").arg(fileName, file.errorString()));
    return SplitTextLines(DecodeText(file.readAll()));
}
