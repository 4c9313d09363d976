#include "RandomSampleRow.h"

#include "engine/GenerationSettings.h"
#include "render/CalcBitmap.h"
#include "render/pictureio/PictureIO.h"
#include "render/production/ProductionRenderer.h"
#include "shell/QtJobNotifier.h"

#include <QHBoxLayout>
#include <QPixmap>
#include <QToolButton>

namespace {

// A sample tree stays small: one that outgrows this many bytes of nodes is
// not shown (about 28000 nodes; a 96 x 96 picture of it is still quick).
constexpr size_t kSamplePoolBytes = size_t(2) << 20;
// Each picture is small: one thread each, the samples run side by side.
constexpr int kSampleThreads = 1;
// Room between a picture and its button's edge.
constexpr int kTileMargin = 6;

constexpr const char* kSampleToolTip = "Open this picture as a new document";
constexpr const char* kTooLargeText = "Too large";
constexpr const char* kTooLargeToolTip = "This tree grew too large to show as a sample";
constexpr const char* kWhatsThisSample =
    "A picture of a random expression made under the values in the dialog as they stand. Click it to open "
    "it as a new document. \"Sample\" draws six new ones; the sample changes no settings.";

QString ControlName(int id) { return QStringLiteral("idc%1").arg(id); }

}  // namespace

CRandomSampleRow::CRandomSampleRow(RandomSampleHost& host, uint32_t seed, QWidget* parent)
    : QWidget(parent), m_host(host), m_random(seed)
{
    m_pNotifyTarget = std::make_shared<QtNotifyTarget>(this, [this](const JobNotice& notice, quint64 serial) {
        if (notice.kind == JobNotice::Kind::Finished)
            OnJobNotice(serial);
    });
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    for (int i = 0; i < kSampleCount; ++i) {
        auto* tile = new QToolButton(this);
        tile->setObjectName(ControlName(IDC_FIRST_SAMPLE + i));
        tile->setIconSize(QSize(kSampleSide, kSampleSide));
        tile->setFixedSize(kSampleSide + 2 * kTileMargin, kSampleSide + 2 * kTileMargin);
        tile->setCursor(Qt::PointingHandCursor);
        tile->setWhatsThis(QString::fromUtf8(kWhatsThisSample));
        tile->setEnabled(false);
        connect(tile, &QToolButton::clicked, this, [this, i] { OnTileClicked(i); });
        layout->addWidget(tile);
        m_tiles.push_back(tile);
    }
    layout->addStretch(1);
}

CRandomSampleRow::~CRandomSampleRow()
{
    // A picture that ends within the wait reports to a row that still exists
    // (and is ignored); only one that outlives it finds the target detached.
    StopJobs();
    for (const std::shared_ptr<CCalcBitmap>& job : m_stopping)
        StopJob(*job);
    m_pNotifyTarget->Detach();
}

void CRandomSampleRow::StopJobs()
{
    // Each job owns its tree and its picture, so the row moves on at once; its
    // end is ignored by its serial. The row still waits for it when it closes.
    std::erase_if(m_stopping, [](const std::shared_ptr<CCalcBitmap>& job) { return !job->IsRunning(); });
    for (Sample& sample : m_samples)
        if (sample.job && sample.job->IsRunning()) {
            sample.job->SetAbort(1);
            m_stopping.push_back(sample.job);
        }
}

void CRandomSampleRow::Clear()
{
    StopJobs();
    m_samples.clear();
    for (int i = 0; i < kSampleCount; ++i)
        ShowTile(i);
}

void CRandomSampleRow::DrawSamples(const GenerationSettings& settings)
{
    StopJobs();
    m_samples.clear();
    m_samples.resize(kSampleCount);
    for (Sample& sample : m_samples) {
        sample.expression = std::make_unique<CQuilExpression>(&m_engineHost);
        sample.expression->SetOwnPoolCeiling(kSamplePoolBytes);
        sample.expression->Reset();
        if (!sample.expression->GenerateRandom(settings, m_random)) {
            sample.expression.reset();  // outgrew its pool
            continue;
        }
        StartPicture(sample);
    }
    for (int i = 0; i < kSampleCount; ++i)
        ShowTile(i);
}

void CRandomSampleRow::StartPicture(Sample& sample)
{
    sample.picture = std::make_shared<Picture>(kSampleSide, kSampleSide);
    auto job = std::make_shared<CCalcBitmap>();
    job->m_pRoot = sample.expression->GetRoot();
    job->m_pTarget = sample.picture;
    if (sample.expression->m_bUsesPicture)
        job->m_pSourcePicture = m_host.SamplePicture(kSampleSide);
    job->m_pRenderer = RenderProduction;
    job->m_nThreads = kSampleThreads;
    sample.serial = ++m_nSerial;
    sample.job = job;
    if (!job->Start(std::make_shared<QtJobNotifier>(m_pNotifyTarget, sample.serial)))
        sample.job.reset();
}

void CRandomSampleRow::OnJobNotice(quint64 serial)
{
    for (int i = 0; i < int(m_samples.size()); ++i) {
        if (m_samples[i].serial != serial || !m_samples[i].job)
            continue;
        m_samples[i].ready = true;
        ShowTile(i);
        bool all = true;
        for (const Sample& sample : m_samples)
            all = all && (sample.ready || !sample.job);
        if (all)
            emit SamplesReady();
        return;
    }
}

void CRandomSampleRow::ShowTile(int i)
{
    QToolButton* tile = m_tiles[i];
    const Sample* sample = i < int(m_samples.size()) ? &m_samples[i] : nullptr;
    const bool tooLarge = sample && !sample->expression;
    tile->setEnabled(sample && sample->expression);
    tile->setToolButtonStyle(tooLarge ? Qt::ToolButtonTextOnly : Qt::ToolButtonIconOnly);
    tile->setText(tooLarge ? QString::fromUtf8(kTooLargeText) : QString());
    tile->setToolTip(QString::fromUtf8(tooLarge ? kTooLargeToolTip : (sample ? kSampleToolTip : "")));
    if (sample && sample->ready)
        tile->setIcon(QIcon(QPixmap::fromImage(WrapPicture(*sample->picture))));
    else
        tile->setIcon(QIcon());
}

void CRandomSampleRow::OnTileClicked(int i)
{
    if (const CQuilExpression* expression = SampleExpression(i))
        m_host.OpenSampleAsNewDocument(expression->GetRoot());
}

const CQuilExpression* CRandomSampleRow::SampleExpression(int i) const
{
    if (i < 0 || i >= int(m_samples.size()))
        return nullptr;
    return m_samples[i].expression.get();
}

const Picture* CRandomSampleRow::SamplePicture(int i) const
{
    if (i < 0 || i >= int(m_samples.size()) || !m_samples[i].ready)
        return nullptr;
    return m_samples[i].picture.get();
}

bool CRandomSampleRow::IsCalculating() const
{
    for (const Sample& sample : m_samples)
        if (sample.job && sample.job->IsRunning())
            return true;
    return false;
}
