#include "interpreter/PresentationCommands.h"

#include "interpreter/CommandValues.h"
#include "interpreter/MissingFiles.h"
#include "render/FontUtils.h"
#include "render/SelboxControl.h"
#include "render/TextboxControl.h"

// The fonts of narration, character text, speaker names and choices. A
// command that changes one field reads the object's whole font and hands it
// back changed, so that a font object is made again only when face, size or
// style changed.

namespace {

TFontInfo WithSize(TFontInfo font, int size)
{
    font.size = size;
    return font;
}

TFontInfo WithColor(TFontInfo font, TColorValue color)
{
    font.color = color;
    return font;
}

TFontInfo WithoutStyle(TFontInfo font)
{
    font.style = 0;
    return font;
}

} // namespace

// Face, then the optional size and colour, each handed on as soon as it is
// read: a bad colour keeps the new face and size. An unknown face is
// reported and changes nothing.
bool TPresentationCommands::ReadFont(const TCmdData& cmd, const QString& missingKind, TFontInfo font,
                                     const TFontSetter& set) const
{
    RequireParam(cmd, QStringLiteral("font"));
    if (!parts_.Fonts.FontExists(cmd.Params[0])) {
        parts_.Missing.ReportMissingFile(missingKind, cmd.Params[0]);
        return false;
    }
    font.name = cmd.Params[0];
    set(font);
    if (cmd.Params.size() > 1) {
        font.size = FontSizeParam(cmd, 1);
        set(font);
    }
    if (cmd.Params.size() > 2) {
        font.color = ColorParam(cmd, 2);
        set(font);
    }
    return true;
}

CommandResult TPresentationCommands::CmdFont(const TCmdData& cmd)
{
    TTextBox& box = parts_.TextBox;
    ReadFont(cmd, QStringLiteral("Font"), box.NarrationFont(), [&box](const TFontInfo& f) { box.SetNarrationFont(f); });
    return WaitStates::Run;
}

CommandResult TPresentationCommands::CmdFontSize(const TCmdData& cmd)
{
    parts_.TextBox.SetNarrationFont(WithSize(parts_.TextBox.NarrationFont(), RequiredFontSize(cmd)));
    return WaitStates::Run;
}

CommandResult TPresentationCommands::CmdFontColor(const TCmdData& cmd)
{
    parts_.TextBox.SetNarrationFont(WithColor(parts_.TextBox.NarrationFont(), RequiredColor(cmd)));
    return WaitStates::Run;
}

// The speaker's name is written in the character-text font too.
CommandResult TPresentationCommands::CmdCharFont(const TCmdData& cmd)
{
    TTextBox& box = parts_.TextBox;
    if (ReadFont(cmd, QStringLiteral("CharFont"), box.CharTextFont(),
                 [&box](const TFontInfo& f) { box.SetCharTextFont(f); }))
        box.SetNameFont(box.CharTextFont());
    return WaitStates::Run;
}

CommandResult TPresentationCommands::CmdCharFontSize(const TCmdData& cmd)
{
    TTextBox& box = parts_.TextBox;
    const int size = RequiredFontSize(cmd);
    box.SetCharTextFont(WithSize(box.CharTextFont(), size));
    box.SetNameFont(WithSize(box.NameFont(), size));
    return WaitStates::Run;
}

CommandResult TPresentationCommands::CmdCharFontColor(const TCmdData& cmd)
{
    TTextBox& box = parts_.TextBox;
    const TColorValue color = RequiredColor(cmd);
    box.SetCharTextFont(WithColor(box.CharTextFont(), color));
    box.SetNameFont(WithColor(box.NameFont(), color));
    return WaitStates::Run;
}

// Replaced whole, without style; a size or colour not given stays as it was.
CommandResult TPresentationCommands::CmdNameFont(const TCmdData& cmd)
{
    TTextBox& box = parts_.TextBox;
    ReadFont(cmd, QStringLiteral("Font"), WithoutStyle(box.NameFont()),
             [&box](const TFontInfo& f) { box.SetNameFont(f); });
    return WaitStates::Run;
}

CommandResult TPresentationCommands::CmdNameFontSize(const TCmdData& cmd)
{
    parts_.TextBox.SetNameFont(WithSize(parts_.TextBox.NameFont(), RequiredFontSize(cmd)));
    return WaitStates::Run;
}

CommandResult TPresentationCommands::CmdNameFontColor(const TCmdData& cmd)
{
    parts_.TextBox.SetNameFont(WithColor(parts_.TextBox.NameFont(), RequiredColor(cmd)));
    return WaitStates::Run;
}

CommandResult TPresentationCommands::CmdSelFont(const TCmdData& cmd)
{
    TSelectionBox& box = parts_.SelectionBox;
    ReadFont(cmd, QStringLiteral("Font"), WithoutStyle(box.Font()), [&box](const TFontInfo& f) { box.SetFont(f); });
    return WaitStates::Run;
}

CommandResult TPresentationCommands::CmdSelFontSize(const TCmdData& cmd)
{
    parts_.SelectionBox.SetFont(WithSize(parts_.SelectionBox.Font(), RequiredFontSize(cmd)));
    return WaitStates::Run;
}

CommandResult TPresentationCommands::CmdSelFontColor(const TCmdData& cmd)
{
    parts_.SelectionBox.SetFont(WithColor(parts_.SelectionBox.Font(), RequiredColor(cmd)));
    return WaitStates::Run;
}

CommandResult TPresentationCommands::CmdSelHlColor(const TCmdData& cmd)
{
    parts_.SelectionBox.SetHighlightColor(RequiredColor(cmd));
    return WaitStates::Run;
}
