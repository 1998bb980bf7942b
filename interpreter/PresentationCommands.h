#pragma once

#include "engine/CommandHandlers.h"
#include "render/TypeUtils.h"

#include <QString>

#include <functional>

class TBgControl;
class TCharManager;
class TDxPicture;
class TFontManager;
class TImageManager;
class TKvtParser;
class TMissingFileReporter;
class TScreenObjectMgr;
class TSelectionBox;
class TTextBox;
struct TFontInfo;
struct TMargins;

// What the presentation commands change, and what they look files up with.
struct TPresentationParts {
    TBgControl& Background;
    TTextBox& TextBox;
    TSelectionBox& SelectionBox;
    TScreenObjectMgr& ScreenObjects;
    TDxPicture& MouseCursor;
    TCharManager& Chars;
    // Hides the system pointer over the viewport while the picture is drawn
    // in its place, and brings it back.
    std::function<void(bool)> ShowMouseCursor;
    const TFontManager& Fonts;
    const TImageManager& Images;
    const TKvtParser& Parser;
    const TMissingFileReporter& Missing;
    std::function<void(const QString&)> Log;
};

// How the viewport looks: the background, the fonts of narration,
// character text, speaker names and choices, the text window, the selection
// box and the three cursor pictures. None of these commands waits or draws;
// they change the layers, which the next frame shows.
class TPresentationCommands {
public:
    explicit TPresentationCommands(TPresentationParts parts);

    // The look of a fresh story: every setting these commands change goes
    // back to its default, the tint included.
    void ResetPresentation();
    // A colour, "none", or a picture of the images folder named without
    // extension. A missing picture is reported; when that does not raise,
    // the background turns red so the gap is seen.
    void SetBackground(const QString& text);

    // background
    CommandResult CmdBg(const TCmdData& cmd);
    CommandResult CmdBgPic(const TCmdData& cmd);
    CommandResult CmdBgColor(const TCmdData& cmd);
    CommandResult CmdBgFit(const TCmdData& cmd);
    CommandResult CmdBgFree(const TCmdData& cmd);
    CommandResult CmdBgPos(const TCmdData& cmd);
    CommandResult CmdBgZoom(const TCmdData& cmd);
    CommandResult CmdBgTint(const TCmdData& cmd);
    // fonts
    CommandResult CmdFont(const TCmdData& cmd);
    CommandResult CmdFontSize(const TCmdData& cmd);
    CommandResult CmdFontColor(const TCmdData& cmd);
    CommandResult CmdCharFont(const TCmdData& cmd);
    CommandResult CmdCharFontSize(const TCmdData& cmd);
    CommandResult CmdCharFontColor(const TCmdData& cmd);
    CommandResult CmdNameFont(const TCmdData& cmd);
    CommandResult CmdNameFontSize(const TCmdData& cmd);
    CommandResult CmdNameFontColor(const TCmdData& cmd);
    CommandResult CmdSelFont(const TCmdData& cmd);
    CommandResult CmdSelFontSize(const TCmdData& cmd);
    CommandResult CmdSelFontColor(const TCmdData& cmd);
    CommandResult CmdSelHlColor(const TCmdData& cmd);
    // text window
    CommandResult CmdShowTw(const TCmdData& cmd);
    CommandResult CmdHideTw(const TCmdData& cmd);
    CommandResult CmdTwColor(const TCmdData& cmd);
    CommandResult CmdTwAlpha(const TCmdData& cmd);
    CommandResult CmdTwPos(const TCmdData& cmd);
    CommandResult CmdTwMargin(const TCmdData& cmd);
    CommandResult CmdTwPic(const TCmdData& cmd);
    CommandResult CmdTwTextPos(const TCmdData& cmd);
    CommandResult CmdTwNamePos(const TCmdData& cmd);
    CommandResult CmdTwCharTextPos(const TCmdData& cmd);
    CommandResult CmdTwSpeed(const TCmdData& cmd);
    // selection box
    CommandResult CmdSelColor(const TCmdData& cmd);
    CommandResult CmdSelAlpha(const TCmdData& cmd);
    CommandResult CmdSelMargin(const TCmdData& cmd);
    CommandResult CmdSelPic(const TCmdData& cmd);
    // cursors
    CommandResult CmdCursor(const TCmdData& cmd);
    CommandResult CmdSelCursor1(const TCmdData& cmd);
    CommandResult CmdSelCursor2(const TCmdData& cmd);
    CommandResult CmdMouseCursor(const TCmdData& cmd);

private:
    using TFontSetter = std::function<void(const TFontInfo&)>;
    bool ReadFont(const TCmdData& cmd, const QString& missingKind, TFontInfo font, const TFontSetter& set) const;
    QString FindBoxPicture(const TCmdData& cmd, const QString& missingKind) const;
    void CursorCommand(const TCmdData& cmd, TDxPicture& picture, bool mousePointer);
    void Log(const QString& message) const;

    TPresentationParts parts_;
};
