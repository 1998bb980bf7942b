// The interpreter's step loop on lines that never wait, jumps to labels, and
// skipping a long false branch, on a virtual clock with the tests' fake host.

#include "ScriptGenerator.h"

#include "support/StoryObjects.h"

#include <QDir>

#include <benchmark/benchmark.h>

namespace {

struct TBenchStory : TStoryObjects {
    ~TBenchStory() { QDir::setCurrent(savedCwd); }

    void Open(const QString& name, const QString& text) { story.OpenScript(bench::WriteScript(dir, name, text)); }

    // Runs from `line` until the script ends or waits; false when it waited.
    bool RunFrom(int32_t line)
    {
        story.JumpToCaretLine(line);
        while (!story.IsFinished()) {
            story.ExecuteUntilWait();
            if (story.WaitState != WaitStates::Run)
                return false;
        }
        return true;
    }

    QString savedCwd = QDir::currentPath();
    QTemporaryDir dir;
};

// Steady state: the pass before the timed ones has split every line once.
void BM_StepLoop(benchmark::State& state)
{
    TBenchStory s;
    s.Open(QStringLiteral("steps.kvt"), bench::StepLoopScript(state.range(0)));
    const double lines = double(s.parser.LineCount());
    if (!s.RunFrom(0))
        state.SkipWithError("the step loop script waited");
    for (auto _ : state)
        if (!s.RunFrom(0))
            state.SkipWithError("the step loop script waited");
    state.counters["lines/s"] = benchmark::Counter(lines * double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_StepLoop)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// The first pass after a load, which meets every line for the first time.
void BM_StepLoopFirstPass(benchmark::State& state)
{
    TBenchStory s;
    const QString path = bench::WriteScript(s.dir, QStringLiteral("steps.kvt"), bench::StepLoopScript(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        s.story.OpenScript(path);
        state.ResumeTiming();
        if (!s.RunFrom(0))
            state.SkipWithError("the step loop script waited");
    }
    state.counters["lines/s"] = benchmark::Counter(double(s.parser.LineCount()) * double(state.iterations()),
                                                   benchmark::Counter::kIsRate);
}
BENCHMARK(BM_StepLoopFirstPass)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_JumpToLabel(benchmark::State& state)
{
    TBenchStory s;
    s.Open(QStringLiteral("steps.kvt"), bench::StepLoopScript(state.range(0)));
    // Blocks are nine lines long; aim at 64 of them spread over the script.
    QStringList labels;
    const qsizetype blocks = state.range(0) / 9;
    for (int i = 0; i < 64; ++i)
        labels.append(QStringLiteral("b%1").arg(blocks * i / 64));
    s.story.JumpToLabel(labels[0]);  // builds the index
    qsizetype next = 0;
    for (auto _ : state) {
        s.story.JumpToLabel(labels[next]);
        benchmark::DoNotOptimize(s.parser.Position);
        next = (next + 1) & 63;
    }
}
BENCHMARK(BM_JumpToLabel)->Arg(1000)->Arg(1000000);

// Runs the false "@if" (line 1), which skips its branch, and the one line
// after the "@endif".
void BM_SkipFalseBranch(benchmark::State& state)
{
    TBenchStory s;
    s.Open(QStringLiteral("branch.kvt"), bench::FalseBranchScript(state.range(0)));
    s.RunFrom(0);  // the first skip fills the cache
    for (auto _ : state)
        if (!s.RunFrom(1))
            state.SkipWithError("the branch script waited");
    if (s.variables.GetInt(QStringLiteral("done")) != 1)
        state.SkipWithError("the line after the branch did not run");
}
BENCHMARK(BM_SkipFalseBranch)->Arg(10000)->Unit(benchmark::kMicrosecond);

// The first skip after a load scans the branch line by line.
void BM_SkipFalseBranchFirstTime(benchmark::State& state)
{
    TBenchStory s;
    const QString path = bench::WriteScript(s.dir, QStringLiteral("branch.kvt"), bench::FalseBranchScript(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        s.story.OpenScript(path);
        state.ResumeTiming();
        if (!s.RunFrom(1))
            state.SkipWithError("the branch script waited");
    }
}
BENCHMARK(BM_SkipFalseBranchFirstTime)->Arg(10000)->Unit(benchmark::kMicrosecond);

} // namespace

