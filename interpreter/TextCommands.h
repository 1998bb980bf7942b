#pragma once

#include "render/TextboxControl.h"

#include <QString>

class TFontManager;
class TKvtParser;
class TKvtVariables;

// The story text: turns text lines, character-line bodies and chapter
// headings into styled runs and hands them to the text window. It reads
// the script's variables and call parameters for references and the font
// manager for faces; it changes nothing but the text window.
class TTextCommands {
public:
    TTextCommands(TTextBox& textBox, const TFontManager& fonts, const TKvtParser& parser,
                  const TKvtVariables& variables);

    // The inline markup of one line, starting from `base`. Raises the
    // markup's messages; nothing is shown then.
    TTextBlock BuildTextBlock(const QString& text, const TFontInfo& base) const;

    // ":-" (or "Name:-", which keeps its speaker): the block's lines follow.
    void OpenTextBlock(bool keepSpeaker);
    // A line of a text block: laid out from the font of the window's mode
    // (speaker or narration), it replaces the text shown and types out.
    TTextBlock ShowText(const QString& text);
    // A character line's body: as ShowText, and a hidden window is shown.
    TTextBlock ShowSpeech(const QString& text);
    // The "chapter" heading: one yellow run, in the narration mode.
    TTextBlock ShowHeading(const QString& heading);

    // What a transcript prints: the runs joined, a line break as one blank.
    static QString PlainText(const TTextBlock& block);

private:
    TTextBox& textBox_;
    const TFontManager& fonts_;
    const TKvtParser& parser_;
    const TKvtVariables& variables_;
};
