// Command lines: the split into name and parameters, the removal of
// enclosing quotes, and the registry's look-up of the name. Each input line
// is one command line.

#include "engine/CommandHandlers.h"
#include "engine/Exceptions.h"
#include "engine/KvtEngine.h"
#include "interpreter/CommandTable.h"
#include "support/FuzzEnvironment.h"

#include <QStringList>

namespace {

// The splitting rule read one character at a time, in the plainest way it
// can be written. The real splitter copies whole stretches of the line for
// speed; both must give the same parameters.
QStringList SplitOneByOne(QStringView rest)
{
    QStringList params;
    bool building = false;
    bool inQuotes = false;
    qsizetype pendingBlanks = 0;
    // Grows the last parameter in place: a temporary string per character
    // made this check cost more than the code it checks.
    auto append = [&](QChar c) {
        if (!building) {
            params.append(QString());
            building = true;
        } else if (pendingBlanks > 0) {
            QString& last = params.last();
            last.resize(last.size() + pendingBlanks, u' ');
        }
        params.last().append(c);
        pendingBlanks = 0;
    };
    for (QChar c : rest) {
        if (c == u'"') {
            append(c);
            inQuotes = !inQuotes;
        } else if (inQuotes) {
            append(c);
        } else if (c == u',') {
            if (building)
                building = false;
            else
                params.append(QString());
        } else if (c == u' ') {
            ++pendingBlanks;
        } else {
            append(c);
        }
    }
    for (QString& param : params)
        param = UnquoteParam(param);
    return params;
}

// The registry with the program's names, each answering with its place in
// the table.
const TCommandManager& Registry()
{
    static const TCommandManager registry = [] {
        TCommandManager commands;
        commands.SetDefaultHandler([](const TCmdData&) { return -1; });
        const QStringList names = CommandTableNames();
        for (qsizetype i = 0; i < names.size(); ++i)
            commands.RegisterCommand(names[i], [i](const TCmdData&) { return int(i); });
        return commands;
    }();
    return registry;
}

int FirstMatchingName(const QString& name)
{
    static const QStringList names = CommandTableNames();
    for (qsizetype i = 0; i < names.size(); ++i)
        if (names[i].compare(name, Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}

void CheckLine(const QString& line, TCmdData& reused)
{
    TCmdData fresh;
    try {
        ParseCommandLine(line, fresh);
    } catch (const Exception&) {
        FuzzCheck(!line.startsWith(u'@'), QStringLiteral("only a line without \"@\" is refused"));
        return;
    }
    FuzzCheck(line.startsWith(u'@'), QStringLiteral("a line without \"@\" is refused"));
    ParseCommandLine(line, reused);
    FuzzCheck(reused.Name == fresh.Name && reused.Params == fresh.Params,
              QStringLiteral("a record used before splits like a new one"));

    const qsizetype blank = line.indexOf(u' ');
    const QString name = blank < 0 ? line.mid(1) : line.mid(1, blank - 1);
    FuzzCheck(fresh.Name == name, QStringLiteral("the name runs from \"@\" to the first blank"));
    if (blank >= 0)
        FuzzCheck(fresh.Params == SplitOneByOne(QStringView(line).sliced(blank)),
                  QStringLiteral("the parameters follow the one-character-at-a-time rule"));
    else
        FuzzCheck(fresh.Params.isEmpty(), QStringLiteral("a bare name has no parameters"));

    const int dispatched = Registry().Dispatch(fresh);
    FuzzCheck(dispatched == FirstMatchingName(fresh.Name),
              QStringLiteral("the first name that matches ignoring case runs"));
    FuzzCheck(Registry().IsRegistered(fresh.Name) == (dispatched >= 0),
              QStringLiteral("a name is registered exactly when a handler of its own runs"));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TCmdData reused;
    for (const QString& line : FuzzText(data, size).split(u'\n'))
        CheckLine(line, reused);
    return 0;
}
