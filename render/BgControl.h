#pragma once

// The bottom layer of the viewport: a background colour (the frame clears
// to it), an optional picture that may be fitted to the view, panned to a
// focus point and zoomed, and a tint laid over the whole view. Pan, zoom and
// tint alpha each move to a new value over a time.

#include "engine/Clock.h"
#include "render/GraphicControls.h"

#include <memory>

struct TBgMotion {
    double X = 0, Y = 0, TargetX = 0, TargetY = 0;
    uint32_t MoveRemaining = 0;
    double Zoom = 100;
    int TargetZoom = 100;
    uint32_t ZoomRemaining = 0;
    double TintAlpha = 0;
    uint8_t TintTarget = 0;
    uint32_t TintRemaining = 0;
};

class TBgControl : public TGraphicObject {
public:
    explicit TBgControl(const TClock& clock);

    void SetColor(TColorValue color);
    TColorValue Color() const { return color_; }
    void SetViewSize(int width, int height);

    // Raises ED3DError "LoadTexture(<file>) failed: <code>."; the background
    // then has no picture at all, not the one it had before.
    void SetPicture(const QString& fileName);
    void ClearPicture();
    const TDxPicture& Picture() const { return picture_; }

    void SetFit(bool fit);
    bool Fit() const { return fit_; }

    // The picture point (picture pixels) shown at the view's centre.
    void SetPosition(double x, double y);
    void MoveTo(uint32_t interval, double x, double y);
    double PosX() const { return posX_; }
    double PosY() const { return posY_; }

    // Percent.
    void SetZoom(int percent);
    void ZoomTo(int percent, uint32_t interval);
    double Zoom() const { return zoom_; }

    // NoColor draws no tint at any alpha.
    void SetTintColor(TColorValue color);
    TColorValue TintColor() const { return tintColor_; }
    void SetTintAlpha(uint8_t alpha);
    void FadeTintTo(uint8_t alpha, uint32_t interval);
    double TintAlpha() const { return tintAlpha_; }

    // Where the pan, zoom and tint stand and where they go, mid-way values
    // included, so a saved view comes back exactly.
    TBgMotion Motion() const;
    void SetMotion(const TBgMotion& motion);

    // Whether a pan, zoom or tint fade is still under way.
    bool IsAnimating() const { return posRemaining_ > 0 || zoomRemaining_ > 0 || tintRemaining_ > 0; }

    void SetDevice(std::shared_ptr<TDxDevice> device) override;
    void SetScale(double x, double y) override;
    // `elapsed`: milliseconds since the previous update.
    bool Update(uint32_t elapsed) override;
    void Draw(TDxSprite& sprite) override;
    void DeviceLost() override;
    void DeviceReset() override;

private:
    void DrawPicture(TDxSprite& sprite);
    void DrawTint(TDxSprite& sprite);
    void RebuildTintTexture();

    const TClock& clock_;
    TColorValue color_ = 0;
    int viewWidth_ = 1024;
    int viewHeight_ = 768;
    TDxPicture picture_;
    bool fit_ = false;
    double posX_ = 0;
    double posY_ = 0;
    double targetX_ = 0;
    double targetY_ = 0;
    uint32_t posRemaining_ = 0;
    double zoom_ = 100;
    int targetZoom_ = 100;
    uint32_t zoomRemaining_ = 0;
    bool tintDirty_ = true;
    std::unique_ptr<TDxTexture> tintTexture_;
    TColorValue tintColor_ = 0;
    double tintAlpha_ = 0;
    uint8_t tintTarget_ = 0;
    uint32_t tintRemaining_ = 0;
};
