#include "interpreter/ChoiceCommands.h"

#include "assets/ImageLoader.h"
#include "engine/Exceptions.h"
#include "engine/IntegerText.h"
#include "render/ScreenControls.h"
#include "render/SelboxControl.h"

namespace {

// "img" names its picture from four parameters on, "btn" from five.
constexpr qsizetype ImageFullForm = 4;
constexpr qsizetype ButtonFullForm = 5;

// The button's label: after x, y in the short form, after the picture's
// place in the full one; a sixth parameter moves it one further.
QString ButtonLabel(const TCmdData& cmd)
{
    const qsizetype count = cmd.Params.size();
    return cmd.Params[count == 4 ? 3 : count == 5 ? 4 : 5];
}

} // namespace

void TChoiceCommands::Log(const QString& message) const
{
    if (parts_.Log)
        parts_.Log(message);
}

// ---------------------------------------------------------------- menus

void TChoiceCommands::FillBox()
{
    TSelectionBox& box = parts_.SelectionBox;
    box.ClearItems();
    for (const TItemPair& item : items_)
        box.AddItem(item.Caption);
    box.SetVisible(true);
}

void TChoiceCommands::ShowMenu()
{
    FillBox();
    if (OnMenuShown)
        OnMenuShown(parts_.SelectionBox.Items());
}

void TChoiceCommands::RestoreMenu(std::vector<TItemPair> items, bool shown)
{
    HideMenu();
    items_ = std::move(items);
    if (shown)
        FillBox();
}

void TChoiceCommands::HideMenu()
{
    parts_.SelectionBox.SetVisible(false);
    items_.clear();
}

std::optional<QString> TChoiceCommands::HighlightedTarget() const
{
    const int selected = parts_.SelectionBox.Selected();
    if (!parts_.SelectionBox.HasSelection() || selected >= int(items_.size()))
        return std::nullopt;
    return items_[size_t(selected)].Target;
}

CommandResult TChoiceCommands::CmdItem(const TCmdData& cmd)
{
    RequireParamCount(cmd, 2);
    items_.push_back({cmd.Params[0], cmd.Params[1]});
    return WaitStates::Run;
}

CommandResult TChoiceCommands::CmdMenu(const TCmdData&)
{
    ShowMenu();
    return WaitStates::Choice;
}

CommandResult TChoiceCommands::CmdChoose(const TCmdData&)
{
    return WaitStates::Button;
}

// ---------------------------------------------------------------- screen objects

CommandResult TChoiceCommands::CmdDrop(const TCmdData& cmd)
{
    if (cmd.Params.isEmpty()) {
        parts_.ScreenObjects.Clear();
        return WaitStates::Run;
    }
    for (const QString& name : cmd.Params) {
        if (parts_.ScreenObjects.Remove(name))
            Log(QStringLiteral("Dropping \"%1\".").arg(name));
        else
            Log(QStringLiteral("Object \"%1\" not found, cannot delete.").arg(name));
    }
    return WaitStates::Run;
}

TChoiceCommands::TPlacement TChoiceCommands::ReadPlacement(const TCmdData& cmd, qsizetype fullForm) const
{
    const QStringList& p = cmd.Params;
    const bool full = p.size() >= fullForm;
    TPlacement placement;
    placement.Name = p[0];
    placement.Image = full && !p[1].isEmpty() ? p[1] : p[0];
    const QString& x = p[full ? 2 : 1];
    const QString& y = p[full ? 3 : 2];
    int32_t xValue = 0, yValue = 0;
    if (!TryParseInteger(x, xValue) || !TryParseInteger(y, yValue))
        RaiseInvalidValue(cmd, QStringLiteral("coordinates"), x + u',' + y);
    placement.X = xValue;
    placement.Y = yValue;
    return placement;
}

// The object takes the device the other screen objects draw with.
void TChoiceCommands::Place(std::unique_ptr<TScreenImg> object, const TPlacement& placement)
{
    if (parts_.ScreenObjects.Device())
        object->SetDevice(parts_.ScreenObjects.Device());
    object->SetName(placement.Name);
    object->SetPosition(placement.X, placement.Y);
    parts_.ScreenObjects.Add(std::move(object));
}

void TChoiceCommands::PlaceImage(const QString& name, const QString& image, int x, int y)
{
    if (parts_.ScreenObjects.Find(name))
        throw Exception(QStringLiteral("Object \"%1\" is already present.").arg(name));
    Place(std::make_unique<TScreenImg>(parts_.Images.LoadImage(image)), {name, image, x, y});
}

void TChoiceCommands::PlaceButton(const QString& name, const QString& image, int x, int y, const QString& target)
{
    if (parts_.ScreenObjects.Find(name))
        throw Exception(QStringLiteral("Object \"%1\" is already present.").arg(name));
    auto button = std::make_unique<TScreenButton>(parts_.Images.LoadImage(image));
    button->SetTarget(target);
    button->SetOnClick([this](TScreenButton& clicked) {
        if (onButtonClicked_)
            onButtonClicked_(clicked);
    });
    Place(std::move(button), {name, image, x, y});
}

CommandResult TChoiceCommands::CmdImg(const TCmdData& cmd)
{
    RequireParamCount(cmd, 3);
    const TPlacement placement = ReadPlacement(cmd, ImageFullForm);
    PlaceImage(placement.Name, placement.Image, placement.X, placement.Y);
    return WaitStates::Run;
}

CommandResult TChoiceCommands::CmdBtn(const TCmdData& cmd)
{
    RequireParamCount(cmd, 4);
    const TPlacement placement = ReadPlacement(cmd, ButtonFullForm);
    PlaceButton(placement.Name, placement.Image, placement.X, placement.Y, ButtonLabel(cmd));
    return WaitStates::Run;
}
