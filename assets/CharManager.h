#pragma once

// The registries behind the stage: actors (a character design) with their
// poses (one picture each), named screen positions, and the characters
// standing on the stage, each binding a name to an actor, a pose and a
// position. Every coordinate is in game-screen units; a position names the
// point where a sprite's centre goes.
//
// Actors, poses and positions are shared with the characters that use them:
// clearing a registry or redefining a pose while a character still stands
// in it leaves that character with what it had, never with a dangling one.

#include "engine/Clock.h"
#include "engine/StringUtils.h"
#include "render/GraphicControls.h"

#include <QHash>
#include <QPoint>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class TImageManager;

struct TActorPose {
    QString Name;      // matched ignoring letter case
    QString FileName;  // the image name as the script wrote it
};
using TPoseRef = std::shared_ptr<TActorPose>;

class TActorData {
public:
    explicit TActorData(QString name) : name_(std::move(name)) {}

    const QString& Name() const { return name_; }
    // A new name is appended; a known one keeps its place and gets the file.
    void SetPose(const QString& name, const QString& fileName);
    // An empty name finds the pose whose name is empty.
    TPoseRef FindPose(const QString& name) const;
    void ClearPoses();
    // In the order of their first definition.
    const std::vector<TPoseRef>& Poses() const { return poses_; }

private:
    QString name_;
    std::vector<TPoseRef> poses_;
    TNameMap<TPoseRef> byName_;  // folded name
};
using TActorRef = std::shared_ptr<TActorData>;

class TActorManager {
public:
    using TChangeHandler = std::function<void(const TActorManager&)>;

    void ClearActors();
    // Nothing happens when an actor of that name exists.
    void AddActor(const QString& name);
    TActorRef FindActor(const QString& name) const;
    int Count() const { return static_cast<int>(actors_.size()); }
    const TActorData& Item(int index) const { return *actors_[static_cast<size_t>(index)]; }

    // Fired after every change of the list, not after pose changes.
    void SetOnChange(TChangeHandler handler) { onChange_ = std::move(handler); }

private:
    void Notify() const;

    std::vector<TActorRef> actors_;
    TNameMap<TActorRef> byName_;  // folded name
    TChangeHandler onChange_;
};

namespace CharAlign {
inline constexpr uint8_t Top = 1;
inline constexpr uint8_t Bottom = 2;
inline constexpr uint8_t Left = 4;
inline constexpr uint8_t Right = 8;
} // namespace CharAlign

struct TCharPosition {
    QString Name;  // may be empty; named positions are unique
    int32_t X = 0;
    int32_t Y = 0;
    uint8_t Align = 0;  // CharAlign flags: an aligned sprite touches that stage edge
    bool IsDefault = false;
    bool Occupied = false;
    uint32_t LastUsed = 0;  // tick count of the last time a character was put or shown on it
    // Which position was used longest ago, even among uses within one tick.
    uint64_t UseOrder = 0;
};
using TPositionRef = std::shared_ptr<TCharPosition>;

class TPositionManager {
public:
    using TChangeHandler = std::function<void(const TPositionManager&)>;

    void ClearPositions();
    // The default stage: three nameless default positions, bottom-aligned,
    // at the centre, the left third and the right third.
    void ResetPositions();
    // The named position when it exists; otherwise (a new name, or the
    // empty name) a new one at 0, 0 without flags.
    TPositionRef AddOrGetPosition(const QString& name);
    // The empty name finds the first nameless position.
    TPositionRef FindPosition(const QString& name) const;
    // The first free default position, else the default one used longest
    // ago; none without default positions.
    TPositionRef PickDefaultPosition() const;
    void SetPlacement(TCharPosition& position, int32_t x, int32_t y, uint8_t align);
    void SetDefault(TCharPosition& position, bool isDefault);
    int Count() const { return static_cast<int>(positions_.size()); }
    const TCharPosition& Item(int index) const { return *positions_[static_cast<size_t>(index)]; }

    void SetOnChange(TChangeHandler handler) { onChange_ = std::move(handler); }

private:
    TPositionRef Append(const QString& name);
    void Notify() const;

    std::vector<TPositionRef> positions_;
    TNameMap<TPositionRef> byName_;  // folded name; "" is the first nameless one
    TChangeHandler onChange_;
};

// One character on the stage. Only the character manager changes it.
class TCharSlot {
public:
    const QString& Name() const { return name_; }
    const TActorRef& Actor() const { return actor_; }
    const TPoseRef& Pose() const { return pose_; }
    const TPositionRef& Position() const { return position_; }
    bool Visible() const { return visible_; }
    const TDxPicture* Picture() const { return picture_.get(); }
    // The placed sprite centre and the size of one picture frame.
    int X() const { return x_; }
    int Y() const { return y_; }
    int Width() const { return width_; }
    int Height() const { return height_; }

private:
    friend class TCharManager;
    TCharSlot(QString name, TActorRef actor) : name_(std::move(name)), actor_(std::move(actor)) {}

    QString name_;
    TActorRef actor_;
    TPoseRef pose_;
    TPositionRef position_;
    bool visible_ = false;
    std::unique_ptr<TDxPicture> picture_;
    int x_ = 0;
    int y_ = 0;
    int width_ = 0;
    int height_ = 0;
};

// The characters layer: every visible character sprite, centred on its
// position, later characters on top.
class TCharManager : public TGraphicObject {
public:
    TCharManager(const TImageManager& images, const TClock& clock);
    ~TCharManager() override;

    void ClearChars();
    // Raises "Character <name> already present!" when the name is in use.
    TCharSlot& AddChar(const QString& name, TActorRef actor);
    // The empty or an unknown name is ignored.
    void RemoveChar(const QString& name);
    TCharSlot* FindChar(const QString& name) const;
    int IndexOfChar(const QString& name) const;
    int Count() const { return static_cast<int>(slots_.size()); }
    const TCharSlot& Item(int index) const { return *slots_[static_cast<size_t>(index)]; }

    // Puts a character on the stage with both a pose and a position, or
    // with neither. A pose picture that cannot be loaded raises; the
    // character then keeps the new pose without a picture.
    void ShowChar(TCharSlot& slot, TPoseRef pose, TPositionRef position);
    // A character as a save recorded it, standing at its place, shown or
    // not. A pose picture that cannot be loaded raises; the character then
    // stands without it, as after a failed pose change.
    TCharSlot& RestoreChar(const QString& name, TActorRef actor, TPoseRef pose, TPositionRef position,
                           bool visible, QPoint place);
    // Brings back a character that another one pushed off its position.
    void ReshowChar(TCharSlot& slot);
    // Hides whoever is shown on the position; they keep their place.
    void HideCharsAt(const TCharPosition* position);
    void PlaceChar(TCharSlot& slot);
    void SetStageSize(int width, int height);

    // Whether a shown character's picture is an animation.
    bool IsAnimating() const;

    void SetDevice(std::shared_ptr<TDxDevice> device) override;
    void SetScale(double x, double y) override;
    // `now`: the tick count; animated poses advance.
    bool Update(uint32_t now) override;
    void Draw(TDxSprite& sprite) override;
    void DeviceLost() override;
    void DeviceReset() override;

private:
    void SetPose(TCharSlot& slot, TPoseRef pose);
    void SetPosition(TCharSlot& slot, TPositionRef position);
    void MarkUsed(TCharPosition& position);
    void SetVisibleOnStage(TCharSlot& slot, bool visible);
    void Unlist(const TCharSlot& slot);
    void List(TCharSlot& slot);
    void FreeSlot(TCharSlot& slot);

    const TImageManager& images_;
    const TClock& clock_;
    int stageWidth_ = 1024;
    int stageHeight_ = 768;
    uint64_t useCounter_ = 0;
    std::vector<std::unique_ptr<TCharSlot>> slots_;  // creation order: later ones draw on top
    TNameMap<TCharSlot*> byName_;  // folded name
    // Who stands visible on each position: at most one, since showing a
    // character hides the others there first.
    QHash<const TCharPosition*, TCharSlot*> shownAt_;
};
