#pragma once

#include "engine/CommandHandlers.h"

class TActorManager;
class TCharManager;
class TImageManager;
class TPositionManager;

// The cast and the stage a script declares before its characters speak:
// actors and their poses, named positions and which of them new characters
// may be put on, and clearing the stage. Every check comes before any
// change, so a failing command changes nothing.
class TActorCommands {
public:
    TActorCommands(TActorManager& actors, TPositionManager& positions, TCharManager& chars,
                   const TImageManager& images)
        : actors_(actors), positions_(positions), chars_(chars), images_(images) {}

    // No characters, no actors, the default positions: a fresh session's
    // stage, and what "resetchars" leaves.
    void ResetStage();

    CommandResult CmdHideChars(const TCmdData& cmd);
    CommandResult CmdResetChars(const TCmdData& cmd);
    CommandResult CmdActors(const TCmdData& cmd);
    CommandResult CmdActor(const TCmdData& cmd);
    CommandResult CmdPoses(const TCmdData& cmd);
    CommandResult CmdPose(const TCmdData& cmd);
    CommandResult CmdPositions(const TCmdData& cmd);
    CommandResult CmdPosition(const TCmdData& cmd);

private:
    void DefaultOrNoDefault(const TCmdData& cmd);
    void PlacePosition(const TCmdData& cmd);

    TActorManager& actors_;
    TPositionManager& positions_;
    TCharManager& chars_;
    const TImageManager& images_;
};
