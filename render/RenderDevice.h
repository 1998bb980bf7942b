#pragma once

// The main window's render state: the one device, the shared sprite batch,
// the debug font, the layers in their fixed order, and one frame.
//
// The window registers its layers and callbacks, then per main-loop pass:
//   AdvanceFrame (interpreter) -> Invalidate() when a layer changed
//   if (FrameNeeded()) RenderFrame();
// The window keeps the viewport size and the mouse position up to date and
// shows whatever the presented handler hands it. At shutdown it calls
// ReleaseDevice while the layers still exist.

#include "engine/Clock.h"
#include "render/FontUtils.h"
#include "render/GraphicControls.h"

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>

#include <array>
#include <functional>
#include <memory>
#include <vector>

inline constexpr int GameScreenWidth = 1024;
inline constexpr int GameScreenHeight = 768;

// Where the 1024 x 768 picture lands in a viewport of `viewport` pixels:
// stretched over all of it, or (keepAspect, full screen) the largest 4:3
// rectangle centred between black bars. The viewport widget paints with
// this and ViewportToGame maps back through it.
QRect ViewportTargetRect(QSize viewport, bool keepAspect);

// The layers in drawing order. Which object fills a slot is the window's
// business; an empty slot is skipped.
// The overlay (the reader's history) covers the whole game when shown.
enum class TLayerSlot { Background, ScreenObjects, Characters, TextWindow, SelectionBox, Overlay, Count };

// An object outside the layers that keeps device resources (the image
// manager): told about the device and its loss like the layers.
struct TDeviceClient {
    std::function<void(const std::shared_ptr<TDxDevice>&)> setDevice;
    std::function<void()> deviceReset;
    std::function<void()> deviceLost;
};

struct TRenderCallbacks {
    std::function<void(const QString&)> log;
    // Ends the main loop (a frame could not begin, the device cannot come back).
    std::function<void()> requestTerminate;
    // A task-modal message box (caption, text).
    std::function<void(const QString&, const QString&)> showMessage;
    // The window switches border, menu, the editor pane and Qt's full-screen
    // state, and checks its "Fullscreen" action to match.
    std::function<void(bool fullscreen)> applyWindowMode;
    // The mouse cursor of the window and viewport: hidden while the cursor
    // picture is drawn instead.
    std::function<void(bool hidden)> setCursorHidden;
    // A new frame was presented; the viewport shows it.
    std::function<void(const QImage&)> presented;
};

// Ticks and ticks per second of a high-resolution counter; injectable so the
// frame-time line can be tested.
struct TPerformanceCounter {
    std::function<int64_t()> read;
    int64_t frequency = 0;
    static TPerformanceCounter Steady();
};

class TRenderDevice {
public:
    // Raises EOSError when the counter has no frequency.
    TRenderDevice(TFontManager& fonts, TClock& clock, TRenderCallbacks callbacks,
                  TPerformanceCounter counter = TPerformanceCounter::Steady());
    ~TRenderDevice();
    TRenderDevice(const TRenderDevice&) = delete;
    TRenderDevice& operator=(const TRenderDevice&) = delete;

    // Registration (before CreateDevice). The background's colour is the
    // clear colour while that layer is visible.
    void SetLayer(TLayerSlot slot, TGraphicObject* layer);
    void SetBackgroundColor(std::function<TColorValue()> color) { backgroundColor_ = std::move(color); }
    void AddDeviceClient(TDeviceClient client) { clients_.push_back(std::move(client)); }
    void SetDisplayFps(bool on) { displayFps_ = on; }

    // `fullscreen` is the setting of the same name.
    void CreateDevice(bool fullscreen);
    void ReleaseDevice();
    void CreateResources();
    void ReleaseResources();
    bool TryRestoreDevice();
    void SetFullscreen(bool on);
    void RenderFrame();

    // Whether the next pass should render: something changed since the last
    // frame, or the device waits for its restoration.
    void Invalidate() { frameNeeded_ = true; }
    bool FrameNeeded() const;

    // The viewport's size in window units and how many device pixels make
    // one: frames are drawn at the pixel size they are shown at, so a dense
    // or enlarged viewport shows them sharp instead of resampled.
    void SetViewportSize(QSize size, double devicePixelRatio = 1.0);
    // The back buffer's size: the 4:3 target in device pixels, or the game
    // screen itself for a screenshot.
    QSize RenderSize() const { return renderSize_; }
    QSize ViewportSize() const { return viewportSize_; }
    QPoint ViewportToGame(QPoint point) const;
    void SetMousePos(QPoint point);
    QPoint MousePos() const { return mousePos_; }
    void ShowMouseCursorPicture(bool on);
    bool MouseCursorShown() const { return mouseCursorShown_; }
    TDxPicture& MouseCursorPicture() { return mouseCursor_; }

    void SuspendRepaint() { repaintSuspended_ = true; }
    void ResumeRepaint();
    bool RepaintSuspended() const { return repaintSuspended_; }

    bool Fullscreen() const { return fullscreen_; }
    bool DeviceReady() const { return deviceReady_; }
    bool ResourcesReady() const { return resourcesReady_; }
    bool DisplayFps() const { return displayFps_; }

    // The last presented frame (null before the first), e.g. for a PNG;
    // kept after ReleaseDevice.
    const QImage& PresentedImage() const { return lastFrame_; }
    // Draws a frame at the game screen's own 1024 x 768 and saves it, or
    // (without a device) saves the last frame.
    bool SaveScreenshot(const QString& fileName);
    // A frame drawn now at the game screen's size; null without a frame.
    QImage GrabFrame();

    const std::shared_ptr<TDxDevice>& Device() const { return device_; }
    TDxSprite* Sprite() const { return sprite_.get(); }
    // Planned failures for the device this object makes (tests).
    TDxFaults& Faults() { return shared_->faults; }

    int64_t CounterFrequency() const { return counter_.frequency; }
    int64_t LastRenderTicks() const { return lastRenderTicks_; }
    double AverageRenderTicks() const { return averageRenderTicks_; }
    QString FrameTimeText() const;

private:
    void ApplyMode(bool fullscreen);
    void UseRenderSize(QSize size);
    QSize ViewportPixels() const;
    void ApplyScale();
    void BuildDevice();
    bool RecreateResources();
    void DrawScene();
    void DrawLayers();
    void DrawFrameTime();
    void PresentFrame();
    uint32_t ClearColor() const;
    TGraphicObject* Layer(TLayerSlot slot) const { return layers_[static_cast<size_t>(slot)]; }
    std::vector<TGraphicObject*> ResetOrder() const;
    void Terminate() const;

    TFontManager& fonts_;
    TClock& clock_;  // paces the retries while the device is lost
    TRenderCallbacks callbacks_;
    TPerformanceCounter counter_;
    std::shared_ptr<TDxShared> shared_ = std::make_shared<TDxShared>();
    std::unique_ptr<TDirect3D> direct3D_;
    std::shared_ptr<TDxDevice> device_;
    TPresentParams presentParams_;
    std::unique_ptr<TDxSprite> sprite_;
    std::shared_ptr<TDxFont> debugFont_;
    std::array<TGraphicObject*, static_cast<size_t>(TLayerSlot::Count)> layers_{};
    std::vector<TDeviceClient> clients_;
    std::function<TColorValue()> backgroundColor_;
    TDxPicture mouseCursor_;
    bool deviceReady_ = false;
    bool resourcesReady_ = false;
    bool repaintSuspended_ = false;
    bool fullscreen_ = false;
    bool displayFps_ = false;
    bool frameNeeded_ = true;
    bool mouseCursorShown_ = false;
    int64_t lastRenderTicks_ = 0;
    double averageRenderTicks_ = 0.0;
    QSize viewportSize_{GameScreenWidth, GameScreenHeight};
    double devicePixelRatio_ = 1.0;
    QSize renderSize_{GameScreenWidth, GameScreenHeight};
    QImage lastFrame_;  // survives the device, for a screenshot at exit
    QPoint mousePos_;
};
