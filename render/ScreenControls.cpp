#include "render/ScreenControls.h"

#include <QImage>

#include <algorithm>

namespace {

constexpr int NormalFrame = 0;
constexpr int PressedFrame = 1;
constexpr int HoverFrame = 2;

bool Inside(QPoint point, const TRect& rect)
{
    return point.x() >= rect.left && point.x() < rect.right && point.y() >= rect.top && point.y() < rect.bottom;
}

TRect Intersect(const TRect& a, const TRect& b)
{
    return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
}

} // namespace

// ---------------------------------------------------------------- object

bool TScreenObject::HitTest(QPoint)
{
    return false;
}

bool TScreenObject::MouseDown(QPoint)
{
    return false;
}

void TScreenObject::MouseUp(QPoint) {}

void TScreenObject::MouseOver(QPoint)
{
    hover_ = true;
}

void TScreenObject::MouseLeave()
{
    hover_ = false;
}

// ---------------------------------------------------------------- image

TScreenImg::TScreenImg(std::unique_ptr<TDxPicture> picture) : picture_(std::move(picture)) {}

void TScreenImg::SetPosition(int x, int y)
{
    x_ = x;
    y_ = y;
    Changed();
}

// The first frame's area counts, whatever frame is shown: a button must not
// change its shape when it changes its look.
bool TScreenImg::HitTest(QPoint point)
{
    const TRect area{x_, y_, x_ + picture_->FrameWidth(), y_ + picture_->FrameHeight()};
    if (!Inside(point, area))
        return false;
    return (picture_->GetPixel(point.x() - x_, point.y() - y_) >> 24) != 0;
}

bool TScreenImg::HasOpaquePixelIn(const TRect& area) const
{
    const TDxTexture* texture = picture_->Texture();
    if (!texture)
        return false;
    const QImage& stored = texture->Level0().Pixels();
    const QImage pixels = stored.format() == QImage::Format_ARGB32 ? stored : stored.convertToFormat(QImage::Format_ARGB32);
    const TRect frame{x_, y_, x_ + picture_->FrameWidth(), y_ + picture_->FrameHeight()};
    const TRect visible = Intersect(Intersect(frame, area), {x_, y_, x_ + pixels.width(), y_ + pixels.height()});
    for (int y = visible.top; y < visible.bottom; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(pixels.constScanLine(y - y_));
        for (int x = visible.left; x < visible.right; ++x)
            if (qAlpha(row[x - x_]) != 0)
                return true;
    }
    return false;
}

void TScreenImg::SetDevice(std::shared_ptr<TDxDevice> device)
{
    TGraphicObject::SetDevice(device);
    picture_->SetDevice(std::move(device));
}

void TScreenImg::SetScale(double x, double y)
{
    picture_->SetScale(x, y);
}

void TScreenImg::Draw(TDxSprite& sprite)
{
    if (Visible())
        picture_->DrawAt(sprite, x_, y_);
}

void TScreenImg::DeviceLost()
{
    picture_->DeviceLost();
}

void TScreenImg::DeviceReset()
{
    picture_->DeviceReset();
}

// ---------------------------------------------------------------- button

void TScreenButton::ShowFrame(int frame)
{
    if (Picture().CurrentFrame() == frame)
        return;
    Picture().SetFrame(frame);
    Changed();
}

void TScreenButton::ShowReleased()
{
    ShowFrame(hover_ && Picture().FrameCount() > 2 ? HoverFrame : NormalFrame);
}

void TScreenButton::Click()
{
    if (onClick_)
        onClick_(*this);
}

bool TScreenButton::MouseDown(QPoint)
{
    pressed_ = true;
    if (Picture().FrameCount() > 1)
        ShowFrame(PressedFrame);
    return true;
}

void TScreenButton::MouseUp(QPoint point)
{
    pressed_ = false;
    ShowReleased();
    if (HitTest(point))
        Click();
}

void TScreenButton::MouseOver(QPoint)
{
    if (hover_ || pressed_)
        return;
    hover_ = true;
    if (Picture().FrameCount() > 2)
        ShowFrame(HoverFrame);
}

void TScreenButton::MouseLeave()
{
    ShowFrame(pressed_ && Picture().FrameCount() > 1 ? PressedFrame : NormalFrame);
    hover_ = false;
}

void TScreenButton::CancelPress()
{
    if (!pressed_)
        return;
    pressed_ = false;
    ShowReleased();
}

// ---------------------------------------------------------------- manager

void TScreenObjectMgr::Add(std::unique_ptr<TScreenObject> object)
{
    object->SetScale(Scale().x, Scale().y);
    items_.push_back(std::move(object));
    Changed();
    if (lastPoint_)
        MouseMove(*lastPoint_);
}

TScreenObject* TScreenObjectMgr::Find(const QString& name) const
{
    for (const auto& item : items_)
        if (item->Name().compare(name, Qt::CaseInsensitive) == 0)
            return item.get();
    return nullptr;
}

bool TScreenObjectMgr::Remove(const QString& name)
{
    const auto found = std::find_if(items_.begin(), items_.end(), [&name](const auto& item) {
        return item->Name().compare(name, Qt::CaseInsensitive) == 0;
    });
    if (found == items_.end())
        return false;
    std::unique_ptr<TScreenObject> object = std::move(*found);
    items_.erase(found);
    Changed();
    if (object.get() == captured_)
        ReleaseCaptured();
    if (object->Hover())
        object->MouseLeave();
    return true;
}

void TScreenObjectMgr::Clear()
{
    if (captured_)
        ReleaseCaptured();
    items_.clear();
    Changed();
}

// A release that no reader gave must not click: the button only goes back
// to its released look.
void TScreenObjectMgr::ReleaseCaptured()
{
    captured_->CancelPress();
    captured_ = nullptr;
}

bool TScreenObjectMgr::HasReachableButton(const TRect& screen) const
{
    for (const auto& item : items_) {
        const auto* button = dynamic_cast<const TScreenButton*>(item.get());
        if (button && button->Visible() && !button->Target().isEmpty() && button->HasOpaquePixelIn(screen))
            return true;
    }
    return false;
}

bool TScreenObjectMgr::MouseDown(QPoint point)
{
    lastPoint_ = point;
    for (const auto& item : items_) {
        if (item->HitTest(point) && item->MouseDown(point)) {
            captured_ = item.get();
            break;
        }
    }
    if (!captured_)
        return false;
    for (const auto& item : items_)
        if (item.get() != captured_ && item->Hover())
            item->MouseLeave();
    return true;
}

void TScreenObjectMgr::MouseUp(QPoint point)
{
    lastPoint_ = point;
    if (!captured_)
        return;
    TScreenObject* object = captured_;
    // Cleared before the release: its click may fail, and it must not find
    // itself still captured afterwards.
    captured_ = nullptr;
    object->MouseUp(point);
    if (!object->HitTest(point))
        object->MouseLeave();
    MouseMove(point);
}

void TScreenObjectMgr::MouseMove(QPoint point)
{
    lastPoint_ = point;
    if (captured_) {
        captured_->MouseOver(point);
        return;
    }
    for (const auto& item : items_) {
        const bool under = item->HitTest(point);
        if (under && !item->Hover())
            item->MouseOver(point);
        else if (!under && item->Hover())
            item->MouseLeave();
    }
}

void TScreenObjectMgr::SetDevice(std::shared_ptr<TDxDevice> device)
{
    TGraphicObject::SetDevice(device);
    for (const auto& item : items_)
        item->SetDevice(device);
}

void TScreenObjectMgr::SetScale(double x, double y)
{
    for (const auto& item : items_)
        item->SetScale(x, y);
    TGraphicObject::SetScale(x, y);
}

// Screen objects do not animate: an object's update only reports its own
// changes (a button's new look).
bool TScreenObjectMgr::Update(uint32_t now)
{
    bool changed = TGraphicObject::Update(now);
    for (const auto& item : items_)
        changed |= item->Update(now);
    return changed;
}

void TScreenObjectMgr::ClearChanged()
{
    TGraphicObject::ClearChanged();
    for (const auto& item : items_)
        item->ClearChanged();
}

void TScreenObjectMgr::Draw(TDxSprite& sprite)
{
    for (const auto& item : items_)
        item->Draw(sprite);
}

void TScreenObjectMgr::DeviceLost()
{
    for (const auto& item : items_)
        item->DeviceLost();
}

void TScreenObjectMgr::DeviceReset()
{
    for (const auto& item : items_)
        item->DeviceReset();
}
