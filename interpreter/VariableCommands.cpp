#include "interpreter/Interpreter.h"

#include "engine/Exceptions.h"
#include "interpreter/ValueParsing.h"

namespace {

const QString kVariable = QStringLiteral("variable");

// The commands that take exactly one variable name.
const QString& RequireSingleName(const TCmdData& cmd)
{
    RequireParam(cmd, kVariable);
    if (cmd.Params.size() > 1)
        RaiseTooManyParams(cmd);
    return cmd.Params[0];
}

} // namespace

CommandResult TInterpreter::CmdSet(const TCmdData& cmd)
{
    RequireParam(cmd, kVariable);
    if (cmd.Params.size() > 2)
        RaiseTooManyParams(cmd);
    const QString& name = cmd.Params[0];
    int32_t number = 1;
    if (cmd.Params.size() == 1 || TryParseIntOrBool(cmd.Params[1], number))
        variables_.SetInt(name, number);
    else
        variables_.SetStr(name, cmd.Params[1]);
    return WaitStates::Run;
}

CommandResult TInterpreter::CmdClear(const TCmdData& cmd)
{
    variables_.SetInt(RequireSingleName(cmd), 0);
    return WaitStates::Run;
}

CommandResult TInterpreter::Increment(const TCmdData& cmd, bool up)
{
    RequireParam(cmd, kVariable);
    if (cmd.Params.size() > 2)
        RaiseTooManyParams(cmd);
    const QString& name = cmd.Params[0];
    const int32_t current = variables_.GetInt(name);  // read before the amount is parsed
    const int32_t amount = cmd.Params.size() == 2 ? ParseIntStrict(cmd.Params[1]) : 1;
    variables_.SetInt(name, up ? WrappingAdd(current, amount) : WrappingSubtract(current, amount));
    return WaitStates::Run;
}

CommandResult TInterpreter::CmdInc(const TCmdData& cmd)
{
    return Increment(cmd, true);
}

CommandResult TInterpreter::CmdDec(const TCmdData& cmd)
{
    return Increment(cmd, false);
}

CommandResult TInterpreter::CmdDefine(const TCmdData& cmd)
{
    variables_.Define(RequireSingleName(cmd));
    return WaitStates::Run;
}

CommandResult TInterpreter::CmdUndef(const TCmdData& cmd)
{
    variables_.Undefine(RequireSingleName(cmd));
    return WaitStates::Run;
}

CommandResult TInterpreter::CmdProduct(const TCmdData& cmd)
{
    RequireParam(cmd, QStringLiteral("product name"));
    const bool withCompany = cmd.Params.size() >= 2;
    const QString company = withCompany ? cmd.Params[0] : QString();
    const QString name = withCompany ? cmd.Params[1] : cmd.Params[0];
    if (name.isEmpty())
        throw Exception(QStringLiteral("Illegal empty product name in \"product\"."));
    product_.SetProduct(company, name);
    return WaitStates::Run;
}

CommandResult TInterpreter::CmdClearGlobals(const TCmdData&)
{
    variables_.ClearAll();
    if (product_.HasProduct())
        product_.SaveGlobals();
    return WaitStates::Run;
}

CommandResult TInterpreter::CmdClearLocals(const TCmdData&)
{
    variables_.ClearLocals();
    return WaitStates::Run;
}

CommandResult TInterpreter::CmdSaveGlobals(const TCmdData&)
{
    product_.SaveGlobals();
    return WaitStates::Run;
}

CommandResult TInterpreter::CmdLoadGlobals(const TCmdData&)
{
    product_.LoadGlobals();
    return WaitStates::Run;
}
