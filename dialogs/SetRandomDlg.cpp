#include "SetRandomDlg.h"

#include "shell/MessageBox.h"
#include "shell/QtJobNotifier.h"
#include "resources/AppStrings.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace {

constexpr const char* kTitle = "Random Functions";
constexpr const char* kTerminalGroupTitle = "&Constants && Functions(x,y) ( % * 100) ";
constexpr const char* kFunctionGroupTitle = "&Functions ( % * 100) ";
constexpr const char* kUseLabel = "Use";
constexpr const char* kUseRandomLabel = "Use random number";
constexpr const char* kMaxLevelLabel = "Maximum level";
constexpr const char* kTermLevelLabel = "Start terminating at level";
constexpr const char* kTermProbLabel = "Terminating probability";
constexpr const char* kApplyLabel = "&Apply";
constexpr const char* kDefaultLabel = "&Default";
constexpr const char* kBlackAndWhiteLabel = "Black and &White";
constexpr const char* kSampleLabel = "&Sample";
constexpr const char* kOkLabel = "OK";
constexpr const char* kCancelLabel = "Cancel";

// Longest texts the edits take: a probability field never needs more than
// 10000, the levels and counts hold what the settings can give (up to 1025).
constexpr int kProbabilityDigits = 5;
constexpr int kLevelDigits = 4;
constexpr int kCountDigits = 2;
constexpr int kTermProbLength = 24;
// Width of the edits in digits shown, and the room around their text in pixels.
constexpr int kEditDigitsShown = 6;
constexpr int kTermProbDigitsShown = 8;
constexpr int kEditPadding = 12;
// The terminal group shows its 13 fields in 2 columns, the functions in 3, 7 rows each.
constexpr int kTerminalColumns = 2;
constexpr int kFunctionColumns = 3;

constexpr const char* kWhatsThisTerminal =
    "%1: its share among the constants and functions of x and y, in hundredths of a percent (0 to 10000; "
    "10000 is 100 %). 0 keeps it out of random pictures. Apply and OK scale the group to 10000, CIR taking "
    "what the rounding leaves.";
constexpr const char* kWhatsThisFunction =
    "%1: its share among the functions, in hundredths of a percent (0 to 10000; 10000 is 100 %). 0 keeps it "
    "out of random pictures. Apply and OK scale the group to 10000, if3 taking what the rounding leaves.";
constexpr const char* kWhatsThisTerminalGroup =
    "The leaves of a random tree: constant colours, colours that follow the position, and the loaded picture (PIC).";
constexpr const char* kWhatsThisFunctionGroup =
    "The inner nodes of a random tree: functions of one, two or three colours.";
constexpr const char* kWhatsThisNum =
    "While \"Use random number\" is clear, every random picture takes this many kinds of the group, picked at "
    "random (1 up to the number of kinds with a share, which \"of\" shows). Kinds without a share are never used.";
constexpr const char* kWhatsThisOf = "How many kinds of the group have a share above 0.";
constexpr const char* kWhatsThisUseRandom =
    "Every random picture picks at random how many kinds of the group it takes. Clear it to set the number.";
constexpr const char* kWhatsThisMaxLevel =
    "The deepest level of a random tree, counting the top as 1 (1 to 20). 1 makes pictures of a single leaf.";
constexpr const char* kWhatsThisTermLevel =
    "From this level on (the top counts as 1) a branch may end early, with the terminating probability at each "
    "node (1 to 20). OK lowers it to the maximum level when it lies above.";
constexpr const char* kWhatsThisTermProb =
    "The chance (0 to 1) that a node from the terminating level on ends its branch. 0 grows every branch to "
    "the maximum level; larger values give smaller trees.";
constexpr const char* kWhatsThisApply =
    "Scales each group to a total of 10000 (100 %) and shows the result. Nothing is kept before OK.";
constexpr const char* kWhatsThisDefault =
    "Puts back the shares, levels and counts Quil starts with, scaled to 10000.";
constexpr const char* kWhatsThisBlackAndWhite =
    "Shares for black and white pictures: the colour constants, PIC and the functions that mix colours get 0. "
    "Maximum level 9, terminating at 4 with 0.2; the counts and their boxes stay.";
constexpr const char* kWhatsThisSample =
    "Draws six new random pictures from the values as they stand, without keeping them. Click a picture to "
    "open it as a new document.";
constexpr const char* kWhatsThisOk =
    "Scales each group to 10000 and keeps the settings: the next New Random, Generate Random and batch "
    "picture use them.";
constexpr const char* kWhatsThisCancel = "Closes the dialog and keeps the settings as they were.";

QString Text(const char* text) { return QString::fromUtf8(text); }
// Controls are named after their ids, so help and tests find them by id.
QString ControlName(int id) { return QStringLiteral("idc%1").arg(id); }

template <typename Map>
typename Map::mapped_type Find(const Map& map, int id)
{
    const auto it = map.find(id);
    return it == map.end() ? nullptr : it->second;
}

}  // namespace

CSetRandomDlg::CSetRandomDlg(const RandomDlgValues& initial, const GenerationSettings& base, RandomSampleHost& host,
                             uint32_t sampleSeed, QWidget* parent)
    : QDialog(parent), m_base(base), m_result(initial)
{
    setObjectName(QStringLiteral("idd%1").arg(IDD_SET_RANDOM));
    setWindowTitle(Text(kTitle));
    setWindowFlags(windowFlags() | Qt::WindowContextHelpButtonHint);

    auto* groups = new QHBoxLayout;
    groups->addWidget(CreateGroup(kTerminalGroup, kTerminalColumns, kTerminalGroupTitle, kWhatsThisTerminalGroup,
                                  kWhatsThisTerminal));
    groups->addWidget(CreateGroup(kFunctionGroup, kFunctionColumns, kFunctionGroupTitle, kWhatsThisFunctionGroup,
                                  kWhatsThisFunction));
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(groups);
    layout->addWidget(CreateLevels());
    layout->addWidget(CreateSampleRow(host, sampleSeed));
    layout->addWidget(CreateButtons());
    layout->setSizeConstraint(QLayout::SetFixedSize);

    m_form.Show(initial);
    Push();
    QuietSample();
}

QLineEdit* CSetRandomDlg::AddEdit(int id, int maxLength, int shownDigits, const char* whatsThis)
{
    auto* edit = new QLineEdit(this);
    edit->setObjectName(ControlName(id));
    edit->setMaxLength(maxLength);
    // Whole-number fields take digits only; the terminating probability a decimal number.
    const QString accepted = id == IDC_TERM_PROB ? QStringLiteral("[0-9.eE+-]*") : QStringLiteral("[0-9]*");
    edit->setValidator(new QRegularExpressionValidator(QRegularExpression(accepted), edit));
    edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QString(shownDigits, QLatin1Char('0'))) +
                        kEditPadding);
    edit->setWhatsThis(Text(whatsThis));
    m_edits[id] = edit;
    return edit;
}

QWidget* CSetRandomDlg::CreateGroup(const ProbabilityGroup& group, int columns, const char* title,
                                    const char* whatsThis, const char* fieldHelp)
{
    auto* box = new QGroupBox(Text(title), this);
    box->setWhatsThis(Text(whatsThis));
    auto* grid = new QGridLayout(box);
    grid->setHorizontalSpacing(8);
    const int rows = (group.count + columns - 1) / columns;
    for (int i = 0; i < group.count; ++i) {
        const ProbabilityField& field = group.fields[i];
        QLineEdit* edit = AddEdit(field.id, kProbabilityDigits, kEditDigitsShown, "");
        const QString label = Text(kNodeKinds[field.kind].dialogLabel);
        edit->setWhatsThis(Text(fieldHelp).arg(label));
        auto* caption = new QLabel(label, box);
        caption->setWhatsThis(edit->whatsThis());
        const int row = i % rows;
        const int column = (i / rows) * 3;
        grid->addWidget(caption, row, column);
        grid->addWidget(edit, row, column + 1);
        if (column > 0)
            grid->setColumnMinimumWidth(column - 1, 10);
    }

    // "Use" N "of" count, and the box that draws the number instead.
    auto* use = new QHBoxLayout;
    auto* useLabel = new QLabel(Text(kUseLabel), box);
    QLineEdit* num = AddEdit(group.numId, kCountDigits, kEditDigitsShown, kWhatsThisNum);
    useLabel->setWhatsThis(num->whatsThis());
    auto* of = new QLabel(box);
    of->setObjectName(ControlName(group.ofId));
    of->setWhatsThis(Text(kWhatsThisOf));
    m_statics[group.ofId] = of;
    auto* random = new QCheckBox(Text(kUseRandomLabel), box);
    random->setObjectName(ControlName(group.useRandomId));
    random->setWhatsThis(Text(kWhatsThisUseRandom));
    m_checks[group.useRandomId] = random;
    connect(random, &QCheckBox::toggled, this, [this] {
        Pull();
        Push();
    });
    use->addWidget(useLabel);
    use->addWidget(num);
    use->addWidget(of);
    use->addSpacing(16);
    use->addWidget(random);
    use->addStretch(1);
    grid->setRowMinimumHeight(rows, 6);
    grid->addLayout(use, rows + 1, 0, 1, columns * 3 - 1);
    grid->setRowStretch(rows + 2, 1);
    return box;
}

QWidget* CSetRandomDlg::CreateLevels()
{
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    const struct {
        int id;
        const char* label;
        int length;
        const char* help;
    } fields[] = {
        {IDC_MAX_LEVEL, kMaxLevelLabel, kLevelDigits, kWhatsThisMaxLevel},
        {IDC_TERM_LEVEL, kTermLevelLabel, kLevelDigits, kWhatsThisTermLevel},
        {IDC_TERM_PROB, kTermProbLabel, kTermProbLength, kWhatsThisTermProb},
    };
    for (const auto& field : fields) {
        auto* label = new QLabel(Text(field.label), row);
        QLineEdit* edit =
            AddEdit(field.id, field.length, field.id == IDC_TERM_PROB ? kTermProbDigitsShown : kEditDigitsShown,
                    field.help);
        label->setWhatsThis(edit->whatsThis());
        layout->addWidget(label);
        layout->addWidget(edit);
        layout->addSpacing(16);
    }
    layout->addStretch(1);
    return row;
}

QWidget* CSetRandomDlg::CreateSampleRow(RandomSampleHost& host, uint32_t sampleSeed)
{
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    m_pSampleRow = new CRandomSampleRow(host, sampleSeed, row);
    auto* sample = new QPushButton(Text(kSampleLabel), row);
    sample->setObjectName(ControlName(IDC_SAMPLE));
    sample->setWhatsThis(Text(kWhatsThisSample));
    sample->setAutoDefault(false);
    m_buttons[IDC_SAMPLE] = sample;
    connect(sample, &QPushButton::clicked, this, &CSetRandomDlg::OnSample);
    layout->addWidget(m_pSampleRow, 1);
    layout->addWidget(sample, 0, Qt::AlignVCenter);
    return row;
}

QWidget* CSetRandomDlg::CreateButtons()
{
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    const struct {
        int id;
        const char* label;
        const char* help;
        void (CSetRandomDlg::*slot)();
    } buttons[] = {
        {IDC_APPLY, kApplyLabel, kWhatsThisApply, &CSetRandomDlg::OnApply},
        {IDC_DEFAULT, kDefaultLabel, kWhatsThisDefault, &CSetRandomDlg::OnDefault},
        {IDC_BLACK_WHITE, kBlackAndWhiteLabel, kWhatsThisBlackAndWhite, &CSetRandomDlg::OnBlackAndWhite},
        {IDC_OK, kOkLabel, kWhatsThisOk, &CSetRandomDlg::accept},
        {IDC_CANCEL, kCancelLabel, kWhatsThisCancel, &CSetRandomDlg::reject},
    };
    for (const auto& button : buttons) {
        if (button.id == IDC_OK)
            layout->addStretch(1);
        auto* push = new QPushButton(Text(button.label), row);
        push->setObjectName(ControlName(button.id));
        push->setWhatsThis(Text(button.help));
        push->setAutoDefault(false);
        connect(push, &QPushButton::clicked, this, button.slot);
        m_buttons[button.id] = push;
        layout->addWidget(push);
    }
    m_buttons[IDC_OK]->setDefault(true);
    return row;
}

// Controls and the form --------------------------------------------------------------------

QLineEdit* CSetRandomDlg::Edit(int id) const { return Find(m_edits, id); }
QCheckBox* CSetRandomDlg::Check(int id) const { return Find(m_checks, id); }
QLabel* CSetRandomDlg::Static(int id) const { return Find(m_statics, id); }
QPushButton* CSetRandomDlg::Button(int id) const { return Find(m_buttons, id); }

void CSetRandomDlg::Pull()
{
    for (const auto& [id, edit] : m_edits)
        *m_form.Text(id) = edit->text();
    m_form.m_bUseRandConst = m_checks[IDC_USE_RAND_CONST]->isChecked();
    m_form.m_bUseRandFunc = m_checks[IDC_USE_RAND_FUNC]->isChecked();
}

void CSetRandomDlg::Push()
{
    for (const auto& [id, edit] : m_edits)
        if (edit->text() != *m_form.Text(id))
            edit->setText(*m_form.Text(id));
    for (const auto& [id, label] : m_statics)
        label->setText(*m_form.Text(id));
    const QSignalBlocker constBlocker(m_checks[IDC_USE_RAND_CONST]);
    const QSignalBlocker funcBlocker(m_checks[IDC_USE_RAND_FUNC]);
    m_checks[IDC_USE_RAND_CONST]->setChecked(m_form.m_bUseRandConst);
    m_checks[IDC_USE_RAND_FUNC]->setChecked(m_form.m_bUseRandFunc);
    m_edits[IDC_NUM_CONSTS]->setEnabled(m_form.NumConstsEnabled());
    m_edits[IDC_NUM_FUNCS]->setEnabled(m_form.NumFuncsEnabled());
}

void CSetRandomDlg::ShowFailure(const FieldFailure& failure)
{
    QuilMessageBox(this, failure.m_strMessage, Text(kAppTitle), QMessageBox::Warning);
    if (QLineEdit* edit = Edit(failure.m_nControl)) {
        edit->setFocus();
        edit->selectAll();
    }
}

// Buttons ----------------------------------------------------------------------------------

void CSetRandomDlg::OnApply()
{
    Pull();
    const FieldFailure failure = m_form.Apply();
    Push();
    if (failure.Failed()) {
        ShowFailure(failure);
        return;
    }
    QuietSample();
}

void CSetRandomDlg::OnDefault()
{
    Pull();
    m_form.Default();
    Push();
    QuietSample();
}

void CSetRandomDlg::OnBlackAndWhite()
{
    Pull();
    m_form.BlackAndWhite();
    Push();
    QuietSample();
}

void CSetRandomDlg::OnSample()
{
    Pull();
    GenerationSettings settings = m_base;
    const FieldFailure failure = m_form.SampleSettings(settings);
    Push();
    if (failure.Failed()) {
        m_pSampleRow->Clear();
        ShowFailure(failure);
        return;
    }
    m_pSampleRow->DrawSamples(settings);
}

void CSetRandomDlg::QuietSample()
{
    // The form is up to date here: it was just pushed to the controls.
    CSetRandomForm copy = m_form;
    GenerationSettings settings = m_base;
    if (copy.SampleSettings(settings).Failed())
        m_pSampleRow->Clear();
    else
        m_pSampleRow->DrawSamples(settings);
}

void CSetRandomDlg::accept()
{
    Pull();
    FieldFailure failure;
    const CSetRandomForm::OkOutcome outcome = m_form.Ok(failure, m_result);
    Push();
    switch (outcome) {
    case CSetRandomForm::OkOutcome::Refused:
        ShowFailure(failure);
        return;
    case CSetRandomForm::OkOutcome::LevelCorrected:
        BeepFromAnyThread();
        m_edits[IDC_TERM_LEVEL]->setFocus();
        m_edits[IDC_TERM_LEVEL]->selectAll();
        return;
    case CSetRandomForm::OkOutcome::Accepted:
        QDialog::accept();
        return;
    }
}
