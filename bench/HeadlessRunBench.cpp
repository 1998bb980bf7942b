// The real program, started as a reader would start it in an automated
// check: a whole headless run of a long story, and the start-up alone (a
// script whose first line ends the program). Wall time includes process
// start, Qt's start-up, loading and shutting down; the peak resident size
// is the child's own, as the kernel reports it.

#include "ScriptGenerator.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QRegularExpression>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <stdexcept>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

struct TChildRun {
    bool Ok = false;
    double Seconds = 0;
    double PeakRssMb = 0;
};

// Runs the program with the arguments, its output sent to `outputFile`.
TChildRun RunProgram(const std::vector<std::string>& arguments, const std::string& outputFile)
{
    std::vector<char*> argv;
    std::string program = KVT_PROGRAM_PATH;
    argv.push_back(program.data());
    std::vector<std::string> copies = arguments;
    for (std::string& a : copies)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);

    TChildRun run;
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return run;
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid)
        return run;
    run.Seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.PeakRssMb = double(usage.ru_maxrss) / 1024.0;  // kilobytes on Linux
    run.Ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return run;
}

// Persisted globals of the generated stories must not land in the real home.
void UseTemporaryDataHome(const QTemporaryDir& dir)
{
    setenv("XDG_DATA_HOME", dir.filePath(QStringLiteral("data")).toLocal8Bit().constData(), 1);
}

// Returns the fastest run, the figure least disturbed by other work on the
// machine.
double Measure(benchmark::State& state, const std::vector<std::string>& arguments, const std::string& output)
{
    double peak = 0;
    double fastest = 0;
    for (auto _ : state) {
        const TChildRun run = RunProgram(arguments, output);
        if (!run.Ok) {
            state.SkipWithError("the program failed; see its output");
            return 0;
        }
        state.SetIterationTime(run.Seconds);
        peak = std::max(peak, run.PeakRssMb);
        fastest = fastest == 0 ? run.Seconds : std::min(fastest, run.Seconds);
    }
    state.counters["peak_rss_MB"] = peak;
    state.counters["fastest_ms"] = fastest * 1000;
    return fastest;
}

void BM_HeadlessStory(benchmark::State& state)
{
    QTemporaryDir dir;
    UseTemporaryDataHome(dir);
    const QString script = bench::StoryScript(state.range(0));
    const std::string path = bench::WriteScript(dir, QStringLiteral("story.kvt"), script).toStdString();
    const std::string output = dir.filePath(QStringLiteral("output.txt")).toStdString();

    // Once with a transcript, untimed: the run must reach the last scene.
    const TChildRun check = RunProgram({"--headless", "--skip", "--fixed-step", "16", "--strict", "--transcript", path},
                                       output);
    QFile transcript(QString::fromStdString(output));
    transcript.open(QIODevice::ReadOnly);
    const QString shown = QString::fromUtf8(transcript.readAll());
    const auto scenes = QRegularExpression(QStringLiteral("#scene(\\d+)\\n@exit")).match(script);
    const QString lastText = QStringLiteral("scene %1.").arg(scenes.captured(1).toLongLong() - 1);
    if (!check.Ok || !shown.contains(lastText)) {
        state.SkipWithError("the story did not run to its end");
        return;
    }
    Measure(state, {"--headless", "--skip", "--fixed-step", "16", path}, output);
}
BENCHMARK(BM_HeadlessStory)->Arg(100000)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

// "@exit" first: the program starts, loads every line, runs one and ends.
// The one-line script shows what start-up costs without the load.
void BM_HeadlessStartup(benchmark::State& state)
{
    QTemporaryDir dir;
    UseTemporaryDataHome(dir);
    const QString script = QStringLiteral("@exit\n") + bench::StoryScript(state.range(0));
    const std::string path = bench::WriteScript(dir, QStringLiteral("story.kvt"), script).toStdString();
    const std::string output = dir.filePath(QStringLiteral("output.txt")).toStdString();
    Measure(state, {"--headless", "--skip", "--fixed-step", "16", path}, output);
}
BENCHMARK(BM_HeadlessStartup)->Arg(0)->Arg(100000)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

// ---- the workload of a long commercial story at 10k, 100k and 1M lines

struct TBigStory {
    std::string Path;
    qsizetype Scenes = 0;
};

// The story and the pictures its "@bg" lines name, in the story's images
// folder; with `exitFirst` the first line ends the program after the load.
TBigStory WriteBigStory(const QTemporaryDir& dir, qsizetype lines, bool exitFirst)
{
    QDir(dir.path()).mkpath(QStringLiteral("images"));
    for (const QString& name : bench::BackgroundNames()) {
        QImage picture(1024, 768, QImage::Format_RGB32);
        picture.fill(QColor::fromHsv(int(qHash(name) % 360), 90, 160));
        picture.save(dir.filePath(QStringLiteral("images/") + name + QStringLiteral(".png")));
    }
    TBigStory story{dir.filePath(QStringLiteral("story.kvt")).toStdString(), 0};
    QFile file(QString::fromStdString(story.Path));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw std::runtime_error("cannot write benchmark script " + story.Path);
    if (exitFirst)
        file.write("@exit\n");
    story.Scenes = bench::WriteBigStory(file, lines);
    return story;
}

// True when the transcript shows every scene and the last greeting; read a
// line at a time, for the reason the story is written that way.
bool TranscriptReachesTheEnd(const std::string& output, qsizetype scenes)
{
    QFile transcript(QString::fromStdString(output));
    if (!transcript.open(QIODevice::ReadOnly))
        return false;
    qsizetype shownScenes = 0;
    QByteArray last;
    while (!transcript.atEnd()) {
        const QByteArray line = transcript.readLine();
        if (line.contains("harbour master says"))
            ++shownScenes;
        if (line.contains("still no boat"))
            last = line;
    }
    return shownScenes == scenes && !last.isEmpty();
}

// The benchmark's own peak: the kernel counts it into the peak of every
// program it starts, so figures below it say nothing.
double OwnPeakRssMb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

// The fastest start and end of the program around a one-line script,
// measured once: what a run costs before its first line.
double StartupSeconds()
{
    static const double seconds = [] {
        QTemporaryDir dir;
        const std::string path = bench::WriteScript(dir, QStringLiteral("empty.kvt"), QStringLiteral("@exit\n")).toStdString();
        const std::string output = dir.filePath(QStringLiteral("output.txt")).toStdString();
        double fastest = 1e9;
        for (int i = 0; i < 10; ++i) {
            const TChildRun run = RunProgram({"--headless", "--fixed-step", "16", path}, output);
            if (run.Ok)
                fastest = std::min(fastest, run.Seconds);
        }
        return fastest;
    }();
    return seconds;
}

// What each line adds to the start-up's cost; it should not grow with the
// story's length.
void ReportLineCost(benchmark::State& state, double fastest)
{
    const double lines = double(state.range(0));
    state.counters["startup_ms"] = StartupSeconds() * 1000;
    state.counters["ns_per_line"] = (fastest - StartupSeconds()) / lines * 1e9;
    state.counters["bench_rss_MB"] = OwnPeakRssMb();
}

void BM_BigStoryLoad(benchmark::State& state)
{
    QTemporaryDir dir;
    UseTemporaryDataHome(dir);
    const TBigStory story = WriteBigStory(dir, state.range(0), true);
    const std::string output = dir.filePath(QStringLiteral("output.txt")).toStdString();
    ReportLineCost(state, Measure(state, {"--headless", "--fixed-step", "16", story.Path}, output));
}
BENCHMARK(BM_BigStoryLoad)->Arg(10000)->Arg(100000)->Arg(1000000)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(7);

void BM_BigStorySkip(benchmark::State& state)
{
    QTemporaryDir dir;
    UseTemporaryDataHome(dir);
    const TBigStory story = WriteBigStory(dir, state.range(0), false);
    const std::string output = dir.filePath(QStringLiteral("output.txt")).toStdString();
    // Once with a transcript, untimed: the skip must show every scene.
    const TChildRun check = RunProgram({"--headless", "--skip", "--fixed-step", "16", "--transcript", story.Path}, output);
    if (!check.Ok || !TranscriptReachesTheEnd(output, story.Scenes)) {
        state.SkipWithError("the story did not run to its end");
        return;
    }
    ReportLineCost(state, Measure(state, {"--headless", "--skip", "--fixed-step", "16", story.Path}, output));
}
BENCHMARK(BM_BigStorySkip)->Arg(10000)->Arg(100000)->Arg(1000000)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

// A three-line story in a window until its first frame is presented, and
// the program's end after it; needs a display (Xvfb will do).
void BM_WindowFirstFrame(benchmark::State& state)
{
    if (!std::getenv("DISPLAY")) {
        state.SkipWithError("no DISPLAY to open a window on");
        return;
    }
    QTemporaryDir dir;
    UseTemporaryDataHome(dir);
    const std::string path =
        bench::WriteScript(dir, QStringLiteral("three.kvt"), QStringLiteral(":-\nHello.\n-:\n")).toStdString();
    const std::string output = dir.filePath(QStringLiteral("output.txt")).toStdString();
    Measure(state, {"--max-frames", "1", path}, output);
}
BENCHMARK(BM_WindowFirstFrame)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace
