#include "render/FontUtils.h"

#include "engine/FileSystem.h"
#include "render/DirectXUtils.h"

#include <QDir>
#include <QFile>
#include <QFontDatabase>

#include <cstdlib>
#include <initializer_list>
#include <iterator>

namespace {

struct TSubstitute {
    const char* face;
    std::initializer_list<const char*> families;  // best first
};

// Faces scripts written for the other platform name all the time; each is
// drawn with the closest installed family. The metric-compatible faces come
// first: text laid out for the original keeps its line breaks only with the
// same advance widths (DejaVu is 15 to 26 % wider); DejaVu is the fallback.
const TSubstitute CommonFaces[] = {
    {"Lucida Sans Unicode", {"DejaVu Sans"}},
    {"Arial", {"Liberation Sans", "Arimo", "DejaVu Sans"}},
    {"Tahoma", {"DejaVu Sans"}},
    {"Verdana", {"DejaVu Sans"}},
    {"Courier New", {"Liberation Mono", "Cousine", "DejaVu Sans Mono"}},
    {"Times New Roman", {"Liberation Serif", "Tinos", "DejaVu Serif"}},
};

QString InstalledFamily(const QString& name)
{
    const QStringList families = QFontDatabase::families();
    for (const QString& family : families)
        if (family.compare(name, Qt::CaseInsensitive) == 0)
            return family;
    return {};
}

const TSubstitute* CommonFace(const QString& name)
{
    for (const TSubstitute& entry : CommonFaces)
        if (name.compare(QLatin1String(entry.face), Qt::CaseInsensitive) == 0)
            return &entry;
    return nullptr;
}

QString WhyNotLoaded(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return file.errorString();
    return QStringLiteral("The file is not a font file that can be installed.");
}

} // namespace

int MulDiv(int a, int b, int c)
{
    if (c == 0)
        return -1;
    const int64_t product = static_cast<int64_t>(a) * b;
    const int64_t half = std::abs(static_cast<int64_t>(c)) / 2;
    const bool negative = (product < 0) != (c < 0);
    const int64_t magnitude = (std::abs(product) + half) / std::abs(static_cast<int64_t>(c));
    return static_cast<int>(negative ? -magnitude : magnitude);
}

TFontManager::TFontManager(TLogHandler onLog) : onLog_(std::move(onLog)) {}

TFontManager::~TFontManager()
{
    ClearCache();
    UnloadFonts();
}

void TFontManager::Log(const QString& line) const
{
    if (onLog_)
        onLog_(line);
}

void TFontManager::LoadFonts(const QString& folder)
{
    const QString resolved = ResolvePathIgnoringCase(folder);
    const QDir dir(resolved);
    if (resolved.isEmpty() || !dir.exists())
        return;
    const QStringList entries = dir.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    for (const QString& entry : entries)
        RegisterFile(resolved, entry);
}

void TFontManager::RegisterFile(const QString& folder, const QString& entry)
{
    const QString path = folder + QLatin1Char('/') + entry;
    const int id = QFontDatabase::addApplicationFont(path);
    if (id < 0) {
        Log(QStringLiteral("Cannot load ") + entry + QStringLiteral(": ") + WhyNotLoaded(path));
        return;
    }
    fontFiles_.append(path);
    fontIds_.push_back(id);
    Log(QStringLiteral("Loaded font ") + entry + QStringLiteral("."));
}

void TFontManager::UnloadFonts()
{
    for (int id : fontIds_)
        QFontDatabase::removeApplicationFont(id);
    fontIds_.clear();
    fontFiles_.clear();
}

bool TFontManager::FontExists(const QString& name) const
{
    if (name.trimmed().isEmpty())
        return false;
    return CommonFace(name) || !InstalledFamily(name).isEmpty();
}

QString TFontManager::DrawnFamily(const QString& name)
{
    if (const QString installed = InstalledFamily(name); !installed.isEmpty())
        return installed;
    if (const TSubstitute* common = CommonFace(name)) {
        for (const char* family : common->families)
            if (const QString installed = InstalledFamily(QLatin1String(family)); !installed.isEmpty())
                return installed;
        return QLatin1String(*std::prev(common->families.end()));
    }
    return name;
}

void TFontManager::SetDevice(std::shared_ptr<TDxDevice> device)
{
    device_ = std::move(device);
    logPixelsY_ = 96;
}

std::shared_ptr<TDxFont> TFontManager::GetFont(const QString& name, int size, uint8_t style)
{
    style &= FontStyle::FontMask;
    for (const TCachedFont& cached : cache_)
        if (cached.size == size && cached.style == style && cached.name.compare(name, Qt::CaseInsensitive) == 0)
            return cached.font;

    TFontDesc desc;
    desc.height = -MulDiv(size, logPixelsY_, 72);
    desc.weight = (style & FontStyle::Bold) ? 700 : 400;
    desc.italic = (style & FontStyle::Italic) != 0;
    desc.faceName = DrawnFamily(name);
    std::shared_ptr<TDxFont> font;
    CheckD3D(TDxFont::Create(device_, desc, font), QStringLiteral("D3DXCreateFontW(") + name + QStringLiteral(")"));
    cache_.push_back({name, size, style, font});
    return font;
}

void TFontManager::ClearCache()
{
    while (!cache_.empty())
        cache_.pop_back();
}

TFontInfo TFontManager::MakeFontInfo(const QString& name, int size, uint8_t style, TColorValue color)
{
    return {name, size, style, color};
}

bool TFontManager::FontInfoDiffers(const TFontInfo& a, const TFontInfo& b)
{
    return a.name.compare(b.name, Qt::CaseInsensitive) != 0 || a.size != b.size
        || (a.style & FontStyle::FontMask) != (b.style & FontStyle::FontMask);
}
