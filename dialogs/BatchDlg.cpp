// CBatchDlg: the controls, their layout and the exchange of the settings with them.

#include "BatchDlg.h"

#include "ElidedLabel.h"

#include "batch/BatchTexts.h"
#include "engine/SettingsStore.h"
#include "render/CalcBitmap.h"
#include "render/pictureio/PictureIO.h"
#include "resources/AppStrings.h"
#include "shell/MessageBox.h"
#include "shell/QtJobNotifier.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr const char* kGroupCreate = "Create bitmaps";
constexpr const char* kFromRandom = "from new &random quil files";
constexpr const char* kFromExisting = "from &existing quil files in directory";
constexpr const char* kGroupQuil = "Quil files directory";
constexpr const char* kQuilDirLabel = "Quil directory";
constexpr const char* kSearch = "&Search";
constexpr const char* kQuilCopy = "Save cop&y of quil file to bitmap\ndirectory";
constexpr const char* kGroupBitmap = "Bitmap directory and type";
constexpr const char* kBmpDirLabel = "Bitmap directory";
constexpr const char* kSameDir = "Same as Quil directory";
constexpr const char* kSearchBmp = "Searc&h";
constexpr const char* kTypeLabel = "Bitmap type";
constexpr const char* kGroupSize = "Bitmap size and quality";
constexpr const char* kXLabel = "X =";
constexpr const char* kYLabel = "Y =";
constexpr const char* kPixel = "Pixel";
constexpr const char* kKeepAspect = "keep aspect";
constexpr const char* kAntiAlias = "antialias";
constexpr const char* kGroupMargins = "Add black margins to fit aspect ratio";
constexpr const char* kGroupNames = "Name generation (Quil and bitmap)";
constexpr const char* kPrefixLabel = "Prefix";
constexpr const char* kOffsetLabel = "Offset for number";
constexpr const char* kSameName = "Same name for bitmap";
constexpr const char* kCountLabel = "Number of pictures";
constexpr const char* kPrompt = "&overwrite prompt";
constexpr const char* kSkipPlain = "Skip &plain pictures";
constexpr const char* kCreate = "&Create";
constexpr const char* kGroupFeedback = "Feedback";
constexpr const char* kLastBitmap = "Last bitmap created";
constexpr const char* kQuilFileLabel = "Processing quil file";
constexpr const char* kBitmapNameLabel = "Name of bitmap";
constexpr const char* kPictureProgress = "Progress of bitmap";
constexpr const char* kJobProgress = "Progress of batch job";
constexpr const char* kAbort = "&Abort";
constexpr const char* kPreviewName = "Display";
constexpr const char* kTitleQuilDir = "Directory for quil files";
constexpr const char* kTitleBmpDir = "Directory for bmp files";
constexpr int kNumberEditChars = 7;
constexpr int kPreviewSide = 160;  // holds the largest preview (150) with a border
constexpr QRgb kPreviewBackground = qRgb(63, 63, 63);

struct ControlHelp {
    int id;
    const char* text;
};
constexpr ControlHelp kHelp[] = {
    {IDC_BATCH_FROM_RANDOM, "Make every picture from a new random expression and save its quil file."},
    {IDC_BATCH_FROM_EXISTING, "Make a picture of every quil file in the Quil directory, oldest first."},
    {IDC_BATCH_QUIL_DIR, "The folder of the quil files: where new ones are written, or existing ones are read."},
    {IDC_BATCH_QUIL_COPY, "Write the quil files into the bitmap directory instead."},
    {IDC_BATCH_BMP_DIR, "The folder the pictures are saved in."},
    {IDC_BATCH_TYPE, "The picture type, by its extension."},
    {IDC_BATCH_X, "Width of the pictures in pixels, at most 16384."},
    {IDC_BATCH_Y, "Height of the pictures in pixels, at most 16384."},
    {IDC_BATCH_KEEP_ASPECT, "Changing the width changes the height in the same ratio, and the other way round."},
    {IDC_BATCH_ANTIALIAS, "Four samples per pixel: smoother pictures, four times the work."},
    {IDC_BATCH_PREFIX, "The start of every file name; the picture's number follows."},
    {IDC_BATCH_OFFSET, "Added to each picture's number: offset 0 names the first picture 000001."},
    {IDC_BATCH_SAME_NAME, "Save each picture beside its quil file, under the same name."},
    {IDC_BATCH_COUNT, "How many pictures a run makes from random expressions."},
    {IDC_BATCH_PROMPT, "Ask before an existing file is replaced."},
    {IDC_BATCH_SKIP_PLAIN,
     "Leave out pictures of (nearly) one flat colour: a new expression is made for the same number, up to 50 times."},
    {IDC_BATCH_CREATE, "Start the run."},
    {IDC_BATCH_ABORT, "Stop the run; the picture in progress is not saved."},
    {IDC_BATCH_PREVIEW, "The last picture made."},
    {IDC_BATCH_QUIL_SEARCH, "Choose the Quil directory in a folder dialog."},
    {IDC_BATCH_BMP_SEARCH, "Choose the bitmap directory in a folder dialog."},
    {IDC_BATCH_SAME_DIR, "Save the pictures in the Quil directory."},
    {IDC_BATCH_OK, "Closes the dialog and keeps its settings for the next time."},
    {IDC_BATCH_CANCEL, "Closes the dialog; the settings stay as they were."},
};
// Every margins button: the group's own help.
constexpr const char* kMarginsHelp =
    "Black margins that bring every picture to the ratio of a sheet of paper, portrait or landscape.";

// Draws the preview picture centred on dark grey, unscaled.
class BatchPreview : public QWidget {
public:
    BatchPreview(const QImage& image, QWidget* parent) : QWidget(parent), m_image(image)
    {
        setFixedSize(kPreviewSide, kPreviewSide);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), QColor(kPreviewBackground));
        painter.drawImage((width() - m_image.width()) >> 1, (height() - m_image.height()) >> 1, m_image);
    }

private:
    const QImage& m_image;
};

QString Text(const char* text) { return QString::fromUtf8(text); }

}  // namespace

CBatchDlg::CBatchDlg(SettingsStore& store, BatchSources& sources, const QString& currentDir, QWidget* parent)
    : QDialog(parent), m_store(store), m_linked(CLinkedSize::Rules{false, true}), m_run(sources, *this)
{
    setWindowTitle(Text(kBatchTitle));
    setWindowFlags(windowFlags() | Qt::WindowContextHelpButtonHint);
    m_pNotifyTarget = std::make_shared<QtNotifyTarget>(
        this, [this](const JobNotice& notice, quint64 serial) { m_run.OnJobNotice(serial, notice); });

    auto* left = new QVBoxLayout;
    left->addWidget(BuildModeGroup());
    left->addWidget(BuildQuilGroup());
    left->addWidget(BuildBitmapGroup());
    auto* sizeRow = new QHBoxLayout;
    sizeRow->addWidget(BuildSizeGroup());
    sizeRow->addWidget(BuildMarginsGroup());
    left->addLayout(sizeRow);
    left->addStretch();
    auto* right = new QVBoxLayout;
    right->addWidget(BuildNameGroup());
    right->addWidget(BuildCountRow());
    right->addWidget(BuildFeedbackGroup());
    m_pOk = new QPushButton(tr("OK"), this);
    m_pCancel = new QPushButton(tr("Cancel"), this);
    m_pOk->setDefault(true);
    Name(m_pOk, IDC_BATCH_OK);
    Name(m_pCancel, IDC_BATCH_CANCEL);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_pOk);
    buttons->addWidget(m_pCancel);
    right->addLayout(buttons);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(right, 1);
    for (const ControlHelp& help : kHelp)
        if (QWidget* control = Control(help.id))
            control->setWhatsThis(Text(help.text));
    for (QAbstractButton* margin : m_pMargins->buttons())
        margin->setWhatsThis(Text(kMarginsHelp));

    // Opening: the abort is off, the preview says "No picture", the types are
    // listed, the settings read, the ratio taken, and the controls set.
    ResetPreview(kDefaultBatchSide, kDefaultBatchSide, true);
    FillTypeList();
    m_settings.Load(m_store, currentDir.toStdString());
    m_linked.Open(m_settings.XPixel, m_settings.YPixel);
    m_pReady->setText(Text(kTextNoPicturesReady));
    m_pQuilFileLabel->hide();
    WriteFields();
    ConnectControls();
    SetIdleState(true);
}

CBatchDlg::~CBatchDlg()
{
    // A job that outlives the run's bounded wait finds no window and beeps.
    m_pNotifyTarget->Detach();
}

QWidget* CBatchDlg::Control(int id) const
{
    return findChild<QWidget*>(QStringLiteral("idc%1").arg(id));
}

void CBatchDlg::Name(QWidget* control, int id) { control->setObjectName(QStringLiteral("idc%1").arg(id)); }

QLineEdit* CBatchDlg::NumberEdit(int id)
{
    auto* edit = new QLineEdit(this);
    Name(edit, id);
    edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
    edit->setAlignment(Qt::AlignRight);
    edit->setMaxLength(10);
    edit->setFixedWidth(edit->fontMetrics().averageCharWidth() * kNumberEditChars + 12);
    return edit;
}

QGroupBox* CBatchDlg::BuildModeGroup()
{
    auto* group = new QGroupBox(Text(kGroupCreate), this);
    auto* layout = new QVBoxLayout(group);
    m_pCreateMode = new QButtonGroup(this);
    const char* labels[] = {kFromRandom, kFromExisting};
    const int ids[] = {IDC_BATCH_FROM_RANDOM, IDC_BATCH_FROM_EXISTING};
    for (int mode = BATCH_FROM_RANDOM; mode <= BATCH_FROM_EXISTING; ++mode) {
        auto* radio = new QRadioButton(Text(labels[mode]), group);
        Name(radio, ids[mode]);
        m_pCreateMode->addButton(radio, mode);
        layout->addWidget(radio);
    }
    return group;
}

QGroupBox* CBatchDlg::BuildQuilGroup()
{
    auto* group = new QGroupBox(Text(kGroupQuil), this);
    auto* layout = new QGridLayout(group);
    m_pQuilDir = new QLineEdit(group);
    Name(m_pQuilDir, IDC_BATCH_QUIL_DIR);
    m_pQuilSearch = new QPushButton(Text(kSearch), group);
    Name(m_pQuilSearch, IDC_BATCH_QUIL_SEARCH);
    m_pQuilCopy = new QCheckBox(Text(kQuilCopy), group);
    Name(m_pQuilCopy, IDC_BATCH_QUIL_COPY);
    layout->addWidget(new QLabel(Text(kQuilDirLabel), group), 0, 0);
    layout->addWidget(m_pQuilDir, 0, 1);
    layout->addWidget(m_pQuilSearch, 0, 2);
    layout->addWidget(m_pQuilCopy, 1, 1, 1, 2);
    return group;
}

QGroupBox* CBatchDlg::BuildBitmapGroup()
{
    auto* group = new QGroupBox(Text(kGroupBitmap), this);
    auto* layout = new QGridLayout(group);
    m_pBmpDir = new QLineEdit(group);
    Name(m_pBmpDir, IDC_BATCH_BMP_DIR);
    m_pSameDir = new QPushButton(Text(kSameDir), group);
    Name(m_pSameDir, IDC_BATCH_SAME_DIR);
    m_pBmpSearch = new QPushButton(Text(kSearchBmp), group);
    Name(m_pBmpSearch, IDC_BATCH_BMP_SEARCH);
    m_pType = new QComboBox(group);
    Name(m_pType, IDC_BATCH_TYPE);
    layout->addWidget(new QLabel(Text(kBmpDirLabel), group), 0, 0);
    layout->addWidget(m_pBmpDir, 0, 1);
    layout->addWidget(m_pBmpSearch, 0, 2);
    layout->addWidget(m_pSameDir, 1, 1, Qt::AlignLeft);
    layout->addWidget(new QLabel(Text(kTypeLabel), group), 2, 0);
    layout->addWidget(m_pType, 2, 1, Qt::AlignLeft);
    return group;
}

QGroupBox* CBatchDlg::BuildSizeGroup()
{
    auto* group = new QGroupBox(Text(kGroupSize), this);
    auto* layout = new QGridLayout(group);
    m_pX = NumberEdit(IDC_BATCH_X);
    m_pY = NumberEdit(IDC_BATCH_Y);
    m_pKeepAspect = new QCheckBox(Text(kKeepAspect), group);
    Name(m_pKeepAspect, IDC_BATCH_KEEP_ASPECT);
    m_pAntiAlias = new QCheckBox(Text(kAntiAlias), group);
    Name(m_pAntiAlias, IDC_BATCH_ANTIALIAS);
    layout->addWidget(new QLabel(Text(kXLabel), group), 0, 0);
    layout->addWidget(m_pX, 0, 1);
    layout->addWidget(new QLabel(Text(kPixel), group), 0, 2);
    layout->addWidget(new QLabel(Text(kYLabel), group), 1, 0);
    layout->addWidget(m_pY, 1, 1);
    layout->addWidget(new QLabel(Text(kPixel), group), 1, 2);
    layout->addWidget(m_pKeepAspect, 2, 0, 1, 3);
    layout->addWidget(m_pAntiAlias, 3, 0, 1, 3);
    layout->setRowStretch(4, 1);
    return group;
}

QGroupBox* CBatchDlg::BuildMarginsGroup()
{
    auto* group = new QGroupBox(Text(kGroupMargins), this);
    auto* layout = new QVBoxLayout(group);
    m_pMargins = new QButtonGroup(this);
    for (int mode = 0; mode < kNumMarginModes; ++mode) {
        auto* radio = new QRadioButton(Text(kMarginModeLabels[mode]), group);
        Name(radio, IDC_BATCH_MARGIN_FIRST + mode);
        m_pMargins->addButton(radio, mode);
        layout->addWidget(radio);
    }
    return group;
}

QGroupBox* CBatchDlg::BuildNameGroup()
{
    auto* group = new QGroupBox(Text(kGroupNames), this);
    auto* layout = new QGridLayout(group);
    m_pPrefix = new QLineEdit(group);
    Name(m_pPrefix, IDC_BATCH_PREFIX);
    m_pOffset = NumberEdit(IDC_BATCH_OFFSET);
    m_pSameName = new QCheckBox(Text(kSameName), group);
    Name(m_pSameName, IDC_BATCH_SAME_NAME);
    layout->addWidget(new QLabel(Text(kPrefixLabel), group), 0, 0);
    layout->addWidget(m_pPrefix, 0, 1);
    layout->addWidget(new QLabel(Text(kOffsetLabel), group), 1, 0);
    layout->addWidget(m_pOffset, 1, 1, Qt::AlignLeft);
    layout->addWidget(m_pSameName, 2, 0, 1, 2);
    return group;
}

QWidget* CBatchDlg::BuildCountRow()
{
    auto* row = new QWidget(this);
    auto* layout = new QGridLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    m_pCount = NumberEdit(IDC_BATCH_COUNT);
    m_pPrompt = new QCheckBox(Text(kPrompt), row);
    Name(m_pPrompt, IDC_BATCH_PROMPT);
    m_pSkipPlain = new QCheckBox(Text(kSkipPlain), row);
    Name(m_pSkipPlain, IDC_BATCH_SKIP_PLAIN);
    m_pCreate = new QPushButton(Text(kCreate), row);
    Name(m_pCreate, IDC_BATCH_CREATE);
    m_pCreate->setAutoDefault(false);
    layout->addWidget(new QLabel(Text(kCountLabel), row), 0, 0);
    layout->addWidget(m_pCount, 0, 1, Qt::AlignLeft);
    layout->addWidget(m_pPrompt, 1, 0);
    layout->addWidget(m_pSkipPlain, 1, 1);
    layout->addWidget(m_pCreate, 0, 2, 2, 1);
    return row;
}

QGroupBox* CBatchDlg::BuildFeedbackGroup()
{
    auto* group = new QGroupBox(Text(kGroupFeedback), this);
    auto* layout = new QGridLayout(group);
    m_pPreview = new BatchPreview(m_preview, group);
    Name(m_pPreview, IDC_BATCH_PREVIEW);
    m_pPreview->setAccessibleName(Text(kPreviewName));
    m_pQuilFileLabel = new QLabel(Text(kQuilFileLabel), group);
    Name(m_pQuilFileLabel, IDC_BATCH_QUIL_FILE_LABEL);
    m_pQuilFile = new CElidedLabel(group);
    Name(m_pQuilFile, IDC_BATCH_QUIL_FILE);
    m_pBitmapName = new CElidedLabel(group);
    Name(m_pBitmapName, IDC_BATCH_BITMAP_NAME);
    m_pPictureProgress = new QProgressBar(group);
    Name(m_pPictureProgress, IDC_BATCH_PICTURE_PROGRESS);
    m_pJobProgress = new QProgressBar(group);
    Name(m_pJobProgress, IDC_BATCH_JOB_PROGRESS);
    for (QProgressBar* bar : {m_pPictureProgress, m_pJobProgress})
        bar->setTextVisible(false);
    m_pReady = new QLabel(group);
    Name(m_pReady, IDC_BATCH_READY);
    m_pTime = new QLabel(group);
    Name(m_pTime, IDC_BATCH_TIME);
    m_pAbort = new QPushButton(Text(kAbort), group);
    Name(m_pAbort, IDC_BATCH_ABORT);
    m_pAbort->setAutoDefault(false);
    layout->addWidget(new QLabel(Text(kLastBitmap), group), 0, 0, Qt::AlignTop);
    layout->addWidget(m_pPreview, 0, 1, Qt::AlignLeft);
    layout->addWidget(m_pQuilFileLabel, 1, 0);
    layout->addWidget(m_pQuilFile, 1, 1);
    layout->addWidget(new QLabel(Text(kBitmapNameLabel), group), 2, 0);
    layout->addWidget(m_pBitmapName, 2, 1);
    layout->addWidget(new QLabel(Text(kPictureProgress), group), 3, 0);
    layout->addWidget(m_pPictureProgress, 3, 1);
    layout->addWidget(new QLabel(Text(kJobProgress), group), 4, 0);
    layout->addWidget(m_pJobProgress, 4, 1);
    layout->addWidget(m_pReady, 5, 0, 1, 2);
    layout->addWidget(m_pTime, 6, 0, 1, 2);
    layout->addWidget(m_pAbort, 7, 1, Qt::AlignRight);
    return group;
}

void CBatchDlg::FillTypeList()
{
    // Every single pattern of the writable types, sorted and in lower case.
    const QStringList entries = QString::fromStdString(ExporterFilter()).split(QLatin1Char('|'));
    QStringList patterns;
    for (int i = 1; i < entries.size(); i += 2)
        for (const QString& pattern : entries[i].split(QLatin1Char(';'), Qt::SkipEmptyParts))
            patterns.append(pattern.toLower());
    patterns.sort();
    patterns.removeDuplicates();
    m_pType->addItems(patterns);
}

void CBatchDlg::ConnectControls()
{
    connect(m_pOk, &QPushButton::clicked, this, &CBatchDlg::accept);
    connect(m_pCancel, &QPushButton::clicked, this, &CBatchDlg::reject);
    connect(m_pCreate, &QPushButton::clicked, this, &CBatchDlg::StartBatch);
    connect(m_pAbort, &QPushButton::clicked, this, &CBatchDlg::AbortBatch);
    connect(m_pX, &QLineEdit::textChanged, this, [this] { OnSizeEdited(CLinkedSize::Edit::X); });
    connect(m_pY, &QLineEdit::textChanged, this, [this] { OnSizeEdited(CLinkedSize::Edit::Y); });
    connect(m_pKeepAspect, &QCheckBox::clicked, this, [this] { m_linked.OnKeepAspectClicked(m_pX->text(), m_pY->text()); });
    connect(m_pSameDir, &QPushButton::clicked, this, [this] {
        if (!m_pQuilDir->text().isEmpty())
            m_pBmpDir->setText(m_pQuilDir->text());
    });
    connect(m_pQuilSearch, &QPushButton::clicked, this, [this] { OnSearch(m_pQuilDir, kTitleQuilDir); });
    connect(m_pBmpSearch, &QPushButton::clicked, this, [this] { OnSearch(m_pBmpDir, kTitleBmpDir); });
    connect(m_pCreateMode, &QButtonGroup::idClicked, this, [this] { ApplyModeStates(); });
    connect(m_pSameName, &QCheckBox::clicked, this, [this] { ApplyModeStates(); });
}

// Field exchange ----------------------------------------------------------------

BatchFieldTexts CBatchDlg::FieldTexts() const
{
    BatchFieldTexts texts;
    texts.quilDir = m_pQuilDir->text();
    texts.bmpDir = m_pBmpDir->text();
    texts.bmpExt = m_pType->currentText();
    texts.prefix = m_pPrefix->text();
    texts.count = m_pCount->text();
    texts.x = m_pX->text();
    texts.y = m_pY->text();
    texts.keepAspect = m_pKeepAspect->isChecked();
    texts.existingMode = m_pCreateMode->checkedId() == BATCH_FROM_EXISTING;
    texts.quilCopy = m_pQuilCopy->isChecked();
    texts.offset = m_pOffset->text();
    texts.mode = std::max(0, m_pMargins->checkedId());
    texts.antiAlias = m_pAntiAlias->isChecked();
    texts.sameName = m_pSameName->isChecked();
    texts.noOverwrite = m_pPrompt->isChecked();
    texts.skipPlain = m_pSkipPlain->isChecked();
    return texts;
}

bool CBatchDlg::ReadFields()
{
    const BatchFieldResult result = ReadBatchFields(FieldTexts(), m_settings);
    if (result.Ok())
        return true;
    QuilMessageBox(this, result.Message(), Text(kAppTitle), QMessageBox::Warning);
    QLineEdit* field = result.field == BatchField::Count ? m_pCount
                       : result.field == BatchField::X   ? m_pX
                       : result.field == BatchField::Y   ? m_pY
                                                         : m_pOffset;
    field->setFocus();
    field->selectAll();
    return false;
}

void CBatchDlg::WriteFields()
{
    const BatchFieldTexts texts = BatchFieldsOf(m_settings);
    m_pQuilDir->setText(texts.quilDir);
    m_pBmpDir->setText(texts.bmpDir);
    SelectType(texts.bmpExt);
    m_pPrefix->setText(texts.prefix);
    m_pCount->setText(texts.count);
    {
        // Both sides at once are no edit of one of them.
        const QSignalBlocker blockX(m_pX), blockY(m_pY);
        m_pX->setText(texts.x);
        m_pY->setText(texts.y);
    }
    m_pKeepAspect->setChecked(texts.keepAspect);
    m_pCreateMode->button(texts.existingMode ? BATCH_FROM_EXISTING : BATCH_FROM_RANDOM)->setChecked(true);
    m_pQuilCopy->setChecked(texts.quilCopy);
    m_pOffset->setText(texts.offset);
    if (QAbstractButton* margin = m_pMargins->button(texts.mode))
        margin->setChecked(true);
    m_pAntiAlias->setChecked(texts.antiAlias);
    m_pSameName->setChecked(texts.sameName);
    m_pPrompt->setChecked(texts.noOverwrite);
    m_pSkipPlain->setChecked(texts.skipPlain);
}

void CBatchDlg::SelectType(const QString& pattern)
{
    // The first type that begins with the pattern, ignoring case; a type no
    // encoder offers here falls back to the default, so that a name always
    // has an extension.
    for (const QString& wanted : {pattern, Text(kDefaultBmpExt)}) {
        for (int i = 0; i < m_pType->count(); ++i)
            if (!wanted.isEmpty() && m_pType->itemText(i).startsWith(wanted, Qt::CaseInsensitive)) {
                m_pType->setCurrentIndex(i);
                return;
            }
    }
    m_pType->setCurrentIndex(m_pType->count() > 0 ? 0 : -1);
}

void CBatchDlg::accept()
{
    if (!m_bIdle || !ReadFields())
        return;
    m_settings.Save(m_store);
    QDialog::accept();
}

void CBatchDlg::reject()
{
    if (!m_bIdle)
        return;  // a run goes on: only "&Abort" ends it
    QDialog::reject();
}
