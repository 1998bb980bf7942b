#pragma once

#include "engine/Clock.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

// A music piece, the mixer's music stream the pieces share, and a decoded
// sample; all live in the mixer layer.
class TMusicStream;
class TMusicDeck;
class TSample;

// Plays the story's audio on fixed mixer channels: background music on 9 and
// 10 (they swap roles at every cross-fade, so both pieces can sound at once;
// a piece mostly plays on the mixer's music stream, see TMusicStream), the
// background sound on 0 and the sound effects on 8. Volumes are 0..255.
// Only the main thread calls it; the mixer mixes on its own thread.
class TSoundPlayer {
public:
    using TLog = std::function<void(const QString&)>;

    // Opens the audio device; when there is none, falls back to the silent
    // "dummy" driver with one log line. Raises "Cannot initialize sound!"
    // when even that fails. Only one player may exist at a time.
    TSoundPlayer(TClock& clock, TLog log);
    ~TSoundPlayer();
    TSoundPlayer(const TSoundPlayer&) = delete;
    TSoundPlayer& operator=(const TSoundPlayer&) = delete;

    // An empty file stops the music, or fades it out over `fadeMs`; a file
    // cross-fades from the current piece over `fadeMs` (0 cuts at once).
    void PlayMusic(const QString& file, int volume, uint32_t fadeMs);
    void SetMusicVolume(int volume, uint32_t timeMs);
    // An empty file stops the background sound.
    void PlayBgSound(const QString& file, bool once, int volume);
    void SetBgSoundVolume(int volume);
    void PlaySound(const QString& file, int volume);
    void StopSound();
    // On a virtual clock an effect plays for its decoded length in story
    // time, so sound waits end at the same frame on every run.
    bool IsSoundPlaying() const;
    // Advances the fades by the time since the previous call.
    void Update();
    // The reader's volumes, 0..255 each, at once: they scale what the script
    // plays at, which stays as the script set it (fades included).
    void SetReaderVolumes(int music, int bgSound, int effects);

    [[noreturn]] static void RaiseFmodError(const QString& text, int code);
    [[noreturn]] void RaiseLastFmodError(const QString& text) const;
    static QString FmodErrorText(int code);

    // The volume the mixer plays a channel at, 0..128.
    static int MixerChannelVolume(int channel);
    // The same for the music piece on channel 9 or 10, wherever it sounds.
    int MixerMusicVolume(int channel) const;
    // True while the mixer sounds anything on the channel.
    static bool ChannelPlaying(int channel);

    static constexpr int BgSoundChannel = 0;
    static constexpr int EffectChannel = 8;

    uint32_t LastTick = 0;
    std::unique_ptr<TMusicStream> Music;
    std::unique_ptr<TMusicStream> FadingMusic;
    uint8_t MusicTargetVolume = 0;
    float MusicVolume = 0;
    float FadingVolume = 0;
    uint32_t MusicFadeRemaining = 0;
    uint32_t FadeOutRemaining = 0;
    int32_t MusicChannel = 9;
    int32_t FadingChannel = 10;
    std::unique_ptr<TSample> BgSoundSample;
    std::unique_ptr<TSample> EffectSample;
    // What plays, as the calls named it, so a save can start it again.
    QString MusicFile;
    QString BgSoundFile;
    bool BgSoundLoop = false;
    int BgSoundVolume = 0;

private:
    std::unique_ptr<TMusicStream> OpenStream(const QString& file);
    // Silences a stopped piece at once and frees it soon after.
    void Retire(std::unique_ptr<TMusicStream> stream);
    void PublishMusic();
    std::unique_ptr<TSample> LoadSample(const QString& file);
    void PlaySample(std::unique_ptr<TSample>& slot, int channel, const QString& file, bool loop, int volume);
    void UpdateMusicFade(uint32_t elapsed);
    void UpdateFadeOut(uint32_t elapsed);
    int MusicMixerVolume(float volume) const;
    void SetScriptChannelVolume(int channel, int volume);

    TClock& clock_;
    TLog log_;
    std::unique_ptr<TMusicDeck> deck_;
    // The code of the last failed mixer call, in the error-code table's terms.
    int lastError_ = 0;
    int readerMusic_ = 255;
    int readerBgSound_ = 255;
    int readerEffects_ = 255;
    int bgSoundVolume_ = 255;  // as the script set them
    int effectVolume_ = 255;
    uint32_t effectStartTick_ = 0;
    bool effectStopped_ = true;
};
