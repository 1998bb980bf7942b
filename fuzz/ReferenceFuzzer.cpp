// Reference expansion in command parameters: "%name%", "%:n%" and the
// escapes "\\" and "\%". Every input line but the last defines a variable
// ("name=value") or, without "=", adds a parameter of the current call; the
// last line is the parameter expanded against them.

#include "engine/Exceptions.h"
#include "support/FuzzEnvironment.h"
#include "support/FuzzStory.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TFuzzStory& story = SharedStory();
    QStringList lines = FuzzText(data, size).split(u'\n');
    const QString parameter = lines.takeLast();

    story.variables.ClearAll();
    story.parser.ClearStack();
    TParams callParams;
    for (const QString& line : lines) {
        const qsizetype equals = line.indexOf(u'=');
        if (equals >= 0)
            story.variables.SetStr(line.left(equals), line.mid(equals + 1));
        else
            callParams.append(line);
    }
    if (!callParams.isEmpty())
        story.parser.PushCall(0, callParams);

    try {
        const QString expanded = story.story.ExpandReferences(parameter);
        if (!parameter.contains(u'%') && !parameter.contains(u'\\'))
            FuzzCheck(expanded == parameter, QStringLiteral("a parameter without references stays as it is"));
    } catch (const Exception&) {
        FuzzCheck(parameter.contains(u'%') || parameter.contains(u'\\'),
                  QStringLiteral("only a reference or an escape can fail"));
    }
    return 0;
}
