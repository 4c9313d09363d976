#include "MainFrame.h"

#include "ChildFrame.h"
#include "QuilApp.h"

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
#include <QTimer>
#include <QToolBar>

namespace {
// The main window's first size, as a share of the screen's available area.
constexpr double kInitialScreenShare = 0.85;
constexpr int kInitialWidth = 1200;
constexpr int kInitialHeight = 820;
// The mark of the Window menu entries that list the open windows.
constexpr const char* kWindowListProperty = "quilWindowList";
}  // namespace

CMainFrame::CMainFrame(CQuilApp& app) : m_app(app)
{
    m_genSettings.InitGenerationSettings(app.Store());
    m_pPictureStore = std::make_unique<SourcePictureStore>(this);
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

    CreateActions();
    CreateToolBar();
    CreateStatusBar();

    m_display.Load(m_app.Store());
    m_pPictureStore->SetDisplaySize(m_display.m_nDisplayWidth, m_display.m_nDisplayHeight);
    m_pPictureStore->GetScaledPicture(m_display.m_nDisplayWidth, m_display.m_nDisplayHeight);
    m_pPictureStore->GetThumbPicture(m_display.m_nThumbSize);

    BuildMenuBar(IDR_MAINFRAME);
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

    connect(&m_app, &CQuilApp::RecentFilesChanged, this, &CMainFrame::UpdateRecentFileMenus);
    connect(&m_app, &CQuilApp::DocumentsChanged, this, [this] { QTimer::singleShot(0, this, [this] { OnActiveWindowChanged(); }); });
    // The commands' states follow what changes them; menus refresh them again as they open.
    connect(qApp, &QApplication::focusChanged, this, [this] { UpdateCommandUI(); });
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, [this] { UpdateCommandUI(); });

    UpdateRecentFileMenus();
    UpdatePictureStatePane();
    UpdateCommandUI();
    m_bFrameLoaded = true;
    return true;
}

// Actions, menus, toolbar, status bar --------------------------------------------

void CMainFrame::CreateActions()
{
    for (const CommandInfo& command : CommandTable()) {
        auto* action = new QAction(QString::fromUtf8(MenuLabel(command)), this);
        if (command.icon)
            action->setIcon(QIcon(QString::fromUtf8(command.icon)));
        action->setStatusTip(QString::fromUtf8(StatusPrompt(command)));
        action->setToolTip(QString::fromUtf8(TooltipText(command)));
        // Context help (Shift+F1, then a click on a toolbar button) explains the command.
        action->setWhatsThis(QString::fromUtf8(StatusPrompt(command)));
        action->setCheckable(command.checkable);
        QList<QKeySequence> keys;
        for (const std::string& k : AcceleratorsOf(command.id))
            keys.append(QKeySequence(QString::fromUtf8(k), QKeySequence::PortableText));
        action->setShortcuts(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        action->setData(command.id);
        const int id = command.id;
        connect(action, &QAction::triggered, this, [this, id] { ExecuteCommand(id); });
        addAction(action);  // keyboard-only commands (F1, Shift+F6) work without a menu entry
        m_actions[id] = action;
    }
    // The recent files: ids 57616 .. 57624 in both File menus.
    const CommandInfo* recent = FindCommand(ID_FILE_MRU_FILE1);
    for (int i = 0; i < kRecentFileCount; ++i) {
        QAction* action = i == 0 ? m_actions[ID_FILE_MRU_FILE1] : new QAction(this);
        action->setStatusTip(QString::fromUtf8(StatusPrompt(*recent)));
        action->setData(ID_FILE_MRU_FILE1 + i);
        if (i > 0) {
            const int id = ID_FILE_MRU_FILE1 + i;
            connect(action, &QAction::triggered, this, [this, id] { ExecuteCommand(id); });
            m_actions[id] = action;
        }
        m_recentActions.push_back(action);
    }
}

void CMainFrame::CreateToolBar()
{
    m_pToolBar = new QToolBar(QStringLiteral("Standard"), this);
    m_pToolBar->setObjectName(QStringLiteral("MainToolBar"));
    m_pToolBar->setIconSize(QSize(20, 20));
    m_pToolBar->setAllowedAreas(Qt::AllToolBarAreas);
    for (int id : ToolbarLayout()) {
        if (id == 0)
            m_pToolBar->addSeparator();
        else
            m_pToolBar->addAction(Action(id));
    }
    addToolBar(Qt::TopToolBarArea, m_pToolBar);
}

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

void CMainFrame::FillMenu(QMenu* menu, const std::vector<MenuEntry>& entries)
{
    for (const MenuEntry& entry : entries) {
        if (entry.submenu) {
            QMenu* sub = menu->addMenu(QString::fromUtf8(entry.submenu));
            connect(sub, &QMenu::aboutToShow, this, [this] { UpdateCommandUI(); });
            FillMenu(sub, entry.children);
        } else if (entry.id == ID_RECENT_FILE_PLACEHOLDER) {
            for (QAction* action : m_recentActions)
                menu->addAction(action);
            m_recentMenus.push_back(menu);
        } else if (entry.id == 0) {
            menu->addSeparator();
        } else {
            menu->addAction(Action(entry.id));
        }
    }
}

void CMainFrame::BuildMenuBar(int menuId)
{
    auto it = m_menuBars.find(menuId);
    if (it == m_menuBars.end()) {
        std::vector<QMenu*> menus;
        for (const MenuLayout& layout : MenuBarLayout(menuId)) {
            auto* menu = new QMenu(QString::fromUtf8(layout.title), this);
            connect(menu, &QMenu::aboutToShow, this, [this] { UpdateCommandUI(); });
            FillMenu(menu, layout.entries);
            if (QString::fromUtf8(layout.title) == QLatin1String(kWindowMenuTitle))
                connect(menu, &QMenu::aboutToShow, this, [this, menu] { FillWindowList(menu); });
            menus.push_back(menu);
        }
        it = m_menuBars.emplace(menuId, std::move(menus)).first;
    }
    if (m_nCurrentMenu == menuId)
        return;
    menuBar()->clear();
    for (QMenu* menu : it->second)
        menuBar()->addMenu(menu);
    m_nCurrentMenu = menuId;
}

QList<QMenu*> CMainFrame::MenuBarMenus() const
{
    auto it = m_menuBars.find(m_nCurrentMenu);
    if (it == m_menuBars.end())
        return {};
    return QList<QMenu*>(it->second.begin(), it->second.end());
}

QMenu* CMainFrame::CreatePopupMenu(int menuId, QWidget* parent)
{
    const MenuLayout& layout = PopupMenuLayout(menuId);
    auto* menu = new QMenu(QString::fromUtf8(layout.title), parent);
    for (const MenuEntry& entry : layout.entries) {
        if (entry.id == 0) {
            menu->addSeparator();
            continue;
        }
        const CommandInfo* command = FindCommand(entry.id);
        // A popup's own text ("&Setting...") comes without keys.
        const std::string label = entry.text ? entry.text : (command ? MenuLabel(*command) : std::string());
        const std::string keys = entry.text || !command ? std::string() : MenuAcceleratorText(*command);
        auto* action = new QAction(QString::fromUtf8(label), menu);
        if (!keys.empty())
            action->setShortcut(QKeySequence(QString::fromUtf8(keys), QKeySequence::PortableText));
        action->setShortcutVisibleInContextMenu(true);
        if (command) {
            action->setStatusTip(QString::fromUtf8(StatusPrompt(*command)));
            action->setCheckable(command->checkable);
        }
        const CCmdUI state = CommandState(entry.id);
        action->setEnabled(state.m_bEnabled);
        action->setChecked(state.m_bChecked);
        const int id = entry.id;
        connect(action, &QAction::triggered, this, [this, id] { ExecuteCommand(id); });
        menu->addAction(action);
    }
    return menu;
}

void CMainFrame::FillWindowList(QMenu* menu)
{
    // The open document windows follow the menu's own entries, numbered, the active one checked.
    for (QAction* action : menu->actions())
        if (action->property(kWindowListProperty).toBool())
            delete action;
    const QList<QMdiSubWindow*> windows = m_pMdiArea->subWindowList();
    if (windows.isEmpty())
        return;
    menu->addSeparator()->setProperty(kWindowListProperty, true);
    int number = 0;
    for (QMdiSubWindow* sub : windows) {
        ++number;
        QString title = sub->windowTitle().replace(QStringLiteral("[*]"), sub->isWindowModified() ? "*" : "");
        QAction* action = menu->addAction(number < 10 ? QStringLiteral("&%1 %2").arg(number).arg(title) : title);
        action->setProperty(kWindowListProperty, true);
        action->setCheckable(true);
        action->setChecked(sub == m_pMdiArea->activeSubWindow());
        connect(action, &QAction::triggered, this, [this, sub] { m_pMdiArea->setActiveSubWindow(sub); });
    }
}

void CMainFrame::UpdateRecentFileMenus()
{
    const QStringList& files = m_app.RecentFiles();
    for (int i = 0; i < kRecentFileCount; ++i) {
        QAction* action = m_recentActions[i];
        if (i < files.size()) {
            action->setText(QStringLiteral("&%1 %2").arg(i + 1).arg(files[i]));
            action->setVisible(true);
        } else if (i == 0) {
            // With an empty list the first entry stands greyed as "Recent File".
            action->setText(QString::fromUtf8(FindCommand(ID_FILE_MRU_FILE1)->text));
            action->setVisible(true);
        } else {
            action->setVisible(false);
        }
    }
    UpdateCommandUI();
}

QAction* CMainFrame::Action(int id) const
{
    auto it = m_actions.find(id);
    return it == m_actions.end() ? nullptr : it->second;
}

// Routing --------------------------------------------------------------------------

namespace {
std::vector<CCmdTarget*> RouteOf(const CMainFrame& frame)
{
    std::vector<CCmdTarget*> route;
    if (CChildFrame* child = frame.ActiveChildFrame()) {
        if (CCmdTarget* view = child->ActiveViewTarget())
            route.push_back(view);
        if (CQuilDoc* doc = child->GetDocument())
            route.push_back(doc);
        route.push_back(child);
    }
    route.push_back(const_cast<CMainFrame*>(&frame));
    route.push_back(&frame.App());
    return route;
}
}  // namespace

CCmdUI CMainFrame::CommandState(int id) const
{
    CCmdUI ui(id);
    for (CCmdTarget* target : RouteOf(*this))
        if (target->OnUpdateCommand(ui))
            return ui;
    ui.Enable(false);
    return ui;
}

bool CMainFrame::ExecuteCommand(int id)
{
    for (CCmdTarget* target : RouteOf(*this)) {
        CCmdUI ui(id);
        if (!target->OnUpdateCommand(ui))
            continue;
        if (!ui.m_bEnabled)
            return false;
        const bool done = target->OnCommand(id);
        // The command may have closed the main window's last document or more.
        QTimer::singleShot(0, this, [this] { UpdateCommandUI(); });
        return done;
    }
    return false;
}

void CMainFrame::UpdateCommandUI()
{
    const int wanted = m_app.Documents().empty() ? IDR_MAINFRAME : IDR_QUILTYPE;
    if (wanted != m_nCurrentMenu)
        BuildMenuBar(wanted);
    for (auto& [id, action] : m_actions) {
        if (!action->isVisible() && id != ID_FILE_MRU_FILE1)
            continue;
        const CCmdUI ui = CommandState(id);
        action->setEnabled(ui.m_bEnabled);
        if (action->isCheckable())
            action->setChecked(ui.m_bChecked);
    }
}

// Document windows -----------------------------------------------------------------

QMdiSubWindow* CMainFrame::AddChildFrame(CChildFrame* frame)
{
    QMdiSubWindow* sub = m_pMdiArea->addSubWindow(frame);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->setWindowIcon(QIcon(QStringLiteral(":/icons/quil-document.svg")));
    BuildMenuBar(IDR_QUILTYPE);
    return sub;
}

void CMainFrame::FitChildFrame(QMdiSubWindow* sub)
{
    auto* frame = qobject_cast<CChildFrame*>(sub->widget());
    if (!frame)
        return;
    // The frame's size is for the client; the sub-window adds its own border and caption.
    const QSize client = frame->InitialFrameSize();
    const QSize decoration = sub->size() - frame->size();
    QSize wanted = client + (decoration.isValid() ? decoration : QSize());
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
    if (!doc) {
        setWindowTitle(QString::fromUtf8(kAppTitle));
        setWindowModified(false);
        return;
    }
    setWindowTitle(QStringLiteral("%1 - %2[*]").arg(QString::fromUtf8(kAppTitle), doc->GetTitle()));
    setWindowModified(doc->IsModified());
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
