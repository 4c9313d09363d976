#include "VariationsModel.h"

#include "engine/GenerationSettings.h"
#include "render/CalcBitmap.h"
#include "render/Picture.h"

#include <algorithm>
#include <cstdlib>

namespace {
// The order in which the grid's pictures are computed: the middle first.
constexpr int kJobOrder[kVariationCells] = {kMiddleCell, 0, 1, 2, 3, 5, 6, 7, 8};
}  // namespace

double MeanChannelDifference(const Picture& a, const Picture& b)
{
    if (a.Width() != b.Width() || a.Height() != b.Height())
        return 255.0;
    const long long channels = 3LL * a.Width() * a.Height();
    if (channels == 0)
        return 0.0;
    long long sum = 0;
    for (int r = 0; r < a.Height(); ++r)
        for (int c = 0; c < a.Width(); ++c) {
            const uint32_t p = a.LoadPixelShared(c, r);
            const uint32_t q = b.LoadPixelShared(c, r);
            for (int shift : {0, 8, 16})
                sum += std::abs(int((p >> shift) & 0xff) - int((q >> shift) & 0xff));
        }
    return double(sum) / double(channels);
}

CVariationsModel::CVariationsModel(Setup setup) : m_setup(std::move(setup)), m_random(m_setup.seed) {}

CVariationsModel::~CVariationsModel() { Shutdown(); }

bool CVariationsModel::Start(const ExprNode* root)
{
    auto middle = std::make_shared<CQuilExpression>();
    if (!root || !middle->CopyFrom(root))
        return false;
    middle->UpdateUsesPicture();
    m_cells[kMiddleCell] = MakeCell(std::move(middle));
    m_earlier.clear();
    NewRound();
    return true;
}

VariationPicture CVariationsModel::MakeCell(std::shared_ptr<const CQuilExpression> expression) const
{
    VariationPicture cell;
    if (!expression)
        return cell;
    cell.expression = std::move(expression);
    cell.picture = std::make_shared<Picture>();
    cell.state = cell.picture->Create(m_setup.side, m_setup.side) ? CellState::Waiting : CellState::Failed;
    return cell;
}

bool CVariationsModel::Choose(int cell)
{
    if (cell < 0 || cell >= kVariationCells || cell == kMiddleCell || !m_cells[size_t(cell)].expression)
        return false;
    AbandonJob();
    m_earlier.push_back(m_cells[kMiddleCell]);
    if (m_earlier.size() > kMaxEarlierMiddles)
        m_earlier.erase(m_earlier.begin());
    // A picture still being written belongs to the abandoned job: the new middle gets its own.
    const VariationPicture& chosen = m_cells[size_t(cell)];
    m_cells[kMiddleCell] = chosen.state == CellState::Ready ? chosen : MakeCell(chosen.expression);
    NewRound();
    return true;
}

void CVariationsModel::Again()
{
    AbandonJob();
    NewRound();
}

bool CVariationsModel::Back()
{
    if (m_earlier.empty())
        return false;
    return ReturnTo(m_earlier.size() - 1);
}

bool CVariationsModel::ReturnTo(size_t index)
{
    if (index >= m_earlier.size())
        return false;
    AbandonJob();
    const VariationPicture earlier = m_earlier[index];
    m_earlier.resize(index);
    m_cells[kMiddleCell] = earlier.state == CellState::Ready ? earlier : MakeCell(earlier.expression);
    NewRound();
    return true;
}

void CVariationsModel::SetStrength(int strength)
{
    strength = std::clamp(strength, kMinStrength, kMaxStrength);
    if (strength == m_nStrength)
        return;
    m_nStrength = strength;
    Again();
}

void CVariationsModel::SetMate(const ExprNode* mate, const std::string& name)
{
    m_pMate.reset();
    m_strMateName.clear();
    if (mate) {
        auto copy = std::make_unique<CQuilExpression>();
        if (copy->CopyFrom(mate)) {
            m_pMate = std::move(copy);
            m_strMateName = name;
        }
    }
    Again();
}

void CVariationsModel::NewRound()
{
    const CQuilExpression* middle = m_cells[kMiddleCell].expression.get();
    if (!middle || m_bShutDown)
        return;
    CMutator mutator(*m_setup.settings, m_random);
    VariationRound round =
        mutator.Vary(middle->GetRoot(), kVariationsPerRound, m_nStrength, m_pMate ? m_pMate->GetRoot() : nullptr);
    m_nFound = int(round.variations.size());
    std::fill(std::begin(m_nRedraws), std::end(m_nRedraws), 0);
    m_nRedrawsTotal = 0;
    size_t next = 0;
    for (int cell = 0; cell < kVariationCells; ++cell) {
        if (cell == kMiddleCell)
            continue;
        std::shared_ptr<const CQuilExpression> expression;
        if (next < round.variations.size())
            expression = std::move(round.variations[next++].expression);
        m_cells[size_t(cell)] = MakeCell(std::move(expression));
    }
    StartNextJob();
}

void CVariationsModel::AbandonJob()
{
    if (m_pJob) {
        // The worker holds the job and its target; nothing here waits for it.
        m_pJob->SetAbort(1);
        m_pJob.reset();
    }
    if (m_nRunningCell >= 0 && m_cells[size_t(m_nRunningCell)].state == CellState::Computing)
        m_cells[size_t(m_nRunningCell)] = MakeCell(m_cells[size_t(m_nRunningCell)].expression);
    m_nRunningCell = -1;
    m_nRunningSerial = 0;
}

void CVariationsModel::StartNextJob()
{
    if (m_bShutDown || m_pJob)
        return;
    for (int cell : kJobOrder) {
        VariationPicture& c = m_cells[size_t(cell)];
        if (c.state != CellState::Waiting)
            continue;
        auto job = std::make_shared<CCalcBitmap>();
        job->m_pRoot = c.expression->GetRoot();
        job->m_pTarget = c.picture;
        job->m_pRenderer = m_setup.renderer;
        if (c.expression->m_bUsesPicture && m_setup.source)
            job->m_pSourcePicture = m_setup.source(m_setup.side, m_setup.side);
        const uint64_t serial = ++m_nLastSerial;
        ++m_nJobsStarted;
        if (!job->Start(m_setup.notifier ? m_setup.notifier(serial) : nullptr)) {
            c.state = CellState::Failed;
            continue;
        }
        c.state = CellState::Computing;
        m_pJob = std::move(job);
        m_nRunningCell = cell;
        m_nRunningSerial = serial;
        return;
    }
}

bool CVariationsModel::OnJobNotice(const JobNotice& notice, uint64_t serial)
{
    if (serial == 0 || serial != m_nRunningSerial || !notice.IsEnd())
        return false;  // progress, or a job the grid has moved on from
    VariationPicture& cell = m_cells[size_t(m_nRunningCell)];
    // The job's result is stored only after its last notice: the notice's kind is what counts.
    cell.state = notice.kind == JobNotice::Kind::Finished ? CellState::Ready : CellState::Failed;
    const int finished = m_nRunningCell;
    m_pJob.reset();
    m_nRunningCell = -1;
    m_nRunningSerial = 0;
    KeepOnlyDistinct(finished);
    StartNextJob();
    return true;
}

void CVariationsModel::KeepOnlyDistinct(int cell)
{
    VariationPicture& variation = m_cells[size_t(cell)];
    if (cell == kMiddleCell || variation.state != CellState::Ready)
        return;
    const auto alike = [&variation](const VariationPicture& other) {
        return &other != &variation && other.state == CellState::Ready && other.picture &&
               MeanChannelDifference(*variation.picture, *other.picture) < kAlikeMeanDifference;
    };
    if (std::none_of(std::begin(m_cells), std::end(m_cells), alike))
        return;
    const CQuilExpression* middle = m_cells[kMiddleCell].expression.get();
    std::shared_ptr<const CQuilExpression> again;
    if (middle && m_nRedraws[cell] < kMaxRedrawsPerCell) {
        ++m_nRedraws[cell];
        CMutator mutator(*m_setup.settings, m_random);
        VariationRound round = mutator.Vary(middle->GetRoot(), 1, m_nStrength, m_pMate ? m_pMate->GetRoot() : nullptr);
        if (!round.variations.empty())
            again = std::move(round.variations.front().expression);
    }
    if (again)
        ++m_nRedrawsTotal;
    else
        --m_nFound;  // given up: the cell stays empty
    variation = MakeCell(std::move(again));
}

void CVariationsModel::Shutdown()
{
    m_bShutDown = true;
    if (m_pJob && m_pJob->IsRunning())
        StopJob(*m_pJob);
    m_pJob.reset();
    m_nRunningCell = -1;
    m_nRunningSerial = 0;
}

int CVariationsModel::PicturesReady() const
{
    return int(std::count_if(std::begin(m_cells), std::end(m_cells),
                             [](const VariationPicture& c) { return c.state == CellState::Ready; }));
}
