// A whole story folder: the input holds the main file and its includes,
// separated by form feeds. Each part starts with one character that picks
// how the file is stored ('0' to '7', see Encode); the part's place picks
// its name (main.kvt, inc1.kvt, INC2.KVT, sub/inc3.kvt, inc4.kvt, ...).
// The story is loaded and played with virtual time for a bounded number of
// frames, every click answered at once.

#include "engine/TextFile.h"
#include "support/FuzzEnvironment.h"
#include "support/FuzzStory.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

constexpr int Frames = 32;

const char* const BaseNames[] = {"main", "inc1", "INC2", "sub/inc3"};

QString BaseName(qsizetype part)
{
    if (part < qsizetype(std::size(BaseNames)))
        return QString::fromLatin1(BaseNames[part]);
    return QStringLiteral("inc%1").arg(part);
}

QByteArray Utf16(const QString& text, bool bigEndian)
{
    QByteArray bytes = bigEndian ? QByteArray("\xFE\xFF") : QByteArray("\xFF\xFE");
    for (QChar c : text) {
        const char high = char(c.unicode() >> 8);
        const char low = char(c.unicode() & 0xFF);
        bytes.append(bigEndian ? high : low);
        bytes.append(bigEndian ? low : high);
    }
    return bytes;
}

void Scramble(QByteArray& bytes, uint8_t key)
{
    for (char& b : bytes)
        b = char(uint8_t(b) ^ key);
}

struct TStoredFile {
    QByteArray Bytes;
    bool Scrambled = false;
};

// Raw bytes reach the decoder's fallbacks (invalid UTF-8, odd UTF-16);
// the other forms carry the part's text in every encoding a script may use.
TStoredFile Encode(char form, const QByteArray& content, uint8_t key)
{
    const QString text = QString::fromUtf8(content);
    TStoredFile file;
    switch (uint8_t(form) % 8) {
    case 0: file.Bytes = content; break;
    case 1: file.Bytes = "\xEF\xBB\xBF" + content; break;
    case 2: file.Bytes = Utf16(text, false); break;
    case 3: file.Bytes = Utf16(text, true); break;
    case 4: file.Bytes = "\xFF\xFE" + content; break;
    case 5: file.Bytes = text.toLatin1(); break;
    case 6: file.Bytes = content; file.Scrambled = true; break;
    case 7: file.Bytes = Utf16(text, false); file.Scrambled = true; break;
    }
    if (file.Scrambled)
        Scramble(file.Bytes, key);
    return file;
}

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    FuzzCheck(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size(),
              QStringLiteral("the story's files can be written"));
}

QString WriteStory(const QByteArray& input, uint8_t key)
{
    const QString folder = ScratchFolder() + QStringLiteral("/story");
    QDir(folder).removeRecursively();
    const QList<QByteArray> parts = input.split('\f');
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QByteArray& part = parts[i];
        const TStoredFile file = Encode(part.isEmpty() ? '0' : part[0], part.mid(1), key);
        const QString extension = file.Scrambled ? QStringLiteral(".kvs") : QStringLiteral(".kvt");
        WriteFile(folder + u'/' + BaseName(i) + extension, file.Bytes);
    }
    return folder + QStringLiteral("/main.kvt");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TFuzzStory& story = SharedStory();
    story.Play(WriteStory(FuzzBytes(data, size), story.parser.ScrambleKey), Frames);
    story.ForgetProduct();
    return 0;
}
