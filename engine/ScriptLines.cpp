#include "engine/ScriptLines.h"

#include "engine/Exceptions.h"

namespace {

// Every line is looked at while a script loads; a full case fold per
// character cost more than finding the line.
char16_t FoldAscii(char16_t unit)
{
    return (unit >= u'A' && unit <= u'Z') ? char16_t(unit + (u'a' - u'A')) : unit;
}

} // namespace

uint32_t TScriptLines::AddSource(TTextBytes text)
{
    sources_.push_back(std::move(text));
    return uint32_t(sources_.size() - 1);
}

std::vector<TLineRef> TScriptLines::SplitSource(uint32_t source) const
{
    const TTextBytes& text = sources_[source];
    std::vector<TLineRef> lines;
    // Room for lines of 32 units on average, more than most scripts need:
    // room never written to costs no memory, while growing the array step
    // by step touched twice its final size.
    lines.reserve(size_t((text.End() - text.Begin) / 32 + 1));
    for (qsizetype start = text.Begin; start < text.End();) {
        const qsizetype lineBreak = text.FindLineBreak(start);
        const qsizetype length = lineBreak - start;
        if (length > qsizetype(UINT32_MAX))
            throw Exception(QStringLiteral("Line too long in script."));
        lines.push_back({start, uint32_t(length), source});
        start = text.SkipLineBreak(lineBreak);
    }
    return lines;
}

void TScriptLines::Clear()
{
    lines_.clear();
    lines_.shrink_to_fit();
    sources_.clear();
}

QString TScriptLines::Text(const TLineRef& line) const
{
    return sources_[line.Source].Decode(line.Start, line.Length);
}

bool TScriptLines::StartsWith(const TLineRef& line, QLatin1StringView prefix, bool ignoreCase) const
{
    if (qsizetype(line.Length) < prefix.size())
        return false;
    const TTextBytes& text = sources_[line.Source];
    for (qsizetype i = 0; i < prefix.size(); ++i) {
        char16_t unit = text.Unit(line.Start + i);
        char16_t wanted = prefix[i].unicode();
        if (ignoreCase) {
            unit = FoldAscii(unit);
            wanted = FoldAscii(wanted);
        }
        if (unit != wanted)
            return false;
    }
    return true;
}

char16_t TScriptLines::UnitAt(const TLineRef& line, qsizetype offset) const
{
    return offset < qsizetype(line.Length) ? sources_[line.Source].Unit(line.Start + offset) : char16_t(0);
}

QStringList TScriptLines::ToStringList() const
{
    QStringList lines;
    lines.reserve(Size());
    for (const TLineRef& line : lines_)
        lines.append(Text(line));
    return lines;
}
