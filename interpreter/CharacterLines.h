#pragma once

#include <QString>

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
