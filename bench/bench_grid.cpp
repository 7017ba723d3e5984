// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Brindlewick developers

// Times the grid conversions and filling the window's grid. Run it from a
// build: build/bench/brindlewick_bench (add --benchmark_filter=… to pick).
#include "app/form1.h"
#include "app/grid_text_box.h"
#include "files/compare_file.h"
#include "files/load_save.h"
#include "files/scene_file.h"
#include "platform/qt_dialog_service.h"
#include "platform/qt_serial_link.h"
#include "scene/scene_grid.h"
#include "support/fake_dialog_service.h"

#include <QApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

SceneBytes MakeScene(qsizetype size)
{
    SceneBytes scene(size, '\0');
    for (qsizetype i = 0; i < size; ++i)
        scene[i] = static_cast<char>((i * 131 + 7) % 256);
    return scene;
}

void FormatGrid(benchmark::State& state)
{
    const SceneBytes scene = MakeScene(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(FormatSceneGrid(scene));
    state.SetBytesProcessed(state.iterations() * state.range(0));
    state.SetComplexityN(state.range(0));
}
BENCHMARK(FormatGrid)->Arg(64 << 10)->Arg(1 << 20)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);

void ParseGrid(benchmark::State& state)
{
    const QString grid = FormatSceneGrid(MakeScene(state.range(0)));
    FakeDialogService dialogs;
    for (auto _ : state) {
        std::optional<SceneBytes> bytes = ParseSceneGrid(grid, QStringLiteral("Send Scene"), dialogs);
        if (!bytes || bytes->size() != state.range(0))
            state.SkipWithError("the grid did not parse back");
        benchmark::DoNotOptimize(bytes);
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
    state.SetComplexityN(state.range(0));
}
BENCHMARK(ParseGrid)->Arg(64 << 10)->Arg(1 << 20)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);

// Putting a scene into the grid until the window has painted it.
void SetGridIntoText1(benchmark::State& state)
{
    FakeDialogService dialogs;
    QtSerialLink serial([] { return QList<PortDevice>{}; });
    Form1 form(dialogs, serial);
    form.show();
    QApplication::processEvents();
    const QString large = FormatSceneGrid(MakeScene(state.range(0)));
    const QString blankSized = FormatSceneGrid(MakeScene(256));
    for (auto _ : state) {
        form.SetGridText(large);
        form.repaint();
        state.PauseTiming();
        form.SetGridText(blankSized);  // each round starts from a usual grid
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(SetGridIntoText1)->Arg(64 << 10)->Unit(benchmark::kMillisecond);

// A scene file loaded into the grid, through the load command's own path,
// until the window has painted it.
void LoadFileIntoGrid(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("scene.bin"));
    Ecrire(path, MakeScene(state.range(0)));
    FakeDialogService dialogs;
    QtSerialLink serial([] { return QList<PortDevice>{}; });
    Form1 form(dialogs, serial);
    form.show();
    QApplication::processEvents();
    const QString startUp = form.GridText();
    for (auto _ : state) {
        LoadSceneFile(form, path);
        form.repaint();
        if (!dialogs.Said.isEmpty())
            state.SkipWithError("the file did not load");
        state.PauseTiming();
        form.Text1->ResetGridText(startUp);  // each round starts from the start-up grid
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
    state.SetComplexityN(state.range(0));
}
BENCHMARK(LoadFileIntoGrid)
    ->Arg(64 << 10)
    ->Arg(256 << 10)
    ->Arg(1 << 20)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

// The save command on a 64 KiB grid, replacing the file each time.
void SaveGridToFile(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("scene.bin"));
    FakeDialogService dialogs;
    QtSerialLink serial([] { return QList<PortDevice>{}; });
    Form1 form(dialogs, serial);
    form.SetGridText(FormatSceneGrid(MakeScene(state.range(0))));
    for (auto _ : state) {
        dialogs.Answers = {path};
        SaveSceneCommand(form);  // the overwrite question is answered Yes
    }
    if (Lire(path) != MakeScene(state.range(0)))
        state.SkipWithError("the file does not hold the grid");
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(SaveGridToFile)->Arg(64 << 10)->Unit(benchmark::kMillisecond);

// "Compare with File…" on a grid of the given size shown in the window,
// against a file that differs in every third byte: the grid read, the file
// read, the comparison, the marks on screen and the message.
void CompareGridWithFile(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("scene.bin"));
    SceneBytes other = MakeScene(state.range(0));
    for (qsizetype i = 0; i < other.size(); i += 3)
        other[i] = static_cast<char>(other[i] ^ 1);
    Ecrire(path, other);
    FakeDialogService dialogs;
    QtSerialLink serial([] { return QList<PortDevice>{}; });
    Form1 form(dialogs, serial);
    form.show();
    form.SetGridText(FormatSceneGrid(MakeScene(state.range(0))));
    QApplication::processEvents();
    for (auto _ : state) {
        dialogs.Answers = {path};
        CompareWithFileCommand(form);
    }
    if (form.Text1->MarkedEntries(true).isEmpty() || !dialogs.Said.value(0).contains(QStringLiteral("differ")))
        state.SkipWithError("the differences were not found");
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(CompareGridWithFile)->Arg(64 << 10)->Arg(1 << 20)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
