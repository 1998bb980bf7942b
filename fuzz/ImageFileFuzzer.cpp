// Picture files: any bytes under each picture extension, through the path a
// story's images load by (reading the image information, the texture of
// that size, the decode with a colour key).

#include "render/DirectXUtils.h"
#include "render/TypeUtils.h"
#include "support/FuzzEnvironment.h"

#include <QFile>

namespace {

std::shared_ptr<TDxDevice> MakeDevice()
{
    std::shared_ptr<TDxDevice> device;
    TDirect3D direct3D;
    direct3D.CreateDevice(0, TPresentParams{64, 64, true}, device);
    FuzzCheck(device != nullptr, QStringLiteral("a device can be made"));
    return device;
}

QString WritePicture(const QByteArray& bytes, const QString& extension)
{
    const QString name = ScratchFolder() + QStringLiteral("/picture.") + extension;
    QFile file(name);
    FuzzCheck(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size(),
              QStringLiteral("the scratch file can be written"));
    return name;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    InitFuzzEnvironment();
    if (size == 0)
        return 0;
    static const std::shared_ptr<TDxDevice> device = MakeDevice();
    // The first byte picks the extension a story would find the file by,
    // and with it the decoder the loader trusts the bytes to.
    const QString& extension = PictureExtensions[data[0] % PictureExtensions.size()];
    const QString file = WritePicture(FuzzBytes(data + 1, size - 1), extension);
    std::unique_ptr<TDxTexture> texture;
    TImageInfo info;
    const uint32_t colorKey = size > 1 && (data[1] & 1) ? 0xFFFF00FFu : 0;
    if (DxFailed(LoadTexture(*device, file, colorKey, texture, info))) {
        FuzzCheck(!texture, QStringLiteral("a failed load leaves no texture"));
        return 0;
    }
    FuzzCheck(texture && info.width > 0 && info.height > 0 && info.width <= 8192 && info.height <= 8192,
              QStringLiteral("a loaded picture has a size a texture can hold"));
    const TSurfaceDesc desc = texture->GetLevelDesc();
    FuzzCheck(desc.width == info.width && desc.height == info.height,
              QStringLiteral("the texture has the size the image information gave"));
    return 0;
}
