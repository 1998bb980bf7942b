#pragma once

#include "render/DirectXUtils.h"

#include <QBuffer>
#include <QImage>

#include <memory>

#include "support/QtPrinters.h"

// A device with a back buffer of `width` x `height`, as the drawables see it.
inline std::shared_ptr<TDxDevice> MakeTestDevice(int width = 1024, int height = 768)
{
    std::shared_ptr<TDxDevice> device;
    TDirect3D direct3D;
    direct3D.CreateDevice(0, TPresentParams{width, height, true}, device);
    device->SetAlphaBlend(true);
    return device;
}

inline QByteArray EncodeImage(const QImage& image, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

// An opaque image whose pixel (x, y) has red x, green y and blue 7.
inline QImage Gradient(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgba(x & 0xFF, y & 0xFF, 7, 255));
    return image;
}

// The back buffer pixel as straight ARGB.
inline QRgb BackPixel(const TDxDevice& device, int x, int y)
{
    return qUnpremultiply(device.BackBuffer().pixel(x, y));
}
