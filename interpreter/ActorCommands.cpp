#include "interpreter/ActorCommands.h"

#include "assets/CharManager.h"
#include "assets/ImageLoader.h"
#include "engine/Exceptions.h"
#include "engine/IntegerText.h"

namespace {

bool IsKeyword(const QString& text, QStringView keyword)
{
    return text.compare(keyword, Qt::CaseInsensitive) == 0;
}

TActorRef RegisteredActor(const TActorManager& actors, const QString& name)
{
    TActorRef actor = actors.FindActor(name);
    if (!actor)
        throw Exception(QStringLiteral("Actor not registered: ") + name);
    return actor;
}

struct TCoordinate {
    int32_t Value = 0;
    uint8_t Align = 0;
};

// "left"/"right" (or "top"/"bottom") put the sprite's edge on the stage's
// edge, "center" its centre on the stage's centre line, a number its centre
// on that coordinate.
bool TryReadCoordinate(const QString& text, QStringView nearEdge, uint8_t nearFlag, QStringView farEdge,
                       uint8_t farFlag, int32_t centre, TCoordinate& out)
{
    if (IsKeyword(text, nearEdge))
        out = {0, nearFlag};
    else if (IsKeyword(text, farEdge))
        out = {0, farFlag};
    else if (IsKeyword(text, u"center"))
        out = {centre, 0};
    else if (int32_t value = 0; TryParseInteger(text, value))
        out = {value, 0};
    else
        return false;
    return true;
}

} // namespace

void TActorCommands::ResetStage()
{
    chars_.ClearChars();
    actors_.ClearActors();
    positions_.ResetPositions();
}

CommandResult TActorCommands::CmdHideChars(const TCmdData&)
{
    chars_.ClearChars();
    return WaitStates::Run;
}

CommandResult TActorCommands::CmdResetChars(const TCmdData&)
{
    ResetStage();
    return WaitStates::Run;
}

CommandResult TActorCommands::CmdActors(const TCmdData& cmd)
{
    RequireParam(cmd, QStringLiteral("command"));
    if (!IsKeyword(cmd.Params[0], u"clear"))
        RaiseInvalidParam(cmd, QStringLiteral("command"), 0);
    chars_.ClearChars();
    actors_.ClearActors();
    return WaitStates::Run;
}

CommandResult TActorCommands::CmdActor(const TCmdData& cmd)
{
    RequireParam(cmd, QStringLiteral("char"));
    actors_.AddActor(cmd.Params[0]);
    return WaitStates::Run;
}

CommandResult TActorCommands::CmdPoses(const TCmdData& cmd)
{
    RequireTwoParams(cmd, QStringLiteral("actor"), QStringLiteral("command"));
    const TActorRef actor = RegisteredActor(actors_, cmd.Params[0]);
    if (!IsKeyword(cmd.Params[1], u"clear"))
        RaiseInvalidParam(cmd, QStringLiteral("command"), 1);
    actor->ClearPoses();
    return WaitStates::Run;
}

// The picture is only looked for here, so a misspelt name is reported where
// it was written; it is loaded when a character first takes the pose.
CommandResult TActorCommands::CmdPose(const TCmdData& cmd)
{
    RequireParamCount(cmd, 3);
    const TActorRef actor = RegisteredActor(actors_, cmd.Params[0]);
    images_.ResolveImageFile(cmd.Params[2]);
    actor->SetPose(cmd.Params[1], cmd.Params[2]);
    return WaitStates::Run;
}

CommandResult TActorCommands::CmdPositions(const TCmdData& cmd)
{
    RequireParam(cmd, QStringLiteral("command"));
    const QString& what = cmd.Params[0];
    const bool clear = IsKeyword(what, u"clear");
    if (!clear && !IsKeyword(what, u"default"))
        RaiseInvalidParam(cmd, QStringLiteral("command"), 0);
    chars_.ClearChars();
    if (clear)
        positions_.ClearPositions();
    else
        positions_.ResetPositions();
    return WaitStates::Run;
}

CommandResult TActorCommands::CmdPosition(const TCmdData& cmd)
{
    RequireParamCount(cmd, 2);
    if (cmd.Params.size() == 2)
        DefaultOrNoDefault(cmd);
    else
        PlacePosition(cmd);
    return WaitStates::Run;
}

void TActorCommands::DefaultOrNoDefault(const TCmdData& cmd)
{
    const QString& name = cmd.Params[0];
    const TPositionRef position = positions_.FindPosition(name);
    if (!position)
        throw Exception(QStringLiteral("Position not registered: ") + name);
    const QString& what = cmd.Params[1];
    if (IsKeyword(what, u"default")) {
        positions_.SetDefault(*position, true);
    } else if (IsKeyword(what, u"nodefault")) {
        // New characters need somewhere to go; the nameless positions are
        // the stage's own places for them.
        if (position->Name.isEmpty())
            RaiseInvalidCommand(cmd, QStringLiteral("Nameless positions cannot be made non-default"));
        positions_.SetDefault(*position, false);
    } else {
        RaiseInvalidParam(cmd, QStringLiteral("position command"), 1);
    }
}

void TActorCommands::PlacePosition(const TCmdData& cmd)
{
    TCoordinate x, y;
    if (!TryReadCoordinate(cmd.Params[1], u"left", CharAlign::Left, u"right", CharAlign::Right, 512, x))
        RaiseInvalidParam(cmd, QStringLiteral("X"), 1);
    if (!TryReadCoordinate(cmd.Params[2], u"top", CharAlign::Top, u"bottom", CharAlign::Bottom, 384, y))
        RaiseInvalidParam(cmd, QStringLiteral("Y"), 2);
    const TPositionRef position = positions_.AddOrGetPosition(cmd.Params[0]);
    positions_.SetPlacement(*position, x.Value, y.Value, x.Align | y.Align);
}
