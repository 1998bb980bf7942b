// The sound player's speed goals: what starting a long music piece costs
// the frame, how much memory cross-fading long pieces holds, and the
// processor time the whole program takes while music plays and the story
// waits for a click. The pieces are three minutes of the demo's own
// synthesised music, encoded as Ogg Vorbis.

#include "SoundSynth.h"
#include "audio/SoundPlayer.h"
#include "engine/Clock.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>
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
        synth::WriteOggVorbis(First.toStdString(), synth::HarbourTheme(PieceSeconds), 0.0f);
        synth::WriteOggVorbis(Second.toStdString(), synth::BoatsTheme(PieceSeconds), 0.0f);
    }
    QTemporaryDir Dir;
    QString First = Dir.filePath(QStringLiteral("first.ogg"));
    QString Second = Dir.filePath(QStringLiteral("second.ogg"));
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

// Lets the worker finish decoding the piece that was just started.
void UntilMusicSounds(TSoundPlayer& player)
{
    for (int i = 0; i < 1000 && !TSoundPlayer::ChannelPlaying(player.MusicChannel); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        player.Update();
    }
}

// The frame that runs "@bgmusic": the command's call and the next update.
void BM_StartLongMusic(benchmark::State& state)
{
    const TLongPieces& pieces = Pieces();
    TRealClock clock;
    TSoundPlayer player(clock, {});
    double worst = 0;
    bool first = true;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        player.PlayMusic(first ? pieces.First : pieces.Second, 100, 1000);
        player.Update();
        const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(ms / 1000.0);
        worst = std::max(worst, ms);
        first = !first;
    }
    state.counters["worst_ms"] = worst;
}
BENCHMARK(BM_StartLongMusic)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

// Cross-fades back and forth, each piece decoded in full before the next:
// what stays resident is the two pieces a cross-fade needs, not every
// piece that ever played. A decoded piece is 44100 frames of 4 bytes a
// second.
void BM_MusicMemoryAcrossCrossFades(benchmark::State& state)
{
    const TLongPieces& pieces = Pieces();
    TRealClock clock;
    TSoundPlayer player(clock, {});
    const double before = ResidentMb();
    double peak = 0;
    for (auto _ : state) {
        for (int i = 0; i < 6; ++i) {
            player.PlayMusic(i % 2 ? pieces.Second : pieces.First, 100, 60000);
            UntilMusicSounds(player);
            peak = std::max(peak, ResidentMb() - before);
        }
    }
    state.counters["peak_growth_MB"] = peak;
    state.counters["one_piece_MB"] = PieceSeconds * 44100 * 4 / (1024.0 * 1024.0);
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
// the story waiting for a click; measured after start-up and the decode.
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
        std::string headless = "--headless", input = "--input", events = "wait 8000; click";
        std::string path = script.toStdString();
        char* argv[] = {program.data(), headless.data(), input.data(), events.data(), path.data(), nullptr};
        pid_t pid = 0;
        if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, environ) != 0) {
            state.SkipWithError("cannot start the program");
            return;
        }
        std::this_thread::sleep_for(std::chrono::seconds(3));
        const uint64_t begin = ProcessorTicks(pid);
        std::this_thread::sleep_for(std::chrono::seconds(4));
        const uint64_t end = ProcessorTicks(pid);
        percent = 100.0 * double(end - begin) / double(sysconf(_SC_CLK_TCK)) / 4.0;
        state.SetIterationTime(4.0);
        int status = 0;
        waitpid(pid, &status, 0);
    }
    state.counters["cpu_percent"] = percent;
}
BENCHMARK(BM_IdleWhileMusicPlays)->UseManualTime()->Unit(benchmark::kSecond)->Iterations(1);

} // namespace
