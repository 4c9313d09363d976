#include "CalcFeedbackDlg.h"

#include "SizeWidgets.h"

#include "engine/EngineHost.h"
#include "engine/QuilExpression.h"
#include "render/CalcBitmap.h"
#include "render/RenderMessages.h"
#include "render/pictureio/PictureIO.h"
#include "render/production/ProductionRenderer.h"
#include "resources/AppStrings.h"
#include "shell/MessageBox.h"
#include "shell/QtJobNotifier.h"

#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr const char* kTitleFormat = "Calculating %1";
constexpr const char* kReadyFormat = "%1 % ready";
constexpr const char* kAbortLabel = "Abort";
constexpr const char* kWhatsThisAbort = "Stops the calculation; nothing is saved.";
// Wide enough for a long file name in the title and a long bar.
constexpr int kDialogWidth = 560;
}  // namespace

QString FeedbackTitle(const QString& fileName) { return QString::fromUtf8(kTitleFormat).arg(fileName); }

QString FeedbackProgressText(unsigned columns, unsigned width)
{
    const unsigned percent = width == 0 ? 0 : unsigned(uint64_t(columns) * 100 / width);
    return QString::fromUtf8(kReadyFormat).arg(percent);
}

CCalcFeedbackDlg::CCalcFeedbackDlg(FeedbackRequest request, QWidget* parent)
    : QDialog(parent), m_request(std::move(request)), m_pProgress(new QProgressBar(this)),
      m_pText(new QLabel(FeedbackProgressText(0, 1), this)), m_pAbort(new QPushButton(QString::fromUtf8(kAbortLabel), this))
{
    setWindowTitle(FeedbackTitle(m_request.m_strFileName));
    m_pNotifyTarget = std::make_shared<QtNotifyTarget>(
        this, [this](const JobNotice& notice, quint64 serial) { OnJobNotice(notice, serial); });

    m_pProgress->setObjectName(ControlName(IDC_PROGRESS));
    m_pProgress->setRange(0, int(m_request.m_nWidth));
    m_pProgress->setValue(0);
    m_pProgress->setTextVisible(false);
    m_pText->setObjectName(ControlName(IDC_PROGRESS_TEXT));
    m_pAbort->setObjectName(ControlName(IDC_ABORT));
    m_pAbort->setDefault(true);
    m_pAbort->setAutoDefault(true);
    m_pAbort->setWhatsThis(QString::fromUtf8(kWhatsThisAbort));
    connect(m_pAbort, &QPushButton::clicked, this, &CCalcFeedbackDlg::reject);

    auto* row = new QHBoxLayout;
    row->addWidget(m_pText, 1);
    row->addWidget(m_pAbort);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pProgress);
    layout->addLayout(row);
    resize(kDialogWidth, sizeHint().height());
    setMinimumHeight(sizeHint().height());
    setMaximumHeight(sizeHint().height());
}

CCalcFeedbackDlg::~CCalcFeedbackDlg()
{
    // A job that outlives the wait keeps its picture; its notices then find no dialog.
    if (m_pJob && m_pJob->IsRunning())
        StopJob(*m_pJob);
    m_pNotifyTarget->Detach();
}

bool CCalcFeedbackDlg::IsCalculating() const { return m_pJob && m_pJob->IsRunning(); }

void CCalcFeedbackDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (m_bStarted)
        return;
    m_bStarted = true;
    // Queued, so that a failure can end the dialog once its event loop runs.
    QMetaObject::invokeMethod(this, &CCalcFeedbackDlg::StartJob, Qt::QueuedConnection);
}

void CCalcFeedbackDlg::StartJob()
{
    if (!isVisible())
        return;  // aborted before the start
    m_pPicture = std::make_shared<Picture>();
    if (!m_pPicture->Create(int(m_request.m_nWidth), int(m_request.m_nHeight))) {
        QuilMessageBox(this, QString::fromUtf8(kMsgNoMemory), QString::fromUtf8(kAppTitle), QMessageBox::Warning);
        QDialog::reject();
        return;
    }
    auto job = std::make_shared<CCalcBitmap>();
    job->m_pRoot = m_request.m_pRoot;
    job->m_pTarget = m_pPicture;
    job->m_pSourcePicture = m_request.m_pSourcePicture;
    job->m_bAntiAlias = m_request.m_bAntiAlias;
    job->m_pRenderer = RenderProduction;
    m_pJob = job;
    if (!job->Start(std::make_shared<QtJobNotifier>(m_pNotifyTarget, ++m_nJobSerial)))
        m_pText->setText(QString::fromUtf8(kNoThreadText));  // Abort is all that is left
}

void CCalcFeedbackDlg::OnJobNotice(const JobNotice& notice, quint64 serial)
{
    if (serial != m_nJobSerial)
        return;
    if (notice.kind == JobNotice::Kind::Progress) {
        m_pProgress->setValue(notice.columns);
        m_pText->setText(FeedbackProgressText(unsigned(notice.columns), m_request.m_nWidth));
        return;
    }
    if (!isVisible())
        return;  // ended already (aborted): the end changes nothing
    switch (notice.kind) {
    case JobNotice::Kind::Progress:
        break;
    case JobNotice::Kind::Finished:
        SaveAndClose();
        break;
    case JobNotice::Kind::Aborted:
        done(kJobEnded);
        break;
    }
}

void CCalcFeedbackDlg::SaveAndClose()
{
    // The worker has written its last pixel; the picture is the dialog's now.
    const std::string fileName = QFile::encodeName(m_request.m_strFileName).toStdString();
    std::string reason;
    int result = kSaveNoMemory;
    if (CCalcBitmap::AddMarginsForMode(*m_pPicture, m_request.m_nMarginMode))
        result = SavePicture(*m_pPicture, fileName, &reason, m_request.m_strRecipe);
    if (result != kSaveOk)
        QuilMessageBox(this, QFile::decodeName(QByteArray::fromStdString(SaveFailureMessage(fileName, result, reason))),
                       QString::fromUtf8(kCaptionQUIL), QMessageBox::Warning);
    done(kJobEnded);
}

void CCalcFeedbackDlg::reject()
{
    if (m_pJob && m_pJob->IsRunning())
        StopJob(*m_pJob);
    QDialog::reject();
}
