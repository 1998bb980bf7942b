#pragma once

#include "engine/Clock.h"
#include "interpreter/SaveFile.h"

#include <QString>
#include <QStringList>

#include <functional>

class TActorManager;
class TBgControl;
class TCharManager;
class TChoiceCommands;
class TDxPicture;
class TImageManager;
class TInterpreter;
class TInterpreterHost;
class TKvtParser;
class TKvtVariables;
class TPositionManager;
class TProductGlobals;
class TScreenObjectMgr;
class TSelectionBox;
class TSoundPlayer;
class TTextBox;

// Everything a save reads and puts back; the main window owns all of it.
struct TSaveParts {
    TInterpreter& Story;
    const TClock& Clock;
    TKvtParser& Parser;
    TKvtVariables& Variables;
    TProductGlobals& Product;
    TSoundPlayer& Sound;
    TTextBox& TextBox;
    const TImageManager& Images;
    TBgControl& Background;
    TSelectionBox& SelectionBox;
    TScreenObjectMgr& ScreenObjects;
    TDxPicture& MouseCursor;
    std::function<void(bool)> ShowMouseCursor;
    TChoiceCommands& Choices;
    TActorManager& Actors;
    TPositionManager& Positions;
    TCharManager& Chars;
    TInterpreterHost& Host;
};

// Takes the reader's place in the story as plain data and puts it back:
// the position and call stack as label and offset, the local variables
// (globals stay in "globals.dat"), the wait, and every layer by the names
// and numbers that made it, so pictures and sounds are loaded again rather
// than stored.
class TSaveGame {
public:
    explicit TSaveGame(TSaveParts parts) : parts_(std::move(parts)) {}

    // Without a thumbnail; the window draws one.
    TSaveState Capture() const;
    // Raises ESaveFileError, changing nothing, for a save of another story.
    // Otherwise puts the state back and returns what could not be put back
    // as it was (a line moved by an edit, a picture gone), for the reader.
    QStringList Apply(const TSaveState& state);
    // Reads the script and its includes from disk again and goes on at the
    // same line with everything else as it is; breakpoints follow their
    // lines. A script that no longer loads raises and leaves the running one
    // in place. Returns the problems, as Apply does.
    QStringList ReloadScript();

    // The folder of this story's save slots: beside "globals.dat" when the
    // story names its product, else one per script in the user data folder.
    QString SaveFolder() const;
    static QString SlotFileName(int slot);
    static QString QuickSaveFileName();

private:
    void CheckSameStory(const TSavedStory& story) const;
    void RestorePresentation(const TSaveState& state, QStringList& problems);
    void RestoreStage(const TSavedStage& stage, QStringList& problems);
    void RestoreAudio(const TSavedAudio& audio, QStringList& problems);
    void RestoreVariables(const TSaveState& state);

    TSaveParts parts_;
};
