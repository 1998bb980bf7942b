#include "interpreter/PresentationCommands.h"

#include "interpreter/CommandValues.h"
#include "interpreter/MissingFiles.h"
#include "render/FontUtils.h"
#include "render/SelboxControl.h"
#include "render/TextboxControl.h"

// The fonts of narration, character text, speaker names and choices.

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
    TFontInfo font = parts_.TextBox.NarrationFont();
    font.size = RequiredFontSize(cmd);
    parts_.TextBox.SetNarrationFont(font);
    return WaitStates::Run;
}

CommandResult TPresentationCommands::CmdFontColor(const TCmdData& cmd)
{
    TFontInfo font = parts_.TextBox.NarrationFont();
    font.color = RequiredColor(cmd);
    parts_.TextBox.SetNarrationFont(font);
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
    TFontInfo font = box.CharTextFont();
    font.size = size;
    box.SetCharTextFont(font);
    TFontInfo name = box.NameFont();
    name.size = size;
    box.SetNameFont(name);
    return WaitStates::Run;
}

CommandResult TPresentationCommands::CmdCharFontColor(const TCmdData& cmd)
{
    TTextBox& box = parts_.TextBox;
    const TColorValue color = RequiredColor(cmd);
    TFontInfo font = box.CharTextFont();
    font.color = color;
    box.SetCharTextFont(font);
    TFontInfo name = box.NameFont();
    name.color = color;
    box.SetNameFont(name);
    return WaitStates::Run;
}

// Replaced whole, without style; a size or colour not given stays as it was.
CommandResult TPresentationCommands::CmdNameFont(const TCmdData& cmd)
{
    TTextBox& box = parts_.TextBox;
    TFontInfo font = box.NameFont();
    font.style = 0;
    ReadFont(cmd, QStringLiteral("Font"), font, [&box](const TFontInfo& f) { box.SetNameFont(f); });
    return WaitStates::Run;
}

CommandResult TPresentationCommands::CmdNameFontSize(const TCmdData& cmd)
{
    TFontInfo font = parts_.TextBox.NameFont();
    font.size = RequiredFontSize(cmd);
    parts_.TextBox.SetNameFont(font);
    return WaitStates::Run;
}

CommandResult TPresentationCommands::CmdNameFontColor(const TCmdData& cmd)
{
    TFontInfo font = parts_.TextBox.NameFont();
    font.color = RequiredColor(cmd);
    parts_.TextBox.SetNameFont(font);
    return WaitStates::Run;
}

CommandResult TPresentationCommands::CmdSelFont(const TCmdData& cmd)
{
    TSelectionBox& box = parts_.SelectionBox;
    TFontInfo font = box.Font();
    font.style = 0;
    ReadFont(cmd, QStringLiteral("Font"), font, [&box](const TFontInfo& f) { box.SetFont(f); });
    return WaitStates::Run;
}

CommandResult TPresentationCommands::CmdSelFontSize(const TCmdData& cmd)
{
    TFontInfo font = parts_.SelectionBox.Font();
    font.size = RequiredFontSize(cmd);
    parts_.SelectionBox.SetFont(font);
    return WaitStates::Run;
}

CommandResult TPresentationCommands::CmdSelFontColor(const TCmdData& cmd)
{
    TFontInfo font = parts_.SelectionBox.Font();
    font.color = RequiredColor(cmd);
    parts_.SelectionBox.SetFont(font);
    return WaitStates::Run;
}

CommandResult TPresentationCommands::CmdSelHlColor(const TCmdData& cmd)
{
    parts_.SelectionBox.SetHighlightColor(RequiredColor(cmd));
    return WaitStates::Run;
}
