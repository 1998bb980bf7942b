#include "ScriptGenerator.h"
#include "app/DebuggerPanes.h"
#include "app/ScriptView.h"
#include "assets/CharManager.h"
#include "engine/KvtEngine.h"
#include "engine/KvtVariables.h"

#include <QApplication>

#include <benchmark/benchmark.h>

namespace {

// What the author waits for after a load: the pane takes the new lines and
// draws its first screen, at the top and, after a jump, near the end.
void BM_ScriptPaneShowsLoadedScript(benchmark::State& state)
{
    QTemporaryDir dir;
    TKvtParser parser;
    parser.LoadScript(bench::WriteFlatScript(dir, state.range(0)));
    TScriptView view({[&] { return parser.LineCount(); }, [&](qsizetype line) { return parser.Line(line); },
                      [](qsizetype) { return false; }},
                     nullptr);
    view.resize(1000, 188);
    for (auto _ : state) {
        view.Refresh();
        benchmark::DoNotOptimize(view.grab());
        view.ShowCurrentLine(parser.LineCount() - 10);
        benchmark::DoNotOptimize(view.grab());
    }
}
BENCHMARK(BM_ScriptPaneShowsLoadedScript)->Arg(1000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// The labels list of a script with 100,000 labels, rebuilt as after a load.
void BM_LabelsListRefresh(benchmark::State& state)
{
    QTemporaryDir dir;
    TKvtParser parser;
    parser.LoadScript(bench::WriteFlatScript(dir, state.range(0)));
    TKvtVariables variables;
    TActorManager actors;
    TPositionManager positions;
    TToolsPanel tools({parser, variables, actors, positions}, nullptr);
    for (auto _ : state)
        tools.RefreshLabels();
}
BENCHMARK(BM_LabelsListRefresh)->Arg(1200000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
