#pragma once

// A save as plain data, and its file: one JSON text per slot, versioned.
// Reading checks the whole file before anything is handed out, so a
// truncated, damaged or newer file is refused as a whole and never half
// applied. docs/save-format.md describes the members.

#include "assets/CharManager.h"
#include "engine/Exceptions.h"
#include "engine/ScriptPosition.h"
#include "interpreter/ChoiceCommands.h"
#include "render/BgControl.h"
#include "render/TextboxControl.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <utility>
#include <vector>

// A save file that cannot be read, with the reason.
KVT_DECLARE_EXCEPTION(ESaveFileError, Exception);

inline constexpr int SaveFormatVersion = 1;

struct TSavedStory {
    QString Script;      // the main script's file name, without folders
    QString ScriptPath;  // where it was loaded from, to start it again
    QString Company;
    QString Product;
};

struct TSavedFrame {
    TScriptPosition Return;
    QStringList Params;
};

struct TSavedBox {
    TColorValue Color = 0;
    int Alpha = 0;
    int FrameInset = 0;
    QString Picture;  // a path, relative to the images folder when inside it
};

struct TSavedTextWindow {
    bool Visible = true;
    TRect Bounds;
    TMargins Margins;
    TTextBlock Text;
    int32_t Typed = 0;  // characters revealed
    int32_t Speed = 0;
    bool HasName = false;
    QString Name;
    TFontInfo NameFont;
    bool NameAuto = true;
    TRect NamePos;
    bool CharTextAuto = true;
    TRect CharTextPos;
    TFontInfo NarrationFont;
    TFontInfo CharTextFont;
    TSavedBox Box;
    QString Cursor;  // image name; empty: none
    // The cursor's animation, so the continued story shows the same frame.
    int CursorFrame = 0;
    uint32_t CursorTick = 0;
};

struct TSavedMenu {
    std::vector<TItemPair> Items;  // pending choices, shown or not yet
    bool Shown = false;
    int Selected = -1;
    TMargins Margins;
    TColorValue Highlight = 0;
    TFontInfo Font;
    TSavedBox Box;
    QString LeftCursor;
    QString RightCursor;
};

struct TSavedBackground {
    TColorValue Color = 0;
    QString Picture;  // as TSavedBox::Picture; empty: none
    bool Fit = true;
    TColorValue TintColor = 0;
    // Pans, zooms and fades under way go on from where they were.
    TBgMotion Motion;
};

struct TSavedScreenObject {
    bool Button = false;
    QString Name;
    QString Image;
    int X = 0, Y = 0;
    QString Target;
    bool Visible = true;
};

struct TSavedActor {
    QString Name;
    std::vector<TActorPose> Poses;
};

struct TSavedChar {
    QString Name;
    int Actor = -1;     // index into TSavedStage::Actors; -1: none
    bool HasPose = false;
    TActorPose Pose;    // as the character wears it, even when redefined since
    int Position = -1;  // index into TSavedStage::Positions; -1: none
    bool Visible = false;
    int X = 0, Y = 0;
};

// Actors and positions of the registries first; after them any that a
// character still holds after its registry was cleared.
struct TSavedStage {
    std::vector<TSavedActor> Actors;
    int RegisteredActors = 0;
    std::vector<TCharPosition> Positions;
    int RegisteredPositions = 0;
    std::vector<TSavedChar> Chars;
};

struct TSavedAudio {
    QString Music;  // relative to the music folder when inside it; empty: none
    int MusicVolume = 0;
    double MusicCurrentVolume = 0;
    uint32_t MusicFadeRemaining = 0;
    QString BgSound;
    bool BgSoundLoop = true;
    int BgSoundVolume = 0;
};

struct TSaveState {
    TSavedStory Story;
    QDateTime Saved;
    // The story clock's tick count; a run on virtual time goes on from it.
    uint32_t StoryTime = 0;
    QString Title;
    QString Chapter;
    QString Section;
    QByteArray Thumbnail;  // PNG; may be empty
    TScriptPosition Position;
    std::vector<TSavedFrame> Stack;  // oldest first
    int32_t WaitState = 0;
    uint32_t WaitRemaining = 0;
    bool InTextBlock = false;
    bool Halted = false;
    std::vector<std::pair<QString, QString>> Locals;
    TSavedTextWindow Text;
    TSavedMenu Menu;
    TSavedBackground Background;
    std::vector<TSavedScreenObject> ScreenObjects;
    TSavedStage Stage;
    TSavedAudio Audio;
    QString MouseCursor;
};

QByteArray WriteSaveData(const TSaveState& state);
// Raises ESaveFileError with the reason; never returns a partial state.
TSaveState ReadSaveData(const QByteArray& data);

// Written to a temporary file that replaces the slot only once complete;
// raises ESaveFileError naming the file when it cannot be written.
void WriteSaveFile(const QString& fileName, const TSaveState& state);
// Raises ESaveFileError naming the file and the reason.
TSaveState ReadSaveFile(const QString& fileName);
