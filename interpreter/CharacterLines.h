#pragma once

#include <QString>

#include <functional>

class TActorManager;
class TCharManager;
class TCharSlot;
class TPositionManager;
class TTextBox;

// The speaker part of a dialogue line: "Name(pose, position, actor): text".
struct TCharacterLine {
    QString Name;
    QString Pose;
    QString Position;
    QString Actor;
    qsizetype BodyMarker = -1;  // index of the ":" or "." that ends the speaker part
};

// Reads the speaker part; raises "Invalid character line: no line body." or
// "Invalid unclosed character state." for lines it cannot read.
TCharacterLine ParseCharacterSyntax(const QString& line);

// Dialogue lines: the speaker's name goes to the text window, and the
// character's pose, position and actor change on the stage.
class TCharacterLines {
public:
    TCharacterLines(TTextBox& textBox, const TActorManager& actors, const TPositionManager& positions,
                    TCharManager& chars, std::function<void(const QString&)> log)
        : textBox_(textBox), actors_(actors), positions_(positions), chars_(chars), log_(std::move(log)) {}

    // Sets the speaker, then the stage; returns the index of the ":" or "."
    // the body follows. A failure on the stage leaves the speaker set.
    qsizetype ParseCharacterLine(const QString& line);
    // Empty items stand for items the line does not give. Changes made before
    // a failure stay: a character registered or removed on the way.
    void ApplyCharacterState(const QString& name, const QString& pose, const QString& position,
                             const QString& actor);

private:
    void ChangeCharacter(TCharSlot& slot, const QString& pose, const QString& position);
    void AddCharacter(const QString& name, const QString& pose, const QString& position, const QString& actor);

    TTextBox& textBox_;
    const TActorManager& actors_;
    const TPositionManager& positions_;
    TCharManager& chars_;
    std::function<void(const QString&)> log_;
};
