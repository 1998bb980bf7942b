// The images folder's settings file: any bytes as "_images.code", read as a
// story's loading reads it, then every name it declared looked up again.

#include "assets/ImageLoader.h"
#include "engine/Clock.h"
#include "support/FuzzEnvironment.h"

#include <QDir>
#include <QFile>

namespace {

const QString& ImagesFolder()
{
    static const QString folder = [] {
        const QString path = ScratchFolder() + QStringLiteral("/images/");
        QDir().mkpath(path);
        return path;
    }();
    return folder;
}

void WriteImageCode(const QByteArray& bytes)
{
    QFile file(ImagesFolder() + QStringLiteral("_images.code"));
    FuzzCheck(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size(),
              QStringLiteral("the scratch file can be written"));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    InitFuzzEnvironment();
    WriteImageCode(FuzzBytes(data, size));
    TVirtualClock clock;
    TImageManager images(clock);
    try {
        images.SetFolder(ImagesFolder());
    } catch (const Exception&) {
        // A malformed line ends the reading; what came before it stays.
    }
    for (const TImageSettings& entry : images.Settings()) {
        const TImageSettings* found = images.FindSettings(entry.Name);
        FuzzCheck(found && found->Name.compare(entry.Name, Qt::CaseInsensitive) == 0,
                  QStringLiteral("a declared image's settings are found by its name"));
    }
    for (const TImageAlias& alias : images.Aliases()) {
        FuzzCheck(!images.FindAlias(alias.Name).isNull(), QStringLiteral("a declared alias is found by its name"));
        try {
            images.ResolveImageFile(alias.Name);
        } catch (const Exception&) {
            // Aliased files are not there: the look-up reports it.
        }
    }
    return 0;
}
