#include "VariationsWnd.h"

#include "HelpWindow.h"
#include "VariationCell.h"

#include "engine/GenerationSettings.h"
#include "render/pictureio/SourcePictureStore.h"
#include "render/production/ProductionRenderer.h"
#include "shell/QtJobNotifier.h"
#include "shell/QuilDoc.h"
#include "shell/ShellServices.h"

#include <QActionGroup>
#include <QButtonGroup>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {
// Texts of the window.
constexpr const char* kTitle = "Variations of %1";
constexpr const char* kStrengthLabel = "Strength:";
constexpr const char* kStrengthNames[kMaxStrength] = {"&Subtle", "M&edium", "Wil&d"};
constexpr const char* kStrengthTips[kMaxStrength] = {
    "Small changes: constants move a little, kinds change, small branches grow",
    "Changes of every kind, one or two at a time",
    "Bold changes: new branches, two or three changes at a time"};
constexpr const char* kAgain = "&Again";
constexpr const char* kAgainTip = "Eight new variations of the middle picture";
constexpr const char* kMateWith = "Mate &with";
constexpr const char* kMateWithName = "Mate &with: %1";
constexpr const char* kMateTip = "Cross every variation with a branch of another open document";
constexpr const char* kNoMate = "&No mate";
constexpr const char* kNoOtherDocument = "No other document is open";
constexpr const char* kBack = "&Back";
constexpr const char* kBackTip = "Return to the previous middle picture";
constexpr const char* kEarlierLabel = "Earlier:";
constexpr const char* kEarlierNone = "Pictures you breed from line up here.";
constexpr const char* kEarlierTip = "Return to this earlier middle picture";
constexpr const char* kOpen = "&Open as new document";
constexpr const char* kOpenTip = "The middle picture becomes a new untitled document";
constexpr const char* kUse = "&Use in document";
constexpr const char* kUseTip = "%1 takes the middle picture; Edit > Undo there brings its old one back";
constexpr const char* kClose = "Close";
constexpr const char* kCellTip = "Click to breed from this picture; double-click to open it as a new document";
constexpr const char* kMiddleTip = "The middle picture: Use in document and Open as new document take it";
constexpr const char* kCellHelp =
    "A variation of the middle picture. Click it, or press Return or Space, to breed from it: it becomes the "
    "middle and eight new variations of it appear. Double-click opens it as a new document. The arrow keys "
    "move between the pictures.";
constexpr const char* kMiddleHelp =
    "The middle picture, the one the variations around it come from. Use in document and Open as new "
    "document take it; the arrow keys move to the variations.";
constexpr const char* kStrengthHelp = "How much each variation differs from the middle picture. %1.";
constexpr const char* kCloseHelp = "Closes the window; the document keeps what it has.";
constexpr const char* kHelp = "&Help";
constexpr const char* kHelpHelp = "Opens the help page of this window.";
constexpr const char* kHelpPage = "variations.html";
constexpr const char* kStatusWorking = "Computing pictures: %1 of %2 done";
constexpr const char* kStatusDone = "Click a picture to breed from it.";
constexpr const char* kStatusFewer = "Only %1 different variations found: try a wilder strength or a mate.";
constexpr const char* kNoteUsed = "%1 took the middle picture; Edit > Undo there brings the old one back.";
constexpr const char* kNoteNotUsed = "%1 could not take the picture: not enough memory.";
constexpr const char* kNoteOpened = "The picture was opened as a new document.";
constexpr const char* kNoteGone = "The document was closed.";
// Earlier middles shown in the row (the rest are reached by Back).
constexpr int kEarlierShown = 8;
constexpr int kEarlierSide = 52;
constexpr int kGridSpacing = 6;
constexpr int kGridMargin = 8;
const QColor kGridBackground(0x1e, 0x1e, 0x1e);

QString Text(const char* text) { return QString::fromUtf8(text); }
}  // namespace

CVariationsWnd::CVariationsWnd(CQuilDoc& doc, CVariationsPeers& peers, uint32_t seed, QWidget* parent)
    // A modeless companion of the main window: it stays above it while the
    // person goes on working there.
    : QWidget(parent, Qt::Dialog), m_pDoc(&doc), m_peers(peers)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(Text(kTitle).arg(doc.GetTitle()));
    m_pNotifyTarget = std::make_shared<QtNotifyTarget>(this, [this](const JobNotice& notice, quint64 serial) {
        if (m_pModel->OnJobNotice(notice, serial))
            Refresh();
    });
    CShellServices& shell = doc.Shell();
    CVariationsModel::Setup setup;
    setup.settings = &shell.GenSettings();
    setup.seed = seed;
    setup.notifier = [target = m_pNotifyTarget](uint64_t serial) {
        return std::make_shared<QtJobNotifier>(target, serial);
    };
    setup.source = [shell = &shell](int w, int h) { return shell->Pictures().GetScaledPicture(w, h); };
    setup.renderer = RenderProduction;
    // Pictures are computed in device pixels, so that each shows all its detail.
    setup.side = std::max(1, int(std::lround(kVariationSide * devicePixelRatioF())));
    m_pModel = std::make_unique<CVariationsModel>(std::move(setup));

    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(CreateTopRow());
    layout->addWidget(CreateGrid());
    layout->addWidget(CreateEarlierRow());
    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    layout->addWidget(line);
    layout->addWidget(CreateBottomRow());

    // Closing the document closes the window; nothing of the document is touched after.
    connect(&doc, &QObject::destroyed, this, [this] { OnDocumentGone(); });
    connect(&doc, &CQuilDoc::TitleChanged, this, [this] {
        if (m_pDoc)
            setWindowTitle(Text(kTitle).arg(m_pDoc->GetTitle()));
    });
    m_pModel->Start(doc.m_pExpression->GetRoot());
    Refresh();
    m_pCells[kMiddleCell]->setFocus();
}

CVariationsWnd::~CVariationsWnd()
{
    // As the picture view does: stop first, so that the job's last notice
    // still finds the window, then let go of it.
    m_pModel->Shutdown();
    m_pNotifyTarget->Detach();
}

QWidget* CVariationsWnd::CreateTopRow()
{
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new QLabel(Text(kStrengthLabel), row));
    m_pStrength = new QButtonGroup(row);
    for (int s = kMinStrength; s <= kMaxStrength; ++s) {
        auto* button = new QToolButton(row);
        button->setText(Text(kStrengthNames[s - 1]));
        button->setToolTip(Text(kStrengthTips[s - 1]));
        button->setWhatsThis(Text(kStrengthHelp).arg(Text(kStrengthTips[s - 1])));
        button->setCheckable(true);
        button->setChecked(s == m_pModel->Strength());
        button->setToolButtonStyle(Qt::ToolButtonTextOnly);
        m_pStrength->addButton(button, s);
        layout->addWidget(button);
    }
    connect(m_pStrength, &QButtonGroup::idClicked, this, [this](int id) { OnStrength(id); });
    layout->addStretch(1);
    m_pMateButton = new QPushButton(row);
    m_pMateButton->setToolTip(Text(kMateTip));
    m_pMateButton->setWhatsThis(Text(kMateTip));
    m_pMateMenu = new QMenu(m_pMateButton);
    m_pMateButton->setMenu(m_pMateMenu);
    connect(m_pMateMenu, &QMenu::aboutToShow, this, [this] { FillMateMenu(); });
    FillMateMenu();
    layout->addWidget(m_pMateButton);
    m_pAgain = new QPushButton(Text(kAgain), row);
    m_pAgain->setToolTip(Text(kAgainTip));
    m_pAgain->setWhatsThis(Text(kAgainTip));
    connect(m_pAgain, &QPushButton::clicked, this, [this] { OnAgain(); });
    layout->addWidget(m_pAgain);
    return row;
}

QWidget* CVariationsWnd::CreateGrid()
{
    auto* grid = new QWidget(this);
    grid->setAutoFillBackground(true);
    QPalette palette = grid->palette();
    palette.setColor(QPalette::Window, kGridBackground);
    grid->setPalette(palette);
    auto* layout = new QGridLayout(grid);
    layout->setSpacing(kGridSpacing);
    layout->setContentsMargins(kGridMargin, kGridMargin, kGridMargin, kGridMargin);
    for (int cell = 0; cell < kVariationCells; ++cell) {
        auto* widget = new CVariationCell(kVariationSide, true, grid);
        widget->SetMiddle(cell == kMiddleCell);
        widget->setToolTip(Text(cell == kMiddleCell ? kMiddleTip : kCellTip));
        widget->setWhatsThis(Text(cell == kMiddleCell ? kMiddleHelp : kCellHelp));
        widget->setFocusPolicy(Qt::StrongFocus);
        widget->m_onClick = [this, cell] { ClickCell(cell); };
        widget->m_onDoubleClick = [this, cell] { DoubleClickCell(cell); };
        widget->m_onKey = [this, cell](int key) { return OnCellKey(cell, key); };
        layout->addWidget(widget, cell / 3, cell % 3);
        m_pCells[cell] = widget;
    }
    return grid;
}

QWidget* CVariationsWnd::CreateEarlierRow()
{
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    m_pBack = new QPushButton(Text(kBack), row);
    m_pBack->setToolTip(Text(kBackTip));
    m_pBack->setWhatsThis(Text(kBackTip));
    connect(m_pBack, &QPushButton::clicked, this, [this] { OnBack(); });
    layout->addWidget(m_pBack);
    layout->addWidget(new QLabel(Text(kEarlierLabel), row));
    m_pEarlierLayout = new QHBoxLayout();
    m_pEarlierLayout->setSpacing(4);
    for (int i = 0; i < kEarlierShown; ++i) {
        auto* cell = new CVariationCell(kEarlierSide, false, row);
        cell->setToolTip(Text(kEarlierTip));
        m_pEarlierLayout->addWidget(cell);
        m_earlierCells.push_back(cell);
    }
    m_pEarlierNone = new QLabel(Text(kEarlierNone), row);
    m_pEarlierNone->setEnabled(false);
    m_pEarlierNone->setMinimumHeight(kEarlierSide + 4);
    m_pEarlierLayout->addWidget(m_pEarlierNone);
    layout->addLayout(m_pEarlierLayout);
    layout->addStretch(1);
    return row;
}

QWidget* CVariationsWnd::CreateBottomRow()
{
    auto* area = new QWidget(this);
    auto* column = new QVBoxLayout(area);
    column->setContentsMargins(0, 0, 0, 0);
    m_pStatus = new QLabel(area);
    m_pStatus->setWordWrap(true);
    // Room for two lines: a longer note does not make the window jump.
    m_pStatus->setMinimumHeight(2 * m_pStatus->fontMetrics().lineSpacing());
    m_pStatus->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    column->addWidget(m_pStatus);
    auto* buttons = new QHBoxLayout();
    buttons->addStretch(1);
    m_pOpen = new QPushButton(Text(kOpen), area);
    m_pOpen->setToolTip(Text(kOpenTip));
    m_pOpen->setWhatsThis(Text(kOpenTip));
    connect(m_pOpen, &QPushButton::clicked, this, [this] { OnOpenAsNewDocument(); });
    m_pUse = new QPushButton(Text(kUse), area);
    m_pUse->setToolTip(Text(kUseTip).arg(m_pDoc->GetTitle()));
    m_pUse->setWhatsThis(Text(kUseTip).arg(m_pDoc->GetTitle()));
    connect(m_pUse, &QPushButton::clicked, this, [this] { OnUseInDocument(); });
    auto* close = new QPushButton(Text(kClose), area);
    close->setWhatsThis(Text(kCloseHelp));
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    auto* help = new QPushButton(Text(kHelp), area);
    help->setWhatsThis(Text(kHelpHelp));
    connect(help, &QPushButton::clicked, this, [this] { CHelpWindow::ShowTopic(this, Text(kHelpPage)); });
    buttons->insertWidget(0, help);
    buttons->addWidget(m_pOpen);
    buttons->addWidget(m_pUse);
    buttons->addWidget(close);
    column->addLayout(buttons);
    return area;
}

void CVariationsWnd::FillMateMenu()
{
    m_pMateMenu->clear();
    auto* group = new QActionGroup(m_pMateMenu);
    QAction* none = m_pMateMenu->addAction(Text(kNoMate));
    none->setCheckable(true);
    none->setChecked(!m_pModel->HasMate());
    group->addAction(none);
    connect(none, &QAction::triggered, this, [this] { OnMate(nullptr); });
    m_pMateMenu->addSeparator();
    const std::vector<CQuilDoc*> others = m_pDoc ? m_peers.OtherDocuments(m_pDoc) : std::vector<CQuilDoc*>{};
    if (others.empty())
        m_pMateMenu->addAction(Text(kNoOtherDocument))->setEnabled(false);
    for (CQuilDoc* other : others) {
        QAction* action = m_pMateMenu->addAction(other->GetTitle());
        action->setCheckable(true);
        action->setChecked(m_pModel->HasMate() && m_pMateDoc == other);
        group->addAction(action);
        // The document may close before the menu entry is chosen: look it up again then.
        connect(action, &QAction::triggered, this, [this, other] {
            if (!m_pDoc)
                return;
            for (CQuilDoc* doc : m_peers.OtherDocuments(m_pDoc))
                if (doc == other)
                    OnMate(doc);
        });
    }
    m_pMateButton->setText(m_pModel->HasMate() ? Text(kMateWithName).arg(QString::fromStdString(m_pModel->MateName()))
                                               : Text(kMateWith));
}

// Clicks ---------------------------------------------------------------------------

void CVariationsWnd::ClickCell(int cell)
{
    if (cell == kMiddleCell)
        return;
    m_pLastClicked = m_pModel->Cell(cell).expression;
    m_strNote.clear();
    if (m_pModel->Choose(cell))
        Refresh();
}

void CVariationsWnd::DoubleClickCell(int cell)
{
    // The first click made the clicked picture the middle one.
    const auto expression = (cell == kMiddleCell || !m_pLastClicked) ? m_pModel->Middle().expression : m_pLastClicked;
    if (!expression || !m_pDoc)
        return;
    m_pDoc->Shell().OpenBranchAsNewDocument(expression->GetRoot());
    m_strNote = Text(kNoteOpened);
    Refresh();
}

void CVariationsWnd::ClickEarlier(size_t index)
{
    m_strNote.clear();
    if (m_pModel->ReturnTo(index))
        Refresh();
}

void CVariationsWnd::OnAgain()
{
    m_strNote.clear();
    m_pModel->Again();
    Refresh();
}

void CVariationsWnd::OnBack()
{
    m_strNote.clear();
    if (m_pModel->Back())
        Refresh();
}

void CVariationsWnd::OnStrength(int strength)
{
    m_strNote.clear();
    m_pModel->SetStrength(strength);
    Refresh();
}

void CVariationsWnd::OnMate(CQuilDoc* mate)
{
    m_strNote.clear();
    m_pMateDoc = mate;
    if (mate)
        m_pModel->SetMate(mate->m_pExpression->GetRoot(), mate->GetTitle().toStdString());
    else
        m_pModel->SetMate(nullptr, std::string());
    FillMateMenu();
    Refresh();
}

void CVariationsWnd::OnOpenAsNewDocument()
{
    if (!m_pDoc || !m_pModel->Middle().expression)
        return;
    m_pDoc->Shell().OpenBranchAsNewDocument(m_pModel->Middle().expression->GetRoot());
    m_strNote = Text(kNoteOpened);
    Refresh();
}

void CVariationsWnd::OnUseInDocument()
{
    if (!m_pDoc || !m_pModel->Middle().expression)
        return;
    const bool used = m_pDoc->UseExpression(m_pModel->Middle().expression->GetRoot());
    m_strNote = Text(used ? kNoteUsed : kNoteNotUsed).arg(m_pDoc->GetTitle());
    Refresh();
}

void CVariationsWnd::OnDocumentGone()
{
    m_pDoc = nullptr;
    m_strNote = Text(kNoteGone);
    close();
}

bool CVariationsWnd::OnCellKey(int cell, int key)
{
    int row = cell / 3;
    int column = cell % 3;
    switch (key) {
    case Qt::Key_Left: column = std::max(0, column - 1); break;
    case Qt::Key_Right: column = std::min(2, column + 1); break;
    case Qt::Key_Up: row = std::max(0, row - 1); break;
    case Qt::Key_Down: row = std::min(2, row + 1); break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        ClickCell(cell);
        return true;
    default:
        return false;
    }
    m_pCells[row * 3 + column]->setFocus(Qt::TabFocusReason);
    return true;
}

void CVariationsWnd::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

// Showing the state ------------------------------------------------------------------

QString CVariationsWnd::StatusText() const
{
    if (!m_strNote.isEmpty())
        return m_strNote;
    int pictures = 0;
    for (int cell = 0; cell < kVariationCells; ++cell)
        if (m_pModel->Cell(cell).expression)
            ++pictures;
    if (m_pModel->PicturesReady() < pictures && m_pModel->ComputingCell() >= 0)
        return Text(kStatusWorking).arg(m_pModel->PicturesReady()).arg(pictures);
    if (m_pModel->VariationsFound() < kVariationsPerRound)
        return Text(kStatusFewer).arg(m_pModel->VariationsFound());
    return Text(kStatusDone);
}

void CVariationsWnd::Refresh()
{
    for (int cell = 0; cell < kVariationCells; ++cell)
        m_pCells[cell]->Show(m_pModel->Cell(cell), m_pModel->ComputingCell() == cell);
    RefreshEarlier();
    m_pBack->setEnabled(!m_pModel->EarlierMiddles().empty());
    const bool haveMiddle = m_pModel->Middle().expression != nullptr;
    m_pOpen->setEnabled(m_pDoc && haveMiddle);
    m_pUse->setEnabled(m_pDoc && haveMiddle);
    if (QAbstractButton* button = m_pStrength->button(m_pModel->Strength()))
        button->setChecked(true);
    m_pStatus->setText(StatusText());
}

void CVariationsWnd::RefreshEarlier()
{
    const std::vector<VariationPicture>& earlier = m_pModel->EarlierMiddles();
    const size_t shown = std::min(earlier.size(), size_t(kEarlierShown));
    const size_t first = earlier.size() - shown;
    for (size_t i = 0; i < m_earlierCells.size(); ++i) {
        CVariationCell* cell = m_earlierCells[i];
        cell->setVisible(i < shown);
        if (i >= shown)
            continue;
        const size_t index = first + i;
        cell->Show(earlier[index], false);
        cell->m_onClick = [this, index] { ClickEarlier(index); };
    }
    m_pEarlierNone->setVisible(shown == 0);
}
