// Interface time of opening and closing deep documents: the whole
// application on the offscreen platform opens a chain of nested "sin" of a
// given depth, shows its thumbnails and closes it again. Each phase is timed
// on the interface thread alone (the thumbnails are computed on a worker
// thread, whose time is left out), at depths from 512 up to the deepest tree
// a file may hold, so that the fitted complexity shows whether the cost grows
// with the depth or faster. Run: quil_bench_documents [--benchmark_filter=...].

#include "app/QuilApp.h"
#include "engine/NodeKinds.h"
#include "engine/RandomSource.h"
#include "engine/SettingsStore.h"
#include "resources/AppStrings.h"
#include "shell/DisplaySettings.h"
#include "shell/MessageBox.h"
#include "shell/QuilDoc.h"
#include "app/ChildFrame.h"
#include "app/MainFrame.h"
#include "views/LeftView.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTemporaryDir>
#include <QThread>

#include <benchmark/benchmark.h>

#include <chrono>
#include <ctime>
#include <cstdlib>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

// Open: reading the file and building the tree; ShowThumbnails: showing the
// finished job's thumbnails; Close: closing the shown document;
// CloseComputing: closing it at once after opening, its job still running.
enum class Phase { Open, ShowThumbnails, Close, CloseComputing };

// The deepest chain a file may hold: the reader gives the innermost
// terminal's number one level of its own.
constexpr int kDeepestChain = kMaxTreeDepth - 1;

// How long a run waits for the thumbnail job before it gives up (a hang
// guard, not a measurement), in slices of a few milliseconds.
constexpr int kJobWaitSlices = 200000;
constexpr int kJobWaitSliceMs = 5;

QString WriteChain(const QTemporaryDir& dir, int depth)
{
    std::string text = "X[]";
    for (int level = 1; level < depth; ++level)
        text = "sin[" + text + "]";
    const QString path = dir.filePath(QStringLiteral("chain%1.quil").arg(depth));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(text.c_str(), qint64(text.size()));
    return path;
}

void ProcessEvents()
{
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

double Seconds(Clock::time_point from) { return std::chrono::duration<double>(Clock::now() - from).count(); }

// Processor time of the calling (interface) thread, seconds: the wall time of
// a phase also holds the time the workers and other programs take the processors.
double ThreadSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

// Wall and interface-thread time of one phase.
struct PhaseTime {
    double wall = 0;
    double thread = 0;
};

class PhaseClock {
public:
    PhaseClock() : m_wall(Clock::now()), m_thread(ThreadSeconds()) {}
    PhaseTime Read() const { return {Seconds(m_wall), ThreadSeconds() - m_thread}; }

private:
    Clock::time_point m_wall;
    double m_thread;
};

CLeftView* TreeOf(CQuilApp& app, CQuilDoc* doc)
{
    for (QMdiSubWindow* sub : app.GetMainFrame()->MdiArea()->subWindowList())
        if (auto* frame = qobject_cast<CChildFrame*>(sub->widget()); frame && frame->GetDocument() == doc)
            return frame->TreeView();
    return nullptr;
}

// One open, thumbnails, close; returns the times of the phase asked for.
PhaseTime OpenShowClose(CQuilApp& app, const QString& path, Phase phase, benchmark::State& state)
{
    PhaseClock clock;
    CQuilDoc* doc = app.OpenDocumentFile(path);
    ProcessEvents();
    const PhaseTime open = clock.Read();
    CLeftView* tree = doc ? TreeOf(app, doc) : nullptr;
    if (!tree) {
        state.SkipWithError("the document did not open");
        return {};
    }
    if (phase == Phase::CloseComputing) {
        clock = PhaseClock();
        app.CloseAllDocuments();
        ProcessEvents();
        return clock.Read();
    }
    for (int i = 0; i < kJobWaitSlices && tree->IsThumbnailJobRunning(); ++i)
        QThread::msleep(kJobWaitSliceMs);
    clock = PhaseClock();
    ProcessEvents();  // the job's end: the thumbnails are shown
    const PhaseTime show = clock.Read();
    if (tree->ThumbSize() > 0 && !tree->ThumbnailsShown())
        state.SkipWithError("the thumbnails did not arrive");
    clock = PhaseClock();
    app.CloseAllDocuments();
    ProcessEvents();
    const PhaseTime close = clock.Read();
    switch (phase) {
    case Phase::Open: return open;
    case Phase::ShowThumbnails: return show;
    case Phase::Close: return close;
    case Phase::CloseComputing: break;
    }
    return {};
}

void DeepDocument(benchmark::State& state, Phase phase, int thumbSize)
{
    const int depth = int(state.range(0));
    QTemporaryDir dir;
    const QString path = WriteChain(dir, depth);
    MemorySettingsStore store;
    store.WriteProfileInt(kSectionMisc, kValueWelcome, 0);
    store.WriteProfileInt(kSectionTree, kValueThumbSize, thumbSize);
    LcgRandomSource random(1);
    CQuilApp app(&store, &random);
    if (!app.InitInstance({})) {
        state.SkipWithError("the application did not start");
        return;
    }
    app.CloseAllDocuments();
    ProcessEvents();
    int boxes = 0;
    const MessageBoxHook previous = SetMessageBoxHook([&boxes](const MessageBoxRequest&) {
        ++boxes;
        return QMessageBox::Ok;
    });
    double thread = 0;
    for (auto _ : state) {
        const PhaseTime time = OpenShowClose(app, path, phase, state);
        state.SetIterationTime(time.wall);
        thread += time.thread;
    }
    state.counters["ui_thread_ms"] = benchmark::Counter(thread * 1e3, benchmark::Counter::kAvgIterations);
    SetMessageBoxHook(previous);
    if (boxes > 0)
        state.SkipWithError("a message box was shown");
    state.SetComplexityN(depth);
}

void Register(const char* name, Phase phase, int thumbSize)
{
    benchmark::RegisterBenchmark(name, [phase, thumbSize](benchmark::State& s) { DeepDocument(s, phase, thumbSize); })
        ->Arg(512)
        ->Arg(1024)
        ->Arg(2048)
        ->Arg(kDeepestChain)
        ->UseManualTime()
        ->Iterations(1)
        ->Unit(benchmark::kMillisecond)
        ->Complexity();
}

}  // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication qapp(argc, argv);
    Register("Open/thumb0", Phase::Open, 0);
    Register("Close/thumb0", Phase::Close, 0);
    Register("Open/thumb24", Phase::Open, 24);
    Register("ShowThumbnails/thumb24", Phase::ShowThumbnails, 24);
    Register("Close/thumb24", Phase::Close, 24);
    Register("CloseComputing/thumb24", Phase::CloseComputing, 24);
    Register("ShowThumbnails/thumb64", Phase::ShowThumbnails, 64);
    Register("Close/thumb64", Phase::Close, 64);
    Register("CloseComputing/thumb64", Phase::CloseComputing, 64);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
