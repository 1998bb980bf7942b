#include "interpreter/CharacterLines.h"

#include "assets/CharManager.h"
#include "engine/Exceptions.h"
#include "engine/StringUtils.h"
#include "render/TextboxControl.h"

namespace {

[[noreturn]] void RaiseNoBody()
{
    throw Exception(QStringLiteral("Invalid character line: no line body."));
}

[[noreturn]] void RaiseUnclosedState()
{
    throw Exception(QStringLiteral("Invalid unclosed character state."));
}

// Only blanks are trimmed, never other white space.
QString TrimBlanks(QStringView text)
{
    return TrimChar(text.toString(), u' ');
}

// Reads up to three items after "(" and returns the index after the ")".
qsizetype ReadStateItems(const QString& line, qsizetype pos, TCharacterLine& out)
{
    QString* items[3] = {&out.Pose, &out.Position, &out.Actor};
    for (int n = 0; n < 3; ++n) {
        const qsizetype end = ScanForAny(line, pos, u",)");
        if (end >= line.size())
            RaiseUnclosedState();
        *items[n] = TrimBlanks(QStringView(line).mid(pos, end - pos));
        pos = end + 1;
        if (line[end] == u')')
            return pos;
    }
    const qsizetype close = line.indexOf(u')', pos);
    if (close < 0)
        RaiseUnclosedState();
    return close + 1;
}

} // namespace

TCharacterLine ParseCharacterSyntax(const QString& line)
{
    TCharacterLine result;
    qsizetype marker = ScanForAny(line, 0, u"(:.");
    if (marker >= line.size())
        RaiseNoBody();
    result.Name = TrimBlanks(QStringView(line).left(marker));
    if (line[marker] == u'(') {
        const qsizetype after = ReadStateItems(line, marker + 1, result);
        marker = ScanForAny(line, after, u":.");
        if (marker >= line.size())
            RaiseNoBody();
    }
    result.BodyMarker = marker;
    return result;
}

namespace {

[[noreturn]] void RaisePoseNotFound(const QString& pose, const TActorData& actor)
{
    throw Exception(QStringLiteral("Pose \"") + pose + QStringLiteral("\" not found for Actor ") + actor.Name()
                    + u'.');
}

[[noreturn]] void RaisePositionNotFound(const QString& position)
{
    throw Exception(QStringLiteral("Position \"") + position + QStringLiteral("\" not found."));
}

} // namespace

qsizetype TCharacterLines::ParseCharacterLine(const QString& line)
{
    const TCharacterLine parsed = ParseCharacterSyntax(line);
    textBox_.SetName(parsed.Name);
    ApplyCharacterState(parsed.Name, parsed.Pose, parsed.Position, parsed.Actor);
    return parsed.BodyMarker;
}

void TCharacterLines::ApplyCharacterState(const QString& name, const QString& pose, const QString& position,
                                          const QString& actor)
{
    TCharSlot* slot = chars_.FindChar(name);
    // Another actor makes another character of the same name; the same one
    // (spelt exactly so) changes nothing.
    if (slot && !actor.isEmpty() && !(slot->Actor() && slot->Actor()->Name() == actor)) {
        chars_.RemoveChar(name);
        slot = nullptr;
    }
    if (slot)
        ChangeCharacter(*slot, pose, position);
    else
        AddCharacter(name, pose, position, actor);
}

void TCharacterLines::ChangeCharacter(TCharSlot& slot, const QString& pose, const QString& position)
{
    const TActorRef& actor = slot.Actor();
    // A character without an actor has no sprite to pose or move.
    if (!actor || (pose.isEmpty() && position.isEmpty())) {
        chars_.ReshowChar(slot);
        return;
    }
    TPoseRef newPose = slot.Pose();
    if (!pose.isEmpty() && !(newPose = actor->FindPose(pose)))
        RaisePoseNotFound(pose, *actor);
    TPositionRef newPosition = slot.Position();
    if (!position.isEmpty() && !(newPosition = positions_.FindPosition(position)))
        RaisePositionNotFound(position);
    chars_.ShowChar(slot, std::move(newPose), std::move(newPosition));
}

void TCharacterLines::AddCharacter(const QString& name, const QString& pose, const QString& position,
                                   const QString& actorName)
{
    TActorRef actor;
    if (!actorName.isEmpty()) {
        actor = actors_.FindActor(actorName);
        if (!actor)
            throw Exception(QStringLiteral("Actor ") + actorName + QStringLiteral(" not found."));
    } else if (!(actor = actors_.FindActor(name)) && log_) {
        // Speakers without a sprite are common (a voice, a crowd); worth a
        // note for the author, not an error.
        log_(QStringLiteral("Actor ") + name + QStringLiteral(" not found."));
    }
    // Registered before the checks below: a character whose pose or
    // position is wrong still exists, hidden, for the lines that follow.
    TCharSlot& slot = chars_.AddChar(name, actor);
    TPoseRef newPose;
    TPositionRef newPosition;
    if (actor) {
        if (!(newPose = actor->FindPose(pose)))
            RaisePoseNotFound(pose, *actor);
        newPosition = position.isEmpty() ? positions_.PickDefaultPosition() : positions_.FindPosition(position);
        if (!newPosition && !position.isEmpty())
            RaisePositionNotFound(position);
    }
    chars_.ShowChar(slot, std::move(newPose), std::move(newPosition));
}
