// SPDX-License-Identifier: MIT
// The job list on the panel: a tray click on the loaded panel reads dep.dat again and the job
// list widget takes the new lines (sorted for display, converted, the list replaced). Beside it
// the least Qt can do with the same lines: convert them and hand them to a plain combo box.
#include "BenchStore.h"

#include "app/SettingsStore.h"
#include "app/StorePaths.h"
#include "panel/Panel.h"
#include "platform/Clock.h"
#include "platform/Drives.h"
#include "platform/SettingsBackend.h"
#include "platform/WindowsPath.h"
#include "platform/posix/PosixFileOps.h"
#include "qt/PanelWindow.h"
#include "qt/QtFrontEnd.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
#include <QStringList>
#include <QStringListModel>
#include <QTimer>

#include <memory>
#include <stdexcept>

namespace shiftloom::bench {
namespace {

// The panel as the program makes it, loaded from a store of `jobs` jobs and shown.
struct LoadedPanel
{
    explicit LoadedPanel(int jobs)
    {
        writeBytes(home.file(kStoreMarkerName), "[cardward]\r\n");
        writeBytes(home.file(kJobFileName), jobFileBytes(jobs));
        settings.write(keys::DataLoc, home.path());
        frontEnd.attach(panel, window);
        if (panel.load() != LoadOutcome::Normal)
            throw std::runtime_error("the panel did not load its store");
        window.show();
        QApplication::processEvents();
    }
    BenchDir home;
    platform::PosixPathMapper paths{{.own = home.file("own")}};
    platform::PosixFileOps files{paths};
    platform::MemorySettingsBackend backend;
    SettingsStore settings{backend};
    platform::SystemClock clock;
    platform::PosixDriveList drives;
    QtFrontEnd frontEnd{settings, files, drives};
    Panel panel{settings, files, clock, frontEnd};
    PanelWindow window{panel};
};

void BM_Qt_TrayClickRefill(benchmark::State& state)
{
    LoadedPanel panel(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        panel.window.showFromTray();
        QApplication::processEvents();
    }
    state.counters["lines"] = static_cast<double>(panel.panel.jobList().size());
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// The floor of the widget's part: the same lines, already read, converted to QString and set
// on a plain combo box's string list.
void BM_Qt_PlainComboFill(benchmark::State& state)
{
    LoadedPanel panel(static_cast<int>(state.range(0)));
    const std::vector<std::string> lines = panel.panel.jobList().toVector();
    QComboBox combo;
    auto* model = new QStringListModel(&combo);
    combo.setModel(model);
    for (auto _ : state) {
        QStringList list;
        list.reserve(static_cast<qsizetype>(lines.size()));
        for (const std::string& line : lines)
            list.push_back(QString::fromLatin1(line.data(), static_cast<qsizetype>(line.size())));
        model->setStringList(list);
        QApplication::processEvents();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// One clock tick on the panel, with the repaint it causes when the panel is shown (the clock
// display changes every second) and without it when the panel is hidden in the tray.
void BM_Qt_ClockTick(benchmark::State& state)
{
    const bool shown = state.range(0) != 0;
    LoadedPanel panel(10);
    if (!shown)
        panel.window.hide();
    QApplication::processEvents();
    // A running job past the first minute of its hour: the clock display counts by itself, so it
    // changes at every tick, as it does a second apart.
    panel.panel.assignJob(panel.panel.jobList().front());
    QTimer::singleShot(0, [] { QApplication::activeModalWidget()->close(); }); // the activity dialog
    panel.panel.pressJobButton(0);
    panel.panel.editElapsed(0, "01:23:45");
    panel.window.render();
    for (auto _ : state) {
        panel.frontEnd.tick();
        QApplication::processEvents();
    }
    state.SetLabel(shown ? "panel shown" : "panel hidden");
}

void jobCounts(benchmark::internal::Benchmark* bench)
{
    bench->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_Qt_TrayClickRefill)->Apply(jobCounts);
BENCHMARK(BM_Qt_PlainComboFill)->Apply(jobCounts);
BENCHMARK(BM_Qt_ClockTick)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace shiftloom::bench

namespace {

// The offscreen platform tells on every raise() of the panel (the tray click shows and raises
// it); that says nothing about the benchmark.
void quietMessages(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (message.contains(QLatin1String("does not support raise")))
        return;
    qt_message_output(type, context, message);
}

} // namespace

int main(int argc, char** argv)
{
    qInstallMessageHandler(quietMessages);
    // The widgets need a window system but nothing on a screen: the offscreen platform, unless
    // the caller chose one.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::AddCustomContext("qt_platform", QApplication::platformName().toStdString());
    benchmark::AddCustomContext("qt_version", qVersion());
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
