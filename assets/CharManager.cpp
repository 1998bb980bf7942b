#include "assets/CharManager.h"

#include "assets/ImageLoader.h"
#include "engine/Exceptions.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Names of actors, poses, positions and characters are compared ignoring
// letter case; the registries keep them by their folded form.
QString Folded(const QString& name)
{
    return name.toCaseFolded();
}

template <typename T>
T Lookup(const TNameMap<T>& map, const QString& name)
{
    const TFoldedKey key(name);
    const auto found = map.find(key.Key());
    return found == map.end() ? T{} : found->second;
}

// The top or left edge of a sprite of `size` centred on `centre`, half
// units truncated toward zero, kept where a device coordinate can go.
int SpriteCorner(int centre, int size)
{
    const double corner = std::trunc(centre - size / 2.0);
    return static_cast<int>(std::clamp(corner, double(std::numeric_limits<int>::min()),
                                       double(std::numeric_limits<int>::max())));
}

} // namespace

// ------------------------------------------------------------------ actors

void TActorData::SetPose(const QString& name, const QString& fileName)
{
    TPoseRef& pose = byName_[Folded(name)];
    if (!pose) {
        pose = std::make_shared<TActorPose>(TActorPose{name, {}});
        poses_.push_back(pose);
    }
    pose->FileName = fileName;
}

TPoseRef TActorData::FindPose(const QString& name) const
{
    return Lookup(byName_, name);
}

void TActorData::ClearPoses()
{
    poses_.clear();
    byName_.clear();
}

void TActorManager::Notify() const
{
    if (onChange_)
        onChange_(*this);
}

void TActorManager::ClearActors()
{
    actors_.clear();
    byName_.clear();
    Notify();
}

void TActorManager::AddActor(const QString& name)
{
    TActorRef& actor = byName_[Folded(name)];
    if (actor)
        return;
    actor = std::make_shared<TActorData>(name);
    actors_.push_back(actor);
    Notify();
}

TActorRef TActorManager::FindActor(const QString& name) const
{
    return Lookup(byName_, name);
}

// --------------------------------------------------------------- positions

void TPositionManager::Notify() const
{
    if (onChange_)
        onChange_(*this);
}

TPositionRef TPositionManager::Append(const QString& name)
{
    auto position = std::make_shared<TCharPosition>();
    position->Name = name;
    positions_.push_back(position);
    // Named positions are unique; of the nameless ones the first is found.
    byName_.try_emplace(Folded(name), position);
    return position;
}

void TPositionManager::ClearPositions()
{
    positions_.clear();
    byName_.clear();
    Notify();
}

void TPositionManager::ResetPositions()
{
    positions_.clear();
    byName_.clear();
    for (int32_t x : {512, 341, 683}) {
        TCharPosition& position = *Append(QString());
        position.X = x;
        position.Align = CharAlign::Bottom;
        position.IsDefault = true;
    }
    Notify();
}

TPositionRef TPositionManager::AddOrGetPosition(const QString& name)
{
    if (!name.isEmpty())
        if (TPositionRef known = FindPosition(name))
            return known;
    TPositionRef added = Append(name);
    Notify();
    return added;
}

TPositionRef TPositionManager::FindPosition(const QString& name) const
{
    return Lookup(byName_, name);
}

TPositionRef TPositionManager::PickDefaultPosition() const
{
    TPositionRef oldest;
    for (const TPositionRef& position : positions_) {
        if (!position->IsDefault)
            continue;
        if (!position->Occupied)
            return position;
        if (!oldest || position->UseOrder < oldest->UseOrder)
            oldest = position;
    }
    return oldest;
}

void TPositionManager::SetPlacement(TCharPosition& position, int32_t x, int32_t y, uint8_t align)
{
    position.X = x;
    position.Y = y;
    position.Align = align;
    Notify();
}

void TPositionManager::SetDefault(TCharPosition& position, bool isDefault)
{
    position.IsDefault = isDefault;
    Notify();
}

// -------------------------------------------------------------- characters

TCharManager::TCharManager(const TImageManager& images, const TClock& clock) : images_(images), clock_(clock) {}

TCharManager::~TCharManager()
{
    ClearChars();
}

void TCharManager::FreeSlot(TCharSlot& slot)
{
    if (slot.position_)
        slot.position_->Occupied = false;
    slot.picture_.reset();
}

void TCharManager::ClearChars()
{
    for (const std::unique_ptr<TCharSlot>& slot : slots_)
        FreeSlot(*slot);
    if (!slots_.empty())
        Changed();
    slots_.clear();
    byName_.clear();
    shownAt_.clear();
}

TCharSlot& TCharManager::AddChar(const QString& name, TActorRef actor)
{
    TCharSlot*& entry = byName_[Folded(name)];
    if (entry)
        throw Exception(QStringLiteral("Character ") + name + QStringLiteral(" already present!"));
    slots_.push_back(std::unique_ptr<TCharSlot>(new TCharSlot(name, std::move(actor))));
    entry = slots_.back().get();
    return *entry;
}

void TCharManager::RemoveChar(const QString& name)
{
    if (name.isEmpty())
        return;
    const auto found = byName_.find(Folded(name));
    if (found == byName_.end())
        return;
    TCharSlot* slot = found->second;
    byName_.erase(found);
    if (slot->visible_)
        Changed();
    Unlist(*slot);
    FreeSlot(*slot);
    std::erase_if(slots_, [slot](const std::unique_ptr<TCharSlot>& s) { return s.get() == slot; });
}

TCharSlot* TCharManager::FindChar(const QString& name) const
{
    return Lookup(byName_, name);
}

int TCharManager::IndexOfChar(const QString& name) const
{
    const TCharSlot* slot = FindChar(name);
    for (int i = Count() - 1; slot && i >= 0; --i)
        if (slots_[static_cast<size_t>(i)].get() == slot)
            return i;
    return -1;
}

// ------------------------------------------------- who is shown where

void TCharManager::Unlist(const TCharSlot& slot)
{
    if (!slot.visible_ || !slot.position_)
        return;
    const auto shown = shownAt_.constFind(slot.position_.get());
    if (shown != shownAt_.cend() && shown.value() == &slot)
        shownAt_.erase(shown);
}

void TCharManager::List(TCharSlot& slot)
{
    if (slot.visible_ && slot.position_)
        shownAt_.insert(slot.position_.get(), &slot);
}

void TCharManager::SetVisibleOnStage(TCharSlot& slot, bool visible)
{
    if (slot.visible_ == visible)
        return;
    Unlist(slot);
    slot.visible_ = visible;
    List(slot);
    Changed();
}

void TCharManager::HideCharsAt(const TCharPosition* position)
{
    if (!position)
        return;
    if (TCharSlot* shown = shownAt_.value(position))
        SetVisibleOnStage(*shown, false);
}

// ------------------------------------------------------------ the stage

void TCharManager::MarkUsed(TCharPosition& position)
{
    position.LastUsed = clock_.TickCount();
    position.UseOrder = ++useCounter_;
}

// The pose is kept even when its picture fails to load: the slot then has
// nothing to draw, and the next change of pose tries again.
void TCharManager::SetPose(TCharSlot& slot, TPoseRef pose)
{
    slot.pose_ = std::move(pose);
    slot.picture_.reset();
    slot.width_ = slot.height_ = 0;
    Changed();
    if (!slot.pose_)
        return;
    std::unique_ptr<TDxPicture> picture = images_.LoadImage(slot.pose_->FileName);
    picture->SetDevice(Device());
    picture->SetScale(Scale().x, Scale().y);
    // One frame of an animation strip is what stands on the stage.
    const TRect frame = picture->FrameRect();
    slot.width_ = frame.right - frame.left;
    slot.height_ = frame.bottom - frame.top;
    slot.picture_ = std::move(picture);
}

void TCharManager::SetPosition(TCharSlot& slot, TPositionRef position)
{
    Unlist(slot);
    if (slot.position_)
        slot.position_->Occupied = false;
    slot.position_ = std::move(position);
    if (slot.position_) {
        slot.position_->Occupied = true;
        MarkUsed(*slot.position_);
    }
    List(slot);
    Changed();
}

void TCharManager::ShowChar(TCharSlot& slot, TPoseRef pose, TPositionRef position)
{
    if (position && (position != slot.position_ || !slot.visible_))
        HideCharsAt(position.get());
    // A character stands with both a pose and a position, or with neither.
    if (!position)
        pose.reset();
    if (!pose)
        position.reset();
    bool moved = false;
    if (pose != slot.pose_) {
        moved = pose != nullptr;
        SetPose(slot, std::move(pose));
    }
    if (position != slot.position_) {
        moved |= position != nullptr;
        SetPosition(slot, std::move(position));
    }
    SetVisibleOnStage(slot, true);
    if (moved)
        PlaceChar(slot);
}

TCharSlot& TCharManager::RestoreChar(const QString& name, TActorRef actor, TPoseRef pose, TPositionRef position,
                                     bool visible, QPoint place)
{
    TCharSlot& slot = AddChar(name, std::move(actor));
    if (position) {
        position->Occupied = true;
        // Positions used after the load must count as newer than the saved ones.
        useCounter_ = std::max(useCounter_, position->UseOrder);
        slot.position_ = std::move(position);
    }
    slot.x_ = place.x();
    slot.y_ = place.y();
    slot.visible_ = visible;
    List(slot);
    Changed();
    if (pose)
        SetPose(slot, std::move(pose));
    return slot;
}

void TCharManager::ReshowChar(TCharSlot& slot)
{
    if (slot.visible_ || !slot.position_ || !slot.pose_)
        return;
    HideCharsAt(slot.position_.get());
    SetVisibleOnStage(slot, true);
    MarkUsed(*slot.position_);
}

void TCharManager::PlaceChar(TCharSlot& slot)
{
    if (!slot.position_ || !slot.pose_)
        return;
    const TCharPosition& position = *slot.position_;
    slot.x_ = position.X;
    slot.y_ = position.Y;
    if (position.Align & CharAlign::Bottom)
        slot.y_ = stageHeight_ - slot.height_ / 2;
    else if (position.Align & CharAlign::Top)
        slot.y_ = slot.height_ / 2;
    if (position.Align & CharAlign::Right)
        slot.x_ = stageWidth_ - slot.width_ / 2;
    else if (position.Align & CharAlign::Left)
        slot.x_ = slot.width_ / 2;
    if (slot.visible_)
        Changed();
}

void TCharManager::SetStageSize(int width, int height)
{
    stageWidth_ = width;
    stageHeight_ = height;
    for (const std::unique_ptr<TCharSlot>& slot : slots_)
        PlaceChar(*slot);
}

bool TCharManager::IsAnimating() const
{
    return std::any_of(shownAt_.cbegin(), shownAt_.cend(), [](const TCharSlot* slot) {
        return slot->picture_ && slot->picture_->FrameCount() > 1;
    });
}

// ------------------------------------------------------------ the layer

void TCharManager::SetDevice(std::shared_ptr<TDxDevice> device)
{
    TGraphicObject::SetDevice(device);
    for (const std::unique_ptr<TCharSlot>& slot : slots_)
        if (slot->picture_)
            slot->picture_->SetDevice(device);
}

void TCharManager::SetScale(double x, double y)
{
    TGraphicObject::SetScale(x, y);
    for (const std::unique_ptr<TCharSlot>& slot : slots_)
        if (slot->picture_)
            slot->picture_->SetScale(x, y);
}

// Repaints only when the stage changed or a shown animation moved on: a
// stage that stands still must not keep the loop drawing frames.
bool TCharManager::Update(uint32_t now)
{
    bool changed = TGraphicObject::Update(now);
    for (const std::unique_ptr<TCharSlot>& slot : slots_)
        if (slot->visible_ && slot->picture_)
            changed |= slot->picture_->Update(now);
    return changed;
}

void TCharManager::Draw(TDxSprite& sprite)
{
    if (!Visible())
        return;
    for (const std::unique_ptr<TCharSlot>& slot : slots_) {
        if (!slot->visible_ || !slot->position_ || !slot->pose_ || !slot->picture_)
            continue;
        slot->picture_->DrawAt(sprite, SpriteCorner(slot->x_, slot->width_), SpriteCorner(slot->y_, slot->height_));
    }
}

void TCharManager::DeviceLost()
{
    TGraphicObject::DeviceLost();
    for (const std::unique_ptr<TCharSlot>& slot : slots_)
        if (slot->picture_)
            slot->picture_->DeviceLost();
}

void TCharManager::DeviceReset()
{
    TGraphicObject::DeviceReset();
    for (const std::unique_ptr<TCharSlot>& slot : slots_)
        if (slot->picture_)
            slot->picture_->DeviceReset();
}
