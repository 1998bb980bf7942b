// Story text: every input line is laid out as a text line's markup (styles,
// sizes, colours, faces, references, escapes) and read as a character line
// ("Name(pose, position, actor): text").

#include "engine/Exceptions.h"
#include "interpreter/CharacterLines.h"
#include "support/FuzzEnvironment.h"
#include "support/FuzzStory.h"

namespace {

void CheckMarkup(const TFuzzStory& story, const QString& line)
{
    TTextBlock block;
    try {
        block = story.text.BuildTextBlock(line, DefaultTextFont());
    } catch (const Exception&) {
        return;
    }
    for (const TStringChunk& chunk : block)
        FuzzCheck(!chunk.Text.isEmpty() || chunk.LineBreak, QStringLiteral("a run holds text or a line break"));
}

void CheckCharacterLine(const QString& line)
{
    TCharacterLine speech;
    try {
        speech = ParseCharacterSyntax(line);
    } catch (const Exception&) {
        return;
    }
    const qsizetype marker = speech.BodyMarker;
    FuzzCheck(marker >= 0 && marker < line.size() && (line[marker] == u':' || line[marker] == u'.'),
              QStringLiteral("the body starts at a \":\" or \".\""));
    FuzzCheck(!speech.Name.startsWith(u' ') && !speech.Name.endsWith(u' ') && !speech.Name.contains(u'(')
                  && !speech.Name.contains(u':') && !speech.Name.contains(u'.'),
              QStringLiteral("the name is trimmed and ends before the state and the body"));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TFuzzStory& story = SharedStory();
    story.variables.ClearAll();
    story.variables.SetStr(QStringLiteral("name"), QStringLiteral("**Anna** \\c:Red:"));
    story.variables.SetInt(QStringLiteral("score"), 42);
    story.parser.ClearStack();
    story.parser.PushCall(0, {QStringLiteral("first"), QString()});
    for (const QString& line : FuzzText(data, size).split(u'\n')) {
        CheckMarkup(story, line);
        CheckCharacterLine(line);
    }
    return 0;
}
