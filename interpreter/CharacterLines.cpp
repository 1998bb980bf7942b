#include "interpreter/CharacterLines.h"

#include "engine/Exceptions.h"
#include "engine/StringUtils.h"

namespace {

[[noreturn]] void RaiseNoBody()
{
    throw Exception(QStringLiteral("Invalid character line: no line body."));
}

[[noreturn]] void RaiseUnclosedState()
{
    throw Exception(QStringLiteral("Invalid unclosed character state."));
}

// Only blanks are trimmed, never other white space.
QString TrimBlanks(QStringView text)
{
    return TrimChar(text.toString(), u' ');
}

// Reads up to three items after "(" and returns the index after the ")".
qsizetype ReadStateItems(const QString& line, qsizetype pos, TCharacterLine& out)
{
    QString* items[3] = {&out.Pose, &out.Position, &out.Actor};
    for (int n = 0; n < 3; ++n) {
        const qsizetype end = ScanForAny(line, pos, u",)");
        if (end >= line.size())
            RaiseUnclosedState();
        *items[n] = TrimBlanks(QStringView(line).mid(pos, end - pos));
        pos = end + 1;
        if (line[end] == u')')
            return pos;
    }
    const qsizetype close = line.indexOf(u')', pos);
    if (close < 0)
        RaiseUnclosedState();
    return close + 1;
}

} // namespace

TCharacterLine ParseCharacterSyntax(const QString& line)
{
    TCharacterLine result;
    qsizetype marker = ScanForAny(line, 0, u"(:.");
    if (marker >= line.size())
        RaiseNoBody();
    result.Name = TrimBlanks(QStringView(line).left(marker));
    if (line[marker] == u'(') {
        const qsizetype after = ReadStateItems(line, marker + 1, result);
        marker = ScanForAny(line, after, u":.");
        if (marker >= line.size())
            RaiseNoBody();
    }
    result.BodyMarker = marker;
    return result;
}
