#include "CustomFileDialog.h"

#include "PixelFields.h"
#include "PreviewBox.h"
#include "SizeWidgets.h"

#include "resources/AppStrings.h"
#include "shell/MessageBox.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace {
constexpr const char* kPreviewLabel = "Preview";
constexpr const char* kXPixelLabel = "&X Pixel:";
constexpr const char* kYPixelLabel = "&Y Pixel:";
constexpr const char* kWhatsThisPreview =
    "The shape of the file: the grey box is the room, black is the margin, the picture is stretched to the "
    "chosen size.";
constexpr const char* kWhatsThisSize =
    "Width and height of the saved picture in pixels, 1 to 16384. With \"keep aspect\" the other side follows.";
constexpr const char* kWhatsThisMargins = "Black margins that bring the picture to the ratio of a sheet of paper.";
// The first size: room for the file list and the full names of the file types.
constexpr int kInitialWidth = 900;
constexpr int kInitialHeight = 540;
}  // namespace

CCustomFileDialog::CCustomFileDialog(QWidget* parent, const QString& title, const QString& fileName,
                                     const QString& filter, const QString& selectedFilter,
                                     const BitmapSettings& initial, const Picture& preview)
    : CSaveFileDialog(parent, title, fileName, filter, selectedFilter, QString::fromUtf8(kSaveBitmapDefaultSuffix)),
      m_values(initial)
{
    // Only Qt's own dialog can take widgets beside the file chooser.
    setOption(QFileDialog::DontUseNativeDialog, true);
    setWindowFlags(windowFlags() | Qt::WindowContextHelpButtonHint);

    m_pPanel = MakeSidePanel(initial, preview);
    if (auto* grid = qobject_cast<QGridLayout*>(layout()))
        grid->addWidget(m_pPanel, 0, grid->columnCount(), grid->rowCount(), 1);
    else
        layout()->addWidget(m_pPanel);
    resize(sizeHint().expandedTo(QSize(kInitialWidth, kInitialHeight)));
    ShowWholeFileColumns(*this);
}

QWidget* CCustomFileDialog::MakeSidePanel(const BitmapSettings& initial, const Picture& preview)
{
    auto* panel = new QWidget(this);
    panel->setObjectName(ControlName(IDD_CUSTOM_FILE_TEMPLATE));
    auto* previewLabel = new QLabel(QString::fromUtf8(kPreviewLabel), panel);
    m_pPreview = new CPreviewBox(preview, panel);
    m_pPreview->setObjectName(ControlName(IDC_PREVIEW));
    m_pPreview->setWhatsThis(QString::fromUtf8(kWhatsThisPreview));

    m_pX = MakePixelEdit(panel, IDC_X_PIXEL, initial.m_nXPixel);
    m_pY = MakePixelEdit(panel, IDC_Y_PIXEL, initial.m_nYPixel);
    m_pX->setWhatsThis(QString::fromUtf8(kWhatsThisSize));
    m_pY->setWhatsThis(QString::fromUtf8(kWhatsThisSize));
    m_pKeep = new QCheckBox(QString::fromUtf8(kKeepAspectLabel), panel);
    m_pKeep->setObjectName(ControlName(IDC_KEEP_ASPECT));
    m_pKeep->setChecked(initial.m_bKeepAspect != 0);
    m_pAntiAlias = new QCheckBox(QString::fromUtf8(kAntiAliasLabel), panel);
    m_pAntiAlias->setObjectName(ControlName(IDC_ANTIALIAS));
    m_pAntiAlias->setChecked(initial.m_bAntiAlias != 0);
    m_pAntiAlias->setWhatsThis(QString::fromUtf8(kWhatsThisAntiAlias));
    QGroupBox* margins = MakeMarginGroup(panel, m_pMargins, initial.m_nMode);
    margins->setWhatsThis(QString::fromUtf8(kWhatsThisMargins));

    m_pLink = new CLinkedSizeEdits(CLinkedSize::Rules{true}, m_pX, m_pY, m_pKeep);
    m_pPreview->SetMode(initial.m_nMode);
    m_pPreview->SetAspect(m_pLink->Aspect());
    connect(m_pLink, &CLinkedSizeEdits::Changed, m_pPreview, [this] { m_pPreview->SetAspect(m_pLink->Aspect()); });
    connect(m_pMargins, &QButtonGroup::idClicked, m_pPreview, &CPreviewBox::SetMode);

    auto* form = new QFormLayout;
    form->setContentsMargins(0, 0, 0, 0);
    auto* xLabel = new QLabel(QString::fromUtf8(kXPixelLabel), panel);
    xLabel->setBuddy(m_pX);
    auto* yLabel = new QLabel(QString::fromUtf8(kYPixelLabel), panel);
    yLabel->setBuddy(m_pY);
    form->addRow(xLabel, m_pX);
    form->addRow(yLabel, m_pY);
    auto* layout = new QVBoxLayout(panel);
    // A little air between the file chooser and the panel; the panel keeps its width.
    layout->setContentsMargins(layout->spacing(), 0, 0, 0);
    panel->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    layout->addWidget(previewLabel);
    layout->addWidget(m_pPreview, 1);
    layout->addLayout(form);
    layout->addWidget(m_pKeep);
    layout->addWidget(m_pAntiAlias);
    layout->addWidget(margins);
    return panel;
}

void CCustomFileDialog::done(int result)
{
    if (result == QDialog::Accepted) {
        const PixelReading reading = ReadPixelEdits(this, PixelRule::Save, m_pX, m_pY);
        if (!reading.Accepted())
            return;
        m_values.m_nXPixel = reading.x;
        m_values.m_nYPixel = reading.y;
        m_values.m_bKeepAspect = m_pKeep->isChecked() ? 1 : 0;
        m_values.m_bAntiAlias = m_pAntiAlias->isChecked() ? 1 : 0;
        m_values.m_nMode = std::max(0, m_pMargins->checkedId());
    }
    CSaveFileDialog::done(result);
}
