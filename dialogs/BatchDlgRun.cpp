// CBatchDlg: starting and stopping a run, the control states, and what the
// run reports (preview, progress, estimate, prompts and messages).

#include "BatchDlg.h"

#include "ElidedLabel.h"
#include "OverwriteDlg.h"

#include "batch/BatchTexts.h"
#include "render/pictureio/PictureIO.h"
#include "render/pictureio/PictureRecipe.h"
#include "render/pictureio/SourcePictureStore.h"
#include "shell/FolderChooser.h"
#include "shell/LastFolders.h"
#include "shell/MessageBox.h"
#include "shell/QtJobNotifier.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>

#include <algorithm>
#include <climits>

namespace {
constexpr const char* kNoPicture = "No picture";
constexpr QRgb kNoPictureColour = qRgb(0, 255, 0);

int ProgressLimit(uint64_t value) { return int(std::min<uint64_t>(value, INT_MAX)); }
}  // namespace

void CBatchDlg::StartBatch()
{
    if (!m_bIdle)
        return;
    m_pQuilFile->setText(QString());
    m_pQuilFileLabel->hide();
    // A field that does not read is reported and stops the start: the run
    // would otherwise go with values the person did not see.
    if (!ReadFields())
        return;
    m_pPictureProgress->setRange(0, std::max(1, m_settings.XPixel));
    m_pJobProgress->setRange(0, ProgressLimit(m_settings.m_nPictureCount));
    m_run.m_options.embedRecipe = EmbedsRecipe(m_store);  // as the Settings menu has it now
    if (!m_run.StartBatch(m_settings)) {
        WriteFields();
        SetIdleState(true);
        return;
    }
    SetIdleState(false);
    // The last run's "ready" and time texts stay until this run's first picture is done.
    // Black until the first picture is ready.
    const BatchPreviewSize preview = BatchPreviewSizeFor(m_settings.Mode);
    ResetPreview(preview.width, preview.height, false);
}

void CBatchDlg::AbortBatch()
{
    if (m_run.IsRunning())
        m_run.AbortBatch();
    SetIdleState(true);
}

void CBatchDlg::SetIdleState(bool idle)
{
    m_bIdle = idle;
    const bool randomMode = m_pCreateMode->checkedId() != BATCH_FROM_EXISTING;
    const BatchControlStates states = BatchControlStatesFor(idle, randomMode, m_pSameName->isChecked());
    const QList<QWidget*> settings = {m_pOk,     m_pCancel,   m_pQuilDir, m_pQuilSearch, m_pQuilCopy, m_pBmpDir,
                                      m_pBmpSearch, m_pType,  m_pX,       m_pY,          m_pAntiAlias, m_pCreate,
                                      m_pPrompt, m_pSameDir};
    for (QWidget* control : settings)
        control->setEnabled(states.settings);
    for (QAbstractButton* radio : m_pCreateMode->buttons() + m_pMargins->buttons())
        radio->setEnabled(states.settings);
    m_pAbort->setEnabled(states.abort);
    m_pPrefix->setEnabled(states.prefixAndOffset);
    m_pOffset->setEnabled(states.prefixAndOffset);
    m_pCount->setEnabled(states.count);
    m_pSkipPlain->setEnabled(states.count);
    m_pSameName->setEnabled(states.sameName);
    if (idle) {
        m_pOk->setFocus();
        m_pPictureProgress->setValue(0);
        m_pJobProgress->setValue(0);
    }
}

void CBatchDlg::ApplyModeStates()
{
    const bool randomMode = m_pCreateMode->checkedId() != BATCH_FROM_EXISTING;
    m_settings.SameName = m_pSameName->isChecked() ? 1 : 0;
    const BatchControlStates states = BatchControlStatesFor(true, randomMode, m_settings.SameName != 0);
    m_pPrefix->setEnabled(states.prefixAndOffset);
    m_pOffset->setEnabled(states.prefixAndOffset);
    m_pCount->setEnabled(states.count);
    m_pSkipPlain->setEnabled(states.count);
    m_pSameName->setEnabled(states.sameName);
}

void CBatchDlg::OnSizeEdited(CLinkedSize::Edit edit)
{
    m_settings.KeepAspect = m_pKeepAspect->isChecked() ? 1 : 0;
    const std::optional<QString> follow = m_linked.OnEdited(edit, m_pX->text(), m_pY->text(), m_settings.KeepAspect);
    if (follow)
        (edit == CLinkedSize::Edit::X ? m_pY : m_pX)->setText(*follow);
}

void CBatchDlg::OnSearch(QLineEdit* edit, const char* title)
{
    const QString shown = edit->text().isEmpty() ? LastFolder(m_store, kFolderBatch) : edit->text();
    const QString folder = QuilFolderDialog(this, QString::fromUtf8(title), shown);
    if (folder.isEmpty())
        return;
    edit->setText(folder);
    RememberFolder(m_store, kFolderBatch, folder, true);
}

void CBatchDlg::ResetPreview(int width, int height, bool noPicture)
{
    m_preview = QImage(width, height, QImage::Format_RGB32);
    m_preview.fill(noPicture ? Qt::white : Qt::black);
    if (noPicture) {
        QPainter painter(&m_preview);
        painter.setPen(QColor(kNoPictureColour));
        painter.drawText(m_preview.rect(), Qt::AlignCenter | Qt::TextSingleLine, QString::fromUtf8(kNoPicture));
    }
    if (m_pPreview)
        m_pPreview->update();
}

// What the run reports ----------------------------------------------------------

void CBatchDlg::ShowBatchMessage(const std::string& text, const std::string& caption)
{
    QuilMessageBox(this, QString::fromStdString(text), QString::fromStdString(caption), QMessageBox::Warning);
}

OverwriteAnswer CBatchDlg::AskOverwrite(const std::string& path)
{
    const OverwriteAnswer answer = AskOverwriteFile(this, QString::fromStdString(path));
    if (answer == OverwriteAnswer::YesToAll) {
        // No more prompts until the box is checked again; OK stores it so.
        m_settings.NoOverwrite = 0;
        m_pPrompt->setChecked(false);
    }
    return answer;
}

std::shared_ptr<JobNotifier> CBatchDlg::MakeNotifier(uint64_t ticket)
{
    return std::make_shared<QtJobNotifier>(m_pNotifyTarget, ticket);
}

void CBatchDlg::OnPictureCount(unsigned count)
{
    m_settings.m_nPictureCount = count;
    m_pCount->setText(QString::number(count));
    m_pJobProgress->setRange(0, ProgressLimit(count));
}

void CBatchDlg::OnProcessingFile(const std::string& path)
{
    m_pQuilFileLabel->show();
    m_pQuilFile->setText(QString::fromStdString(path));
}

void CBatchDlg::OnNextBitmapName(const std::string& path) { m_pBitmapName->setText(QString::fromStdString(path)); }

void CBatchDlg::OnColumnsDone(int columns) { m_pPictureProgress->setValue(columns); }

void CBatchDlg::OnPictureDone(const BatchPictureDone& done, const Picture& picture)
{
    // The whole picture squeezed into the preview, rows and columns dropped, never blended.
    Picture small;
    if (!picture.IsNull() &&
        StretchNearest(picture.Bits(), picture.Width(), picture.Height(), size_t(picture.Width()), small,
                       m_preview.width(), m_preview.height()))
        m_preview = WrapPicture(small).copy();
    m_pPreview->update();
    m_pReady->setText(QString::fromStdString(done.progressText));
    m_pTime->setText(QString::fromStdString(done.estimateText));
    m_pPictureProgress->setValue(0);
}

void CBatchDlg::OnFilesWritten(uint64_t written) { m_pJobProgress->setValue(ProgressLimit(written)); }

void CBatchDlg::OnRunEnded(BatchEnd)
{
    m_pQuilFile->setText(QString());
    m_pQuilFileLabel->hide();
    SetIdleState(true);
}
