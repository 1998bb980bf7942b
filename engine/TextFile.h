#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QStringView>
#include <QString>
#include <QStringList>

#include <cstdint>

// Decodes a text file's bytes: a byte-order mark picks UTF-16 LE/BE or UTF-8;
// without one the text is UTF-8 when it is valid UTF-8, else Windows-1252
// (the code page the scripts were written in).
QString DecodeText(const QByteArray& bytes);

// UTF-16 little-endian without a mark; a dangling odd byte is dropped.
QString DecodeUtf16Le(QByteArrayView bytes);
void AppendUtf16Le(QByteArray& out, QStringView text);

// Splits at CR LF, LF or CR. A final line break does not start another line.
QStringList SplitTextLines(const QString& text);

enum class TTextEncoding : uint8_t { Utf8, Windows1252, Utf16 };

// A text file's contents with the encoding DecodeText would pick, kept as
// the file's own bytes where the text is UTF-8 or Windows-1252: a large
// script is then held once, at its size on disk, and each line is decoded
// only when it is used. Positions count code units: bytes, or UTF-16 units
// for text that came with a UTF-16 mark (or as broken UTF-8 after a UTF-8
// mark), which is held decoded in Wide.
struct TTextBytes {
    QByteArray Bytes;
    QString Wide;
    qsizetype Begin = 0;  // the first unit after the byte-order mark
    TTextEncoding Encoding = TTextEncoding::Utf8;

    qsizetype End() const { return Encoding == TTextEncoding::Utf16 ? Wide.size() : Bytes.size(); }
    // The code unit at a position; a byte outside ASCII stands for no
    // particular character, so compare units with ASCII only.
    char16_t Unit(qsizetype at) const
    {
        return Encoding == TTextEncoding::Utf16 ? Wide[at].unicode() : char16_t(uint8_t(Bytes[at]));
    }
    // The position of the next CR or LF at or after `from`, or End().
    qsizetype FindLineBreak(qsizetype from) const;
    // The start of the line after the break at `at`, CR LF counting as one.
    qsizetype SkipLineBreak(qsizetype at) const;
    QString Decode(qsizetype start, qsizetype length) const;
};

// Takes over the bytes of a whole file.
TTextBytes ClassifyText(QByteArray bytes);

// Reads a whole file, each byte XORed with the key first (0 reads it as it
// is); raises EOSError when it cannot be read.
TTextBytes ReadTextBytes(const QString& fileName, uint8_t key = 0);

// Reads and decodes a whole file; raises EOSError when it cannot be read.
QStringList ReadTextFileLines(const QString& fileName);
