#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QStringView>
#include <QString>
#include <QStringList>

// Decodes a text file's bytes: a byte-order mark picks UTF-16 LE/BE or UTF-8;
// without one the text is UTF-8 when it is valid UTF-8, else Windows-1252
// (the code page the scripts were written in).
QString DecodeText(const QByteArray& bytes);

// UTF-16 little-endian without a mark; a dangling odd byte is dropped.
QString DecodeUtf16Le(QByteArrayView bytes);
void AppendUtf16Le(QByteArray& out, QStringView text);

// Splits at CR LF, LF or CR. A final line break does not start another line.
QStringList SplitTextLines(const QString& text);

// Reads and decodes a whole file; raises EOSError when it cannot be read.
QStringList ReadTextFileLines(const QString& fileName);
