#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <unordered_map>

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

// Tables keyed by names: labels, command names, variables. Qt's seeded
// string hash cost well over a hundred nanoseconds a call on the processors
// we measured, more than the whole rest of a simple command. The names come
// from the author's own script, so a plain hash needs no defence against
// crafted collisions. Lookups take a view: no key string is built.
struct TNameHash {
    using is_transparent = void;
    size_t operator()(QStringView text) const noexcept;
};
struct TNameEqual {
    using is_transparent = void;
    bool operator()(QStringView a, QStringView b) const noexcept { return a == b; }
};
template <typename T>
using TNameMap = std::unordered_map<QString, T, TNameHash, TNameEqual>;

// A name's case-folded form, for lookups in tables keyed by folded names.
// Plain ASCII names, which every command and nearly every label is, are
// folded into the object itself; others get the full fold. The key must not
// outlive the object.
class TFoldedKey {
public:
    explicit TFoldedKey(QStringView name);
    TFoldedKey(const TFoldedKey&) = delete;
    TFoldedKey& operator=(const TFoldedKey&) = delete;
    QStringView Key() const { return key_; }

private:
    char16_t buffer_[32];
    QString folded_;
    QStringView key_;
};
