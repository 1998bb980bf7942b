#pragma once

// Helpers over the device layer shared by every drawable: the error class,
// surface filling, texture creation from files, rectangle scaling.

#include "engine/Exceptions.h"
#include "render/DxDevice.h"

#include <memory>

KVT_DECLARE_EXCEPTION(ED3DError, Exception);

// The code as the messages print it: eight upper-case hexadecimal digits.
QString FormatResultCode(TResult code);
// "<operation> failed: <code>." and, for calls that give no code,
// "<operation> failed.".
[[noreturn]] void RaiseD3DError(const QString& operation, TResult code);
[[noreturn]] void RaiseD3DError(const QString& operation);
inline void CheckD3D(TResult result, const QString& operation)
{
    if (DxFailed(result))
        RaiseD3DError(operation, result);
}

inline constexpr uint32_t Direct3DVersion = 0x80000020;

// Each returns the result of the first failing call, or Ok. Rows and
// columns beyond the surface are never written.
TResult FillSurface(TDxSurface& surface, int width, int height, uint32_t value);
TResult FillRect(TDxSurface& surface, const TRect& rect, uint32_t value);
// A frame `lineWidth` pixels wide along the inside of `rect`; filled whole
// when the frame would meet itself.
TResult StrokeRect(TDxSurface& surface, const TRect& rect, uint32_t value, int lineWidth);
// Sets every pixel of level 0 to transparent black.
TResult ClearTexture(TDxDevice& device, TDxTexture& texture);
// A texture sized like the image, holding its pixels (colour key 0: none).
// On failure `texture` stays empty and `info` unchanged.
TResult LoadTexture(TDxDevice& device, const QString& fileName, uint32_t colorKey,
                    std::unique_ptr<TDxTexture>& texture, TImageInfo& info);
// Null for any other version than Direct3DVersion. `shared` lets a test plan
// failures of the devices it will make.
std::unique_ptr<TDirect3D> CreateDirect3D(uint32_t version, std::shared_ptr<TDxShared> shared = {});

// The factor from game-screen units (1024 x 768) to device pixels.
struct TScale {
    double x = 1.0;
    double y = 1.0;
};

// Rounded to the nearest integer, ties to even.
TRect ScaleRect(const TScale& scale, const TRect& rect);
TRect UnscaleRect(const TScale& scale, const TRect& rect);
int UnscaleX(const TScale& scale, int x);
int UnscaleY(const TScale& scale, int y);
