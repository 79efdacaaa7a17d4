// How long the host takes to build and paint each page (the wizard's start and every step).
#include <QApplication>
#include <QDialog>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include "platform/MessageWindow.h"
#include "shell/CInterDialog.h"
#include "shell/LanguagePack.h"

namespace {

void BM_SwitchAndPaintPage(benchmark::State& state) {
    platform::MessageWindow<QDialog> outer(nullptr, Qt::Window);
    CInterDialog host(&outer);
    host.show();
    const int page = static_cast<int>(state.range(0));
    for (auto _ : state) {
        host.SwitchToPage(page);
        benchmark::DoNotOptimize(host.grab());
    }
}
BENCHMARK(BM_SwitchAndPaintPage)->DenseRange(1, 13)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    QTemporaryDir temp;
    qputenv("TMPDIR", temp.path().toLocal8Bit());
    shell::LoadLanguagePack(shell::kEnglish);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
