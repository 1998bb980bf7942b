#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QImage>

// A PNG file's bytes: one colour all over, opaque unless the colour says not.
inline QByteArray PngBytes(int width, int height, QRgb color = 0xFF336699u)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "png");
    return bytes;
}
