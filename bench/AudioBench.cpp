// The sound player's speed goals: what starting a long music piece costs
// the frame and the mix, how much memory cross-fading long pieces holds, and
// the processor time the whole program takes while music plays and the story
// waits for a click. The pieces are three minutes of the demo's own
// synthesised music, encoded as Ogg Vorbis at 44.1 kHz stereo like the music
// stories ship.

#include "SoundSynth.h"
#include "audio/SoundPlayer.h"
#include "engine/Clock.h"

#include <SDL_mixer.h>  // only to time the mixer's buffers

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <fstream>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

constexpr double PieceSeconds = 180;

struct TLongPieces {
    TLongPieces()
    {
        qputenv("SDL_AUDIODRIVER", "dummy");
        Write(First, synth::HarbourTheme(PieceSeconds));
        Write(Second, synth::BoatsTheme(PieceSeconds));
        Write(Effect, synth::Horn(2.5));
    }
    static void Write(const QString& file, const synth::TSamples& mono)
    {
        synth::WriteOggVorbis(file.toStdString(), synth::StudioStereo(mono), 0.3f, synth::StudioRate, 2);
    }
    QTemporaryDir Dir;
    QString First = Dir.filePath(QStringLiteral("first.ogg"));
    QString Second = Dir.filePath(QStringLiteral("second.ogg"));
    QString Effect = Dir.filePath(QStringLiteral("horn.ogg"));
};

const TLongPieces& Pieces()
{
    static const TLongPieces pieces;
    return pieces;
}

double ResidentMb()
{
    std::ifstream statm("/proc/self/statm");
    long size = 0, resident = 0;
    statm >> size >> resident;
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// The longest wait between two buffers the mixer mixed while it was watched:
// the mixer is held up while anything decodes a compressed file into one
// chunk, and then every sound stops.
class TMixGaps {
public:
    TMixGaps() { Mix_RegisterEffect(MIX_CHANNEL_POST, &TMixGaps::Mixed, nullptr, this); }
    ~TMixGaps() { Mix_UnregisterEffect(MIX_CHANNEL_POST, &TMixGaps::Mixed); }
    double LongestMs() const { return double(longestUs_.load()) / 1000.0; }

private:
    static void SDLCALL Mixed(int, void*, int, void* self)
    {
        auto& gaps = *static_cast<TMixGaps*>(self);
        const int64_t now = std::chrono::duration_cast<std::chrono::microseconds>(
                                std::chrono::steady_clock::now().time_since_epoch())
                                .count();
        const int64_t last = gaps.lastUs_.exchange(now);
        if (last != 0 && now - last > gaps.longestUs_)
            gaps.longestUs_ = now - last;
    }
    std::atomic<int64_t> lastUs_{0};
    std::atomic<int64_t> longestUs_{0};
};

// Frames of 16 ms on the real clock, as the main loop runs them.
void RunFrames(TSoundPlayer& player, int count)
{
    for (int i = 0; i < count; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(16));
        player.Update();
    }
}

double MillisecondsOf(const std::function<void()>& frame)
{
    const auto start = std::chrono::steady_clock::now();
    frame();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// The frame that runs "@bgmusic ..., fade" (the command's call and the next
// update), cross-fading between two long pieces, and how long the mix stalls
// meanwhile, until the new piece has taken over.
void BM_StartLongMusic(benchmark::State& state)
{
    const TLongPieces& pieces = Pieces();
    TRealClock clock;
    TSoundPlayer player(clock, {});
    double worst = 0, worstGap = 0;
    bool first = true;
    for (auto _ : state) {
        TMixGaps gaps;
        const double ms = MillisecondsOf([&] {
            player.PlayMusic(first ? pieces.First : pieces.Second, 100, 1000);
            player.Update();
        });
        state.SetIterationTime(ms / 1000.0);
        worst = std::max(worst, ms);
        RunFrames(player, 100);
        worstGap = std::max(worstGap, gaps.LongestMs());
        first = !first;
    }
    state.counters["worst_frame_ms"] = worst;
    state.counters["worst_mix_gap_ms"] = worstGap;
}
BENCHMARK(BM_StartLongMusic)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(8);

// The demo's pattern: a cross-fade and, in the same frame, an effect.
void BM_EffectRightAfterCrossFade(benchmark::State& state)
{
    const TLongPieces& pieces = Pieces();
    TRealClock clock;
    TSoundPlayer player(clock, {});
    double worst = 0;
    bool first = true;
    for (auto _ : state) {
        const double ms = MillisecondsOf([&] {
            player.PlayMusic(first ? pieces.First : pieces.Second, 100, 2000);
            player.PlaySound(pieces.Effect, 200);
            player.Update();
        });
        state.SetIterationTime(ms / 1000.0);
        worst = std::max(worst, ms);
        RunFrames(player, 160);
        first = !first;
    }
    state.counters["worst_frame_ms"] = worst;
}
BENCHMARK(BM_EffectRightAfterCrossFade)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(6);

// Cross-fades back and forth: what stays resident is the two pieces a
// cross-fade needs, not every piece that ever played. A whole decoded piece
// would be 44100 frames of 4 bytes a second.
void BM_MusicMemoryAcrossCrossFades(benchmark::State& state)
{
    const TLongPieces& pieces = Pieces();
    TRealClock clock;
    TSoundPlayer player(clock, {});
    const double before = ResidentMb();
    double peak = 0;
    for (auto _ : state) {
        for (int i = 0; i < 6; ++i) {
            player.PlayMusic(i % 2 ? pieces.Second : pieces.First, 100, 2000);
            for (int frame = 0; frame < 200; ++frame) {
                RunFrames(player, 1);
                peak = std::max(peak, ResidentMb() - before);
            }
        }
    }
    state.counters["peak_growth_MB"] = peak;
    state.counters["decoded_piece_MB"] = PieceSeconds * 44100 * 4 / (1024.0 * 1024.0);
}
BENCHMARK(BM_MusicMemoryAcrossCrossFades)->Unit(benchmark::kSecond)->Iterations(1);

uint64_t ProcessorTicks(pid_t pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string field;
    uint64_t user = 0, system = 0;
    for (int i = 1; i <= 15 && stat >> field; ++i) {
        if (i == 14)
            user = std::stoull(field);
        if (i == 15)
            system = std::stoull(field);
    }
    return user + system;
}

// The real program on the real clock, headless, with the music playing and
// the story waiting for a click; measured after start-up. The music stream
// decodes as it plays, so this counts the decoding too.
void BM_IdleWhileMusicPlays(benchmark::State& state)
{
    const TLongPieces& pieces = Pieces();
    QTemporaryDir dir;
    const QString script = dir.filePath(QStringLiteral("story.kvt"));
    QDir(dir.path()).mkpath(QStringLiteral("music"));
    QFile::copy(pieces.First, dir.filePath(QStringLiteral("music/long.ogg")));
    QFile file(script);
    file.open(QIODevice::WriteOnly);
    file.write("@bgmusic long\n@waitclk\n");
    file.close();
    setenv("XDG_DATA_HOME", dir.filePath(QStringLiteral("data")).toLocal8Bit().constData(), 1);

    double percent = 0;
    for (auto _ : state) {
        std::string program = KVT_PROGRAM_PATH;
        std::string headless = "--headless", input = "--input", events = "wait 15000; click";
        std::string path = script.toStdString();
        char* argv[] = {program.data(), headless.data(), input.data(), events.data(), path.data(), nullptr};
        pid_t pid = 0;
        if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, environ) != 0) {
            state.SkipWithError("cannot start the program");
            return;
        }
        std::this_thread::sleep_for(std::chrono::seconds(3));
        const uint64_t begin = ProcessorTicks(pid);
        std::this_thread::sleep_for(std::chrono::seconds(10));
        const uint64_t end = ProcessorTicks(pid);
        percent = 100.0 * double(end - begin) / double(sysconf(_SC_CLK_TCK)) / 10.0;
        state.SetIterationTime(10.0);
        int status = 0;
        waitpid(pid, &status, 0);
    }
    state.counters["cpu_percent"] = percent;
}
BENCHMARK(BM_IdleWhileMusicPlays)->UseManualTime()->Unit(benchmark::kSecond)->Iterations(1);

} // namespace
