#include "render/DxDevice.h"

#include "engine/FileSystem.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>

#include <algorithm>

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

// The largest texture, uncompressed, with room for headers: any bigger file
// is no picture we could show, and reading it whole could take gigabytes.
constexpr qint64 MaxTexturePixels = qint64(8192) * 8192;
constexpr qint64 MaxImageFileBytes = MaxTexturePixels * 4 + (qint64(1) << 20);

bool ReadAll(const QString& path, QByteArray& out)
{
    QFile input(path);
    if (!input.open(QIODevice::ReadOnly) || input.size() > MaxImageFileBytes)
        return false;
    out = input.readAll();
    return !out.isEmpty();
}

// A little-endian field of `bytes` bytes; false when the file ends first.
bool ReadField(const QByteArray& data, qsizetype offset, int bytes, uint32_t& out)
{
    if (offset + bytes > data.size())
        return false;
    out = 0;
    for (int i = bytes - 1; i >= 0; --i)
        out = (out << 8) | static_cast<uchar>(data[offset + i]);
    return true;
}

struct TBmpLayout {
    int64_t offBits = 0;
    int64_t width = 0;
    int64_t height = 0;
    int64_t bitsPerPixel = 0;
    uint32_t compression = 0;  // 0 in the old core header, which has none
    uint32_t imageSize = 0;
};

// The header types differ in size: the old core header holds 16-bit sizes,
// all later ones 32-bit sizes, with compression and data size from 20 and
// 24 header bytes on.
bool ReadBmpLayout(const QByteArray& data, TBmpLayout& out)
{
    uint32_t offBits = 0, headerSize = 0, width = 0, height = 0, bpp = 0;
    if (!ReadField(data, 10, 4, offBits) || !ReadField(data, 14, 4, headerSize))
        return false;
    out.offBits = offBits;
    if (headerSize == 12) {
        if (!ReadField(data, 18, 2, width) || !ReadField(data, 20, 2, height) || !ReadField(data, 24, 2, bpp))
            return false;
        out.width = width;
        out.height = height;
        out.bitsPerPixel = bpp;
        return true;
    }
    if (headerSize < 16 || !ReadField(data, 18, 4, width) || !ReadField(data, 22, 4, height)
        || !ReadField(data, 28, 2, bpp))
        return false;
    out.width = static_cast<int32_t>(width);
    out.height = std::abs(static_cast<int64_t>(static_cast<int32_t>(height)));
    out.bitsPerPixel = bpp;
    return (headerSize < 20 || ReadField(data, 30, 4, out.compression))
           && (headerSize < 24 || ReadField(data, 34, 4, out.imageSize));
}

// The decoders accept some cut-off files and fill the rest with grey or
// black; a truncated file is a broken file to us, so we check the two
// formats whose readers are that lenient.
bool BmpComplete(const QByteArray& data)
{
    TBmpLayout bmp;
    if (!ReadBmpLayout(data, bmp))
        return false;
    if (bmp.compression != 0 && bmp.compression != 3)  // run-length data: its own size field
        return data.size() >= bmp.offBits + int64_t(bmp.imageSize);
    const int64_t stride = ((bmp.width * bmp.bitsPerPixel + 31) / 32) * 4;
    return data.size() >= bmp.offBits + stride * bmp.height;
}

bool JpegComplete(const QByteArray& data)
{
    // Entropy-coded data never contains these marker pairs, so the picture
    // is whole when an end-of-image follows the last start-of-scan.
    const qsizetype lastScan = data.lastIndexOf("\xFF\xDA");
    const qsizetype end = data.lastIndexOf("\xFF\xD9");
    return lastScan >= 0 && end > lastScan;
}

uint32_t BigEndian32(const QByteArray& data, qsizetype offset)
{
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value = (value << 8) | static_cast<uchar>(data[offset + i]);
    return value;
}

// The PNG decoder allocates each chunk's stated length before reading it,
// so a few bytes claiming a 2 GB text chunk cost gigabytes and seconds. A
// chunk running past the end of the file is a cut-off file to us.
bool PngChunksFit(const QByteArray& data)
{
    constexpr qsizetype SignatureBytes = 8;
    constexpr qint64 FrameBytes = 12;  // length, type and checksum
    for (qsizetype offset = SignatureBytes; offset + 8 <= data.size();) {
        const qint64 length = BigEndian32(data, offset);
        if (length + FrameBytes > data.size() - offset)
            return false;
        if (data.sliced(offset + 4, 4) == "IEND")
            return true;
        offset += length + FrameBytes;
    }
    return true;
}

bool Complete(const QByteArray& data, TImageFileFormat format)
{
    switch (format) {
    case TImageFileFormat::Bmp: return BmpComplete(data);
    case TImageFileFormat::Jpg: return JpegComplete(data);
    case TImageFileFormat::Png: return PngChunksFit(data);
    default: return true;
    }
}

// Some decoders size their pixels by a field other than the one they
// announce (a GIF's screen height), so a few bytes could make hundreds of
// megabytes. The budget is the announced size at the widest pixel a decoder
// uses (16-bit RGBA), with room for small pictures, and never more than the
// largest texture needs.
int AllocationLimitMegabytes(const QSize& announced)
{
    const qint64 pixels = std::min(qint64(announced.width()) * announced.height(), MaxTexturePixels);
    return int((pixels * 8) >> 20) + 1;
}

TResult Decode(const QString& path, QImage& image, TImageInfo& info)
{
    QByteArray data;
    if (!ReadAll(path, data))
        return DxResult::InvalidData;
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QSize size = reader.size();
    if (size.isValid())
        reader.setAllocationLimit(AllocationLimitMegabytes(size));
    info.fileFormat = FormatOf(reader.format());
    if (!size.isValid() || size.isEmpty() || !Complete(data, info.fileFormat) || !reader.read(&image))
        return DxResult::InvalidData;
    info.width = image.width();
    info.height = image.height();
    info.depth = 1;
    info.mipLevels = 1;
    image = image.convertToFormat(QImage::Format_ARGB32);
    return DxResult::Ok;
}

// The file's pixels as 32-bit ARGB, decoded only when the cache has no
// picture of the file as it is now.
TResult DecodeCached(TImageCache& cache, const QString& file, QImage& image)
{
    const QString path = ResolvePathIgnoringCase(file);
    const TFileStamp stamp = StampOfFile(path);
    image = cache.Find(stamp);
    if (!image.isNull())
        return DxResult::Ok;
    TImageInfo info;
    if (const TResult result = Decode(path, image, info); DxFailed(result))
        return result;
    cache.Insert(stamp, image);
    return DxResult::Ok;
}

// Pixels of the key colour become transparent black. The image may be the
// cache's: it is copied only when a pixel has to change.
void ApplyColorKey(QImage& image, uint32_t colorKey)
{
    const int width = image.width();
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        const QRgb* first = std::find(line, line + width, colorKey);
        if (first == line + width)
            continue;
        // Asking for a writable line once per row, not per pixel: each ask
        // checks whether the cached picture must be copied first.
        auto* writable = reinterpret_cast<QRgb*>(image.scanLine(y));
        std::replace(writable + (first - line), writable + width, colorKey, QRgb(0));
    }
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
    if (const TResult result = DecodeCached(target.Shared().images, file, image); DxFailed(result))
        return result;
    const TSurfaceDesc desc = target.GetDesc();
    if (desc.width < image.width() || desc.height < image.height())
        return DxResult::InvalidCall;
    if (colorKey != 0)
        ApplyColorKey(image, colorKey);
    if (desc.width == image.width() && desc.height == image.height()) {
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
