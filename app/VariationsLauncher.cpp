#include "VariationsLauncher.h"

#include "QuilApp.h"

#include "engine/RandomSource.h"
#include "shell/QuilDoc.h"
#include "shell/ShellServices.h"

#include <algorithm>

namespace {
// Where a new window stands within the main window, in pixels.
constexpr int kPlacementMargin = 24;
constexpr int kPlacementTop = 60;
}  // namespace

CVariationsLauncher::CVariationsLauncher(CQuilApp& app, CShellServices& shell, QWidget* owner)
    : m_app(app), m_shell(shell), m_pOwner(owner)
{
}

CVariationsWnd* CVariationsLauncher::Open(CQuilDoc* doc)
{
    if (!doc)
        return nullptr;
    if (CVariationsWnd* open = WindowOf(doc)) {
        open->raise();
        open->activateWindow();
        return open;
    }
    // Two draws of the program's 15-bit source: each window breeds its own sequence.
    RandomSource& random = m_shell.Random();
    const uint32_t seed = uint32_t(random.Next()) << 15 | uint32_t(random.Next());
    auto* window = new CVariationsWnd(*doc, *this, seed, m_pOwner);
    std::erase_if(m_windows, [](const auto& entry) { return entry.second.isNull(); });
    m_windows[doc] = window;
    ShowOverOwner(window, m_pOwner);
    return window;
}

void ShowOverOwner(QWidget* window, QWidget* owner)
{
    window->adjustSize();
    if (owner) {
        // Over the right part of the main window: the document windows start at its left.
        const QRect area = owner->frameGeometry();
        window->move(std::max(area.left(), area.right() - window->frameGeometry().width() - kPlacementMargin),
                     area.top() + kPlacementTop);
    }
    window->show();
}

CVariationsWnd* CVariationsLauncher::WindowOf(const CQuilDoc* doc) const
{
    const auto it = m_windows.find(doc);
    if (it == m_windows.end() || it->second.isNull() || it->second->Document() != doc)
        return nullptr;
    return it->second.data();
}

std::vector<CQuilDoc*> CVariationsLauncher::OtherDocuments(const CQuilDoc* doc) const
{
    std::vector<CQuilDoc*> others;
    for (CQuilDoc* open : m_app.Documents())
        if (open != doc)
            others.push_back(open);
    return others;
}
