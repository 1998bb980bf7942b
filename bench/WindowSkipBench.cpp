// The real program in a window, skipping through a long story: every text
// line is drawn whole in one frame and presented before its click is
// answered. Needs a display (an X server such as Xvfb); without one the
// benchmark reports an error instead of a figure. Wall time includes start-up,
// loading, showing the window and shutting down.

#include "ScriptGenerator.h"

#include <QElapsedTimer>
#include <QProcess>

#include <benchmark/benchmark.h>

namespace {

struct TWindowRun {
    bool Ok = false;
    double Seconds = 0;
    QString Out;
};

TWindowRun RunInWindow(const QStringList& arguments, const QTemporaryDir& dir)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // Persisted globals of the generated story must not land in the real home.
    env.insert(QStringLiteral("XDG_DATA_HOME"), dir.filePath(QStringLiteral("data")));
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::SeparateChannels);
    QElapsedTimer timer;
    timer.start();
    process.start(QStringLiteral(KVT_PROGRAM_PATH), arguments);
    const bool finished = process.waitForFinished(300000);
    TWindowRun run;
    run.Seconds = double(timer.nsecsElapsed()) / 1e9;
    run.Out = QString::fromUtf8(process.readAllStandardOutput());
    run.Ok = finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    return run;
}

void BM_WindowSkipStory(benchmark::State& state)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        state.SkipWithError("no display: run under Xvfb");
        return;
    }
    QTemporaryDir dir;
    const QString path = bench::WriteScript(dir, QStringLiteral("story.kvt"), bench::StoryScript(state.range(0)));

    // Once with a transcript, untimed: the run must reach the story's end.
    const TWindowRun check = RunInWindow({"--skip", "--strict", "--transcript", path}, dir);
    const qsizetype texts = check.Out.count(u'\n');
    if (!check.Ok || !check.Out.contains(QStringLiteral("Hello again"))) {
        state.SkipWithError("the story did not run to its end");
        return;
    }
    double seconds = 0;
    for (auto _ : state) {
        const TWindowRun run = RunInWindow({"--skip", path}, dir);
        if (!run.Ok) {
            state.SkipWithError("the program failed");
            return;
        }
        state.SetIterationTime(run.Seconds);
        seconds += run.Seconds;
    }
    state.counters["texts"] = double(texts);
    state.counters["ms_per_text"] = seconds * 1000.0 / double(state.iterations()) / double(texts);
}
BENCHMARK(BM_WindowSkipStory)->Arg(1000)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_WindowSkipStory)->Arg(100000)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace
