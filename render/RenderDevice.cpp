#include "render/RenderDevice.h"

#include <QLocale>

#include <chrono>
#include <cmath>

namespace {

QString ErrorText(const char* what, TResult code)
{
    return QLatin1String(what) + QStringLiteral(": error ") + FormatResultCode(code);
}

[[noreturn]] void RaiseGeneral(const char* what, TResult code)
{
    throw Exception(ErrorText(what, code));
}

// Ends an open sprite batch and scene when a layer throws mid-frame; left
// open, every later frame would fail to begin.
class TSceneGuard {
public:
    TSceneGuard(TDxDevice& device, TDxSprite& sprite) : device_(device), sprite_(sprite) {}
    ~TSceneGuard()
    {
        if (sprite_.IsOpen())
            sprite_.End();
        if (device_.InScene())
            device_.EndScene();
    }
    TSceneGuard(const TSceneGuard&) = delete;
    TSceneGuard& operator=(const TSceneGuard&) = delete;

private:
    TDxDevice& device_;
    TDxSprite& sprite_;
};

} // namespace

QRect ViewportTargetRect(QSize viewport, bool keepAspect)
{
    if (!keepAspect || viewport.isEmpty())
        return QRect(QPoint(0, 0), viewport);
    QSize fitted(GameScreenWidth, GameScreenHeight);
    fitted.scale(viewport, Qt::KeepAspectRatio);
    return QRect(QPoint((viewport.width() - fitted.width()) / 2, (viewport.height() - fitted.height()) / 2), fitted);
}

TPerformanceCounter TPerformanceCounter::Steady()
{
    using namespace std::chrono;
    return {[] { return static_cast<int64_t>(steady_clock::now().time_since_epoch().count()); },
            static_cast<int64_t>(steady_clock::period::den / steady_clock::period::num)};
}

TRenderDevice::TRenderDevice(TFontManager& fonts, TClock& clock, TRenderCallbacks callbacks,
                             TPerformanceCounter counter)
    : fonts_(fonts), clock_(clock), callbacks_(std::move(callbacks)), counter_(std::move(counter)),
      mouseCursor_(clock)
{
    if (!counter_.read || counter_.frequency <= 0)
        throw EOSError(QStringLiteral("The high-resolution performance counter is not available."));
}

// No ReleaseDevice here: the layers and the font manager may already be gone
// when the window's members are destroyed, so shutdown calls it explicitly.
TRenderDevice::~TRenderDevice() = default;

void TRenderDevice::SetLayer(TLayerSlot slot, TGraphicObject* layer)
{
    layers_[static_cast<size_t>(slot)] = layer;
}

std::vector<TGraphicObject*> TRenderDevice::ResetOrder() const
{
    std::vector<TGraphicObject*> order;
    for (TLayerSlot slot : {TLayerSlot::Background, TLayerSlot::TextWindow, TLayerSlot::SelectionBox,
                            TLayerSlot::ScreenObjects, TLayerSlot::Characters, TLayerSlot::Overlay})
        if (TGraphicObject* layer = Layer(slot))
            order.push_back(layer);
    return order;
}

void TRenderDevice::Terminate() const
{
    if (callbacks_.requestTerminate)
        callbacks_.requestTerminate();
}

// ------------------------------------------------------- device lifetime

void TRenderDevice::ApplyMode(bool fullscreen)
{
    presentParams_.windowed = !fullscreen;
    if (callbacks_.applyWindowMode)
        callbacks_.applyWindowMode(fullscreen);
}

void TRenderDevice::CreateDevice(bool fullscreen)
{
    fullscreen_ = fullscreen;
    direct3D_ = CreateDirect3D(Direct3DVersion, shared_);
    if (!direct3D_)
        throw Exception(QStringLiteral("Cannot initialize DirectX"));
    try {
        BuildDevice();
    } catch (...) {
        device_.reset();
        direct3D_.reset();
        throw;
    }
    deviceReady_ = true;
    frameNeeded_ = true;
}

void TRenderDevice::BuildDevice()
{
    TDisplayMode mode;
    if (const TResult r = direct3D_->GetAdapterDisplayMode(0, mode); DxFailed(r))
        RaiseGeneral("Cannot retrieve adapter display mode", r);
    TDeviceCaps caps;
    if (const TResult r = direct3D_->GetDeviceCaps(0, caps); DxFailed(r))
        RaiseGeneral("Cannot retrieve device capabilities", r);
    presentParams_ = TPresentParams{renderSize_.width(), renderSize_.height(), !fullscreen_};
    ApplyMode(fullscreen_);
    if (const TResult r = direct3D_->CreateDevice(0, presentParams_, device_); DxFailed(r))
        RaiseGeneral("Cannot create Direct3D device", r);
    device_->SetPresentHandler(callbacks_.presented);
    try {
        CreateResources();
    } catch (...) {
        ReleaseResources();
        throw;
    }
}

void TRenderDevice::CreateResources()
{
    device_->ShowCursor(false);
    device_->SetAlphaBlend(true);
    if (const TResult r = TDxSprite::Create(device_, sprite_); DxFailed(r))
        RaiseGeneral("Cannot create sprite", r);
    fonts_.SetDevice(device_);
    fonts_.DeviceReset();
    for (const TDeviceClient& client : clients_) {
        if (client.setDevice)
            client.setDevice(device_);
        if (client.deviceReset)
            client.deviceReset();
    }
    std::vector<TGraphicObject*> order = ResetOrder();
    order.push_back(&mouseCursor_);
    for (TGraphicObject* layer : order) {
        layer->SetDevice(device_);
        layer->DeviceReset();
    }
    ApplyScale();
    debugFont_ = fonts_.GetFont(QStringLiteral("Arial"), 12, FontStyle::Bold);
    resourcesReady_ = true;
}

// The layers draw in game-screen units at a scale of 1; the device's view
// transform takes every draw, text included, to the back buffer's size.
void TRenderDevice::ApplyScale()
{
    for (TGraphicObject* layer : layers_)
        if (layer)
            layer->SetScale(1.0, 1.0);
    mouseCursor_.SetScale(1.0, 1.0);
    if (device_)
        device_->SetViewTransform(MatrixScaling(static_cast<double>(renderSize_.width()) / GameScreenWidth,
                                                static_cast<double>(renderSize_.height()) / GameScreenHeight));
}

void TRenderDevice::UseRenderSize(QSize size)
{
    if (size.isEmpty() || size == renderSize_)
        return;
    renderSize_ = size;
    presentParams_.backBufferWidth = size.width();
    presentParams_.backBufferHeight = size.height();
    if (device_)
        device_->ResizeBackBuffer(size);
    ApplyScale();
    frameNeeded_ = true;
}

QSize TRenderDevice::ViewportPixels() const
{
    const QRect target = ViewportTargetRect(viewportSize_, fullscreen_);
    return QSize(qRound(target.width() * devicePixelRatio_), qRound(target.height() * devicePixelRatio_));
}

void TRenderDevice::ReleaseResources()
{
    resourcesReady_ = false;
    mouseCursor_.DeviceLost();
    const std::vector<TGraphicObject*> order = ResetOrder();
    for (auto layer = order.rbegin(); layer != order.rend(); ++layer)
        (*layer)->DeviceLost();
    for (const TDeviceClient& client : clients_)
        if (client.deviceLost)
            client.deviceLost();
    fonts_.DeviceLost();
    debugFont_.reset();
    sprite_.reset();
}

void TRenderDevice::ReleaseDevice()
{
    ReleaseResources();
    device_.reset();
    direct3D_.reset();
    deviceReady_ = false;
}

bool TRenderDevice::TryRestoreDevice()
{
    if (!device_)
        return false;
    const TResult level = device_->TestCooperativeLevel();
    if (DxFailed(level) && level != DxResult::DeviceNotReset)
        return false;
    ReleaseResources();
    if (DxFailed(device_->Reset(presentParams_)) || !RecreateResources())
        return false;
    deviceReady_ = true;
    return true;
}

// After a reset: resources that cannot be made again (a picture deleted
// since it was loaded, no memory) leave nothing to draw with, so the failure
// is shown and the application ends rather than showing a dead viewport.
bool TRenderDevice::RecreateResources()
{
    try {
        CreateResources();
    } catch (const Exception& error) {
        ReleaseResources();
        if (callbacks_.showMessage)
            callbacks_.showMessage(QStringLiteral("Failed"), QStringLiteral("Cannot restore device. ")
                                   + error.ClassName() + QStringLiteral(": ") + error.Message());
        Terminate();
        return false;
    }
    frameNeeded_ = true;
    return true;
}

void TRenderDevice::SetFullscreen(bool on)
{
    if (on == fullscreen_)
        return;
    fullscreen_ = on;
    ApplyMode(on);
    if (!device_)
        return;
    ReleaseResources();
    if (const TResult r = device_->Reset(presentParams_); DxFailed(r)) {
        Terminate();
        RaiseD3DError(QStringLiteral("Device.Reset()"), r);
    }
    if (RecreateResources())
        UseRenderSize(ViewportPixels());  // full screen letterboxes: another target
}

// ------------------------------------------------------------------ frame

bool TRenderDevice::FrameNeeded() const
{
    if (!device_)
        return false;
    if (!deviceReady_)
        return true;
    return frameNeeded_ && resourcesReady_ && !repaintSuspended_;
}

uint32_t TRenderDevice::ClearColor() const
{
    const TGraphicObject* background = Layer(TLayerSlot::Background);
    if (background && background->Visible() && backgroundColor_)
        return ColorToD3D(backgroundColor_());
    return 0xFF000000u;
}

void TRenderDevice::RenderFrame()
{
    if (!deviceReady_) {
        if (!TryRestoreDevice()) {
            clock_.Pause(10);
            return;
        }
    }
    if (!resourcesReady_ || repaintSuspended_)
        return;
    const int64_t start = counter_.read();
    if (const TResult r = device_->Clear(ClearColor()); DxFailed(r))
        RaiseGeneral("Clear failed", r);
    if (const TResult r = device_->BeginScene(); DxFailed(r)) {
        Terminate();
        RaiseGeneral("BeginScene failed", r);
    }
    DrawScene();
    PresentFrame();
    lastRenderTicks_ = counter_.read() - start;
    averageRenderTicks_ = averageRenderTicks_ * 0.95 + lastRenderTicks_ * 0.05;
}

void TRenderDevice::DrawScene()
{
    TSceneGuard guard(*device_, *sprite_);
    sprite_->Begin(0);
    DrawLayers();
    if (mouseCursorShown_) {
        const QPoint game = ViewportToGame(mousePos_);
        mouseCursor_.DrawAt(*sprite_, game.x() - 2, game.y() - 2);
    }
    if (displayFps_)
        DrawFrameTime();
    sprite_->End();
    if (const TResult r = device_->EndScene(); DxFailed(r))
        RaiseGeneral("EndScene failed", r);
}

void TRenderDevice::DrawLayers()
{
    for (TGraphicObject* layer : layers_)
        if (layer)
            layer->Draw(*sprite_);
    // Everything is on screen now; a layer that still reports a change
    // afterwards really has a new one.
    for (TGraphicObject* layer : layers_)
        if (layer)
            layer->ClearChanged();
}

QString TRenderDevice::FrameTimeText() const
{
    const double frequency = static_cast<double>(counter_.frequency);
    const auto fps = static_cast<int64_t>(frequency / (averageRenderTicks_ + 1.0));
    const double seconds = std::round(averageRenderTicks_ / frequency * 10000.0) / 10000.0;
    QString time = QString::number(seconds, 'f', 4);
    while (time.endsWith(QLatin1Char('0')))
        time.chop(1);
    if (time.endsWith(QLatin1Char('.')))
        time.chop(1);
    time.replace(QLatin1Char('.'), QLocale().decimalPoint());
    return QStringLiteral("FPS: ") + QString::number(fps) + QStringLiteral(", TIME: ") + time;
}

void TRenderDevice::DrawFrameTime()
{
    TRect rect{0, 0, 1000, 1000};
    const int result = debugFont_ ? debugFont_->DrawText(sprite_.get(), FrameTimeText(), rect, 0, 0xFF0000FFu) : 0;
    if (result == 0)
        RaiseGeneral("DrawTextW failed", static_cast<TResult>(result));
}

void TRenderDevice::PresentFrame()
{
    const TResult r = device_->Present();
    if (r == DxResult::DeviceLost) {
        deviceReady_ = false;
        return;
    }
    if (DxFailed(r))
        RaiseGeneral("Present failed", r);
    lastFrame_ = device_->PresentedImage();
    frameNeeded_ = false;
}

// ------------------------------------------------------- mouse, viewport

void TRenderDevice::SetViewportSize(QSize size, double devicePixelRatio)
{
    // A minimised or collapsed viewport maps nothing; keep the last real size.
    if (size.isEmpty())
        return;
    viewportSize_ = size;
    devicePixelRatio_ = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    UseRenderSize(ViewportPixels());
}

QPoint TRenderDevice::ViewportToGame(QPoint point) const
{
    const QRect target = ViewportTargetRect(viewportSize_, fullscreen_);
    if (target.isEmpty())
        return point;
    const int64_t x = static_cast<int64_t>(point.x() - target.x()) * GameScreenWidth / target.width();
    const int64_t y = static_cast<int64_t>(point.y() - target.y()) * GameScreenHeight / target.height();
    return QPoint(static_cast<int>(x), static_cast<int>(y));
}

void TRenderDevice::SetMousePos(QPoint point)
{
    if (point == mousePos_)
        return;
    mousePos_ = point;
    if (mouseCursorShown_)
        frameNeeded_ = true;
}

void TRenderDevice::ShowMouseCursorPicture(bool on)
{
    mouseCursorShown_ = on;
    if (callbacks_.setCursorHidden)
        callbacks_.setCursorHidden(on);
    frameNeeded_ = true;
}

void TRenderDevice::ResumeRepaint()
{
    repaintSuspended_ = false;
    frameNeeded_ = true;
}

QImage TRenderDevice::GrabFrame()
{
    if (device_) {
        const QSize shown = renderSize_;
        UseRenderSize(QSize(GameScreenWidth, GameScreenHeight));
        Invalidate();
        RenderFrame();
        UseRenderSize(shown);
    }
    return PresentedImage();
}

bool TRenderDevice::SaveScreenshot(const QString& fileName)
{
    const QImage image = GrabFrame();
    return !image.isNull() && image.save(fileName, "PNG");
}
