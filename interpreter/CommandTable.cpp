#include "interpreter/Interpreter.h"

#include <iterator>

namespace {

using THandlerMethod = CommandResult (TInterpreter::*)(const TCmdData&);

struct TCommandEntry {
    const char16_t* Name;
    THandlerMethod Handler;
};

// The registry's order is behaviour: the first name that matches wins. Names
// join this table, in the order of the command list, as their handlers land.
// Aliases share the handler of the name they stand for.
constexpr TCommandEntry kCommandTable[] = {
    {u"reset", &TInterpreter::CmdReset},
    {u"exit", &TInterpreter::CmdExit},
    {u"wait", &TInterpreter::CmdWait},
    {u"waitclk", &TInterpreter::CmdWaitClk},
    {u"repaint", &TInterpreter::CmdRepaint},
};

} // namespace

void TInterpreter::RegisterCommands()
{
    commands_.SetDefaultHandler([this](const TCmdData& cmd) { return UnknownCommand(cmd); });
    for (const TCommandEntry& entry : kCommandTable) {
        const THandlerMethod method = entry.Handler;
        commands_.RegisterCommand(QString::fromUtf16(entry.Name),
                                  [this, method](const TCmdData& cmd) { return (this->*method)(cmd); });
    }
}

QStringList TInterpreter::CommandTableNames()
{
    QStringList names;
    for (const TCommandEntry& entry : kCommandTable)
        names.append(QString::fromUtf16(entry.Name));
    return names;
}
