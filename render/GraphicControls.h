#pragma once

// The drawables' base class and the two primitives every composite is made
// of: a picture (optionally an animation strip) and a translucent box.

#include "engine/Clock.h"
#include "render/DirectXUtils.h"
#include "render/TypeUtils.h"

#include <functional>
#include <memory>

class TGraphicObject {
public:
    TGraphicObject();
    virtual ~TGraphicObject() = default;
    TGraphicObject(const TGraphicObject&) = delete;
    TGraphicObject& operator=(const TGraphicObject&) = delete;

    // Sets the changed flag; the notification fires only on the first call
    // until the flag is cleared, so owners are not flooded.
    virtual void Changed();
    virtual void SetDevice(std::shared_ptr<TDxDevice> device);
    virtual void SetScale(double x, double y);
    virtual void SetVisible(bool visible);
    // Whether the object needs a repaint. `argument` is elapsed milliseconds
    // or the current tick, depending on the object.
    virtual bool Update(uint32_t argument);
    virtual void ClearChanged();
    virtual void Draw(TDxSprite& sprite);
    // Release and re-create everything that lives in the device's memory.
    virtual void DeviceLost() {}
    virtual void DeviceReset() {}

    bool Visible() const { return visible_; }
    bool IsChanged() const { return changed_; }
    bool VisibilityChanged() const { return visibilityChanged_; }
    TScale Scale() const { return scale_; }
    const std::shared_ptr<TDxDevice>& Device() const { return device_; }
    void SetOnChange(std::function<void(TGraphicObject&)> handler) { onChange_ = std::move(handler); }

protected:
    void ClearVisibilityChanged() { visibilityChanged_ = false; }
    void ClearChangedFlag() { changed_ = false; }

private:
    std::shared_ptr<TDxDevice> device_;
    bool changed_ = true;
    bool visible_ = true;
    bool visibilityChanged_ = true;
    std::function<void(TGraphicObject&)> onChange_;
    TScale scale_;
};

class TDxPicture : public TGraphicObject {
public:
    explicit TDxPicture(const TClock& clock);

    // Raises ED3DError "LoadTexture(<file>) failed: <code>." and leaves the
    // picture without texture when the file cannot be read as an image.
    void LoadFromFile(const QString& fileName);
    void Clear();
    bool IsEmpty() const { return !texture_; }
    int Width() const { return texture_ ? info_.width : 0; }
    int Height() const { return texture_ ? info_.height : 0; }
    const QString& FileName() const { return fileName_; }
    // The image name a script loaded it by (an alias, or a file name with
    // or without extension); empty for a picture loaded from a path.
    const QString& ImageName() const { return imageName_; }
    void SetImageName(const QString& name) { imageName_ = name; }
    const TImageInfo& ImageInfo() const { return info_; }
    const TDxTexture* Texture() const { return texture_.get(); }

    TColorValue ColorKey() const { return colorKey_; }
    void SetColorKey(TColorValue key) { colorKey_ = key; }
    void SetOnLoad(std::function<void(TDxPicture&)> handler) { onLoad_ = std::move(handler); }

    // A frame width or height of 0 means the picture is not cut into frames.
    void SetFrameSize(int width, int height);
    void SetFrameInterval(uint32_t ms) { frameInterval_ = ms; }
    void SetFrame(int frame);
    void ResetAnimation();
    int FrameCount() const { return frameCount_; }
    int FrameWidth() const { return frameWidth_; }
    int FrameHeight() const { return frameHeight_; }
    int FramesPerRow() const { return framesPerRow_; }
    int CurrentFrame() const { return currentFrame_; }
    uint32_t FrameInterval() const { return frameInterval_; }
    uint32_t LastFrameTick() const { return lastFrameTick_; }
    // The shown frame and when it came, as a save recorded them.
    void RestoreAnimation(int frame, uint32_t lastFrameTick);
    // The source rectangle of the shown frame (the whole image without frames).
    TRect FrameRect() const;

    // ARGB of a pixel of the whole image; 0 outside it or without texture.
    uint32_t GetPixel(int x, int y);
    void DrawAt(TDxSprite& sprite, int x, int y);

    bool Update(uint32_t now) override;
    void DeviceLost() override;
    void DeviceReset() override;

private:
    void RecalcFrames();
    void LoadTextureFrom(const QString& fileName);

    const TClock& clock_;
    std::unique_ptr<TDxTexture> texture_;
    TImageInfo info_;
    QString fileName_;
    QString imageName_;
    TColorValue colorKey_ = NoColor;
    std::function<void(TDxPicture&)> onLoad_;
    int frameCount_ = 0;
    int frameWidth_ = 0;
    int frameHeight_ = 0;
    int framesPerRow_ = 0;
    uint32_t frameInterval_ = 0;
    int currentFrame_ = 0;
    uint32_t lastFrameTick_ = 0;
};

class TTransparentBox : public TGraphicObject {
public:
    // Sizes are kept within 1..MaxExtent pixels.
    static constexpr int MaxExtent = 4096;

    TTransparentBox(int width, int height, int frameInset);

    void SetSize(int width, int height);
    // Either switches a box showing a picture back to its colour.
    void SetColor(TColorValue color);
    void SetFrameInset(int inset);
    void SetAlpha(uint8_t alpha) { alpha_ = alpha; }
    // Raises ED3DError "LoadTexture(<file>) failed: <code>." on a bad file.
    void LoadPicture(const QString& fileName);
    void DrawAt(TDxSprite& sprite, int x, int y);

    int BoxWidth() const { return boxWidth_; }
    int BoxHeight() const { return boxHeight_; }
    int FrameInset() const { return frameInset_; }
    TColorValue Color() const { return color_; }
    uint8_t Alpha() const { return alpha_; }
    const QString& PictureFile() const { return pictureFile_; }
    bool NeedsRebuild() const { return needsRebuild_; }
    const TDxTexture* Texture() const { return texture_.get(); }

    void DeviceLost() override;
    void DeviceReset() override;

private:
    void Rebuild();
    void LoadPictureTexture(const QString& fileName);

    std::unique_ptr<TDxTexture> texture_;
    TImageInfo info_;
    QString pictureFile_;
    uint8_t alpha_ = 200;
    bool needsRebuild_ = true;
    TColorValue color_ = 0xFFFFFF;
    int boxWidth_;
    int boxHeight_;
    int frameInset_;
};
