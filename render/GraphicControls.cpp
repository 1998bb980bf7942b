#include "render/GraphicControls.h"

#include <algorithm>

// ------------------------------------------------------------ base object

// Fields start as SetVisible(true) leaves a fresh object: shown, and both
// flags set so the first frame paints it.
TGraphicObject::TGraphicObject() = default;

void TGraphicObject::Changed()
{
    if (changed_)
        return;
    changed_ = true;
    if (onChange_)
        onChange_(*this);
}

void TGraphicObject::SetDevice(std::shared_ptr<TDxDevice> device)
{
    device_ = std::move(device);
}

void TGraphicObject::SetScale(double x, double y)
{
    scale_ = {x, y};
    Changed();
}

void TGraphicObject::SetVisible(bool visible)
{
    if (visible == visible_)
        return;
    visible_ = visible;
    visibilityChanged_ = true;
    Changed();
}

bool TGraphicObject::Update(uint32_t /*argument*/)
{
    return visibilityChanged_ || (visible_ && changed_);
}

void TGraphicObject::ClearChanged()
{
    visibilityChanged_ = false;
    // A hidden object keeps its change until it has been shown and painted.
    if (visible_)
        changed_ = false;
}

void TGraphicObject::Draw(TDxSprite& /*sprite*/) {}

// ---------------------------------------------------------------- picture

namespace {

QString LoadOperation(const QString& fileName)
{
    return QStringLiteral("LoadTexture(") + fileName + QStringLiteral(")");
}

uint32_t ColorKeyForDevice(TColorValue key)
{
    return key == NoColor ? 0 : ColorToD3D(key);
}

// Without a device there is nothing to load into; report it like any other
// refused call instead of failing later.
TResult LoadInto(const std::shared_ptr<TDxDevice>& device, const QString& fileName, uint32_t colorKey,
                 std::unique_ptr<TDxTexture>& texture, TImageInfo& info)
{
    if (!device) {
        texture.reset();
        return DxResult::InvalidCall;
    }
    return LoadTexture(*device, fileName, colorKey, texture, info);
}

} // namespace

TDxPicture::TDxPicture(const TClock& clock) : clock_(clock)
{
    ResetAnimation();
}

void TDxPicture::LoadTextureFrom(const QString& fileName)
{
    const TResult result = LoadInto(Device(), fileName, ColorKeyForDevice(colorKey_), texture_, info_);
    CheckD3D(result, LoadOperation(fileName));
}

void TDxPicture::LoadFromFile(const QString& fileName)
{
    imageName_.clear();
    LoadTextureFrom(fileName);
    fileName_ = fileName;
    frameWidth_ = info_.width;
    frameHeight_ = info_.height;
    RecalcFrames();
    if (onLoad_)
        onLoad_(*this);
}

void TDxPicture::Clear()
{
    fileName_.clear();
    imageName_.clear();
    texture_.reset();
    frameWidth_ = frameHeight_ = frameCount_ = 0;
    if (onLoad_)
        onLoad_(*this);
}

void TDxPicture::SetFrameSize(int width, int height)
{
    frameWidth_ = width;
    frameHeight_ = height;
    RecalcFrames();
}

void TDxPicture::RecalcFrames()
{
    // A zero height would divide by zero; such a grid has no frames.
    if (frameWidth_ <= 0 || frameHeight_ <= 0) {
        framesPerRow_ = frameCount_ = 0;
    } else {
        framesPerRow_ = Width() / frameWidth_;
        frameCount_ = framesPerRow_ * (Height() / frameHeight_);
    }
    currentFrame_ = 0;
}

void TDxPicture::SetFrame(int frame)
{
    frame = std::max(frame, 0);
    currentFrame_ = frameCount_ > 0 ? frame % frameCount_ : 0;
}

void TDxPicture::RestoreAnimation(int frame, uint32_t lastFrameTick)
{
    SetFrame(frame);
    lastFrameTick_ = lastFrameTick;
    Changed();
}

void TDxPicture::ResetAnimation()
{
    frameWidth_ = frameHeight_ = frameCount_ = framesPerRow_ = 0;
    currentFrame_ = 0;
    lastFrameTick_ = clock_.TickCount();
}

TRect TDxPicture::FrameRect() const
{
    if (frameCount_ > 1 && framesPerRow_ > 0) {
        const int column = currentFrame_ % framesPerRow_;
        const int row = currentFrame_ / framesPerRow_;
        return {column * frameWidth_, row * frameHeight_, (column + 1) * frameWidth_, (row + 1) * frameHeight_};
    }
    return {0, 0, Width(), Height()};
}

bool TDxPicture::Update(uint32_t now)
{
    if (frameCount_ <= 1)
        return false;
    if (now - lastFrameTick_ < frameInterval_)
        return false;
    // One frame per update however late we are: a stalled story resumes its
    // animation where it stood instead of skipping ahead.
    currentFrame_ = (currentFrame_ + 1) % frameCount_;
    lastFrameTick_ = now;
    return true;
}

uint32_t TDxPicture::GetPixel(int x, int y)
{
    if (!texture_ || x < 0 || y < 0 || x >= Width() || y >= Height())
        return 0;
    TDxSurface* level = nullptr;
    CheckD3D(texture_->GetSurfaceLevel(0, level), QStringLiteral("GetSurfaceLevel"));
    TLockedRect locked;
    const TRect pixel{x, y, x + 1, y + 1};
    CheckD3D(level->LockRect(locked, &pixel, true), QStringLiteral("LockRect"));
    const uint32_t value = *static_cast<const uint32_t*>(locked.bits);
    CheckD3D(level->UnlockRect(), QStringLiteral("UnlockRect"));
    return value;
}

void TDxPicture::DrawAt(TDxSprite& sprite, int x, int y)
{
    if (!texture_ || Width() == 0 || Height() == 0)
        return;
    const TRect source = FrameRect();
    const QPointF position(static_cast<float>(x * Scale().x), static_cast<float>(y * Scale().y));
    CheckD3D(sprite.Draw(*texture_, &source, position, 0xFFFFFFFFu), QStringLiteral("Sprite.Draw"));
}

void TDxPicture::DeviceLost()
{
    texture_.reset();
}

void TDxPicture::DeviceReset()
{
    // The frame grid is kept: only the pixels went away with the device.
    if (!fileName_.isEmpty())
        LoadTextureFrom(fileName_);
}

// -------------------------------------------------------------------- box

namespace {

// Whatever geometry a script gives, the box's texture can be made: a size
// the device refuses would fail on every frame.
int BoxExtent(int extent)
{
    return std::clamp(extent, 1, TTransparentBox::MaxExtent);
}

} // namespace

TTransparentBox::TTransparentBox(int width, int height, int frameInset)
    : boxWidth_(BoxExtent(width)), boxHeight_(BoxExtent(height)), frameInset_(frameInset)
{
}

void TTransparentBox::SetSize(int width, int height)
{
    boxWidth_ = BoxExtent(width);
    boxHeight_ = BoxExtent(height);
    if (pictureFile_.isEmpty())
        needsRebuild_ = true;
}

void TTransparentBox::SetColor(TColorValue color)
{
    color_ = color;
    pictureFile_.clear();
    needsRebuild_ = true;
}

void TTransparentBox::SetFrameInset(int inset)
{
    frameInset_ = inset;
    pictureFile_.clear();
    needsRebuild_ = true;
}

void TTransparentBox::LoadPictureTexture(const QString& fileName)
{
    CheckD3D(LoadInto(Device(), fileName, 0, texture_, info_), LoadOperation(fileName));
}

void TTransparentBox::LoadPicture(const QString& fileName)
{
    // A failed load has dropped the texture: the box falls back to its
    // colour, built at the next draw, rather than drawing nothing for good.
    pictureFile_.clear();
    needsRebuild_ = true;
    LoadPictureTexture(fileName);
    pictureFile_ = fileName;
    needsRebuild_ = false;
}

void TTransparentBox::Rebuild()
{
    texture_.reset();
    TDxDevice& device = *Device();
    CheckD3D(device.CreateTexture(boxWidth_, boxHeight_, 1, TPool::Default, texture_), QStringLiteral("CreateTexture"));
    TDxSurface* level = nullptr;
    CheckD3D(texture_->GetSurfaceLevel(0, level), QStringLiteral("GetSurfaceLevel"));
    std::unique_ptr<TDxSurface> surface;
    CheckD3D(device.CreateOffscreenPlainSurface(boxWidth_, boxHeight_, surface),
             QStringLiteral("CreateOffscreenPlainSurface"));
    CheckD3D(FillRect(*surface, TRect{0, 0, boxWidth_, boxHeight_}, ColorToD3D(color_)), QStringLiteral("FillRect"));
    const TRect frame{frameInset_, frameInset_, boxWidth_ - frameInset_, boxHeight_ - frameInset_};
    CheckD3D(StrokeRect(*surface, frame, 0xFF000000u, 2), QStringLiteral("StrokeRect"));
    CheckD3D(device.UpdateSurface(*surface, *level), QStringLiteral("UpdateSurface"));
    info_ = TImageInfo{};
    info_.width = boxWidth_;
    info_.height = boxHeight_;
    needsRebuild_ = false;
}

void TTransparentBox::DrawAt(TDxSprite& sprite, int x, int y)
{
    // A box not yet on a device has nothing to build with.
    if (needsRebuild_ && pictureFile_.isEmpty()) {
        if (!Device())
            return;
        Rebuild();
    }
    if (!texture_ || info_.width == 0 || info_.height == 0)
        return;
    const TScale scale = Scale();
    double sx = scale.x, sy = scale.y;
    if (!pictureFile_.isEmpty()) {
        sx = static_cast<double>(boxWidth_) / info_.width * scale.x;
        sy = static_cast<double>(boxHeight_) / info_.height * scale.y;
    }
    sprite.SetTransform(MatrixTransformation2D(sx, sy, x * scale.x, y * scale.y));
    const uint32_t color = 0xFFFFFFu | (static_cast<uint32_t>(alpha_) << 24);
    const TResult result = sprite.Draw(*texture_, nullptr, QPointF(0, 0), color);
    sprite.SetTransform(QTransform());
    CheckD3D(result, QStringLiteral("Sprite.Draw"));
}

void TTransparentBox::DeviceLost()
{
    texture_.reset();
}

void TTransparentBox::DeviceReset()
{
    if (!pictureFile_.isEmpty())
        LoadPictureTexture(pictureFile_);
    else
        needsRebuild_ = true;
}
