#include "CommandBar.h"

#include "resources/CommandTable.h"
#include "resources/ResourceIds.h"

#include <QAction>
#include <QIcon>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>
#include <QToolBar>

namespace {
// The mark of the Window menu entries that list the open windows.
constexpr const char* kWindowListProperty = "quilWindowList";
}  // namespace

CCommandBar::CCommandBar(QMainWindow& window, QMdiArea& area, Route route)
    : QObject(&window), m_window(window), m_area(area), m_route(std::move(route))
{
    CreateActions();
    CreateToolBar();
}

void CCommandBar::CreateActions()
{
    for (const CommandInfo& command : CommandTable()) {
        auto* action = new QAction(QString::fromUtf8(MenuLabel(command)), &m_window);
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
        m_window.addAction(action);  // keyboard-only commands (F1, Shift+F6) work without a menu entry
        m_actions[id] = action;
    }
    // The recent files: ids 57616 .. 57624 in both File menus.
    const CommandInfo* recent = FindCommand(ID_FILE_MRU_FILE1);
    for (int i = 0; i < kRecentFileCount; ++i) {
        QAction* action = i == 0 ? m_actions[ID_FILE_MRU_FILE1] : new QAction(&m_window);
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


void CCommandBar::CreateToolBar()
{
    m_pToolBar = new QToolBar(QStringLiteral("Standard"), &m_window);
    m_pToolBar->setObjectName(QStringLiteral("MainToolBar"));
    m_pToolBar->setIconSize(QSize(20, 20));
    m_pToolBar->setAllowedAreas(Qt::AllToolBarAreas);
    for (int id : ToolbarLayout()) {
        if (id == 0)
            m_pToolBar->addSeparator();
        else
            m_pToolBar->addAction(Action(id));
    }
    m_window.addToolBar(Qt::TopToolBarArea, m_pToolBar);
}


void CCommandBar::FillMenu(QMenu* menu, const std::vector<MenuEntry>& entries)
{
    for (const MenuEntry& entry : entries) {
        if (entry.submenu) {
            QMenu* sub = menu->addMenu(QString::fromUtf8(entry.submenu));
            connect(sub, &QMenu::aboutToShow, this, [this] { emit MenuAboutToShow(); });
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

void CCommandBar::ShowMenuBar(int menuId)
{
    auto it = m_menuBars.find(menuId);
    if (it == m_menuBars.end()) {
        std::vector<QMenu*> menus;
        for (const MenuLayout& layout : MenuBarLayout(menuId)) {
            auto* menu = new QMenu(QString::fromUtf8(layout.title), &m_window);
            connect(menu, &QMenu::aboutToShow, this, [this] { emit MenuAboutToShow(); });
            FillMenu(menu, layout.entries);
            if (QString::fromUtf8(layout.title) == QLatin1String(kWindowMenuTitle))
                connect(menu, &QMenu::aboutToShow, this, [this, menu] { FillWindowList(menu); });
            menus.push_back(menu);
        }
        it = m_menuBars.emplace(menuId, std::move(menus)).first;
    }
    if (m_nCurrentMenu == menuId)
        return;
    m_window.menuBar()->clear();
    for (QMenu* menu : it->second)
        m_window.menuBar()->addMenu(menu);
    m_nCurrentMenu = menuId;
}

QList<QMenu*> CCommandBar::MenuBarMenus() const
{
    auto it = m_menuBars.find(m_nCurrentMenu);
    if (it == m_menuBars.end())
        return {};
    return QList<QMenu*>(it->second.begin(), it->second.end());
}

QMenu* CCommandBar::CreatePopupMenu(int menuId, QWidget* parent)
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

void CCommandBar::FillWindowList(QMenu* menu)
{
    // The open document windows follow the menu's own entries, numbered, the active one checked.
    for (QAction* action : menu->actions())
        if (action->property(kWindowListProperty).toBool())
            delete action;
    const QList<QMdiSubWindow*> windows = m_area.subWindowList();
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
        action->setChecked(sub == m_area.activeSubWindow());
        connect(action, &QAction::triggered, this, [this, sub] { m_area.setActiveSubWindow(sub); });
    }
}


void CCommandBar::SetRecentFiles(const QStringList& files)
{
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
}

QAction* CCommandBar::Action(int id) const
{
    auto it = m_actions.find(id);
    return it == m_actions.end() ? nullptr : it->second;
}


// Routing and states ---------------------------------------------------------------


CCmdUI CCommandBar::CommandState(int id) const
{
    CCmdUI ui(id);
    for (CCmdTarget* target : m_route())
        if (target->OnUpdateCommand(ui))
            return ui;
    ui.Enable(false);
    return ui;
}

bool CCommandBar::ExecuteCommand(int id)
{
    for (CCmdTarget* target : m_route()) {
        CCmdUI ui(id);
        if (!target->OnUpdateCommand(ui))
            continue;
        if (!ui.m_bEnabled)
            return false;
        const bool done = target->OnCommand(id);
        // The command may have closed the main window's last document or more.
        QTimer::singleShot(0, this, [this] { emit CommandDone(); });
        return done;
    }
    return false;
}

void CCommandBar::UpdateCommandUI(int menuId)
{
    if (menuId != m_nCurrentMenu)
        ShowMenuBar(menuId);
    for (auto& [id, action] : m_actions) {
        if (!action->isVisible() && id != ID_FILE_MRU_FILE1)
            continue;
        const CCmdUI ui = CommandState(id);
        action->setEnabled(ui.m_bEnabled);
        if (action->isCheckable())
            action->setChecked(ui.m_bChecked);
    }
}
