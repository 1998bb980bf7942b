#pragma once

// Pictures and a stand-in sprite layer shared by the frame benchmarks.

#include "render/GraphicControls.h"

#include <QImage>
#include <QTemporaryDir>

namespace bench {

// A colourful picture, optionally with fully transparent 40-pixel side
// bands as character sprites have; saved under `name` in its format.
inline QString WritePicture(const QTemporaryDir& dir, const QString& name, int width, int height,
                            bool translucentEdges, int quality = -1)
{
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int alpha = translucentEdges && (x < 40 || x >= width - 40) ? 0 : 255;
            image.setPixel(x, y, qRgba(x * 255 / width, y * 255 / height, (x ^ y) & 0xFF, alpha));
        }
    const QString path = dir.filePath(name);
    image.save(path, nullptr, quality);
    return path;
}

// Three sprites side by side, drawn as the characters' layer draws them.
class TSpriteLayer : public TGraphicObject {
public:
    explicit TSpriteLayer(TClock& clock) : sprites{TDxPicture(clock), TDxPicture(clock), TDxPicture(clock)} {}
    void SetDevice(std::shared_ptr<TDxDevice> device) override
    {
        TGraphicObject::SetDevice(device);
        for (TDxPicture& sprite : sprites)
            sprite.SetDevice(device);
    }
    void Draw(TDxSprite& sprite) override
    {
        for (int i = 0; i < 3; ++i)
            sprites[i].DrawAt(sprite, 20 + i * 320, 168);
    }
    TDxPicture sprites[3];
};

} // namespace bench
