#include "SetDisplayDlg.h"

#include "PixelFields.h"
#include "SizeWidgets.h"

#include "engine/SettingsStore.h"
#include "render/Picture.h"
#include "resources/AppStrings.h"
#include "shell/DisplaySettings.h"
#include "shell/MessageBox.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {
constexpr const char* kTitle = "Set Display";
constexpr const char* kXLabel = "&X resolution";
constexpr const char* kYLabel = "&Y resolution";
constexpr const char* kPixelUnit = "Pixel";
constexpr const char* kPictureSizeLabel = "X,Y of Picture";
constexpr const char* kFollowLabel = "Automatically change resolution when loading picture";
constexpr const char* kApplyGroupLabel = "&Apply to:";
constexpr const char* kWhatsThisSize =
    "Width and height of the pictures on screen in pixels, 1 to 16384. With \"keep aspect\" the other side "
    "follows.";
constexpr const char* kWhatsThisPictureSize = "Takes the size of the loaded source picture.";
constexpr const char* kWhatsThisFollow =
    "When a source picture is loaded, the pictures that use it take its size.";
constexpr const char* kWhatsThisApply =
    "Which views take the new settings: the active document's, those and every view opened later, or all "
    "open views and every later one.";

unsigned ShownSide(unsigned side) { return std::max(1u, ClampPictureSide(side)); }
}  // namespace

DisplayValues InitialDisplayValues(const DisplaySettings& frame, const std::optional<ActiveDisplay>& active)
{
    DisplayValues values;
    values.m_nX = ShownSide(unsigned(frame.m_nDisplayWidth));
    values.m_nY = ShownSide(unsigned(frame.m_nDisplayHeight));
    values.m_bKeepAspect = frame.m_bAspect ? 1 : 0;
    values.m_nApply = std::clamp(frame.m_nApply, int(APPLY_THIS_VIEW), int(APPLY_ALL_VIEWS));
    values.m_bAntiAlias = frame.m_bAntiAlias ? 1 : 0;
    values.m_bPictureResolution = 0;
    if (active) {
        values.m_bPictureResolution = active->pictureResolution ? 1 : 0;
        values.m_bAntiAlias = active->antiAlias ? 1 : 0;
        values.m_nX = ShownSide(active->width);
        values.m_nY = ShownSide(active->height);
    }
    return values;
}

void ApplyDisplaySettings(const DisplayValues& chosen, DisplaySettings& frame, SettingsStore& store,
                          DisplayTargets& targets)
{
    const unsigned x = ShownSide(chosen.m_nX);
    const unsigned y = ShownSide(chosen.m_nY);
    const int scope = std::clamp(chosen.m_nApply, int(APPLY_THIS_VIEW), int(APPLY_ALL_VIEWS));
    frame.m_nApply = scope;
    store.WriteProfileInt(kSectionDisplay, kValueApply, scope);
    if (scope == APPLY_THIS_AND_NEXT || scope == APPLY_ALL_VIEWS) {
        frame.m_nDisplayWidth = int(x);
        frame.m_nDisplayHeight = int(y);
        frame.m_bAspect = chosen.m_bKeepAspect ? 1 : 0;
        frame.m_bPictureResolution = chosen.m_bPictureResolution ? 1 : 0;
        frame.m_bAntiAlias = chosen.m_bAntiAlias ? 1 : 0;
        store.WriteProfileInt(kSectionDisplay, kValueDisplayX, frame.m_nDisplayWidth);
        store.WriteProfileInt(kSectionDisplay, kValueDisplayY, frame.m_nDisplayHeight);
        store.WriteProfileInt(kSectionDisplay, kValuePictureResolution, frame.m_bPictureResolution);
        store.WriteProfileInt(kSectionDisplay, kValueAspect, frame.m_bAspect);
        store.WriteProfileInt(kSectionDisplay, kValueAntiAlias, frame.m_bAntiAlias);
    }
    targets.ApplyToDocuments(scope == APPLY_ALL_VIEWS, chosen.m_bAntiAlias ? 1 : 0,
                             chosen.m_bPictureResolution ? 1 : 0, x, y);
}

CSetDisplayDlg::CSetDisplayDlg(const DisplayValues& initial, std::optional<QSize> pictureSize, QWidget* parent)
    : QDialog(parent), m_pictureSize(pictureSize), m_pX(MakePixelEdit(this, IDC_X_EDIT, initial.m_nX)),
      m_pY(MakePixelEdit(this, IDC_Y_EDIT, initial.m_nY)),
      m_pPictureSize(new QPushButton(QString::fromUtf8(kPictureSizeLabel), this)),
      m_pKeep(new QCheckBox(QString::fromUtf8(kKeepAspectLabel), this)),
      m_pAntiAlias(new QCheckBox(QString::fromUtf8(kAntiAliasLabel), this)),
      m_pFollow(new QCheckBox(QString::fromUtf8(kFollowLabel), this)), m_pApply(new QButtonGroup(this)),
      m_result(initial)
{
    setWindowTitle(QString::fromUtf8(kTitle));
    setWindowFlags(windowFlags() | Qt::WindowContextHelpButtonHint);
    m_pKeep->setObjectName(ControlName(IDC_KEEP_ASPECT));
    m_pKeep->setChecked(initial.m_bKeepAspect != 0);
    m_pAntiAlias->setObjectName(ControlName(IDC_ANTIALIAS));
    m_pAntiAlias->setChecked(initial.m_bAntiAlias != 0);
    m_pAntiAlias->setWhatsThis(QString::fromUtf8(kWhatsThisAntiAlias));
    m_pFollow->setObjectName(ControlName(IDC_PICTURE_RESOLUTION));
    m_pFollow->setChecked(initial.m_bPictureResolution != 0);
    m_pFollow->setWhatsThis(QString::fromUtf8(kWhatsThisFollow));
    m_pPictureSize->setObjectName(ControlName(IDC_XY_OF_PICTURE));
    m_pPictureSize->setEnabled(pictureSize.has_value());
    m_pPictureSize->setAutoDefault(false);
    m_pPictureSize->setWhatsThis(QString::fromUtf8(kWhatsThisPictureSize));
    m_pLink = new CLinkedSizeEdits(CLinkedSize::Rules{}, m_pX, m_pY, m_pKeep);
    connect(m_pPictureSize, &QPushButton::clicked, this, [this] {
        if (m_pictureSize)
            m_pLink->SetBoth(unsigned(m_pictureSize->width()), unsigned(m_pictureSize->height()));
    });

    auto* group = new QGroupBox(QString::fromUtf8(kApplyGroupLabel), this);
    group->setWhatsThis(QString::fromUtf8(kWhatsThisApply));
    auto* groupLayout = new QVBoxLayout(group);
    for (int scope = 0; scope < kNumApplyScopes; ++scope) {
        auto* radio = new QRadioButton(QString::fromUtf8(kApplyLabels[scope]), group);
        radio->setObjectName(ControlName(kApplyIds[scope]));
        radio->setWhatsThis(QString::fromUtf8(kWhatsThisApply));
        m_pApply->addButton(radio, scope);
        groupLayout->addWidget(radio);
    }
    if (QAbstractButton* chosen = m_pApply->button(initial.m_nApply))
        chosen->setChecked(true);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CSetDisplayDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CSetDisplayDlg::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(MakeSizeRows());
    layout->addWidget(m_pKeep);
    layout->addWidget(m_pAntiAlias);
    layout->addWidget(m_pFollow);
    layout->addWidget(group);
    layout->addWidget(buttons);
    setFixedSize(sizeHint());
    m_pX->setFocus();
    m_pX->selectAll();
}

QLayout* CSetDisplayDlg::MakeSizeRows()
{
    auto* grid = new QGridLayout;
    QLineEdit* edits[2] = {m_pX, m_pY};
    const char* labels[2] = {kXLabel, kYLabel};
    for (int row = 0; row < 2; ++row) {
        auto* label = new QLabel(QString::fromUtf8(labels[row]), this);
        label->setBuddy(edits[row]);
        edits[row]->setWhatsThis(QString::fromUtf8(kWhatsThisSize));
        grid->addWidget(label, row, 0);
        grid->addWidget(edits[row], row, 1);
        grid->addWidget(new QLabel(QString::fromUtf8(kPixelUnit), this), row, 2);
    }
    grid->setColumnStretch(3, 1);
    grid->addWidget(m_pPictureSize, 0, 4, 2, 1, Qt::AlignVCenter);
    return grid;
}

void CSetDisplayDlg::accept()
{
    const PixelReading reading = ReadPixelEdits(this, PixelRule::Display, m_pX, m_pY);
    if (!reading.Accepted())
        return;
    m_result.m_nX = reading.x;
    m_result.m_nY = reading.y;
    m_result.m_bKeepAspect = m_pKeep->isChecked() ? 1 : 0;
    m_result.m_nApply = std::max(0, m_pApply->checkedId());
    m_result.m_bAntiAlias = m_pAntiAlias->isChecked() ? 1 : 0;
    m_result.m_bPictureResolution = m_pFollow->isChecked() ? 1 : 0;
    QDialog::accept();
}
