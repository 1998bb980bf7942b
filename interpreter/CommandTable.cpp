#include "interpreter/CommandTable.h"

#include "engine/Exceptions.h"
#include "interpreter/ActorCommands.h"
#include "interpreter/AudioCommands.h"
#include "interpreter/ChoiceCommands.h"
#include "interpreter/Interpreter.h"
#include "interpreter/PresentationCommands.h"

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
    {u"bg", Bind<&TPresentationCommands::CmdBg>},
    {u"bgpic", Bind<&TPresentationCommands::CmdBgPic>},
    {u"bgcolor", Bind<&TPresentationCommands::CmdBgColor>},
    {u"bgfit", Bind<&TPresentationCommands::CmdBgFit>},
    {u"bgfree", Bind<&TPresentationCommands::CmdBgFree>},
    {u"bgpos", Bind<&TPresentationCommands::CmdBgPos>},
    {u"bgzoom", Bind<&TPresentationCommands::CmdBgZoom>},
    {u"bgtint", Bind<&TPresentationCommands::CmdBgTint>},
    {u"bgmusic", Bind<&TAudioCommands::CmdBgMusic>},
    {u"bgmusicvol", Bind<&TAudioCommands::CmdBgMusicVol>},
    {u"bgsound", Bind<&TAudioCommands::CmdBgSound>},
    {u"bgsoundvol", Bind<&TAudioCommands::CmdBgSoundVol>},
    {u"sound", Bind<&TAudioCommands::CmdSound>},
    {u"font", Bind<&TPresentationCommands::CmdFont>},
    {u"fontsz", Bind<&TPresentationCommands::CmdFontSize>},
    {u"fontsize", Bind<&TPresentationCommands::CmdFontSize>},  // shares the handler of "fontsz"
    {u"fontcolor", Bind<&TPresentationCommands::CmdFontColor>},
    {u"charfont", Bind<&TPresentationCommands::CmdCharFont>},
    {u"charfontsize", Bind<&TPresentationCommands::CmdCharFontSize>},
    {u"charfontsz", Bind<&TPresentationCommands::CmdCharFontSize>},  // shares the handler of "charfontsize"
    {u"charfontcolor", Bind<&TPresentationCommands::CmdCharFontColor>},
    {u"namefont", Bind<&TPresentationCommands::CmdNameFont>},
    {u"namefontsize", Bind<&TPresentationCommands::CmdNameFontSize>},
    {u"namefontsz", Bind<&TPresentationCommands::CmdNameFontSize>},  // shares the handler of "namefontsize"
    {u"namefontcolor", Bind<&TPresentationCommands::CmdNameFontColor>},
    {u"selfont", Bind<&TPresentationCommands::CmdSelFont>},
    {u"selfontsize", Bind<&TPresentationCommands::CmdSelFontSize>},
    {u"selfontsz", Bind<&TPresentationCommands::CmdSelFontSize>},  // shares the handler of "selfontsize"
    {u"selfontcolor", Bind<&TPresentationCommands::CmdSelFontColor>},
    {u"selhlcolor", Bind<&TPresentationCommands::CmdSelHlColor>},
    {u"showtw", Bind<&TPresentationCommands::CmdShowTw>},
    {u"hidetw", Bind<&TPresentationCommands::CmdHideTw>},
    {u"twcolor", Bind<&TPresentationCommands::CmdTwColor>},
    {u"settwcolor", Bind<&TPresentationCommands::CmdTwColor>},  // shares the handler of "twcolor"
    {u"twalpha", Bind<&TPresentationCommands::CmdTwAlpha>},
    {u"settwalpha", Bind<&TPresentationCommands::CmdTwAlpha>},  // shares the handler of "twalpha"
    {u"twpos", Bind<&TPresentationCommands::CmdTwPos>},
    {u"settwpos", Bind<&TPresentationCommands::CmdTwPos>},  // shares the handler of "twpos"
    {u"twmargin", Bind<&TPresentationCommands::CmdTwMargin>},
    {u"twpic", Bind<&TPresentationCommands::CmdTwPic>},
    {u"twtextpos", Bind<&TPresentationCommands::CmdTwTextPos>},
    {u"twnamepos", Bind<&TPresentationCommands::CmdTwNamePos>},
    {u"twchartextpos", Bind<&TPresentationCommands::CmdTwCharTextPos>},
    {u"twspeed", Bind<&TPresentationCommands::CmdTwSpeed>},
    {u"selcolor", Bind<&TPresentationCommands::CmdSelColor>},
    {u"selalpha", Bind<&TPresentationCommands::CmdSelAlpha>},
    {u"selmargin", Bind<&TPresentationCommands::CmdSelMargin>},
    {u"selpic", Bind<&TPresentationCommands::CmdSelPic>},
    {u"cursor", Bind<&TPresentationCommands::CmdCursor>},
    {u"setcursor", Bind<&TPresentationCommands::CmdCursor>},  // shares the handler of "cursor"
    {u"selcursor1", Bind<&TPresentationCommands::CmdSelCursor1>},
    {u"selcursor2", Bind<&TPresentationCommands::CmdSelCursor2>},
    {u"mousecursor", Bind<&TPresentationCommands::CmdMouseCursor>},
    {u"hidechars", Bind<&TActorCommands::CmdHideChars>},
    {u"resetchars", Bind<&TActorCommands::CmdResetChars>},
    {u"actors", Bind<&TActorCommands::CmdActors>},
    {u"actor", Bind<&TActorCommands::CmdActor>},
    {u"poses", Bind<&TActorCommands::CmdPoses>},
    {u"pose", Bind<&TActorCommands::CmdPose>},
    {u"positions", Bind<&TActorCommands::CmdPositions>},
    {u"position", Bind<&TActorCommands::CmdPosition>},
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
    {u"item", Bind<&TChoiceCommands::CmdItem>},
    {u"menu", Bind<&TChoiceCommands::CmdMenu>},
    {u"drop", Bind<&TChoiceCommands::CmdDrop>},
    {u"img", Bind<&TChoiceCommands::CmdImg>},
    {u"image", Bind<&TChoiceCommands::CmdImg>},  // shares the handler of "img"
    {u"btn", Bind<&TChoiceCommands::CmdBtn>},
    {u"button", Bind<&TChoiceCommands::CmdBtn>},  // shares the handler of "btn"
    {u"choose", Bind<&TChoiceCommands::CmdChoose>},
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
