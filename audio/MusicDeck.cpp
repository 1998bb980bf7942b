#include "audio/MusicDeck.h"

#include <QFileInfo>
#include <QString>

#include <algorithm>

namespace {

// Buffers over which an intro and the stream sound together at its end: the
// stream's first, silent one takes the decoder's start-up (a resampler that
// begins from silence), the others cross over, which also hides the few
// samples the stream may lag when the file's rate is not the mixer's.
constexpr int64_t CrossBuffers = 3;
// How much longer than the cross-fade an intro lasts, so that the piece it
// fades against has left the stream when the intro hands over, even when the
// main thread's updates come late.
constexpr int64_t HandOverMarginMs = 250;
// Decoding more than the intro needs costs little and keeps a second try rare.
constexpr double SpareSeconds = 0.5;
constexpr double SpareFactor = 1.25;

struct TLimitedFile {
    SDL_RWops* File;
    Sint64 Size;
    const std::atomic<bool>* Cancel;
};

TLimitedFile& Inner(SDL_RWops* context)
{
    return *static_cast<TLimitedFile*>(context->hidden.unknown.data1);
}

// The file as if it ended at `limit`, and as if it ended where it is as soon
// as `cancel` is set, so a decode nobody wants any more stops within a read.
SDL_RWops* OpenLimited(const QByteArray& path, Sint64 limit, const std::atomic<bool>& cancel)
{
    SDL_RWops* file = SDL_RWFromFile(path.constData(), "rb");
    if (file == nullptr)
        return nullptr;
    SDL_RWops* rw = SDL_AllocRW();
    if (rw == nullptr) {
        SDL_RWclose(file);
        return nullptr;
    }
    rw->type = SDL_RWOPS_UNKNOWN;
    rw->hidden.unknown.data1 = new TLimitedFile{file, std::min(SDL_RWsize(file), limit), &cancel};
    rw->size = [](SDL_RWops* c) { return Inner(c).Size; };
    rw->seek = [](SDL_RWops* c, Sint64 offset, int whence) -> Sint64 {
        const TLimitedFile& f = Inner(c);
        const Sint64 base = whence == RW_SEEK_SET ? 0 : whence == RW_SEEK_CUR ? SDL_RWtell(f.File) : f.Size;
        return SDL_RWseek(f.File, std::clamp<Sint64>(base + offset, 0, f.Size), RW_SEEK_SET);
    };
    rw->read = [](SDL_RWops* c, void* to, size_t size, size_t count) -> size_t {
        const TLimitedFile& f = Inner(c);
        if (f.Cancel->load() || size == 0)
            return 0;
        const Sint64 left = std::max<Sint64>(0, f.Size - SDL_RWtell(f.File));
        return SDL_RWread(f.File, to, size, std::min(count, size_t(left) / size));
    };
    rw->write = [](SDL_RWops*, const void*, size_t, size_t) -> size_t { return 0; };
    rw->close = [](SDL_RWops* c) {
        const int result = SDL_RWclose(Inner(c).File);
        delete &Inner(c);
        SDL_FreeRW(c);
        return result;
    };
    return rw;
}

} // namespace

// ---------------------------------------------------------------- piece

TMusicStream::TMusicStream(TMusicDeck& deck, QByteArray path, Mix_Music* music)
    : deck_(deck), path_(std::move(path)), music_(music)
{
}

TMusicStream::~TMusicStream()
{
    cancel_ = true;
    SDL_WaitThread(worker_, nullptr);
    Mix_FreeChunk(chunk_);  // halts the intro and drops the effect that counts it
    Mix_FreeMusic(music_);  // halts the stream when it still plays this piece
}

void TMusicStream::Start(int channel, uint32_t overlapMs)
{
    if (overlapMs == 0) {
        mode_.store(TMode::Stream, std::memory_order_release);
        return;
    }
    channel_ = channel;
    const int64_t buffer = deck_.bufferFrames_;
    const int64_t frames = (int64_t(overlapMs) + HandOverMarginMs) * deck_.rate_ / 1000 + (CrossBuffers + 1) * buffer;
    introFrames_ = (frames + buffer - 1) / buffer * buffer;  // the intro ends with a whole buffer
    ++deck_.decodesRunning_;
    // An SDL thread, so SDL frees what it keeps per thread when it ends.
    worker_ = SDL_CreateThread(
        [](void* piece) {
            static_cast<TMusicStream*>(piece)->DecodeIntro();
            return 0;
        },
        "music intro", this);
    if (worker_ == nullptr)
        DecodeIntro();
}

void TMusicStream::DecodeIntro()
{
    bool whole = false;
    Mix_Chunk* chunk = DecodeAtLeast(introFrames_, whole);
    if (chunk == nullptr)
        mode_.store(TMode::Failed, std::memory_order_release);
    else
        PlayIntro(chunk, whole);
    --deck_.decodesRunning_;
}

// Decodes the file's start, cut off a little past the intro by the estimate
// of its length, or all of it when the piece is no longer than the intro.
Mix_Chunk* TMusicStream::DecodeAtLeast(int64_t frames, bool& whole)
{
    const Sint64 fileSize = QFileInfo(QString::fromUtf8(path_)).size();
    const double seconds = Mix_MusicDuration(music_);
    const double wanted = double(frames) / deck_.rate_ + SpareSeconds;
    Sint64 limit = seconds > wanted ? Sint64(double(fileSize) * SpareFactor * wanted / seconds) : fileSize;
    for (;;) {
        limit = std::min(limit, fileSize);
        Mix_Chunk* chunk = Mix_LoadWAV_RW(OpenLimited(path_, limit, cancel_), 1);
        if (chunk == nullptr)
            return nullptr;
        if (chunk->alen / deck_.frameBytes_ >= frames) {
            chunk->alen = Uint32(frames * deck_.frameBytes_);
            whole = false;
            return chunk;
        }
        if (limit >= fileSize || cancel_) {
            whole = true;
            return chunk;
        }
        Mix_FreeChunk(chunk);
        limit *= 2;
    }
}

void TMusicStream::PlayIntro(Mix_Chunk* chunk, bool whole)
{
    const std::lock_guard<std::mutex> lock(deck_.channelStarts_);
    if (cancel_) {
        Mix_FreeChunk(chunk);
        return;
    }
    chunk_ = chunk;
    introBytes_ = whole ? 0 : int64_t(chunk->alen);
    Mix_HaltChannel(channel_);  // a cut piece's intro, with its effect
    Mix_Volume(channel_, Volume());
    if (!whole)
        Mix_RegisterEffect(channel_, &TMusicStream::CountMixed, nullptr, this);
    Mix_PlayChannel(channel_, chunk, whole ? -1 : 0);
    mode_.store(whole ? TMode::Whole : TMode::Intro, std::memory_order_release);
}

void SDLCALL TMusicStream::CountMixed(int, void*, int bytes, void* piece)
{
    static_cast<TMusicStream*>(piece)->mixedBytes_ += bytes;
}

void TMusicStream::AfterBuffer(int bytes)
{
    switch (mode_.load(std::memory_order_acquire)) {
    case TMode::Stream:
        // Only once: a piece that lost the stream to a newer one stays off.
        if (!tookStream_) {
            tookStream_ = true;
            deck_.TakeStream(*this, 0, Volume());
        } else if (deck_.onStream_ == this) {
            deck_.SetStreamVolume(Volume());
        }
        break;
    case TMode::Whole:
        Mix_Volume(channel_, Volume());
        break;
    case TMode::Intro:
        HandOver(bytes);
        break;
    case TMode::Pending:
    case TMode::Failed:
        break;
    }
}

// The intro is mixed in whole buffers from its start, so the stream can
// start exactly where the intro will be one buffer later.
void TMusicStream::HandOver(int bytes)
{
    const int volume = Volume();
    if (handedOver_) {
        if (deck_.onStream_ == this)
            deck_.SetStreamVolume(volume);
        return;
    }
    const int64_t buffersLeft = (introBytes_ - mixedBytes_ + bytes - 1) / bytes;
    if (buffersLeft > CrossBuffers + 1 || (tookStream_ && deck_.onStream_ != this)) {
        Mix_Volume(channel_, volume);
        return;
    }
    if (!tookStream_) {
        tookStream_ = true;
        deck_.TakeStream(*this, mixedBytes_ / deck_.frameBytes_, 0);
        Mix_Volume(channel_, volume);
        return;
    }
    const int64_t step = std::min(CrossBuffers + 1, CrossBuffers + 1 - buffersLeft);
    const int onStream = int(volume * step / (CrossBuffers + 1));
    deck_.SetStreamVolume(onStream);
    Mix_Volume(channel_, volume - onStream);
    handedOver_ = buffersLeft <= 0;
}

// ---------------------------------------------------------------- deck

TMusicDeck::TMusicDeck(int bufferFrames) : bufferFrames_(bufferFrames)
{
    Uint16 format = MIX_DEFAULT_FORMAT;
    int channels = 2;
    Mix_QuerySpec(&rate_, &format, &channels);
    frameBytes_ = channels * (SDL_AUDIO_BITSIZE(format) / 8);
    Mix_SetPostMix(&TMusicDeck::AfterMix, this);
}

TMusicDeck::~TMusicDeck()
{
    Close();
    retired_.clear();
}

void TMusicDeck::Close()
{
    Mix_SetPostMix(nullptr, nullptr);  // waits for a buffer being mixed
    Mix_HaltMusic();
    onStream_ = nullptr;
}

void TMusicDeck::Publish(TMusicStream* current, TMusicStream* fading)
{
    live_[0].store(current, std::memory_order_relaxed);
    live_[1].store(fading, std::memory_order_relaxed);
    const uint32_t generation = generation_.fetch_add(1, std::memory_order_release) + 1;
    for (TRetired& retired : retired_)
        if (retired.Generation == 0)
            retired.Generation = generation;
}

void TMusicDeck::Retire(std::unique_ptr<TMusicStream> piece)
{
    if (!piece)
        return;
    piece->cancel_ = true;
    if (piece->channel_ >= 0)
        Mix_Volume(piece->channel_, 0);  // no lock: silent now, halted when freed or replaced
    retired_.push_back({std::move(piece), 0});
}

void TMusicDeck::FreeReleased()
{
    if (decodesRunning_ > 0)
        return;  // freeing takes the mixer lock, which a decode holds
    const uint32_t seen = seenGeneration_.load(std::memory_order_acquire);
    std::erase_if(retired_, [seen](const TRetired& r) { return r.Generation != 0 && r.Generation <= seen; });
}

void SDLCALL TMusicDeck::AfterMix(void* deck, Uint8*, int bytes)
{
    static_cast<TMusicDeck*>(deck)->AfterMix(bytes);
}

void TMusicDeck::AfterMix(int bytes)
{
    const uint32_t generation = generation_.load(std::memory_order_acquire);
    TMusicStream* const live[] = {live_[0].load(std::memory_order_relaxed), live_[1].load(std::memory_order_relaxed)};
    if (onStream_ != nullptr && onStream_ != live[0] && onStream_ != live[1]) {
        Mix_HaltMusic();
        onStream_ = nullptr;
    }
    for (TMusicStream* piece : live)
        if (piece != nullptr)
            piece->AfterBuffer(bytes);
    seenGeneration_.store(generation, std::memory_order_release);
}

// A piece still on the stream has had its fade by now; the newer one needs
// the stream, and starting it stops the other.
void TMusicDeck::TakeStream(TMusicStream& piece, int64_t frame, int volume)
{
    SetStreamVolume(volume);  // a piece starts at the stream's volume
    // A quarter sample on, so the decoder's rounding of the time lands on the frame.
    const double seconds = frame == 0 ? 0.0 : (double(frame) + 0.25) / rate_;
    onStream_ = Mix_FadeInMusicPos(piece.music_, -1, 0, seconds) == 0 ? &piece : nullptr;
}

void TMusicDeck::SetStreamVolume(int volume)
{
    if (volume == streamVolume_)
        return;
    Mix_VolumeMusic(volume);
    streamVolume_ = volume;
}
