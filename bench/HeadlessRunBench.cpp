// The real program, started as a reader would start it in an automated
// check: a whole headless run of a long story, and the start-up alone (a
// script whose first line ends the program). Wall time includes process
// start, Qt's start-up, loading and shutting down; the peak resident size
// is the child's own, as the kernel reports it.

#include "ScriptGenerator.h"

#include <QByteArray>
#include <QFile>
#include <QRegularExpression>

#include <benchmark/benchmark.h>

#include <chrono>
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

void Measure(benchmark::State& state, const std::vector<std::string>& arguments, const std::string& output)
{
    double peak = 0;
    for (auto _ : state) {
        const TChildRun run = RunProgram(arguments, output);
        if (!run.Ok) {
            state.SkipWithError("the program failed; see its output");
            return;
        }
        state.SetIterationTime(run.Seconds);
        peak = std::max(peak, run.PeakRssMb);
    }
    state.counters["peak_rss_MB"] = peak;
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

} // namespace
