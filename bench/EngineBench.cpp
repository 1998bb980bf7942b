// The script engine on its own: loading a large script with includes, one
// command line parsed and dispatched, label lookups in small and large
// scripts, and "globals.dat" written for a story with many globals.

#include "ScriptGenerator.h"

#include "engine/CommandHandlers.h"
#include "engine/KvtEngine.h"
#include "engine/KvtVariables.h"
#include "interpreter/CommandTable.h"

#include <QDir>

#include <benchmark/benchmark.h>

namespace {

// LoadScript moves the working folder into the script's folder; put it back
// so one benchmark's temporary folder does not outlive it as the cwd.
class TCwdGuard {
public:
    TCwdGuard() : saved_(QDir::currentPath()) {}
    ~TCwdGuard() { QDir::setCurrent(saved_); }

private:
    QString saved_;
};

void BM_LoadScript(benchmark::State& state)
{
    TCwdGuard cwd;
    QTemporaryDir dir;
    const QString main = bench::WriteIncludedScript(dir, state.range(0), int(state.range(1)));
    TKvtParser parser;
    for (auto _ : state) {
        parser.LoadScript(main);
        benchmark::DoNotOptimize(parser.LineCount());
    }
    state.counters["lines"] = double(parser.LineCount());
    state.counters["lines/s"] =
        benchmark::Counter(double(parser.LineCount()) * double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_LoadScript)->Args({1000000, 10})->Args({1000000, 0})->Unit(benchmark::kMillisecond);

// The long story's workload on its own, without the program around it: the
// cost of a line should not depend on how many there are.
void BM_LoadBigStory(benchmark::State& state)
{
    TCwdGuard cwd;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("story.kvt"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        state.SkipWithError("cannot write the story");
    bench::WriteBigStory(file, state.range(0));
    file.close();
    TKvtParser parser;
    for (auto _ : state) {
        parser.LoadScript(path);
        benchmark::DoNotOptimize(parser.LineCount());
    }
    state.counters["ns_per_line"] = benchmark::Counter(double(parser.LineCount()) * double(state.iterations()),
                                                       benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_LoadBigStory)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// A registry the size of the full command list: the names the interpreter
// registers today, filled up with names that only take up room.
void FillRegistry(TCommandManager& commands)
{
    QStringList names = CommandTableNames();
    for (int i = 0; names.size() < 98; ++i)
        names.append(QStringLiteral("filler%1").arg(i));
    for (const QString& name : names)
        commands.RegisterCommand(name, [](const TCmdData& cmd) {
            benchmark::DoNotOptimize(cmd.Params.size());
            return WaitStates::Run;
        });
}

void BM_ParseAndDispatch(benchmark::State& state)
{
    TCommandManager commands;
    FillRegistry(commands);
    const QStringList lines{QStringLiteral("@set score, 10"), QStringLiteral("@inc visits"),
                            QStringLiteral("@if score > 40, goto scene3"),
                            QStringLiteral("@call greet, \"Mira, dear\", 3")};
    const QString& line = lines[state.range(0)];
    TCmdData cmd;
    for (auto _ : state) {
        ParseCommandLine(line, cmd);
        benchmark::DoNotOptimize(commands.Dispatch(cmd));
    }
    state.SetLabel(line.toStdString());
    state.counters["lines/s"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ParseAndDispatch)->DenseRange(0, 3);

// Labels spread over the whole script, looked up in turn, so the steady
// state is not one warm hash bucket.
QStringList SpreadLabels(qsizetype lines)
{
    QStringList labels;
    for (int i = 0; i < 64; ++i)
        labels.append(QStringLiteral("scene%1").arg((lines / 64 * i) / 12 * 12));
    return labels;
}

void BM_FindLabel(benchmark::State& state)
{
    TCwdGuard cwd;
    QTemporaryDir dir;
    TKvtParser parser;
    parser.LoadScript(bench::WriteFlatScript(dir, state.range(0)));
    const QStringList labels = SpreadLabels(state.range(0));
    for (const QString& label : labels)
        if (parser.FindLabel(label) < 0)
            state.SkipWithError("generated label missing");
    qsizetype next = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(parser.FindLabel(labels[next]));
        next = (next + 1) & 63;
    }
}
BENCHMARK(BM_FindLabel)->Arg(1000)->Arg(1000000);

// The first lookup after a load builds the index over every line.
void BM_FindLabelFirstLookup(benchmark::State& state)
{
    TCwdGuard cwd;
    QTemporaryDir dir;
    const QString path = bench::WriteFlatScript(dir, state.range(0));
    const QString label = SpreadLabels(state.range(0)).last();
    TKvtParser parser;
    for (auto _ : state) {
        state.PauseTiming();
        parser.LoadScript(path);
        state.ResumeTiming();
        benchmark::DoNotOptimize(parser.FindLabel(label));
    }
}
BENCHMARK(BM_FindLabelFirstLookup)->Arg(1000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

// The file is built piece by piece, four pieces a global: time must grow
// linearly with the number of globals.
void BM_GlobalsData(benchmark::State& state)
{
    TKvtVariables variables;
    for (int64_t i = 0; i < state.range(0); ++i)
        variables.SetStr(QStringLiteral("_global%1").arg(i), QStringLiteral("value %1").arg(i));
    for (auto _ : state)
        benchmark::DoNotOptimize(variables.GlobalsData());
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_GlobalsData)->Arg(1000)->Arg(10000)->Arg(100000)->Complexity()->Unit(benchmark::kMillisecond);

} // namespace
