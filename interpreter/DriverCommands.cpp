#include "interpreter/Interpreter.h"

#include "engine/IntegerText.h"

CommandResult TInterpreter::CmdReset(const TCmdData&)
{
    ResetPresentation();
    return WaitStates::Run;
}

CommandResult TInterpreter::CmdExit(const TCmdData&)
{
    return WaitStates::Exit;
}

CommandResult TInterpreter::CmdWait(const TCmdData& cmd)
{
    RequireParam(cmd, QStringLiteral("interval"));
    int32_t value = 0;
    if (!TryParseInteger(cmd.Params[0], value))
        RaiseInvalidValue(cmd, QStringLiteral("interval"), cmd.Params[0]);
    // A negative interval is an unsigned count: it lasts until the window closes.
    WaitRemaining = static_cast<uint32_t>(value);
    return WaitStates::Interval;
}

CommandResult TInterpreter::CmdWaitClk(const TCmdData&)
{
    return WaitStates::Click;
}

CommandResult TInterpreter::CmdRepaint(const TCmdData& cmd)
{
    const QString mode = cmd.Params.isEmpty() ? QString() : cmd.Params[0];
    if (mode == u"off")
        host_.SuspendRepaint();
    else if (mode.isEmpty() || mode == u"on") {
        if (host_.RepaintSuspended())
            host_.ResumeRepaint();
    } else
        RaiseInvalidValue(cmd, QStringLiteral("command"), mode);
    return WaitStates::Run;
}

CommandResult TInterpreter::UnknownCommand(const TCmdData& cmd)
{
    host_.Log(UnknownCommandText(cmd));
    return WaitStates::Run;
}
