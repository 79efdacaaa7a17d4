// How long a page's texts take: every lookup reads the active pack back from the temporary
// folder, as the wizard does.
#include <QCoreApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include "shell/LanguagePack.h"

namespace {

void BM_LoadLanguagePack(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(shell::LoadLanguagePack(static_cast<int>(state.range(0))));
    }
}
BENCHMARK(BM_LoadLanguagePack)->Arg(0)->Arg(21);

void BM_LookupText(benchmark::State& state) {
    shell::SetLanguageIndex(6);
    shell::LoadLanguagePack(6);
    for (auto _ : state) {
        // The last key of the pack: the longest search.
        benchmark::DoNotOptimize(shell::LookupText(u"Waiting", u"Waiting"));
    }
}
BENCHMARK(BM_LookupText);

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir temp;
    qputenv("TMPDIR", temp.path().toLocal8Bit());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
