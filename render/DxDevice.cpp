#include "render/DxDevice.h"

#include "engine/FileSystem.h"

#include <QFile>
#include <QImageReader>

#include <cmath>
#include <cstring>

TResult TDxFaults::Take(TDxCall call)
{
    const TResult code = planned_[Index(call)];
    planned_[Index(call)] = DxResult::Ok;
    return code;
}

// ---------------------------------------------------------------- surfaces

QImage TDxShared::BlankPixels(int width, int height)
{
    const QSize size(width, height);
    for (const QImage& blank : blanks)
        if (blank.size() == size)
            return blank;
    constexpr std::size_t KeptSizes = 4;
    if (blanks.size() == KeptSizes)
        blanks.erase(blanks.begin());
    QImage blank(size, QImage::Format_ARGB32);
    blank.fill(0);
    blanks.push_back(blank);
    return blank;
}

TDxSurface::TDxSurface(int width, int height, std::shared_ptr<TDxShared> shared)
    : pixels_(shared->BlankPixels(width, height)), shared_(std::move(shared))
{
}

TResult TDxSurface::LockRect(TLockedRect& out, const TRect* rect, bool readOnly)
{
    if (const TResult fault = shared_->faults.Take(TDxCall::LockRect))
        return fault;
    const TRect whole{0, 0, pixels_.width(), pixels_.height()};
    const TRect r = rect ? *rect : whole;
    if (locked_ || r.left < 0 || r.top < 0 || r.right > whole.right || r.bottom > whole.bottom
        || r.left >= r.right || r.top >= r.bottom)
        return DxResult::InvalidCall;
    // bits() detaches a shared image; constBits() keeps a read-only lock cheap.
    uchar* base = readOnly ? const_cast<uchar*>(pixels_.constBits()) : pixels_.bits();
    out.pitch = static_cast<int>(pixels_.bytesPerLine());
    out.bits = base + static_cast<qsizetype>(r.top) * out.pitch + static_cast<qsizetype>(r.left) * 4;
    locked_ = true;
    lockedForWrite_ = !readOnly;
    blank_ = blank_ && readOnly;
    return DxResult::Ok;
}

TResult TDxSurface::UnlockRect()
{
    if (const TResult fault = shared_->faults.Take(TDxCall::UnlockRect))
        return fault;
    if (!locked_)
        return DxResult::InvalidCall;
    locked_ = false;
    if (lockedForWrite_)
        premultipliedStale_ = true;
    return DxResult::Ok;
}

void TDxSurface::ReplacePixels(QImage image)
{
    pixels_ = std::move(image);
    blank_ = false;
    premultipliedStale_ = true;
}

namespace {

// Only small surfaces are looked at: the test costs a pass over the pixels.
constexpr int UniformTestPixels = 64 * 64;

std::optional<QRgb> SingleColorOf(const QImage& image)
{
    if (image.isNull() || image.width() * image.height() > UniformTestPixels)
        return std::nullopt;
    const QRgb first = image.pixel(0, 0);
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (line[x] != first)
                return std::nullopt;
    }
    return first;
}

} // namespace

const QImage& TDxSurface::DrawImage() const
{
    if (premultipliedStale_) {
        premultiplied_ = pixels_.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        uniform_ = SingleColorOf(pixels_);
        scaled_ = QImage();
        scaledPart_ = QRect();
        premultipliedStale_ = false;
    }
    return premultiplied_;
}

const QImage* TDxSurface::ScaledCopy(const QRect& part, QSize size) const
{
    const QImage& source = DrawImage();
    const bool repeated = part == scaledPart_ && size == scaledSize_;
    if (repeated && !scaled_.isNull())
        return &scaled_;
    scaledPart_ = part;
    scaledSize_ = size;
    scaled_ = QImage();
    if (!repeated)
        return nullptr;
    scaled_ = source.copy(part).scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return &scaled_;
}

std::optional<QRgb> TDxSurface::UniformColor() const
{
    DrawImage();
    return uniform_;
}

TDxTexture::TDxTexture(int width, int height, int levels, TPool pool, std::shared_ptr<TDxShared> shared)
    : surface_(width, height, shared), levels_(levels), pool_(pool), shared_(std::move(shared))
{
    if (pool_ == TPool::Default)
        ++shared_->defaultPoolResources;
}

TDxTexture::~TDxTexture()
{
    if (pool_ == TPool::Default)
        --shared_->defaultPoolResources;
}

TResult TDxTexture::GetSurfaceLevel(int level, TDxSurface*& out)
{
    if (level != 0)
        return DxResult::InvalidCall;
    out = &surface_;
    return DxResult::Ok;
}

// ------------------------------------------------------------------ device

TDxDevice::TDxDevice(const TPresentParams& params, std::shared_ptr<TDxShared> shared)
    : params_(params), shared_(std::move(shared)),
      backBuffer_(params.backBufferWidth, params.backBufferHeight, QImage::Format_ARGB32_Premultiplied)
{
    backBuffer_.fill(0xFF000000u);
}

TResult TDxDevice::TestCooperativeLevel()
{
    if (const TResult fault = TakeFault(TDxCall::TestCooperativeLevel))
        return fault;
    switch (state_) {
    case TDeviceState::Operational: return DxResult::Ok;
    case TDeviceState::Lost: return DxResult::DeviceLost;
    case TDeviceState::NotReset: return DxResult::DeviceNotReset;
    }
    return DxResult::Fail;
}

TResult TDxDevice::Reset(const TPresentParams& params)
{
    if (const TResult fault = TakeFault(TDxCall::Reset))
        return fault;
    if (state_ == TDeviceState::Lost)
        return DxResult::DeviceLost;
    // As with the real thing: every default-pool resource must be released
    // first, or the reset is refused.
    if (shared_->defaultPoolResources > 0 || inScene_)
        return DxResult::InvalidCall;
    params_ = params;
    if (backBuffer_.size() != QSize(params.backBufferWidth, params.backBufferHeight))
        backBuffer_ = QImage(params.backBufferWidth, params.backBufferHeight, QImage::Format_ARGB32_Premultiplied);
    state_ = TDeviceState::Operational;
    ++resetCount_;
    return DxResult::Ok;
}

void TDxDevice::ResizeBackBuffer(QSize size)
{
    params_.backBufferWidth = size.width();
    params_.backBufferHeight = size.height();
    if (backBuffer_.size() != size)
        backBuffer_ = QImage(size, QImage::Format_ARGB32_Premultiplied);
}

TResult TDxDevice::Clear(uint32_t argb)
{
    if (const TResult fault = TakeFault(TDxCall::Clear))
        return fault;
    backBuffer_.fill(qPremultiply(argb));
    return DxResult::Ok;
}

TResult TDxDevice::BeginScene()
{
    if (const TResult fault = TakeFault(TDxCall::BeginScene))
        return fault;
    if (inScene_)
        return DxResult::InvalidCall;
    inScene_ = true;
    return DxResult::Ok;
}

TResult TDxDevice::EndScene()
{
    if (const TResult fault = TakeFault(TDxCall::EndScene))
        return fault;
    if (!inScene_)
        return DxResult::InvalidCall;
    inScene_ = false;
    return DxResult::Ok;
}

TResult TDxDevice::Present()
{
    if (const TResult fault = TakeFault(TDxCall::Present))
        return fault;
    if (state_ != TDeviceState::Operational)
        return DxResult::DeviceLost;
    // The back buffer's content is undefined after a present (discard swap),
    // so the two buffers simply trade places.
    std::swap(presented_, backBuffer_);
    if (backBuffer_.size() != presented_.size())
        backBuffer_ = QImage(presented_.size(), QImage::Format_ARGB32_Premultiplied);
    if (presentHandler_)
        presentHandler_(presented_);
    return DxResult::Ok;
}

TResult TDxDevice::CreateTexture(int width, int height, int levels, TPool pool, std::unique_ptr<TDxTexture>& out)
{
    if (const TResult fault = TakeFault(TDxCall::CreateTexture))
        return fault;
    if (width <= 0 || height <= 0 || width > 8192 || height > 8192)
        return DxResult::InvalidCall;
    out = std::make_unique<TDxTexture>(width, height, levels, pool, shared_);
    return DxResult::Ok;
}

TResult TDxDevice::CreateOffscreenPlainSurface(int width, int height, std::unique_ptr<TDxSurface>& out)
{
    if (const TResult fault = TakeFault(TDxCall::CreateSurface))
        return fault;
    if (width <= 0 || height <= 0 || width > 8192 || height > 8192)
        return DxResult::InvalidCall;
    out = std::make_unique<TDxSurface>(width, height, shared_);
    return DxResult::Ok;
}

TResult TDxDevice::UpdateSurface(const TDxSurface& source, TDxSurface& target)
{
    if (const TResult fault = TakeFault(TDxCall::UpdateSurface))
        return fault;
    if (source.Pixels().size() != target.Pixels().size())
        return DxResult::InvalidCall;
    target.ReplacePixels(source.Pixels());
    return DxResult::Ok;
}

// --------------------------------------------------------------- Direct3D

TResult TDirect3D::GetAdapterDisplayMode(int adapter, TDisplayMode& out)
{
    if (const TResult fault = shared_->faults.Take(TDxCall::DisplayMode))
        return fault;
    if (adapter != 0)
        return DxResult::InvalidCall;
    out = {1024, 768};
    return DxResult::Ok;
}

TResult TDirect3D::GetDeviceCaps(int adapter, TDeviceCaps& out)
{
    if (const TResult fault = shared_->faults.Take(TDxCall::DeviceCaps))
        return fault;
    if (adapter != 0)
        return DxResult::InvalidCall;
    out.vertexProcessingCaps = 0;  // a software device
    return DxResult::Ok;
}

TResult TDirect3D::CreateDevice(int adapter, const TPresentParams& params, std::shared_ptr<TDxDevice>& out)
{
    if (const TResult fault = shared_->faults.Take(TDxCall::CreateDevice))
        return fault;
    if (adapter != 0 || params.backBufferWidth <= 0 || params.backBufferHeight <= 0)
        return DxResult::InvalidCall;
    out = std::make_shared<TDxDevice>(params, shared_);
    return DxResult::Ok;
}

// ---------------------------------------------------------------- matrices

QTransform MatrixTransformation2D(double scaleX, double scaleY, double translateX, double translateY)
{
    return QTransform(scaleX, 0, 0, scaleY, translateX, translateY);
}

QTransform MatrixScaling(double scaleX, double scaleY)
{
    return QTransform::fromScale(scaleX, scaleY);
}
