#include "ClipDlg.h"

#include "PixelFields.h"
#include "SizeWidgets.h"

#include "engine/EngineHost.h"
#include "engine/QuilExpression.h"
#include "render/CalcBitmap.h"
#include "render/pictureio/PictureIO.h"
#include "render/production/ProductionRenderer.h"
#include "resources/AppStrings.h"
#include "shell/MessageBox.h"
#include "shell/QtJobNotifier.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QFormLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr const char* kTitle = "Copy to Clipboard";
constexpr const char* kXLabel = "&X:";
constexpr const char* kYLabel = "&Y:";
constexpr const char* kOkLabel = "OK";
constexpr const char* kCancelLabel = "Cancel";
constexpr const char* kCopyLabel = "&Copy";
constexpr const char* kAbortLabel = "&Abort";
constexpr const char* kWhatsThisSize =
    "Width and height of the copy in pixels, 1 to 16384. With \"keep aspect\" the other side follows.";
constexpr const char* kWhatsThisCopy =
    "Computes the picture at this size, adds the margins and puts it on the clipboard. The dialog stays open.";
constexpr const char* kWhatsThisMargins = "Black margins that bring the copy to the ratio of a sheet of paper.";
constexpr const char* kWhatsThisOk = "Closes the dialog and keeps the sizes for the next copy.";
constexpr const char* kWhatsThisCancel = "Closes the dialog; the sizes stay as they were.";
constexpr const char* kWhatsThisAbort = "Stops the copy being computed; the clipboard keeps what it had.";
}  // namespace

CClipDialog::CClipDialog(const ClipSettings& values, int marginMode, const ExprNode* root, QWidget* parent)
    : QDialog(parent), m_pRoot(root), m_values(values), m_nMarginMode(marginMode),
      m_pX(MakePixelEdit(this, IDC_X_EDIT, values.m_nClipX)), m_pY(MakePixelEdit(this, IDC_Y_EDIT, values.m_nClipY)),
      m_pKeep(new QCheckBox(QString::fromUtf8(kKeepAspectLabel), this)),
      m_pOk(new QPushButton(QString::fromUtf8(kOkLabel), this)),
      m_pCancel(new QPushButton(QString::fromUtf8(kCancelLabel), this)),
      m_pCopy(new QPushButton(QString::fromUtf8(kCopyLabel), this)),
      m_pAbort(new QPushButton(QString::fromUtf8(kAbortLabel), this)), m_pProgress(new QProgressBar(this)),
      m_pLink(nullptr)
{
    setWindowTitle(QString::fromUtf8(kTitle));
    setWindowFlags(windowFlags() | Qt::WindowContextHelpButtonHint);
    m_pNotifyTarget = std::make_shared<QtNotifyTarget>(
        this, [this](const JobNotice& notice, quint64 serial) { OnJobNotice(notice, serial); });

    m_pKeep->setObjectName(ControlName(IDC_KEEP_ASPECT));
    m_pKeep->setChecked(values.m_bClipAspect != 0);
    m_pX->setWhatsThis(QString::fromUtf8(kWhatsThisSize));
    m_pY->setWhatsThis(QString::fromUtf8(kWhatsThisSize));
    m_pLink = new CLinkedSizeEdits(CLinkedSize::Rules{}, m_pX, m_pY, m_pKeep);
    auto* form = new QFormLayout;
    form->addRow(QString::fromUtf8(kXLabel), m_pX);
    form->addRow(QString::fromUtf8(kYLabel), m_pY);
    form->addRow(QString(), m_pKeep);
    QGroupBox* margins = MakeMarginGroup(this, m_pMargins, marginMode);
    margins->setWhatsThis(QString::fromUtf8(kWhatsThisMargins));

    m_pCopy->setObjectName(ControlName(IDC_COPY));
    m_pCopy->setWhatsThis(QString::fromUtf8(kWhatsThisCopy));
    m_pAbort->setObjectName(ControlName(IDC_ABORT));
    m_pAbort->setWhatsThis(QString::fromUtf8(kWhatsThisAbort));
    m_pOk->setWhatsThis(QString::fromUtf8(kWhatsThisOk));
    m_pCancel->setWhatsThis(QString::fromUtf8(kWhatsThisCancel));
    m_pOk->setDefault(true);
    connect(m_pOk, &QPushButton::clicked, this, &CClipDialog::accept);
    connect(m_pCancel, &QPushButton::clicked, this, &CClipDialog::reject);
    connect(m_pCopy, &QPushButton::clicked, this, &CClipDialog::OnCopy);
    connect(m_pAbort, &QPushButton::clicked, this, &CClipDialog::OnAbort);
    auto* buttons = new QVBoxLayout;
    for (QPushButton* button : {m_pOk, m_pCancel, m_pCopy, m_pAbort})
        buttons->addWidget(button);
    buttons->addStretch(1);

    auto* left = new QVBoxLayout;
    left->addLayout(form);
    left->addWidget(margins);
    auto* top = new QHBoxLayout;
    top->addLayout(left, 1);
    top->addLayout(buttons);
    m_pProgress->setObjectName(ControlName(IDC_PROGRESS));
    m_pProgress->setTextVisible(false);
    m_pProgress->setRange(0, 1);
    m_pProgress->setValue(0);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_pProgress);
    SetComputing(false);
    setFixedSize(sizeHint());
    m_pX->setFocus();
    m_pX->selectAll();
}

CClipDialog::~CClipDialog()
{
    if (m_pJob && m_pJob->IsRunning())
        StopJob(*m_pJob);
    m_pNotifyTarget->Detach();
}

void CClipDialog::SetComputing(bool computing)
{
    m_bComputing = computing;
    m_pAbort->setEnabled(computing);
    for (QPushButton* button : {m_pCopy, m_pOk, m_pCancel})
        button->setEnabled(!computing);
    for (QWidget* field : std::initializer_list<QWidget*>{m_pX, m_pY, m_pKeep})
        field->setEnabled(!computing);
    for (QAbstractButton* radio : m_pMargins->buttons())
        radio->setEnabled(!computing);
    if (computing)
        m_pAbort->setFocus();
}

bool CClipDialog::ReadFields(unsigned& x, unsigned& y)
{
    const PixelReading reading = ReadPixelEdits(this, PixelRule::Copy, m_pX, m_pY);
    if (reading.Accepted()) {
        x = reading.x;
        y = reading.y;
        return true;
    }
    // The cut sizes are shown as they are, without the keep-aspect rule.
    if (reading.clamped)
        m_pLink->SetBoth(reading.x, reading.y);
    return false;
}

void CClipDialog::OnCopy()
{
    unsigned x = 0, y = 0;
    if (m_bComputing || !ReadFields(x, y))
        return;
    auto picture = std::make_shared<Picture>();
    if (!picture->Create(int(x), int(y))) {
        QuilMessageBox(this, QString::fromUtf8(kMsgNoMemory), QString::fromUtf8(kAppTitle), QMessageBox::Warning);
        return;
    }
    m_pPicture = picture;
    m_nCopyMode = std::max(0, m_pMargins->checkedId());
    // A new job for every copy: the last one's thread may still be on its way out.
    auto job = std::make_shared<CCalcBitmap>();
    job->m_pRoot = m_pRoot;
    job->m_pTarget = picture;
    job->m_bAntiAlias = 0;  // no source picture either: "PIC" reads black
    job->m_pRenderer = RenderProduction;
    m_pJob = job;
    m_pProgress->setRange(0, int(x));
    m_pProgress->setValue(0);
    SetComputing(true);
    if (!job->Start(std::make_shared<QtJobNotifier>(m_pNotifyTarget, ++m_nJobSerial)))
        SetComputing(false);
}

void CClipDialog::OnAbort()
{
    if (m_pJob)
        m_pJob->SetAbort(1);
}

void CClipDialog::OnJobNotice(const JobNotice& notice, quint64 serial)
{
    if (serial != m_nJobSerial)
        return;
    if (notice.kind == JobNotice::Kind::Progress) {
        m_pProgress->setValue(notice.columns);
        return;
    }
    SetComputing(false);
    m_pOk->setFocus();
    m_pProgress->setValue(0);
    if (notice.kind == JobNotice::Kind::Finished)
        FinishCopy();
}

void CClipDialog::FinishCopy()
{
    std::shared_ptr<Picture> picture = std::move(m_pPicture);
    if (!picture || !CCalcBitmap::AddMarginsForMode(*picture, m_nCopyMode)) {
        QuilMessageBox(this, QString::fromUtf8(kMsgNoMemory), QString::fromUtf8(kAppTitle), QMessageBox::Warning);
        return;
    }
    // The clipboard takes the picture itself; the next copy makes a new one.
    if (QClipboard* clipboard = QGuiApplication::clipboard()) {
        clipboard->setImage(ShareAsImage(std::move(picture)));
        ++m_nCopies;
    } else {
        QuilMessageBox(this, QString::fromUtf8(kMsgClipboardFailed), QString::fromUtf8(kAppTitle),
                       QMessageBox::Warning);
    }
}

void CClipDialog::accept()
{
    if (m_bComputing)
        return;
    unsigned x = 0, y = 0;
    if (!ReadFields(x, y))
        return;
    m_values.m_nClipX = x;
    m_values.m_nClipY = y;
    m_values.m_bClipAspect = m_pKeep->isChecked() ? 1 : 0;
    m_nMarginMode = std::max(0, m_pMargins->checkedId());
    QDialog::accept();
}

void CClipDialog::reject()
{
    if (m_bComputing) {
        OnAbort();
        return;
    }
    QDialog::reject();
}
