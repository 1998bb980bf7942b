#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

using TStringArrayW = QStringList;

// Index of the first character at or after `from` that is in `set`, or the
// text's length when there is none.
qsizetype ScanForAny(QStringView text, qsizetype from, QStringView set);

// Characters [first, last) of the text; last before first is a programming
// error and raises EAssertionFailed.
QString CopyRange(QStringView text, qsizetype first, qsizetype last);

// One element more than there are separators; an empty text gives no element.
TStringArrayW SplitString(const QString& text, QChar separator);

// Removes the character from both ends.
QString TrimChar(const QString& text, QChar c);
