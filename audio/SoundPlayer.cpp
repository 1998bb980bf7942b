#include "audio/SoundPlayer.h"

#include "audio/MusicDeck.h"
#include "engine/Exceptions.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <array>
#include <cstring>

namespace {

// Error codes of the table the messages use.
namespace Codes {
constexpr int InitFailed = 3;
constexpr int PlayFailed = 5;
constexpr int FileNotFound = 9;
constexpr int UnknownFormat = 10;
constexpr int LoadFailed = 11;
} // namespace Codes

constexpr int MixRate = 44100;
constexpr int SoftwareChannels = 32;
constexpr int MixBufferFrames = 1024;  // 23 ms: short enough that closing the device is quick too

int ToMixerVolume(int volume)
{
    return std::clamp(volume, 0, 255) * MIX_MAX_VOLUME / 255;
}

void SetChannelVolume(int channel, int volume)
{
    Mix_Volume(channel, ToMixerVolume(volume));
}

bool StartsWith(const std::array<char, 12>& head, size_t offset, const char* magic)
{
    return std::memcmp(head.data() + offset, magic, std::strlen(magic)) == 0;
}

// Tells the formats the decoders know by their first bytes, so a file that
// is no audio at all gets the same answer from every decoder.
int CheckAudioFile(const QByteArray& path)
{
    SDL_RWops* file = SDL_RWFromFile(path.constData(), "rb");
    if (file == nullptr)
        return Codes::FileNotFound;
    std::array<char, 12> head{};
    const size_t read = SDL_RWread(file, head.data(), 1, head.size());
    SDL_RWclose(file);
    if (read < head.size())
        return Codes::LoadFailed;
    const auto byte = [&head](size_t i) { return static_cast<unsigned char>(head[i]); };
    const bool known = (StartsWith(head, 0, "RIFF") && StartsWith(head, 8, "WAVE"))
                       || (StartsWith(head, 0, "FORM") && (StartsWith(head, 8, "AIFF") || StartsWith(head, 8, "AIFC")))
                       || StartsWith(head, 0, "OggS") || StartsWith(head, 0, "fLaC") || StartsWith(head, 0, "ID3")
                       || StartsWith(head, 0, "Creative")
                       || (byte(0) == 0xFF && (byte(1) & 0xE0) == 0xE0);  // an MPEG audio frame
    return known ? 0 : Codes::UnknownFormat;
}

// The music decoder's view of the file's header, or none when it refuses
// it: cheap even for a long piece and free of the mixer lock, so the command
// that names a broken file fails by itself. The piece then plays from it.
Mix_Music* ReadMusicHeader(const QByteArray& path)
{
    return Mix_LoadMUS_RW(SDL_RWFromFile(path.constData(), "rb"), 1);
}

bool OpenAudioDevice()
{
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return false;
    if (Mix_OpenAudio(MixRate, MIX_DEFAULT_FORMAT, 2, MixBufferFrames) == 0)
        return true;
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
}

} // namespace

// ---------------------------------------------------------------- mixer layer

class TSample {
public:
    explicit TSample(Mix_Chunk* chunk) : chunk_(chunk) {}
    ~TSample() { Mix_FreeChunk(chunk_); }  // halts any channel still playing it
    TSample(const TSample&) = delete;
    TSample& operator=(const TSample&) = delete;

    Mix_Chunk* Chunk() const { return chunk_; }

    uint32_t LengthMs() const
    {
        int frequency = MixRate;
        Uint16 format = MIX_DEFAULT_FORMAT;
        int channels = 2;
        Mix_QuerySpec(&frequency, &format, &channels);
        const uint64_t bytesPerSecond = uint64_t(frequency) * uint64_t(channels) * (SDL_AUDIO_BITSIZE(format) / 8);
        return bytesPerSecond == 0 ? 0 : uint32_t(uint64_t(chunk_->alen) * 1000 / bytesPerSecond);
    }

private:
    Mix_Chunk* chunk_;
};

// ---------------------------------------------------------------- player

TSoundPlayer::TSoundPlayer(TClock& clock, TLog log) : clock_(clock), log_(std::move(log))
{
    if (!OpenAudioDevice()) {
        const QString reason = QString::fromUtf8(SDL_GetError());
        SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
        if (!OpenAudioDevice()) {
            lastError_ = Codes::InitFailed;
            RaiseLastFmodError(QStringLiteral("Cannot initialize sound!"));
        }
        if (log_)
            log_(QStringLiteral("Sound: no audio device (%1); the story plays without sound.").arg(reason));
    }
    Mix_Init(MIX_INIT_OGG | MIX_INIT_MP3 | MIX_INIT_FLAC);
    Mix_AllocateChannels(SoftwareChannels);
    deck_ = std::make_unique<TMusicDeck>(MixBufferFrames);
}

TSoundPlayer::~TSoundPlayer()
{
    // Everything that holds mixer data goes before the mixer does, the music
    // once the mixer thread no longer looks at it.
    deck_->Close();
    Music.reset();
    FadingMusic.reset();
    deck_.reset();
    BgSoundSample.reset();
    EffectSample.reset();
    Mix_CloseAudio();
    Mix_Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

std::unique_ptr<TMusicStream> TSoundPlayer::OpenStream(const QString& file)
{
    const QByteArray path = file.toUtf8();
    lastError_ = CheckAudioFile(path);
    if (lastError_ != 0)
        return nullptr;
    Mix_Music* header = ReadMusicHeader(path);
    if (header == nullptr) {
        lastError_ = Codes::LoadFailed;
        return nullptr;
    }
    return std::make_unique<TMusicStream>(*deck_, path, header);
}

void TSoundPlayer::Retire(std::unique_ptr<TMusicStream> stream)
{
    deck_->Retire(std::move(stream));
}

void TSoundPlayer::PublishMusic()
{
    deck_->Publish(Music.get(), FadingMusic.get());
}

std::unique_ptr<TSample> TSoundPlayer::LoadSample(const QString& file)
{
    const QByteArray path = file.toUtf8();
    lastError_ = CheckAudioFile(path);
    if (lastError_ != 0)
        return nullptr;
    Mix_Chunk* chunk = Mix_LoadWAV_RW(SDL_RWFromFile(path.constData(), "rb"), 1);
    if (chunk == nullptr) {
        lastError_ = Codes::LoadFailed;
        return nullptr;
    }
    return std::make_unique<TSample>(chunk);
}

void TSoundPlayer::PlayMusic(const QString& file, int volume, uint32_t fadeMs)
{
    std::unique_ptr<TMusicStream> opened;
    if (!file.isEmpty()) {
        opened = OpenStream(file);
        if (!opened)
            RaiseLastFmodError(QStringLiteral("Cannot load \"") + file + QStringLiteral("\"."));
    }
    Retire(std::move(FadingMusic));
    if (Music && fadeMs > 0) {
        // The old piece keeps sounding on its channel, which now fades.
        FadingMusic = std::move(Music);
        FadingVolume = MusicVolume;
        std::swap(MusicChannel, FadingChannel);
        FadeOutRemaining = fadeMs;
    }
    Retire(std::move(Music));
    MusicFile = opened ? file : QString();
    if (opened) {
        MusicTargetVolume = uint8_t(std::clamp(volume, 0, 255));
        MusicFadeRemaining = fadeMs;
        MusicVolume = fadeMs > 0 ? 0.0f : float(MusicTargetVolume);
        Music = std::move(opened);
        Music->SetVolume(MusicMixerVolume(MusicVolume));
        // The piece that fades out keeps the mixer's stream; this one begins
        // beside it and takes the stream over when that one is done.
        Music->Start(MusicChannel, FadingMusic ? fadeMs : 0);
    }
    PublishMusic();
}

void TSoundPlayer::SetMusicVolume(int volume, uint32_t timeMs)
{
    MusicTargetVolume = uint8_t(std::clamp(volume, 0, 255));
    MusicFadeRemaining = timeMs;
    if (timeMs == 0)
        MusicVolume = MusicTargetVolume;
    if (Music)
        Music->SetVolume(MusicMixerVolume(MusicVolume));
}

void TSoundPlayer::Update()
{
    const uint32_t now = clock_.TickCount();
    const uint32_t elapsed = LastTick == 0 ? 0 : now - LastTick;
    deck_->FreeReleased();
    if (Music)
        UpdateMusicFade(elapsed);
    if (FadingMusic)
        UpdateFadeOut(elapsed);
    LastTick = now;
}

// Each step moves the volume the fraction elapsed / remaining of the way to
// its goal, so the ramp is linear in time however the frames fall.
void TSoundPlayer::UpdateMusicFade(uint32_t elapsed)
{
    if (MusicFadeRemaining == 0)
        return;
    if (elapsed > MusicFadeRemaining)
        MusicVolume = MusicTargetVolume;
    else
        MusicVolume += (float(MusicTargetVolume) - MusicVolume) * float(elapsed) / float(MusicFadeRemaining);
    Music->SetVolume(MusicMixerVolume(MusicVolume));
    MusicFadeRemaining = elapsed < MusicFadeRemaining ? MusicFadeRemaining - elapsed : 0;
}

void TSoundPlayer::UpdateFadeOut(uint32_t elapsed)
{
    if (FadeOutRemaining > 0 && FadeOutRemaining >= elapsed) {
        FadingVolume -= float(elapsed) * FadingVolume / float(FadeOutRemaining);
        FadingMusic->SetVolume(MusicMixerVolume(FadingVolume));
    } else {
        FadingVolume = 0;
        Retire(std::move(FadingMusic));
        PublishMusic();
    }
    FadeOutRemaining = elapsed < FadeOutRemaining ? FadeOutRemaining - elapsed : 0;
}

void TSoundPlayer::PlayBgSound(const QString& file, bool once, int volume)
{
    BgSoundFile.clear();
    if (file.isEmpty()) {
        BgSoundSample.reset();  // freeing the sample stops its channel
        return;
    }
    PlaySample(BgSoundSample, BgSoundChannel, file, !once, volume);
    BgSoundFile = file;
    BgSoundLoop = !once;
    BgSoundVolume = std::clamp(volume, 0, 255);
}

void TSoundPlayer::SetBgSoundVolume(int volume)
{
    SetScriptChannelVolume(BgSoundChannel, volume);
    BgSoundVolume = std::clamp(volume, 0, 255);
}

int TSoundPlayer::MusicMixerVolume(float volume) const
{
    return ToMixerVolume(int(volume) * readerMusic_ / 255);
}

void TSoundPlayer::SetScriptChannelVolume(int channel, int volume)
{
    volume = std::clamp(volume, 0, 255);
    const bool effect = channel == EffectChannel;
    (effect ? effectVolume_ : bgSoundVolume_) = volume;
    SetChannelVolume(channel, volume * (effect ? readerEffects_ : readerBgSound_) / 255);
}

void TSoundPlayer::SetReaderVolumes(int music, int bgSound, int effects)
{
    readerMusic_ = std::clamp(music, 0, 255);
    readerBgSound_ = std::clamp(bgSound, 0, 255);
    readerEffects_ = std::clamp(effects, 0, 255);
    if (Music)
        Music->SetVolume(MusicMixerVolume(MusicVolume));
    if (FadingMusic)
        FadingMusic->SetVolume(MusicMixerVolume(FadingVolume));
    SetScriptChannelVolume(BgSoundChannel, bgSoundVolume_);
    SetScriptChannelVolume(EffectChannel, effectVolume_);
}

void TSoundPlayer::PlaySound(const QString& file, int volume)
{
    PlaySample(EffectSample, EffectChannel, file, false, volume);
    effectStartTick_ = clock_.TickCount();
    effectStopped_ = false;
}

// The new sample takes the place of the slot's old one; when it cannot be
// played, the slot is left empty.
void TSoundPlayer::PlaySample(std::unique_ptr<TSample>& slot, int channel, const QString& file, bool loop,
                              int volume)
{
    std::unique_ptr<TSample> sample = LoadSample(file);
    if (!sample)
        RaiseLastFmodError(QStringLiteral("Cannot load \"") + file + QStringLiteral("\"."));
    slot.reset();
    SetScriptChannelVolume(channel, volume);
    if (Mix_PlayChannel(channel, sample->Chunk(), loop ? -1 : 0) < 0)
        RaiseFmodError(QStringLiteral("Cannot play \"") + file + QStringLiteral("\"."), Codes::PlayFailed);
    slot = std::move(sample);
}

void TSoundPlayer::StopSound()
{
    Mix_HaltChannel(EffectChannel);
    effectStopped_ = true;
}

bool TSoundPlayer::IsSoundPlaying() const
{
    if (!clock_.IsVirtual())
        return ChannelPlaying(EffectChannel);
    return EffectSample && !effectStopped_ && clock_.TickCount() - effectStartTick_ < EffectSample->LengthMs();
}

int TSoundPlayer::MixerChannelVolume(int channel)
{
    return Mix_Volume(channel, -1);
}

int TSoundPlayer::MixerMusicVolume(int channel) const
{
    const TMusicStream* piece = channel == MusicChannel ? Music.get() : channel == FadingChannel ? FadingMusic.get() : nullptr;
    return piece != nullptr ? piece->Volume() : 0;
}

bool TSoundPlayer::ChannelPlaying(int channel)
{
    return Mix_Playing(channel) != 0;
}

// ---------------------------------------------------------------- errors

void TSoundPlayer::RaiseFmodError(const QString& text, int code)
{
    throw Exception(text + QStringLiteral(" FMOD error ") + QString::number(code) + QStringLiteral(". ")
                    + FmodErrorText(code) + u'.');
}

void TSoundPlayer::RaiseLastFmodError(const QString& text) const
{
    RaiseFmodError(text, lastError_);
}

QString TSoundPlayer::FmodErrorText(int code)
{
    static const char* const texts[] = {
        "No errors",
        "Cannot call this command after FSOUND_Init. Call FSOUND_Close first",
        "This command failed because FSOUND_Init was not called",
        "Error initializing output device",
        "Error initializing output device, but more specifically, the output device is already in use and "
        "cannot be reused",
        "Playing the sound failed",
        "Soundcard does not support the features needed for this soundsystem (16bit stereo output)",
        "Error setting cooperative level for hardware",
        "Error creating hardware sound buffer",
        "File not found",
        "Unknown file format",
        "Error loading file",
        "Not enough memory or resources",
        "The version number of this file format is not supported",
        "An invalid parameter was passed to this function",
        "Tried to use an EAX command on a non EAX enabled channel or output",
        "Failed to allocate a new channel",
        "Recording is not supported on this machine",
        "Windows Media Player not installed so cannot play wma or use internet streaming",
        "An error occured trying to open the specified CD device",
    };
    if (code < 0 || size_t(code) >= std::size(texts))
        return QStringLiteral("Unknown error");
    return QString::fromLatin1(texts[code]);
}
