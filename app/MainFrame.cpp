#include "MainFrame.h"

#include "ChildFrame.h"
#include "CommandBar.h"
#include "QuilApp.h"
#include "AnimationLauncher.h"
#include "VariationsLauncher.h"

#include "dialogs/HelpWindow.h"
#include "engine/QuilExpression.h"
#include "render/RenderMessages.h"
#include "render/pictureio/SourcePictureStore.h"
#include "resources/AppStrings.h"
#include "resources/CommandTable.h"
#include "resources/ResourceIds.h"
#include "shell/MessageBox.h"
#include "shell/QuilDoc.h"
#include "views/LeftView.h"
#include "views/QuilView.h"

#include <algorithm>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QStyle>
#include <QTimer>
#include <QToolBar>

namespace {
// The main window's first size, as a share of the screen's available area.
constexpr double kInitialScreenShare = 0.85;
constexpr int kInitialWidth = 1200;
constexpr int kInitialHeight = 820;
}  // namespace

CMainFrame::CMainFrame(CQuilApp& app) : m_app(app)
{
    m_genSettings.InitGenerationSettings(app.Store());
    m_pPictureStore = std::make_unique<SourcePictureStore>(this);
    m_pVariations = std::make_unique<CVariationsLauncher>(app, *this, this);
    m_pAnimation = std::make_unique<CAnimationLauncher>(*m_pVariations, app.Store(), this);
}

CMainFrame::~CMainFrame()
{
    if (m_bFrameLoaded)
        m_display.SaveOnExit(m_app.Store());
}

bool CMainFrame::LoadFrame()
{
    setWindowTitle(QString::fromUtf8(kAppTitle));
    setWindowIcon(QIcon(QStringLiteral(":/icons/quil.svg")));
    m_pMdiArea = new QMdiArea(this);
    m_pMdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_pMdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_pMdiArea->setActivationOrder(QMdiArea::ActivationHistoryOrder);
    setCentralWidget(m_pMdiArea);
    connect(m_pMdiArea, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow*) { OnActiveWindowChanged(); });

    m_pCommandBar = new CCommandBar(*this, *m_pMdiArea, [this] { return CommandRoute(); });
    connect(m_pCommandBar, &CCommandBar::MenuAboutToShow, this, [this] { UpdateCommandUI(); });
    connect(m_pCommandBar, &CCommandBar::CommandDone, this, [this] { UpdateCommandUI(); });
    CreateStatusBar();

    m_display.Load(m_app.Store());
    m_pPictureStore->SetDisplaySize(m_display.m_nDisplayWidth, m_display.m_nDisplayHeight);
    m_pPictureStore->GetScaledPicture(m_display.m_nDisplayWidth, m_display.m_nDisplayHeight);
    m_pPictureStore->GetThumbPicture(m_display.m_nThumbSize);

    m_pCommandBar->ShowMenuBar(IDR_MAINFRAME);
    setAcceptDrops(true);

    QSize size(kInitialWidth, kInitialHeight);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        size = size.boundedTo(QSize(int(area.width() * kInitialScreenShare), int(area.height() * kInitialScreenShare)));
        resize(size);
        move(area.center() - QPoint(size.width() / 2, size.height() / 2));
    } else {
        resize(size);
    }

    connect(&m_app, &CQuilApp::RecentFilesChanged, this, [this] {
        m_pCommandBar->SetRecentFiles(m_app.RecentFiles());
        UpdateCommandUI();
    });
    connect(&m_app, &CQuilApp::DocumentsChanged, this, [this] { QTimer::singleShot(0, this, [this] { OnActiveWindowChanged(); }); });
    // The commands' states follow what changes them; menus refresh them again as they open.
    connect(qApp, &QApplication::focusChanged, this, [this] { UpdateCommandUI(); });
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, [this] { UpdateCommandUI(); });

    m_pCommandBar->SetRecentFiles(m_app.RecentFiles());
    UpdatePictureStatePane();
    UpdateCommandUI();
    m_bFrameLoaded = true;
    return true;
}

// Actions, menus, toolbar, status bar --------------------------------------------

void CMainFrame::CreateStatusBar()
{
    QStatusBar* bar = statusBar();
    m_pMessagePane = new QLabel(QString::fromUtf8(kIdleMessage));
    // Wide enough for every prompt, so the panes beside it do not move while menus are browsed.
    int paneWidth = kMessagePaneWidth;
    for (const CommandInfo& command : CommandTable())
        paneWidth = std::max(paneWidth, m_pMessagePane->fontMetrics().horizontalAdvance(
                                            QString::fromUtf8(StatusPrompt(command))) + 8);
    m_pMessagePane->setFixedWidth(paneWidth);
    m_pPictureStatePane = new QLabel(QString::fromUtf8(kMsgNoPictureLoaded));
    m_pPictureStatePane->setObjectName(QStringLiteral("PictureState"));
    m_pPicIndicator = new QLabel(QString::fromUtf8(kIndicatorPic));
    m_pPicIndicator->setFrameShape(QFrame::Panel);
    m_pPicIndicator->setFrameShadow(QFrame::Sunken);
    m_pPicIndicator->setAlignment(Qt::AlignCenter);
    m_pPicIndicator->setFixedWidth(m_pPicIndicator->fontMetrics().horizontalAdvance(QString::fromUtf8(kIndicatorPic)) +
                                   12);
    bar->addWidget(m_pMessagePane, 0);
    bar->addWidget(m_pPictureStatePane, 1);
    bar->addPermanentWidget(m_pPicIndicator, 0);
}

// Commands ---------------------------------------------------------------------------

std::vector<CCmdTarget*> CMainFrame::CommandRoute()
{
    std::vector<CCmdTarget*> route;
    if (CChildFrame* child = ActiveChildFrame()) {
        if (CCmdTarget* view = child->ActiveViewTarget())
            route.push_back(view);
        if (CQuilDoc* doc = child->GetDocument())
            route.push_back(doc);
        route.push_back(child);
    }
    route.push_back(this);
    route.push_back(&m_app);
    return route;
}

bool CMainFrame::ExecuteCommand(int id) { return m_pCommandBar->ExecuteCommand(id); }

CCmdUI CMainFrame::CommandState(int id) const { return m_pCommandBar->CommandState(id); }

void CMainFrame::UpdateCommandUI()
{
    m_pCommandBar->UpdateCommandUI(m_app.Documents().empty() ? IDR_MAINFRAME : IDR_QUILTYPE);
}

QAction* CMainFrame::Action(int id) const { return m_pCommandBar->Action(id); }

int CMainFrame::CurrentMenuId() const { return m_pCommandBar->CurrentMenuId(); }

QList<QMenu*> CMainFrame::MenuBarMenus() const { return m_pCommandBar->MenuBarMenus(); }

QMenu* CMainFrame::CreatePopupMenu(int menuId, QWidget* parent) { return m_pCommandBar->CreatePopupMenu(menuId, parent); }

QToolBar* CMainFrame::ToolBar() const { return m_pCommandBar->ToolBar(); }

// Document windows -----------------------------------------------------------------

QMdiSubWindow* CMainFrame::AddChildFrame(CChildFrame* frame)
{
    // Sized before the document area places it, so that it is placed at its
    // own size; when the active window is maximized, the area maximizes this
    // one as it shows, and nothing resizes it afterwards.
    auto* sub = new QMdiSubWindow;
    sub->setWidget(frame);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    const QSize wanted = frame->InitialFrameSize();
    sub->resize(isVisible() ? wanted.boundedTo(m_pMdiArea->viewport()->size()) : wanted);
    m_pMdiArea->addSubWindow(sub);
    sub->setWindowIcon(QIcon(QStringLiteral(":/icons/quil-document.svg")));
    m_pCommandBar->ShowMenuBar(IDR_QUILTYPE);
    return sub;
}

void CMainFrame::FitChildFrame(QMdiSubWindow* sub)
{
    auto* frame = qobject_cast<CChildFrame*>(sub->widget());
    // A maximized or minimized window keeps the state the document area gave it.
    if (!frame || sub->isMaximized() || sub->isMinimized())
        return;
    QSize wanted = frame->InitialFrameSize();
    if (!isVisible()) {
        sub->resize(wanted);
        return;
    }
    // Keep the whole window inside the document area: a picture larger than
    // the area scrolls inside its pane instead of pushing the window out of view.
    const QSize room = m_pMdiArea->viewport()->size();
    wanted = wanted.boundedTo(room);
    sub->resize(wanted);
    QPoint at = sub->pos();
    at.setX(std::max(0, std::min(at.x(), room.width() - wanted.width())));
    at.setY(std::max(0, std::min(at.y(), room.height() - wanted.height())));
    sub->move(at);
}

void CMainFrame::ArrangeChildFrames(bool tile)
{
    // Oldest first, so that the active window ends on top of a cascade.
    std::vector<QMdiSubWindow*> subs;
    std::vector<QSize> needs;
    for (QMdiSubWindow* sub : m_pMdiArea->subWindowList(QMdiArea::StackingOrder)) {
        auto* frame = qobject_cast<CChildFrame*>(sub->widget());
        if (!frame || sub->isMinimized() || sub->isHidden())
            continue;
        if (sub->isMaximized())
            sub->showNormal();
        subs.push_back(sub);
        needs.push_back(frame->InitialFrameSize());
    }
    const QSize area = m_pMdiArea->viewport()->size();
    const int step = style()->pixelMetric(QStyle::PM_TitleBarHeight);
    const std::vector<QRect> places = tile ? TileLayout(area, int(needs.size())) : CascadeLayout(area, needs, step);
    for (size_t i = 0; i < subs.size(); ++i) {
        subs[i]->setGeometry(places[i]);
        subs[i]->raise();
    }
    if (QMdiSubWindow* active = m_pMdiArea->activeSubWindow())
        active->raise();
}

CChildFrame* CMainFrame::ActiveChildFrame() const
{
    QMdiSubWindow* sub = m_pMdiArea ? m_pMdiArea->activeSubWindow() : nullptr;
    if (!sub && m_pMdiArea && !m_pMdiArea->subWindowList().isEmpty())
        sub = m_pMdiArea->currentSubWindow();
    return sub ? qobject_cast<CChildFrame*>(sub->widget()) : nullptr;
}

CQuilDoc* CMainFrame::ActiveDocument() const
{
    CChildFrame* frame = ActiveChildFrame();
    return frame ? frame->GetDocument() : nullptr;
}

void CMainFrame::OnCloseAll() { m_app.CloseAllDocuments(); }

void CMainFrame::WatchDocument(CQuilDoc* doc)
{
    connect(doc, &CQuilDoc::ModifiedChanged, this, [this] {
        UpdatePicIndicator();
        UpdateCommandUI();
    });
    connect(doc, &CQuilDoc::TitleChanged, this, [this] { UpdateWindowTitle(); });
    connect(doc, &CQuilDoc::ExpressionChanged, this, [this] {
        UpdatePicIndicator();
        UpdateCommandUI();
    });
    UpdatePicIndicator();
}

void CMainFrame::OnActiveWindowChanged()
{
    UpdatePicIndicator();
    UpdateWindowTitle();
    UpdateCommandUI();
}

void CMainFrame::UpdateWindowTitle()
{
    CQuilDoc* doc = ActiveDocument();
    m_strTitle = doc ? QStringLiteral("%1 - %2[*]").arg(QString::fromUtf8(kAppTitle), doc->GetTitle())
                     : QString::fromUtf8(kAppTitle);
    setWindowTitle(m_strTitle);
    setWindowModified(doc && doc->IsModified());
}

void CMainFrame::changeEvent(QEvent* event)
{
    // A maximized document window writes its own name into this title, and
    // puts back an old title when it is restored: the title stays the one
    // that names the active document once.
    if (event->type() == QEvent::WindowTitleChange && !m_strTitle.isEmpty() && windowTitle() != m_strTitle)
        setWindowTitle(m_strTitle);
    // Restoring it also clears this window's modified mark: the active document's stays.
    if (event->type() == QEvent::ModifiedChange) {
        CQuilDoc* doc = ActiveDocument();
        const bool modified = doc && doc->IsModified();
        if (isWindowModified() != modified)
            setWindowModified(modified);
    }
    QMainWindow::changeEvent(event);
}

// Status bar ---------------------------------------------------------------------

void CMainFrame::UpdatePicIndicator()
{
    if (!m_pPicIndicator)
        return;
    CQuilDoc* doc = ActiveDocument();
    const bool uses = doc && doc->m_pExpression->m_bUsesPicture;
    // With no document the pane keeps what it shows (at start-up "PIC").
    if (doc)
        m_pPicIndicator->setText(uses ? QString::fromUtf8(kIndicatorPic) : QString());
    UpdateWindowTitle();
}

void CMainFrame::UpdatePictureStatePane()
{
    if (m_pPictureStatePane)
        m_pPictureStatePane->setText(QString::fromStdString(m_pPictureStore->StatusText()));
}

QString CMainFrame::MessagePaneText() const { return m_pMessagePane ? m_pMessagePane->text() : QString(); }
QString CMainFrame::PictureStatePaneText() const
{
    return m_pPictureStatePane ? m_pPictureStatePane->text() : QString();
}
QString CMainFrame::PicIndicatorText() const { return m_pPicIndicator ? m_pPicIndicator->text() : QString(); }

bool CMainFrame::event(QEvent* event)
{
    if (event->type() == QEvent::StatusTip) {
        // Prompts go to the message pane; the other panes stay in view.
        const QString tip = static_cast<QStatusTipEvent*>(event)->tip();
        if (m_pMessagePane)
            m_pMessagePane->setText(tip.isEmpty() ? QString::fromUtf8(kIdleMessage) : tip);
        return true;
    }
    return QMainWindow::event(event);
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    if (!m_app.SaveAllModified()) {
        event->ignore();
        return;
    }
    m_app.CloseAllDocuments();
    // Windows of their own would keep the program running once the main window is gone.
    CHelpWindow::CloseHelp();
    if (QWidget* welcome = m_app.WelcomeDialog())
        welcome->close();
    event->accept();
}

// EngineHost -----------------------------------------------------------------------

void CMainFrame::ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon)
{
    QMessageBox::Icon boxIcon = QMessageBox::Information;
    if (icon == MessageIcon::Warning)
        boxIcon = QMessageBox::Warning;
    else if (icon == MessageIcon::Error)
        boxIcon = QMessageBox::Critical;
    QuilMessageBox(this, QString::fromStdString(text), QString::fromStdString(caption), boxIcon);
}

std::string CMainFrame::SourcePicturePath() const { return m_pPictureStore->SourcePicturePath(); }

void CMainFrame::SetSourcePicturePath(const std::string& path) { m_pPictureStore->SetSourcePicturePath(path); }

bool CMainFrame::PictureLocked() const { return m_pPictureStore->PictureLocked(); }

void CMainFrame::SetPictureLocked(bool locked) { m_pPictureStore->SetPictureLocked(locked); }

void CMainFrame::EnsureSourcePicture()
{
    // The store always holds a picture: black at the display size when none is loaded.
}

// Shell services ------------------------------------------------------------------

SettingsStore& CMainFrame::Store() { return m_app.Store(); }

RandomSource& CMainFrame::Random() { return m_app.Random(); }

QPrinter& CMainFrame::Printer() { return m_app.Printer(); }

void CMainFrame::ActivateView(CDocView* view)
{
    for (QMdiSubWindow* sub : m_pMdiArea->subWindowList())
        if (auto* frame = qobject_cast<CChildFrame*>(sub->widget()))
            if (view == static_cast<CDocView*>(frame->TreeView()) || view == static_cast<CDocView*>(frame->PictureView()))
                frame->SetActiveView(view);
}

void CMainFrame::OpenBranchAsNewDocument(const ExprNode* branch) { m_app.NewDocumentFromBranch(branch); }

void CMainFrame::AddToRecentFileList(const QString& path) { m_app.AddToRecentFileList(path); }

void CMainFrame::LoadPendingSourcePicture()
{
    if (!m_bPictureLoadPending)
        return;
    m_bPictureLoadPending = false;
    if (LoadPictureAndUpdate(nullptr) == kLoadPictureFailed)
        SetSourcePicturePath(std::string());
}
