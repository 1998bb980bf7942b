#include "render/DxDevice.h"

#include "engine/FileSystem.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>

namespace {

TImageFileFormat FormatOf(const QByteArray& name)
{
    if (name == "bmp")
        return TImageFileFormat::Bmp;
    if (name == "jpeg" || name == "jpg")
        return TImageFileFormat::Jpg;
    if (name == "png")
        return TImageFileFormat::Png;
    return name.isEmpty() ? TImageFileFormat::Unknown : TImageFileFormat::Other;
}

bool ReadAll(const QString& file, QByteArray& out)
{
    QFile input(ResolvePathIgnoringCase(file));
    if (!input.open(QIODevice::ReadOnly))
        return false;
    out = input.readAll();
    return !out.isEmpty();
}

uint32_t LittleEndian32(const QByteArray& data, int offset)
{
    const auto* p = reinterpret_cast<const uchar*>(data.constData()) + offset;
    return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t(p[3]) << 24);
}

// The decoders accept some cut-off files and fill the rest with grey or
// black; a truncated file is a broken file to us, so we check the two
// formats whose readers are that lenient.
bool BmpComplete(const QByteArray& data)
{
    if (data.size() < 34)
        return false;
    const int64_t offBits = LittleEndian32(data, 10);
    const int64_t width = static_cast<int32_t>(LittleEndian32(data, 18));
    const int64_t height = std::abs(static_cast<int32_t>(LittleEndian32(data, 22)));
    const int64_t bpp = static_cast<uchar>(data[28]) | (static_cast<uchar>(data[29]) << 8);
    const uint32_t compression = LittleEndian32(data, 30);
    if (compression != 0 && compression != 3)  // run-length data: its own size field
        return data.size() >= offBits + int64_t(LittleEndian32(data, 34));
    const int64_t stride = ((width * bpp + 31) / 32) * 4;
    return data.size() >= offBits + stride * height;
}

bool JpegComplete(const QByteArray& data)
{
    // Entropy-coded data never contains these marker pairs, so the picture
    // is whole when an end-of-image follows the last start-of-scan.
    const qsizetype lastScan = data.lastIndexOf("\xFF\xDA");
    const qsizetype end = data.lastIndexOf("\xFF\xD9");
    return lastScan >= 0 && end > lastScan;
}

bool Complete(const QByteArray& data, TImageFileFormat format)
{
    switch (format) {
    case TImageFileFormat::Bmp: return BmpComplete(data);
    case TImageFileFormat::Jpg: return JpegComplete(data);
    default: return true;
    }
}

TResult Decode(const QString& file, QImage& image, TImageInfo& info)
{
    QByteArray data;
    if (!ReadAll(file, data))
        return DxResult::InvalidData;
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QSize size = reader.size();
    info.fileFormat = FormatOf(reader.format());
    if (!size.isValid() || size.isEmpty() || !Complete(data, info.fileFormat) || !reader.read(&image))
        return DxResult::InvalidData;
    info.width = image.width();
    info.height = image.height();
    info.depth = 1;
    info.mipLevels = 1;
    return DxResult::Ok;
}

} // namespace

TResult GetImageInfoFromFile(const QString& file, TImageInfo& out)
{
    QImageReader reader(ResolvePathIgnoringCase(file));
    const QSize size = reader.size();
    if (!reader.canRead() || !size.isValid() || size.isEmpty())
        return DxResult::InvalidData;
    out = TImageInfo{};
    out.width = size.width();
    out.height = size.height();
    out.fileFormat = FormatOf(reader.format());
    return DxResult::Ok;
}

TResult LoadSurfaceFromFile(TDxSurface& target, const QString& file, uint32_t colorKey)
{
    QImage image;
    TImageInfo info;
    if (const TResult result = Decode(file, image, info); DxFailed(result))
        return result;
    const TSurfaceDesc desc = target.GetDesc();
    if (desc.width < info.width || desc.height < info.height)
        return DxResult::InvalidCall;
    image = image.convertToFormat(QImage::Format_ARGB32);
    if (colorKey != 0) {
        for (int y = 0; y < image.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x)
                if (line[x] == colorKey)
                    line[x] = 0;
        }
    }
    if (desc.width == info.width && desc.height == info.height) {
        target.ReplacePixels(std::move(image));
        return DxResult::Ok;
    }
    QImage pixels = target.Pixels();
    QPainter painter(&pixels);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(0, 0, image);
    painter.end();
    target.ReplacePixels(std::move(pixels));
    return DxResult::Ok;
}
