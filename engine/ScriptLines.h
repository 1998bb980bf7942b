#pragma once

#include "engine/TextFile.h"

#include <QLatin1StringView>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

// Where one line lies in the text of the file it came from.
struct TLineRef {
    qsizetype Start;
    uint32_t Length;  // code units
    uint32_t Source;  // index of the file's text
};

// The lines of a loaded script, kept in the texts of the files they came
// from: one buffer per file read and a small record per line instead of a
// string each, which for a million-line story was most of its memory and of
// its load time. A line becomes a string when it is used.
class TScriptLines {
public:
    // Takes over a file's text; returns its index for the records.
    uint32_t AddSource(TTextBytes text);
    // The source's lines in order, as records to pick from.
    std::vector<TLineRef> SplitSource(uint32_t source) const;
    void Assign(std::vector<TLineRef> lines) { lines_ = std::move(lines); }
    void Clear();

    qsizetype Size() const { return qsizetype(lines_.size()); }
    QString At(qsizetype index) const { return Text(lines_[size_t(index)]); }
    QString Text(const TLineRef& line) const;
    bool IsEmpty(qsizetype index) const { return lines_[size_t(index)].Length == 0; }
    // Compares the line's first units with an ASCII prefix, without
    // decoding it; `ignoreCase` folds ASCII letters only.
    bool StartsWith(qsizetype index, QLatin1StringView prefix, bool ignoreCase = false) const
    {
        return StartsWith(lines_[size_t(index)], prefix, ignoreCase);
    }
    bool StartsWith(const TLineRef& line, QLatin1StringView prefix, bool ignoreCase = false) const;
    // The unit at an offset into the line, or 0 past its end.
    char16_t UnitAt(const TLineRef& line, qsizetype offset) const;
    QStringList ToStringList() const;

private:
    std::vector<TTextBytes> sources_;
    std::vector<TLineRef> lines_;
};
