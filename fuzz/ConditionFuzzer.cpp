// Conditions: the first input line is evaluated as an "@if" expression
// against a few variables; the other lines are a script that runs, so the
// short forms and the scans that skip branches ("@else", "@elseif",
// "@endif", nested blocks, "@switch") meet whatever lines surround them.

#include "engine/Exceptions.h"
#include "support/FuzzEnvironment.h"
#include "support/FuzzStory.h"

#include <QFile>

#include <optional>

namespace {

std::optional<bool> Evaluate(const TInterpreter& story, const QString& condition)
{
    try {
        return story.EvaluateCondition(condition);
    } catch (const Exception&) {
        return std::nullopt;
    }
}

void CheckCondition(TFuzzStory& story, const QString& condition)
{
    story.variables.ClearAll();
    story.variables.SetStr(QStringLiteral("a"), QStringLiteral("1"));
    story.variables.SetStr(QStringLiteral("b"), QStringLiteral("-3"));
    story.variables.SetStr(QStringLiteral("h"), QStringLiteral("$10"));
    story.variables.SetStr(QStringLiteral("s"), QStringLiteral("text"));
    const std::optional<bool> result = Evaluate(story.story, condition);
    if (!result)
        return;
    // A leading "!" negates whatever follows it.
    FuzzCheck(Evaluate(story.story, u'!' + condition) == !*result, QStringLiteral("\"!\" negates a condition"));
}

void RunScript(TFuzzStory& story, const QStringList& lines)
{
    const QString fileName = ScratchFolder() + QStringLiteral("/conditions.kvt");
    QFile file(fileName);
    FuzzCheck(file.open(QIODevice::WriteOnly | QIODevice::Truncate), QStringLiteral("the script can be written"));
    file.write(lines.join(u'\n').toUtf8());
    file.close();
    story.Play(fileName, 32);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TFuzzStory& story = SharedStory();
    QStringList lines = FuzzText(data, size).split(u'\n');
    CheckCondition(story, lines.takeFirst());
    RunScript(story, lines);
    story.ForgetProduct();
    return 0;
}
