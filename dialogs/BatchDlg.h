#pragma once
// CBatchDlg, "Batch creation": the settings of a batch run and the run
// itself, which takes place while the dialog stays open. The settings come
// from section "Batch" when the dialog opens and go back only on OK. The
// run is CBatchRun's: the dialog feeds it the job's queued notices on the
// interface thread and shows what it reports (preview, progress, estimate).
// While a run goes on only "&Abort" and "keep aspect" can be used and the
// dialog cannot be closed.

#include "BatchFields.h"
#include "LinkedSize.h"

#include "batch/BatchRun.h"

#include <QDialog>
#include <QImage>

#include <memory>

class CElidedLabel;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QtNotifyTarget;
class SettingsStore;

// Dialog 134 and its controls.
constexpr int IDD_BATCH_DIALOG = 134;
constexpr int IDC_BATCH_OK = 1;
constexpr int IDC_BATCH_CANCEL = 2;
constexpr int IDC_BATCH_X = 2000;
constexpr int IDC_BATCH_Y = 2001;
constexpr int IDC_BATCH_KEEP_ASPECT = 2002;
constexpr int IDC_BATCH_ANTIALIAS = 2003;
constexpr int IDC_BATCH_MARGIN_FIRST = 2004;  // 2004 .. 2008, one per margins mode
constexpr int IDC_BATCH_QUIL_DIR = 2035;
constexpr int IDC_BATCH_QUIL_SEARCH = 2036;
constexpr int IDC_BATCH_PREFIX = 2037;
constexpr int IDC_BATCH_COUNT = 2038;
constexpr int IDC_BATCH_PREVIEW = 2039;
constexpr int IDC_BATCH_ABORT = 2040;
constexpr int IDC_BATCH_READY = 2041;
constexpr int IDC_BATCH_PICTURE_PROGRESS = 2042;
constexpr int IDC_BATCH_JOB_PROGRESS = 2043;
constexpr int IDC_BATCH_CREATE = 2044;
constexpr int IDC_BATCH_BMP_DIR = 2045;
constexpr int IDC_BATCH_BMP_SEARCH = 2046;
constexpr int IDC_BATCH_FROM_RANDOM = 2047;
constexpr int IDC_BATCH_FROM_EXISTING = 2048;
constexpr int IDC_BATCH_QUIL_COPY = 2049;
constexpr int IDC_BATCH_OFFSET = 2050;
constexpr int IDC_BATCH_BITMAP_NAME = 2051;
constexpr int IDC_BATCH_QUIL_FILE = 2052;
constexpr int IDC_BATCH_TIME = 2053;
constexpr int IDC_BATCH_TYPE = 2058;
constexpr int IDC_BATCH_SAME_NAME = 2074;
constexpr int IDC_BATCH_SAME_DIR = 2077;
constexpr int IDC_BATCH_QUIL_FILE_LABEL = 2079;
constexpr int IDC_BATCH_PROMPT = 2080;
constexpr int IDC_BATCH_SKIP_PLAIN = 2081;

class CBatchDlg : public QDialog, private BatchRunHost {
    Q_OBJECT
public:
    // sources: what a run reads of the program; currentDir: the default folders.
    CBatchDlg(SettingsStore& store, BatchSources& sources, const QString& currentDir, QWidget* parent = nullptr);
    ~CBatchDlg() override;

    const BatchSettings& Settings() const { return m_settings; }
    const CBatchRun& Run() const { return m_run; }
    // The picture the preview shows.
    const QImage& Preview() const { return m_preview; }
    // A control by its id (tests and help).
    QWidget* Control(int id) const;

public slots:
    // Reads the fields (a bad one is reported and keeps the dialog open),
    // writes the settings and closes.
    void accept() override;
    // Closes without writing; refused while a run goes on.
    void reject() override;
    // "&Create" and "&Abort".
    void StartBatch();
    void AbortBatch();

private:
    // BatchRunHost
    void ShowBatchMessage(const std::string& text, const std::string& caption) override;
    OverwriteAnswer AskOverwrite(const std::string& path) override;
    std::shared_ptr<JobNotifier> MakeNotifier(uint64_t ticket) override;
    void OnPictureCount(unsigned count) override;
    void OnProcessingFile(const std::string& path) override;
    void OnNextBitmapName(const std::string& path) override;
    void OnColumnsDone(int columns) override;
    void OnPictureDone(const BatchPictureDone& done, const Picture& picture) override;
    void OnFilesWritten(uint64_t written) override;
    void OnRunEnded(BatchEnd why) override;

    QGroupBox* BuildModeGroup();
    QGroupBox* BuildQuilGroup();
    QGroupBox* BuildBitmapGroup();
    QGroupBox* BuildSizeGroup();
    QGroupBox* BuildMarginsGroup();
    QGroupBox* BuildNameGroup();
    QWidget* BuildCountRow();
    QGroupBox* BuildFeedbackGroup();
    void ConnectControls();
    void FillTypeList();
    QLineEdit* NumberEdit(int id);
    void Name(QWidget* control, int id);

    BatchFieldTexts FieldTexts() const;
    bool ReadFields();
    void WriteFields();
    void SelectType(const QString& pattern);
    void SetIdleState(bool idle);
    void ApplyModeStates();
    void OnSizeEdited(CLinkedSize::Edit edit);
    void OnSearch(QLineEdit* edit, const char* title);
    void ResetPreview(int width, int height, bool noPicture);

    SettingsStore& m_store;
    BatchSettings m_settings;
    CLinkedSize m_linked;
    CBatchRun m_run;
    std::shared_ptr<QtNotifyTarget> m_pNotifyTarget;
    QImage m_preview;
    bool m_bIdle = true;

    QButtonGroup* m_pCreateMode = nullptr;
    QLineEdit* m_pQuilDir = nullptr;
    QPushButton* m_pQuilSearch = nullptr;
    QCheckBox* m_pQuilCopy = nullptr;
    QLineEdit* m_pBmpDir = nullptr;
    QPushButton* m_pSameDir = nullptr;
    QPushButton* m_pBmpSearch = nullptr;
    QComboBox* m_pType = nullptr;
    QLineEdit* m_pX = nullptr;
    QLineEdit* m_pY = nullptr;
    QCheckBox* m_pKeepAspect = nullptr;
    QCheckBox* m_pAntiAlias = nullptr;
    QButtonGroup* m_pMargins = nullptr;
    QLineEdit* m_pPrefix = nullptr;
    QLineEdit* m_pOffset = nullptr;
    QCheckBox* m_pSameName = nullptr;
    QLineEdit* m_pCount = nullptr;
    QCheckBox* m_pPrompt = nullptr;
    QCheckBox* m_pSkipPlain = nullptr;
    QPushButton* m_pCreate = nullptr;
    QWidget* m_pPreview = nullptr;
    QLabel* m_pQuilFileLabel = nullptr;
    CElidedLabel* m_pQuilFile = nullptr;
    CElidedLabel* m_pBitmapName = nullptr;
    QProgressBar* m_pPictureProgress = nullptr;
    QProgressBar* m_pJobProgress = nullptr;
    QLabel* m_pReady = nullptr;
    QLabel* m_pTime = nullptr;
    QPushButton* m_pAbort = nullptr;
    QPushButton* m_pOk = nullptr;
    QPushButton* m_pCancel = nullptr;
};
