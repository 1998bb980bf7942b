#pragma once

#include "engine/CommandHandlers.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class TImageManager;
class TScreenButton;
class TScreenImg;
class TScreenObjectMgr;
class TSelectionBox;

// A menu choice waiting for its menu: the text shown and the label a pick
// continues at (looked up only when it is picked).
struct TItemPair {
    QString Caption;
    QString Target;
};

// What the choice commands change, and where their pictures come from.
struct TChoiceParts {
    TSelectionBox& SelectionBox;
    TScreenObjectMgr& ScreenObjects;
    const TImageManager& Images;
    std::function<void(const QString&)> Log;
};

// Menus ("item", "menu") and the images and buttons scripts place on the
// screen ("img", "btn", "drop", "choose"). The commands only build and show;
// the driver decides what the reader's keys and clicks pick.
class TChoiceCommands {
public:
    using TMenuShownHandler = std::function<void(const QStringList& captions)>;
    using TButtonHandler = std::function<void(TScreenButton&)>;

    explicit TChoiceCommands(TChoiceParts parts) : parts_(std::move(parts)) {}

    // The selection box shows the pending choices, none highlighted.
    void ShowMenu();
    // Hides the box and forgets the pending choices.
    void HideMenu();
    const std::vector<TItemPair>& PendingItems() const { return items_; }
    // Puts back pending choices as a save recorded them; a menu that was
    // shown is shown again without being told anew (a transcript printed it).
    void RestoreMenu(std::vector<TItemPair> items, bool shown);
    // Places an image or a button as "img" and "btn" do; raises before
    // anything is made when the name is taken or the picture cannot be loaded.
    void PlaceImage(const QString& name, const QString& image, int x, int y);
    void PlaceButton(const QString& name, const QString& image, int x, int y, const QString& target);
    // The label of the highlighted choice; none while nothing is highlighted.
    std::optional<QString> HighlightedTarget() const;

    // Told of every menu shown (a transcript prints it).
    TMenuShownHandler OnMenuShown;
    // Every button made from now on reports its clicks here.
    void SetOnButtonClicked(TButtonHandler handler) { onButtonClicked_ = std::move(handler); }

    CommandResult CmdItem(const TCmdData& cmd);
    CommandResult CmdMenu(const TCmdData& cmd);
    CommandResult CmdDrop(const TCmdData& cmd);
    CommandResult CmdImg(const TCmdData& cmd);
    CommandResult CmdBtn(const TCmdData& cmd);
    CommandResult CmdChoose(const TCmdData& cmd);

private:
    struct TPlacement {
        QString Name;
        QString Image;
        int X = 0;
        int Y = 0;
    };
    // Name, [image,] x, y: the image is named once the command has at least
    // `fullForm` parameters. Raises before anything is made.
    TPlacement ReadPlacement(const TCmdData& cmd, qsizetype fullForm) const;
    void Place(std::unique_ptr<TScreenImg> object, const TPlacement& placement);
    void FillBox();
    void Log(const QString& message) const;

    TChoiceParts parts_;
    std::vector<TItemPair> items_;
    TButtonHandler onButtonClicked_;
};
