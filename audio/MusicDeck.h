#pragma once

#include <QByteArray>

#include <SDL_mixer.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

class TMusicDeck;

// One music piece. SDL_mixer decodes only its one music stream a little at a
// time as it plays; a whole piece decoded into a chunk would keep the mixer
// locked, and so every sound silent, for as long as the decode takes (a
// third of a second and more for three minutes of Ogg Vorbis). So a piece
// plays on the stream, and only when the other piece of a cross-fade still
// holds the stream does it begin on a channel of its own: from an intro of
// the first seconds, decoded on a thread of its own, from which it moves over
// to the stream before the intro runs out. A piece shorter than its intro
// stays on the channel and loops there.
class TMusicStream {
public:
    TMusicStream(TMusicDeck& deck, QByteArray path, Mix_Music* music);
    ~TMusicStream();
    TMusicStream(const TMusicStream&) = delete;
    TMusicStream& operator=(const TMusicStream&) = delete;

    // `overlapMs` 0: straight onto the stream. Otherwise an intro on
    // `channel` that outlasts a cross-fade of that length.
    void Start(int channel, uint32_t overlapMs);

    // 0..128; the mixer applies it within one buffer.
    void SetVolume(int mixerVolume) { volume_.store(mixerVolume, std::memory_order_relaxed); }
    int Volume() const { return volume_.load(std::memory_order_relaxed); }

private:
    friend class TMusicDeck;
    enum class TMode { Pending, Stream, Intro, Whole, Failed };

    void DecodeIntro();
    Mix_Chunk* DecodeAtLeast(int64_t frames, bool& whole);
    void PlayIntro(Mix_Chunk* chunk, bool whole);
    static void SDLCALL CountMixed(int channel, void* samples, int bytes, void* piece);

    // Mixer thread, after each buffer of `bytes`.
    void AfterBuffer(int bytes);
    void HandOver(int bytes);

    TMusicDeck& deck_;
    const QByteArray path_;
    Mix_Music* const music_;
    int channel_ = -1;
    int64_t introFrames_ = 0;
    std::atomic<int> volume_{0};
    std::atomic<TMode> mode_{TMode::Pending};
    std::atomic<bool> cancel_{false};
    SDL_Thread* worker_ = nullptr;
    Mix_Chunk* chunk_ = nullptr;  // written by the worker before `mode_`
    int64_t introBytes_ = 0;      // likewise

    // Mixer thread only.
    int64_t mixedBytes_ = 0;  // of the intro, counted by a channel effect
    bool tookStream_ = false;
    bool handedOver_ = false;
};

// The mixer's one music stream and the hook the mixer runs after every
// buffer, in which the pieces take the stream, hand over to it and get their
// volumes: so only the mixer thread ever starts or stops the stream, and the
// main thread never waits for the mixer.
class TMusicDeck {
public:
    explicit TMusicDeck(int bufferFrames);
    ~TMusicDeck();
    TMusicDeck(const TMusicDeck&) = delete;
    TMusicDeck& operator=(const TMusicDeck&) = delete;

    // Unhooks from the mixer and stops the stream; pieces may go after this.
    void Close();
    // The pieces that sound now; a piece left out loses the stream.
    void Publish(TMusicStream* current, TMusicStream* fading);
    // Silences a piece nobody plays any more; it is freed once the mixer
    // thread has seen it go and no decode runs (freeing takes the mixer lock).
    void Retire(std::unique_ptr<TMusicStream> piece);
    void FreeReleased();

private:
    friend class TMusicStream;
    struct TRetired {
        std::unique_ptr<TMusicStream> Piece;
        uint32_t Generation;  // 0 until published
    };

    static void SDLCALL AfterMix(void* deck, Uint8* stream, int bytes);
    void AfterMix(int bytes);
    void TakeStream(TMusicStream& piece, int64_t frame, int volume);
    void SetStreamVolume(int volume);

    const int bufferFrames_;
    int rate_ = 44100;
    int frameBytes_ = 4;
    std::atomic<TMusicStream*> live_[2] = {nullptr, nullptr};
    std::atomic<uint32_t> generation_{0};
    std::atomic<uint32_t> seenGeneration_{0};
    std::atomic<int> decodesRunning_{0};
    // Serialises the intro threads' starts, so a cancelled piece cannot start
    // its intro after the piece that replaced it.
    std::mutex channelStarts_;
    std::vector<TRetired> retired_;

    // Mixer thread only.
    TMusicStream* onStream_ = nullptr;
    int streamVolume_ = -1;
};
