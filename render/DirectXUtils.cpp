#include "render/DirectXUtils.h"

#include <algorithm>
#include <cmath>

QString FormatResultCode(TResult code)
{
    return QStringLiteral("%1").arg(code, 8, 16, QLatin1Char('0')).toUpper();
}

void RaiseD3DError(const QString& operation, TResult code)
{
    throw ED3DError(operation + QStringLiteral(" failed: ") + FormatResultCode(code) + QStringLiteral("."));
}

void RaiseD3DError(const QString& operation)
{
    throw ED3DError(operation + QStringLiteral(" failed."));
}

namespace {

// Writes `value` into the rows [top, bottom) and columns [left, right) of a
// locked rectangle whose first pixel is (0, 0) of `locked`.
void FillLocked(const TLockedRect& locked, int left, int top, int right, int bottom, uint32_t value)
{
    for (int y = top; y < bottom; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(static_cast<uchar*>(locked.bits) + static_cast<qsizetype>(y) * locked.pitch);
        std::fill(row + left, row + right, value);
    }
}

TRect ClampToSurface(const TDxSurface& surface, TRect rect)
{
    const TSurfaceDesc desc = surface.GetDesc();
    rect.left = std::max(rect.left, 0);
    rect.top = std::max(rect.top, 0);
    rect.right = std::min(rect.right, desc.width);
    rect.bottom = std::min(rect.bottom, desc.height);
    return rect;
}

int RoundHalfEven(double value)
{
    return static_cast<int>(std::nearbyint(value));
}

} // namespace

TResult FillSurface(TDxSurface& surface, int width, int height, uint32_t value)
{
    return FillRect(surface, TRect{0, 0, width, height}, value);
}

TResult FillRect(TDxSurface& surface, const TRect& rect, uint32_t value)
{
    const TRect r = ClampToSurface(surface, rect);
    if (r.Width() <= 0 || r.Height() <= 0)
        return DxResult::Ok;
    // Clearing a surface nothing was written to changes no pixel; the lock
    // is still taken, so a failing lock fails the fill as before.
    const bool changesNothing = value == 0 && surface.IsBlank();
    TLockedRect locked;
    if (const TResult result = surface.LockRect(locked, &r, changesNothing); DxFailed(result))
        return result;
    if (!changesNothing)
        FillLocked(locked, 0, 0, r.Width(), r.Height(), value);
    return surface.UnlockRect();
}

TResult StrokeRect(TDxSurface& surface, const TRect& rect, uint32_t value, int lineWidth)
{
    lineWidth = std::clamp(lineWidth, 0, 255);
    if (2 * lineWidth >= rect.Width() || 2 * lineWidth >= rect.Height())
        return FillRect(surface, rect, value);
    const int w = rect.Width(), h = rect.Height();
    const TRect bands[] = {
        {rect.left, rect.top, rect.right, rect.top + lineWidth},
        {rect.left, rect.bottom - lineWidth, rect.right, rect.bottom},
        {rect.left, rect.top + lineWidth, rect.left + lineWidth, rect.top + h - lineWidth},
        {rect.left + w - lineWidth, rect.top + lineWidth, rect.right, rect.top + h - lineWidth},
    };
    for (const TRect& band : bands)
        if (const TResult result = FillRect(surface, band, value); DxFailed(result))
            return result;
    return DxResult::Ok;
}

TResult ClearTexture(TDxDevice& device, TDxTexture& texture)
{
    TDxSurface* level = nullptr;
    if (const TResult result = texture.GetSurfaceLevel(0, level); DxFailed(result))
        return result;
    const TSurfaceDesc desc = texture.GetLevelDesc();
    std::unique_ptr<TDxSurface> scratch;
    if (const TResult result = device.CreateOffscreenPlainSurface(desc.width, desc.height, scratch); DxFailed(result))
        return result;
    if (const TResult result = FillSurface(*scratch, desc.width, desc.height, 0); DxFailed(result))
        return result;
    return device.UpdateSurface(*scratch, *level);
}

TResult LoadTexture(TDxDevice& device, const QString& fileName, uint32_t colorKey,
                    std::unique_ptr<TDxTexture>& texture, TImageInfo& info)
{
    texture.reset();
    TImageInfo read;
    std::unique_ptr<TDxTexture> created;
    TDxSurface* level = nullptr;
    TResult result = GetImageInfoFromFile(fileName, read);
    if (!DxFailed(result))
        result = device.CreateTexture(read.width, read.height, read.mipLevels, TPool::Default, created);
    if (!DxFailed(result))
        result = ClearTexture(device, *created);
    if (!DxFailed(result))
        result = created->GetSurfaceLevel(0, level);
    if (!DxFailed(result))
        result = LoadSurfaceFromFile(*level, fileName, colorKey);
    if (DxFailed(result))
        return result;
    texture = std::move(created);
    info = read;
    return DxResult::Ok;
}

std::unique_ptr<TDirect3D> CreateDirect3D(uint32_t version, std::shared_ptr<TDxShared> shared)
{
    if (version != Direct3DVersion)
        return nullptr;
    return std::make_unique<TDirect3D>(shared ? std::move(shared) : std::make_shared<TDxShared>());
}

TRect ScaleRect(const TScale& scale, const TRect& rect)
{
    return {RoundHalfEven(rect.left * scale.x), RoundHalfEven(rect.top * scale.y),
            RoundHalfEven(rect.right * scale.x), RoundHalfEven(rect.bottom * scale.y)};
}

TRect UnscaleRect(const TScale& scale, const TRect& rect)
{
    return {UnscaleX(scale, rect.left), UnscaleY(scale, rect.top),
            UnscaleX(scale, rect.right), UnscaleY(scale, rect.bottom)};
}

int UnscaleX(const TScale& scale, int x)
{
    return RoundHalfEven(x / scale.x);
}

int UnscaleY(const TScale& scale, int y)
{
    return RoundHalfEven(y / scale.y);
}
