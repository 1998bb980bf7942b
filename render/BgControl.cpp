#include "render/BgControl.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int TintTextureSize = 16;

// One step of a timed change: the value covers the share of the remaining
// distance that the step is of the remaining time, and lands on the target
// itself when the time is up, whatever rounding the steps collected.
double Approach(double value, double target, uint32_t step, uint32_t remaining)
{
    if (step >= remaining)
        return target;
    return value + (target - value) * step / remaining;
}

[[noreturn]] void RaiseTintError(const char* what, TResult code)
{
    throw Exception(QLatin1String(what) + FormatResultCode(code) + QStringLiteral("."));
}

// The sprite's transform is shared by every layer: whatever happens while
// this layer draws, the next one starts from identity.
class TTransformReset {
public:
    explicit TTransformReset(TDxSprite& sprite) : sprite_(sprite) {}
    ~TTransformReset() { sprite_.SetTransform(QTransform()); }
    TTransformReset(const TTransformReset&) = delete;
    TTransformReset& operator=(const TTransformReset&) = delete;

private:
    TDxSprite& sprite_;
};

} // namespace

TBgControl::TBgControl(const TClock& clock) : clock_(clock), picture_(clock) {}

void TBgControl::SetColor(TColorValue color)
{
    color_ = color;
    if (color != NoColor)
        tintDirty_ = true;
    Changed();
}

void TBgControl::SetViewSize(int width, int height)
{
    viewWidth_ = width;
    viewHeight_ = height;
    Changed();
}

void TBgControl::SetPicture(const QString& fileName)
{
    // Cleared first: a file that fails must not leave the old picture's name
    // behind for the next device reset to bring back.
    picture_.Clear();
    Changed();
    picture_.LoadFromFile(fileName);
}

void TBgControl::ClearPicture()
{
    picture_.Clear();
    Changed();
}

void TBgControl::SetFit(bool fit)
{
    if (fit == fit_)
        return;
    fit_ = fit;
    Changed();
}

void TBgControl::SetPosition(double x, double y)
{
    posX_ = targetX_ = x;
    posY_ = targetY_ = y;
    posRemaining_ = 0;
    Changed();
}

void TBgControl::MoveTo(uint32_t interval, double x, double y)
{
    targetX_ = x;
    targetY_ = y;
    posRemaining_ = interval;
}

void TBgControl::SetZoom(int percent)
{
    zoom_ = targetZoom_ = percent;
    zoomRemaining_ = 0;
    Changed();
}

void TBgControl::ZoomTo(int percent, uint32_t interval)
{
    targetZoom_ = percent;
    zoomRemaining_ = interval;
}

TBgMotion TBgControl::Motion() const
{
    return {posX_, posY_, targetX_, targetY_, posRemaining_, zoom_, targetZoom_, zoomRemaining_,
            tintAlpha_, tintTarget_, tintRemaining_};
}

void TBgControl::SetMotion(const TBgMotion& m)
{
    posX_ = m.X;
    posY_ = m.Y;
    targetX_ = m.TargetX;
    targetY_ = m.TargetY;
    posRemaining_ = m.MoveRemaining;
    zoom_ = m.Zoom;
    targetZoom_ = m.TargetZoom;
    zoomRemaining_ = m.ZoomRemaining;
    tintAlpha_ = m.TintAlpha;
    tintTarget_ = m.TintTarget;
    tintRemaining_ = m.TintRemaining;
    tintDirty_ = true;
    Changed();
}

void TBgControl::SetTintColor(TColorValue color)
{
    if (color == tintColor_)
        return;
    tintColor_ = color;
    tintDirty_ = true;
    Changed();
}

void TBgControl::SetTintAlpha(uint8_t alpha)
{
    tintAlpha_ = tintTarget_ = alpha;
    tintRemaining_ = 0;
    Changed();
}

void TBgControl::FadeTintTo(uint8_t alpha, uint32_t interval)
{
    tintTarget_ = alpha;
    tintRemaining_ = interval;
}

void TBgControl::SetDevice(std::shared_ptr<TDxDevice> device)
{
    TGraphicObject::SetDevice(device);
    picture_.SetDevice(std::move(device));
}

void TBgControl::SetScale(double x, double y)
{
    TGraphicObject::SetScale(x, y);
    picture_.SetScale(x, y);
}

bool TBgControl::Update(uint32_t elapsed)
{
    bool result = TGraphicObject::Update(elapsed);
    picture_.Update(clock_.TickCount());
    if (posRemaining_ > 0) {
        const uint32_t step = std::min(elapsed, posRemaining_);
        posX_ = Approach(posX_, targetX_, step, posRemaining_);
        posY_ = Approach(posY_, targetY_, step, posRemaining_);
        posRemaining_ -= step;
        result = true;
    }
    if (zoomRemaining_ > 0) {
        const uint32_t step = std::min(elapsed, zoomRemaining_);
        zoom_ = Approach(zoom_, targetZoom_, step, zoomRemaining_);
        zoomRemaining_ -= step;
        result = true;
    }
    if (tintRemaining_ > 0) {
        const uint32_t step = std::min(elapsed, tintRemaining_);
        tintAlpha_ = Approach(tintAlpha_, tintTarget_, step, tintRemaining_);
        tintRemaining_ -= step;
        result = true;
    }
    return result;
}

void TBgControl::Draw(TDxSprite& sprite)
{
    ClearVisibilityChanged();
    if (!Visible())
        return;
    if (tintDirty_)
        RebuildTintTexture();
    {
        TTransformReset reset(sprite);
        DrawPicture(sprite);
        DrawTint(sprite);
    }
    ClearChangedFlag();
}

// The picture point (posX, posY) lands on the view's centre. Everything is
// in device pixels: the view's centre too is scaled from game-screen units.
void TBgControl::DrawPicture(TDxSprite& sprite)
{
    if (picture_.IsEmpty())
        return;
    const TScale scale = Scale();
    double sx = zoom_ / 100.0 * scale.x;
    double sy = zoom_ / 100.0 * scale.y;
    if (fit_) {
        sx *= static_cast<double>(viewWidth_) / picture_.Width();
        sy *= static_cast<double>(viewHeight_) / picture_.Height();
    }
    const double tx = viewWidth_ * scale.x / 2 - posX_ * sx;
    const double ty = viewHeight_ * scale.y / 2 - posY_ * sy;
    sprite.SetTransform(MatrixTransformation2D(sx, sy, tx, ty));
    picture_.DrawAt(sprite, 0, 0);
}

void TBgControl::DrawTint(TDxSprite& sprite)
{
    if (tintColor_ == NoColor || tintAlpha_ == 0 || !tintTexture_)
        return;
    const TScale scale = Scale();
    sprite.SetTransform(MatrixScaling(static_cast<double>(viewWidth_) / TintTextureSize * scale.x,
                                      static_cast<double>(viewHeight_) / TintTextureSize * scale.y));
    const auto alpha = static_cast<uint32_t>(std::nearbyint(tintAlpha_));  // ties to even
    CheckD3D(sprite.Draw(*tintTexture_, nullptr, QPointF(0, 0), 0xFFFFFFu | (alpha << 24)),
             QStringLiteral("Sprite.Draw"));
}

// A failure leaves the texture marked, so the next frame tries again.
void TBgControl::RebuildTintTexture()
{
    if (!Device())
        return;
    TDxDevice& device = *Device();
    tintTexture_.reset();
    std::unique_ptr<TDxTexture> texture;
    if (const TResult r = device.CreateTexture(TintTextureSize, TintTextureSize, 1, TPool::Default, texture); DxFailed(r))
        RaiseTintError("Cannot create tint texture: ", r);
    TDxSurface* level = nullptr;
    if (const TResult r = texture->GetSurfaceLevel(0, level); DxFailed(r))
        RaiseTintError("Cannot get surface for tint texture: ", r);
    std::unique_ptr<TDxSurface> surface;
    if (const TResult r = device.CreateOffscreenPlainSurface(TintTextureSize, TintTextureSize, surface); DxFailed(r))
        RaiseTintError("Cannot create offscreen surface: ", r);
    FillSurface(*surface, TintTextureSize, TintTextureSize, ColorToD3D(tintColor_));
    if (const TResult r = device.UpdateSurface(*surface, *level); DxFailed(r))
        RaiseTintError("TintTexture UpdateSurface failed: ", r);
    tintTexture_ = std::move(texture);
    tintDirty_ = false;
}

void TBgControl::DeviceLost()
{
    picture_.DeviceLost();
    tintTexture_.reset();
}

void TBgControl::DeviceReset()
{
    picture_.DeviceReset();
    tintDirty_ = true;
}
