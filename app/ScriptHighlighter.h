#pragma once

#include <QString>

#include <vector>

// The kinds of script text the script pane colours.
enum class TScriptSpanKind { Command, Label, Comment, TextBlockMarker, CharacterName };

struct TScriptSpan {
    qsizetype Start;
    qsizetype Length;
    TScriptSpanKind Kind;
};

// The coloured stretches of one script line. `inTextBlock` tells whether
// the line lies between a text-block opener and its closer, where a line
// that is no command, comment or label is the text itself.
std::vector<TScriptSpan> HighlightScriptLine(const QString& line, bool inTextBlock);
// Whether the line after this one lies inside a text block.
bool TextBlockAfter(const QString& line, bool inTextBlock);
