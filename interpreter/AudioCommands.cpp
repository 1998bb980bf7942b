#include "interpreter/AudioCommands.h"

#include "audio/SoundPlayer.h"
#include "engine/IntegerText.h"
#include "engine/KvtEngine.h"
#include "interpreter/DriverWaits.h"
#include "interpreter/MissingFiles.h"
#include "render/TypeUtils.h"

#include <algorithm>

namespace {

constexpr int DefaultMusicVolume = 100;
constexpr int DefaultBgSoundVolume = 255;
constexpr int DefaultEffectVolume = 200;
constexpr uint32_t DefaultEffectWait = 500;
constexpr uint32_t WaitUntilEffectEnds = 2147483647;
constexpr int FadeKeywordMs = 1000;

bool IsSilence(const QString& file)
{
    return file.compare(u"silence", Qt::CaseInsensitive) == 0;
}

// A fade or volume time: exactly "fade" (letter case matters) is one second,
// otherwise an interval. Zero or less is at once: handed on as an unsigned
// time, -1 would be a fade of 49 days.
uint32_t ParseFade(const TCmdData& cmd, const QString& what)
{
    const QString& text = cmd.Params[1];
    if (text == u"fade")
        return FadeKeywordMs;
    int ms = 0;
    if (!TryParseInterval(text, ms))
        RaiseInvalidValue(cmd, what, text);
    return uint32_t(std::max(ms, 0));
}

// The volume in the third parameter when it is there and not empty.
int ParseOptionalVolume(const TCmdData& cmd, int volume)
{
    if (cmd.Params.size() > 2 && !cmd.Params[2].isEmpty() && !TryParseVolume(cmd.Params[2], volume))
        RaiseInvalidParam(cmd, QStringLiteral("volume"), 2);
    return volume;
}

int ParseFirstVolume(const TCmdData& cmd)
{
    RequireParam(cmd, QStringLiteral("volume"));
    int volume = 0;
    if (!TryParseVolume(cmd.Params[0], volume))
        RaiseInvalidParam(cmd, QStringLiteral("volume"), 0);
    return volume;
}

// The second parameter of "bgsound" and "sound": empty or the one keyword
// the command knows (any letter case).
bool ParseEffectKeyword(const TCmdData& cmd, QStringView keyword)
{
    if (cmd.Params.size() < 2 || cmd.Params[1].isEmpty())
        return false;
    if (cmd.Params[1].compare(keyword, Qt::CaseInsensitive) != 0)
        RaiseInvalidValue(cmd, QStringLiteral("effect"), cmd.Params[1]);
    return true;
}

uint32_t ParseEffectWait(const TCmdData& cmd)
{
    if (cmd.Params.size() < 4)
        return DefaultEffectWait;
    const QString& text = cmd.Params[3];
    int32_t ms = 0;
    if (TryParseInteger(text, ms))
        return uint32_t(ms);
    if (text.compare(u"waitend", Qt::CaseInsensitive) == 0)
        return WaitUntilEffectEnds;
    if (text.compare(u"nowait", Qt::CaseInsensitive) == 0)
        return 0;
    RaiseInvalidValue(cmd, QStringLiteral("wait parameter"), text);
}

QString PlayingLine(const QString& what, const QString& file, int volume)
{
    return QStringLiteral("Playing ") + what + QStringLiteral(" \"") + file + QStringLiteral("\", vol=")
           + QString::number(volume) + u'.';
}

} // namespace

void TAudioCommands::Log(const QString& message) const
{
    if (log_)
        log_(message);
}

// The file's path, or empty once a missing file has been reported.
QString TAudioCommands::FindAsset(const QString& folder, const QString& file, const QStringList& extensions,
                                  const QString& kind) const
{
    const QString path = FindFileWithExtension(folder + file, extensions);
    if (path.isEmpty())
        missing_.ReportMissingFile(kind, file);
    return path;
}

CommandResult TAudioCommands::CmdBgMusic(const TCmdData& cmd)
{
    RequireParam(cmd, QStringLiteral("file"));
    const uint32_t fade = cmd.Params.size() > 1 ? ParseFade(cmd, QStringLiteral("interval")) : 0;
    const QString& file = cmd.Params[0];
    if (IsSilence(file)) {
        sound_.PlayMusic(QString(), 0, fade);
        return WaitStates::Run;
    }
    const int volume = ParseOptionalVolume(cmd, DefaultMusicVolume);
    const QString path = FindAsset(parser_.MusicFolder(), file, MusicExtensions, QStringLiteral("BgMusic"));
    if (!path.isEmpty())
        sound_.PlayMusic(path, volume, fade);
    return WaitStates::Run;
}

CommandResult TAudioCommands::CmdBgMusicVol(const TCmdData& cmd)
{
    const int volume = ParseFirstVolume(cmd);
    const uint32_t time = cmd.Params.size() > 1 ? ParseFade(cmd, QStringLiteral("time")) : 0;
    sound_.SetMusicVolume(volume, time);
    return WaitStates::Run;
}

CommandResult TAudioCommands::CmdBgSound(const TCmdData& cmd)
{
    RequireParam(cmd, QStringLiteral("file"));
    const QString& file = cmd.Params[0];
    if (IsSilence(file)) {
        sound_.PlayBgSound(QString(), false, 0);
        return WaitStates::Run;
    }
    const bool once = ParseEffectKeyword(cmd, u"once");
    const int volume = ParseOptionalVolume(cmd, DefaultBgSoundVolume);
    Log(PlayingLine(QStringLiteral("bgsound"), file, volume));
    const QString path = FindAsset(parser_.SoundFolder(), file, SoundExtensions, QStringLiteral("BgSound"));
    if (!path.isEmpty())
        sound_.PlayBgSound(path, once, volume);
    return WaitStates::Run;
}

CommandResult TAudioCommands::CmdBgSoundVol(const TCmdData& cmd)
{
    sound_.SetBgSoundVolume(ParseFirstVolume(cmd));
    return WaitStates::Run;
}

CommandResult TAudioCommands::CmdSound(const TCmdData& cmd)
{
    RequireParam(cmd, QStringLiteral("file"));
    const bool cut = ParseEffectKeyword(cmd, u"cut");
    const int volume = ParseOptionalVolume(cmd, DefaultEffectVolume);
    const uint32_t wait = ParseEffectWait(cmd);
    const QString& file = cmd.Params[0];
    Log(PlayingLine(QStringLiteral("sound"), file, volume));
    const QString path = FindAsset(parser_.SoundFolder(), file, SoundExtensions, QStringLiteral("Sound"));
    if (path.isEmpty())
        return WaitStates::Run;
    sound_.PlaySound(path, volume);
    waits_.SetSoundWait(wait, cut);
    return WaitStates::SoundEnd;
}
