#include "TreeDlg.h"

#include "FieldExchange.h"
#include "ControlName.h"

#include "shell/DisplaySettings.h"
#include "shell/MessageBox.h"
#include "engine/SettingsStore.h"
#include "resources/AppStrings.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr const char* kTitle = "Set Tree Appearence";
constexpr const char* kThumbSizeLabel = "&Thumbnail size:";
constexpr const char* kApplyGroupLabel = "Apply to:";
constexpr const char* kExpandLabel = "&Expand tree after creation";
constexpr int kMinThumbSize = 0;
constexpr int kThumbSizeDigits = 9;

constexpr const char* kWhatsThisThumbSize =
    "Side of the thumbnail beside every node, in pixels, from 0 to 64. 0 shows no thumbnails.";
constexpr const char* kWhatsThisApply =
    "Which tree views take the new settings: only the active one, the active one and every tree opened "
    "later, or all open trees and every later one.";
constexpr const char* kWhatsThisExpand =
    "Expand the whole tree each time it is built. Takes effect for \"this and next views\" and \"all views\".";

}  // namespace

TreeAppearance InitialTreeAppearance(const DisplaySettings& frame, int activeViewThumbSize)
{
    TreeAppearance values;
    values.m_nThumbSize = activeViewThumbSize >= 0 ? activeViewThumbSize : frame.m_nThumbSize;
    values.m_nApply = std::clamp(frame.m_nTreeApply, int(APPLY_THIS_VIEW), int(APPLY_ALL_VIEWS));
    values.m_bExpandTree = frame.m_bExpandTree ? 1 : 0;
    return values;
}

void ApplyTreeAppearance(const TreeAppearance& chosen, DisplaySettings& frame, SettingsStore& store,
                         TreeAppearanceTargets& targets)
{
    targets.SetActiveViewThumbSize(chosen.m_nThumbSize);
    frame.m_nTreeApply = chosen.m_nApply;
    store.WriteProfileInt(kSectionTree, kValueApply, chosen.m_nApply);
    if (chosen.m_nApply == APPLY_THIS_AND_NEXT || chosen.m_nApply == APPLY_ALL_VIEWS) {
        frame.m_nThumbSize = chosen.m_nThumbSize;
        frame.m_bExpandTree = chosen.m_bExpandTree ? 1 : 0;
        store.WriteProfileInt(kSectionTree, kValueThumbSize, frame.m_nThumbSize);
        store.WriteProfileInt(kSectionTree, kValueExpandTree, frame.m_bExpandTree);
    }
    targets.UpdateThumbSize(chosen.m_nThumbSize, chosen.m_nApply == APPLY_ALL_VIEWS);
}

CTreeDlg::CTreeDlg(const TreeAppearance& initial, QWidget* parent)
    : QDialog(parent), m_pThumbSize(new QLineEdit(this)), m_pApply(new QButtonGroup(this)),
      m_pExpand(new QCheckBox(QString::fromUtf8(kExpandLabel), this)), m_result(initial)
{
    setWindowTitle(QString::fromUtf8(kTitle));
    setWindowFlags(windowFlags() | Qt::WindowContextHelpButtonHint);

    m_pThumbSize->setObjectName(ControlName(IDC_THUMB_SIZE));
    m_pThumbSize->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this));
    m_pThumbSize->setMaxLength(kThumbSizeDigits);
    m_pThumbSize->setText(QString::number(initial.m_nThumbSize));
    m_pThumbSize->setWhatsThis(QString::fromUtf8(kWhatsThisThumbSize));
    auto* sizeLabel = new QLabel(QString::fromUtf8(kThumbSizeLabel), this);
    sizeLabel->setBuddy(m_pThumbSize);
    auto* form = new QFormLayout;
    form->addRow(sizeLabel, m_pThumbSize);

    auto* group = new QGroupBox(QString::fromUtf8(kApplyGroupLabel), this);
    group->setWhatsThis(QString::fromUtf8(kWhatsThisApply));
    auto* groupLayout = new QVBoxLayout(group);
    for (int scope = 0; scope < kNumApplyScopes; ++scope) {
        auto* radio = new QRadioButton(QString::fromUtf8(kApplyLabels[scope]), group);
        radio->setWhatsThis(QString::fromUtf8(kWhatsThisApply));
        radio->setObjectName(ControlName(kApplyIds[scope]));
        m_pApply->addButton(radio, scope);
        groupLayout->addWidget(radio);
    }
    if (QAbstractButton* chosen = m_pApply->button(initial.m_nApply))
        chosen->setChecked(true);

    m_pExpand->setObjectName(ControlName(IDC_EXPAND_TREE));
    m_pExpand->setChecked(initial.m_bExpandTree != 0);
    m_pExpand->setWhatsThis(QString::fromUtf8(kWhatsThisExpand));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CTreeDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CTreeDlg::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(group);
    layout->addWidget(m_pExpand);
    layout->addWidget(buttons);
    setFixedSize(sizeHint());
    m_pThumbSize->setFocus();
    m_pThumbSize->selectAll();
}

void CTreeDlg::accept()
{
    int size = 0;
    const FieldError error = ReadIntegerField(m_pThumbSize->text(), kMinThumbSize, kMaxThumbSide, size);
    if (error != FieldError::None) {
        QuilMessageBox(this, FieldErrorMessage(error, kMinThumbSize, kMaxThumbSide), QString::fromUtf8(kAppTitle),
                       QMessageBox::Warning);
        m_pThumbSize->setFocus();
        m_pThumbSize->selectAll();
        return;
    }
    m_result.m_nThumbSize = size;
    m_result.m_nApply = std::max(0, m_pApply->checkedId());
    m_result.m_bExpandTree = m_pExpand->isChecked() ? 1 : 0;
    QDialog::accept();
}
