#include "interpreter/DependencyScan.h"

#include "engine/KvtEngine.h"
#include "render/TypeUtils.h"

const std::array<TDependencyListInfo, 11> DependencyLists = {{
    {TDependencyList::Labels, u"#", false},
    {TDependencyList::RequiredLabels, u"Required #", false},
    {TDependencyList::MissingLabels, u"Missing #", true},
    {TDependencyList::DuplicateLabels, u"Duplicate #", true},
    {TDependencyList::Backgrounds, u"bg", false},
    {TDependencyList::MissingBackgrounds, u"Missing bg", true},
    {TDependencyList::Music, u"bgmusic", false},
    {TDependencyList::MissingMusic, u"Missing bgmusic", true},
    {TDependencyList::Sounds, u"sound/bgsound", false},
    {TDependencyList::MissingSounds, u"Missing sound/bgsound", true},
    {TDependencyList::Fonts, u"font", false},
}};

namespace {

bool IsKeyword(QStringView text, QStringView keyword)
{
    return text.compare(keyword, Qt::CaseInsensitive) == 0;
}

// A reference is filled in when the line runs, so what the line names
// cannot be known from its text.
bool IsBuiltAtRunTime(const QString& name)
{
    return name.contains(u'%');
}

// "bg" takes "none" and colours besides picture names.
bool IsBackgroundFile(const QString& name)
{
    TColorValue color = 0;
    return !IsKeyword(name, u"none") && !TryParseColor(name, color) && !IsBuiltAtRunTime(name);
}

bool IsMusicOrBgSoundFile(const QString& name)
{
    return !IsKeyword(name, u"silence") && !IsBuiltAtRunTime(name);
}

} // namespace

// ---------------------------------------------------------------- unique names

bool TUniqueNames::Add(const QString& name)
{
    const TFoldedKey key(name);
    if (!folded_.emplace(key.Key().toString(), true).second)
        return false;
    names_.append(name);
    return true;
}

bool TUniqueNames::Contains(QStringView name) const
{
    const TFoldedKey key(name);
    return folded_.find(key.Key()) != folded_.end();
}

void TDependencyScan::TAssetNames::Add(const QString& name, bool isFileName)
{
    Named.Add(name);
    if (isFileName)
        Files.Add(name);
}

// ---------------------------------------------------------------- scanning

TDependencyScan::TDependencyScan(const TKvtParser& parser)
    : generation_(parser.Generation()),
      imagesFolder_(parser.ImagesFolder()),
      musicFolder_(parser.MusicFolder()),
      soundFolder_(parser.SoundFolder())
{
    // Only label and command lines are decoded: a long story is mostly text.
    // One record is split into line after line, reusing its strings.
    TCmdData cmd;
    for (qsizetype i = 0; i < parser.LineCount(); ++i) {
        if (parser.LineStartsWith(i, QLatin1StringView("#")))
            ScanLabel(parser.Line(i));
        else if (parser.LineStartsWith(i, QLatin1StringView("@")))
            ScanCommand(parser.Line(i), cmd);
    }
}

void TDependencyScan::ScanLabel(const QString& line)
{
    const QString name = line.mid(1);
    if (!labels_.Add(name))
        duplicateLabels_.Add(name);
}

// Parameters are taken as written: references stay unexpanded.
void TDependencyScan::ScanCommand(const QString& line, TCmdData& cmd)
{
    ParseCommandLine(line, cmd);
    const TStringArray& params = cmd.Params;
    if (params.isEmpty())
        return;
    const QString& first = params[0];
    if (IsKeyword(cmd.Name, u"goto")) {
        requiredLabels_.Add(first);
    } else if (IsKeyword(cmd.Name, u"gotoif")) {
        if (params.size() >= 2)
            requiredLabels_.Add(params[1]);
    } else if (IsKeyword(cmd.Name, u"gotorandom")) {
        for (const QString& label : params)
            requiredLabels_.Add(label);
    } else if (IsKeyword(cmd.Name, u"bg")) {
        backgrounds_.Add(first, IsBackgroundFile(first));
    } else if (IsKeyword(cmd.Name, u"bgmusic")) {
        music_.Add(first, IsMusicOrBgSoundFile(first));
    } else if (IsKeyword(cmd.Name, u"bgsound")) {
        sounds_.Add(first, IsMusicOrBgSoundFile(first));
    } else if (IsKeyword(cmd.Name, u"sound")) {
        // "silence" is a keyword of "bgsound" only: here it names a file.
        sounds_.Add(first, !IsBuiltAtRunTime(first));
    } else if (IsKeyword(cmd.Name, u"font")) {
        fonts_.Add(first);
    }
}

// ---------------------------------------------------------------- lists

QStringList TDependencyScan::List(TDependencyList list) const
{
    switch (list) {
    case TDependencyList::Labels: return labels_.Names();
    case TDependencyList::RequiredLabels: return requiredLabels_.Names();
    case TDependencyList::MissingLabels: return MissingLabels();
    case TDependencyList::DuplicateLabels: return duplicateLabels_.Names();
    case TDependencyList::Backgrounds: return backgrounds_.Named.Names();
    case TDependencyList::MissingBackgrounds: return MissingFiles(backgrounds_, imagesFolder_, PictureExtensions);
    case TDependencyList::Music: return music_.Named.Names();
    case TDependencyList::MissingMusic: return MissingFiles(music_, musicFolder_, MusicExtensions);
    case TDependencyList::Sounds: return sounds_.Named.Names();
    case TDependencyList::MissingSounds: return MissingFiles(sounds_, soundFolder_, SoundExtensions);
    case TDependencyList::Fonts: return fonts_.Names();
    }
    return {};
}

QStringList TDependencyScan::MissingLabels() const
{
    QStringList missing;
    for (const QString& label : requiredLabels_.Names())
        if (!labels_.Contains(label) && !IsBuiltAtRunTime(label))
            missing.append(label);
    return missing;
}

// Looked up the way the commands look them up: the name with each of the
// extensions appended, letter case ignored.
QStringList TDependencyScan::MissingFiles(const TAssetNames& assets, const QString& folder,
                                          const QStringList& extensions)
{
    QStringList missing;
    for (const QString& name : assets.Files.Names())
        if (FindFileWithExtension(folder + name, extensions).isEmpty())
            missing.append(name);
    return missing;
}

// ---------------------------------------------------------------- report

TDependencyReport BuildDependencyReport(const TKvtParser& parser)
{
    const TDependencyScan scan(parser);
    TDependencyReport report;
    for (const TDependencyListInfo& info : DependencyLists) {
        const QStringList entries = scan.List(info.List);
        if (entries.isEmpty())
            continue;
        report.HasProblems = report.HasProblems || info.IsProblem;
        report.Text += info.Caption;
        report.Text += QStringLiteral(":\n");
        for (const QString& entry : entries)
            report.Text += QStringLiteral("  ") + entry + u'\n';
    }
    return report;
}
