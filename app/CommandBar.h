#pragma once
// CCommandBar turns the command table into the main window's actions, menu
// bars, toolbar and context menus. It sends each command along the route of
// command targets (active view, document, child frame, main frame,
// application) to the first that handles it, and keeps the actions' enabled
// and checked states as the same route says.

#include "shell/CmdTarget.h"

#include <QList>
#include <QObject>
#include <QStringList>

#include <functional>
#include <map>
#include <vector>

class QAction;
class QMainWindow;
class QMdiArea;
class QMenu;
class QToolBar;
class QWidget;
struct MenuEntry;

class CCommandBar : public QObject {
    Q_OBJECT
public:
    // The targets a command goes to, first to last.
    using Route = std::function<std::vector<CCmdTarget*>()>;
    // Makes the actions and the toolbar of window; area lists the document windows.
    CCommandBar(QMainWindow& window, QMdiArea& area, Route route);

    // Runs the command at the first target that handles it; false when it is
    // disabled or nobody handles it.
    bool ExecuteCommand(int id);
    CCmdUI CommandState(int id) const;
    // Shows the menu bar menuId (IDR_MAINFRAME or IDR_QUILTYPE) and refreshes
    // the enabled and checked state of every action.
    void UpdateCommandUI(int menuId);
    void ShowMenuBar(int menuId);
    int CurrentMenuId() const { return m_nCurrentMenu; }
    QList<QMenu*> MenuBarMenus() const;
    // A context menu from the command table, its entries routed like the menu bar's.
    QMenu* CreatePopupMenu(int menuId, QWidget* parent);
    QAction* Action(int id) const;
    QToolBar* ToolBar() const { return m_pToolBar; }
    // The recent files in both File menus.
    void SetRecentFiles(const QStringList& files);

signals:
    // A menu is about to open: its states must be current.
    void MenuAboutToShow();
    // A command has run (queued): it may have changed any state.
    void CommandDone();

private:
    void CreateActions();
    void CreateToolBar();
    void FillMenu(QMenu* menu, const std::vector<MenuEntry>& entries);
    void FillWindowList(QMenu* menu);

    QMainWindow& m_window;
    QMdiArea& m_area;
    Route m_route;
    int m_nCurrentMenu = 0;
    QToolBar* m_pToolBar = nullptr;
    std::map<int, QAction*> m_actions;
    std::vector<QAction*> m_recentActions;
    std::vector<QMenu*> m_recentMenus;  // the File menus that hold the recent files
    std::map<int, std::vector<QMenu*>> m_menuBars;
};
