#pragma once

// The named images and buttons scripts place on the game screen. The
// manager owns them, draws them in the order they came, and routes the
// mouse to them: hover, press, release and click. Hit tests are pixel-exact:
// a transparent pixel of a picture is not part of it.

#include "render/GraphicControls.h"

#include <QPoint>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class TScreenObject : public TGraphicObject {
public:
    const QString& Name() const { return name_; }
    void SetName(const QString& name) { name_ = name; }
    bool Hover() const { return hover_; }

    // Points are in game-screen units.
    virtual bool HitTest(QPoint point);
    // Whether the object takes the press.
    virtual bool MouseDown(QPoint point);
    virtual void MouseUp(QPoint point);
    virtual void MouseOver(QPoint point);
    virtual void MouseLeave();
    // The press ends without a click: the object goes away under it.
    virtual void CancelPress() {}

protected:
    bool hover_ = false;

private:
    QString name_;
};

class TScreenImg : public TScreenObject {
public:
    explicit TScreenImg(std::unique_ptr<TDxPicture> picture);

    void SetPosition(int x, int y);
    int X() const { return x_; }
    int Y() const { return y_; }
    TDxPicture& Picture() { return *picture_; }
    const TDxPicture& Picture() const { return *picture_; }
    // Whether any pixel of the picture that lies inside `area` is opaque
    // enough to be hit.
    bool HasOpaquePixelIn(const TRect& area) const;

    bool HitTest(QPoint point) override;
    void SetDevice(std::shared_ptr<TDxDevice> device) override;
    void SetScale(double x, double y) override;
    void Draw(TDxSprite& sprite) override;
    void DeviceLost() override;
    void DeviceReset() override;

private:
    std::unique_ptr<TDxPicture> picture_;
    int x_ = 0;
    int y_ = 0;
};

// Frames 0, 1 and 2 of its picture are its normal, pressed and hover looks;
// a picture with fewer frames keeps what it has. The picture never animates.
class TScreenButton : public TScreenImg {
public:
    using TClickHandler = std::function<void(TScreenButton&)>;

    explicit TScreenButton(std::unique_ptr<TDxPicture> picture) : TScreenImg(std::move(picture)) {}

    // The script label a click continues at.
    void SetTarget(const QString& target) { target_ = target; }
    const QString& Target() const { return target_; }
    void SetOnClick(TClickHandler handler) { onClick_ = std::move(handler); }
    bool Pressed() const { return pressed_; }
    void Click();

    bool MouseDown(QPoint point) override;
    void MouseUp(QPoint point) override;
    void MouseOver(QPoint point) override;
    void MouseLeave() override;
    void CancelPress() override;

private:
    void ShowFrame(int frame);
    void ShowReleased();

    bool pressed_ = false;
    QString target_;
    TClickHandler onClick_;
};

class TScreenObjectMgr : public TGraphicObject {
public:
    // Takes the object; one under the resting pointer is hovered at once.
    void Add(std::unique_ptr<TScreenObject> object);
    // Letter case ignored; null when none has the name.
    TScreenObject* Find(const QString& name) const;
    // Whether an object had the name. A pressed one is released without a
    // click first.
    bool Remove(const QString& name);
    void Clear();
    int Count() const { return static_cast<int>(items_.size()); }
    TScreenObject& At(int index) const { return *items_[size_t(index)]; }
    const TScreenObject* Captured() const { return captured_; }
    // The last point the mouse was seen at; none before the first.
    std::optional<QPoint> LastPoint() const { return lastPoint_; }
    // Whether some button with a label could still be clicked: some opaque
    // pixel of it lies inside `screen`.
    bool HasReachableButton(const TRect& screen) const;

    // Game-screen points. MouseDown tells whether an object took the press.
    bool MouseDown(QPoint point);
    void MouseUp(QPoint point);
    void MouseMove(QPoint point);

    void SetDevice(std::shared_ptr<TDxDevice> device) override;
    void SetScale(double x, double y) override;
    bool Update(uint32_t now) override;
    void ClearChanged() override;
    void Draw(TDxSprite& sprite) override;
    void DeviceLost() override;
    void DeviceReset() override;

private:
    void ReleaseCaptured();

    std::vector<std::unique_ptr<TScreenObject>> items_;
    TScreenObject* captured_ = nullptr;
    std::optional<QPoint> lastPoint_;
};
