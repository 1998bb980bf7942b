#include "assets/ImageLoader.h"

#include "engine/FileSystem.h"
#include "engine/IntegerText.h"
#include "engine/StringUtils.h"
#include "engine/TextFile.h"
#include "render/TypeUtils.h"

#include <QFileInfo>

#include <algorithm>

namespace {

enum TSection { NoSection, SettingsSection, AliasesSection };

bool SameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QString SettingsError(const QString& name, const QString& problem)
{
    return QStringLiteral("Invalid image settings for file ") + name + QStringLiteral(": ") + problem;
}

// Frame width, frame height or speed: missing or empty is 0, anything else
// a count that is not negative.
int32_t ReadCount(const QStringList& fields, qsizetype index, const QString& name, const char* what)
{
    if (index >= fields.size() || fields[index].isEmpty())
        return 0;
    int32_t value = 0;
    if (!TryParseInteger(fields[index], value) || value < 0)
        throw EImageCodeError(SettingsError(name, QLatin1String(what) + fields[index] + u'.'));
    return value;
}

// The directory part of a name as the script wrote it, separator included.
QString DirectoryPart(const QString& name)
{
    const qsizetype slash = std::max(name.lastIndexOf(u'/'), name.lastIndexOf(u'\\'));
    return name.left(slash + 1);
}

} // namespace

TImageManager::TImageManager(const TClock& clock, TLogHandler onLog) : clock_(clock), onLog_(std::move(onLog)) {}

void TImageManager::Log(const QString& line) const
{
    if (onLog_)
        onLog_(line);
}

void TImageManager::SetFolder(const QString& folder)
{
    folder_ = folder;
    LoadImageCode();
}

void TImageManager::LoadImageCode()
{
    settings_.clear();
    aliases_.clear();
    const QString path = ResolvePathIgnoringCase(folder_ + QStringLiteral("_images.code"));
    if (!QFileInfo(path).isFile())
        return;
    int section = NoSection;
    for (const QString& line : ReadTextFileLines(path))
        ReadImageCodeLine(line, section);
}

void TImageManager::ReadImageCodeLine(const QString& raw, int& section)
{
    const QString line = TrimChar(raw, u' ');
    if (line.isEmpty())
        return;
    if (line.size() > 2 && line.startsWith(QStringLiteral("\\\\")))
        return;  // a comment; a line of just two backslashes is none
    if (line.size() >= 2 && line.startsWith(u'[') && line.endsWith(u']')) {
        section = SameName(line, QStringLiteral("[SETTINGS]")) ? SettingsSection
                : SameName(line, QStringLiteral("[ALIASES]")) ? AliasesSection
                : NoSection;
        return;
    }
    if (section == SettingsSection)
        ReadSettingsLine(line);
    else if (section == AliasesSection)
        ReadAliasLine(line);
}

// name,colorkey,framewidth,frameheight,animationspeed; the fields are taken
// as they stand, blanks included.
void TImageManager::ReadSettingsLine(const QString& line)
{
    const QStringList fields = SplitString(line, u',');
    if (fields.size() < 2)
        return;
    TImageSettings entry;
    entry.Name = fields[0];
    if (!fields[1].isEmpty() && !TryParseColor(fields[1], entry.ColorKey))
        throw EImageCodeError(SettingsError(entry.Name, u'"' + fields[1] + QStringLiteral("\" is not a color.")));
    entry.FrameWidth = ReadCount(fields, 2, entry.Name, "invalid frame width: ");
    entry.FrameHeight = ReadCount(fields, 3, entry.Name, "invalid frame height: ");
    entry.AnimationSpeed = ReadCount(fields, 4, entry.Name, "invalid animation speed: ");
    settings_.push_back(entry);
}

void TImageManager::ReadAliasLine(const QString& line)
{
    const QStringList parts = SplitString(line, u'=');
    if (parts.size() != 2)
        throw EImageCodeError(QStringLiteral("Invalid image alias line: \"") + line + QStringLiteral("\"."));
    aliases_.push_back({parts[0], parts[1]});
}

const TImageSettings* TImageManager::FindSettings(const QString& name) const
{
    for (const TImageSettings& entry : settings_)
        if (SameName(entry.Name, name))
            return &entry;
    return nullptr;
}

QString TImageManager::FindAlias(const QString& name) const
{
    for (const TImageAlias& alias : aliases_)
        if (SameName(alias.Name, name))
            return alias.FileName;
    return {};
}

QString TImageManager::ResolveImageFile(const QString& name) const
{
    if (const QString aliased = FindAlias(name); !aliased.isEmpty()) {
        if (!FileExistsIgnoringCase(folder_ + aliased))
            throw EResourceMissing(QStringLiteral("Aliased image file not found: \"") + aliased
                                   + QStringLiteral("\" (alias \"") + name + QStringLiteral("\")."));
        return aliased;
    }
    if (FileExistsIgnoringCase(folder_ + name))
        return name;
    const QString found = FindFileWithExtension(folder_ + name, PictureExtensions);
    if (found.isEmpty())
        throw EResourceMissing(QStringLiteral("Image file not found: \"") + name + QStringLiteral("\"."));
    // A name in a sub-folder keeps its folder: the file is found there again.
    return DirectoryPart(name) + QFileInfo(found).fileName();
}

TImageManager::TResolved TImageManager::Resolve(const QString& name) const
{
    const QString file = ResolveImageFile(name);
    const TImageSettings* entry = FindSettings(name);
    return {file, entry ? entry : FindSettings(file)};
}

// A picture without settings shows the whole file, without a transparent
// colour or frame timing left over from what it showed before.
void TImageManager::LoadResolved(const TResolved& image, TDxPicture& picture) const
{
    picture.SetColorKey(image.entry ? image.entry->ColorKey : NoColor);
    picture.LoadFromFile(folder_ + image.file);
    if (image.entry)
        ApplySettings(picture, *image.entry);
    else
        picture.SetFrameInterval(0);
}

std::unique_ptr<TDxPicture> TImageManager::LoadImage(const QString& name) const
{
    const TResolved image = Resolve(name);
    auto picture = std::make_unique<TDxPicture>(clock_);
    picture->SetDevice(device_);
    Log(QStringLiteral("Loading image ") + image.file + u'.');
    LoadResolved(image, *picture);
    picture->SetImageName(name);
    return picture;
}

void TImageManager::ReloadImage(const QString& name, TDxPicture& picture) const
{
    const TResolved image = Resolve(name);
    Log(QStringLiteral("Loading image ") + image.file + u'.');
    picture.Clear();
    LoadResolved(image, picture);
    picture.SetImageName(name);
}

void TImageManager::ApplySettings(TDxPicture& picture, const TImageSettings& entry)
{
    const int width = entry.FrameWidth > 0 ? entry.FrameWidth : picture.Width();
    const int height = entry.FrameHeight > 0 ? entry.FrameHeight : picture.Height();
    if (entry.FrameWidth > 0 || entry.FrameHeight > 0)
        picture.SetFrameSize(width, height);
    picture.SetFrameInterval(static_cast<uint32_t>(entry.AnimationSpeed));
}
