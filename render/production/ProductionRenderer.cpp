#include "ProductionRenderer.h"

#include "PlanRender.h"
#include "ProgramCompiler.h"
#include "ProgramRunner.h"

#include "render/PixelMath.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

namespace production {

namespace {

int DistinctIndex(double* values, int& count, double v)
{
    for (int i = 0; i < count; ++i)
        if (DoubleBits(values[i]) == DoubleBits(v))
            return i;
    values[count] = v;
    return count++;
}

SampleLayout MakeLayout(bool antiAlias)
{
    SampleLayout layout;
    const SampleOffset* offsets = antiAlias ? kAntiAliasSamples : &kPlainSample;
    layout.samples = antiAlias ? 4 : 1;
    for (int s = 0; s < layout.samples; ++s) {
        layout.dxIndex[s] = DistinctIndex(layout.dx, layout.numDx, offsets[s].dx);
        layout.dyIndex[s] = DistinctIndex(layout.dy, layout.numDy, offsets[s].dy);
    }
    return layout;
}

// A rough cost of one sample of the main program, for the choice of thread
// count only: library calls dominate; the lazy "if" is taken as computing
// everything.
double EstimatedSecondsPerSample(const Program& program)
{
    constexpr double kLibraryCall = 8e-9, kArithmetic = 0.5e-9, kPerSample = 2e-9;
    double seconds = kPerSample;
    for (const Instr& in : program.code) {
        const bool libraryCall = CallsLibrary(in.op) && in.kind == InstrKind::Compute;
        seconds += libraryCall ? kLibraryCall : kArithmetic;
    }
    return seconds;
}

// One worker's registers, counters and the byte slots of its block.
struct WorkerState {
    WorkerState(const CompiledPlan& plan, int blockSamples, int blockPixels)
        : xLine(plan.xLine, blockSamples), yLine(plan.yLine, blockSamples), main(plan.main, blockSamples),
          bytes(size_t(plan.main.numByteSlots) * size_t(blockPixels))
    {
    }
    ProgramRunner xLine, yLine, main;
    LibraryCounts counts;
    std::vector<uint8_t> bytes;
};

class PictureRender {
public:
    PictureRender(const RenderRequest& request, const ProductionOptions& options, const CompiledPlan& plan,
                  LibraryStats* stats, BlockOutput* output);
    int Run();

private:
    bool Aborted() const { return m_request.abort && m_request.abort->load(std::memory_order_relaxed); }
    void Prepare();
    void Work(WorkerState& state, bool coordinator);
    void RunLineBlock(WorkerState& state, const KernelContext& ctx, int block);
    void FinishLines();
    BlockShape MainBlockShape(int block) const;
    void RunMainBlock(WorkerState& state, const KernelContext& ctx, int block);
    void FinishMainBlock(int block);
    void ReportProgress();
    void WaitForWorkers();

    const RenderRequest& m_request;
    const ProductionOptions& m_options;
    const CompiledPlan& m_plan;
    LibraryStats* m_stats;
    BlockOutput* m_output;
    Picture& m_target;
    int m_width, m_height;
    ViewTransform m_view;
    SampleLayout m_layout;
    int m_blockSamples;
    int m_blockPixels;

    // Coordinates of the distinct sample columns and rows, and the tables the
    // line programs fill (slot x position).
    std::vector<double> m_xCoords, m_yCoords;
    std::vector<std::vector<double>> m_xTables, m_yTables;
    std::vector<double*> m_xTablePtrs, m_yTablePtrs;
    double m_inputOfByte[256];

    int m_xLineBlocks = 0, m_lineBlocks = 0, m_mainBlocks = 0;
    // Main blocks run through stripes of m_stripeColumns columns (the last
    // one may be narrower); each full stripe has m_blocksPerStripe blocks.
    int m_stripeColumns = 1, m_stripes = 0, m_blocksPerStripe = 1;
    std::atomic<int> m_nextLine{0}, m_nextMain{0};
    std::atomic<int> m_linesRun{0};

    // Guarded by m_mutex.
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<uint8_t> m_blockDone;
    bool m_linesReady = false;  // every line block run and handed to the output
    int m_activeWorkers = 0;
    bool m_stop = false;

    // Coordinator only.
    int m_frontier = 0;        // leading finished main blocks
    int m_columnsReported = 0;
};

PictureRender::PictureRender(const RenderRequest& request, const ProductionOptions& options,
                             const CompiledPlan& plan, LibraryStats* stats, BlockOutput* output)
    : m_request(request), m_options(options), m_plan(plan), m_stats(stats), m_output(output),
      m_target(*request.target),
      m_width(RenderColumns(*request.target)), m_height(RenderRows(*request.target)), m_view(request.view),
      m_layout(MakeLayout(request.antiAlias))
{
    m_blockSamples = std::max(options.blockSamples, m_layout.samples);
    m_blockPixels = m_blockSamples / m_layout.samples;
    m_blockSamples = m_blockPixels * m_layout.samples;
}

void PictureRender::Prepare()
{
    // Unturned, the tables hold plane coordinates; a turned view mixes u and
    // v, so they hold grid coordinates and each sample is mapped on its own.
    const bool turned = m_view.Turned();
    m_xCoords.resize(size_t(m_width) * size_t(m_layout.numDx));
    for (int c = 0; c < m_width; ++c)
        for (int k = 0; k < m_layout.numDx; ++k) {
            const double u = SampleCoordinate(c, m_layout.dx[k], m_width);
            m_xCoords[size_t(c) * size_t(m_layout.numDx) + size_t(k)] = turned ? u : m_view.X(u);
        }
    m_yCoords.resize(size_t(m_height) * size_t(m_layout.numDy));
    for (int r = 0; r < m_height; ++r)
        for (int k = 0; k < m_layout.numDy; ++k) {
            const double v = SampleCoordinate(r, m_layout.dy[k], m_height);
            m_yCoords[size_t(r) * size_t(m_layout.numDy) + size_t(k)] = turned ? v : m_view.Y(v);
        }
    m_xTables.assign(size_t(m_plan.xLine.numSlots), std::vector<double>(m_xCoords.size()));
    m_yTables.assign(size_t(m_plan.yLine.numSlots), std::vector<double>(m_yCoords.size()));
    for (auto& t : m_xTables)
        m_xTablePtrs.push_back(t.data());
    for (auto& t : m_yTables)
        m_yTablePtrs.push_back(t.data());
    for (int b = 0; b < 256; ++b)
        m_inputOfByte[b] = 2.0 * unsigned(b) / 255.0 - 1.0;

    const auto blocksOf = [&](size_t samples) { return int((samples + size_t(m_blockSamples) - 1) / size_t(m_blockSamples)); };
    m_xLineBlocks = m_plan.xLine.numSlots ? blocksOf(m_xCoords.size()) : 0;
    const int yLineBlocks = m_plan.yLine.numSlots ? blocksOf(m_yCoords.size()) : 0;
    m_lineBlocks = m_xLineBlocks + yLineBlocks;
    const auto blocksOfStripe = [&](int columns) {
        return int((size_t(columns) * size_t(m_height) + size_t(m_blockPixels) - 1) / size_t(m_blockPixels));
    };
    m_stripeColumns = std::clamp(m_options.stripeColumns, 1, m_width);
    m_stripes = (m_width + m_stripeColumns - 1) / m_stripeColumns;
    m_blocksPerStripe = blocksOfStripe(m_stripeColumns);
    m_mainBlocks = (m_stripes - 1) * m_blocksPerStripe + blocksOfStripe(m_width - (m_stripes - 1) * m_stripeColumns);
    m_blockDone.assign(size_t(m_mainBlocks), 0);
}

void PictureRender::RunLineBlock(WorkerState& state, const KernelContext& ctx, int block)
{
    const bool isX = block < m_xLineBlocks;
    const int local = isX ? block : block - m_xLineBlocks;
    ProgramRunner& runner = isX ? state.xLine : state.yLine;
    const std::vector<double>& coords = isX ? m_xCoords : m_yCoords;
    const size_t first = size_t(local) * size_t(m_blockSamples);
    const int n = int(std::min(coords.size() - first, size_t(m_blockSamples)));
    if (double* leaf = runner.Leaf(isX ? Op::XVal : Op::YVal))
        std::copy_n(coords.data() + first, n, leaf);
    runner.Run(n, ctx, isX ? m_xTablePtrs.data() : m_yTablePtrs.data(), first);
}

// The line tables are complete: the output may read them before any main
// block, and every worker may go on to the main blocks.
void PictureRender::FinishLines()
{
    if (m_output) {
        LineTables tables;
        tables.x = m_xTablePtrs.data();
        tables.y = m_yTablePtrs.data();
        tables.layout = &m_layout;
        tables.width = m_width;
        tables.height = m_height;
        m_output->StoreLines(tables);
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_linesReady = true;
    }
    m_changed.notify_all();
}

BlockShape PictureRender::MainBlockShape(int block) const
{
    const int stripe = std::min(block / m_blocksPerStripe, m_stripes - 1);
    BlockShape shape;
    shape.layout = &m_layout;
    shape.column = stripe * m_stripeColumns;
    shape.width = std::min(m_stripeColumns, m_width - shape.column);
    const size_t first = size_t(block - stripe * m_blocksPerStripe) * size_t(m_blockPixels);
    shape.row = int(first / size_t(shape.width));
    shape.offset = int(first % size_t(shape.width));
    shape.pixels = int(std::min(size_t(shape.width) * size_t(m_height) - first, size_t(m_blockPixels)));
    return shape;
}

void PictureRender::RunMainBlock(WorkerState& state, const KernelContext& ctx, int block)
{
    ProgramRunner& runner = state.main;
    KernelContext blockCtx = ctx;
    blockCtx.shape = MainBlockShape(block);
    const BlockShape& shape = blockCtx.shape;
    const int spp = m_layout.samples;
    const int n = shape.pixels * spp;
    double* xVal = runner.Leaf(Op::XVal);
    double* yVal = runner.Leaf(Op::YVal);
    double* in[3] = {runner.Leaf(Op::InR), runner.Leaf(Op::InG), runner.Leaf(Op::InB)};
    const bool wantsInput = in[0] || in[1] || in[2];
    const bool wantsCoords = xVal || yVal;  // only without the line programs
    const Picture* source = m_request.source && !m_request.source->IsNull() ? m_request.source : nullptr;

    if (wantsInput || wantsCoords)
        ForEachRun(shape, [&](int column, int r, int run, int k) {
            for (int j = 0; j < run; ++j) {
                const int c = column + j;
                double input[3] = {-1.0, -1.0, -1.0};
                if (wantsInput && source && c < source->Width() && r < source->Height()) {
                    const uint32_t word = source->Pixel(c, r);
                    input[0] = m_inputOfByte[(word >> 16) & 0xffu];
                    input[1] = m_inputOfByte[(word >> 8) & 0xffu];
                    input[2] = m_inputOfByte[word & 0xffu];
                }
                for (int s = 0; s < spp; ++s) {
                    const size_t i = size_t(k + j) * size_t(spp) + size_t(s);
                    const size_t xi = size_t(c) * size_t(m_layout.numDx) + size_t(m_layout.dxIndex[s]);
                    const size_t yi = size_t(r) * size_t(m_layout.numDy) + size_t(m_layout.dyIndex[s]);
                    if (m_view.Turned()) {
                        double x, y;
                        m_view.Map(m_xCoords[xi], m_yCoords[yi], x, y);
                        if (xVal)
                            xVal[i] = x;
                        if (yVal)
                            yVal[i] = y;
                    } else {
                        if (xVal)
                            xVal[i] = m_xCoords[xi];
                        if (yVal)
                            yVal[i] = m_yCoords[yi];
                    }
                    for (int ch = 0; ch < 3; ++ch)
                        if (in[ch])
                            in[ch][i] = input[ch];
                }
            }
        });

    if (m_output) {
        const ByteSink sink{state.bytes.data(), size_t(shape.pixels), spp};
        runner.Run(n, blockCtx, nullptr, 0, &sink);
        m_output->StoreBlock(shape, sink.bytes, sink.stride);
        return;
    }
    runner.Run(n, blockCtx);

    // The pixel words of the whole block, then a row's run at a time into
    // the picture.
    uint32_t* words = reinterpret_cast<uint32_t*>(ctx.scratch[0]);
    ctx.kernels->pack(shape.pixels, spp, runner.Output(0), runner.Output(1), runner.Output(2), words);
    ForEachRun(shape, [&](int column, int r, int run, int k) { m_target.StoreRunShared(column, r, words + k, run); });
}

void PictureRender::FinishMainBlock(int block)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_blockDone[size_t(block)] = 1;
    }
    m_changed.notify_all();
}

// Reports every count of leading finished columns not yet reported. Only the
// calling thread reports, so the counts arrive in order on one thread.
void PictureRender::ReportProgress()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        while (m_frontier < m_mainBlocks && m_blockDone[size_t(m_frontier)])
            ++m_frontier;
    }
    if (!m_request.columnsDone)
        return;
    // A column is finished with its stripe.
    const int columns =
        m_frontier >= m_mainBlocks ? m_width : std::min(m_width, m_frontier / m_blocksPerStripe * m_stripeColumns);
    while (m_columnsReported < columns && !Aborted())
        m_request.columnsDone(++m_columnsReported);
}

void PictureRender::Work(WorkerState& state, bool coordinator)
{
    KernelContext ctx;
    ctx.xTables = m_xTablePtrs.data();
    ctx.yTables = m_yTablePtrs.data();
    ctx.counts = &state.counts;
    ctx.scratch[0] = state.main.Scratch(0);
    ctx.scratch[1] = state.main.Scratch(1);
    ctx.sampler = coordinator && m_stats ? m_stats->sampler : nullptr;
    ctx.reuseRepeats = m_options.reuseRepeats;
    ctx.mathLibrary = m_options.mathLibrary;
    ctx.kernels = m_options.kernels ? m_options.kernels : &SelectKernels(m_options.wideKernels);

    // The line tables first: every main block may read any of them.
    while (!Aborted()) {
        const int block = m_nextLine.fetch_add(1);
        if (block >= m_lineBlocks)
            break;
        RunLineBlock(state, ctx, block);
        if (m_linesRun.fetch_add(1) + 1 == m_lineBlocks)
            FinishLines();
    }
    if (Aborted()) {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_stop = true;
        }
        m_changed.notify_all();
        return;
    }
    {
        // Only blocks already taken are missing, and those finish.
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait(lock, [&] { return m_linesReady || m_stop; });
        if (m_stop)
            return;
    }

    while (!Aborted()) {
        const int block = m_nextMain.fetch_add(1);
        if (block >= m_mainBlocks)
            break;
        RunMainBlock(state, ctx, block);
        FinishMainBlock(block);
        if (coordinator)
            ReportProgress();
    }
}

// The coordinator, out of blocks, goes on reporting the others' columns as
// they finish, until every worker has stopped.
void PictureRender::WaitForWorkers()
{
    for (;;) {
        ReportProgress();
        std::unique_lock<std::mutex> lock(m_mutex);
        const bool frontierReady = m_frontier < m_mainBlocks && m_blockDone[size_t(m_frontier)];
        if (frontierReady)
            continue;
        if (m_activeWorkers == 0)
            break;
        m_changed.wait(lock, [&] {
            return m_activeWorkers == 0 || (m_frontier < m_mainBlocks && m_blockDone[size_t(m_frontier)]);
        });
    }
    ReportProgress();
}

int PictureRender::Run()
{
    if (m_width > 0 && m_height == 0) {
        // No pixel to compute: every column is finished at once.
        for (int c = 1; c <= m_width && m_request.columnsDone; ++c)
            m_request.columnsDone(c);
    }
    if (m_width == 0 || m_height == 0)
        return Aborted() ? 0 : 1;

    Prepare();
    int threads = m_request.threads > 0 ? m_request.threads : int(std::thread::hardware_concurrency());
    threads = std::clamp(threads, 1, kMaxThreads);
    const int perThread = std::max(1, m_options.minBlocksPerThread);
    threads = std::min(threads, std::max(1, (m_mainBlocks + perThread - 1) / perThread));
    if (m_options.minSecondsPerThread > 0.0) {
        const double samples = double(m_width) * double(m_height) * double(m_layout.samples);
        const double estimate = samples * EstimatedSecondsPerSample(m_plan.main);
        threads = std::min(threads, std::max(1, int(estimate / m_options.minSecondsPerThread)));
    }

    std::vector<std::unique_ptr<WorkerState>> states;
    for (int t = 0; t < threads; ++t)
        states.push_back(std::make_unique<WorkerState>(m_plan, m_blockSamples, m_blockPixels));

    if (m_lineBlocks == 0)
        FinishLines();
    std::vector<std::thread> workers;
    m_activeWorkers = threads - 1;
    for (int t = 1; t < threads; ++t) {
        try {
            workers.emplace_back([this, &state = *states[size_t(t)]] {
                Work(state, false);
                {
                    std::lock_guard<std::mutex> lock(m_mutex);
                    --m_activeWorkers;
                }
                m_changed.notify_all();
            });
        } catch (const std::system_error&) {
            // Fewer threads than asked for: the others share the work.
            std::lock_guard<std::mutex> lock(m_mutex);
            m_activeWorkers -= threads - t;
            break;
        }
    }
    Work(*states[0], true);
    WaitForWorkers();
    for (std::thread& w : workers)
        w.join();

    if (m_stats)
        for (const auto& s : states)
            m_stats->counts.Add(s->counts);
    return Aborted() ? 0 : 1;
}

}  // namespace

int RenderPlan(const RenderRequest& request, const ProductionOptions& options, const CompiledPlan& plan,
               LibraryStats* stats, BlockOutput* output)
{
    PictureRender render(request, options, plan, stats, output);
    return render.Run();
}

bool CanCompile(const ExprNode* root)
{
    CEvaluator evaluator;
    CompiledPlan plan;
    return CompilePlan(root, evaluator, ProductionOptions{}, plan);
}

int RenderProduction(const RenderRequest& request, const ProductionOptions& options, LibraryStats* stats)
{
    if (!request.target || !request.evaluator)
        return RenderReference(request);
    CompiledPlan plan;
    // A turned view makes x and y depend on both the column and the row.
    ProductionOptions used = options;
    if (request.view.angle != 0.0)
        used.hoistLines = false;
    try {
        if (!CompilePlan(request.root, *request.evaluator, used, plan))
            return RenderReference(request);
        return RenderPlan(request, used, plan, stats, nullptr);
    } catch (const std::bad_alloc&) {
        // Not enough memory for the programs or tables: the reference needs none.
        return RenderReference(request);
    }
}

}  // namespace production

int RenderProduction(const RenderRequest& request)
{
    return production::RenderProduction(request, production::ProductionOptions{});
}
