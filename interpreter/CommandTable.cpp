#include "interpreter/CommandTable.h"

#include "engine/Exceptions.h"
#include "interpreter/AudioCommands.h"
#include "interpreter/Interpreter.h"

namespace {

// Makes the registry's handler for one method of one group.
using TBinder = TCommandHandler (*)(const TCommandGroups& groups);

template <auto Method>
struct TBind;

template <class Group, CommandResult (Group::*Method)(const TCmdData&)>
struct TBind<Method> {
    static TCommandHandler Make(const TCommandGroups& groups)
    {
        Group* group = std::get<Group*>(groups);
        if (group == nullptr)
            throw Exception(QStringLiteral("A command group was not handed to the command table."));
        return [group](const TCmdData& cmd) { return (group->*Method)(cmd); };
    }
};

template <auto Method>
constexpr TBinder Bind = &TBind<Method>::Make;

struct TCommandEntry {
    const char16_t* Name;
    TBinder Make;
};

// The registry's order is behaviour: the first name that matches wins. Names
// join this table, in the order of the command list, as their handlers land;
// each binds a method of one handler group (Bind<&TGroup::Method>).
// Aliases share the handler of the name they stand for.
constexpr TCommandEntry kCommandTable[] = {
    {u"reset", Bind<&TInterpreter::CmdReset>},
    {u"exit", Bind<&TInterpreter::CmdExit>},
    {u"wait", Bind<&TInterpreter::CmdWait>},
    {u"waitclk", Bind<&TInterpreter::CmdWaitClk>},
    {u"repaint", Bind<&TInterpreter::CmdRepaint>},
    {u"bgmusic", Bind<&TAudioCommands::CmdBgMusic>},
    {u"bgmusicvol", Bind<&TAudioCommands::CmdBgMusicVol>},
    {u"bgsound", Bind<&TAudioCommands::CmdBgSound>},
    {u"bgsoundvol", Bind<&TAudioCommands::CmdBgSoundVol>},
    {u"sound", Bind<&TAudioCommands::CmdSound>},
    {u"set", Bind<&TInterpreter::CmdSet>},
    {u"clear", Bind<&TInterpreter::CmdClear>},
    {u"inc", Bind<&TInterpreter::CmdInc>},
    {u"dec", Bind<&TInterpreter::CmdDec>},
    {u"define", Bind<&TInterpreter::CmdDefine>},
    {u"undef", Bind<&TInterpreter::CmdUndef>},
    {u"ifdef", Bind<&TInterpreter::CmdIfdef>},
    {u"ifndef", Bind<&TInterpreter::CmdIfndef>},
    {u"if", Bind<&TInterpreter::CmdIf>},
    {u"elseif", Bind<&TInterpreter::CmdElseIf>},
    {u"else", Bind<&TInterpreter::CmdElse>},
    {u"endif", Bind<&TInterpreter::CmdEndif>},
    {u"goto", Bind<&TInterpreter::CmdGoto>},
    {u"call", Bind<&TInterpreter::CmdCall>},
    {u"return", Bind<&TInterpreter::CmdReturn>},
    {u"title", Bind<&TInterpreter::CmdTitle>},
    {u"chapter", Bind<&TInterpreter::CmdChapter>},
    {u"section", Bind<&TInterpreter::CmdSection>},
    {u"scene", Bind<&TInterpreter::CmdSection>},  // shares the handler of "section"
    {u"product", Bind<&TInterpreter::CmdProduct>},
    {u"clearglobals", Bind<&TInterpreter::CmdClearGlobals>},
    {u"clearlocals", Bind<&TInterpreter::CmdClearLocals>},
    {u"saveglobals", Bind<&TInterpreter::CmdSaveGlobals>},
    {u"loadglobals", Bind<&TInterpreter::CmdLoadGlobals>},
};

} // namespace

void RegisterCommandTable(TCommandManager& commands, const TCommandGroups& groups)
{
    TInterpreter* driver = std::get<TInterpreter*>(groups);
    commands.SetDefaultHandler([driver](const TCmdData& cmd) { return driver->UnknownCommand(cmd); });
    for (const TCommandEntry& entry : kCommandTable)
        commands.RegisterCommand(QString::fromUtf16(entry.Name), entry.Make(groups));
}

QStringList CommandTableNames()
{
    QStringList names;
    for (const TCommandEntry& entry : kCommandTable)
        names.append(QString::fromUtf16(entry.Name));
    return names;
}
