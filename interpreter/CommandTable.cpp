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
    {u"set", &TInterpreter::CmdSet},
    {u"clear", &TInterpreter::CmdClear},
    {u"inc", &TInterpreter::CmdInc},
    {u"dec", &TInterpreter::CmdDec},
    {u"define", &TInterpreter::CmdDefine},
    {u"undef", &TInterpreter::CmdUndef},
    {u"ifdef", &TInterpreter::CmdIfdef},
    {u"ifndef", &TInterpreter::CmdIfndef},
    {u"if", &TInterpreter::CmdIf},
    {u"elseif", &TInterpreter::CmdElseIf},
    {u"else", &TInterpreter::CmdElse},
    {u"endif", &TInterpreter::CmdEndif},
    {u"goto", &TInterpreter::CmdGoto},
    {u"call", &TInterpreter::CmdCall},
    {u"return", &TInterpreter::CmdReturn},
    {u"title", &TInterpreter::CmdTitle},
    {u"chapter", &TInterpreter::CmdChapter},
    {u"section", &TInterpreter::CmdSection},
    {u"scene", &TInterpreter::CmdSection},  // shares the handler of "section"
    {u"product", &TInterpreter::CmdProduct},
    {u"clearglobals", &TInterpreter::CmdClearGlobals},
    {u"clearlocals", &TInterpreter::CmdClearLocals},
    {u"saveglobals", &TInterpreter::CmdSaveGlobals},
    {u"loadglobals", &TInterpreter::CmdLoadGlobals},
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
