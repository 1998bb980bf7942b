#include "interpreter/Interpreter.h"

namespace {

[[noreturn]] void RaiseLabelNotFound(const TCmdData& cmd, const QString& label)
{
    RaiseInvalidCommand(cmd, QStringLiteral("Label \"") + label + QStringLiteral("\" not found."));
}

} // namespace

CommandResult TInterpreter::CmdGoto(const TCmdData& cmd)
{
    RequireParam(cmd, QStringLiteral("label"));
    JumpToLabel(cmd.Params[0]);
    return WaitStates::Run;
}

CommandResult TInterpreter::CmdCall(const TCmdData& cmd)
{
    RequireParam(cmd, QStringLiteral("label"));
    const int32_t target = parser_.FindLabel(cmd.Params[0]);
    if (target < 0)
        RaiseLabelNotFound(cmd, cmd.Params[0]);
    parser_.PushCall(target, cmd.Params.mid(1));
    return WaitStates::Run;
}

CommandResult TInterpreter::CmdReturn(const TCmdData& cmd)
{
    if (cmd.Params.isEmpty()) {
        parser_.ReturnFromCall();
        return WaitStates::Run;
    }
    const int32_t target = parser_.FindLabel(cmd.Params[0]);
    if (target < 0)
        RaiseLabelNotFound(cmd, cmd.Params[0]);
    parser_.ReturnTo(target);
    return WaitStates::Run;
}

CommandResult TInterpreter::CmdTitle(const TCmdData& cmd)
{
    RequireParam(cmd, QStringLiteral("text"));
    host_.SetTitle(cmd.Params[0]);
    title_ = cmd.Params[0];
    return WaitStates::Run;
}

CommandResult TInterpreter::CmdChapter(const TCmdData& cmd)
{
    RequireParam(cmd, QStringLiteral("chapter name"));
    QString heading = cmd.Params[0] + u'.';
    if (cmd.Params.size() > 1 && !cmd.Params[1].isEmpty())
        heading += u' ' + cmd.Params[1];
    PresentText(text_.ShowHeading(heading), true);
    chapter_ = heading;
    NotifyMarkers();
    return WaitStates::Click;
}

CommandResult TInterpreter::CmdSection(const TCmdData& cmd)
{
    RequireParam(cmd, QStringLiteral("section name"));
    section_ = cmd.Params[0];
    NotifyMarkers();
    return WaitStates::Run;
}
