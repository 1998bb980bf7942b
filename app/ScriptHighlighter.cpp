#include "app/ScriptHighlighter.h"

#include "interpreter/CharacterLines.h"

#include <exception>

namespace {

enum class TLineKind { Empty, Comment, Label, Command, Opener, Closer, Text, Character };

// The same order of tests as the driver's, so the colours tell the truth
// about how a line runs: a command inside a text block is still a command.
TLineKind Classify(const QString& line, bool inTextBlock)
{
    if (line.isEmpty())
        return TLineKind::Empty;
    if (line.startsWith(u"//"))
        return TLineKind::Comment;
    if (line.startsWith(u'#'))
        return TLineKind::Label;
    if (line.startsWith(u'@'))
        return TLineKind::Command;
    if (line == u":-")
        return TLineKind::Opener;
    if (line == u"-:")
        return TLineKind::Closer;
    return inTextBlock ? TLineKind::Text : TLineKind::Character;
}

// The index of the ":" or "." after the speaker, or -1 for a line the
// driver would reject.
qsizetype SpeakerEnd(const QString& line)
{
    try {
        return ParseCharacterSyntax(line).BodyMarker;
    } catch (const std::exception&) {
        return -1;
    }
}

qsizetype CommandNameEnd(const QString& line)
{
    const qsizetype blank = line.indexOf(u' ');
    return blank < 0 ? line.size() : blank;
}

} // namespace

std::vector<TScriptSpan> HighlightScriptLine(const QString& line, bool inTextBlock)
{
    const qsizetype size = line.size();
    switch (Classify(line, inTextBlock)) {
    case TLineKind::Comment: return {{0, size, TScriptSpanKind::Comment}};
    case TLineKind::Label: return {{0, size, TScriptSpanKind::Label}};
    case TLineKind::Command: return {{0, CommandNameEnd(line), TScriptSpanKind::Command}};
    case TLineKind::Opener:
    case TLineKind::Closer: return {{0, size, TScriptSpanKind::TextBlockMarker}};
    case TLineKind::Character: {
        const qsizetype marker = SpeakerEnd(line);
        if (marker <= 0)
            return {};
        std::vector<TScriptSpan> spans{{0, marker, TScriptSpanKind::CharacterName}};
        if (marker + 1 < size && line[marker] == u':' && line[marker + 1] == u'-')
            spans.push_back({marker, 2, TScriptSpanKind::TextBlockMarker});
        return spans;
    }
    case TLineKind::Empty:
    case TLineKind::Text: break;
    }
    return {};
}

bool TextBlockAfter(const QString& line, bool inTextBlock)
{
    switch (Classify(line, inTextBlock)) {
    case TLineKind::Opener: return true;
    case TLineKind::Closer: return false;
    case TLineKind::Character: {
        const qsizetype marker = SpeakerEnd(line);
        return marker >= 0 && marker + 1 < line.size() && line[marker] == u':' && line[marker + 1] == u'-';
    }
    default: return inTextBlock;
    }
}
