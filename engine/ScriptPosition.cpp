#include "engine/ScriptPosition.h"

#include "engine/KvtEngine.h"

#include <algorithm>
#include <optional>

namespace {

// Main scripts are named by the path they were opened with, includes as the
// script wrote them; the name alone is what stays the same between runs.
QString BareFileName(const QString& path)
{
    return path.mid(std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\')) + 1);
}

bool IsLabelLine(const TKvtParser& parser, int32_t line)
{
    return parser.LineStartsWith(line, QLatin1StringView("#"));
}

QString TextAt(const TKvtParser& parser, int32_t line)
{
    return line >= 0 && line < parser.LineCount() ? parser.Line(line) : QString();
}

// The nearest label above that a lookup finds again: of labels with equal
// names only the first one can be jumped to, so a later one is passed over.
int32_t FindAnchor(const TKvtParser& parser, int32_t line, QString& label)
{
    for (int32_t i = std::min<int32_t>(line, int32_t(parser.LineCount()) - 1); i >= 0; --i) {
        if (!IsLabelLine(parser, i))
            continue;
        const QString name = parser.Line(i).mid(1);
        if (parser.FindLabel(name) == i) {
            label = name;
            return i;
        }
    }
    label.clear();
    return 0;
}

bool Holds(const TKvtParser& parser, int32_t line, const QString& text)
{
    if (line < 0 || line > parser.LineCount())
        return false;
    // Past the last line there is no text to compare; an empty stored text
    // is what a position there records.
    return line == parser.LineCount() ? text.isEmpty() : parser.Line(line) == text;
}

int32_t LineOfFileHint(const TKvtParser& parser, const TScriptPosition& position)
{
    if (position.File.isEmpty() || position.FileLine <= 0)
        return -1;
    int32_t first = 0;
    for (const TFileBlock& block : parser.Blocks()) {
        const int32_t inBlock = position.FileLine - 1 - block.StartLine;
        if (BareFileName(block.FileName).compare(position.File, Qt::CaseInsensitive) == 0 && inBlock >= 0
            && inBlock < block.LineCount)
            return first + inBlock;
        first += block.LineCount;
    }
    return -1;
}

} // namespace

TScriptPosition EncodePosition(const TKvtParser& parser, int32_t line)
{
    TScriptPosition position;
    const int32_t anchor = FindAnchor(parser, line, position.Label);
    position.Offset = line - anchor;
    position.Text = TextAt(parser, line);
    if (const std::optional<TFileBlockHit> hit = parser.FindFileBlock(line)) {
        position.File = BareFileName(hit->Block->FileName);
        position.FileLine = hit->Block->StartLine + hit->Offset + 1;
    }
    return position;
}

TPlacedPosition PlacePosition(const TKvtParser& parser, const TScriptPosition& position)
{
    int32_t anchor = 0;
    if (!position.Label.isEmpty()) {
        anchor = parser.FindLabel(position.Label);
        if (anchor < 0) {
            const int32_t hinted = LineOfFileHint(parser, position);
            if (hinted >= 0 && Holds(parser, hinted, position.Text))
                return {hinted, {}};
            return {0, QStringLiteral("the label \"%1\" is gone; going on from the start of the script")
                           .arg(position.Label)};
        }
    }
    if (const int32_t line = anchor + position.Offset; Holds(parser, line, position.Text))
        return {line, {}};
    if (const int32_t hinted = LineOfFileHint(parser, position); hinted >= 0 && Holds(parser, hinted, position.Text))
        return {hinted, {}};
    const QString place = position.Label.isEmpty() ? QStringLiteral("the start of the script")
                                                   : QStringLiteral("the label \"%1\"").arg(position.Label);
    return {anchor, QStringLiteral("the line \"%1\" is no longer where it was; going on from %2")
                        .arg(position.Text.left(60), place)};
}
