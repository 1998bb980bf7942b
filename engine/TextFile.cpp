#include "engine/TextFile.h"

#include "engine/Exceptions.h"

#include <QFile>
#include <QStringDecoder>

#include <vector>

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
    out.reserve(out.size() + text.size() * 2);
    for (QChar c : text) {
        out.append(char(c.unicode() & 0xFF));
        out.append(char(c.unicode() >> 8));
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

// Cuts lines from a file's bytes as they are read and decodes each line on
// its own, so a large script is never held as bytes, as one decoded text and
// as lines at the same time; that peak was more than half again the size of
// the lines themselves. Line breaks are the same single bytes in UTF-8 and
// in Windows-1252 and never occur inside a UTF-8 sequence, so decoding line
// by line gives exactly the text decoding the whole file would.
class TByteLineReader {
public:
    enum class TEncoding { Utf8, Windows1252 };

    explicit TByteLineReader(TEncoding encoding) : encoding_(encoding) {}

    // False when the bytes are not valid UTF-8 and UTF-8 was asked for.
    bool Read(QFile& file, QStringList& lines)
    {
        constexpr qsizetype kChunk = 64 * 1024;
        QByteArray chunk(kChunk, Qt::Uninitialized);
        for (;;) {
            const qint64 got = file.read(chunk.data(), kChunk);
            if (got <= 0)
                break;
            if (!Feed(QByteArrayView(chunk.constData(), got), lines))
                return false;
        }
        // A final line break does not start another line.
        return pending_.isEmpty() || Emit(pending_, lines);
    }

private:
    bool Feed(QByteArrayView bytes, QStringList& lines)
    {
        qsizetype start = 0;
        if (afterCr_ && !bytes.isEmpty() && bytes[0] == '\n')
            start = 1;  // the LF of a CR LF split between two reads
        afterCr_ = false;
        for (qsizetype i = start; i < bytes.size(); ++i) {
            const char c = bytes[i];
            if (c != '\n' && c != '\r')
                continue;
            if (!EmitWithPending(bytes.sliced(start, i - start), lines))
                return false;
            if (c == '\r') {
                if (i + 1 == bytes.size())
                    afterCr_ = true;
                else if (bytes[i + 1] == '\n')
                    ++i;
            }
            start = i + 1;
        }
        pending_.append(bytes.sliced(start));
        return true;
    }

    bool EmitWithPending(QByteArrayView tail, QStringList& lines)
    {
        if (pending_.isEmpty())
            return Emit(tail, lines);
        pending_.append(tail);
        const bool ok = Emit(pending_, lines);
        pending_.clear();
        return ok;
    }

    bool Emit(QByteArrayView line, QStringList& lines)
    {
        if (encoding_ == TEncoding::Windows1252) {
            lines.append(DecodeWindows1252(line));
            return true;
        }
        // Decoded into scratch space first: the decoder asks for room for the
        // worst case, and every line kept at that size would waste memory.
        // One spare place keeps the start pointer valid for an empty line,
        // which must come out empty, not null.
        scratch_.resize(utf8_.requiredSpace(line.size()) + 1);
        const QChar* end = utf8_.appendToBuffer(scratch_.data(), line);
        if (utf8_.hasError())
            return false;
        lines.append(QString(scratch_.data(), end - scratch_.data()));
        return true;
    }

    TEncoding encoding_;
    // A byte-order mark is kept as the character it is: at the start of the
    // file it was handled before, and inside the file it belongs to the text.
    QStringDecoder utf8_{QStringDecoder::Utf8, QStringDecoder::Flag::Stateless
                                                   | QStringDecoder::Flag::ConvertInitialBom};
    QByteArray pending_;
    std::vector<QChar> scratch_;
    bool afterCr_ = false;
};

bool StartsWithByteOrderMark(QByteArrayView head)
{
    return head.startsWith("\xFF\xFE") || head.startsWith("\xFE\xFF") || head.startsWith("\xEF\xBB\xBF");
}

} // namespace

QStringList ReadTextFileLines(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw EOSError(QStringLiteral("Cannot read file \"%1\": %2").arg(fileName, file.errorString()));
    if (StartsWithByteOrderMark(file.peek(3)))
        return SplitTextLines(DecodeText(file.readAll()));
    QStringList lines;
    if (TByteLineReader(TByteLineReader::TEncoding::Utf8).Read(file, lines))
        return lines;
    // One invalid sequence anywhere makes the whole file Windows-1252.
    lines.clear();
    file.seek(0);
    TByteLineReader(TByteLineReader::TEncoding::Windows1252).Read(file, lines);
    return lines;
}
