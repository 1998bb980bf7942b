#include "interpreter/PresentationCommands.h"

#include "assets/CharManager.h"
#include "assets/ImageLoader.h"
#include "engine/FileSystem.h"
#include "engine/IntegerText.h"
#include "engine/KvtEngine.h"
#include "interpreter/CommandValues.h"
#include "interpreter/MissingFiles.h"
#include "render/BgControl.h"
#include "render/ScreenControls.h"
#include "render/SelboxControl.h"
#include "render/TextboxControl.h"

namespace {

constexpr TColorValue MissingBackgroundColor = 0xFF;  // pure red
constexpr int TextWindowCoordinateLimit = 32768;

bool IsKeyword(const QString& text, QStringView keyword)
{
    return text.compare(keyword, Qt::CaseInsensitive) == 0;
}

// "twmargin" and "selmargin": m, or w, h, or left, top, right, bottom.
TMargins ParseMargins(const TCmdData& cmd)
{
    const QString what = QStringLiteral("margin");
    RequireParam(cmd, what);
    const int first = IntegerParam(cmd, 0, what);
    const qsizetype count = cmd.Params.size();
    if (count == 1)
        return {first, first, first, first};
    if (count == 3)
        RaiseInvalidCommand(cmd, QStringLiteral("Either use full (l,t,r,b) form, (w,h) form, but three arguments "
                                                "are not supported."));
    const int second = IntegerParam(cmd, 1, what);
    if (count != 4)
        return {first, second, first, second};
    int32_t right = 0, bottom = 0;
    if (!TryParseInteger(cmd.Params[2], right) || !TryParseInteger(cmd.Params[3], bottom))
        RaiseInvalidParamPair(cmd, what, 2, 3);
    return {first, second, right, bottom};
}

// Four integers from the first parameter on.
bool TryReadRect(const TCmdData& cmd, TRect& rect)
{
    return TryParseInteger(cmd.Params[0], rect.left) && TryParseInteger(cmd.Params[1], rect.top)
        && TryParseInteger(cmd.Params[2], rect.right) && TryParseInteger(cmd.Params[3], rect.bottom);
}

TRect ReadPosRect(const TCmdData& cmd)
{
    RequireParamCount(cmd, 4);
    TRect rect;
    if (!TryReadRect(cmd, rect))
        RaiseInvalidParamQuad(cmd, QStringLiteral("pos"), 0, 1, 2, 3);
    return rect;
}

// A window with an inside and coordinates a texture can be made for.
bool IsWindowRect(const TRect& r)
{
    const auto inRange = [](int v) { return v >= -TextWindowCoordinateLimit && v <= TextWindowCoordinateLimit; };
    return r.right > r.left && r.bottom > r.top && inRange(r.left) && inRange(r.top) && inRange(r.right)
        && inRange(r.bottom);
}

} // namespace

TPresentationCommands::TPresentationCommands(TPresentationParts parts) : parts_(std::move(parts)) {}

void TPresentationCommands::Log(const QString& message) const
{
    if (parts_.Log)
        parts_.Log(message);
}

void TPresentationCommands::ResetPresentation()
{
    TBgControl& background = parts_.Background;
    SetBackground(QStringLiteral("none"));
    background.SetColor(0);
    background.SetFit(true);
    background.SetPosition(512, 384);
    background.SetZoom(100);
    // A story restarted in the middle of a fade must not come back dark.
    background.SetTintColor(0);
    background.SetTintAlpha(0);
    parts_.TextBox.ResetLook();
    parts_.SelectionBox.ResetLook();
    // Images and buttons belong to the story that placed them.
    parts_.ScreenObjects.Clear();
    parts_.MouseCursor.Clear();
    parts_.ShowMouseCursor(false);
}

// ---------------------------------------------------------------- background

void TPresentationCommands::SetBackground(const QString& text)
{
    TBgControl& background = parts_.Background;
    Log(QStringLiteral("Setting bg: ") + text);
    if (IsKeyword(text, u"none")) {
        background.ClearPicture();
        return;
    }
    // A colour word never names a picture file.
    if (TColorValue color = 0; TryParseColor(text, color)) {
        background.SetColor(color);
        background.ClearPicture();
        return;
    }
    const QString path = FindFileWithExtension(parts_.Parser.ImagesFolder() + text, PictureExtensions);
    if (!path.isEmpty()) {
        Log(QStringLiteral("Loading file: ") + path);
        background.SetPicture(path);
        return;
    }
    parts_.Missing.ReportMissingFile(QStringLiteral("BG"), text);
    background.ClearPicture();
    background.SetColor(MissingBackgroundColor);
}

CommandResult TPresentationCommands::CmdBg(const TCmdData& cmd)
{
    RequireParam(cmd, QStringLiteral("file"));
    SetBackground(cmd.Params[0]);
    TBgControl& background = parts_.Background;
    background.SetPosition(background.Picture().Width() / 2.0, background.Picture().Height() / 2.0);
    background.SetZoom(100);
    // A new scene: the images and buttons of the last one go.
    parts_.ScreenObjects.Clear();
    // A new scene: the characters of the old one leave the stage.
    parts_.Chars.ClearChars();
    return WaitStates::Run;
}

CommandResult TPresentationCommands::CmdBgPic(const TCmdData& cmd)
{
    RequireParam(cmd, QStringLiteral("file"));
    SetBackground(cmd.Params[0]);
    return WaitStates::Run;
}

CommandResult TPresentationCommands::CmdBgColor(const TCmdData& cmd)
{
    parts_.Background.SetColor(RequiredColor(cmd));
    return WaitStates::Run;
}

CommandResult TPresentationCommands::CmdBgFit(const TCmdData&)
{
    parts_.Background.SetFit(true);
    return WaitStates::Run;
}

CommandResult TPresentationCommands::CmdBgFree(const TCmdData&)
{
    parts_.Background.SetFit(false);
    return WaitStates::Run;
}

CommandResult TPresentationCommands::CmdBgPos(const TCmdData& cmd)
{
    RequireTwoParams(cmd, QStringLiteral("X"), QStringLiteral("Y"));
    int32_t x = 0, y = 0;
    if (!TryParseInteger(cmd.Params[0], x) || !TryParseInteger(cmd.Params[1], y))
        RaiseInvalidParamPair(cmd, QStringLiteral("position"), 0, 1);
    const int interval = OptionalIntervalParam(cmd, 2);
    if (interval <= 0)
        parts_.Background.SetPosition(x, y);
    else
        parts_.Background.MoveTo(static_cast<uint32_t>(interval), x, y);
    return WaitStates::Run;
}

CommandResult TPresentationCommands::CmdBgZoom(const TCmdData& cmd)
{
    RequireParam(cmd, QStringLiteral("zoom"));
    int32_t zoom = IntegerParam(cmd, 0, QStringLiteral("zoom"));
    const int interval = OptionalIntervalParam(cmd, 1);
    if (zoom <= 0)
        zoom = 100;
    if (interval <= 0)
        parts_.Background.SetZoom(zoom);
    else
        parts_.Background.ZoomTo(zoom, static_cast<uint32_t>(interval));
    return WaitStates::Run;
}

CommandResult TPresentationCommands::CmdBgTint(const TCmdData& cmd)
{
    RequireTwoParams(cmd, QStringLiteral("color"), QStringLiteral("alpha"));
    const TColorValue color = ColorParam(cmd, 0);
    const uint8_t alpha = AlphaParam(cmd, 1);
    const int interval = OptionalIntervalParam(cmd, 2);
    parts_.Background.SetTintColor(color);
    if (interval <= 0)
        parts_.Background.SetTintAlpha(alpha);
    else
        parts_.Background.FadeTintTo(alpha, static_cast<uint32_t>(interval));
    return WaitStates::Run;
}

// ---------------------------------------------------------------- text window

CommandResult TPresentationCommands::CmdShowTw(const TCmdData&)
{
    parts_.TextBox.SetText({});
    parts_.TextBox.SetVisible(true);
    return WaitStates::Run;
}

CommandResult TPresentationCommands::CmdHideTw(const TCmdData&)
{
    parts_.TextBox.SetVisible(false);
    return WaitStates::Run;
}

CommandResult TPresentationCommands::CmdTwColor(const TCmdData& cmd)
{
    parts_.TextBox.SetBoxColor(RequiredColor(cmd));
    return WaitStates::Run;
}

CommandResult TPresentationCommands::CmdTwAlpha(const TCmdData& cmd)
{
    parts_.TextBox.SetBoxAlpha(RequiredAlpha(cmd));
    return WaitStates::Run;
}

CommandResult TPresentationCommands::CmdTwPos(const TCmdData& cmd)
{
    RequireParamCount(cmd, 4);
    TRect rect;
    if (!TryReadRect(cmd, rect) || !IsWindowRect(rect))
        RaiseInvalidValue(cmd, QStringLiteral("position"), cmd.Params.mid(0, 4).join(u','));
    parts_.TextBox.SetBounds(rect);
    return WaitStates::Run;
}

CommandResult TPresentationCommands::CmdTwMargin(const TCmdData& cmd)
{
    const TMargins m = ParseMargins(cmd);
    parts_.TextBox.SetMargins(m.left, m.top, m.right, m.bottom);
    return WaitStates::Run;
}

CommandResult TPresentationCommands::CmdTwPic(const TCmdData& cmd)
{
    if (const QString path = FindBoxPicture(cmd, QStringLiteral("TwPic")); !path.isEmpty())
        parts_.TextBox.LoadBoxPicture(path);
    return WaitStates::Run;
}

// The text's rectangle inside the window, kept as margins of its present size.
CommandResult TPresentationCommands::CmdTwTextPos(const TCmdData& cmd)
{
    const TRect text = ReadPosRect(cmd);
    const TRect& window = parts_.TextBox.Bounds();
    parts_.TextBox.SetMargins(text.left, text.top, window.Width() - text.right, window.Height() - text.bottom);
    return WaitStates::Run;
}

CommandResult TPresentationCommands::CmdTwNamePos(const TCmdData& cmd)
{
    RequireParamCount(cmd, 1);
    if (IsKeyword(cmd.Params[0], u"auto"))
        parts_.TextBox.SetNameAuto();
    else
        parts_.TextBox.SetNamePos(ReadPosRect(cmd));
    return WaitStates::Run;
}

CommandResult TPresentationCommands::CmdTwCharTextPos(const TCmdData& cmd)
{
    RequireParamCount(cmd, 1);
    if (IsKeyword(cmd.Params[0], u"auto"))
        parts_.TextBox.SetCharTextAuto();
    else
        parts_.TextBox.SetCharTextPos(ReadPosRect(cmd));
    return WaitStates::Run;
}

CommandResult TPresentationCommands::CmdTwSpeed(const TCmdData& cmd)
{
    RequireParamCount(cmd, 1);
    parts_.TextBox.SetSpeed(IntegerParam(cmd, 0, QStringLiteral("speed")));
    return WaitStates::Run;
}

// ---------------------------------------------------------------- selection box

CommandResult TPresentationCommands::CmdSelColor(const TCmdData& cmd)
{
    parts_.SelectionBox.SetBoxColor(RequiredColor(cmd));
    return WaitStates::Run;
}

CommandResult TPresentationCommands::CmdSelAlpha(const TCmdData& cmd)
{
    parts_.SelectionBox.SetBoxAlpha(RequiredAlpha(cmd));
    return WaitStates::Run;
}

CommandResult TPresentationCommands::CmdSelMargin(const TCmdData& cmd)
{
    const TMargins m = ParseMargins(cmd);
    parts_.SelectionBox.SetMargins(m.left, m.top, m.right, m.bottom);
    return WaitStates::Run;
}

CommandResult TPresentationCommands::CmdSelPic(const TCmdData& cmd)
{
    if (const QString path = FindBoxPicture(cmd, QStringLiteral("SelPic")); !path.isEmpty())
        parts_.SelectionBox.LoadBoxPicture(path);
    return WaitStates::Run;
}

// A box picture is named with its extension, in the images folder itself;
// empty once a missing file has been reported.
QString TPresentationCommands::FindBoxPicture(const TCmdData& cmd, const QString& missingKind) const
{
    RequireParam(cmd, QStringLiteral("image"));
    const QString path = ResolvePathIgnoringCase(parts_.Parser.ImagesFolder() + cmd.Params[0]);
    if (FileExistsIgnoringCase(path))
        return path;
    parts_.Missing.ReportMissingFile(missingKind, cmd.Params[0]);
    return {};
}

// ---------------------------------------------------------------- cursors

CommandResult TPresentationCommands::CmdCursor(const TCmdData& cmd)
{
    CursorCommand(cmd, parts_.TextBox.CursorPicture(), false);
    return WaitStates::Run;
}

CommandResult TPresentationCommands::CmdSelCursor1(const TCmdData& cmd)
{
    CursorCommand(cmd, parts_.SelectionBox.LeftCursor(), false);
    return WaitStates::Run;
}

CommandResult TPresentationCommands::CmdSelCursor2(const TCmdData& cmd)
{
    CursorCommand(cmd, parts_.SelectionBox.RightCursor(), false);
    return WaitStates::Run;
}

CommandResult TPresentationCommands::CmdMouseCursor(const TCmdData& cmd)
{
    CursorCommand(cmd, parts_.MouseCursor, true);
    return WaitStates::Run;
}

// "none" or "clear" empties the picture, "set" loads an image into it. The
// mouse pointer's picture replaces the system pointer only while it has
// something to show: a failed load must not leave the reader without one.
void TPresentationCommands::CursorCommand(const TCmdData& cmd, TDxPicture& picture, bool mousePointer)
{
    RequireParam(cmd, QStringLiteral("option"));
    const QString& option = cmd.Params[0];
    if (IsKeyword(option, u"none") || IsKeyword(option, u"clear")) {
        picture.Clear();
        if (mousePointer)
            parts_.ShowMouseCursor(false);
    } else if (IsKeyword(option, u"set")) {
        RequireParamCount(cmd, 2);
        try {
            parts_.Images.ReloadImage(cmd.Params[1], picture);
        } catch (...) {
            if (mousePointer && picture.IsEmpty())
                parts_.ShowMouseCursor(false);
            throw;
        }
        if (mousePointer)
            parts_.ShowMouseCursor(true);
    } else {
        RaiseInvalidCommand(cmd, QStringLiteral("Unsupported option: ") + option);
    }
}
