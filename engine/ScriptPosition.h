#pragma once

#include <QString>

#include <cstdint>

class TKvtParser;

// A line of the loaded script told in a way that survives edits: the
// nearest label at or above it and how many lines below that label it lies,
// with the file and line it came from as a second guess and its text to
// check either against. Saves and script reloads store positions so.
struct TScriptPosition {
    QString Label;         // without "#"; empty: counted from the script's start
    int32_t Offset = 0;    // lines below the label line (or the first line)
    QString File;          // the file's name without its folders
    int32_t FileLine = 0;  // 1-based line in that file; 0 when none
    QString Text;          // the line as it was; empty past the last line
    bool operator==(const TScriptPosition&) const = default;
};

// Where a stored position lands in the script as it is now.
struct TPlacedPosition {
    int32_t Line = 0;
    // Empty when the line was found with its text; otherwise why the line
    // could not be found and where the story goes on instead.
    QString Problem;
};

// `line` may be the line count (just past the last line).
TScriptPosition EncodePosition(const TKvtParser& parser, int32_t line);
// Tries the label and offset, then the file and line; either must land on a
// line of the stored text. Otherwise falls back to the label's line, or the
// script's start when the label is gone, and says so in Problem.
TPlacedPosition PlacePosition(const TKvtParser& parser, const TScriptPosition& position);
