#include "engine/TextFile.h"

#include "engine/Exceptions.h"

#include <QFile>
#include <QStringDecoder>

#include <cstring>

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

QString DecodeUtf16Le(QByteArrayView bytes)
{
    return DecodeUtf16(bytes, false);
}

void AppendUtf16Le(QByteArray& out, QStringView text)
{
    // Files are built from many small pieces: one resize (which grows the
    // buffer geometrically) and plain stores, rather than an exact reserve
    // and two checked appends per character.
    const qsizetype start = out.size();
    out.resize(start + text.size() * 2);
    char* p = out.data() + start;
    for (QChar c : text) {
        *p++ = char(c.unicode() & 0xFF);
        *p++ = char(c.unicode() >> 8);
    }
}

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

namespace {

constexpr uint64_t kEveryByte = 0x0101010101010101ULL;
constexpr uint64_t kHighBits = 0x8080808080808080ULL;

// True when some byte of the word is zero.
constexpr bool HasZeroByte(uint64_t word)
{
    return ((word - kEveryByte) & ~word & kHighBits) != 0;
}

// Eight bytes at a time: a byte at a time, finding the line breaks of a
// large script took longer than reading it.
qsizetype FindByteLineBreak(const char* data, qsizetype from, qsizetype end)
{
    qsizetype i = from;
    for (; i + 8 <= end; i += 8) {
        uint64_t word;
        std::memcpy(&word, data + i, 8);
        if (HasZeroByte(word ^ (kEveryByte * '\n')) || HasZeroByte(word ^ (kEveryByte * '\r')))
            break;
    }
    for (; i < end; ++i)
        if (data[i] == '\n' || data[i] == '\r')
            return i;
    return end;
}

void XorBytes(QByteArray& bytes, uint8_t key)
{
    char* data = bytes.data();
    const qsizetype size = bytes.size();
    const uint64_t wideKey = kEveryByte * key;
    qsizetype i = 0;
    for (; i + 8 <= size; i += 8) {
        uint64_t word;
        std::memcpy(&word, data + i, 8);
        word ^= wideKey;
        std::memcpy(data + i, &word, 8);
    }
    for (; i < size; ++i)
        data[i] = char(uint8_t(data[i]) ^ key);
}

QString DecodeUtf8Line(QByteArrayView line)
{
    // A mark at the start of a line is text here; QString::fromUtf8 would
    // drop it as if it began a file.
    if (!line.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(line);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    return utf8(line);
}

} // namespace

qsizetype TTextBytes::FindLineBreak(qsizetype from) const
{
    if (Encoding != TTextEncoding::Utf16)
        return FindByteLineBreak(Bytes.constData(), from, Bytes.size());
    const QChar* data = Wide.constData();
    for (qsizetype i = from; i < Wide.size(); ++i)
        if (data[i] == u'\n' || data[i] == u'\r')
            return i;
    return Wide.size();
}

qsizetype TTextBytes::SkipLineBreak(qsizetype at) const
{
    if (at >= End())
        return End();
    if (Unit(at) == u'\r' && at + 1 < End() && Unit(at + 1) == u'\n')
        return at + 2;
    return at + 1;
}

QString TTextBytes::Decode(qsizetype start, qsizetype length) const
{
    if (length == 0)
        return QStringLiteral("");  // an empty line is empty, not null
    switch (Encoding) {
    case TTextEncoding::Utf8:
        return DecodeUtf8Line(QByteArrayView(Bytes).sliced(start, length));
    case TTextEncoding::Windows1252:
        return DecodeWindows1252(QByteArrayView(Bytes).sliced(start, length));
    case TTextEncoding::Utf16:
        break;
    }
    return QString(Wide.constData() + start, length);
}

TTextBytes ClassifyText(QByteArray bytes)
{
    TTextBytes text;
    const QByteArrayView view(bytes);
    if (view.startsWith("\xFF\xFE") || view.startsWith("\xFE\xFF")) {
        text.Encoding = TTextEncoding::Utf16;
        text.Wide = DecodeUtf16(view.sliced(2), view.startsWith("\xFE\xFF"));
        return text;
    }
    if (view.startsWith("\xEF\xBB\xBF")) {
        const QByteArrayView body = view.sliced(3);
        if (!body.isValidUtf8()) {
            // Decoded as a whole, as DecodeText would: broken sequences
            // become replacement characters exactly as they always did.
            text.Encoding = TTextEncoding::Utf16;
            text.Wide = QString::fromUtf8(body);
            return text;
        }
        // Decoding the whole text would drop a second mark right after the
        // first as well.
        text.Begin = body.startsWith("\xEF\xBB\xBF") ? 6 : 3;
    } else if (!view.isValidUtf8()) {
        // One invalid sequence anywhere makes the whole file Windows-1252.
        text.Encoding = TTextEncoding::Windows1252;
    }
    text.Bytes = std::move(bytes);
    return text;
}

TTextBytes ReadTextBytes(const QString& fileName, uint8_t key)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw EOSError(QStringLiteral("Cannot read file \"%1\": %2").arg(fileName, file.errorString()));
    QByteArray bytes = file.readAll();
    if (key != 0)
        XorBytes(bytes, key);
    return ClassifyText(std::move(bytes));
}

QStringList ReadTextFileLines(const QString& fileName)
{
    const TTextBytes text = ReadTextBytes(fileName);
    QStringList lines;
    for (qsizetype start = text.Begin; start < text.End();) {
        const qsizetype lineBreak = text.FindLineBreak(start);
        lines.append(text.Decode(start, lineBreak - start));
        start = text.SkipLineBreak(lineBreak);
    }
    return lines;
}
