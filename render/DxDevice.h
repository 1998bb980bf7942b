#pragma once

// The graphics device layer: a small software stand-in for the device,
// textures, surfaces, sprite batch and fonts the drawables were written
// against. Everything draws into one QImage back buffer through QPainter; no
// other unit touches the back buffer directly.
//
// Calls report result codes instead of throwing, like the interface they
// replace, so the callers decide which message a failure becomes.

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QString>
#include <QTransform>

#include "render/ImageCache.h"

#include <array>
#include <cstdint>
#include <functional>
#include <vector>
#include <memory>
#include <optional>

using TResult = uint32_t;

namespace DxResult {
inline constexpr TResult Ok = 0;
inline constexpr TResult Fail = 0x80004005;
inline constexpr TResult OutOfMemory = 0x8007000E;
inline constexpr TResult DeviceLost = 0x88760868;
inline constexpr TResult DeviceNotReset = 0x88760869;
inline constexpr TResult NotAvailable = 0x8876086A;
inline constexpr TResult InvalidCall = 0x8876086C;
inline constexpr TResult InvalidData = 0x88760B59;
} // namespace DxResult

inline bool DxFailed(TResult result) { return (result & 0x80000000u) != 0; }

// Right and bottom are exclusive, as in the rectangles the drawables compute.
struct TRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool operator==(const TRect&) const = default;
};

// Every call that a test may make fail. A planned failure fires once.
enum class TDxCall {
    DisplayMode, DeviceCaps, CreateDevice, TestCooperativeLevel, Reset,
    Clear, BeginScene, EndScene, Present,
    CreateTexture, CreateSurface, UpdateSurface, LockRect, UnlockRect,
    CreateSprite, SpriteDraw, CreateFont, DrawText,
    Count
};

class TDxFaults {
public:
    void FailNext(TDxCall call, TResult code) { planned_[Index(call)] = code; }
    // The planned code for `call` (once), or Ok.
    TResult Take(TDxCall call);

private:
    static size_t Index(TDxCall call) { return static_cast<size_t>(call); }
    std::array<TResult, static_cast<size_t>(TDxCall::Count)> planned_{};
};

enum class TPool { Default, SystemMem };

struct TSurfaceDesc {
    int width = 0;
    int height = 0;
};

struct TLockedRect {
    int pitch = 0;       // bytes per row
    void* bits = nullptr; // first pixel of the locked rectangle, 32-bit ARGB
};

// Shared between a device and the resources it made: the planned failures,
// the count of default-pool resources, which must all be gone before a
// Reset can succeed (that is what makes DeviceLost handlers matter), and the
// decoded picture files, which outlive a Reset so that reloading every
// texture afterwards decodes nothing.
struct TDxShared {
    TDxFaults faults;
    int defaultPoolResources = 0;
    TImageCache images;
    // Transparent black pixels of the sizes surfaces were made in lately,
    // shared by every new surface of that size until it is written to: a
    // picture load makes two full-size surfaces only to overwrite them.
    QImage BlankPixels(int width, int height);
    std::vector<QImage> blanks;
};

// 32-bit ARGB pixels with straight alpha, 0xAARRGGBB in memory order.
class TDxSurface {
public:
    TDxSurface(int width, int height, std::shared_ptr<TDxShared> shared);

    TSurfaceDesc GetDesc() const { return {pixels_.width(), pixels_.height()}; }
    // `rect` null locks the whole surface.
    TResult LockRect(TLockedRect& out, const TRect* rect, bool readOnly);
    TResult UnlockRect();

    // For the device layer: the pixels as stored, and premultiplied for
    // drawing (converted once after each change).
    const QImage& Pixels() const { return pixels_; }
    void ReplacePixels(QImage image);
    // Nothing has been written since the surface was made: every pixel is 0.
    bool IsBlank() const { return blank_; }
    const QImage& DrawImage() const;
    // The one straight ARGB value of a small surface whose pixels all share
    // it (a tint, a line): drawn as a plain fill, which costs a fraction of
    // filtering a stretched texture.
    std::optional<QRgb> UniformColor() const;
    // `part` of the drawn pixels smoothly scaled to `size`, kept while the
    // same request comes again: made only when it is asked for a second
    // time in a row, so a size that changes every frame (a zoom under way)
    // costs no scaling on top of the draw. Null when not (yet) kept.
    const QImage* ScaledCopy(const QRect& part, QSize size) const;
    TDxShared& Shared() const { return *shared_; }

private:
    QImage pixels_;
    mutable QImage premultiplied_;
    mutable std::optional<QRgb> uniform_;
    mutable QImage scaled_;
    mutable QRect scaledPart_;
    mutable QSize scaledSize_;
    mutable bool premultipliedStale_ = true;
    bool locked_ = false;
    bool lockedForWrite_ = false;
    bool blank_ = true;
    std::shared_ptr<TDxShared> shared_;
};

class TDxTexture {
public:
    TDxTexture(int width, int height, int levels, TPool pool, std::shared_ptr<TDxShared> shared);
    ~TDxTexture();
    TDxTexture(const TDxTexture&) = delete;
    TDxTexture& operator=(const TDxTexture&) = delete;

    int LevelCount() const { return levels_; }
    TSurfaceDesc GetLevelDesc() const { return surface_.GetDesc(); }
    // Only level 0 holds pixels; the surface belongs to the texture.
    TResult GetSurfaceLevel(int level, TDxSurface*& out);
    const TDxSurface& Level0() const { return surface_; }

private:
    TDxSurface surface_;
    int levels_;
    TPool pool_;
    std::shared_ptr<TDxShared> shared_;
};

enum class TDeviceState { Operational, Lost, NotReset };

struct TPresentParams {
    int backBufferWidth = 0;
    int backBufferHeight = 0;
    bool windowed = true;
};

class TDxDevice {
public:
    TDxDevice(const TPresentParams& params, std::shared_ptr<TDxShared> shared);

    TResult TestCooperativeLevel();
    TResult Reset(const TPresentParams& params);
    void ShowCursor(bool show) { cursorShown_ = show; }
    bool CursorShown() const { return cursorShown_; }
    void SetAlphaBlend(bool on) { alphaBlend_ = on; }
    bool AlphaBlend() const { return alphaBlend_; }

    TResult Clear(uint32_t argb);
    TResult BeginScene();
    TResult EndScene();
    TResult Present();
    bool InScene() const { return inScene_; }

    TResult CreateTexture(int width, int height, int levels, TPool pool, std::unique_ptr<TDxTexture>& out);
    TResult CreateOffscreenPlainSurface(int width, int height, std::unique_ptr<TDxSurface>& out);
    // Copies `source` into `target` (same size) unchanged.
    TResult UpdateSurface(const TDxSurface& source, TDxSurface& target);

    // A back buffer of another size for the frames that follow; unlike a
    // Reset it keeps every resource (the software device can afford it).
    void ResizeBackBuffer(QSize size);
    QImage& BackBuffer() { return backBuffer_; }
    // Maps game-screen units onto the back buffer for every draw (identity
    // while the back buffer is the game screen itself). Drawing through one
    // transform scales text and pictures with their positions, so a larger
    // back buffer shows everything sharp and in proportion.
    void SetViewTransform(const QTransform& transform) { viewTransform_ = transform; }
    const QTransform& ViewTransform() const { return viewTransform_; }
    const QImage& BackBuffer() const { return backBuffer_; }
    // The picture the last successful Present showed (null before the first).
    const QImage& PresentedImage() const { return presented_; }
    void SetPresentHandler(std::function<void(const QImage&)> handler) { presentHandler_ = std::move(handler); }
    const TPresentParams& Params() const { return params_; }

    TDxFaults& Faults() { return shared_->faults; }
    TResult TakeFault(TDxCall call) { return shared_->faults.Take(call); }
    std::shared_ptr<TDxShared> Shared() const { return shared_; }
    int LiveDefaultPoolResources() const { return shared_->defaultPoolResources; }
    int ResetCount() const { return resetCount_; }

    // Test hook: Lost makes the next Present report the loss; NotReset means
    // a Reset would now succeed.
    void SimulateState(TDeviceState state) { state_ = state; }
    TDeviceState State() const { return state_; }

private:
    TPresentParams params_;
    std::shared_ptr<TDxShared> shared_;
    QImage backBuffer_;
    QTransform viewTransform_;
    QImage presented_;
    std::function<void(const QImage&)> presentHandler_;
    TDeviceState state_ = TDeviceState::Operational;
    bool inScene_ = false;
    bool cursorShown_ = true;
    bool alphaBlend_ = false;
    int resetCount_ = 0;
};

struct TDisplayMode {
    int width = 0;
    int height = 0;
};

struct TDeviceCaps {
    uint32_t vertexProcessingCaps = 0;
};

class TDirect3D {
public:
    explicit TDirect3D(std::shared_ptr<TDxShared> shared = std::make_shared<TDxShared>()) : shared_(std::move(shared)) {}
    TResult GetAdapterDisplayMode(int adapter, TDisplayMode& out);
    TResult GetDeviceCaps(int adapter, TDeviceCaps& out);
    TResult CreateDevice(int adapter, const TPresentParams& params, std::shared_ptr<TDxDevice>& out);
    TDxFaults& Faults() { return shared_->faults; }
    std::shared_ptr<TDxShared> Shared() const { return shared_; }

private:
    std::shared_ptr<TDxShared> shared_;
};

// The transform pieces the drawables hand to the sprite batch.
QTransform MatrixTransformation2D(double scaleX, double scaleY, double translateX, double translateY);
QTransform MatrixScaling(double scaleX, double scaleY);

class TDxSprite {
public:
    static TResult Create(const std::shared_ptr<TDxDevice>& device, std::unique_ptr<TDxSprite>& out);
    explicit TDxSprite(std::shared_ptr<TDxDevice> device);
    ~TDxSprite();

    TResult Begin(uint32_t flags);
    // `source` null draws the whole texture. The colour modulates the
    // texture: its alpha fades it, its RGB tints it.
    TResult Draw(const TDxTexture& texture, const TRect* source, QPointF position, uint32_t color);
    TResult SetTransform(const QTransform& transform);
    const QTransform& Transform() const { return transform_; }
    // The transform a draw goes through: the sprite's own, then the view's.
    QTransform PaintTransform() const;
    TResult End();
    bool IsOpen() const { return painter_.has_value(); }

    // For the font: the open batch's painter, or null outside Begin/End.
    QPainter* Painter();
    TDxDevice& Device() { return *device_; }

private:
    bool DrawScaledCopy(const TDxSurface& surface, const QRect& part, QPointF position);

    std::shared_ptr<TDxDevice> device_;
    std::optional<QPainter> painter_;
    QTransform transform_;
};

namespace DrawTextFormat {
inline constexpr uint32_t Left = 0x0;
inline constexpr uint32_t Top = 0x0;
inline constexpr uint32_t Center = 0x1;
inline constexpr uint32_t Right = 0x2;
inline constexpr uint32_t VCenter = 0x4;
inline constexpr uint32_t Bottom = 0x8;
inline constexpr uint32_t WordBreak = 0x10;
inline constexpr uint32_t SingleLine = 0x20;
inline constexpr uint32_t NoClip = 0x100;
inline constexpr uint32_t CalcRect = 0x400;
} // namespace DrawTextFormat

struct TFontDesc {
    int height = 0;  // negative: character height in pixels; positive: cell height
    int width = 0;
    int weight = 400;
    bool italic = false;
    QString faceName;
};

class TDxFont {
public:
    static TResult Create(const std::shared_ptr<TDxDevice>& device, const TFontDesc& desc, std::shared_ptr<TDxFont>& out);
    TDxFont(const std::shared_ptr<TDxDevice>& device, const TFontDesc& desc);

    // Draws the text (or with CalcRect only measures it, setting rect's
    // right and bottom); line breaks start new lines unless SingleLine is
    // given. Returns the text height, 0 on failure. Draws
    // into the sprite's batch (and transform) when one is given and open,
    // otherwise straight into the device's back buffer.
    int DrawText(TDxSprite* sprite, const QString& text, TRect& rect, uint32_t format, uint32_t color);

    const TFontDesc& Desc() const { return desc_; }
    const QFont& Font() const { return font_; }
    const QFontMetrics& Metrics() const { return metrics_; }

private:
    int TextHeight(const QString& text, bool singleLine) const;
    int Measure(const QString& text, TRect& rect, uint32_t format) const;
    void Paint(QPainter& painter, const QString& text, const TRect& rect, uint32_t format, uint32_t color) const;

    std::weak_ptr<TDxDevice> device_;
    TFontDesc desc_;
    QFont font_;
    QFontMetrics metrics_;
};

enum class TImageFileFormat { Unknown, Bmp, Jpg, Png, Other };

struct TImageInfo {
    int width = 0;
    int height = 0;
    int depth = 1;
    int mipLevels = 1;
    TImageFileFormat fileFormat = TImageFileFormat::Unknown;
};

// Reads only the header; a missing or unreadable file gives InvalidData.
TResult GetImageInfoFromFile(const QString& file, TImageInfo& out);
// Decodes the whole file into the top-left of `target`. Pixels whose ARGB
// equals `colorKey` (non-zero, so always with alpha 255) become transparent
// black; 0 means no key. A truncated file fails, and so does a file larger
// than any picture a texture can hold. A file unchanged since it was last
// decoded comes from the device's image cache.
TResult LoadSurfaceFromFile(TDxSurface& target, const QString& file, uint32_t colorKey);
